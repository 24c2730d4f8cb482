#include "XPoller.h"

#include "app/ThreadWait.h"

#include "CRateSystem.h"

#include "app/AppCore.h"
#include "app/XSettings.h"
#include "db/KVDatabase.h"
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
    AppCore::PrepareWorkerThread();
    m_body();
    // Thread ids are reused: a connection must not outlive its thread.
    if (KVDatabase *db = theDatabaseIfAny())
        db->ReleaseThreadConnection();
    MarkRunEnded();
}

void XPoller::ShowFailure(const QString &text)
{
    // Recorded first, so the box files it as a crash report.
    theApp().RecordFailure();
    theApp().ShowMessageBox(text, QStringLiteral("Error"), MsgBox::IconError);
}

XPoller::XPoller()
{
    ClearCounts();
}

XPoller::~XPoller()
{
    Exit();
    // No thread outlives the objects it uses: one that Exit's wait left
    // running (a one-shot poll) is joined here, its transfers cancelled and
    // every question it would ask the member answered with "cancel".
    bool running = false;
    for (auto &t : m_threads)
        running = running || !HasThreadEnded(t.get());
    {
        QMutexLocker lock(&m_alertMutex);
        for (auto &t : m_alertThreads)
            running = running || !HasThreadEnded(t.get());
    }
    if (!running)
        return;
    XRequest::CancelAll(true);
    AppCore *app = theAppIfAny();
    const bool reopen = app && !app->Dispatcher().IsShutDown();
    if (app) {
        app->WriteLog(QStringLiteral("waiting for a poll that would not end"), QStringLiteral("XPoller"), 3);
        app->Dispatcher().Shutdown();
    }
    for (auto &t : m_threads)
        WaitFor(t.get(), -1);
    std::list<std::unique_ptr<PollerThread>> alerts;
    {
        QMutexLocker lock(&m_alertMutex);
        alerts.swap(m_alertThreads);
    }
    for (auto &t : alerts)
        WaitFor(t.get(), -1);
    if (reopen)
        app->Dispatcher().Reopen();
    XRequest::CancelAll(false);
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
    JoinThread(m_threads[slot].get());  // callers start a slot only after its thread ended
    m_threads[slot] = std::make_unique<PollerThread>(std::move(body));
    m_threads[slot]->start(priority);
}

bool XPoller::IsThreadRunning(Slot slot) const
{
    return !HasThreadEnded(m_threads[slot].get());
}

bool XPoller::WaitForThread(Slot slot, int timeoutMs)
{
    return WaitFor(m_threads[slot].get(), timeoutMs);
}

bool XPoller::WaitFor(QThread *t, int timeoutMs)
{
    return WaitForThreadEnd(t, timeoutMs);
}

void XPoller::PollLoop()
{
    XSettings *settings = theSettingsIfAny();
    while (settings && settings->IsOn(Setting::AutoPool) && !m_stop) {
        const int ms = PollIntervalMs();
        if (m_loopWait ? m_loopWait(ms) : m_pollEvent.Wait(ms))
            continue;
        if (m_stop)
            break;
        try {
            Poll();
        } catch (...) {
            ShowFailure(QStringLiteral("asyncPoolCallback Unknown Error"));
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
    {
        // A stalled transfer ends now rather than at the low-speed abort.
        QMutexLocker lock(&m_requestMutex);
        if (m_pollRequest)
            m_pollRequest->Cancel();
    }
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
                ShowFailure(QStringLiteral("asyncBackgroundCallback Unknown Error"));
            }
        },
        QThread::LowPriority);
}

void XPoller::Exit()
{
    {
        QMutexLocker lock(&m_autoReplyStart);
        m_exit = true;
        StopAutoReply();
    }
    // Transfers in progress end now (the poll's and every other one: a
    // form's send, a contact fetch, the version check), and a worker waiting
    // for the member's answer gets the cancel answer, so none of the waits
    // below or after can hang.
    XRequest::CancelAll(true);
    XRequest::CancelInFlight();
    AppCore *app = theAppIfAny();
    const bool reopen = app && !app->Dispatcher().IsShutDown();
    if (app)
        app->Dispatcher().Shutdown();
    {
        // A script that runs on stops now; the run then ends at its next test.
        QMutexLocker lock(&m_ratingMutex);
        if (m_rating)
            m_rating->Interrupt();
    }
    StopPolling();
    WaitForThread(AutoReplySlot, -1);
    ReapAlertThreads(true);
    const bool oneShotEnded = WaitForThread(OneShotSlot, 3000);
    if (reopen)
        app->Dispatcher().Reopen();
    // A one-shot poll that did not end keeps its transfers cancelled.
    if (oneShotEnded)
        XRequest::CancelAll(false);
}

void XPoller::Poll()
{
    // One poll at a time; a poll waiting behind another ends at exit.
    const bool onMain = IsOnMainThread();
    while (!m_pollTurn.Take(onMain ? 5 : 50)) {
        if (m_exit)
            return;
        if (onMain)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    const struct Given
    {
        Turn &turn;
        ~Given() { turn.Give(); }
    } given{m_pollTurn};
    if (m_exit)
        return;
    ClearCounts();
    if (m_pollBody)
        m_pollBody(*this);
    else
        RunPoll();
}

void XPoller::SetRating(CRateSystem *rating)
{
    QMutexLocker lock(&m_ratingMutex);
    m_rating = rating;
    // Exit may have come between the run's start and here.
    if (rating && m_autoReplyCancel)
        rating->Interrupt();
}

void XPoller::RaiseAlert(const QString &text, bool playSound)
{
    if (m_exit)
        return;
    ReapAlertThreads(false);
    auto thread = std::make_unique<PollerThread>([this, text, playSound] {
        try {
            if (playSound)
                m_sound.Play();
            if (AppCore *app = theAppIfAny()) {
                if (IMainFrame *frame = app->Frame())
                    frame->ShowTrayMessage(text, 0);
            }
        } catch (...) {
            ShowFailure(QStringLiteral("asyncTrayMessageCallback Unknown Error"));
        }
    });
    thread->start(QThread::NormalPriority);
    QMutexLocker lock(&m_alertMutex);
    m_alertThreads.push_back(std::move(thread));
}

void XPoller::ReapAlertThreads(bool wait)
{
    std::list<std::unique_ptr<PollerThread>> threads;
    {
        QMutexLocker lock(&m_alertMutex);
        threads.swap(m_alertThreads);
    }
    for (auto it = threads.begin(); it != threads.end();) {
        if (wait)
            WaitFor(it->get(), 3000);
        if (HasThreadEnded(it->get()))
            it = threads.erase(it);
        else
            ++it;
    }
    QMutexLocker lock(&m_alertMutex);
    m_alertThreads.splice(m_alertThreads.end(), threads);
}
