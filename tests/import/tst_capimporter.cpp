#include "ImportFixture.h"

#include "import/CapInvImporter.h"

#include "app/TasksDispatcher.h"

namespace {
// Cancels the run once it has stepped this far.
struct CancellingProgress : ICapImportProgress
{
    CapInvImporter *importer = nullptr;
    int cancelAt = -1;
    int range = -1;
    int steps = 0;
    void SetRange(int lines) override { range = lines; }
    void Step() override
    {
        if (++steps == cancelAt)
            importer->Cancel();
    }
};

const QByteArray Header = "year,model_name,inventory_number,retail_price,whlsale,stock_number,conditions,c,p,s,l,st,qty,miles\r\n";
} // namespace

// The schedule's CAP loader: one transaction over the Inventory table.
class TestCapImporter : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestApp> m_app;
    QString m_dump;

    // What a run must leave alone, or replace.
    static QString Snapshot() { return Column("SELECT P_NAME || '/' || IFNULL(SOURCE, '-') FROM Inventory ORDER BY ID"); }

private slots:
    void init()
    {
        m_app = std::make_unique<TestApp>(WithImportGlobals());
        QVERIFY(theDatabase().init());
        const QString dataRef = theApp().GetDataFolder() + "ref";
        QVERIFY(QDir().mkpath(dataRef));
        WriteBytes(dataRef + "/parts-codes.csv", "1234;Door\r\n2250;Mirror\r\n");
        WriteBytes(dataRef + "/make-models.csv", "FOCUS;Ford\r\nCIVIC;Honda\r\n");
        m_dump = TestEnv::NewFolder(QStringLiteral("capjet")) + "/INVENT.CAP";
        theDatabase().Connection().Exec(
            "INSERT INTO Inventory (P_NAME, SOURCE) VALUES ('Hand', NULL), ('Old', 'capimport'), ('Cap', 'CAP_X1')");
    }
    void cleanup() { m_app.reset(); }

    void importReplacesOwnRows()
    {
        WriteBytes(m_dump, Header +
                               "2004,Focus,1234-L,150,100,ST1,NEW,,,,,,2,85\r\n"
                               "2005,CIVIC,2250.R,\"80\",50,ST2,NTO,,,,,,0,-3\r\n"
                               "2006,CIVIC,9999-X,10,5,ST3,USED,,,,,,1,1\r\n"   // no part name
                               "2007,FOCUS,1234-Z,0,5,ST4,USED,,,,,,1,1\r\n"    // no price
                               "2008,Other,1234-Y,5,1,ST5,used,,,,,,1,0\r\n");
        CapInvImporter imp(m_dump);
        const int rows = imp.Import();
        QVERIFY2(rows == 3, qPrintable(m_app->dialogs.log.Calls().join(u'\n')));
        QVERIFY(imp.DataImported());
        QCOMPARE(Snapshot(), QString("Hand/-|Cap/CAP_X1|Door/capimport|Mirror/capimport|Door/capimport"));
        QCOMPARE(Column("SELECT P_STOCK_NUMBER || '|' || P_CATEGORY || '|' || P_INTERCHANGE_NUMBER || '|' || V_YEAR || '|' "
                        "|| IFNULL(V_MAKE, '') || '|' || V_MODEL || '|' || P_TYPE || '|' || P_PRICE || '|' || P_QUANTITY "
                        "|| '|' || P_NOTES || '|' || (P_HANDLING + P_CORE_DEPOSIT + P_WEIGHT) FROM Inventory "
                        "WHERE SOURCE = 'capimport' ORDER BY ID"),
                 QString("ST1|1200|1234-L|2004|Ford|Focus|New|150.0|2|Mileage: 85000|0.0"
                         "|ST2|2200|2250.R|2005|Honda|CIVIC|New|80.0|0|Mileage: 3000|0.0"
                         "|ST5|1200|1234-Y|2008||Other|Used|5.0|1|Mileage: 0|0.0"));
    }

    void failureLeavesInventory_data()
    {
        QTest::addColumn<QByteArray>("dump");
        QTest::addColumn<QString>("box");
        QTest::newRow("empty") << QByteArray() << "The source file is empty.|Error|";
        QTest::newRow("wrong header") << QByteArray("year,model,number,price\r\n2004,FOCUS,1234-L,1,1,S,NEW\r\n")
                                      << "Invalid file format.|Error|";
        QTest::newRow("database refuses a row mid-file")
            << Header + "2004,FOCUS,1234-L,1,1,ST1,NEW\r\n2004,FOCUS,1234-M,1,1,BAD,NEW\r\n2004,FOCUS,1234-N,1,1,ST3,NEW\r\n"
            << "Import error.\nSource : ";
    }
    void failureLeavesInventory()
    {
        QFETCH(QByteArray, dump);
        WriteBytes(m_dump, dump);
        theDatabase().Connection().Exec("CREATE TRIGGER refuse BEFORE INSERT ON Inventory WHEN NEW.P_STOCK_NUMBER = 'BAD' "
                                        "BEGIN SELECT RAISE(ABORT, 'refused'); END");
        const QString before = Snapshot();
        CapInvImporter imp(m_dump);
        QCOMPARE(imp.Import(), -1);
        QFETCH(QString, box);
        QCOMPARE(m_app->dialogs.log.Count("MessageBox|" + box), 1);
        QCOMPARE(Snapshot(), before);
        QVERIFY(!theDatabase().Connection().InTransaction());
    }

    void missingReferenceFile()
    {
        WriteBytes(m_dump, Header + "2004,FOCUS,1234-L,1,1,ST1,NEW\r\n");
        const QString parts = theApp().GetDataFolder() + "ref/parts-codes.csv";
        QVERIFY(QFile::remove(parts));
        const QString before = Snapshot();
        CapInvImporter imp(m_dump);
        QCOMPARE(imp.Import(), -1);
        QCOMPARE(m_app->dialogs.log.Count("MessageBox|Unable to open file " + theApp().GetRefFolder() + "/parts-codes.csv"), 1);
        QCOMPARE(Snapshot(), before);
    }

    void cancelLeavesInventory()
    {
        QByteArray dump = Header;
        for (int i = 0; i < 50; ++i)
            dump += "2004,FOCUS,1234-L,1,1,ST" + QByteArray::number(i) + ",NEW\r\n";
        WriteBytes(m_dump, dump);
        const QString before = Snapshot();
        CancellingProgress progress;
        CapInvImporter imp(m_dump, &progress);
        progress.importer = &imp;
        progress.cancelAt = 10;
        QCOMPARE(imp.Import(), -1);
        QCOMPARE(progress.range, 51);
        QCOMPARE(Snapshot(), before);
        QCOMPARE(m_app->dialogs.log.Count("MessageBox|"), 0);
    }

    void threadRunTellsTheWindow()
    {
        WriteBytes(m_dump, Header + "2004,FOCUS,1234-L,150,100,ST1,NEW,,,,,,2,85\r\n");
        CapInvImporter imp(m_dump);
        QVERIFY(imp.Start());
        QVERIFY(imp.WaitForRun(10000));
        QCOMPARE(CountRows("WHERE SOURCE = 'capimport'"), 1);
        QCOMPARE(m_app->frame.log.Count("NotifyCatalogChanged"), 2);
        QCOMPARE(m_app->frame.log.Count("ShowTrayMessage|Data import completed.\nClick here to see.|1"), 1);
        QVERIFY(!theTasksDispatcher().IsTaskRunning(1));
    }

    // A cancel while an auto-reply holds the database ends the wait; nothing is written.
    void cancelWhileWaiting()
    {
        WriteBytes(m_dump, Header + "2004,FOCUS,1234-L,150,100,ST1,NEW,,,,,,2,85\r\n");
        QVERIFY(theTasksDispatcher().BeginTask(3));
        CapInvImporter imp(m_dump);
        QVERIFY(imp.Start());
        QTest::qWait(200);
        QVERIFY(imp.IsRunning());
        imp.Cancel();
        QVERIFY(imp.WaitForRun(2000));
        theTasksDispatcher().EndTask(3);
        QCOMPARE(CountRows("WHERE SOURCE = 'capimport'"), 1);  // the old row
        QCOMPARE(m_app->frame.log.Count("NotifyCatalogChanged"), 0);
    }
};

KORVANT_TEST_MAIN(TestCapImporter)
#include "tst_capimporter.moc"
