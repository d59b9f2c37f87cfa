#pragma once

#include <QString>

#include <optional>
#include <string>
#include <string_view>

namespace atomicfile {

// The whole content of a file, or nothing when it cannot be read (missing included).
std::optional<std::string> readAll(const QString &path);

// Replaces the file at path with data: a temporary file in the same folder is written,
// flushed to disk and renamed over path, so that readers see the old content or the
// new, never a part. A file that exists but may not be written is refused. Returns
// false on any failure, leaving the old file as it was.
bool writeAll(const QString &path, std::string_view data);

} // namespace atomicfile
