#include "ITrackFolder.h"

#include "import/XITrackInvImport.h"

#include <QElapsedTimer>
#include <QThread>

// Monitor mode: a folder watched for new ITrackPro files.
class TestMonitor : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestApp> m_app;

    static XITrackInvImport &Importer(int settleMs = 0)
    {
        theImportArray().Add(std::make_unique<XITrackInvImport>());
        auto *imp = static_cast<XITrackInvImport *>(theImportArray().GetAt(0));
        imp->SetSettleTime(settleMs);
        imp->SetRescanInterval(400);
        return *imp;
    }

    // Starts monitor mode and waits for its first run to end, so later files are new.
    static void Start(XITrackInvImport &imp)
    {
        const int ended = ImportLog().count("End loading data.");
        QVERIFY(imp.SetMonitoring(true));
        QTRY_VERIFY_WITH_TIMEOUT(ImportLog().count("End loading data.") > ended || !imp.IsMonitoring(), 5000);
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

    void newFileIsImported()
    {
        ITrackFolder folder;
        XITrackInvImport &imp = Importer();
        Start(imp);
        QVERIFY(imp.IsMonitoring());
        // A second start while monitoring starts nothing.
        QVERIFY(!imp.SetMonitoring(true));
        WriteBytes(folder.exports + "/a.in", ITrackFolder::Line("I", "1") + ITrackFolder::Line("I", "2"));
        QTRY_VERIFY_WITH_TIMEOUT(folder.Files().contains("a.out"), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(CountRows(), 2, 5000);
        QVERIFY2(ImportLog().contains("New data was detected"), qPrintable(ImportLog()));
        QTRY_VERIFY(m_app->frame.log.Count("ShowTrayMessage") >= 1);
        imp.StopMonitoring();
        QVERIFY(!imp.IsRunning());
        QVERIFY(!imp.IsMonitoring());
        QVERIFY(ImportLog().contains("monitor mode is stopped."));
    }

    // A file still being written is read once, whole, after it stops changing.
    void slowWriteImportedOnce()
    {
        ITrackFolder folder;
        XITrackInvImport &imp = Importer(600);
        Start(imp);
        const int runs = ImportLog().count("Start loading data...");
        QFile f(folder.exports + "/slow.in");
        QVERIFY(f.open(QIODevice::WriteOnly));
        for (int i = 0; i < 5; ++i) {
            f.write(ITrackFolder::Line("I", QByteArray::number(i)));
            f.flush();
            QThread::msleep(150);
        }
        f.close();
        QTRY_VERIFY_WITH_TIMEOUT(folder.Files().contains("slow.out"), 8000);
        QCOMPARE(CountRows(), 5);
        QTest::qWait(900);
        QCOMPARE(ImportLog().count("Start loading data..."), runs + 1);
        imp.StopMonitoring();
    }

    // Without the flag file nothing is new (logged once); with it back, the file is read.
    void flagRemovedAndRestored()
    {
        ITrackFolder folder(false);
        XITrackInvImport &imp = Importer();
        const int missing = ImportLog().count("itrack.flg is missing");
        QVERIFY(imp.SetMonitoring(true));
        WriteBytes(folder.exports + "/b.in", ITrackFolder::Line("I", "7"));
        QTest::qWait(1500);
        QVERIFY(folder.Files().contains("b.in"));
        QCOMPARE(CountRows(), 0);
        QCOMPARE(ImportLog().count("itrack.flg is missing"), missing + 1);
        QVERIFY(imp.IsMonitoring());
        folder.SetFlag(true);
        QTRY_VERIFY_WITH_TIMEOUT(folder.Files().contains("b.out"), 5000);
        QCOMPARE(CountRows(), 1);
        imp.StopMonitoring();
    }

    // A folder that cannot be watched ends monitor mode, and the importer says why.
    void missingFolderEndsMonitoring_data()
    {
        QTest::addColumn<bool>("fileInstead");
        QTest::addColumn<QString>("error");
        QTest::newRow("missing") << false << "Error #2";
        QTest::newRow("a file") << true << "Error #20";
    }
    void missingFolderEndsMonitoring()
    {
        QFETCH(bool, fileInstead);
        QFETCH(QString, error);
        ITrackFolder folder;
        XITrackInvImport &imp = Importer();
        QVERIFY(QDir(folder.exports).removeRecursively());
        if (fileInstead) {
            QFile file(folder.exports);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QVERIFY(imp.SetMonitoring(true));
        QTRY_VERIFY_WITH_TIMEOUT(!imp.IsMonitoring(), 5000);
        QVERIFY(ImportLog().contains("Can't monitor the folder"));
        QVERIFY2(ImportLog().contains(error), qPrintable(ImportLog()));
        imp.StopMonitoring();
        QVERIFY(!imp.IsRunning());
    }

    void noMonitorSupport()
    {
        theImportArray().Add(std::make_unique<CBaseImport>());
        CBaseImport *imp = theImportArray().GetAt(0);
        QVERIFY(!imp->SetMonitoring(true));
        QVERIFY(!imp->IsMonitoring());
        QVERIFY(!imp->IsRunning());
    }

    // With prompts on, a minimised window delays the question; a stop answers No at once.
    void questionWaitsForWindow()
    {
        ITrackFolder folder;
        theSettings().SetInt(Setting::PromptOnDataReady, 1);
        m_app->frame.minimized = true;
        XITrackInvImport &imp = Importer();
        Start(imp);
        WriteBytes(folder.exports + "/c.in", ITrackFolder::Line("I", "3"));
        QTRY_VERIFY_WITH_TIMEOUT(ImportLog().contains("New data was detected"), 5000);
        QTest::qWait(400);
        QCOMPARE(m_app->dialogs.log.Count("MessageDlg"), 0);
        QElapsedTimer t;
        t.start();
        imp.StopMonitoring();
        QVERIFY(t.elapsed() < 3000);
        QCOMPARE(m_app->dialogs.log.Count("MessageDlg"), 0);
        QVERIFY(folder.Files().contains("c.in"));
    }

    void questionAnsweredOk()
    {
        ITrackFolder folder;
        theSettings().SetInt(Setting::PromptOnDataReady, 1);
        XITrackInvImport &imp = Importer();
        Start(imp);
        WriteBytes(folder.exports + "/d.in", ITrackFolder::Line("I", "4"));
        QTRY_VERIFY_WITH_TIMEOUT(folder.Files().contains("d.out"), 5000);
        QTRY_COMPARE(m_app->dialogs.log.Count("MessageDlg||New inventory data is available from ITrackPro"), 1);
        // OK on "view it now" shows the records instead of the pop-up.
        QTRY_COMPARE(m_app->frame.log.Count("ShowImportedRecords"), 1);
        imp.StopMonitoring();
    }

    // The schedule's own threads: a new-files run, and a watch that ends when asked.
    void ownNewFilesThread()
    {
        ITrackFolder folder;
        WriteBytes(folder.exports + "/a.in", ITrackFolder::Line("I", "1") + ITrackFolder::Line("I", "2"));
        XITrackInvImport imp;
        imp.SetSettleTime(0);
        QThread *thread = imp.StartNewFilesImport();
        QVERIFY(thread);
        QVERIFY(thread->wait(10000));
        QCOMPARE(folder.Files(), QStringList({"a.out", "itrack.flg"}));
        QCOMPARE(CountRows(), 2);
        QCOMPARE(m_app->frame.log.Count("NotifyCatalogChanged"), 2);
        QCOMPARE(m_app->frame.log.Count("ShowTrayMessage|Inventory data import completed.\nClick here to see new 2 records.|1"), 1);
        // Nothing new: no pop-up.
        QVERIFY(imp.StartNewFilesImport()->wait(10000));
        QCOMPARE(m_app->frame.log.Count("ShowTrayMessage"), 1);
    }

    void ownMonitorThread()
    {
        ITrackFolder folder;
        theSettings().SetInt(Setting::AutoITPImport, 1);
        XITrackInvImport imp;
        imp.SetSettleTime(0);
        imp.SetRescanInterval(400);
        QVERIFY(imp.StartMonitorThread());
        WriteBytes(folder.exports + "/b.in", ITrackFolder::Line("I", "7"));
        QTRY_VERIFY_WITH_TIMEOUT(folder.Files().contains("b.out"), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(CountRows(), 1, 5000);
        QVERIFY(imp.IsOwnThreadRunning());
        QElapsedTimer t;
        t.start();
        imp.StopMonitorThread();
        QVERIFY2(t.elapsed() < 2000, qPrintable(QString::number(t.elapsed())));
        QVERIFY(!imp.IsOwnThreadRunning());

        // With "AutoITPImport" off the watch ends after its first run.
        theSettings().SetInt(Setting::AutoITPImport, 0);
        QVERIFY(imp.StartMonitorThread());
        QTRY_VERIFY_WITH_TIMEOUT(!imp.IsOwnThreadRunning(), 5000);
    }
};

KORVANT_TEST_MAIN(TestMonitor)
#include "tst_monitor.moc"
