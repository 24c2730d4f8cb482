#include "XPoller.h"

#include "app/AppCore.h"
#include "app/XSettings.h"
#include "net/XRequest.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

XPoller &thePoller()
{
    return Globals::Require<XPoller>(GlobalSlot::Poller, "thePoller");
}

XPoller *thePollerIfAny()
{
    return Globals::As<XPoller>(GlobalSlot::Poller);
}

void PollerThread::run()
{
    m_body();
}

XPoller::XPoller()
{
    ClearCounts();
}

XPoller::~XPoller()
{
    Exit();
    // A thread that would not end is left to the process's end rather than
    // destroyed while it runs.
    for (auto &t : m_threads) {
        if (t && !t->isFinished())
            (void)t.release();
    }
}

void XPoller::ClearCounts()
{
    for (auto &c : m_counts)
        c = 0;
}

NewCounts XPoller::Counts() const
{
    NewCounts n;
    for (int i = 0; i < NewCounts::Size; ++i)
        n.value[i] = m_counts[i];
    return n;
}

int XPoller::PollIntervalMs()
{
    XSettings *settings = theSettingsIfAny();
    const int seconds = settings ? settings->GetInt(Setting::PollTimeout) : 180;
    return (seconds <= 0 ? 60 : qMin(seconds, INT_MAX / 1000)) * 1000;
}

void XPoller::StartThread(Slot slot, std::function<void()> body, QThread::Priority priority)
{
    if (m_threads[slot])
        m_threads[slot]->wait();  // callers start a slot only after its thread ended
    m_threads[slot] = std::make_unique<PollerThread>(std::move(body));
    m_threads[slot]->start(priority);
}

bool XPoller::IsThreadRunning(Slot slot) const
{
    return m_threads[slot] && !m_threads[slot]->isFinished();
}

bool XPoller::WaitForThread(Slot slot, int timeoutMs)
{
    PollerThread *t = m_threads[slot].get();
    if (!t)
        return true;
    QDeadlineTimer deadline = timeoutMs < 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(timeoutMs);
    const bool onMain = QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread();
    while (!t->wait(onMain ? QDeadlineTimer(20) : deadline)) {
        if (deadline.hasExpired())
            return false;
        if (onMain)
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    return true;
}

void XPoller::PollLoop()
{
    XSettings *settings = theSettingsIfAny();
    while (settings && settings->IsOn(Setting::AutoPool) && !m_stop) {
        if (m_pollEvent.Wait(PollIntervalMs()))
            continue;
        if (m_stop)
            break;
        try {
            Poll();
        } catch (...) {
            theApp().ShowMessageBox(QStringLiteral("asyncPoolCallback Unknown Error"), QStringLiteral("Error"),
                                    MsgBox::IconError);
            break;
        }
    }
}

void XPoller::StartPolling()
{
    XSettings *settings = theSettingsIfAny();
    if (!settings || !settings->IsOn(Setting::AutoPool) || m_exit)
        return;
    if (IsThreadRunning(LoopSlot))
        return;
    m_stop = false;
    StartThread(LoopSlot, [this] { PollLoop(); }, QThread::LowPriority);
}

void XPoller::StopPolling()
{
    if (m_stop || !m_threads[LoopSlot])
        return;
    m_stop = true;
    m_pollEvent.Set();
    WaitForThread(LoopSlot, -1);
}

void XPoller::RequestBackground()
{
    if (IsThreadRunning(OneShotSlot) || m_exit)
        return;
    StartThread(
        OneShotSlot,
        [this] {
            try {
                Poll();
            } catch (...) {
                theApp().ShowMessageBox(QStringLiteral("asyncBackgroundCallback Unknown Error"),
                                        QStringLiteral("Error"), MsgBox::IconError);
            }
        },
        QThread::LowPriority);
}

void XPoller::Exit()
{
    m_exit = true;
    StopAutoReply();
    // Transfers in progress end now, and a worker waiting for the member's
    // answer gets the cancel answer, so none of the waits below can hang.
    XRequest::CancelAll(true);
    AppCore *app = theAppIfAny();
    const bool reopen = app && !app->Dispatcher().IsShutDown();
    if (app)
        app->Dispatcher().Shutdown();
    StopPolling();
    WaitForThread(AutoReplySlot, -1);
    const bool oneShotEnded = WaitForThread(OneShotSlot, 3000);
    if (reopen)
        app->Dispatcher().Reopen();
    // A one-shot poll that did not end keeps its transfers cancelled.
    if (oneShotEnded)
        XRequest::CancelAll(false);
}

void XPoller::Poll()
{
    QMutexLocker lock(&m_pollLock);
    if (m_exit)
        return;
    ClearCounts();
    if (m_pollBody)
        m_pollBody(*this);
}
