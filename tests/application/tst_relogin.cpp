// An expired session met by every operation that logs in again, during the
// login's own follow-up steps and later: one more login, the request once
// more, the same end state as without the fault, and never a thread waiting
// on itself.

#include "ClientEnv.h"
#include "FakeServer.h"
#include "SampleAnswers.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace {

// Ends the test process when a step never returns: a thread waiting on itself
// holds the main thread, so nothing on it could fail the test.
class Watchdog
{
public:
    Watchdog(const QString &what, int seconds)
    {
        m_thread = std::thread([this, name = what.toStdString(), seconds] {
            std::unique_lock lock(m_mutex);
            if (m_done.wait_for(lock, std::chrono::seconds(seconds), [this] { return m_finished; }))
                return;
            std::fprintf(stderr, "FAIL: \"%s\" still waiting after %d s: the program waits on itself\n", name.c_str(),
                         seconds);
            std::fflush(stderr);
            std::abort();
        });
    }
    ~Watchdog()
    {
        {
            std::lock_guard lock(m_mutex);
            m_finished = true;
        }
        m_done.notify_all();
        m_thread.join();
    }
    Watchdog(const Watchdog &) = delete;
    Watchdog &operator=(const Watchdog &) = delete;

private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_finished = false;
    std::thread m_thread;
};

FakeServer::Answer Expired()
{
    return {FakeServer::Response(4, {}, "Session expired")};
}

// A request as its sender sends it: on the main thread or on a worker (the
// poll thread, a form's send).
bool SendOn(bool worker, const QString &operation, const QString &param = {}, const QString &value = {})
{
    const auto send = [&] {
        XRequest request(operation);
        if (!param.isEmpty())
            request.AddParam(param, value);
        return request.SendWithRelogin();
    };
    if (!worker)
        return send();
    std::atomic<int> result{-1};
    std::thread t([&] { result = send() ? 1 : 0; });
    // The worker's login asks the main thread (version check, credentials).
    while (result.load() == -1)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    t.join();
    return result.load() == 1;
}

} // namespace

class TestRelogin : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void expiredSession_data();
    void expiredSession();
    void followUpsRunOnceWhenTheirRequestLogsInAgain();

private:
    void Setup(ClientEnv &env);
    FakeServer m_server;
};

void TestRelogin::init()
{
    m_server.Start();
    m_server.ClearRequests();
    SampleAnswers::ScriptAll(m_server);
    m_server.Script("poll", {FakeServer::Response(0)});
    m_server.Script("getOrder", {FakeServer::Response(0, "<order><order_id>O1</order_id></order>")});
    XRequest::SetDefaultTimeouts(2000, 4000);
}

void TestRelogin::Setup(ClientEnv &env)
{
    env.StoreSettings([](XSettings &s) {
        s.SetInt(Setting::AutoLogin, 1);
        s.SetInt(Setting::AutoPool, 0);
    });
    theSettings().init();
    env.app().SetMainFrame(&env.frame);
    env.app().SetMainWindowFlag(true);
    env.app().GetSession().SetPassportId("P-1");
    env.app().GetSession().SetPassword("pw");
}

enum class When { StartUp, Later };

void TestRelogin::expiredSession_data()
{
    QTest::addColumn<int>("when");
    QTest::addColumn<QString>("operation");
    QTest::addColumn<bool>("worker");   // sent from a worker thread
    QTest::addColumn<bool>("relogin");  // sent with re-login (else once)

    const int start = int(When::StartUp), later = int(When::Later);
    QTest::newRow("start-up getMarketPlaces") << start << "getMarketPlaces" << false << true;
    QTest::newRow("start-up getProfile") << start << "getProfile" << false << true;
    // Sent once: the metadata needs no session (it is read before any login).
    QTest::newRow("start-up getMetaInfo") << start << "getMetaInfo" << false << false;
    QTest::newRow("start-up getCarMetaInfo") << start << "getCarMetaInfo" << false << false;
    QTest::newRow("getMarketPlaces") << later << "getMarketPlaces" << false << true;
    QTest::newRow("getProfile") << later << "getProfile" << false << true;
    QTest::newRow("poll") << later << "poll" << true << true;
    QTest::newRow("newQuery") << later << "newQuery" << true << true;
    QTest::newRow("newMessage") << later << "newMessage" << true << true;
    QTest::newRow("newOrder") << later << "newOrder" << true << true;
    QTest::newRow("contact getQuery") << later << "getQuery" << false << true;
    QTest::newRow("contact getCarQuery") << later << "getCarQuery" << false << true;
    QTest::newRow("getOrder") << later << "getOrder" << false << true;
}

void TestRelogin::expiredSession()
{
    QFETCH(int, when);
    QFETCH(QString, operation);
    QFETCH(bool, worker);
    QFETCH(bool, relogin);
    ClientEnv env({.commandLine = "-url " + m_server.Url()});
    Setup(env);
    env.dialogs.defaultAnswer = 0;
    const Watchdog watchdog(QString::fromLatin1(QTest::currentDataTag()), 10);

    if (when == int(When::StartUp)) {
        m_server.Enqueue(operation, Expired());
        QVERIFY(env.app().DoLogin());
    } else {
        QVERIFY(env.app().DoLogin());
        m_server.ClearRequests();
        m_server.Enqueue(operation, Expired());
        bool sent = false;
        if (operation == "getMarketPlaces") {
            theMarketPlaces().Refresh(0);
            sent = !m_server.RequestsFor(operation).isEmpty();
        } else if (operation == "getProfile") {
            theProfile().GetProfile();
            sent = !theProfile().Get().name.isEmpty();
        } else {
            const QString param = operation == "getQuery"      ? "query_id"
                                  : operation == "getCarQuery" ? "car_query_id"
                                  : operation == "getOrder"    ? "order_id"
                                                               : QString();
            sent = SendOn(worker, operation, param, param.isEmpty() ? QString() : "X1");
        }
        QVERIFY(sent);
    }
    // What a worker's login queued for the main thread has run.
    QCoreApplication::processEvents();

    // Logins besides the first (whose requests a later row has cleared).
    const int logins = m_server.RequestsFor("login").size() - (when == int(When::StartUp) ? 1 : 0);
    const int sends = m_server.RequestsFor(operation).size();
    if (relogin) {
        QCOMPARE(logins, 1);  // one login more than without the fault
        QCOMPARE(sends, 2);   // the request once more, and only that one
        QCOMPARE(env.dialogs.log.Calls().filter("MessageBox|"), QStringList());
    } else {
        QCOMPARE(logins, 0);
        QCOMPARE(sends, 1);
        QVERIFY(!env.dialogs.log.Calls().filter("Cannot retrieve metadata").isEmpty());
    }
    // The state a login without the fault reaches.
    QVERIFY(env.app().GetSession().IsLoggedIn());
    QVERIFY(!theProfile().Get().name.isEmpty());
    QVERIFY(theMarketPlaces().GetMarketCount(0) > 0);
    QVERIFY(env.frame.log.Calls().contains("SetStatusText|logged in"));
}

// The login's follow-ups run once even when one of their requests logs in
// again: the marketplaces, metadata and profile are each fetched once more
// than their expired request, never from the start again inside the re-login.
void TestRelogin::followUpsRunOnceWhenTheirRequestLogsInAgain()
{
    ClientEnv env({.commandLine = "-url " + m_server.Url()});
    Setup(env);
    const Watchdog watchdog(QStringLiteral("follow-ups"), 10);
    m_server.Enqueue("getMarketPlaces", Expired());
    m_server.Enqueue("getProfile", Expired());
    QVERIFY(env.app().DoLogin());
    QCOMPARE(m_server.RequestsFor("login").size(), 3);
    QCOMPARE(m_server.RequestsFor("getMarketPlaces").size(), 2);
    QCOMPARE(m_server.RequestsFor("getMetaInfo").size(), 1);
    QCOMPARE(m_server.RequestsFor("getCarMetaInfo").size(), 1);
    QCOMPARE(m_server.RequestsFor("getProfile").size(), 2);
    QCOMPARE(env.frame.log.Calls().filter("SetStatusText|logged in").size(), 1);
}

KORVANT_TEST_MAIN(TestRelogin)
#include "tst_relogin.moc"
