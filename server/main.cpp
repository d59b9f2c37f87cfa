// quavelo-catalogue: a small static HTTP server for the catalogue tree.
//
//   quavelo-catalogue [--listen HOST:PORT] [--root FOLDER]
//
// GET and HEAD answer with a Content-Length; paths that leave the root are refused.
// One log line per request on standard error. SIGINT and SIGTERM stop it cleanly, at
// any moment from the start on.
#include "catalogueserver.h"
#include "contentserver.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
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

int usage(const char *message)
{
    std::fprintf(stderr, "quavelo-catalogue: %s\nusage: quavelo-catalogue [--listen HOST:PORT] [--root FOLDER]\n",
                 message);
    return 2;
}

sigset_t blockStopSignals()
{
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    return stopSignals;
}

} // namespace

int main(int argc, char **argv)
{
    // Blocked before anything else, in every thread to come: a stop signal that arrives
    // while the server starts waits for the stopper below instead of being lost.
    const sigset_t stopSignals = blockStopSignals();

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

    ContentServer server(root);
    // The flag covers a signal that comes before the listening socket exists; closing
    // the socket covers one that comes after.
    std::atomic<bool> stopRequested{false};
    std::atomic<bool> finished{false};
    std::thread stopper([&server, &stopRequested, &finished, stopSignals] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        stopRequested.store(true);
        server.stopListening();
        if (finished.load())
            return;
        // Requests under way get a second to finish; a client still sending one by then,
        // or a second stop signal, does not keep the server.
        const timespec grace{1, 0};
        sigtimedwait(&stopSignals, nullptr, &grace);
        if (!finished.load())
            std::_Exit(0);
    });

    int status = 0;
    if (!server.bindTo(address->host, address->port)) {
        std::fprintf(stderr, "quavelo-catalogue: cannot listen on %s\n", listen.c_str());
        status = 1;
    } else if (!stopRequested.load()) {
        std::fprintf(stderr, "quavelo-catalogue: serving %s on http://%s/\n", root.c_str(), listen.c_str());
        server.listen_after_bind();
    }
    // Wakes the stopper if no signal has; a signal left pending dies with the process.
    finished.store(true);
    ::kill(::getpid(), SIGTERM);
    stopper.join();
    return status;
}
