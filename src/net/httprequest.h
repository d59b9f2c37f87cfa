#pragma once

#include <optional>
#include <string>
#include <string_view>

// What a transfer asks of the server; a copy of the component's properties taken when
// the transfer starts, so that later changes do not reach it.
struct HttpRequest
{
    std::string AcceptTypes;
    std::string Agent;
    std::string URL;
    std::string FileName;
    std::string UserName;
    std::string Password;
    std::string PostQuery;
    std::string Referer;
    bool BinaryData = true;
    bool UseCache = false;
    int connectTimeoutSeconds = 15;
    int stallTimeoutSeconds = 30;
};

// A URL taken apart: the host (with its ":port" if any) and the path from its first "/".
struct HttpAddress
{
    std::string host;
    std::string path;
};

// Whether text begins with prefix, ASCII letters compared without regard to case; prefix
// is written in lower case.
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

// Splits a URL after an optional "http://" (any letter case). Nothing when there is no
// host, the host holds characters a host name cannot have, or the path holds CR or LF.
std::optional<HttpAddress> SplitHttpUrl(std::string_view url);

// The path with every byte that may not stand in a URL path percent-encoded: controls,
// space, bytes of 0x80 and above (CP932 file names), and the characters outside RFC
// 3986's path and query set. A "%" that starts a valid escape is kept.
std::string EncodeUrlPath(std::string_view path);

// The value of a Content-Length header: decimal digits between optional blanks, at most
// 2,147,483,647. Nothing for any other text.
std::optional<int> ParseContentLength(std::string_view value);

// True when a URL's host (with its ":port" if any) names this machine: "localhost" or a
// name below it, an IPv4 address in 127.0.0.0/8, or the IPv6 loopback address, also in
// its IPv4-mapped form.
bool IsLoopbackHost(std::string_view host);

// True when text could reach the request as a header value: it holds no CR, LF or NUL.
bool IsSafeHeaderValue(std::string_view text);
