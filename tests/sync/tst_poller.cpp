// The poller's threads: the loop, the one-shot poll and shutdown.

#include "FakeServer.h"
#include "TestApp.h"
#include "TestEnv.h"

#include "app/XSettings.h"
#include "net/XRequest.h"
#include "sync/XPoller.h"

#include <QScopeGuard>

#include <atomic>
#include <thread>

class TestPoller : public QObject
{
    Q_OBJECT
private slots:
    void autoPoolOffStartsNothing();
    void loopPollsAfterInterval();
    void oneShotDroppedWhileRunning();
    void stopWaitsForRunningPoll();
    void exitWaitingForLockSendsNothing();
    void exitEndsHangingTransfer();
    void exitEndsOtherThreadsTransfers();
    void loopExceptionShownAndEnds();
    void teardownJoinsOneShotPoll();
    void exitBoundedByBlockedOneShotPoll();
    void loopReadsIntervalBeforeEachWait();

private:
    static TestApp::Options WithPoller()
    {
        TestApp::Options o;
        o.extra[GlobalSlot::Poller] = [] { return std::make_unique<XPoller>(); };
        return o;
    }
};

void TestPoller::autoPoolOffStartsNothing()
{
    TestApp t(WithPoller());
    theSettings().SetInt(Setting::AutoPool, 0);
    thePoller().StartPolling();
    QVERIFY(!thePoller().IsThreadRunning(XPoller::LoopSlot));
}

void TestPoller::loopPollsAfterInterval()
{
    TestApp t(WithPoller());
    theSettings().SetInt(Setting::PollTimeout, 1);
    QMutex mutex;
    QStringList events;
    thePoller().SetLoopWait([&](int ms) {
        QMutexLocker lock(&mutex);
        events << QStringLiteral("wait %1").arg(ms);
        return false;  // the interval ran out
    });
    thePoller().SetPollBody([&](XPoller &p) {
        {
            QMutexLocker lock(&mutex);
            events << "poll";
        }
        p.AddCount(NewCounts::Quotes, 2);
        QThread::msleep(5);
    });
    thePoller().StartPolling();
    thePoller().StartPolling();  // already running: nothing more
    QTRY_VERIFY(thePoller().GetNewQuotes() == 2);
    thePoller().StopPolling();
    thePoller().StopPolling();
    QVERIFY(!thePoller().IsThreadRunning(XPoller::LoopSlot));
    QMutexLocker lock(&mutex);
    // One whole interval first, then a poll after each interval.
    QVERIFY(events.size() >= 2);
    QCOMPARE(events.mid(0, 2), QStringList({"wait 1000", "poll"}));
    for (int i = 0; i + 1 < events.size(); i += 2)
        QVERIFY2(events[i].startsWith("wait") && events[i + 1] == "poll", qPrintable(events.join(',')));
    theSettings().SetInt(Setting::PollTimeout, 0);
    QCOMPARE(XPoller::PollIntervalMs(), 60000);
}

void TestPoller::oneShotDroppedWhileRunning()
{
    TestApp t(WithPoller());
    std::atomic<int> polls{0};
    std::atomic<bool> release{false};
    thePoller().SetPollBody([&](XPoller &) {
        ++polls;
        while (!release)
            QThread::msleep(5);
    });
    thePoller().RequestBackground();
    QTRY_COMPARE(polls.load(), 1);
    thePoller().RequestBackground();
    release = true;
    QTRY_VERIFY(!thePoller().IsThreadRunning(XPoller::OneShotSlot));
    QCOMPARE(polls.load(), 1);
    thePoller().RequestBackground();
    QTRY_COMPARE(polls.load(), 2);
}

void TestPoller::stopWaitsForRunningPoll()
{
    TestApp t(WithPoller());
    theSettings().SetInt(Setting::PollTimeout, 1);
    std::atomic<bool> inPoll{false}, finished{false};
    thePoller().SetPollBody([&](XPoller &) {
        inPoll = true;
        QThread::msleep(300);
        finished = true;
    });
    thePoller().StartPolling();
    QTRY_VERIFY_WITH_TIMEOUT(inPoll.load(), 5000);
    thePoller().StopPolling();
    QVERIFY(finished.load());
}

void TestPoller::exitWaitingForLockSendsNothing()
{
    TestApp t(WithPoller());
    std::atomic<int> bodies{0};
    std::atomic<bool> release{false};
    thePoller().SetPollBody([&](XPoller &) {
        ++bodies;
        while (!release)
            QThread::msleep(5);
    });
    thePoller().RequestBackground();
    QTRY_COMPARE(bodies.load(), 1);
    // A second poll waits for the lock, then finds the exit flag.
    std::thread second([&] { thePoller().Poll(); });
    QThread::msleep(50);
    std::thread exiting([&] {
        QThread::msleep(50);
        release = true;
    });
    thePoller().Exit();
    second.join();
    exiting.join();
    QCOMPARE(bodies.load(), 1);
    thePoller().RequestBackground();  // after Exit nothing starts
    QVERIFY(!thePoller().IsThreadRunning(XPoller::OneShotSlot));
}

void TestPoller::exitEndsHangingTransfer()
{
    FakeServer server;
    server.Start();
    server.Script("poll", {FakeServer::Response(0), 200, 8000, false, false, "text/xml"});
    TestApp t(WithPoller());
    std::atomic<bool> sent{false}, result{true};
    thePoller().SetPollBody([&](XPoller &) {
        XRequest r("poll", server.Url());
        sent = true;
        result = r.Send();
    });
    thePoller().RequestBackground();
    QTRY_VERIFY(sent.load());
    QTRY_COMPARE(server.RequestsFor("poll").size(), 1);
    QElapsedTimer timer;
    timer.start();
    thePoller().Exit();
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    QTRY_VERIFY(!thePoller().IsThreadRunning(XPoller::OneShotSlot));
    QVERIFY(!result.load());
    XRequest::CancelAll(false);
    server.Stop();
}

// Exit with no poll running still ends a form's send on its worker thread,
// though its own wait is over before that transfer looks at its flags.
void TestPoller::exitEndsOtherThreadsTransfers()
{
    FakeServer server;
    server.Start();
    server.Script("newQuery", FakeServer::FaultAnswer(FakeServer::Fault::SilentAfterHeaders));
    TestApp t(WithPoller());
    std::atomic<bool> done{false};
    QString status;
    std::thread form([&] {
        XRequest r("newQuery", server.Url());
        r.Send();
        status = r.GetStatusText();
        done = true;
    });
    // A failing check still ends the send before the thread goes.
    const auto joinAtEnd = qScopeGuard([&] {
        server.Stop();
        if (form.joinable())
            form.join();
    });
    QTRY_COMPARE(server.RequestsFor("newQuery").size(), 1);
    QElapsedTimer timer;
    timer.start();
    thePoller().Exit();
    QVERIFY(!XRequest::IsCancelAll());
    QTRY_VERIFY_WITH_TIMEOUT(done.load(), 5000);
    form.join();
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(status, XRequest::CancelledText());
}

// A one-shot poll that outlasts Exit's 3 s wait is joined before the
// objects it uses go.
void TestPoller::teardownJoinsOneShotPoll()
{
    std::atomic<bool> started{false}, finished{false};
    {
        TestApp t(WithPoller());
        thePoller().SetPollBody([&](XPoller &) {
            started = true;
            QThread::msleep(3500);
            finished = theSettingsIfAny() != nullptr;
        });
        thePoller().RequestBackground();
        QTRY_VERIFY(started.load());
    }
    QVERIFY(finished.load());
    QVERIFY(!XRequest::IsCancelAll());
}

// A one-shot poll blocked where no cancel reaches it: Exit gives up after
// its wait, and the thread is still joined before the objects go. The poll
// outlasts the teardown's own Exit too, so only the join lets it finish.
void TestPoller::exitBoundedByBlockedOneShotPoll()
{
    std::atomic<bool> started{false}, finished{false};
    {
        TestApp t(WithPoller());
        thePoller().SetPollBody([&](XPoller &) {
            started = true;
            QThread::msleep(6500);
            finished = theSettingsIfAny() != nullptr;
        });
        thePoller().RequestBackground();
        QTRY_VERIFY(started.load());
        QElapsedTimer timer;
        timer.start();
        thePoller().Exit();
        QVERIFY2(timer.elapsed() < 3600, qPrintable(QString::number(timer.elapsed())));
        QVERIFY(thePoller().IsThreadRunning(XPoller::OneShotSlot));
    }
    QVERIFY(finished.load());
    XRequest::CancelAll(false);
}

void TestPoller::loopExceptionShownAndEnds()
{
    TestApp t(WithPoller());
    theSettings().SetInt(Setting::PollTimeout, 1);
    thePoller().SetPollBody([](XPoller &) { throw std::runtime_error("boom"); });
    thePoller().StartPolling();
    QTRY_VERIFY_WITH_TIMEOUT(!thePoller().IsThreadRunning(XPoller::LoopSlot), 5000);
    QTRY_COMPARE(t.dialogs.log.Count("MessageBox|asyncPoolCallback Unknown Error|Error"), 1);
    // Recorded before the box, so the box files a crash report; the thread was prepared for fatal signals.
    QCOMPARE(t.crash.log.Calls().filter("RecordException|e06d7363").size(), 1);
    QVERIFY(t.crash.preparedThreads.load() >= 1);
}

// The loop's clock replaced: each wait gets "PollTimeout" as it is at that moment.
void TestPoller::loopReadsIntervalBeforeEachWait()
{
    TestApp t(WithPoller());
    theSettings().SetInt(Setting::PollTimeout, 180);
    QMutex mutex;
    QList<int> waits;
    std::atomic<int> polls{0};
    thePoller().SetLoopWait([&](int ms) {
        QMutexLocker lock(&mutex);
        waits.append(ms);
        if (waits.size() == 1)
            theSettings().SetInt(Setting::PollTimeout, -5);  // changed during the first wait
        if (waits.size() < 3)
            return false;
        theSettings().SetInt(Setting::AutoPool, 0);  // the loop ends at its next test
        return true;
    });
    thePoller().SetPollBody([&](XPoller &) { ++polls; });
    thePoller().StartPolling();
    QTRY_VERIFY(!thePoller().IsThreadRunning(XPoller::LoopSlot));
    QMutexLocker lock(&mutex);
    QCOMPARE(waits.mid(0, 3), (QList<int>{180000, 60000, 60000}));
    QVERIFY(polls.load() >= 2);  // one poll after each wait that timed out
    lock.unlock();
    thePoller().StopPolling();
}

KORVANT_TEST_MAIN(TestPoller)
#include "tst_poller.moc"
