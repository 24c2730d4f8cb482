#include "tst_queries_support.h"

#include "db/XQueryCarsSet.h"
#include "db/XQuerySet.h"
#include "net/XRequest.h"

static const QByteArray kQuery =
    "<query><query_id>Q1</query_id><owner_id>B7</owner_id><create_time>2024-05-01 10:00:00</create_time>"
    "<live_time>30</live_time><market_id>M1</market_id><referer_id>P100</referer_id>"
    "<market_info><name>Main Market</name></market_info>"
    "<contact_info><name>Bob</name><email>bob@example.com</email><phone>1</phone><website>bob.example</website>"
    "<state>TX</state><signature>Bob sig</signature><business_type>Body Shop</business_type></contact_info>"
    "<vehicle_info><make>Ford</make><model>Focus</model><year>2004</year><engine_type>V6</engine_type>"
    "<engine_size_units>L</engine_size_units><fuel_delivery>MPI</fuel_delivery></vehicle_info>"
    "<part_info><category>Engine</category><type>Used</type><name>Alternator</name><quantity>2</quantity>"
    "<max_price>1234.5</max_price><side>LEFT FRONT</side><other>Needs it soon</other></part_info>"
    "<business_info><originating_state>TX</originating_state><qualification>3</qualification></business_info>"
    "</query>";

static const QByteArray kCarQuery =
    "<car_query><car_query_id>CQ1</car_query_id><owner_id>B8</owner_id><create_time>2024-05-01 10:00</create_time>"
    "<live_time>7</live_time><market_id>PERSONAL</market_id>"
    "<contact_info><name>Cat</name><city>Austin</city><business_type>Consumer</business_type></contact_info>"
    "<vehicle_info><options>ac_front,alarm,zzz</options><make>Honda</make><model>Civic</model>"
    "<submodel>LX</submodel><from_year>2001</from_year><to_year>2004</to_year><exterior_color>Silver</exterior_color>"
    "<engine_size>1.7</engine_size><engine_size_units>L</engine_size_units></vehicle_info>"
    "<business_info><qualification>2</qualification></business_info>"
    "<purchase_info><min_price>1000</min_price><max_mileage>90000</max_mileage><zip>73301</zip>"
    "<notes>Clean title</notes></purchase_info></car_query>";

static XmlNode Parse(const QByteArray &xml)
{
    static XmlDoc keep;
    keep = XmlDoc::Parse(xml);
    return keep.Root();
}

// Parts and car queries: readers, request items, detail pages, folders.
class TestQueries : public QObject
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

    void readQueryStoresAndReloads()
    {
        XQuerySet set;
        set.AddNew();
        set.ReadQueryXml(Parse(kQuery));
        QVERIFY(set.Update());
        QVERIFY(set.Select(SqlExpr("ID = ?", {"Q1"})));
        QVERIFY(!set.IsEOF());
        QCOMPARE(set.GetText("C_ID"), QString("B7"));
        QCOMPARE(set.GetText("C_EMAIL"), QString());  // the buyer's address is never stored
        QCOMPARE(set.GetText("C_WEBSITE"), QString("bob.example"));
        QCOMPARE(set.GetText("BUSINESS_TYPE"), QString("Body Shop"));
        QCOMPARE(set.GetText("MARKET_NAME"), QString("Main Market"));
        QCOMPARE(set.GetText("V_ENGINE"), QString("V6"));
        QCOMPARE(set.GetText("V_DELIVERY"), QString("MPI"));
        QCOMPARE(set.GetDouble("P_MAX_PRICE"), 1234.5);
        QCOMPARE(set.GetInt("P_QUANTITY"), 2);
        QCOMPARE(set.GetInt("IS_INCOMING"), 1);
        QCOMPARE(set.GetInt("IS_CONTACT_FULL"), 0);
        QCOMPARE(set.GetText("STATUS"), QString("New"));
        QCOMPARE(set.GetText("POST_DATE"), QString("2024-05-01 10:00:00"));
        QVERIFY(set.GetDate("RECIVE_DATE").isValid());
        QCOMPARE(set.GetText("QFY_LEVEL"), QString("3"));
    }

    void readerEdges_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("value");
        const QString longOther = QString(2000, QChar(0x00e9));
        QTest::newRow("no contact block") << QByteArray("<query><query_id>Q2</query_id></query>") << "C_NAME" << "";
        QTest::newRow("no contact, not full") << QByteArray("<query/>") << "IS_CONTACT_FULL" << "0";
        QTest::newRow("live_time not a number") << QByteArray("<query><live_time>soon</live_time></query>")
                                                << "LIVE_TIME" << "0";
        QTest::newRow("bad date") << QByteArray("<query><create_time>never</create_time></query>") << "POST_DATE" << "";
        QTest::newRow("other cut to 1024 characters")
            << ("<query><part_info><other>" + longOther.toUtf8() + "</other></part_info></query>") << "P_NOTES"
            << QString(1024, QChar(0x00e9));
    }
    void readerEdges()
    {
        QFETCH(QByteArray, xml);
        QFETCH(QString, column);
        QFETCH(QString, value);
        XQuerySet set;
        set.AddNew();
        set.ReadQueryXml(Parse(xml));
        QCOMPARE(set.GetText(column.toLatin1().constData()), value);
    }

    void buildQueryItem()
    {
        XQuerySet set;
        set.AddNew();
        set.ReadQueryXml(Parse(kQuery));
        set.SetText("C_STATE", "");  // sent as a single blank
        set.SetText("C_SIGNATURE", "row signature, not sent");
        XRequest request("newQuery");
        set.BuildQueryXml(request);
        const XmlDoc doc = RequestItem(request, "query");
        QCOMPARE_GOLDEN(doc, "queries_request_query.xml");
    }

    void mapBusinessType_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("word");
        QTest::newRow("recycler with blank") << "Auto Recycler " << "Retailer";
        QTest::newRow("recycler without blank") << "Auto Recycler" << "Tradewick";
        QTest::newRow("lower case") << "retailer" << "Tradewick";
        QTest::newRow("mechanic") << "Mechanic" << "Retailer";
        QTest::newRow("insurance") << "Titling Company" << "Insurance";
        QTest::newRow("consumer") << "Do-It-Yourselfer" << "Consumer";
        QTest::newRow("distributor") << "Jobber" << "Distributor";
        QTest::newRow("importer") << "Importer/Exporter" << "Wholesaler";
        QTest::newRow("surplus") << "Surplus Store" << "Wholesaler";
        QTest::newRow("manufacturer") << "Remanufacturer" << "Manufacturer";
        QTest::newRow("empty") << "" << "Tradewick";
    }
    void mapBusinessType()
    {
        QFETCH(QString, type);
        QFETCH(QString, word);
        QCOMPARE(XQuerySet::MapBusinessType(type), word);
    }

    void detail_data()
    {
        QTest::addColumn<bool>("incoming");
        QTest::addColumn<bool>("search");
        QTest::addColumn<QString>("golden");
        QTest::newRow("incoming") << true << false << "queries_detail_incoming.xml";
        QTest::newRow("incoming in search") << true << true << "queries_detail_search.xml";
        QTest::newRow("own") << false << false << "queries_detail_own.xml";
    }
    void detail()
    {
        QFETCH(bool, incoming);
        QFETCH(bool, search);
        QFETCH(QString, golden);
        m_app->frame.pageSection = 2;
        m_app->views.enabled = true;
        XQuerySet set;
        set.AddNew();
        set.ReadQueryXml(Parse(kQuery));
        set.SetBool("IS_INCOMING", incoming);
        set.SetText("COMMENTS", "my note");
        XmlDoc doc = XmlDoc::Create("query");
        set.BuildDetailXml(doc.Root(), search);
        QCOMPARE_GOLDEN(doc, golden);
    }

    void zeroPriceShowsAny()
    {
        XQuerySet set;
        set.AddNew();
        XmlDoc doc = XmlDoc::Create("query");
        set.BuildDetailXml(doc.Root(), false);
        QCOMPARE(doc.Root().ChildText("section/part-fields/max_price"), QString("Any"));
        QCOMPARE(doc.Root().ChildText("post_date"), QString());  // no date, no 1970
        QCOMPARE(doc.Root().ChildText("expiration_date"), QString());
        QVERIFY(!doc.Root().HasAttr("sendmessage"));
        QVERIFY(!doc.Root().HasAttr("sendquote"));
    }

    void folderFilters()
    {
        for (const char *referer : {"P100", "O'Brien", "P100"}) {
            XQuerySet set;
            set.AddNew();
            set.SetText("ID", QString("Q-%1").arg(referer) + QString::number(qrand()));
            set.SetBool("IS_INCOMING", true);
            set.SetText("REFERER_ID", referer);
            QVERIFY(set.Update());
        }
        XQuerySet set;
        set.GetFolderFilter(137);
        QVERIFY(set.Open());
        QCOMPARE(set.GetRecordCount(), 2);
        theApp().GetSession().SetPassportId("O'Brien");  // a quote in the id stays a value
        set.GetFolderFilter(137);
        QVERIFY(set.Requery());
        QCOMPARE(set.GetRecordCount(), 1);
        QCOMPARE(set.GetFolderFilter(20002).text,
                 QString("IS_INCOMING = 0 AND IS_ARCHIVE = 0 AND             (STATUS_CODE = 0 OR STATUS_CODE = 1)"));
        QCOMPARE(set.GetFolderFilter(999).text, set.GetFolderFilter(20002).text);  // unknown id keeps the folder
        QCOMPARE(set.GetFolderFilter(105).text,
                 QString("IS_INCOMING = 1 AND IS_ARCHIVE = 0 AND             STATUS_CODE = 5"));
        XQueryCarsSet cars;
        QCOMPARE(cars.GetFolderFilter(163).text, QString("IS_INCOMING = 1 AND IS_ARCHIVE = 1"));
    }

    void wordSearchFindsPartsAndNumbers()
    {
        XQuerySet set;
        set.AddNew();
        set.ReadQueryXml(Parse(kQuery));
        QVERIFY(set.Update());
        QString text = "  alternator ";
        set.SetSearchText(text);
        QVERIFY(set.Open());
        QCOMPARE(set.GetRecordCount(), 1);
        text = "2";  // the quantity, a numeric column
        set.SetSearchText(text);
        QVERIFY(set.Requery());
        QCOMPARE(set.GetRecordCount(), 1);
        text = "ford' OR 1=1 --";
        set.SetSearchText(text);
        QVERIFY(set.Requery());
        QCOMPARE(set.GetRecordCount(), 0);
    }

    // --- cars -----------------------------------------------------------------------

    void readCarQuery()
    {
        XQueryCarsSet set;
        set.AddNew();
        set.ReadCarQueryXml(Parse(kCarQuery));
        QVERIFY(set.Update());
        QVERIFY(set.Select(SqlExpr("ID = ?", {"CQ1"})));
        QCOMPARE(set.GetText("MIN_YEAR"), QString("2001"));
        QCOMPARE(set.GetText("BUSINESS_TYPE"), QString("Consumer"));
        QCOMPARE(set.GetText("QFY_LEVEL"), QString("2"));
        QCOMPARE(set.GetText("CAR_OPTIONS"), QString("ac_front,alarm,zzz"));

        XQueryCarsSet cut;
        cut.AddNew();
        cut.ReadCarQueryXml(Parse("<car_query><purchase_info><notes>" + QByteArray(4000, 'n') +
                                  "</notes></purchase_info></car_query>"));
        QCOMPARE(cut.GetText("NOTES").size(), 3072);
    }

    void buildCarQueryItem()
    {
        XQueryCarsSet set;
        set.AddNew();
        set.ReadCarQueryXml(Parse(kCarQuery));
        set.SetText("CAR_ADDOPTIONS", "not sent");
        XRequest request("newCarQuery");
        set.BuildCarQueryXml(request);
        const XmlDoc doc = RequestItem(request, "car_query");
        QCOMPARE_GOLDEN(doc, "queries_request_car_query.xml");
    }

    void carDetail_data()
    {
        QTest::addColumn<bool>("incoming");
        QTest::addColumn<QString>("golden");
        QTest::newRow("incoming") << true << "queries_detail_car_incoming.xml";
        QTest::newRow("own") << false << "queries_detail_car_own.xml";
    }
    void carDetail()
    {
        QFETCH(bool, incoming);
        QFETCH(QString, golden);
        XQueryCarsSet set;
        set.AddNew();
        set.ReadCarQueryXml(Parse(kCarQuery));
        set.SetBool("IS_INCOMING", incoming);
        set.SetText("CAR_ADDOPTIONS", "Roof rack");
        XmlDoc doc = XmlDoc::Create("car_query");
        set.BuildDetailXml(doc.Root(), false);
        QCOMPARE_GOLDEN(doc, golden);
    }

    void carCaptions_data()
    {
        QTest::addColumn<QString>("minPrice");
        QTest::addColumn<QString>("maxPrice");
        QTest::addColumn<QString>("minMileage");
        QTest::addColumn<QString>("maxMileage");
        QTest::addColumn<QString>("priceRange");
        QTest::addColumn<QString>("priceSpan");
        QTest::addColumn<QString>("mileageRange");
        QTest::addColumn<QString>("mileageSpan");
        QTest::newRow("min price only") << "1500" << "" << "" << "" << "$1,500+" << "From $1,500" << "Any" << "Any";
        QTest::newRow("max price only") << "" << "$20,000" << "" << "90000" << "$20,000-" << "To $20,000"
                                        << "90000-" << "To 90000";
        QTest::newRow("both") << "1000" << "2000" << "10" << "20" << "$2,000-" << "$1,000 - $2,000" << "20-"
                              << "10 - 20";
        QTest::newRow("none") << "" << "" << "5" << "" << "Any" << "Any" << "5+" << "From 5";
    }
    void carCaptions()
    {
        QFETCH(QString, minPrice);
        QFETCH(QString, maxPrice);
        QFETCH(QString, minMileage);
        QFETCH(QString, maxMileage);
        XQueryCarsSet set;
        set.AddNew();
        set.SetText("MIN_PRICE", minPrice);
        set.SetText("MAX_PRICE", maxPrice);
        set.SetText("MIN_MILEAGE", minMileage);
        set.SetText("MAX_MILEAGE", maxMileage);
        set.SetText("EXT_COLOR", QString::fromUtf8("Bl\xc3\xa4ulich"));
        QTEST(set.GetPriceRangeText(), "priceRange");
        QTEST(set.GetPriceSpanText(), "priceSpan");
        QTEST(set.GetMileageRangeText(), "mileageRange");
        QTEST(FormatRangeText(minMileage, maxMileage), "mileageSpan");
        QCOMPARE(set.GetColorText(), QString::fromUtf8("Bl\xc3\xa4ul"));
    }

    void modelWithoutModelIsEmpty()
    {
        XQueryCarsSet set;
        set.AddNew();
        set.SetText("SUBMODEL", "LX");
        XmlDoc doc = XmlDoc::Create("car_query");
        set.BuildDetailXml(doc.Root(), false);
        QCOMPARE(doc.Root().ChildText("section/car-vehicle-fields/model"), QString());
        QCOMPARE(doc.Root().SelectAll("section/car-vehicle-fields/options/option").size(), 0);
    }

private:
    static int qrand()
    {
        static int n = 0;
        return ++n;
    }
    std::unique_ptr<TestApp> m_app;
};

KORVANT_TEST_MAIN(TestQueries)
#include "tst_queries.moc"
