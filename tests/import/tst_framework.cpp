#include "ImportFixture.h"

#include "import/KVInvImport.h"

#include "app/TasksDispatcher.h"
#include "app/XSettings.h"

#include <QElapsedTimer>

namespace {
// An importer whose run fails with an exception.
class ThrowingImport : public CBaseImport
{
public:
    int ImportData() override { throw std::runtime_error("broken"); }
};

// A monitoring importer whose folder cannot even be named.
class BrokenMonitor : public CBaseImport
{
public:
    explicit BrokenMonitor(bool standard) : m_standard(standard) { m_canMonitor = true; }
    QString GetMonitorFolder() const override
    {
        if (m_standard)
            throw std::runtime_error("no folder");
        throw 1;
    }

private:
    bool m_standard;
};
} // namespace

// The run frame: cancel questions, background runs and the task registry.
class TestFramework : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestApp> m_app;
    QString m_dir;

    // An own-format file of `rows` short rows (a header names the columns).
    QString SmallFile(int rows, const QString &name = QStringLiteral("rows.csv"))
    {
        QByteArray bytes = "Korvant Inventory Format\nID,P_NAME,P_PRICE,V_MAKE,V_MODEL,V_YEAR\n";
        for (int i = 1; i <= rows; ++i)
            bytes += QByteArray::number(i) + ",Part,1,Ford,Ka,2000\n";
        const QString path = m_dir + u'/' + name;
        WriteBytes(path, bytes);
        return path;
    }

    KVInvImport &Importer(const QString &path)
    {
        theImportArray().Add(std::make_unique<KVInvImport>(0));
        auto *imp = static_cast<KVInvImport *>(theImportArray().GetAt(theImportArray().GetSize() - 1));
        imp->SetSourcePath(path);
        return *imp;
    }

private slots:
    void init()
    {
        m_app = std::make_unique<TestApp>(WithImportGlobals());
        QVERIFY(theDatabase().init());
        m_dir = TestEnv::NewFolder(QStringLiteral("fw"));
    }
    void cleanup() { m_app.reset(); }

    void summaryAndCounters()
    {
        KVInvImport &imp = Importer(SmallFile(4));
        QCOMPARE(imp.GetTotalRecords(), 0);
        QCOMPARE(imp.RunImport(), 4);
        QCOMPARE(imp.GetTotalRecords(), 4);
        QVERIFY(ImportLog().contains("Start loading data..."));
        QVERIFY(ImportLog().contains("     Records inserted: 4\n"));
        QVERIFY(ImportLog().contains("End loading data."));
        QVERIFY(!theTasksDispatcher().IsTaskRunning(CBaseImport::ImportTask));
    }

    void cancelNoContinues()
    {
        KVInvImport &imp = Importer(SmallFile(10));
        imp.SetProgressInterval(0);
        m_app->dialogs.cancelAtStep = 3;
        m_app->dialogs.QueueAnswer(MsgBox::IdNo);
        QCOMPARE(imp.RunImport(), 10);
        QCOMPARE(CountRows(), 10);
        QCOMPARE(m_app->dialogs.log.Count("MessageBox|Are you sure you want to Cancel?"), 1);
        QCOMPARE(m_app->dialogs.log.Count("MessageBox|Import cancelled by user."), 0);
    }

    void cancelYesCommitsRowsSoFar()
    {
        KVInvImport &imp = Importer(SmallFile(10));
        imp.SetProgressInterval(0);
        m_app->dialogs.cancelAtStep = 4;  // the header line and three rows
        m_app->dialogs.QueueAnswer(MsgBox::IdYes);
        QCOMPARE(imp.RunImport(), 3);
        QCOMPARE(CountRows(), 3);
        QCOMPARE(imp.GetInsertedCount(), 3);
        QCOMPARE(m_app->dialogs.log.Count("MessageBox|Import cancelled by user."), 1);
        QVERIFY(ImportLog().contains("Import cancelled by user."));
        QVERIFY(!theTasksDispatcher().IsTaskRunning(CBaseImport::ImportTask));
    }

    void backgroundRunSendsNotices()
    {
        KVInvImport &imp = Importer(SmallFile(5));
        QVERIFY(imp.StartBackgroundImport());
        QVERIFY(imp.WaitForRun(10000));
        QCOMPARE(CountRows(), 5);
        QCOMPARE(m_app->frame.log.Count("NotifyCatalogChanged"), 2);
        QCOMPARE(m_app->frame.log.Count("ShowTrayMessage|Inventory data import completed.\nClick here to see new 5 records.|1"), 1);
        QVERIFY(m_app->frame.log.Count("ProgressStart|Importing:") == 1);
    }

    void backgroundWaitsForTaskAndStopEndsWait()
    {
        KVInvImport &imp = Importer(SmallFile(5));
        TasksDispatcher &tasks = theTasksDispatcher();
        QVERIFY(tasks.BeginTask(3));
        QVERIFY(imp.StartBackgroundImport());
        QTest::qWait(300);
        QVERIFY(imp.IsRunning());
        QCOMPARE(CountRows(), 0);
        QVERIFY(!tasks.IsTaskRunning(CBaseImport::ImportTask));
        QElapsedTimer t;
        t.start();
        ImportService().CancelAndWait();
        QVERIFY2(t.elapsed() < 2000, qPrintable(QString::number(t.elapsed())));
        QVERIFY(!imp.IsRunning());
        QCOMPARE(CountRows(), 0);
        QCOMPARE(m_app->frame.log.Count("NotifyCatalogChanged"), 0);
        tasks.EndTask(3);

        // Once the auto-reply ends, a new run goes ahead.
        QVERIFY(tasks.BeginTask(3));
        QVERIFY(imp.StartBackgroundImport());
        QTest::qWait(200);
        QCOMPARE(CountRows(), 0);
        tasks.EndTask(3);
        QVERIFY(imp.WaitForRun(10000));
        QCOMPARE(CountRows(), 5);
    }

    void taskEndsAfterException()
    {
        theImportArray().Add(std::make_unique<ThrowingImport>());
        CBaseImport *imp = theImportArray().GetAt(0);
        QVERIFY(imp->StartBackgroundImport());
        QVERIFY(imp->WaitForRun(10000));
        QCOMPARE(imp->GetErrorCount(), 1);
        QVERIFY(ImportLog().contains("RunCallback: Unknown error."));
        QVERIFY(!theTasksDispatcher().IsTaskRunning(CBaseImport::ImportTask));
        TaskScope next(theTasksDispatcher(), 3, 100);
        QVERIFY(next.Begun());
    }

    void monitorThatThrowsNoLongerMonitors_data()
    {
        QTest::addColumn<bool>("standard");
        QTest::newRow("exception") << true;
        QTest::newRow("anything else") << false;
    }
    void monitorThatThrowsNoLongerMonitors()
    {
        QFETCH(bool, standard);
        theImportArray().Add(std::make_unique<BrokenMonitor>(standard));
        CBaseImport *imp = theImportArray().GetAt(0);
        QVERIFY(imp->SetMonitoring(true));
        QVERIFY(imp->WaitForRun(10000));
        QVERIFY(!imp->IsMonitoring());
        QCOMPARE(imp->GetErrorCount(), 1);
        QVERIFY(ImportLog().contains("UpdatMonitoringCallback: "));
    }

    void cancelAndWaitMidRun()
    {
        const int rows = 300000;
        KVInvImport &imp = Importer(SmallFile(rows));
        QVERIFY(imp.StartBackgroundImport());
        QTRY_VERIFY_WITH_TIMEOUT(m_app->frame.log.Count("ProgressStart|Importing:") == 1, 20000);
        QElapsedTimer t;
        t.start();
        ImportService().CancelAndWait();
        QVERIFY2(t.elapsed() < 2000, qPrintable(QString::number(t.elapsed())));
        QVERIFY(!imp.IsRunning());
        // Whatever was committed is counted, and nothing else.
        QCOMPARE(CountRows(), imp.GetInsertedCount());
        QVERIFY(CountRows() < rows);
        QCOMPARE(m_app->frame.log.Count("ShowTrayMessage"), 0);
        QCOMPARE(m_app->frame.log.Count("NotifyCatalogChanged"), 1);
    }
};

KORVANT_TEST_MAIN(TestFramework)
#include "tst_framework.moc"
