#include "tst_queries_support.h"

#include "db/XBaseSet.h"
#include "db/XQuerySet.h"

#include <limits>

// Server records, member input and backup archives with hostile content:
// stored as literal values, numbers clamped instead of overflowing, and a
// damaged archive never replaces the data.
class TestHostileInput : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { PinTimeZone(); }
    void init()
    {
        m_app = std::make_unique<TestApp>(WithTradeGlobals());
        QVERIFY(theDatabase().init());
        SetSampleProfile();
    }
    void cleanup() { m_app.reset(); }

    // Text written to an integer column: out-of-range numbers saturate, text
    // that is no number reads as 0; no conversion overflows.
    void textIntoIntegerColumns_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("expected");
        const qint64 max = std::numeric_limits<qint64>::max();
        const qint64 min = std::numeric_limits<qint64>::min();
        QTest::newRow("plain") << "42" << qint64(42);
        QTest::newRow("blanks") << " 7 " << qint64(7);
        QTest::newRow("fraction") << "3.9" << qint64(3);
        QTest::newRow("twenty nines") << "99999999999999999999" << max;
        QTest::newRow("negative twenty nines") << "-99999999999999999999" << min;
        QTest::newRow("exponent") << "1e30" << max;
        QTest::newRow("negative exponent") << "-1e300" << min;
        QTest::newRow("infinity") << "inf" << max;
        QTest::newRow("not a number") << "nan" << qint64(0);
        QTest::newRow("word") << "twelve" << qint64(0);
        QTest::newRow("empty") << "" << qint64(0);
    }
    void textIntoIntegerColumns()
    {
        QFETCH(QString, text);
        QFETCH(qint64, expected);
        XBaseSet set(nullptr, "Queries");
        QVERIFY(set.Open());
        set.AddNew();
        set.SetText("ID", "n1");
        set.SetFieldValue("LIVE_TIME", text);
        QCOMPARE(set.GetInt64(set.FieldIndex("LIVE_TIME")), expected);
        QVERIFY(set.Update());
        QVERIFY(set.Select(SqlExpr("ID = ?", {"n1"})));
        QCOMPARE(set.GetInt64(set.FieldIndex("LIVE_TIME")), expected);

        // A text column read as a number takes the same path.
        set.Edit();
        set.SetText("C_ZIP", text);
        QCOMPARE(set.GetInt64(set.FieldIndex("C_ZIP")), expected);
    }

    void currencyStaysFinite_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("expected");
        QTest::newRow("rounded") << 12.345678 << 12.3457;
        QTest::newRow("large") << 1e20 << 1e20;
        QTest::newRow("near the top") << 1e305 << 1e305;
        QTest::newRow("negative near the top") << -1e305 << -1e305;
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << 0.0;
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << 0.0;
    }
    void currencyStaysFinite()
    {
        QFETCH(double, value);
        QFETCH(double, expected);
        QCOMPARE(SqlValue::RoundCurrency(value), expected);
        XBaseSet set(nullptr, "Queries");
        QVERIFY(set.Open());
        set.AddNew();
        set.SetText("ID", "c1");
        set.SetDouble("P_MAX_PRICE", value);
        QVERIFY(set.Update());
        QVERIFY(set.Select(SqlExpr("ID = ?", {"c1"})));
        QCOMPARE(set.GetDouble("P_MAX_PRICE"), expected);
    }

    // A query whose every field is hostile is stored as literal text, its
    // numbers clamped and its impossible date left empty; the table survives
    // and the record writes back out as XML that parses.
    void hostileQueryRecord()
    {
        QFile f(TestEnv::SourceDir() + "/tests/fixtures/db/hostile_query.xml");
        QVERIFY(f.open(QIODevice::ReadOnly));
        QByteArray xml = f.readAll();
        xml.replace("OTHER_TEXT", QByteArray(1024 * 1024, 'n'));
        QString error;
        const XmlDoc doc = XmlDoc::Parse(xml, &error);
        QVERIFY2(!doc.IsNull(), qPrintable(error));

        XQuerySet set;
        set.AddNew();
        set.ReadQueryXml(doc.Root());
        QVERIFY(set.Update());
        QCOMPARE(theDatabase().ExecuteScalar("SELECT COUNT(*) FROM [Queries]"), 1);

        const QString id = "Q'); DROP TABLE [Queries]; --";
        QVERIFY(set.Select(SqlExpr("ID = ?", {id})));
        QVERIFY(!set.IsEOF());
        QCOMPARE(set.GetText("C_ID"), QString("B7' OR '1'='1"));
        QCOMPARE(set.GetText("MARKET_ID"), QString("../../etc"));
        QCOMPARE(set.GetText("MARKET_NAME"), QString("<script>alert(1)</script>"));
        QCOMPARE(set.GetText("C_NAME"), QString("<b>Bob</b> ]]> & co"));
        QCOMPARE(set.GetText("BUSINESS_TYPE"), QString("%1 %2 ?"));
        QCOMPARE(set.GetInt("LIVE_TIME"), std::numeric_limits<int>::max());
        QCOMPARE(set.GetInt("P_QUANTITY"), std::numeric_limits<int>::min());
        QCOMPARE(set.GetDouble("P_MAX_PRICE"), 0.0);
        QVERIFY(!set.GetDate("POST_DATE").isValid());
        QCOMPARE(set.GetText("P_NOTES").size(), 1024);

        // Searching for the hostile text finds it as text.
        XQuerySet search;
        QString words = "Ford\"";
        search.SetSearchText(words);
        QVERIFY(search.Open());
        QCOMPARE(search.GetRecordCount(), 1);

        XmlDoc detail = XmlDoc::Create("query");
        set.BuildDetailXml(detail.Root(), false);
        XmlDoc request = XmlDoc::Create("kv_request");
        set.BuildQueryXml(request.Root().AddChild("query"));
        for (const XmlDoc *d : {&detail, &request}) {
            const XmlDoc back = XmlDoc::Parse(d->ToXml(), &error);
            QVERIFY2(!back.IsNull(), qPrintable(error));
        }
        QCOMPARE(XmlDoc::Parse(detail.ToXml()).Root().Select("//market_name").Text(),
                 QString("<script>alert(1)</script>"));
    }

    // A backup archive damaged after it was written is refused whole.
    void damagedArchiveKeepsTheData_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("cut in half") << "cut";
        QTest::newRow("bytes flipped") << "flip";
        QTest::newRow("central directory gone") << "tail";
    }
    void damagedArchiveKeepsTheData()
    {
        QFETCH(QString, damage);
        KVDatabase &db = theDatabase();
        db.SetPassportId("P1");
        for (int i = 0; i < 200; ++i)
            db.Execute("INSERT INTO Messages (ID, MESSAGE_BODY) VALUES (?, ?)", {QString("m%1").arg(i), QString(500, 'b')});
        const QString archive = TestEnv::NewFolder() + "/kvc_backup.kvz";
        QVERIFY(db.BackupDatabase(archive));
        db.Execute("INSERT INTO Queries (ID) VALUES ('keep')");

        QByteArray bytes = ReadAll(archive);
        QVERIFY(bytes.size() > 200);
        if (damage == "cut")
            bytes.truncate(bytes.size() / 2);
        else if (damage == "flip")
            for (qsizetype i = 100; i < bytes.size() / 2; i += 7)
                bytes[i] = char(bytes[i] ^ 0x5a);
        else
            bytes.chop(22);
        QFile out(archive);
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(bytes);
        out.close();

        QVERIFY(!db.RestoreDatabase(archive));
        QCOMPARE(m_app->dialogs.log.Count("MessageBox|Can not restore database file.|Error"), 1);
        QCOMPARE(db.ExecuteScalar("SELECT COUNT(*) FROM Queries WHERE ID = 'keep'"), 1);
        QCOMPARE(db.ExecuteScalar("SELECT COUNT(*) FROM Messages"), 200);
        QVERIFY(!QFile::exists(db.DatabasePath() + ".~tmp"));
    }

private:
    std::unique_ptr<TestApp> m_app;
};

KORVANT_TEST_MAIN(TestHostileInput)
#include "tst_hostileinput.moc"
