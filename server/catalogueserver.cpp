#include "catalogueserver.h"

#include <charconv>

namespace catalogue_server {

namespace {

std::string escapedForLog(const std::string &text)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte > 0x20 && byte < 0x7F && byte != '%') {
            escaped += c;
        } else {
            escaped += '%';
            escaped += hex[byte >> 4];
            escaped += hex[byte & 0x0F];
        }
    }
    return escaped;
}

} // namespace

std::optional<ListenAddress> parseListenAddress(const std::string &text)
{
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0)
        return std::nullopt;
    ListenAddress address{text.substr(0, colon), 0};
    const char *first = text.data() + colon + 1;
    const char *last = text.data() + text.size();
    const auto [end, error] = std::from_chars(first, last, address.port);
    if (error != std::errc() || end != last || address.port <= 0 || address.port > 65535)
        return std::nullopt;
    return address;
}

std::optional<std::filesystem::path> resolveRequestPath(const std::filesystem::path &root,
                                                        const std::string &requestPath)
{
    namespace fs = std::filesystem;
    if (requestPath.empty() || requestPath.front() != '/' || requestPath.find('\0') != std::string::npos)
        return std::nullopt;
    std::error_code error;
    const fs::path canonicalRoot = fs::canonical(root, error);
    if (error)
        return std::nullopt;
    const fs::path file = fs::weakly_canonical(canonicalRoot / fs::path(requestPath).relative_path(), error);
    if (error)
        return std::nullopt;
    const auto [rootEnd, fileIt] = std::mismatch(canonicalRoot.begin(), canonicalRoot.end(), file.begin(), file.end());
    if (rootEnd != canonicalRoot.end() || !fs::is_regular_file(file, error))
        return std::nullopt;
    return file;
}

std::string RequestLogLine(const std::string &remoteAddress, const std::string &method, const std::string &path,
                           int status, std::size_t bodyBytes)
{
    return escapedForLog(remoteAddress) + ' ' + escapedForLog(method) + ' ' + escapedForLog(path) + ' '
        + std::to_string(status) + ' ' + std::to_string(bodyBytes) + '\n';
}

} // namespace catalogue_server
