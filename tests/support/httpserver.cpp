#include "support/httpserver.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <stdexcept>

namespace testing_support {

namespace {

std::string lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

std::string statusLine(int status)
{
    return "HTTP/1.0 " + std::to_string(status) + " Test\r\n";
}

int listenOnLoopback(quint16 &port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw std::runtime_error("test server: no socket");
    const int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
        || ::listen(fd, 16) != 0
        || ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        ::close(fd);
        throw std::runtime_error("test server: cannot listen on loopback");
    }
    port = ntohs(address.sin_port);
    return fd;
}

} // namespace

std::string TestHttpServer::Request::header(const std::string &name) const
{
    const std::string wanted = lowered(name) + ":";
    std::size_t start = raw.find("\r\n");
    while (start != std::string::npos) {
        start += 2;
        const std::size_t end = raw.find("\r\n", start);
        if (end == std::string::npos || end == start)
            break;
        const std::string line = raw.substr(start, end - start);
        if (lowered(line.substr(0, wanted.size())) == wanted) {
            std::size_t value = wanted.size();
            while (value < line.size() && line[value] == ' ')
                ++value;
            return line.substr(value);
        }
        start = end;
    }
    return {};
}

TestHttpServer::Reply TestHttpServer::Reply::withBody(std::string body, int status)
{
    return withLength(body, std::to_string(body.size()), status);
}

TestHttpServer::Reply TestHttpServer::Reply::withLength(std::string body, const std::string &announced,
                                                        int status)
{
    return {statusLine(status) + "Content-Length: " + announced + "\r\n\r\n" + body};
}

TestHttpServer::Reply TestHttpServer::Reply::withoutLength(std::string body, int status)
{
    return {statusLine(status) + "\r\n" + body};
}

TestHttpServer::Reply TestHttpServer::Reply::stalling(std::string body, const std::string &announced)
{
    Reply reply = withLength(std::move(body), announced);
    reply.hold = true;
    return reply;
}

TestHttpServer::TestHttpServer(Handler handler)
    : m_handler(std::move(handler))
{
    m_listener = listenOnLoopback(m_port);
    if (::pipe2(m_wakePipe, O_CLOEXEC) != 0) {
        ::close(m_listener);
        throw std::runtime_error("test server: no pipe");
    }
    m_acceptor = std::thread([this] { acceptLoop(); });
}

TestHttpServer::~TestHttpServer()
{
    m_stopping.store(true);
    const char wake = 'x';
    [[maybe_unused]] const ssize_t written = ::write(m_wakePipe[1], &wake, 1);
    m_acceptor.join();
    for (std::thread &connection : m_connections)
        connection.join();
    ::close(m_listener);
    ::close(m_wakePipe[0]);
    ::close(m_wakePipe[1]);
}

void TestHttpServer::setHandler(Handler handler)
{
    const std::lock_guard lock(m_mutex);
    m_handler = std::move(handler);
}

std::string TestHttpServer::host() const
{
    return "127.0.0.1:" + std::to_string(m_port);
}

std::string TestHttpServer::url(const std::string &path) const
{
    return "http://" + host() + path;
}

std::vector<TestHttpServer::Request> TestHttpServer::requests() const
{
    const std::lock_guard lock(m_mutex);
    return m_requests;
}

quint16 TestHttpServer::unusedPort()
{
    quint16 port = 0;
    const int fd = listenOnLoopback(port);
    ::close(fd);
    return port;
}

void TestHttpServer::acceptLoop()
{
    while (!m_stopping.load()) {
        pollfd fds[2] = {{m_listener, POLLIN, 0}, {m_wakePipe[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0)
            continue;
        if (fds[1].revents)
            return;
        const int socket = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (socket < 0)
            continue;
        m_open.fetch_add(1);
        const std::lock_guard lock(m_mutex);
        m_connections.emplace_back([this, socket] {
            serve(socket);
            ::close(socket);
            m_open.fetch_sub(1);
        });
    }
}

void TestHttpServer::serve(int socket)
{
    Request request;
    if (!readRequest(socket, request))
        return;
    Handler handler;
    {
        const std::lock_guard lock(m_mutex);
        m_requests.push_back(request);
        handler = m_handler;
    }
    const Reply reply = handler ? handler(request) : Reply::withBody({}, 404);
    if (!sendAll(socket, reply.data, reply.bytesPerSecond))
        return;
    if (reply.endless) {
        const std::string filler(4096, 'z');
        while (!m_stopping.load() && sendAll(socket, filler, reply.bytesPerSecond)) {
        }
    } else if (reply.hold) {
        waitWhileOpen(socket);
    }
}

bool TestHttpServer::readRequest(int socket, Request &request)
{
    std::string &raw = request.raw;
    std::size_t headerEnd = std::string::npos;
    char buffer[4096];
    while ((headerEnd = raw.find("\r\n\r\n")) == std::string::npos) {
        if (!waitFor(socket, POLLIN, 10000))
            return false;
        const ssize_t n = ::recv(socket, buffer, sizeof buffer, 0);
        if (n <= 0)
            return false;
        raw.append(buffer, std::size_t(n));
    }
    const std::size_t methodEnd = raw.find(' ');
    const std::size_t pathEnd = raw.find(' ', methodEnd + 1);
    request.method = raw.substr(0, methodEnd);
    request.path = raw.substr(methodEnd + 1, pathEnd - methodEnd - 1);

    const std::size_t bodyLength = std::size_t(std::atoll(request.header("Content-Length").c_str()));
    while (raw.size() < headerEnd + 4 + bodyLength) {
        if (!waitFor(socket, POLLIN, 10000))
            return false;
        const ssize_t n = ::recv(socket, buffer, sizeof buffer, 0);
        if (n <= 0)
            return false;
        raw.append(buffer, std::size_t(n));
    }
    return true;
}

bool TestHttpServer::sendAll(int socket, const std::string &data, int bytesPerSecond)
{
    using namespace std::chrono;
    const std::size_t step = bytesPerSecond > 0 ? std::max<std::size_t>(1, std::size_t(bytesPerSecond) / 10)
                                                : data.size();
    for (std::size_t sent = 0; sent < data.size();) {
        if (m_stopping.load() || !waitFor(socket, POLLOUT, 10000))
            return false;
        const std::size_t want = std::min(step, data.size() - sent);
        const ssize_t n = ::send(socket, data.data() + sent, want, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += std::size_t(n);
        if (bytesPerSecond > 0) {
            // Sleep in small steps so that the destructor is never held up long.
            const auto until = steady_clock::now() + microseconds(1000000LL * n / bytesPerSecond);
            while (steady_clock::now() < until && !m_stopping.load())
                std::this_thread::sleep_for(milliseconds(10));
        }
    }
    return true;
}

void TestHttpServer::waitWhileOpen(int socket)
{
    char buffer[256];
    while (!m_stopping.load()) {
        if (!waitFor(socket, POLLIN, 50))
            continue;
        if (::recv(socket, buffer, sizeof buffer, 0) <= 0)
            return;
    }
}

bool TestHttpServer::waitFor(int socket, short events, int timeoutMs)
{
    // Waits in short slices so that a stopping server lets go quickly.
    for (int waited = 0; waited < timeoutMs && !m_stopping.load(); waited += 50) {
        pollfd fd{socket, events, 0};
        const int ready = ::poll(&fd, 1, 50);
        if (ready > 0)
            return (fd.revents & (events | POLLHUP | POLLERR)) != 0;
    }
    return false;
}

} // namespace testing_support
