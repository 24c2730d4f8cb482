#include "ImportFixture.h"

#include "import/CapInvImport.h"

// Hollander CAP dumps and their lookup tables.
class TestCap : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestApp> m_app;
    QString m_dumpDir;

    // The dump and stockvin.cap in a folder of their own; the makes in the
    // program's reference folder, the part names in the data folder's.
    void Setup()
    {
        m_dumpDir = TestEnv::NewFolder(QStringLiteral("cap"));
        QVERIFY(QFile::copy(FixturePath("cap/INVENT.CAP"), m_dumpDir + "/INVENT.CAP"));
        QVERIFY(QFile::copy(FixturePath("cap/stockvin.cap"), m_dumpDir + "/stockvin.cap"));
        const QString programRef = theApp().GetModuleFolder() + "ref";
        const QString dataRef = theApp().GetDataFolder() + "ref";
        QVERIFY(QDir().mkpath(programRef) && QDir().mkpath(dataRef));
        QVERIFY(QFile::copy(FixturePath("cap/make-models.csv"), programRef + "/make-models.csv"));
        QVERIFY(QFile::copy(FixturePath("cap/parts-codes.csv"), dataRef + "/parts-codes.csv"));
    }
    QString Dump() const { return m_dumpDir + "/INVENT.CAP"; }

private slots:
    void init()
    {
        m_app = std::make_unique<TestApp>(WithImportGlobals());
        QVERIFY(theDatabase().init());
        Setup();
    }
    void cleanup() { m_app.reset(); }

    void isCapFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("result");
        const QByteArray good = "2004,FOCUS,100-1234L,150,100,ST1,USED,,,,,,2,85,,,\r\n";
        QTest::newRow("INVENT.CAP") << "INVENT.CAP" << good << 0 << true;
        QTest::newRow("lower-case name") << "invent.cap" << good << 0 << true;
        QTest::newRow("other name, confirmed") << "stock.txt" << good << int(MsgBox::IdYes) << true;
        QTest::newRow("other name, refused") << "stock.txt" << good << int(MsgBox::IdNo) << false;
        QTest::newRow("heading line first") << "INVENT.CAP" << QByteArray("year,model,number\r\n") + good << 0 << true;
        QTest::newRow("no four-digit year") << "INVENT.CAP" << QByteArray("04,FOCUS,100-1,1,1,S,U\r\n") << 0 << false;
        QTest::newRow("number without mark") << "INVENT.CAP" << QByteArray("2004,FOCUS,1001234,1,1,S,U\r\n") << 0 << false;
        QTest::newRow("mark only first") << "INVENT.CAP" << QByteArray("2004,FOCUS,-1001234,1,1,S,U\r\n") << 0 << false;
        QTest::newRow("number without digit") << "INVENT.CAP" << QByteArray("2004,FOCUS,AB-CD,1,1,S,U\r\n") << 0 << false;
        QTest::newRow("field 16 a letter") << "INVENT.CAP" << QByteArray("2004,F,100-1,1,1,S,U,,,,,,2,85,,X,\r\n") << 0 << false;
        QTest::newRow("field 16 a dot") << "INVENT.CAP" << QByteArray("2004,F,100-1,1,1,S,U,,,,,,2,85,,.5,\r\n") << 0 << true;
        QTest::newRow("empty") << "INVENT.CAP" << QByteArray() << 0 << false;
    }
    void isCapFile()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(int, answer);
        const QString path = TestEnv::NewFolder() + u'/' + name;
        WriteBytes(path, content);
        if (answer)
            m_app->dialogs.QueueAnswer(answer);
        CapInvImport imp;
        QTEST(imp.IsCapFile(path), "result");
        QCOMPARE(m_app->dialogs.log.Count("MessageBox|File name is not INVENT.CAP"), answer ? 1 : 0);
    }

    void import_data()
    {
        QTest::addColumn<QString>("stock");
        QTest::addColumn<QString>("row");
        // side | type | name | make | VIN | colour | notes | quantity | price
        QTest::newRow("left, used, code before dash") << "ST1" << "Left|Used|Door Front|Ford|VIN1|Red|Mileage: 85000|2|150.0";
        QTest::newRow("right, new, code before dot") << "ST2" << "Right|New|Mirror|Honda|VIN2|Blue||1|80.0";
        QTest::newRow("no side, lower-case keys") << "ST4" << "|Used|Alpha part|Ford||||3|10.0";
    }
    void import()
    {
        CapInvImport imp;
        QCOMPARE(imp.ImportFile(Dump()), 3);
        QFETCH(QString, stock);
        QTEST(Column("SELECT P_SIDE || '|' || P_TYPE || '|' || P_NAME || '|' || V_MAKE || '|' || V_VIN || '|' || P_COLOR || "
                     "'|' || P_NOTES || '|' || P_QUANTITY || '|' || P_PRICE FROM Inventory WHERE P_STOCK_NUMBER = ?",
                     {stock}),
              "row");
        QCOMPARE(Column("SELECT SOURCE FROM Inventory ORDER BY ID"), QString("CAP_ST1100-1234L|CAP_ST2200.55R|CAP_ST4abc-1"));
    }

    void unknownModelNotStored()
    {
        CapInvImport imp;
        QCOMPARE(imp.ImportFile(Dump()), 3);
        QCOMPARE(CountRows("WHERE P_STOCK_NUMBER = 'ST3'"), 0);
        QCOMPARE(imp.GetErrorCount(), 1);
        const QString log = ImportLog();
        QVERIFY(log.contains("Error in data. Required field is empty or zero: V_MAKE"));
        QVERIFY(log.contains("DATA DUMP: 2001,Unknown,300-9,20,10,ST3,NTO,,,,,,1,10,,,"));
    }

    void reimportUpdates()
    {
        CapInvImport imp;
        QCOMPARE(imp.ImportFile(Dump()), 3);
        theDatabase().Connection().Exec("UPDATE Inventory SET P_PRICE = 1");
        imp.ResetCounters();
        QCOMPARE(imp.ImportFile(Dump()), 3);
        QCOMPARE(imp.GetInsertedCount(), 0);
        QCOMPARE(imp.GetUpdatedCount(), 3);
        QCOMPARE(Column("SELECT P_PRICE FROM Inventory ORDER BY ID"), QString("150|80|10"));
    }

    void missingLookupFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("stock VINs") << "stockvin";
        QTest::newRow("makes") << "makes";
        QTest::newRow("part names") << "parts";
    }
    void missingLookupFile()
    {
        QFETCH(QString, file);
        QString path;
        if (file == "stockvin")
            path = m_dumpDir + "/stockvin.cap";
        else if (file == "makes")
            path = theApp().GetModuleFolder() + "ref/make-models.csv";
        else
            path = theApp().GetModuleFolder() + "ref/parts-codes.csv";  // absent in the data folder too
        if (file == "parts")
            QVERIFY(QFile::remove(theApp().GetDataFolder() + "ref/parts-codes.csv"));
        else
            QVERIFY(QFile::remove(path));
        CapInvImport imp;
        QCOMPARE(imp.ImportFile(Dump()), -1);
        QCOMPARE(CountRows(), 0);
        QCOMPARE(imp.GetErrorCount(), 1);
        QCOMPARE(m_app->dialogs.log.Count(QStringLiteral("MessageBox|Unable to open file %1|Error|").arg(path)), 1);
    }
};

KORVANT_TEST_MAIN(TestCap)
#include "tst_cap.moc"
