#pragma once

#include <QtGlobal>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

// An HTTP server on loopback that answers whatever a test tells it to, lies included:
// no Content-Length, short or long bodies, stalls, endless bodies, any status, garbage.
// It records each request as the bytes that arrived. Every connection is served on a
// thread of its own, so the GUI thread may block or run nested event loops freely.
class TestHttpServer
{
public:
    struct Request
    {
        std::string raw;     // request line, headers and body as received
        std::string method;
        std::string path;
        std::string header(const std::string &name) const;
    };

    struct Reply
    {
        std::string data;          // sent as it stands: status line, headers and body
        int bytesPerSecond = 0;    // when above 0, data trickles out at this rate
        bool endless = false;      // after data, filler bytes until the client goes
        bool hold = false;         // after data, the connection stays open, silent

        // A complete answer with the given status and a correct Content-Length.
        static Reply withBody(std::string body, int status = 200);
        // An answer whose Content-Length says announced while body is sent.
        static Reply withLength(std::string body, const std::string &announced, int status = 200);
        // An answer without a Content-Length; the connection is closed after the body.
        static Reply withoutLength(std::string body, int status = 200);
        // A 200 answer that announces more than body and, after body, says nothing for ever.
        static Reply stalling(std::string body = "MThd", const std::string &announced = "5000");
    };

    using Handler = std::function<Reply(const Request &request)>;

    explicit TestHttpServer(Handler handler = {});
    ~TestHttpServer();
    TestHttpServer(const TestHttpServer &) = delete;
    TestHttpServer &operator=(const TestHttpServer &) = delete;

    void setHandler(Handler handler);
    quint16 port() const { return m_port; }
    // "127.0.0.1:<port>", as a catalogue host is written.
    std::string host() const;
    std::string url(const std::string &path) const;
    std::vector<Request> requests() const;
    // Connections that are open at this moment.
    int openConnections() const { return m_open.load(); }

    // A loopback port on which nothing listens: connections to it are refused.
    static quint16 unusedPort();

private:
    void acceptLoop();
    void serve(int socket);
    bool readRequest(int socket, Request &request);
    bool sendAll(int socket, const std::string &data, int bytesPerSecond);
    void waitWhileOpen(int socket);
    bool waitFor(int socket, short events, int timeoutMs);

    int m_listener = -1;
    int m_wakePipe[2] = {-1, -1};
    quint16 m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::atomic<int> m_open{0};
    mutable std::mutex m_mutex;
    Handler m_handler;
    std::vector<Request> m_requests;
    std::vector<std::thread> m_connections;
    std::thread m_acceptor;
};

} // namespace testing_support
