#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace catalogue_server {

struct ListenAddress
{
    std::string host;
    int port = 0;
};

// "host:port"; nothing when the text is not of that form.
std::optional<ListenAddress> parseListenAddress(const std::string &text);

// The file under root that a request path names, or nothing when the path is not a
// plain path below root (".." that climbs out, a link that leads out, a folder).
std::optional<std::filesystem::path> resolveRequestPath(const std::filesystem::path &root,
                                                        const std::string &requestPath);

// One line of the request log: address, method, path, status and body bytes, ended by a
// line feed. Every byte of the text fields outside printable ASCII, and the space and
// "%" that would make it ambiguous, is written as %XX, so that a decoded request path
// can neither start a line of its own nor shift the fields.
std::string RequestLogLine(const std::string &remoteAddress, const std::string &method, const std::string &path,
                           int status, std::size_t bodyBytes);

} // namespace catalogue_server
