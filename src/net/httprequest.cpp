#include "net/httprequest.h"

#include <arpa/inet.h>
#include <cctype>
#include <limits>
#include <string>

namespace {

bool isHostChar(unsigned char c)
{
    return std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == ':' || c == '[' || c == ']';
}

bool isHexDigit(char c)
{
    return std::isxdigit(static_cast<unsigned char>(c));
}

bool mayStandInPath(unsigned char c)
{
    if (c >= 0x80 || !std::isgraph(c))
        return false;
    switch (c) {
    case '"': case '#': case '<': case '>': case '\\': case '^': case '`':
    case '{': case '|': case '}': case '[': case ']': case '%':
        return false;
    default:
        return true;
    }
}

} // namespace

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    }
    return true;
}

std::optional<HttpAddress> SplitHttpUrl(std::string_view url)
{
    constexpr std::string_view scheme = "http://";
    if (StartsWithNoCase(url, scheme))
        url.remove_prefix(scheme.size());
    const std::size_t slash = url.find('/');
    if (slash == 0 || slash == std::string_view::npos)
        return std::nullopt;
    HttpAddress address{std::string(url.substr(0, slash)), std::string(url.substr(slash))};
    for (const char c : address.host) {
        if (!isHostChar(static_cast<unsigned char>(c)))
            return std::nullopt;
    }
    if (!IsSafeHeaderValue(address.path))
        return std::nullopt;
    return address;
}

std::string EncodeUrlPath(std::string_view path)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(path.size());
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto c = static_cast<unsigned char>(path[i]);
        const bool escape = c == '%' && i + 2 < path.size() && isHexDigit(path[i + 1])
            && isHexDigit(path[i + 2]);
        if (escape || mayStandInPath(c)) {
            encoded += char(c);
        } else {
            encoded += '%';
            encoded += hex[c >> 4];
            encoded += hex[c & 0x0F];
        }
    }
    return encoded;
}

std::optional<int> ParseContentLength(std::string_view value)
{
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
        value.remove_prefix(1);
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t'))
        value.remove_suffix(1);
    if (value.empty())
        return std::nullopt;
    long long length = 0;
    for (const char c : value) {
        if (c < '0' || c > '9')
            return std::nullopt;
        length = length * 10 + (c - '0');
        if (length > std::numeric_limits<int>::max())
            return std::nullopt;
    }
    return int(length);
}

bool IsLoopbackHost(std::string_view host)
{
    std::string name;
    if (host.starts_with('[')) {
        const std::size_t close = host.find(']');
        if (close == std::string_view::npos)
            return false;
        name = host.substr(1, close - 1);
        in6_addr address {};
        if (::inet_pton(AF_INET6, name.c_str(), &address) != 1)
            return false;
        return IN6_IS_ADDR_LOOPBACK(&address) || (IN6_IS_ADDR_V4MAPPED(&address) && address.s6_addr[12] == 127);
    }
    name = host.substr(0, host.find(':'));
    for (char &c : name)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    if (name.ends_with('.'))
        name.pop_back();
    if (name == "localhost" || name.ends_with(".localhost"))
        return true;
    // inet_aton takes the short forms ("127.1") that the resolver takes too.
    in_addr address {};
    return ::inet_aton(name.c_str(), &address) != 0 && (ntohl(address.s_addr) >> 24) == 127;
}

bool IsSafeHeaderValue(std::string_view text)
{
    return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}
