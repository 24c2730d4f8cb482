#include "DbFixture.h"
#include "TestEnv.h"

#include "db/RecordXml.h"
#include "db/XBaseSet.h"

#include <cstdlib>
#include <ctime>

using namespace RecordXml;

static const Field kRead[] = {
    {"query_id", "ID"},
    {"live_time", "LIVE_TIME", Int},
    {"max_price", "P_MAX_PRICE", Real},
    {"create_time", "POST_DATE", Date},
    {"website", "C_WEBSITE", Url},
    {"market_info/name", "MARKET_NAME"},
    {"other", "P_NOTES", Text, 5},
    {"flag", "AUTOREPL_CHECKED", Flag},
};

// The generic table-driven readers and writers of record XML.
class TestRecordXml : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        qputenv("TZ", "UTC");
        tzset();
    }
    void init()
    {
        m_app = std::make_unique<TestApp>(WithDatabase());
        QVERIFY(theDatabase().init());
    }
    void cleanup() { m_app.reset(); }

    void readKinds_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<int>("live");
        QTest::addColumn<double>("price");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("website");
        QTest::addColumn<QString>("market");
        QTest::addColumn<QString>("notes");
        QTest::addColumn<int>("flag");
        QTest::newRow("full") << QByteArray("<q><query_id>A1</query_id><live_time>30</live_time><max_price>12.5</max_price>"
                                            "<create_time>2024-05-01 10:00:00</create_time><website>ex.com</website>"
                                            "<market_info><name>M</name></market_info><other>\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9</other><flag>0</flag></q>")
                              << 30 << 12.5 << "2024-05-01 10:00:00" << "http://ex.com" << "M"
                              << QString::fromUtf8("\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9") << 1;
        QTest::newRow("empty") << QByteArray("<q/>") << 0 << 0.0 << "" << "" << "" << "" << 0;
        QTest::newRow("bad numbers") << QByteArray("<q><live_time>soon</live_time><max_price>x</max_price>"
                                                   "<create_time>yesterday</create_time></q>")
                                     << 0 << 0.0 << "" << "" << "" << "" << 0;
        QTest::newRow("leading digits") << QByteArray("<q><live_time> 14 days</live_time></q>") << 14 << 0.0 << ""
                                        << "" << "" << "" << 0;
    }
    void readKinds()
    {
        QFETCH(QByteArray, xml);
        XmlDoc doc = XmlDoc::Parse(xml);
        QVERIFY(!doc.IsNull());
        XBaseSet set(nullptr, "Queries");
        set.AddNew();
        Read(set, doc.Root(), kRead);
        QFETCH(int, live);
        QFETCH(double, price);
        QFETCH(QString, date);
        QFETCH(QString, website);
        QFETCH(QString, market);
        QFETCH(QString, notes);
        QFETCH(int, flag);
        QCOMPARE(set.GetInt("LIVE_TIME"), live);
        QCOMPARE(set.GetDouble("P_MAX_PRICE"), price);
        QCOMPARE(set.GetText("POST_DATE"), date);
        QCOMPARE(set.GetText("C_WEBSITE"), website);
        QCOMPARE(set.GetText("MARKET_NAME"), market);
        QCOMPARE(set.GetText("P_NOTES"), notes);
        QCOMPARE(set.GetInt("AUTOREPL_CHECKED"), flag);
    }

    void writeKinds()
    {
        static const Field kWrite[] = {
            {"id", "ID"},
            {"live", "LIVE_TIME", Int},
            {"price", "P_MAX_PRICE", Real},
            {"money", "P_MAX_PRICE", Money},
            {"any", "P_QUANTITY", MoneyOrAny},
            {"date", "POST_DATE", Date},
            {"short", "POST_DATE", ShortDate},
            {"nodate", "RECIVE_DATE", Date},
            {"flag", "IS_INCOMING", Flag},
            {"yes", "IS_INCOMING", YesNo},
            {"rating", "QFY_LEVEL", Rating},
            {"state", "C_STATE", BlankIfEmpty},
            {"site", "C_WEBSITE", Url},
            {"note", "P_NOTES", CData},
        };
        XBaseSet set(nullptr, "Queries");
        set.AddNew();
        set.SetText("ID", "Q<1>");
        set.SetInt("LIVE_TIME", 30);
        set.SetDouble("P_MAX_PRICE", 1234.5);
        set.SetDate("POST_DATE", QDateTime(QDate(2024, 5, 1), QTime(10, 7)));
        set.SetBool("IS_INCOMING", true);
        set.SetText("C_WEBSITE", "HTTPS://x.org");
        set.SetText("P_NOTES", "a&b");
        XmlDoc doc = XmlDoc::Create("r");
        Write(set, doc.Root(), kWrite);
        QCOMPARE(doc.Root().ToXml(),
                 QByteArray("<r><id>Q&lt;1&gt;</id><live>30</live><price>1234.50</price><money>$1,234.50</money>"
                            "<any>Any</any><date>2024-05-01 10:07</date><short>05-01 10:07</short><nodate/>"
                            "<flag>1</flag><yes>Yes</yes><rating>0</rating><state> </state><site>HTTPS://x.org</site>"
                            "<note><![CDATA[a&b]]></note></r>"));
    }

    void childTextFollowsFirstMatch()
    {
        XmlDoc doc = XmlDoc::Parse("<q><a>1</a><a>2</a><b><c>x<d>y</d></c></b></q>");
        QCOMPARE(ChildText(doc.Root(), "a"), QString("1"));
        QCOMPARE(ChildText(doc.Root(), "b/c"), QString("xy"));
        QCOMPARE(ChildText(doc.Root(), "missing/c"), QString());
        QCOMPARE(ChildText(XmlNode(), "a"), QString());
        QVERIFY(Child(doc.Root(), "b").Name() == "b");
    }

private:
    std::unique_ptr<TestApp> m_app;
};

KORVANT_TEST_MAIN(TestRecordXml)
#include "tst_recordxml.moc"
