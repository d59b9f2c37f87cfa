#pragma once

#include <httplib.h>

#include <filesystem>

namespace catalogue_server {

// The HTTP server of the catalogue tree: GET and HEAD of the files below the root, read
// from disk piece by piece as they are sent, one log line per request on standard
// error. Each connection is served on a thread of its own, so that idle connections
// hold up nobody else.
class ContentServer : public httplib::Server
{
public:
    explicit ContentServer(std::filesystem::path root);

    // bind_to_port() with a backlog of waiting connections as long as the system allows:
    // httplib's five would make a burst of clients wait a second for a retried connect.
    bool bindTo(const std::string &host, int port);

    // Closes the listening socket at any moment, even before listen_after_bind() runs,
    // which then returns at once; httplib's stop() does nothing until the server runs.
    // Safe to call from another thread.
    void stopListening();

private:
    void serveFile(const httplib::Request &request, httplib::Response &response) const;

    std::filesystem::path m_root;
};

} // namespace catalogue_server
