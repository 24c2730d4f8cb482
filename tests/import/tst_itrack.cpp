#include "ImportFixture.h"

#include "import/XITrackInvImport.h"

#include "app/XSettings.h"

#include <QElapsedTimer>

// ITrackPro exports: file order, full dumps, action codes and renaming.
class TestITrack : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestApp> m_app;
    QString m_export;

    // Export folder below a mixed-case path, named by host.ini; the flag file present.
    void Setup(bool flag = true)
    {
        const QString root = TestEnv::NewFolder(QStringLiteral("itr"));
        m_export = root + QStringLiteral("/ITrack Pro/Exports");
        QVERIFY(QDir().mkpath(m_export));
        WriteBytes(root + "/host.ini", "[General]\r\nimagesdir=images\r\n[Korvant]\r\nexportfolder=" + m_export.toUtf8() + "\r\n");
        theSettings().SetString(Setting::ITrackProIniFilePath, root + "/host.ini");
        if (flag)
            WriteBytes(m_export + "/itrack.flg", "");
    }

    static QByteArray Line(const QByteArray &action, const QByteArray &partnum, const QByteArray &part = "Door",
                           const QByteArray &price = "25")
    {
        return action + ",2024-01-02," + partnum + ",IC-1,Used," + part + "," + price +
               ",5,Left,Some notes,Ford,Focus,2004,Sedan,VIN123,0\r\n";
    }

    // Old files already imported must not look new.
    static void Age(const QString &path)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime));
    }

    void Drop(const QString &name, const QByteArray &bytes)
    {
        WriteBytes(m_export + u'/' + name, bytes);
        Age(m_export + u'/' + name);
    }

    XITrackInvImport &Importer()
    {
        theImportArray().Add(std::make_unique<XITrackInvImport>());
        auto *imp = static_cast<XITrackInvImport *>(theImportArray().GetAt(0));
        imp->SetSettleTime(0);
        return *imp;
    }

    static void Insert(const QString &source, const QString &name)
    {
        theDatabase().Connection().Exec(
            "INSERT INTO Inventory (P_NAME, P_NOTES, SOURCE) VALUES (?, 'kept', ?)", {name, source.isNull() ? QVariant() : source});
    }

    QStringList Files() const { return QDir(m_export).entryList(QDir::Files, QDir::Name); }

private slots:
    void init()
    {
        m_app = std::make_unique<TestApp>(WithImportGlobals());
        QVERIFY(theDatabase().init());
    }
    void cleanup() { m_app.reset(); }

    void pathOrder()
    {
        Setup();
        for (const char *name : {"b.in", "a.full", "c.IN", "A2.in", "d.out", "e.txt", "F.Full"})
            Drop(QLatin1String(name), "");
        XITrackInvImport &imp = Importer();
        QCOMPARE(imp.ListNewFiles(m_export + "/", "*.in"), 5);
        QStringList names;
        for (const QString &p : imp.Files())
            names << QFileInfo(p).fileName();
        QCOMPARE(names, QStringList({"A2.in", "F.Full", "a.full", "b.in", "c.IN"}));
    }

    void fullDeletesOnlyITrackRowsAndRenames()
    {
        Setup();
        Insert("ITR_1", "old one");
        Insert("itr_2", "old two");
        Insert("ITRX5", "not ours");  // a LIKE 'ITR_%' would take it
        Insert("KIF_1", "own format");
        Insert(QString(), "by hand");
        Drop("Dump.FULL", Line("I", "10") + Line("I", "11"));
        XITrackInvImport &imp = Importer();
        QCOMPARE(imp.RunImport(), 2);
        QCOMPARE(imp.GetDeletedCount(), 2);
        QCOMPARE(imp.GetInsertedCount(), 2);
        QCOMPARE(Column("SELECT IFNULL(SOURCE, '-') FROM Inventory ORDER BY ID"), QString("ITRX5|KIF_1|-|ITR_10|ITR_11"));
        QCOMPARE(Files(), QStringList({"Dump.out", "itrack.flg"}));
        QCOMPARE(Column("SELECT P_CATEGORY || P_HANDLING || P_WEIGHT || P_QUANTITY FROM Inventory WHERE SOURCE = 'ITR_10'"),
                 QString("ALL PARTS0.00.01"));
        // Nothing new the next time.
        QCOMPARE(imp.RunImport(), 0);
        QCOMPARE(CountRows(), 5);
    }

    // A full dump first says it deletes the old rows; a failing delete keeps them and the file.
    void fullDumpDeletesFirst()
    {
        Setup();
        Insert("ITR_1", "old one");
        Drop("dump.full", Line("I", "10"));
        XITrackInvImport &imp = Importer();
        QCOMPARE(imp.RunImport(), 1);
        const QStringList steps = m_app->dialogs.log.Calls().filter("Progress.SetStatus|");
        const qsizetype deleting = steps.indexOf("Progress.SetStatus|Deleting old records:");
        QVERIFY2(deleting >= 0 && deleting < steps.indexOf("Progress.SetStatus|Importing:"), qPrintable(steps.join(',')));

        Insert("ITR_1", "old one");
        theDatabase().Connection().ExecScript(
            "CREATE TRIGGER keep BEFORE DELETE ON Inventory BEGIN SELECT RAISE(ABORT, 'kept'); END");
        Drop("again.full", Line("I", "11"));
        QCOMPARE(imp.RunImport(), 0);
        QCOMPARE(Column("SELECT SOURCE FROM Inventory ORDER BY ID"), QString("ITR_10|ITR_1"));
        QVERIFY2(ImportLog().contains("ClearITPInventory: "), qPrintable(ImportLog()));
        QVERIFY(Files().contains("again.full"));
    }

    void failedFullKeepsRowsAndName()
    {
        Setup();
        Insert("ITR_1", "old one");
        theDatabase().Connection().ExecScript("CREATE TRIGGER boom BEFORE INSERT ON Inventory WHEN NEW.P_STOCK_NUMBER = 'BOOM' "
                                              "BEGIN SELECT RAISE(ABORT, 'refused'); END");
        Drop("dump.full", Line("I", "10") + Line("I", "BOOM") + Line("I", "12"));
        XITrackInvImport &imp = Importer();
        QCOMPARE(imp.RunImport(), 0);
        QCOMPARE(Column("SELECT SOURCE FROM Inventory"), QString("ITR_1"));
        QCOMPARE(imp.GetDeletedCount(), 0);
        QCOMPARE(imp.GetInsertedCount(), 0);
        QCOMPARE(imp.GetErrorCount(), 1);
        QVERIFY(ImportLog().contains("ImportFromFile: " + m_export + "/dump.full"));
        QCOMPARE(Files(), QStringList({"dump.full", "itrack.flg"}));
    }

    void cancelledFullKeepsRowsAndName()
    {
        Setup();
        Insert("ITR_1", "old one");
        Drop("dump.full", Line("I", "10") + Line("I", "11") + Line("I", "12"));
        XITrackInvImport &imp = Importer();
        imp.SetProgressInterval(0);
        m_app->dialogs.cancelAtStep = 2;
        m_app->dialogs.QueueAnswer(MsgBox::IdYes);
        QCOMPARE(imp.RunImport(), 0);
        QCOMPARE(Column("SELECT SOURCE FROM Inventory"), QString("ITR_1"));
        QCOMPARE(imp.GetTotalRecords(), 0);
        QCOMPARE(Files(), QStringList({"dump.full", "itrack.flg"}));
    }

    void actions_data()
    {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QString>("rows");
        QTest::addColumn<int>("inserted");
        QTest::addColumn<int>("updated");
        QTest::addColumn<int>("deleted");
        QTest::addColumn<QString>("notes7");
        // ITR_7 "Old" with the notes "kept" stands before each case.
        QTest::newRow("I then U") << Line("I", "1", "A") + Line("U", "1", "B") << "ITR_7=Old|ITR_1=B" << 1 << 1 << 0 << "kept";
        QTest::newRow("I then D") << Line("I", "2") + Line("D", "2") << "ITR_7=Old" << 1 << 0 << 1 << "kept";
        QTest::newRow("I of a known key") << Line("I", "7", "New") << "ITR_7=Old" << 0 << 0 << 0 << "kept";
        QTest::newRow("U of a known key") << Line("U", "7", "New") << "ITR_7=New" << 0 << 1 << 0 << "Some notes";
        QTest::newRow("U of an unknown key") << Line("U", "8") << "ITR_7=Old" << 0 << 0 << 0 << "kept";
        QTest::newRow("D of a known key") << Line("D", "7") << "" << 0 << 0 << 1 << "";
        QTest::newRow("D of an unknown key") << Line("D", "8") << "ITR_7=Old" << 0 << 0 << 0 << "kept";
        QTest::newRow("lower-case action") << Line("i", "3") << "ITR_7=Old" << 0 << 0 << 0 << "kept";
        QTest::newRow("key with a quote") << Line("I", "9'x", "A") + Line("U", "9'x", "B") + Line("D", "9'x")
                                          << "ITR_7=Old" << 1 << 1 << 1 << "kept";
        QTest::newRow("header, then U of some fields")
            << QByteArray("action,Partnum,PART,suggestedprice\r\nU,7,Renamed,30\r\n") << "ITR_7=Renamed" << 0 << 1 << 0
            << "kept";
    }
    void actions()
    {
        Setup();
        Insert("ITR_7", "Old");
        QFETCH(QByteArray, lines);
        Drop("x.in", lines);
        XITrackInvImport &imp = Importer();
        imp.RunImport();
        QTEST(Column("SELECT SOURCE || '=' || P_NAME FROM Inventory ORDER BY ID"), "rows");
        QTEST(imp.GetInsertedCount(), "inserted");
        QTEST(imp.GetUpdatedCount(), "updated");
        QTEST(imp.GetDeletedCount(), "deleted");
        QTEST(Column("SELECT P_NOTES FROM Inventory WHERE SOURCE = 'ITR_7'"), "notes7");
        QCOMPARE(Files(), QStringList({"itrack.flg", "x.out"}));
    }

    // A first line with a lower-case action is a rejected record, not the
    // file's column names.
    void firstLineNotAHeader()
    {
        Setup();
        Drop("x.in", Line("i", "3") + Line("I", "4") + Line("I", ""));
        XITrackInvImport &imp = Importer();
        imp.RunImport();
        QCOMPARE(Column("SELECT SOURCE FROM Inventory"), QString("ITR_4"));
        QCOMPARE(imp.GetErrorCount(), 2);
        const QString log = ImportLog();
        QVERIFY2(log.contains("Line 1: rejected, unknown action \"i\".") && log.contains("Line 3: rejected, no partnum."),
                 qPrintable(log));
    }

    void noFlagFile()
    {
        Setup(false);
        Drop("x.in", Line("I", "1"));
        XITrackInvImport &imp = Importer();
        QCOMPARE(imp.RunImport(), 0);
        QCOMPARE(CountRows(), 0);
        QCOMPARE(imp.GetErrorCount(), 1);
        QVERIFY(ImportLog().contains("ImportNewITrackFiles: " + m_export + "/itrack.flg was not found."));
        QCOMPARE(Files(), QStringList({"x.in"}));
    }

    void freshFileWaits()
    {
        Setup();
        const QString path = m_export + "/new.in";
        WriteBytes(path, Line("I", "1"));
        XITrackInvImport &imp = Importer();
        imp.SetSettleTime(600);
        QElapsedTimer t;
        t.start();
        QVERIFY(imp.StartBackgroundImport());
        QTest::qWait(250);
        QCOMPARE(CountRows(), 0);
        // The writer is not done yet.
        QFile f(path);
        QVERIFY(f.open(QIODevice::Append));
        f.write(Line("I", "2"));
        f.close();
        QVERIFY(imp.WaitForRun(10000));
        QVERIFY(t.elapsed() >= 800);
        QCOMPARE(Column("SELECT SOURCE FROM Inventory ORDER BY ID"), QString("ITR_1|ITR_2"));
    }
};

KORVANT_TEST_MAIN(TestITrack)
#include "tst_itrack.moc"
