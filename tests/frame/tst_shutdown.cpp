#include "TestApp.h"
#include "TestEnv.h"

#include "app/TasksDispatcher.h"
#include "app/XSettings.h"
#include "db/KVDatabase.h"
#include "frame/FrameShutdown.h"
#include "frame/FrameTimers.h"
#include "import/ImportArray.h"

#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <stdexcept>

namespace {

// Every step records itself; the log lines too, in one trace.
FrameShutdown::Steps Recording(QStringList &trace, bool importRunning, bool autoImport, bool autoReply,
                               QList<bool> importers)
{
    FrameShutdown::Steps s;
    s.importRunning = [=] { return importRunning; };
    s.autoImport = [=] { return autoImport; };
    s.cancelImport = [&trace] { trace << "cancel import"; };
    s.autoReplyRunning = [=] { return autoReply; };
    s.stopAutoReply = [&trace] { trace << "stop auto-reply"; };
    s.importerCount = [=] { return int(importers.size()); };
    s.deleteImporter = [&trace, importers](int i) {
        if (!importers[i])
            return false;
        trace << QStringLiteral("delete %1").arg(i);
        return true;
    };
    s.storePlacement = [&trace] { trace << "store placement"; };
    s.clearMainWindowFlag = [&trace] { trace << "main window flag off"; };
    s.pollerExit = [&trace] { trace << "poller exit"; };
    s.closeFrame = [&trace] { trace << "close frame"; };
    s.log = [&trace](const QString &line) { trace << line; };
    return s;
}

} // namespace

class TestShutdown : public QObject
{
    Q_OBJECT
private slots:
    void exitSteps_data();
    void exitSteps();
    void exitRunsOnceAndPastAFailingStep();
    void exitFromTheApplication();
    void close_data();
    void close();
    void secondCloseAfterTheTick();
    void versionCheck_data();
    void versionCheck();
    void silentServerNeverHoldsTheWindow();
    void otherTimers();
};

void TestShutdown::exitSteps_data()
{
    QTest::addColumn<bool>("importRunning");
    QTest::addColumn<bool>("autoImport");
    QTest::addColumn<bool>("autoReply");
    QTest::addColumn<QStringList>("trace");

    const QStringList tail{"store placement", "main window flag off", "poller exit", "OnAppExit: [thePoller.Exit()]",
                           "close frame", "OnAppExit: [OK]"};
    const QStringList importers{"delete 0", "OnAppExit: [delete theImportArray[i]]", "delete 2",
                                "OnAppExit: [delete theImportArray[i]]"};
    QTest::newRow("an import running")
        << true << false << false
        << QStringList{"OnAppExit: [Start]", "cancel import", "OnAppExit: [theImpSheduler.CancelImport()]"} + importers + tail;
    QTest::newRow("automatic import on, auto-reply running")
        << false << true << true
        << QStringList{"OnAppExit: [Start]", "cancel import", "OnAppExit: [theImpSheduler.CancelImport()]",
                       "stop auto-reply", "OnAppExit: [thePoller.StopAutoReply()]"} +
               importers + tail;
    QTest::newRow("nothing running") << false << false << false
                                     << QStringList{"OnAppExit: [Start]"} + importers + tail;
}

void TestShutdown::exitSteps()
{
    QFETCH(bool, importRunning);
    QFETCH(bool, autoImport);
    QFETCH(bool, autoReply);
    QFETCH(QStringList, trace);
    QStringList got;
    // The middle importer's entry is empty already.
    FrameShutdown exit(Recording(got, importRunning, autoImport, autoReply, {true, false, true}));
    QVERIFY(!exit.HasBegun());
    QVERIFY(exit.Run());
    QVERIFY(exit.HasBegun());
    QCOMPARE(got, trace);
}

void TestShutdown::exitRunsOnceAndPastAFailingStep()
{
    QStringList got;
    FrameShutdown::Steps s = Recording(got, true, false, false, {});
    s.cancelImport = [] { throw std::runtime_error("disk gone"); };
    FrameShutdown exit(s);
    QVERIFY(exit.Run());
    QVERIFY(got.contains("OnAppExit: CancelImport failed: disk gone"));
    QVERIFY(got.contains("poller exit"));
    QCOMPARE(got.last(), QStringLiteral("OnAppExit: [OK]"));
    const int lines = got.size();
    QVERIFY(!exit.Run());
    QCOMPARE(got.size(), lines);
}

void TestShutdown::exitFromTheApplication()
{
    TestApp::Options o;
    o.commandLine = "-level 5";
    o.extra = {{GlobalSlot::Database, [] { return std::make_unique<KVDatabase>(); }},
               {GlobalSlot::ImportArray, [] { return std::make_unique<CImportArray>(); }}};
    TestApp t(o);
    ImportService().CreateImporters();
    QCOMPARE(theImportArray().GetSize(), 3);
    theApp().SetMainWindowFlag(true);
    QVERIFY(theTasksDispatcher().TryBeginTask(1, 0));

    FrameShutdown::Steps steps = FrameShutdown::Steps::FromApplication();
    QStringList order;
    steps.storePlacement = [&] { order << "placement"; };
    steps.closeFrame = [&] { order << "close"; };
    FrameShutdown exit(steps);
    QVERIFY(exit.Run());
    theTasksDispatcher().EndTask(1);

    QCOMPARE(t.import.log.Calls(), QStringList{"CancelAndWait"});
    for (int i = 0; i < 3; ++i)
        QVERIFY(theImportArray().GetAt(i) == nullptr);
    QVERIFY(!theApp().MainWindowFlag());
    QCOMPARE(order, (QStringList{"placement", "close"}));
    // The log shows the import cancelled before the importers went.
    QStringList lines;
    for (const QString &line : t.LogText().split('\n'))
        if (line.contains(" CMainFrame OnAppExit"))
            lines << line.mid(line.indexOf("OnAppExit")).trimmed();
    QCOMPARE(lines, (QStringList{"OnAppExit: [Start]", "OnAppExit: [theImpSheduler.CancelImport()]",
                                 "OnAppExit: [delete theImportArray[i]]", "OnAppExit: [delete theImportArray[i]]",
                                 "OnAppExit: [delete theImportArray[i]]", "OnAppExit: [thePoller.Exit()]",
                                 "OnAppExit: [OK]"}));
}

void TestShutdown::close_data()
{
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<bool>("tray");
    QTest::addColumn<bool>("tick");
    QTest::addColumn<bool>("noticeShown");
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("confirmAfter");

    QTest::newRow("confirm on, tray") << true << true << false << true << "hide" << true;
    QTest::newRow("confirm on, tray, do-not-show ticked") << true << true << true << true << "hide" << false;
    QTest::newRow("confirm off, tray: silently hidden") << false << true << false << false << "hide" << false;
    QTest::newRow("confirm on, no tray: minimised") << true << false << false << false << "minimise" << true;
    QTest::newRow("confirm off, no tray: minimised") << false << false << false << false << "minimise" << false;
}

void TestShutdown::close()
{
    QFETCH(bool, confirm);
    QFETCH(bool, tray);
    QFETCH(bool, tick);
    QFETCH(bool, noticeShown);
    QFETCH(QString, action);
    QFETCH(bool, confirmAfter);
    XSettings settings(TestEnv::NewFolder() + "/s.ini");
    settings.SetInt(Setting::CloseConfirm, confirm);
    QStringList trace;
    CloseRules::Ops ops;
    ops.notice = [&](int *flag) {
        trace << "notice";
        if (tick)
            *flag = 0;
        return 1;
    };
    ops.storePlacement = [&] { trace << "placement"; };
    ops.hideToTray = [&] { trace << "hide"; };
    ops.minimise = [&] { trace << "minimise"; };
    CloseRules::Run(settings, tray, ops);
    QStringList expected;
    if (noticeShown)
        expected << "notice";
    expected << "placement" << action;
    QCOMPARE(trace, expected);
    QCOMPARE(settings.IsOn(Setting::CloseConfirm), confirmAfter);
}

void TestShutdown::secondCloseAfterTheTick()
{
    const QString file = TestEnv::NewFolder() + "/s.ini";
    XSettings settings(file);
    QVERIFY(settings.IsOn(Setting::CloseConfirm));
    int notices = 0;
    CloseRules::Ops ops;
    ops.notice = [&](int *flag) {
        ++notices;
        *flag = 0;  // "Do not show this message again."
        return 1;
    };
    QCOMPARE(CloseRules::Run(settings, true, ops), (CloseRules::Decision{true, CloseRules::Action::HideToTray}));
    QCOMPARE(CloseRules::Run(settings, true, ops), (CloseRules::Decision{false, CloseRules::Action::HideToTray}));
    QCOMPARE(notices, 1);
    // Kept for the next run.
    XSettings again(file);
    again.init();
    QVERIFY(!again.IsOn(Setting::CloseConfirm));
}

void TestShutdown::versionCheck_data()
{
    QTest::addColumn<bool>("update");
    QTest::addColumn<bool>("noUpdate");
    QTest::addColumn<QStringList>("trace");
    QTest::addColumn<bool>("timerKept");
    QTest::newRow("up to date") << false << false << QStringList{"check on worker", "refresh on worker"} << true;
    QTest::newRow("update") << true << false << QStringList{"check on worker", "updater on main"} << false;
    QTest::newRow("update put off") << true << true << QStringList{"check on worker"} << false;
}

void TestShutdown::versionCheck()
{
    QFETCH(bool, update);
    QFETCH(bool, noUpdate);
    QFETCH(QStringList, trace);
    QFETCH(bool, timerKept);
    TestApp t;
    QMutex mutex;
    QStringList got;
    QThread *main = QThread::currentThread();
    const auto where = [&](const QString &what) {
        QMutexLocker l(&mutex);
        got << what + (QThread::currentThread() == main ? " on main" : " on worker");
    };
    FrameTimers::Callbacks c;
    c.checkVersion = [&] {
        where("check");
        return update;
    };
    c.refreshServerData = [&] { where("refresh"); };
    c.noUpdate = [&] { return noUpdate; };
    c.runUpdaterAndExit = [&] { where("updater"); };
    FrameTimers timers(c);
    timers.Start(FrameTimers::VersionCheck, 7200000);
    QSignalSpy checked(&timers, &FrameTimers::versionChecked);
    timers.OnTimer(FrameTimers::VersionCheck);
    QVERIFY(checked.wait(5000));
    QCOMPARE(checked.first().first().toBool(), update);
    QCOMPARE(got, trace);
    QCOMPARE(timers.IsActive(FrameTimers::VersionCheck), timerKept);
}

void TestShutdown::silentServerNeverHoldsTheWindow()
{
    TestApp t;
    QSemaphore answer;
    std::atomic<int> checks{0};
    bool updaterRan = false;
    FrameTimers::Callbacks c;
    c.checkVersion = [&] {
        ++checks;
        answer.acquire();  // the server says nothing until told to
        return true;
    };
    c.runUpdaterAndExit = [&] { updaterRan = true; };
    {
        FrameTimers timers(c);
        timers.OnTimer(FrameTimers::VersionCheck);
        QTRY_COMPARE(checks.load(), 1);
        // The window goes on meanwhile, and a second tick does not ask again.
        QElapsedTimer clock;
        clock.start();
        QTest::qWait(100);
        QVERIFY(clock.elapsed() < 1000);
        timers.OnTimer(FrameTimers::VersionCheck);
        QVERIFY(timers.IsChecking());
        // Exit: the timers stop without waiting long for the silent check.
        clock.restart();
        timers.Stop(100);
        QVERIFY(clock.elapsed() < 1000);
        answer.release();
    }
    // The answer that came after the stop was dropped.
    QCoreApplication::processEvents();
    QVERIFY(!updaterRan);
    QCOMPARE(checks.load(), 1);
}

void TestShutdown::otherTimers()
{
    TestApp t;
    int compactions = 0;
    FrameTimers::Callbacks c;
    c.compactDatabase = [&] { ++compactions; };
    FrameTimers timers(c);
    timers.Start(FrameTimers::DataSync, 60000);
    timers.Start(FrameTimers::CompactDb, 7200000);
    QCOMPARE(timers.Interval(FrameTimers::DataSync), 60000);
    timers.OnTimer(FrameTimers::DataSync);
    QCOMPARE(compactions, 0);
    timers.OnTimer(FrameTimers::CompactDb);
    QCOMPARE(compactions, 1);
    QVERIFY(timers.IsActive(FrameTimers::DataSync));
    QVERIFY(timers.IsActive(FrameTimers::CompactDb));
    timers.Stop();
    QVERIFY(!timers.IsActive(FrameTimers::DataSync));
    timers.OnTimer(FrameTimers::CompactDb);
    QCOMPARE(compactions, 1);
}

KORVANT_TEST_MAIN(TestShutdown)
#include "tst_shutdown.moc"
