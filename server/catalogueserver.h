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

} // namespace catalogue_server
