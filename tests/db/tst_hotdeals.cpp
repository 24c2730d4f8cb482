#include "DbFixture.h"
#include "TestEnv.h"

#include "db/XHotDealSet.h"
#include "net/XProfile.h"
#include "net/XRequest.h"

namespace {

TestApp::Options WithProfileAndDatabase()
{
    TestApp::Options o;
    o.extra = {{GlobalSlot::Profile, [] { return std::make_unique<XProfile>(); }},
               {GlobalSlot::Database, [] { return std::make_unique<KVDatabase>(); }}};
    return o;
}

XmlDoc DealFixture()
{
    return XmlDoc::LoadFile(TestEnv::SourceDir() + QStringLiteral("/tests/fixtures/db/hotdeals_deal.xml"));
}

void StoreFixtureDeal()
{
    const XmlDoc doc = DealFixture();
    QVERIFY(!doc.IsNull());
    XHotDealSet set;
    set.AddNew();
    set.ReadDealXml(nullptr, doc.Root());
    QVERIFY(set.Update());
}

} // namespace

class TestHotDeals : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_app = std::make_unique<TestApp>(WithProfileAndDatabase());
        QVERIFY(theDatabase().init());
        theProfile().Update([](ProfileData &d) { d.signature = "Sam, your parts man"; });
    }
    void cleanup() { m_app.reset(); }

    void readsADeal()
    {
        StoreFixtureDeal();
        XHotDealSet set;
        QVERIFY(set.SelectById("D-501"));
        const std::pair<const char *, const char *> expected[] = {
            {"ID", "D-501"},          {"C_ID", "55556666"},        {"POST_DATE", "2024-04-02 08:15:00"},
            {"LIVE_TIME", "60"},      {"IS_INCOMING", "1"},        {"STATUS", "New"},
            {"STATUS_CODE", "0"},     {"C_NAME", "Lee Wholesale"}, {"C_WEBSITE", "lee.example"},
            {"C_CITY", "Portland"},   {"C_COUNTRY", "USA"},        {"C_COMPANY", "Lee Parts LLC"},
            {"C_SIGNATURE", "Lee <since 1990>"}, {"BUSINESS_TYPE", "Recycler"}, {"TITLE", "Pallet of brake pads"},
            {"YEAR", "2015-2018"},    {"PRICE", "call us"},        {"QUANTITY", "about 200"},
            {"STOCK_NUMBER", "BP-200"}, {"APPLICATION", "Front axle"}, {"NOTES", "Pickup only."},
            {"COMMENTS", ""},
        };
        for (const auto &[column, value] : expected)
            QCOMPARE(set.GetText(column), QString(value));
    }

    void buildsTheDealRequest()
    {
        XHotDealSet set;
        set.AddNew();  // never filled: the default live time, the whole market
        XRequest empty("newDeal");
        set.BuildDealXml(empty);
        QCOMPARE(empty.GetRequestRoot().Select("deal").ToXml(),
                 QByteArray("<deal><meta_info><make/><model/><year/><title/><price/><quantity/><stock_number/>"
                            "<application/><notes/></meta_info><live_time>90</live_time>"
                            "<market_id>_GLOBAL_</market_id></deal>"));

        set.SetText("TITLE", "Wheels & tyres");
        set.SetText("MAKE", "Ford");
        set.SetText("PRICE", "$100 each");
        set.SetText("QUANTITY", "4");
        set.SetInt("LIVE_TIME", 30);
        XRequest request("newDeal");
        set.BuildDealXml(request);
        QCOMPARE(request.GetRequestRoot().Select("deal").ToXml(),
                 QByteArray("<deal><meta_info><make>Ford</make><model/><year/><title>Wheels &amp; tyres</title>"
                            "<price>$100 each</price><quantity>4</quantity><stock_number/><application/><notes/>"
                            "</meta_info><live_time>30</live_time><market_id>_GLOBAL_</market_id></deal>"));
    }

    void detailOfOwnAndIncomingDeals_data()
    {
        QTest::addColumn<bool>("incoming");
        QTest::addColumn<bool>("listAllows");
        QTest::newRow("incoming") << true << true;
        QTest::newRow("own") << false << false;
    }
    void detailOfOwnAndIncomingDeals()
    {
        QFETCH(bool, incoming);
        QFETCH(bool, listAllows);
        StoreFixtureDeal();
        theDatabase().Execute("UPDATE HotDeals SET IS_INCOMING = ?, COMMENTS = 'watch this'", {incoming});
        theDatabase().Execute("INSERT INTO Messages (ID, CONTEXT_ID, CONTEXT_TYPE, IS_PARENT) "
                              "VALUES ('m1', 'D-501', 'deal', 1)");
        m_app->views.enabled = listAllows;
        XHotDealSet set;
        QVERIFY(set.SelectById("D-501"));
        XmlDoc doc = XmlDoc::Create("deal-details");
        set.BuildDetailXml(doc.Root(), true, "file:///tmp/deal.mht");
        const QString email = incoming ? "<email>email</email>" : "";
        const QString signature = incoming ? "Lee &lt;since 1990&gt;" : "Sam, your parts man";
        const QString send = listAllows ? " sendmessage=\"1\"" : "";
        QCOMPARE(QString::fromUtf8(doc.Root().ToXml()),
                 "<deal-details id=\"D-501\" mht-url=\"file:///tmp/deal.mht\" profile=\"1\"" + send +
                     " messages=\"1\"><comments>watch this</comments>"
                     "<section name=\"meta_info\" caption=\"Hot Deal Information\"><meta-fields>"
                     "<product>Pallet of brake pads</product><make>Toyota</make><model>Camry</model>"
                     "<year>2015-2018</year><price>call us</price><quantity>about 200</quantity>"
                     "<stock_number>BP-200</stock_number><application>Front axle</application>"
                     "<notes>Pickup only.</notes></meta-fields></section>"
                     "<section name=\"contact_info\" caption=\"Contact Information\"><contact-fields>"
                     "<id>55556666</id><name>Lee Wholesale</name>" + email +
                     "<phone>555-0400</phone><mobile>555-0401</mobile><fax>555-0402</fax>"
                     "<website>http://lee.example</website><street>7 Dock St</street><city>Portland</city>"
                     "<state>OR</state><zip>97201</zip><country>USA</country><company>Lee Parts LLC</company>"
                     "<business-type>Recycler</business-type><signature>" + signature +
                     "</signature></contact-fields></section></deal-details>");
    }

    void detailWithoutMessagesOrUrl()
    {
        StoreFixtureDeal();
        XHotDealSet set;
        QVERIFY(set.SelectById("D-501"));
        XmlDoc doc = XmlDoc::Create("deal-details");
        set.BuildDetailXml(doc.Root());
        QVERIFY(!doc.Root().HasAttr("mht-url"));
        QVERIFY(!doc.Root().HasAttr("messages"));
        QVERIFY(!doc.Root().HasAttr("sendmessage"));
        QCOMPARE(doc.Root().Attr("profile"), QString("1"));
    }

    void folders()
    {
        StoreFixtureDeal();
        theDatabase().Execute("INSERT INTO HotDeals (ID, IS_INCOMING) VALUES ('own-1', 0)");
        XHotDealSet set;
        QCOMPARE(set.GetFolderFilter(XHotDealSet::Received).text, QString("IS_INCOMING = 1"));
        set.Open();
        QCOMPARE(set.GetRecordCount(), 1);
        QCOMPARE(set.GetIdText(), QString("D-501"));
        QCOMPARE(set.GetFolderFilter(XHotDealSet::Own).text, QString("IS_INCOMING = 0"));
        set.Requery();
        QCOMPARE(set.GetIdText(), QString("own-1"));
        QCOMPARE(set.GetFolderFilter(195).text, QString("IS_INCOMING = 0"));
        QCOMPARE(set.GetFilter().text, QString("IS_INCOMING = 0"));
    }

private:
    std::unique_ptr<TestApp> m_app;
};

KORVANT_TEST_MAIN(TestHotDeals)
#include "tst_hotdeals.moc"
