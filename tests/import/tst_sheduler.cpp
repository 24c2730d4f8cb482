#include "ITrackFolder.h"

#include "app/TasksDispatcher.h"
#include "import/CapInvImport.h"
#include "import/CapInvImporter.h"
#include "import/ImportSheduler.h"
#include "import/KVInvImport.h"
#include "import/XITrackInvImport.h"

// The start-up import, monitor mode by the scheduler, the stop, and the schedule.
class TestSheduler : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestApp> m_app;

    static void FillArray()
    {
        theImportArray().Add(std::make_unique<XITrackInvImport>());
        theImportArray().Add(std::make_unique<KVInvImport>(0));
        theImportArray().Add(std::make_unique<CapInvImport>(0));
    }

private slots:
    void init()
    {
        m_app = std::make_unique<TestApp>(WithImportGlobals());
        QVERIFY(theDatabase().init());
    }
    void cleanup()
    {
        if (CImportArray *a = theImportArrayIfAny())
            a->StopAll();
        m_app.reset();
    }

    void startup_data()
    {
        QTest::addColumn<int>("everyTime");
        QTest::addColumn<int>("monitor");
        QTest::addColumn<int>("index");
        // "background", "monitor", "box" (monitor refused) or "none"
        QTest::addColumn<QString>("expect");
        QTest::newRow("every start, ITrackPro") << 1 << 0 << 0 << "background";
        QTest::newRow("every start, own format") << 1 << 0 << 1 << "none";
        QTest::newRow("every start, CAP") << 1 << 0 << 2 << "none";
        QTest::newRow("monitor, ITrackPro") << 0 << 1 << 0 << "monitor";
        QTest::newRow("monitor and every start, ITrackPro") << 1 << 1 << 0 << "monitor";
        QTest::newRow("monitor, own format") << 0 << 1 << 1 << "box";
        QTest::newRow("monitor, CAP") << 0 << 1 << 2 << "box";
        QTest::newRow("both off") << 0 << 0 << 0 << "none";
        QTest::newRow("both off, own format") << 0 << 0 << 1 << "none";
        QTest::newRow("invalid index") << 1 << 0 << 3 << "none";
        QTest::newRow("negative index, monitor") << 0 << 1 << -1 << "none";
    }
    void startup()
    {
        QFETCH(int, everyTime);
        QFETCH(int, monitor);
        QFETCH(int, index);
        QFETCH(QString, expect);
        ITrackFolder folder;
        FillArray();
        theSettings().SetInt(Setting::ImportEveryTime, everyTime);
        theSettings().SetInt(Setting::MonitorChanges, monitor);
        theSettings().SetInt(Setting::DefaultImportType, index);
        const int before = ImportLog().count("background mode is started");
        ImportService service;
        service.SchedulerInit();
        service.InventoryImportStart(true);
        CBaseImport *imp = theImportArray().GetAt(index);
        const bool background = ImportLog().count("background mode is started") > before;
        QCOMPARE(background, expect == "background");
        QCOMPARE(service.Sheduler().MonitoredImport() != nullptr, expect == "monitor");
        QCOMPARE(imp && imp->IsMonitoring(), expect == "monitor");
        QCOMPARE(m_app->dialogs.log.Count("MessageBox|Monitor mode don't set."), expect == "box" ? 1 : 0);
        service.CancelAndWait();
        for (int i = 0; i < theImportArray().GetSize(); ++i) {
            QVERIFY(!theImportArray().GetAt(i)->IsRunning());
            QVERIFY(!theImportArray().GetAt(i)->IsMonitoring());
        }
    }

    // Moving monitor mode to another importer stops the first.
    void monitoredImportMoves()
    {
        ITrackFolder folder;
        FillArray();
        theImportArray().Add(std::make_unique<XITrackInvImport>());
        ImportSheduler sheduler;
        auto *first = theImportArray().GetAt(0);
        auto *second = theImportArray().GetAt(3);
        sheduler.SetMonitoredImport(first);
        QVERIFY(first->IsMonitoring());
        sheduler.SetMonitoredImport(second);
        QVERIFY(!first->IsMonitoring());
        QVERIFY(!first->IsRunning());
        QVERIFY(second->IsMonitoring());
        QCOMPARE(sheduler.MonitoredImport(), second);
        sheduler.CancelImport();
        QVERIFY(!second->IsRunning());
        QCOMPARE(sheduler.MonitoredImport(), nullptr);
    }

    void roundTrip()
    {
        {
            ImportSheduler s;
            s.m_eventType = ImportSheduler::Weekly;
            s.m_startTime = 1700000000;
            s.m_startDate = 1700003600;
            s.m_sourceFile1 = QStringLiteral("/x/host.ini");
            s.m_sourceFile2 = QStringLiteral("/y/INVENT.CAP");
            s.m_srcFileLastUpdate1 = 11;
            s.m_srcFileLastUpdate2 = 22;
            s.Save();
        }
        QSettings raw(theSettings().FileName(), QSettings::IniFormat);
        QCOMPARE(raw.value("Sheduler/EventType").toInt(), 3);
        QCOMPARE(raw.value("Sheduler/ImportSourceFile2").toString(), QStringLiteral("/y/INVENT.CAP"));
        ImportSheduler back;
        back.init();
        QCOMPARE(back.m_eventType, 3);
        QCOMPARE(back.m_startTime, 1700000000);
        QCOMPARE(back.m_startDate, 1700003600);
        QCOMPARE(back.m_sourceFile1, QStringLiteral("/x/host.ini"));
        QCOMPARE(back.m_sourceFile2, QStringLiteral("/y/INVENT.CAP"));
        QCOMPARE(back.m_srcFileLastUpdate1, 11);
        QCOMPARE(back.m_srcFileLastUpdate2, 22);
        // Nothing arms the timer.
        QVERIFY(!back.IsTimerActive());
    }

    void defaultsWhenEmpty()
    {
        ImportSheduler s;
        const qint64 before = QDateTime::currentSecsSinceEpoch();
        s.Load();
        QCOMPARE(s.m_eventType, 0);
        QVERIFY(s.m_startTime >= before);
        QCOMPARE(s.m_srcFileLastUpdate1, 0);
        QVERIFY(!s.IsDue());
    }

    void isDue_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QDateTime>("start");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<bool>("due");
        const QDateTime start(QDate(2026, 1, 15), QTime(9, 30));  // a Thursday
        QTest::newRow("none") << 0 << start << start << false;
        QTest::newRow("on request") << 5 << start << start << false;
        QTest::newRow("once, at the start") << 1 << start << start << true;
        QTest::newRow("once, next day") << 1 << start << start.addDays(1) << false;
        QTest::newRow("daily, next day") << 2 << start << start.addDays(1).addSecs(40) << true;
        QTest::newRow("daily, other minute") << 2 << start << start.addDays(1).addSecs(60) << false;
        QTest::newRow("daily, before the start date") << 2 << start << start.addDays(-1) << false;
        QTest::newRow("weekly, a week on") << 3 << start << start.addDays(7) << true;
        QTest::newRow("weekly, six days on") << 3 << start << start.addDays(6) << false;
        QTest::newRow("monthly, a month on") << 4 << start << start.addMonths(1) << true;
        QTest::newRow("monthly, other day") << 4 << start << start.addDays(20) << false;
        const QDateTime end(QDate(2026, 1, 31), QTime(9, 30));
        QTest::newRow("monthly, 31st in February") << 4 << end << QDateTime(QDate(2026, 2, 28), QTime(9, 30)) << true;
    }
    void isDue()
    {
        QFETCH(int, type);
        QFETCH(QDateTime, start);
        QFETCH(QDateTime, now);
        QFETCH(bool, due);
        ImportSheduler s;
        s.m_eventType = type;
        s.m_startTime = start.toSecsSinceEpoch();
        s.m_startDate = start.toSecsSinceEpoch();
        QCOMPARE(s.IsDue(now), due);
        // A second check in the same minute is never due.
        QVERIFY(!s.IsDue(now));
    }

    // A scheduled run imports a file once, and again only when it changed.
    void scheduledRunOncePerChange()
    {
        const QString dir = TestEnv::NewFolder(QStringLiteral("sch"));
        const QString file = dir + QStringLiteral("/INVENT.CAP");
        WriteBytes(file, "x\r\n");
        theSettings().SetInt(Setting::DefaultImportType, 1);
        theSettings().SetString(Setting::Import2SrcFile, file);
        // Each run of this file ends with the same refusal.
        auto runs = [this] { return m_app->dialogs.log.Count("MessageBox|"); };
        ImportSheduler s;
        s.RunScheduledImport();
        QVERIFY(s.ScheduledCap());
        QVERIFY(s.ScheduledCap()->WaitForRun(10000));
        QCOMPARE(s.m_sourceFile2, file);
        QVERIFY(s.m_srcFileLastUpdate2 > 0);
        QCOMPARE(runs(), 1);
        s.RunScheduledImport();
        QVERIFY(s.ScheduledCap()->WaitForRun(10000));
        QCOMPARE(runs(), 1);
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
        f.close();
        s.RunScheduledImport();
        QVERIFY(s.ScheduledCap()->WaitForRun(10000));
        QCOMPARE(runs(), 2);
        s.CancelImport();
        QVERIFY(!s.ScheduledCap()->IsRunning());
    }

    // A scheduled CAP run waiting for its turn is stopped by CancelImport,
    // whatever importer the member has chosen since it started.
    void cancelStopsScheduledCap_data()
    {
        QTest::addColumn<int>("typeNow");
        QTest::newRow("ITrackPro") << 0;
        QTest::newRow("own format") << 1;
        QTest::newRow("CAP") << 2;
    }
    void cancelStopsScheduledCap()
    {
        QFETCH(int, typeNow);
        const QString file = TestEnv::NewFolder(QStringLiteral("sch")) + QStringLiteral("/INVENT.CAP");
        WriteBytes(file, "x\r\n");
        theSettings().SetInt(Setting::DefaultImportType, 1);
        theSettings().SetString(Setting::Import2SrcFile, file);
        TaskScope held(theTasksDispatcher(), CBaseImport::ImportTask, 1000);
        QVERIFY(held.Begun());
        ImportSheduler s;
        s.RunScheduledImport();
        QVERIFY(s.ScheduledCap());
        QTest::qWait(150);
        QVERIFY(s.ScheduledCap()->IsRunning());
        theSettings().SetInt(Setting::DefaultImportType, typeNow);
        s.CancelImport();
        QVERIFY(!s.ScheduledCap()->IsRunning());
    }

    void fileTimes()
    {
        qint64 t = 0;
        QVERIFY(!ImportSheduler::GetFileTime(QString(), t));
        QVERIFY(!ImportSheduler::IsFileUpdated(QStringLiteral("/no/such/file"), 0));
        const QString file = TestEnv::NewFolder(QStringLiteral("ft")) + QStringLiteral("/a.txt");
        WriteBytes(file, "a");
        QVERIFY(ImportSheduler::GetFileTime(file, t));
        QVERIFY(!ImportSheduler::IsFileUpdated(file, t));
        QVERIFY(ImportSheduler::IsFileUpdated(file, t - 5));
    }
};

KORVANT_TEST_MAIN(TestSheduler)
#include "tst_sheduler.moc"
