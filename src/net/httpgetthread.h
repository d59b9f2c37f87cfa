#pragma once

#include "app/atomicfile.h"
#include "net/httprequest.h"

#include <QObject>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

// One transfer of a THTTPGet. The body runs on a thread of its own; the object itself
// lives on the thread that created it, where progress is handed over synchronously (the
// worker waits until the handler has returned) and the completion step runs queued once
// the body has ended. The object then frees itself.
//
// The body goes into a temporary file beside the target; commitFile() puts it in place.
// A transfer that fails or is cancelled leaves the target as it was.
class THTTPGetThread : public QObject
{
public:
    using ProgressHandler = std::function<void(int totalSize, int readed)>;
    using CompletionStep = std::function<void(THTTPGetThread &worker)>;

    THTTPGetThread(HttpRequest request, ProgressHandler progress, CompletionStep completion);
    ~THTTPGetThread() override;

    void start();
    // Asks the body to stop at its next cancel point and marks the outcome a failure;
    // returns at once.
    void Cancel();
    // Cancels and drops both handlers: nothing reaches the owner any more.
    void orphan();

    bool succeeded() const { return m_success.load(); }
    // True when the body could not be written to its file.
    bool fileFailed() const { return m_fileFailed.load(); }
    int TotalSize() const { return m_totalSize.load(); }
    int Readed() const { return m_readed.load(); }
    const std::string &FileName() const { return m_request.FileName; }
    // Replaces the target file by the received body; false when that fails.
    bool commitFile();

    // Bytes handed over per progress step at most.
    static constexpr int ChunkSize = 1025;

private:
    struct Transfer;

    void run();
    bool transfer(Transfer &state);
    bool acceptHeaders(Transfer &state, long status);
    bool receive(Transfer &state, std::string_view data);
    bool deliver(std::string_view chunk);
    bool handOffProgress();
    void complete();

    const HttpRequest m_request;
    const bool m_reportsProgress;
    ProgressHandler m_progress;
    CompletionStep m_completion;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_success{false};
    std::atomic<bool> m_fileFailed{false};
    std::atomic<int> m_totalSize{0};
    std::atomic<int> m_readed{0};
    std::unique_ptr<atomicfile::Writer> m_file;
    bool m_progressFailed = false;
};
