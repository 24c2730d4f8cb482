// Login, logout and the session against the fake marketplace server.

#include "ClientEnv.h"
#include "FakeServer.h"
#include "SampleAnswers.h"

#include <thread>

namespace {
FakeServer::Answer Code(int code)
{
    return {FakeServer::Response(code, {}, "refused")};
}
FakeServer::Answer Dropped()
{
    FakeServer::Answer a;
    a.drop = true;
    return a;
}
} // namespace

class TestSession : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void outcomes_data();
    void outcomes();
    void nestedLoginAfterWrongPassword();
    void noPasswordOpensDialog();
    void cancelledSignUp();
    void successRefreshes();
    void workerLoginRunsExchangeOnly();
    void logout();
    void logoutDuringPollLogsNothingIn();
    void logoutCancelsStalledPoll();
    void loginAnswerAfterLogoutStaysOut();
    void synchronizeAsksForLogin();
    void updaterNeverRunsOnAWorker();

private:
    void Setup(ClientEnv &env, bool autoLogin, bool autoPool = false);
    FakeServer m_server;
};

void TestSession::init()
{
    m_server.Start();
    m_server.ClearRequests();
    SampleAnswers::ScriptAll(m_server);
    XRequest::SetDefaultTimeouts(2000, 4000);
}

void TestSession::Setup(ClientEnv &env, bool autoLogin, bool autoPool)
{
    env.StoreSettings([&](XSettings &s) {
        s.SetInt(Setting::AutoLogin, autoLogin ? 1 : 0);
        s.SetInt(Setting::AutoPool, autoPool ? 1 : 0);
    });
    theSettings().init();
    env.app().SetMainFrame(&env.frame);
    env.app().SetMainWindowFlag(true);
    env.app().GetSession().SetPassportId("P-1");
    env.app().GetSession().SetPassword("pw");
}

void TestSession::outcomes_data()
{
    QTest::addColumn<QList<int>>("answers");  // per attempt: result code, -1 dropped
    QTest::addColumn<bool>("autoLogin");
    QTest::addColumn<bool>("showErrors");
    QTest::addColumn<bool>("loggedIn");
    QTest::addColumn<QStringList>("boxes");

    const QString wrong = "MessageBox|Signing in to Korvant failed because the password\nis incorrect or the Passport "
                          "ID does not exist. Please\nmake sure that your Caps Lock and language selector\nare correctly "
                          "set. If you have forgotten your password,\nclick on the \"Forgot Password?\" link.|Cannot "
                          "login to the system|16";
    QTest::newRow("first attempt") << QList<int>{0} << true << true << true << QStringList();
    QTest::newRow("second attempt") << QList<int>{7, 0} << true << true << true << QStringList();
    QTest::newRow("wrong password, automatic login")
        << QList<int>{200, 200} << true << true << false << QStringList({wrong, "LoginDlg|2"});
    QTest::newRow("wrong password, no automatic login")
        << QList<int>{200, 200} << false << true << false << QStringList({wrong});
    QTest::newRow("server unreachable") << QList<int>{-1, -1} << true << true << false
                                        << QStringList({"MessageDlg2|Cannot retrieve main info||0|32515"});
    QTest::newRow("server unreachable, warnings off") << QList<int>{-1, -1} << true << false << false << QStringList();
}

void TestSession::outcomes()
{
    QFETCH(QList<int>, answers);
    QFETCH(bool, autoLogin);
    QFETCH(bool, showErrors);
    QFETCH(bool, loggedIn);
    QFETCH(QStringList, boxes);
    ClientEnv env({.commandLine = "-url " + m_server.Url()});
    Setup(env, autoLogin);
    *env.app().ShowErrorsFlag() = showErrors ? 1 : 0;
    for (int a : answers) {
        if (a == 0)
            m_server.Enqueue("login", SampleAnswers::Answer("login.xml"));
        else
            m_server.Enqueue("login", a < 0 ? Dropped() : Code(a));
    }
    env.dialogs.defaultAnswer = 0;  // dialogs are cancelled
    QCOMPARE(env.app().DoLogin(), loggedIn);
    QCOMPARE(env.app().GetSession().IsLoggedIn(), loggedIn);
    QCOMPARE(m_server.RequestsFor("login").size(), answers.size());
    QStringList shown;
    for (const QString &c : env.dialogs.log.Calls()) {
        if (c.startsWith("MessageBox|") || c.startsWith("MessageDlg2|") || c.startsWith("LoginDlg|"))
            shown << QString(c).replace(QRegularExpression("^(MessageDlg2\\|[^|]*\\|)[^|]*"), "\\1");
    }
    QCOMPARE(shown, boxes);
    // A failed transfer has no server message: the box says what happened and how to log in again.
    for (const QString &c : env.dialogs.log.Calls().filter("MessageDlg2|")) {
        const QStringList parts = c.section('|', 2, 2).split("\n\n");
        QVERIFY2(parts.size() == 2 && !parts[0].trimmed().isEmpty(), qPrintable(c));
        QCOMPARE(parts[1], QString("You are not logged in. To log in again, choose Login in the File menu (Ctrl+L)."));
    }
    const auto sent = m_server.RequestsFor("login").value(0).body;
    QVERIFY(sent.contains("<passport_id>P-1</passport_id>"));
    QVERIFY(!env.LogText().contains("pw<"));
}

void TestSession::nestedLoginAfterWrongPassword()
{
    ClientEnv env({.commandLine = "-url " + m_server.Url()});
    Setup(env, true);
    m_server.Enqueue("login", Code(200));
    m_server.Enqueue("login", Code(200));
    env.dialogs.onLogin = [&](int mode) {
        // The member types the right password in the dialog, which logs in.
        env.app().GetSession().SetPassword("right");
        return mode == 2 && env.app().DoLogin() ? 1 : 0;
    };
    QVERIFY(env.app().DoLogin());
    QVERIFY(env.app().GetSession().IsLoggedIn());
    QCOMPARE(m_server.RequestsFor("login").size(), 3);
}

void TestSession::noPasswordOpensDialog()
{
    ClientEnv env({.commandLine = "-url " + m_server.Url()});
    Setup(env, false);
    env.app().GetSession().SetPassword(QString());
    env.dialogs.defaultAnswer = 0;
    QVERIFY(!env.app().DoLogin());
    QVERIFY(env.dialogs.log.Calls().contains("LoginDlg|2"));
    QVERIFY(m_server.RequestsFor("login").isEmpty());
}

void TestSession::cancelledSignUp()
{
    ClientEnv env({.commandLine = "-url " + m_server.Url()});
    Setup(env, true);
    env.app().GetSession().SetPassportId(QString());
    env.dialogs.defaultAnswer = 2;
    QVERIFY(!env.app().DoLogin());
    QCOMPARE(env.dialogs.log.Calls(), QStringList({"ProfileSheet|WELCOME TO KORVANT! - Create New Profile|0"}));
    QVERIFY(m_server.RequestsFor("login").isEmpty());
}

void TestSession::successRefreshes()
{
    ClientEnv env({.commandLine = "-url " + m_server.Url()});
    Setup(env, true, true);
    QVERIFY(env.app().DoLogin());
    QCOMPARE(env.app().GetSession().SessionId(), QString("S-1001"));
    QCOMPARE(m_server.RequestsFor("getProfile").size(), 1);
    QVERIFY(thePoller().IsThreadRunning(XPoller::LoopSlot));
    const QStringList calls = env.frame.log.Calls();
    QVERIFY(calls.contains("SetStatusText|logged in"));
    QVERIFY(calls.contains("ApplyRoleToNavigator"));
    QVERIFY(calls.contains("UpdateRoleMenus"));
    const QString name = theProfile().Get().name;
    QVERIFY(!name.isEmpty());
    QCOMPARE(env.app().GetWindowTitle(), QString("Korvant > Parts > Home - %1 [P-1]").arg(name));
    QVERIFY(!env.app().IsLoginEnabled());
    QVERIFY(env.app().IsLogoutEnabled());
}

void TestSession::workerLoginRunsExchangeOnly()
{
    ClientEnv env({.commandLine = "-url " + m_server.Url()});
    Setup(env, true);
    std::atomic<int> result{-1};
    std::thread worker([&] { result = env.app().DoLogin() ? 1 : 0; });
    // The worker needs the main thread for the version check; the refresh comes queued.
    QTRY_COMPARE(result.load(), 1);
    worker.join();
    QVERIFY(env.app().GetSession().IsLoggedIn());
    QTRY_COMPARE(m_server.RequestsFor("getProfile").size(), 1);
    QTRY_VERIFY(env.frame.log.Calls().contains("SetStatusText|logged in"));
    // The window and the boxes are called on the main thread only (the status
    // text may come from any thread).
    QStringList offMain = env.frame.log.OffMainThread();
    offMain.removeIf([](const QString &call) { return call.startsWith("SetStatusText|"); });
    QCOMPARE(offMain, QStringList());
    QCOMPARE(env.dialogs.log.OffMainThread(), QStringList());
}

void TestSession::logout()
{
    ClientEnv env({.commandLine = "-url " + m_server.Url()});
    Setup(env, true, true);
    QVERIFY(env.app().DoLogin());
    env.app().Logout();
    QVERIFY(!env.app().GetSession().IsLoggedIn());
    QVERIFY(env.app().GetSession().Password().isEmpty());
    QCOMPARE(env.app().GetSession().SessionId(), QString("S-1001"));
    QCOMPARE(m_server.RequestsFor("logout").size(), 1);
    QVERIFY(!thePoller().IsThreadRunning(XPoller::LoopSlot));
    QVERIFY(env.app().GetWindowTitle().endsWith("- [Offline]"));
    QVERIFY(env.app().IsLoginEnabled());
    QVERIFY(!env.app().IsLogoutEnabled());
    QVERIFY(!env.app().IsMyProfileEnabled());
}

// The server holds the poll's answer and then says the session expired:
// the member logged out meanwhile, so nothing logs in again.
void TestSession::logoutDuringPollLogsNothingIn()
{
    ClientEnv env({.commandLine = "-url " + m_server.Url()});
    Setup(env, true);
    env.StoreSettings([](XSettings &s) { s.SetString(Setting::Password, "pw"); });
    theSettings().init();
    QVERIFY(env.app().DoLogin());
    m_server.Script("poll", {FakeServer::Response(4, {}, "expired"), 200, 700, false, false, "text/xml"});
    thePoller().SetPollBody({});
    thePoller().RequestBackground();
    QTRY_COMPARE(m_server.RequestsFor("poll").size(), 1);
    env.app().Logout();
    QTRY_VERIFY(!thePoller().IsThreadRunning(XPoller::OneShotSlot));
    QCoreApplication::processEvents();
    QCOMPARE(m_server.RequestsFor("login").size(), 1);
    QVERIFY(!env.app().GetSession().IsLoggedIn());
    QCOMPARE(env.dialogs.log.Calls().filter("LoginDlg").size(), 0);
    // The member's own login works as before.
    env.app().GetSession().SetPassword("pw");
    QVERIFY(env.app().DoLogin());
    QCOMPARE(m_server.RequestsFor("login").size(), 2);
}

void TestSession::logoutCancelsStalledPoll()
{
    XRequest::SetDefaultTimeouts(2000, 30000);
    ClientEnv env({.commandLine = "-url " + m_server.Url()});
    Setup(env, true);
    env.StoreSettings([](XSettings &s) {
        s.SetInt(Setting::AutoPool, 1);
        s.SetInt(Setting::PollTimeout, 1);
    });
    theSettings().init();
    m_server.Script("poll", {FakeServer::Response(0), 200, 15000, false, false, "text/xml"});
    thePoller().SetPollBody({});
    QVERIFY(env.app().DoLogin());
    QTRY_COMPARE_WITH_TIMEOUT(m_server.RequestsFor("poll").size(), 1, 5000);
    QElapsedTimer timer;
    timer.start();
    env.app().Logout();
    QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(!thePoller().IsThreadRunning(XPoller::LoopSlot));
}

// A worker's login whose answer arrives after the member logged out leaves
// the member logged out.
void TestSession::loginAnswerAfterLogoutStaysOut()
{
    ClientEnv env({.commandLine = "-url " + m_server.Url()});
    Setup(env, true);
    QVERIFY(env.app().DoLogin());
    m_server.Script("login", {FakeServer::Response(0, "<session_id>S-2002</session_id>"), 200, 1500, false, false,
                              "text/xml"});
    std::atomic<int> result{-1};
    std::thread worker([&] { result = env.app().DoLogin() ? 1 : 0; });
    QTRY_COMPARE(m_server.RequestsFor("login").size(), 2);
    env.app().Logout();
    QTRY_VERIFY_WITH_TIMEOUT(result.load() >= 0, 10000);
    worker.join();
    QCoreApplication::processEvents();
    QCOMPARE(result.load(), 0);
    QVERIFY(!env.app().GetSession().IsLoggedIn());
    QVERIFY(env.app().GetSession().SessionId() != QString("S-2002"));
}

void TestSession::synchronizeAsksForLogin()
{
    ClientEnv env({.commandLine = "-url " + m_server.Url()});
    Setup(env, false);
    env.app().GetSession().SetPassword(QString());
    env.dialogs.defaultAnswer = 0;  // the login dialog is cancelled
    env.app().OnSynchronize();
    QCOMPARE(env.dialogs.log.Calls().filter("LoginDlg").size(), 1);
    QCOMPARE(env.polls.load(), 0);
}

// The hand-over to the updater stops the poller, which waits for its threads:
// asked from a worker it runs queued on the main thread instead.
void TestSession::updaterNeverRunsOnAWorker()
{
    ClientEnv env({.commandLine = "-url " + m_server.Url()});
    std::atomic<bool> exitingOnWorker{true};
    std::thread worker([&] {
        env.app().RunUpdaterAndExit();
        exitingOnWorker = thePoller().IsExiting();
    });
    worker.join();
    QVERIFY(!exitingOnWorker.load());
    QTRY_VERIFY(thePoller().IsExiting());
    QTRY_VERIFY(env.frame.log.Calls().contains("PostExit") || !env.app().MainWindowFlag());
}

KORVANT_TEST_MAIN(TestSession)
#include "tst_session.moc"
