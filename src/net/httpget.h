#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <string>

class QEventLoop;
class THTTPGetThread;

// Fetches one URL over HTTP/1.0 into a file. Each transfer runs on a worker thread of its
// own; progress and the outcome arrive as events on the thread that owns the component.
// A component serves one transfer at a time: a Download while busy is ignored.
class THTTPGet : public QObject
{
public:
    using TOnProgressEvent = std::function<void(THTTPGet *Sender, int TotalSize, int Readed)>;
    using TOnDoneFileEvent = std::function<void(THTTPGet *Sender, QObject *Control,
                                                const std::string &FileName, int FileSize)>;
    using TOnErrorEvent = std::function<void(THTTPGet *Sender, QObject *Control)>;

    static constexpr const char *DefaultAgent = "Fernwick HTTPGet";

    explicit THTTPGet(QObject *parent = nullptr);
    ~THTTPGet() override;

    // Handed back unchanged as Control in OnDoneFile and OnError.
    QObject *HostControl = nullptr;
    std::string AcceptTypes = "*/*";
    // No User-Agent header is sent when empty.
    std::string Agent = DefaultAgent;
    // When true, an answer without a Content-Length is a failure.
    bool BinaryData = true;
    std::string URL;
    // False asks every cache on the way for a fresh copy.
    bool UseCache = false;
    // The local path (in the file system's encoding) that receives the body.
    std::string FileName;
    std::string UserName;
    std::string Password;
    // When not empty the request is a form POST with this body.
    std::string PostQuery;
    std::string Referer;
    // When true, Download returns only after the outcome event, running the event loop
    // meanwhile so that timers, painting and input go on.
    bool WaitThread = true;
    TOnProgressEvent OnProgress;
    TOnDoneFileEvent OnDoneFile;
    TOnErrorEvent OnError;

    // How long a connection may take to open and a body may stall before it fails.
    int connectTimeoutSeconds = 15;
    int stallTimeoutSeconds = 30;

    void Download();
    // Ends the running transfer with OnError, unless its body has already been received
    // whole and accepted; does nothing when idle. Returns at once.
    void Cancel();
    bool isBusy() const { return m_worker != nullptr; }
    // In OnError and after it: true when the body could not be written to FileName (a
    // full disk, a folder that cannot be written), false when the transfer itself failed.
    bool FileFailed() const { return m_fileFailed; }

private:
    void complete(THTTPGetThread &worker);

    THTTPGetThread *m_worker = nullptr;
    QEventLoop *m_waitLoop = nullptr;
    bool m_fileFailed = false;
};

// What the user is shown of a failed download: "通信エラー！！" for the transfer, or
// "書き込みエラー！！" when the file could not be written.
QString DownloadErrorText(const THTTPGet &get);
