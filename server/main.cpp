// quavelo-catalogue: a small static HTTP server for the catalogue tree.
//
//   quavelo-catalogue [--listen HOST:PORT] [--root FOLDER]
//
// GET and HEAD answer with a Content-Length; paths that leave the root are refused.
// One log line per request on standard error. SIGINT and SIGTERM stop it cleanly.
#include "catalogueserver.h"

#include <httplib.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <pthread.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace catalogue_server;

namespace {

fs::path defaultRoot()
{
    std::error_code error;
    const fs::path exeDir = fs::read_symlink("/proc/self/exe", error).parent_path();
    for (const fs::path &candidate : {exeDir / "content", exeDir / "../share/quavelo/content",
                                      fs::path(QUAVELO_SOURCE_CONTENT_DIR)}) {
        if (fs::is_directory(candidate, error))
            return candidate;
    }
    return QUAVELO_SOURCE_CONTENT_DIR;
}

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

int usage(const char *message)
{
    std::fprintf(stderr, "quavelo-catalogue: %s\nusage: quavelo-catalogue [--listen HOST:PORT] [--root FOLDER]\n",
                 message);
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    std::string listen = "127.0.0.1:8157";
    fs::path root = defaultRoot();
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--listen" && i + 1 < argc) {
            listen = argv[++i];
        } else if (arg == "--root" && i + 1 < argc) {
            root = argv[++i];
        } else if (arg == "--help") {
            usage("serves the Quavelo catalogue tree");
            return 0;
        } else {
            return usage(("unknown argument " + arg).c_str());
        }
    }
    const auto address = parseListenAddress(listen);
    if (!address)
        return usage(("not an address: " + listen).c_str());
    if (!fs::is_directory(root))
        return usage(("no content folder at " + root.string()).c_str());

    // Signals go to one thread that stops the server; every other thread blocks them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    httplib::Server server;
    server.set_read_timeout(10, 0);
    server.set_write_timeout(10, 0);
    server.Get(R"(/.*)", [&root](const httplib::Request &request, httplib::Response &response) {
        const auto file = resolveRequestPath(root, request.path);
        std::ifstream in;
        if (file)
            in.open(*file, std::ios::binary);
        if (!file || !in) {
            response.status = 404;
            response.set_content("Not Found\n", "text/plain");
            return;
        }
        std::string body((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        response.set_content(std::move(body), contentTypeOf(*file));
    });
    server.set_logger([](const httplib::Request &request, const httplib::Response &response) {
        std::fprintf(stderr, "%s %s %s %d %zu\n", request.remote_addr.c_str(), request.method.c_str(),
                     request.path.c_str(), response.status, response.body.size());
    });

    std::thread stopper([&server, stopSignals] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        server.stop();
    });

    if (!server.bind_to_port(address->host.c_str(), address->port)) {
        std::fprintf(stderr, "quavelo-catalogue: cannot listen on %s\n", listen.c_str());
        pthread_kill(stopper.native_handle(), SIGTERM);
        stopper.join();
        return 1;
    }
    std::fprintf(stderr, "quavelo-catalogue: serving %s on http://%s/\n", root.c_str(), listen.c_str());
    server.listen_after_bind();
    pthread_kill(stopper.native_handle(), SIGTERM);
    stopper.join();
    return 0;
}
