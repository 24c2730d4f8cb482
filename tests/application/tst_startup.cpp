// Start-up of the application object against fakes of the windows and the
// fake marketplace server; the single-instance guard between two processes;
// a crash in one run reported by the next.

#include "ClientEnv.h"
#include "FakeServer.h"
#include "SampleAnswers.h"

#include "application/CrashHandler.h"
#include "application/CrashReport.h"
#include "db/SqlDb.h"

#include <QDirIterator>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>

#include <csignal>
#include <sys/mman.h>
#include <sys/stat.h>

namespace {

// Contexts of the level-5 start-up lines, in the order written.
QStringList StepLabels(const QString &log)
{
    QStringList labels;
    static const QRegularExpression line(QStringLiteral("^\\*\\* \\S+ \\S+ (.*) InitInstance $"));
    for (const QString &l : log.split(u'\n')) {
        const auto m = line.match(l);
        if (m.hasMatch())
            labels << m.captured(1);
    }
    return labels;
}

QString LastLabel(ClientEnv &env)
{
    const QStringList labels = StepLabels(env.LogText());
    return labels.isEmpty() ? QString() : labels.last();
}

void MakeUpdater(ClientEnv &env)
{
    QDir().mkpath(env.app().GetModuleFolder());
    QFile f(CClientApp::UpdaterPath());
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\n");
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

FakeServer::Answer MainInfo(const QByteArray &serverVersion)
{
    FakeServer::Answer a = SampleAnswers::Answer(QStringLiteral("getMainInfo.xml"));
    a.body.replace("<server_version>7.4</server_version>", "<server_version>" + serverVersion + "</server_version>");
    return a;
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void stepsLoggedBeforeEachStep();
    void defaultLevelWritesNoSteps();
    void schemaConversion_data();
    void schemaConversion();
    void updateLaterRunsOffline();
    void updateNowStartsUpdater();
    void missingUpdaterNamesTheFile();
    void exceptionWhileFrameLoads();
    void noFrameEndsCleanly();
    void afterTheFrame();
    void idleUpdatesCounters();
    void loopGuard();
    void secondProcessAsksFirstToShow();
    void crashReportedByNextStart();
    void stackOverflowOnWorkerLeavesDumpAndReport();
    void startupFailureRecordedAndReported();
    void pendingReportNotReplacedBySignal();
    void stalledLogoutEndsExitInTime();
    void exitDuringTheStartUpLoginEndsStartUp();

private:
    void Prepare(ClientEnv &env, bool autoLogin);
    FakeServer m_server;
    QList<QPair<QString, QStringList>> m_launched;
};

void TestStartup::init()
{
    m_server.Start();
    m_server.ClearRequests();
    SampleAnswers::ScriptAll(m_server);
    m_server.Script("poll", {FakeServer::Response(0)});
    m_server.Script("newCrashReport", {FakeServer::Response(0)});
    m_launched.clear();
    CClientApp::SetProcessLauncher([this](const QString &program, const QStringList &args) {
        m_launched.append({program, args});
        return true;
    });
}

void TestStartup::cleanup()
{
    CClientApp::SetProcessLauncher({});
}

void TestStartup::Prepare(ClientEnv &env, bool autoLogin)
{
    env.StoreSettings([&](XSettings &s) {
        s.SetInt(Setting::AutoLogin, autoLogin ? 1 : 0);
        s.SetString(Setting::Password, "secret");
        s.SetInt(Setting::AutoPool, 0);
        s.SetInt(Setting::PurgeExpired, 0);
    });
    // A member who has logged in before: the database knows the passport id.
    QVERIFY(theDatabase().init());
    theDatabase().SetPassportId("P-1");
    theDatabase().CloseAll();
}

void TestStartup::stepsLoggedBeforeEachStep()
{
    ClientEnv env({.commandLine = "-level 5 -url " + m_server.Url()});
    Prepare(env, true);
    env.StoreSettings([](XSettings &s) { s.SetInt(Setting::PurgeExpired, 1); });
    QVERIFY(env.app().InitInstance());
    const QStringList labels = StepLabels(env.LogText());
    const QStringList expected = {"SplashScreen",
                                  "SetRegistryKey",
                                  "theDatabase.init",
                                  "theSettings.init",
                                  "theMeta.init",
                                  "theMetaCars.init",
                                  "theMarketPlaces.init",
                                  "theImpSheduler.init",
                                  "theDatabase.OpenEx",
                                  "PurgeQueries()",
                                  "XITrackInvImport",
                                  "KVInvImport",
                                  "CapInvImport",
                                  "new CMainFrame",
                                  "LoadFrame(IDR_MAINFRAME)",
                                  "theFrame->ShowWindow",
                                  "theFrame->StartVerSheduler",
                                  "theFrame->StartDataSyncSheduler",
                                  "theFrame->StartCompactDBSheduler",
                                  "autologin",
                                  "theImpSheduler.InventoryImportStart",
                                  "thePoller.RequestBackground",
                                  "theFrame->RebuildNavigator"};
    QCOMPARE(labels, expected);
    const QString log = env.LogText();
    QVERIFY(log.contains("  Open database: [OK] \n"));
    QVERIFY(log.contains("  Purge Queries: [OK] \n"));
    QVERIFY(!log.contains("secret"));  // the password is never logged
    QVERIFY(log.indexOf("theDatabase.OpenEx InitInstance") < log.indexOf("Open database: [OK]"));
    env.app().ExitInstance();
}

void TestStartup::defaultLevelWritesNoSteps()
{
    {
        ClientEnv env({.commandLine = "-url " + m_server.Url()});
        Prepare(env, true);
        QVERIFY(env.app().InitInstance());
        QVERIFY(StepLabels(env.LogText()).isEmpty());
        QVERIFY(!env.LogText().contains("Open database"));
        env.app().ExitInstance();
    }
    // Each service is called after its step's line is written.
    QStringList atCall;

    ClientEnv traced({.commandLine = "-level 5 -url " + m_server.Url()});
    Prepare(traced, true);
    class Probe : public FakeFrameFactory
    {
    public:
        Probe(ClientEnv &e, QStringList &out) : FakeFrameFactory(&e.frame), env(e), seen(out) {}
        void ShowSplash() override { seen << "ShowSplash:" + LastLabel(env); }
        IMainFrame *CreateMainFrame() override
        {
            seen << "CreateMainFrame:" + LastLabel(env);
            return &env.frame;
        }
        bool LoadFrame() override
        {
            seen << "LoadFrame:" + LastLabel(env);
            return true;
        }
        void ShowFrame() override { seen << "ShowFrame:" + LastLabel(env); }
        ClientEnv &env;
        QStringList &seen;
    } probe(traced, atCall);
    traced.app().SetFrameFactory(&probe);
    QVERIFY(traced.app().InitInstance());
    QCOMPARE(atCall, QStringList({"ShowSplash:", "CreateMainFrame:new CMainFrame",
                                  "LoadFrame:LoadFrame(IDR_MAINFRAME)", "ShowFrame:theFrame->ShowWindow"}));
    traced.app().ExitInstance();
}

void TestStartup::schemaConversion_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<bool>("converted");
    QTest::newRow("older") << "97" << true;
    QTest::newRow("newer") << "99" << true;
    QTest::newRow("equal") << "98" << false;
}

void TestStartup::schemaConversion()
{
    QFETCH(QString, version);
    QFETCH(bool, converted);
    QString folder;
    {
        ClientEnv env({.commandLine = "-level 5 -url " + m_server.Url()});
        Prepare(env, true);
        folder = env.folder;
        SqlConnection c(theDatabase().DatabasePath());
        c.Exec("UPDATE [UserInfo] SET [DB_VER] = ?", {version});
    }
    ClientEnv again({.commandLine = "-level 5 -url " + m_server.Url(), .folder = folder});
    QVERIFY(again.app().InitInstance());
    const QStringList labels = StepLabels(again.LogText());
    QCOMPARE(labels.contains("theDatabase.ConvertDatabase"), converted);
    if (converted)
        QVERIFY(labels.indexOf("theDatabase.ConvertDatabase") < labels.indexOf("theDatabase.OpenEx"));
    QCOMPARE(theDatabase().GetDbVersion(), QString("98"));
    QCOMPARE(theDatabase().GetPassportId(), QString("P-1"));
    again.app().ExitInstance();
}

void TestStartup::updateLaterRunsOffline()
{
    ClientEnv env({.commandLine = "-url " + m_server.Url()});
    Prepare(env, true);
    env.StoreSettings([](XSettings &s) { s.SetInt(Setting::AutoPool, 1); });
    m_server.Script("getMainInfo", MainInfo("8.0"));
    env.dialogs.QueueAnswer(2);  // "Update Later"
    QVERIFY(env.app().InitInstance());
    QVERIFY(env.app().UpdateLater());
    const QStringList links = env.dialogs.log.Calls().filter("LinkMessageDlg|");
    QCOMPARE(links.size(), 1);
    QVERIFY(links[0].contains("The Current version of \"Korvant\" is obsolete and you have to update it."));
    QVERIFY(links[0].contains("|Update Now|Update Later"));
    QVERIFY(m_server.RequestsFor("login").isEmpty());
    QCOMPARE(env.import.log.Count("InventoryImportStart"), 0);
    QVERIFY(!thePoller().IsThreadRunning(XPoller::LoopSlot));
    QVERIFY(!thePoller().IsThreadRunning(XPoller::OneShotSlot));
    QCOMPARE(env.polls.load(), 0);
    QVERIFY(!env.app().GetSession().IsLoggedIn());
    QVERIFY(m_launched.isEmpty());
    // Every later login stops at the version check.
    env.dialogs.QueueAnswer(2);
    QVERIFY(!env.app().DoLogin());
    QVERIFY(m_server.RequestsFor("login").isEmpty());
    env.app().ExitInstance();
}

void TestStartup::updateNowStartsUpdater()
{
    ClientEnv env({.commandLine = "-url " + m_server.Url()});
    Prepare(env, true);
    MakeUpdater(env);
    m_server.Script("getMainInfo", MainInfo("8.0"));
    env.dialogs.QueueAnswer(1);  // "Update Now"
    QVERIFY(!env.app().InitInstance());
    QCOMPARE(m_launched.size(), 1);
    QCOMPARE(m_launched[0].first, CClientApp::UpdaterPath());
    QVERIFY(m_server.RequestsFor("login").isEmpty());
    QCOMPARE(env.import.log.Count("InventoryImportStart"), 0);
    QCOMPARE(env.factory.log.Calls().last(), QString("DestroySplash"));
    env.app().ExitInstance();
}

void TestStartup::missingUpdaterNamesTheFile()
{
    ClientEnv env({.commandLine = "-url " + m_server.Url()});
    env.app().UpdateClient();
    QVERIFY(m_launched.isEmpty());
    const QStringList boxes = env.dialogs.log.Calls().filter("MessageBox|");
    QCOMPARE(boxes.size(), 1);
    QVERIFY(boxes[0].startsWith(QString("MessageBox|Can not find the file \"%1\"").arg(CClientApp::UpdaterPath())));
}

void TestStartup::exceptionWhileFrameLoads()
{
    ClientEnv env({.commandLine = "-url " + m_server.Url()});
    Prepare(env, true);
    env.factory.throwOnLoad = true;
    QVERIFY(!env.app().InitInstance());
    QCOMPARE(env.dialogs.log.Calls().filter("MessageBox|").size(), 1);
    QCOMPARE(env.dialogs.log.Calls().filter("MessageBox|").first(),
             QString("MessageBox|the frame's window could not be built|Error|%1").arg(MsgBox::IconError));
    const QString log = env.LogText();
    QVERIFY(log.contains(" CException the frame's window could not be built \n"));
    QVERIFY(log.contains(" Error the frame's window could not be built \n"));
    QVERIFY(env.factory.log.Calls().contains("DestroySplash"));
    QVERIFY(m_server.RequestsFor("login").isEmpty());
    QCOMPARE(env.app().ExitInstance(), 0);
    QVERIFY(!env.app().IsStarted());
}

void TestStartup::noFrameEndsCleanly()
{
    ClientEnv env({.commandLine = "-url " + m_server.Url()});
    Prepare(env, true);
    QFile::remove(env.app().GetDataFolder() + "meta.xml");
    env.factory.noFrame = true;
    QVERIFY(!env.app().InitInstance());
    QCOMPARE(env.app().StartupStopReason(), QString("no main window: no frame in this test"));
    QVERIFY(env.LogText().contains(" InitInstance Start-up ends: no main window: no frame in this test \n"));
    // What start-up does for real before the window: database, metadata, marketplaces.
    QVERIFY(QFile::exists(env.app().GetDataFolder() + "kvc.mdb"));
    QVERIFY(QFile::exists(env.app().GetDataFolder() + "meta.xml"));
    QVERIFY(QFile::exists(env.app().GetDataFolder() + "meta_car.xml"));
    QVERIFY(env.dialogs.log.Calls().filter("MessageBox|").isEmpty());
    env.app().ExitInstance();
    QCOMPARE(m_server.RequestsFor("logout").size(), 1);
}

void TestStartup::afterTheFrame()
{
    ClientEnv env({.commandLine = "-url " + m_server.Url()});
    Prepare(env, true);
    // A report left by an earlier run.
    {
        CrashReport r;
        r.Fill(true);
        r.SetErrorMessage("left over");
        QVERIFY(r.Save());
    }
    QVERIFY(env.app().InitInstance());
    QVERIFY(env.app().GetSession().IsLoggedIn());
    QCOMPARE(env.app().GetSession().SessionId(), QString("S-1001"));
    const auto logins = m_server.RequestsFor("login");
    QCOMPARE(logins.size(), 1);
    QVERIFY(logins[0].body.contains("P-1"));
    QCOMPARE(m_server.RequestsFor("newCrashReport").size(), 1);
    QVERIFY(!QFile::exists(CrashReport::GetErrorReportPath()));
    QCOMPARE(env.import.log.Calls(), QStringList({"SchedulerInit", "CreateImporters", "InventoryImportStart|1"}));
    QTRY_COMPARE(env.polls.load(), 1);
    QVERIFY(env.frame.log.Calls().contains("StartVerSheduler|7200000"));
    QVERIFY(env.frame.log.Calls().contains("StartDataSyncSheduler|60000"));
    QVERIFY(env.frame.log.Calls().contains("StartCompactDBSheduler|7200000"));
    QVERIFY(env.frame.log.Calls().contains("RebuildNavigator"));
    QVERIFY(env.app().GetWindowTitle().endsWith("[P-1]"));
    QVERIFY(env.app().MainWindowFlag());
    env.app().ExitInstance();
    QVERIFY(!env.app().MainWindowFlag());
    QVERIFY(!env.app().GetSession().IsLoggedIn());
    QCOMPARE(m_server.RequestsFor("logout").size(), 1);
}

void TestStartup::idleUpdatesCounters()
{
    ClientEnv env({.commandLine = "-url " + m_server.Url()});
    env.app().SetMainFrame(&env.frame);
    env.app().SetMainWindowFlag(true);
    env.frame.countersDirty = true;
    env.app().OnIdle(0);
    QVERIFY(env.frame.countersDirty);
    env.app().OnIdle(1);
    QVERIFY(!env.frame.countersDirty);
    env.frame.marketMode = 1;
    env.frame.countersDirty = true;
    env.app().OnIdle(2);
    QCOMPARE(env.frame.log.Calls(), QStringList({"UpdatePartsCounters", "UpdateCarsCounters"}));
}

void TestStartup::loopGuard()
{
    ClientEnv env({.commandLine = "-url " + m_server.Url()});
    QCOMPARE(env.app().Run([] { return 7; }), 7);
    QCOMPARE(env.app().Run([]() -> int { throw std::runtime_error("list broke"); }), 0);
    QCOMPARE(env.dialogs.log.Calls(), QStringList({QString("MessageBox|list broke|Error|%1").arg(MsgBox::IconError)}));
    QCOMPARE(env.app().Run([]() -> int { throw 42; }), 0);
    // Each failure is recorded before it is shown, so the box or the prompt reports it.
    QCOMPARE(env.crash.log.Calls(), QStringList({"RecordException|e06d7363", "RecordException|e06d7363",
                                                 "DisableExceptionRecording", "OnUnhandledError"}));
    const QString log = env.LogText();
    QVERIFY(log.contains(" CException list broke \n"));
    QVERIFY(log.contains(" unknown error Unknown Error \n"));
}

void TestStartup::secondProcessAsksFirstToShow()
{
    const QString name = QStringLiteral("korvant-two-%1").arg(QCoreApplication::applicationPid());
    ClientEnv first({.noDbPath = true, .instanceName = name});
    first.StoreSettings([&](XSettings &s) {
        s.SetString(Setting::ServerURL, m_server.Url());
        s.SetInt(Setting::AutoLogin, 0);
        s.SetInt(Setting::AutoPool, 0);
    });
    QVERIFY(!first.app().OverrideFlag());
    first.dialogs.defaultAnswer = 0;  // the login dialog is cancelled
    QVERIFY(first.app().InitInstance());

    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("KORVANT_TEST_CHILD", "second-instance");
    env.insert("KORVANT_TEST_INSTANCE", name);
    env.insert("KORVANT_TEST_FOLDER", TestEnv::NewFolder("second"));
    second.setProcessEnvironment(env);
    second.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(second.waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, 20000);
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 3);
    QTRY_COMPARE(first.factory.activated.load(), 1);
    first.app().ExitInstance();
}

void TestStartup::crashReportedByNextStart()
{
    const QString folder = TestEnv::NewFolder("crashed");
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("KORVANT_TEST_CHILD", "segfault");
    env.insert("KORVANT_TEST_FOLDER", folder);
    env.insert("KORVANT_TEST_URL", m_server.Url());
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(child.waitForFinished(20000));
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);

    ClientEnv next({.commandLine = "-url " + m_server.Url(), .folder = folder});
    const QString report = CrashReport::GetErrorReportPath();
    {
        CrashReport pending;
        QVERIFY(pending.LoadSaved());
        QCOMPARE(pending.Code(), QString("C0000005"));
        QCOMPARE(pending.PassportId(), QString("P-9"));
    }
    Prepare(next, true);
    QVERIFY(next.app().InitInstance());
    const auto sent = m_server.RequestsFor("newCrashReport");
    QCOMPARE(sent.size(), 1);
    QVERIFY(sent[0].body.contains("<code>C0000005</code>"));
    QVERIFY(!QFile::exists(report));
    next.app().ExitInstance();
}

namespace {
QProcess *StartChild(const QString &mode, const QString &folder, const QString &url)
{
    auto *child = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("KORVANT_TEST_CHILD", mode);
    env.insert("KORVANT_TEST_FOLDER", folder);
    env.insert("KORVANT_TEST_URL", url);
    child->setProcessEnvironment(env);
    child->start(QCoreApplication::applicationFilePath(), {});
    return child;
}
} // namespace

void TestStartup::stackOverflowOnWorkerLeavesDumpAndReport()
{
    const QString folder = TestEnv::NewFolder("overflow");
    std::unique_ptr<QProcess> child(StartChild("worker-overflow", folder, m_server.Url()));
    QVERIFY(child->waitForStarted(20000));
    const qint64 pid = child->processId();
    QVERIFY(child->waitForFinished(20000));
    QCOMPARE(child->exitStatus(), QProcess::CrashExit);

    ClientEnv next({.commandLine = "-url " + m_server.Url(), .folder = folder});
    CrashReport pending;
    QVERIFY(pending.LoadSaved());
    QCOMPARE(pending.Code(), QString("C00000FD"));
    QVERIFY(pending.ErrorMessage().contains("Stack Overflow"));
    QStringList dumps;
    for (QDirIterator it(QDir::tempPath() + "/Korvant", {"*.dmp"}); it.hasNext();) {
        const QString path = it.next();
        QFile dump(path);
        if (dump.open(QIODevice::ReadOnly) && dump.readAll().contains(QByteArray("process: ") + QByteArray::number(pid) + '\n'))
            dumps << path;
    }
    QCOMPARE(dumps.size(), 1);
    // The dump is the worker's, not the main thread's.
    QVERIFY(!dumps.first().endsWith(QStringLiteral("-%1-%1.dmp").arg(pid)));
    QFile::remove(dumps.first());
}

void TestStartup::startupFailureRecordedAndReported()
{
    m_server.Script("newCrashReport", {FakeServer::Response(7, {}, "down"), 200, 0, false, false, "text/xml"});
    ClientEnv env({.commandLine = "-url " + m_server.Url(), .crashHandler = true});
    env.factory.throwUnknownOnSplash = true;
    env.dialogs.QueueAnswer(MsgBox::IdNo);  // no dump
    QVERIFY(!env.app().InitInstance());
    QVERIFY(env.LogText().contains(" unknown error Exception: Microsoft C++ Exception \n at address:  0"));
    const QStringList boxes = env.dialogs.log.Calls().filter(QRegularExpression("^MessageBox"));
    QCOMPARE(boxes.size(), 1);
    QVERIFY(boxes[0].startsWith("MessageBox|Microsoft C++ Exception\n"));
    QVERIFY(boxes[0].contains("Would you like to generate an exception report?"));
    CrashReport saved;
    QVERIFY(saved.LoadSaved());
    QCOMPARE(saved.Code(), QString("E06D7363"));
    QVERIFY(saved.ErrorMessage().startsWith("unexpected error Microsoft C++ Exception"));
    m_server.Script("newCrashReport", {FakeServer::Response(0), 200, 0, false, false, "text/xml"});
}

void TestStartup::pendingReportNotReplacedBySignal()
{
    const QString folder = TestEnv::NewFolder("pending");
    {
        ClientEnv first({.commandLine = "-url " + m_server.Url(), .folder = folder});
        CrashReport r;
        r.Fill(true);
        r.SetErrorMessage("the first failure");
        QVERIFY(r.Save());
    }
    std::unique_ptr<QProcess> child(StartChild("segfault", folder, m_server.Url()));
    QVERIFY(child->waitForFinished(20000));
    QCOMPARE(child->exitStatus(), QProcess::CrashExit);
    ClientEnv next({.commandLine = "-url " + m_server.Url(), .folder = folder});
    CrashReport pending;
    QVERIFY(pending.LoadSaved());
    QCOMPARE(pending.ErrorMessage(), QString("the first failure"));
    QVERIFY(pending.Code().endsWith(u'U'));
    QVERIFY(!QFile::exists(CrashReport::GetErrorReportPath() + ".tmp"));
}

// The server holds the logout sent at exit: the program ends in about 3 s
// all the same.
void TestStartup::stalledLogoutEndsExitInTime()
{
    ClientEnv env({.commandLine = "-url " + m_server.Url()});
    Prepare(env, true);
    env.factory.noFrame = true;
    QVERIFY(!env.app().InitInstance());
    m_server.Script("logout", {FakeServer::Response(0), 200, 7000, false, false, "text/xml"});
    QElapsedTimer timer;
    timer.start();
    env.app().ExitInstance();
    const qint64 ms = timer.elapsed();
    QCOMPARE(m_server.RequestsFor("logout").size(), 1);
    QVERIFY2(ms < 5500, qPrintable(QString::number(ms)));
}

// The window answers during the start-up login: Exit chosen while the server
// keeps it waiting cancels it, sends no second attempt and ends start-up
// there, with nothing to tell and nothing more asked of the server.
void TestStartup::exitDuringTheStartUpLoginEndsStartUp()
{
    ClientEnv env({.commandLine = "-url " + m_server.Url()});
    Prepare(env, true);
    m_server.Script("login", FakeServer::FaultAnswer(FakeServer::Fault::SilentAfterHeaders));
    QTimer::singleShot(300, [] { thePoller().Exit(); });  // File > Exit's step that cancels
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!env.app().InitInstance());
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(env.app().StartupStopReason(), QString("Exit was chosen during start-up"));
    QCOMPARE(m_server.RequestsFor("login").size(), 1);
    for (const char *op : {"getProfile", "getMarketPlaces", "poll"})
        QVERIFY2(m_server.RequestsFor(op).isEmpty(), op);
    QVERIFY2(env.dialogs.log.Calls().isEmpty(), qPrintable(env.dialogs.log.Calls().join('\n')));
    QCOMPARE(env.import.log.Count("InventoryImportStart"), 0);
    env.app().ExitInstance();
}

namespace {
volatile bool g_deeper = true;

// Deep enough to use up any thread's stack; not a tail call.
int Recurse(int depth)
{
    volatile char frame[4096];
    frame[0] = char(depth);
    if (!g_deeper)
        return frame[0];
    return Recurse(depth + 1) + frame[0];
}

// The other processes of the two-process tests: this same program started
// again with KORVANT_TEST_CHILD set.
int ChildMain(int argc, char **argv)
{
    ::umask(077);
    QCoreApplication qapp(argc, argv);
    const QByteArray mode = qgetenv("KORVANT_TEST_CHILD");
    if (mode == "second-instance") {
        ClientEnv env({.noDbPath = true,
                       .instanceName = QString::fromLocal8Bit(qgetenv("KORVANT_TEST_INSTANCE")),
                       .folder = QString::fromLocal8Bit(qgetenv("KORVANT_TEST_FOLDER"))});
        const bool started = env.app().InitInstance();
        return !started && env.app().StartupStopReason() == "another instance is running" ? 3 : 1;
    }
    if (mode == "worker-overflow") {
        std::signal(SIGSEGV, SIG_DFL);
        ClientEnv env({.commandLine = "-url " + QString::fromLocal8Bit(qgetenv("KORVANT_TEST_URL")),
                       .crashHandler = true,
                       .folder = QString::fromLocal8Bit(qgetenv("KORVANT_TEST_FOLDER"))});
        CrashReport::UpdateSignalTemplate();
        thePoller().StartThread(XPoller::LoopSlot, [] { Recurse(0); }, QThread::NormalPriority);
        QThread::sleep(20);
        return 1;
    }
    if (mode == "segfault") {
        std::signal(SIGSEGV, SIG_DFL);
        ClientEnv env({.commandLine = "-url " + QString::fromLocal8Bit(qgetenv("KORVANT_TEST_URL")),
                       .crashHandler = true,
                       .folder = QString::fromLocal8Bit(qgetenv("KORVANT_TEST_FOLDER"))});
        env.app().GetSession().SetPassportId("P-9");
        CrashReport::UpdateSignalTemplate();
        void *page = mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        *static_cast<volatile int *>(page) = 1;
        return 1;
    }
    return 2;
}
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsSet("KORVANT_TEST_CHILD")) {
        // The parent's private home and folders are inherited as they are.
        return ChildMain(argc, argv);
    }
    TestEnv::PrepareProcess();
    QCoreApplication app(argc, argv);
    TestStartup t;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&t, argc, argv);
}

#include "tst_startup.moc"
