#include "net/httpget.h"

#include "net/httpgetthread.h"

#include <QEventLoop>
#include <QPointer>
#include <QScopeGuard>

THTTPGet::THTTPGet(QObject *parent)
    : QObject(parent)
{
}

THTTPGet::~THTTPGet()
{
    if (m_worker)
        m_worker->orphan();
    if (m_waitLoop)
        m_waitLoop->quit();
}

void THTTPGet::Download()
{
    if (m_worker)
        return;

    HttpRequest request;
    request.AcceptTypes = AcceptTypes;
    request.Agent = Agent;
    request.URL = URL;
    request.FileName = FileName;
    request.UserName = UserName;
    request.Password = Password;
    request.PostQuery = PostQuery;
    request.Referer = Referer;
    request.BinaryData = BinaryData;
    request.UseCache = UseCache;
    request.connectTimeoutSeconds = connectTimeoutSeconds;
    request.stallTimeoutSeconds = stallTimeoutSeconds;

    THTTPGetThread::ProgressHandler progress;
    if (OnProgress) {
        progress = [this, handler = OnProgress](int totalSize, int readed) {
            handler(this, totalSize, readed);
        };
    }
    auto *worker = new THTTPGetThread(std::move(request), std::move(progress),
                                      [this](THTTPGetThread &done) { complete(done); });
    m_worker = worker;
    worker->start();
    if (!WaitThread)
        return;

    const QPointer<THTTPGet> self(this);
    QEventLoop loop;
    m_waitLoop = &loop;
    loop.exec();
    if (self && m_waitLoop == &loop)
        m_waitLoop = nullptr;
}

void THTTPGet::Cancel()
{
    if (m_worker)
        m_worker->Cancel();
}

void THTTPGet::complete(THTTPGetThread &worker)
{
    // The component stays busy while its handler runs, so a Download from inside the
    // handler is refused; the mark is cleared afterwards even when the handler throws.
    const QPointer<THTTPGet> self(this);
    const auto clearBusy = qScopeGuard([&] {
        if (!self)
            return;
        m_worker = nullptr;
        if (m_waitLoop)
            m_waitLoop->quit();
    });
    QObject *const control = HostControl;
    const bool committed = worker.succeeded() && worker.commitFile();
    m_fileFailed = worker.fileFailed();
    if (committed) {
        if (OnDoneFile)
            OnDoneFile(this, control, worker.FileName(), worker.TotalSize());
    } else if (OnError) {
        OnError(this, control);
    }
}

QString DownloadErrorText(const THTTPGet &get)
{
    return get.FileFailed() ? QStringLiteral("書き込みエラー！！") : QStringLiteral("通信エラー！！");
}
