#include "FrameTimers.h"

#include "app/AppCore.h"
#include "application/CClientApp.h"
#include "net/XMarketPlaces.h"
#include "net/XMetaData.h"
#include "net/XRequest.h"

#include <QPointer>
#include <QThread>

FrameTimers::Callbacks FrameTimers::Callbacks::FromApplication()
{
    Callbacks c;
    c.checkVersion = [] { return theClientApp().CheckNewVersion(true); };
    c.refreshServerData = [] {
        IMainFrame *frame = theApp().Frame();
        theMarketPlaces().CheckVersion(frame ? frame->GetMarketMode() : 0);
        theMeta().CheckVersion();
    };
    c.noUpdate = [] { return theApp().UpdateLater(); };
    c.runUpdaterAndExit = [] { theClientApp().RunUpdaterAndExit(); };
    c.compactDatabase = [] { theClientApp().CompactDatabase(true); };
    return c;
}

FrameTimers::FrameTimers(Callbacks callbacks, QObject *parent) : QObject(parent), m_callbacks(std::move(callbacks)) {}

FrameTimers::~FrameTimers()
{
    // No thread outlives the objects its work uses.
    m_stopped = true;
    CancelAndJoin(-1);
}

void FrameTimers::Start(int id, int ms)
{
    if (m_stopped)
        return;
    std::unique_ptr<QTimer> &timer = m_timers[id];
    if (!timer) {
        timer = std::make_unique<QTimer>();
        connect(timer.get(), &QTimer::timeout, this, [this, id] { OnTimer(id); });
    }
    timer->start(ms);
}

void FrameTimers::Kill(int id)
{
    auto it = m_timers.find(id);
    if (it != m_timers.end())
        it->second->stop();
}

bool FrameTimers::IsActive(int id) const
{
    auto it = m_timers.find(id);
    return it != m_timers.end() && it->second->isActive();
}

int FrameTimers::Interval(int id) const
{
    auto it = m_timers.find(id);
    return it == m_timers.end() ? 0 : it->second->interval();
}

void FrameTimers::OnTimer(int id)
{
    if (m_stopped)
        return;
    switch (id) {
    case VersionCheck:
        StartVersionCheck();
        break;
    case CompactDb:
        if (m_callbacks.compactDatabase)
            m_callbacks.compactDatabase();
        break;
    default:
        // 1029 keeps ticking with nothing to do.
        break;
    }
}

void FrameTimers::StartVersionCheck()
{
    // A check still waiting for the server is not doubled.
    if (m_checking.exchange(true))
        return;
    JoinWorker(-1);
    QPointer<FrameTimers> self(this);
    m_worker.reset(QThread::create([this, self] {
        AppCore::PrepareWorkerThread();
        bool update = false;
        try {
            update = m_callbacks.checkVersion && m_callbacks.checkVersion();
            if (!update && !m_stopped && m_callbacks.refreshServerData)
                m_callbacks.refreshServerData();
        } catch (const std::exception &e) {
            if (AppCore *app = theAppIfAny())
                app->WriteLog(QString::fromUtf8(e.what()), QStringLiteral("Version check"), 3);
        } catch (...) {
            if (AppCore *app = theAppIfAny())
                app->WriteLog(QStringLiteral("unknown error"), QStringLiteral("Version check"), 3);
        }
        // Dropped with the object, or once the window is ending.
        QMetaObject::invokeMethod(self, [this, update] { ApplyVersionAnswer(update); }, Qt::QueuedConnection);
    }));
    m_worker->setObjectName(QStringLiteral("VersionCheck"));
    m_worker->start(QThread::LowPriority);
}

void FrameTimers::ApplyVersionAnswer(bool update)
{
    m_checking = false;
    if (m_stopped)
        return;
    if (update) {
        if (!(m_callbacks.noUpdate && m_callbacks.noUpdate()) && m_callbacks.runUpdaterAndExit)
            m_callbacks.runUpdaterAndExit();
        Kill(VersionCheck);
    }
    emit versionChecked(update);
}

void FrameTimers::JoinWorker(int waitMs)
{
    if (!m_worker)
        return;
    if (waitMs < 0)
        m_worker->wait();
    else if (!m_worker->wait(QDeadlineTimer(waitMs)))
        return;  // the destructor joins it
    m_worker.reset();
}

void FrameTimers::CancelAndJoin(int waitMs)
{
    if (m_worker && m_worker->isFinished())
        m_worker.reset();
    if (!m_worker)
        return;
    // The check's transfer ends now and a box it waits for gets its cancel
    // answer, so the wait below is short.
    const bool wasCancelled = XRequest::IsCancelAll();
    XRequest::CancelAll(true);
    AppCore *app = theAppIfAny();
    const bool reopen = app && !app->Dispatcher().IsShutDown();
    if (app)
        app->Dispatcher().Shutdown();
    JoinWorker(waitMs);
    if (reopen)
        app->Dispatcher().Reopen();
    if (!m_worker && !wasCancelled)
        XRequest::CancelAll(false);
}

void FrameTimers::Stop(int waitMs)
{
    m_stopped = true;
    for (auto &[id, timer] : m_timers)
        timer->stop();
    CancelAndJoin(waitMs);
}
