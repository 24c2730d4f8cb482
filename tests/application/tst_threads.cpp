// Threads meeting on the main thread: re-login, the dispatcher and shutdown.

#include "FakeServer.h"
#include "TestApp.h"
#include "TestEnv.h"

#include "app/XSettings.h"
#include "net/XRequest.h"

#include <QTimer>

#include <atomic>
#include <thread>

class TestThreads : public QObject
{
    Q_OBJECT
private slots:
    void servingFlagOnlyInsideCall();
    void mainRequestInsideWorkersLoginDoesNotWait();
    void windowAnswersWhileItsRequestIsOnTheWire();
};

void TestThreads::servingFlagOnlyInsideCall()
{
    TestApp t;
    UiDispatcher &d = theApp().Dispatcher();
    QVERIFY(!d.IsServingCall());
    std::atomic<int> inside{-1};
    std::thread worker([&] {
        d.Call<int>(
            [&] {
                inside = d.IsServingCall() ? 1 : 0;
                return 0;
            },
            0);
    });
    QTRY_VERIFY_WITH_TIMEOUT(inside.load() != -1, 10000);
    worker.join();
    QCOMPARE(inside.load(), 1);
    QVERIFY(!d.IsServingCall());
    // On the main thread a call runs directly and serves no worker.
    QCOMPARE(d.Call<int>([&] { return d.IsServingCall() ? 1 : 0; }, -1), 0);
}

// A worker's session expired; its re-login asks the main thread (a dialog),
// and there a request of the main thread's own finds its session expired
// too. The main thread must not wait for the worker's login: that worker
// waits for the main thread.
void TestThreads::mainRequestInsideWorkersLoginDoesNotWait()
{
    FakeServer server;
    server.Start();
    server.Script("poll", {FakeServer::Response(4, {}, "Session expired")});
    server.Script("getProfile", {FakeServer::Response(4, {}, "Session expired")});
    TestApp t;
    theSettings().SetString(Setting::ServerURL, server.Url());
    theApp().GetSession().LoggedIn(QStringLiteral("S-1"));

    std::atomic<bool> nestedReturned{false}, nestedResult{true};
    t.login.onLogin = [&] {
        return theApp().Dispatcher().Call<bool>(
            [&] {
                XRequest profile(QStringLiteral("getProfile"));
                nestedResult = profile.SendWithRelogin();
                nestedReturned = true;
                return false;  // the member cancelled the dialog
            },
            false);
    };
    // Ends a wait that would never end, so that the test fails instead of hanging.
    bool valveOpened = false;
    QTimer valve;
    valve.setSingleShot(true);
    QObject::connect(&valve, &QTimer::timeout, [&] {
        valveOpened = true;
        XRequest::CancelAll(true);
    });
    valve.start(20000);

    std::atomic<bool> workerDone{false}, workerResult{true};
    std::thread worker([&] {
        XRequest poll(QStringLiteral("poll"));
        workerResult = poll.SendWithRelogin();
        workerDone = true;
    });
    QTRY_VERIFY_WITH_TIMEOUT(workerDone.load(), 40000);
    worker.join();
    valve.stop();
    XRequest::CancelAll(false);
    QVERIFY2(!valveOpened, "the main thread waited for the worker that waited for it");
    QVERIFY(nestedReturned.load());
    QVERIFY(!nestedResult.load());
    QVERIFY(!workerResult.load());
    QCOMPARE(t.login.calls.load(), 1);
}

// A request the window sends (a contact fetch, the start-up login) leaves its
// thread free: timers, repaints and commands run while the answer is awaited.
void TestThreads::windowAnswersWhileItsRequestIsOnTheWire()
{
    FakeServer server;
    server.Start();
    FakeServer::Answer slow{FakeServer::Response(0, "<query/>")};
    slow.delayMs = 1500;
    server.Script("getQuery", slow);
    TestApp t;
    theSettings().SetString(Setting::ServerURL, server.Url());
    theApp().GetSession().LoggedIn(QStringLiteral("S-1"));

    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(50);
    XRequest request(QStringLiteral("getQuery"));
    request.AddParam(QStringLiteral("query_id"), QStringLiteral("Q1"));
    QVERIFY(request.SendWithRelogin());
    tick.stop();
    QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks)));
    QCOMPARE(server.RequestsFor("getQuery").size(), 1);
}

KORVANT_TEST_MAIN(TestThreads)
#include "tst_threads.moc"
