#include "contentserver.h"

#include "catalogueserver.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <fstream>
#include <memory>
#include <mutex>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace catalogue_server {

namespace {

// Connections at the same time; more wait for a thread to come free.
constexpr std::size_t maxConnectionThreads = 64;
// Bytes read from the file for each piece of an answer.
constexpr std::size_t pieceSize = 64 * 1024;

// Runs each task (one connection) on a thread of its own: threads are started as the
// connections come, up to a maximum, and serve the next connection when theirs ends.
class ConnectionThreads : public httplib::TaskQueue
{
public:
    explicit ConnectionThreads(std::size_t maxThreads)
        : m_maxThreads(maxThreads)
    {
    }

    ~ConnectionThreads() override { shutdown(); }

    void enqueue(std::function<void()> task) override
    {
        std::lock_guard lock(m_mutex);
        m_tasks.push_back(std::move(task));
        if (m_tasks.size() > m_idle && m_threads.size() < m_maxThreads)
            m_threads.emplace_back([this] { work(); });
        else
            m_wake.notify_one();
    }

    // Serves the connections already taken, then ends every thread.
    void shutdown() override
    {
        {
            std::lock_guard lock(m_mutex);
            m_shuttingDown = true;
        }
        m_wake.notify_all();
        for (std::thread &thread : m_threads)
            thread.join();
        m_threads.clear();
    }

private:
    void work()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            ++m_idle;
            m_wake.wait(lock, [this] { return !m_tasks.empty() || m_shuttingDown; });
            --m_idle;
            if (m_tasks.empty())
                return;
            std::function<void()> task = std::move(m_tasks.front());
            m_tasks.pop_front();
            lock.unlock();
            task();
            lock.lock();
        }
    }

    const std::size_t m_maxThreads;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_tasks;
    std::vector<std::thread> m_threads;
    std::size_t m_idle = 0;
    bool m_shuttingDown = false;
};

const char *contentTypeOf(const fs::path &file)
{
    std::string extension = file.extension().string();
    for (char &c : extension)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    if (extension == ".mid")
        return "audio/midi";
    if (extension == ".html")
        return "text/html";
    if (extension == ".dbf")
        return "text/plain; charset=Shift_JIS";
    if (extension == ".css")
        return "text/css";
    if (extension == ".png")
        return "image/png";
    return "application/octet-stream";
}

} // namespace

ContentServer::ContentServer(fs::path root)
    : m_root(std::move(root))
{
    new_task_queue = [] { return new ConnectionThreads(maxConnectionThreads); };
    set_read_timeout(10, 0);
    set_write_timeout(10, 0);
    // A connection that says nothing is closed after this long; it also bounds how long
    // a stop waits for such connections.
    set_keep_alive_timeout(2);
    Get(R"(/.*)", [this](const httplib::Request &request, httplib::Response &response) {
        serveFile(request, response);
    });
    set_logger([](const httplib::Request &request, const httplib::Response &response) {
        const std::size_t bytes = response.body.empty() ? response.content_length_ : response.body.size();
        const std::string line = RequestLogLine(request.remote_addr, request.method, request.path, response.status,
                                                bytes);
        std::fputs(line.c_str(), stderr);
    });
}

bool ContentServer::bindTo(const std::string &host, int port)
{
    return bind_to_port(host, port) && ::listen(svr_sock_, SOMAXCONN) == 0;
}

void ContentServer::stopListening()
{
    const socket_t listening = svr_sock_.exchange(INVALID_SOCKET);
    if (listening == INVALID_SOCKET)
        return;
    ::shutdown(listening, SHUT_RDWR);
    ::close(listening);
}

void ContentServer::serveFile(const httplib::Request &request, httplib::Response &response) const
{
    const auto file = resolveRequestPath(m_root, request.path);
    auto in = std::make_shared<std::ifstream>();
    std::error_code error;
    const std::uintmax_t size = file ? fs::file_size(*file, error) : 0;
    if (file && !error)
        in->open(*file, std::ios::binary);
    if (!file || error || !*in) {
        response.status = 404;
        response.set_content("Not Found\n", "text/plain");
        return;
    }
    // The file is read piece by piece as the answer goes out; one that has shrunk since
    // its length was announced ends the answer short, and the client sees the fault.
    response.set_content_provider(
        std::size_t(size), contentTypeOf(*file),
        [in, piece = std::make_shared<std::vector<char>>(pieceSize)](std::size_t offset, std::size_t length,
                                                                     httplib::DataSink &sink) {
            in->seekg(std::streamoff(offset));
            in->read(piece->data(), std::streamsize(std::min(length, piece->size())));
            const std::streamsize got = in->gcount();
            return got > 0 && sink.write(piece->data(), std::size_t(got));
        });
}

} // namespace catalogue_server
