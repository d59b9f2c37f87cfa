#include "net/httpgetthread.h"

#include <QFile>
#include <QMetaObject>

#include <curl/curl.h>

#include <mutex>
#include <optional>

namespace {

void initialiseCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

} // namespace

// What the curl callbacks of one transfer share with the worker.
struct THTTPGetThread::Transfer
{
    THTTPGetThread *worker = nullptr;
    CURL *curl = nullptr;
    curl_slist *headers = nullptr;
    std::optional<int> contentLength;
    bool contentLengthValid = true;
    bool headersAccepted = false;
    std::string chunk;

    ~Transfer()
    {
        curl_slist_free_all(headers);
        if (curl)
            curl_easy_cleanup(curl);
    }
};

THTTPGetThread::THTTPGetThread(HttpRequest request, ProgressHandler progress,
                               CompletionStep completion)
    : m_request(std::move(request))
    , m_reportsProgress(bool(progress))
    , m_progress(std::move(progress))
    , m_completion(std::move(completion))
{
    initialiseCurlOnce();
}

THTTPGetThread::~THTTPGetThread()
{
    if (m_thread.joinable())
        m_thread.join();
}

void THTTPGetThread::start()
{
    m_thread = std::thread([this] { run(); });
}

void THTTPGetThread::Cancel()
{
    m_stop.store(true);
    m_success.store(false);
}

void THTTPGetThread::orphan()
{
    m_progress = {};
    m_completion = {};
    Cancel();
}

bool THTTPGetThread::commitFile()
{
    if (m_file && m_file->commit())
        return true;
    m_fileFailed.store(true);
    return false;
}

void THTTPGetThread::run()
{
    Transfer state;
    state.worker = this;
    const bool received = !m_stop.load() && transfer(state);
    // A stop asked for after the last read still counts: this is the next cancel point.
    if (received && !m_stop.load()) {
        const bool whole = m_readed.load() == m_totalSize.load();
        const bool finished = whole && m_file->finish();
        if (whole && !finished)
            m_fileFailed.store(true);
        m_success.store(finished);
    } else {
        m_success.store(false);
    }
    QMetaObject::invokeMethod(this, [this] { complete(); }, Qt::QueuedConnection);
}

void THTTPGetThread::complete()
{
    m_thread.join();
    deleteLater();
    // Nothing of a failed transfer stays on disk, whatever the handler does next.
    if (!succeeded() && m_file)
        m_file->discard();
    if (m_completion)
        m_completion(*this);
}

bool THTTPGetThread::transfer(Transfer &state)
{
    const std::optional<HttpAddress> address = SplitHttpUrl(m_request.URL);
    const bool safeHeaders = IsSafeHeaderValue(m_request.AcceptTypes)
        && IsSafeHeaderValue(m_request.Agent) && IsSafeHeaderValue(m_request.Referer)
        && IsSafeHeaderValue(m_request.UserName) && IsSafeHeaderValue(m_request.Password);
    state.curl = curl_easy_init();
    if (!address || !safeHeaders || !state.curl)
        return false;

    CURL *curl = state.curl;
    const std::string url = "http://" + address->host + EncodeUrlPath(address->path);
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_0);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, long(m_request.connectTimeoutSeconds));
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, long(m_request.stallTimeoutSeconds));
    // The length is checked here, not by curl, which drops bytes beyond it silently.
    curl_easy_setopt(curl, CURLOPT_IGNORE_CONTENT_LENGTH, 1L);
    // A proxy elsewhere cannot reach a server on this machine; other hosts keep the
    // user's proxy settings (http_proxy, no_proxy).
    if (IsLoopbackHost(address->host))
        curl_easy_setopt(curl, CURLOPT_PROXY, "");

    if (!m_request.Agent.empty())
        curl_easy_setopt(curl, CURLOPT_USERAGENT, m_request.Agent.c_str());
    if (!m_request.Referer.empty())
        curl_easy_setopt(curl, CURLOPT_REFERER, m_request.Referer.c_str());
    if (!m_request.UserName.empty()) {
        curl_easy_setopt(curl, CURLOPT_USERNAME, m_request.UserName.c_str());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, m_request.Password.c_str());
    }
    const std::string accept = "Accept: " + m_request.AcceptTypes;
    state.headers = curl_slist_append(state.headers, accept.c_str());
    if (!m_request.UseCache)
        state.headers = curl_slist_append(state.headers, "Pragma: no-cache");
    if (!m_request.PostQuery.empty()) {
        state.headers = curl_slist_append(state.headers,
                                          "Content-Type: application/x-www-form-urlencoded");
        curl_easy_setopt(curl, CURLOPT_POST, 1L);
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, long(m_request.PostQuery.size()));
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, m_request.PostQuery.data());
    }
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, state.headers);

    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &state);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION,
                     +[](char *data, size_t size, size_t count, void *user) -> size_t {
                         auto &state = *static_cast<Transfer *>(user);
                         const std::string_view line(data, size * count);
                         if (StartsWithNoCase(line, "http/")) {
                             state.contentLength.reset();
                             state.contentLengthValid = true;
                         } else if (StartsWithNoCase(line, "content-length:")) {
                             std::string_view value = line.substr(15);
                             while (!value.empty() && (value.back() == '\r' || value.back() == '\n'))
                                 value.remove_suffix(1);
                             const std::optional<int> length = ParseContentLength(value);
                             if (!length || (state.contentLength && *state.contentLength != *length))
                                 state.contentLengthValid = false;
                             state.contentLength = length;
                         } else if (line == "\r\n" || line == "\n") {
                             long status = 0;
                             curl_easy_getinfo(state.curl, CURLINFO_RESPONSE_CODE, &status);
                             if (!state.worker->acceptHeaders(state, status))
                                 return 0;
                         }
                         return line.size();
                     });
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &state);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION,
                     +[](char *data, size_t size, size_t count, void *user) -> size_t {
                         auto &state = *static_cast<Transfer *>(user);
                         const std::string_view bytes(data, size * count);
                         return state.worker->receive(state, bytes) ? bytes.size() : 0;
                     });
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION,
                     +[](void *user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) -> int {
                         return static_cast<THTTPGetThread *>(user)->m_stop.load() ? 1 : 0;
                     });

    if (curl_easy_perform(curl) != CURLE_OK || !state.headersAccepted)
        return false;
    return state.chunk.empty() || deliver(state.chunk);
}

bool THTTPGetThread::acceptHeaders(Transfer &state, long status)
{
    // An error page is neither a tune nor a catalogue.
    if (status < 200 || status > 299 || !state.contentLengthValid)
        return false;
    if (!state.contentLength && m_request.BinaryData)
        return false;
    m_totalSize.store(state.contentLength.value_or(0));
    m_readed.store(0);
    m_file = std::make_unique<atomicfile::Writer>(QFile::decodeName(m_request.FileName.c_str()));
    if (!m_file->isOpen()) {
        m_fileFailed.store(true);
        return false;
    }
    state.chunk.reserve(ChunkSize);
    state.headersAccepted = true;
    return true;
}

bool THTTPGetThread::receive(Transfer &state, std::string_view data)
{
    if (m_stop.load() || !state.headersAccepted)
        return false;
    // Bytes beyond the announced length already make the transfer a failure; reading
    // on would only let an endless body run for ever.
    const long long received = m_readed.load() + static_cast<long long>(state.chunk.size() + data.size());
    if (received > m_totalSize.load())
        return false;
    while (!data.empty()) {
        const std::size_t take = std::min(data.size(), ChunkSize - state.chunk.size());
        state.chunk.append(data.substr(0, take));
        data.remove_prefix(take);
        if (state.chunk.size() == std::size_t(ChunkSize)) {
            if (!deliver(state.chunk))
                return false;
            state.chunk.clear();
        }
    }
    return true;
}

bool THTTPGetThread::deliver(std::string_view chunk)
{
    if (!m_file->write(chunk)) {
        m_fileFailed.store(true);
        return false;
    }
    m_readed.fetch_add(int(chunk.size()));
    if (m_reportsProgress && !handOffProgress())
        return false;
    return !m_stop.load();
}

bool THTTPGetThread::handOffProgress()
{
    const int totalSize = m_totalSize.load();
    const int readed = m_readed.load();
    QMetaObject::invokeMethod(
        this,
        [this, totalSize, readed] {
            if (!m_progress || m_stop.load())
                return;
            try {
                m_progress(totalSize, readed);
            } catch (...) {
                m_progressFailed = true;
                throw;
            }
        },
        Qt::BlockingQueuedConnection);
    return !m_progressFailed;
}
