#include "ImportFixture.h"

#include "import/KVInvImport.h"

#include "app/XSettings.h"

// The own inventory format: import, export and their round trip.
class TestOwnFormat : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestApp> m_app;
    QString m_dir;

    void Fresh()
    {
        m_app.reset();
        m_app = std::make_unique<TestApp>(WithImportGlobals());
        QVERIFY(theDatabase().init());
        m_dir = TestEnv::NewFolder(QStringLiteral("own"));
    }

    // A file of the format line and these lines.
    QString File(const QList<QByteArray> &lines, const QByteArray &first = KVInvImport::FormatLine)
    {
        const QString path = m_dir + QStringLiteral("/f%1.csv").arg(++m_files);
        QByteArray bytes = first + "\r\n";
        for (const QByteArray &l : lines)
            bytes += l + "\r\n";
        WriteBytes(path, bytes);
        return path;
    }
    int m_files = 0;

    // A plain line of the table's 37 columns: a valid part unless changed.
    static QByteArray Line(const QByteArray &id, const QMap<QByteArray, QByteArray> &values = {})
    {
        QMap<QByteArray, QByteArray> v = {{"P_NAME", "Door"}, {"P_PRICE", "10"}, {"V_MAKE", "Ford"},
                                          {"V_MODEL", "Focus"}, {"V_YEAR", "2001"}};
        for (auto it = values.begin(); it != values.end(); ++it)
            v[it.key()] = it.value();
        QList<QByteArray> fields;
        for (int c = 0; c < Inv::ColumnCount; ++c)
            fields << (c == Inv::ID ? id : KVInvImport::QuoteValue(v.value(Inv::Name(c))));
        fields[0] = KVInvImport::QuoteValue(id);
        return fields.join(',');
    }

private slots:
    void init() { Fresh(); }
    void cleanup() { m_app.reset(); }

    void roundTrip()
    {
        const QByteArray fixture = ReadBytes(FixturePath("own_sample.csv"));
        QVERIFY(!fixture.isEmpty());
        KVInvImport imp;
        QCOMPARE(imp.ImportFromFile(FixturePath("own_sample.csv")), 3);
        QCOMPARE(Column("SELECT P_NAME FROM Inventory ORDER BY ID"),
                 QString::fromUtf8("Door \"front, left\"|Kotflügel|\""));
        QCOMPARE(Column("SELECT P_NOTES FROM Inventory WHERE SOURCE = 'KIF_2'"), QString::fromUtf8("Größe: 40 cm – 日本"));
        QCOMPARE(Column("SELECT WHEEL_WIDTH FROM Inventory WHERE SOURCE = 'KIF_3'"), QString("C:\\parts\\x"));

        const QString first = m_dir + "/export1.csv";
        QCOMPARE(KVInvImport(CBaseImport::ExportOperation).ExportInventory(first), 3);
        QCOMPARE(ReadBytes(first), fixture);

        Fresh();
        KVInvImport again;
        QCOMPARE(again.ImportFromFile(first), 3);
        const QString second = m_dir + "/export2.csv";
        QCOMPARE(KVInvImport(CBaseImport::ExportOperation).ExportInventory(second), 3);
        QCOMPARE(ReadBytes(second), fixture);
    }

    // Every text column through export and import unchanged, whatever it
    // holds: line breaks inside the quotes are part of the value.
    void hostileTextsRoundTrip()
    {
        const QStringList values{QStringLiteral("two\nlines"), QStringLiteral("three\r\nlines\r\n"),
                                 QStringLiteral("\"quoted\", with, commas"), QStringLiteral("\ttab\tinside"),
                                 QStringLiteral("   leading blanks"), QString::fromUtf8("Größe – 日本 \"\n\""),
                                 QStringLiteral("\n")};
        QStringList columns;
        for (int c = Inv::P_STOCK_NUMBER; c < Inv::SOURCE; ++c) {
            if (!Inv::IsNumber(c))
                columns << QLatin1String(Inv::Name(c));
        }
        const QString marks = QStringLiteral("?, ").repeated(columns.size());
        for (const QString &value : values) {
            QVariantList args;
            for (int i = 0; i < columns.size(); ++i)
                args << value;
            theDatabase().Connection().Exec(QStringLiteral("INSERT INTO Inventory (%1, P_PRICE) VALUES (%2 1.5)")
                                                .arg(columns.join(", "), marks),
                                            args);
        }
        const QString select = QStringLiteral("SELECT %1 FROM Inventory ORDER BY ID").arg(columns.join(" || '|' || "));
        const QString before = Column(select);
        const QString path = m_dir + "/texts.csv";
        QCOMPARE(KVInvImport(CBaseImport::ExportOperation).ExportInventory(path), int(values.size()));

        Fresh();
        KVInvImport imp;
        QCOMPARE(imp.ImportFromFile(path), int(values.size()));
        QCOMPARE(imp.GetErrorCount(), 0);
        QCOMPARE(Column(select), before);
    }

    // A first record the header rule would take for column names is read as
    // a record; a file that loads nothing says why.
    void nothingLoadedSaysWhy_data()
    {
        QTest::addColumn<QList<QByteArray>>("lines");
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("errors");
        QTest::addColumn<QString>("logged");
        QTest::newRow("first record without ID") << QList<QByteArray>{Line(""), Line("1"), Line("2")} << 2 << 1
                                                 << "Line 2: rejected, no ID.";
        QTest::newRow("first record, lower-case ID")
            << QList<QByteArray>{Line("a"), Line("1")} << 2 << 0 << "import from";
        QTest::newRow("only a header")
            << QList<QByteArray>{"id,p_name,p_price,v_make,v_model,v_year"} << 0 << 0
            << "it holds 1 line(s) of column names and no record.";
        QTest::newRow("every record rejected")
            << QList<QByteArray>{Line(""), Line("1", {{"P_NAME", ""}})} << 0 << 2
            << "2 of its 2 record(s) were rejected";
    }
    void nothingLoadedSaysWhy()
    {
        QFETCH(QList<QByteArray>, lines);
        KVInvImport imp;
        const QString path = File(lines);
        QTEST(imp.ImportFile(path), "stored");
        QTEST(imp.GetErrorCount(), "errors");
        QFETCH(QString, logged);
        const QString log = ImportLog();
        QVERIFY2(log.contains(logged), qPrintable(log));
        QFETCH(int, stored);
        QCOMPARE(log.contains("No records were loaded from " + path + ": "), stored == 0);
    }

    void reimportOnlyUpdates()
    {
        KVInvImport imp;
        QCOMPARE(imp.ImportFile(FixturePath("own_sample.csv")), 3);
        imp.ResetCounters();
        QCOMPARE(imp.ImportFile(FixturePath("own_sample.csv")), 3);
        QCOMPARE(imp.GetInsertedCount(), 0);
        QCOMPARE(imp.GetUpdatedCount(), 3);
        QCOMPARE(CountRows(), 3);
    }

    void idTwiceKeepsLaterValues()
    {
        KVInvImport imp;
        const QString path = File({Line("7", {{"P_NAME", "First"}}), Line("7", {{"P_NAME", "Second"}})});
        QCOMPARE(imp.ImportFromFile(path), 2);
        QCOMPARE(imp.GetInsertedCount(), 1);
        QCOMPARE(imp.GetUpdatedCount(), 1);
        QCOMPARE(Column("SELECT P_NAME FROM Inventory WHERE SOURCE = 'KIF_7'"), QString("Second"));
    }

    void idWithQuote()
    {
        KVInvImport imp;
        const QByteArray id = "1'2\"3";
        QCOMPARE(imp.ImportFromFile(File({Line(id)})), 1);
        QCOMPARE(imp.ImportFromFile(File({Line(id, {{"P_NAME", "Hood"}})})), 1);
        QCOMPARE(Column("SELECT SOURCE || '=' || P_NAME FROM Inventory"), QString("KIF_1'2\"3=Hood"));
    }

    void firstLine_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("result");
        QTest::addColumn<bool>("box");
        QTest::newRow("other case") << QByteArray("Korvant inventory format\r\n") + Line("1") << -1 << true;
        QTest::newRow("other text") << QByteArray("ID,P_NAME\r\n") << -1 << true;
        QTest::newRow("only the format line") << QByteArray("Korvant Inventory Format\r\n") << 0 << false;
        QTest::newRow("empty file") << QByteArray() << 0 << false;
        QTest::newRow("LF line ends") << QByteArray("Korvant Inventory Format\n") + Line("1") + "\n" << 1 << false;
    }
    void firstLine()
    {
        QFETCH(QByteArray, bytes);
        const QString path = m_dir + "/first.csv";
        WriteBytes(path, bytes);
        KVInvImport imp;
        QTEST(imp.ImportFromFile(path), "result");
        QFETCH(bool, box);
        QCOMPARE(m_app->dialogs.log.Count("MessageBox|The file " + path + " \nis not Korvant Invetory Format file"),
                 box ? 1 : 0);
    }

    void requiredFields_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("message");
        QTest::newRow("name") << Line("1", {{"P_NAME", ""}}) << "Required field is empty or zero: P_NAME";
        QTest::newRow("make and model") << Line("1", {{"V_MAKE", ""}, {"V_MODEL", ""}})
                                        << "Required fields are empty or zero: V_MAKE, V_MODEL";
        QTest::newRow("zero price") << Line("1", {{"P_PRICE", "0"}}) << "Required field is empty or zero: P_PRICE";
        QTest::newRow("year and price")
            << Line("1", {{"V_YEAR", ""}, {"P_PRICE", "abc"}}) << "Required fields are empty or zero: V_YEAR, P_PRICE";
    }
    void requiredFields()
    {
        QFETCH(QByteArray, line);
        KVInvImport imp;
        QCOMPARE(imp.ImportFromFile(File({line, Line("2")})), 1);
        QCOMPARE(imp.GetErrorCount(), 1);
        QCOMPARE(CountRows(), 1);
        QFETCH(QString, message);
        const QString log = ImportLog();
        QVERIFY2(log.contains("Error in data. " + message + " \n"), qPrintable(log));
        QVERIFY(log.contains("DATA DUMP: " + QString::fromUtf8(line)));
    }

    void defaults()
    {
        KVInvImport imp;
        QCOMPARE(imp.ImportFromFile(File({Line("1", {{"P_QUANTITY", "0"}})})), 1);
        QCOMPARE(Column("SELECT P_CATEGORY || '|' || P_TYPE || '|' || P_QUANTITY FROM Inventory"), QString("ALL PARTS|Any|1"));
    }

    void headerReorderedAndPartial()
    {
        KVInvImport imp;
        // Mixed case, another order, no P_BRAND: inserted rows have none, updates keep it.
        QCOMPARE(imp.ImportFromFile(File({"\"v_model\",\"Id\",\"P_name\",\"p_PRICE\",\"V_MAKE\",\"v_year\",\"P_BRAND\"",
                                          "\"Golf\",\"4\",\"Mirror\",\"12.5\",\"VW\",\"1999\",\"Bosch\""})),
                 1);
        QCOMPARE(imp.ImportFromFile(File({"id,p_name,p_price,v_make,v_model,v_year", "4,Mirror L,13,VW,Golf,2000",
                                          "5,Lamp,3,VW,Polo,2003"})),
                 2);
        QCOMPARE(Column("SELECT P_NAME || '/' || P_PRICE || '/' || V_YEAR || '/' || IFNULL(P_BRAND, '-') FROM Inventory "
                        "ORDER BY ID"),
                 QString("Mirror L/13.0/2000/Bosch|Lamp/3.0/2003/-"));
        QCOMPARE(imp.GetErrorCount(), 0);
    }

    void windows1252()
    {
        KVInvImport imp;
        QCOMPARE(imp.ImportFromFile(FixturePath("own_cp1252.csv")), 1);
        QCOMPARE(Column("SELECT P_NAME || '/' || V_MAKE FROM Inventory"), QString::fromUtf8("Café € – part/Citroën"));
    }

    void malformedLines_data()
    {
        QTest::addColumn<QByteArray>("bad");
        QTest::addColumn<QString>("fault");
        QByteArray nul = Line("9");
        nul[5] = '\0';
        QTest::newRow("unterminated quote") << Line("9") + ",\"open" << "unterminated quote";
        QTest::newRow("too few fields") << QByteArray("\"9\",\"S\",\"x\"") << "too few fields";
        QTest::newRow("NUL") << nul << "NUL character in line";
        QTest::newRow("over 1 MiB") << Line("9", {{"P_NOTES", QByteArray(1100 * 1024, 'n')}}) << "line longer than 1 MiB";
    }
    void malformedLines()
    {
        QFETCH(QByteArray, bad);
        KVInvImport imp;
        QCOMPARE(imp.ImportFile(File({Line("1"), bad, Line("2")})), 2);
        QCOMPARE(imp.GetErrorCount(), 1);
        QCOMPARE(Column("SELECT SOURCE FROM Inventory ORDER BY ID"), QString("KIF_1|KIF_2"));
        QFETCH(QString, fault);
        const QString log = ImportLog();
        QVERIFY2(log.contains("Line 3: malformed, " + fault + "."), qPrintable(log.left(2000)));
        const int dump = log.indexOf("DATA DUMP: ");
        QVERIFY(dump > 0);
        QVERIFY(log.indexOf(u'\n', dump) - dump - 11 <= 1001);  // cut to 1,000 characters
    }

    void exportEmptyTable()
    {
        const QString path = m_dir + "/none.csv";
        QCOMPARE(KVInvImport(CBaseImport::ExportOperation).ExportInventory(path), 0);
        QVERIFY(!QFile::exists(path));
    }

    void exportCancelled()
    {
        KVInvImport imp;
        QCOMPARE(imp.ImportFromFile(FixturePath("own_sample.csv")), 3);
        const QString path = m_dir + "/cancel.csv";
        KVInvImport exporter(CBaseImport::ExportOperation);
        exporter.SetProgressInterval(0);
        m_app->dialogs.cancelAtStep = 1;
        m_app->dialogs.QueueAnswer(MsgBox::IdYes);
        QCOMPARE(exporter.ExportInventory(path), KVInvImport::ExportCancelled);
        QVERIFY(!QFile::exists(path));
        QCOMPARE(QDir(m_dir).entryList(QDir::Files).size(), 0);
        QCOMPARE(m_app->dialogs.log.Count("MessageBox|Export cancelled by user."), 1);
    }
};

KORVANT_TEST_MAIN(TestOwnFormat)
#include "tst_ownformat.moc"
