#include "tst_queries_support.h"

#include "app/XBase64.h"
#include "app/XPhotoSet.h"
#include "db/QuotePictures.h"
#include "db/XInventoryCarsSet.h"
#include "db/XInventorySet.h"
#include "db/XQuoteCarsSet.h"
#include "db/XQuoteSet.h"
#include "net/XRequest.h"

#include <QBuffer>
#include <QDirIterator>

static QByteArray JpegBytes(int w = 8, int h = 6)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::blue);
    QByteArray bytes;
    QBuffer b(&bytes);
    b.open(QIODevice::WriteOnly);
    img.save(&b, "JPG");
    return bytes;
}

static QByteArray B64(const QByteArray &bytes)
{
    return XBase64::EncodeToText(bytes);
}

static QByteArray QuoteXml(const QByteArray &id, const QByteArray &pictures)
{
    return "<quote><quote_id>" + id + "</quote_id><query_id>Q1</query_id><create_time>2024-05-01 10:00</create_time>"
           "<live_time>14</live_time><owner_id>S9</owner_id><market_id>M1</market_id>"
           "<market_info><name>Main</name></market_info>"
           "<contact_info><name>Sam</name><email>s@x</email><website>sam.example</website><signature>Sam sig</signature>"
           "</contact_info><vehicle_info><make>Ford</make><year>2004</year><engine_type>V6</engine_type></vehicle_info>"
           "<part_info><name>Alternator</name><type>Used</type><quantity>1</quantity><box_quantity>5</box_quantity>"
           "<price>0</price><core_deposit>12.5</core_deposit><shipping_handling>3</shipping_handling>"
           "<stock_number>ST1</stock_number><buy_url>buy.example</buy_url>" +
           pictures + "</part_info><business_info><qualification>5</qualification></business_info></quote>";
}

static QByteArray CarQuoteXml(const QByteArray &pictures)
{
    return "<car_quote><car_quote_id>CQ7</car_quote_id><car_query_id>CQ1</car_query_id>"
           "<create_time>2024-05-01 10:00</create_time><live_time>30</live_time><owner_id>S9</owner_id>"
           "<contact_info><name>Sam</name><website>sam.example</website></contact_info>"
           "<car_info><category>Repairable</category><make>Honda</make><model>Civic</model><submodel>LX</submodel>"
           "<year>2003</year><asking_price>4500</asking_price><style>Sport</style><body_style>Sedan</body_style>"
           "<engine_type>4</engine_type><engine_size>1.7</engine_size><engine_size_units>L</engine_size_units>"
           "<mileage>90000</mileage><actual_mileage>0</actual_mileage><damage_options>key,run</damage_options>"
           "<axle>FWD</axle><options>cd_player</options><stock_number>C-1</stock_number>" +
           pictures + "</car_info><business_info><qualification>4</qualification></business_info></car_quote>";
}

static XmlNode Parse(const QByteArray &xml)
{
    static XmlDoc keep;
    keep = XmlDoc::Parse(xml);
    return keep.Root();
}

static QStringList FilesBelow(const QString &folder)
{
    QStringList out;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << it.next().mid(folder.size());
    out.sort();
    return out;
}

// Parts and car quotes: readers with pictures, request items, detail pages, copies to the inventory.
class TestQuotes : public QObject
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

    void pictureTable_data()
    {
        QTest::addColumn<QByteArray>("id");
        QTest::addColumn<QByteArray>("pictures");
        QTest::addColumn<QStringList>("files");
        const QByteArray jpeg = B64(JpegBytes());
        const QByteArray title = "<image_1_title>Front</image_1_title>";
        QTest::newRow("no small picture") << QByteArray("Q1") << (title + "<image_1_full>" + jpeg + "</image_1_full>")
                                          << QStringList();
        QTest::newRow("full without small")
            << QByteArray("Q1") << (title + "<image_1_small/><image_1_full>" + jpeg + "</image_1_full>")
            << QStringList();
        QTest::newRow("both") << QByteArray("Q1")
                              << (title + "<image_1_small>" + jpeg + "</image_1_small><image_1_full>" + jpeg +
                                  "</image_1_full>")
                              << QStringList{"part_images/incoming/qt_Q1_1_big.jpg",
                                             "part_images/incoming/qt_Q1_1_sm.jpg"};
        QTest::newRow("small only") << QByteArray("Q1") << (title + "<image_1_small>" + jpeg + "</image_1_small>")
                                    << QStringList{"part_images/incoming/qt_Q1_1_sm.jpg"};
        QTest::newRow("id climbing out of the folder")
            << QByteArray("../../x") << (title + "<image_1_small>" + jpeg + "</image_1_small>") << QStringList();
        QTest::newRow("id too long") << QByteArray("Q12345678901234567")
                                     << (title + "<image_1_small>" + jpeg + "</image_1_small>") << QStringList();
        QTest::newRow("not an image") << QByteArray("Q1") << (title + "<image_1_small>aGVsbG8=</image_1_small>")
                                      << QStringList();
    }
    void pictureTable()
    {
        QFETCH(QByteArray, id);
        QFETCH(QByteArray, pictures);
        QFETCH(QStringList, files);
        const QString data = m_app->DataFolder();
        const QStringList before = FilesBelow(QFileInfo(data).dir().absolutePath() + "/");
        XQuoteSet set;
        set.AddNew();
        set.ReadQuoteXml(Parse(QuoteXml(id, pictures)));
        QVERIFY(set.Update());  // the quote is stored whatever happened to its picture
        QCOMPARE(set.PictureTitle(), QString("Front"));
        QStringList written = FilesBelow(data);
        written.removeAll("kvc.mdb");
        written.removeIf([](const QString &f) { return f.startsWith("kvc.") || f.endsWith(".log"); });
        QCOMPARE(written, files);
        // Nothing appeared beside the data folder either.
        QStringList after = FilesBelow(QFileInfo(data).dir().absolutePath() + "/");
        after.removeIf([](const QString &f) { return f.contains("/kvc") || f.endsWith(".log"); });
        QStringList was = before;
        was.removeIf([](const QString &f) { return f.contains("/kvc") || f.endsWith(".log"); });
        QCOMPARE(after.size() - int(files.size()), was.size());
    }

    void pictureThatCannotBeWrittenIsLogged()
    {
        const QString data = m_app->DataFolder();
        QVERIFY(QDir().mkpath(data + "part_images/incoming/qt_Q1_1_sm.jpg"));  // a folder where the file goes
        XQuoteSet set;
        set.AddNew();
        set.ReadQuoteXml(Parse(QuoteXml("Q1", "<image_1_small>" + B64(JpegBytes()) + "</image_1_small>")));
        QVERIFY(set.Update());
        QVERIFY(m_app->LogText().contains("Cannot write the picture"));
    }

    void quoteRequestCarriesThePhoto()
    {
        XQuoteSet set;
        set.AddNew();
        set.ReadQuoteXml(Parse(QuoteXml("Q1", "")));
        set.SetBool("IS_INCOMING", false);
        set.SetInt("LIVE_TIME", 3);
        set.SetPictureTitle("Front view");
        XPhotoSet photos;
        QByteArray small(100, '\0'), big(200, '\0');
        for (int i = 0; i < big.size(); ++i)
            big[i] = char(i * 7);
        for (int i = 0; i < small.size(); ++i)
            small[i] = char(i * 3);
        photos.SetSlotBytes(0, small, big);
        XRequest request("newQuote");
        set.BuildQuoteXml(request, &photos);
        QCOMPARE(set.GetInt("LIVE_TIME"), 14);
        const QByteArray raw = request.GetRequestXml();
        QVERIFY(raw.contains(B64(big)));  // base64 lines end in CR LF inside the element
        QVERIFY(B64(big).contains("\r\n"));
        const XmlDoc doc = RequestItem(request, "quote");
        QCOMPARE_GOLDEN(doc, "quotes_request_quote.xml");
    }

    void quoteDetail_data()
    {
        QTest::addColumn<bool>("incoming");
        QTest::addColumn<QString>("golden");
        QTest::newRow("received, big file missing") << true << "quotes_detail_incoming.xml";
        QTest::newRow("own, big file missing") << false << "quotes_detail_own.xml";
    }
    void quoteDetail()
    {
        QFETCH(bool, incoming);
        QFETCH(QString, golden);
        m_app->views.enabled = true;
        XQuoteSet set;
        set.AddNew();
        set.ReadQuoteXml(Parse(QuoteXml("Q1", "<image_1_title>Front</image_1_title><image_1_small>" +
                                                  B64(JpegBytes()) + "</image_1_small>")));
        if (!incoming) {
            set.SetBool("IS_INCOMING", false);
            const QString folder = QuotePictures::Parts().Folder(false);
            QVERIFY(QDir().mkpath(folder));
            QVERIFY(QFile::copy(QuotePictures::Parts().FileName(true, "Q1", 1, false),
                                QuotePictures::Parts().FileName(false, "Q1", 1, false)));
        }
        XmlDoc doc = XmlDoc::Create("quote");
        set.BuildDetailXml(doc.Root(), false);
        QCOMPARE_GOLDEN(doc, golden);
    }

    void copyToInventoryPart()
    {
        XQuoteSet quote;
        quote.AddNew();
        quote.ReadQuoteXml(Parse(QuoteXml("Q1", "<image_1_title>Front</image_1_title>")));
        XInventorySet inv;
        inv.AddNew();
        quote.CopyToInventoryPart(inv);
        QCOMPARE(inv.GetInt("P_QUANTITY"), 5);
        QCOMPARE(inv.GetText("P_STOCK_NUMBER"), QString("ST1"));
        QCOMPARE(inv.GetText("V_END_YEAR"), QString("2004"));
        QCOMPARE(inv.PictureTitle(), QString("Front"));
        QVERIFY(inv.Update());
    }

    // --- cars -----------------------------------------------------------------------

    void carQuoteWithPicturesTwoAndFive()
    {
        const QByteArray jpeg = B64(JpegBytes());
        QByteArray pictures;
        for (int n = 1; n <= 6; ++n)
            pictures += QByteArray("<image_%1_title>T%1</image_%1_title>").replace("%1", QByteArray::number(n));
        pictures += "<image_2_small>" + jpeg + "</image_2_small><image_2_full>" + jpeg + "</image_2_full>";
        pictures += "<image_5_small>" + jpeg + "</image_5_small>";
        XQuoteCarsSet set;
        set.AddNew();
        set.ReadCarQuoteXml(Parse(CarQuoteXml(pictures)));
        QVERIFY(set.Update());
        QVERIFY(set.Select(SqlExpr("ID = ?", {"CQ7"})));
        QCOMPARE(set.GetText("STYLE"), QString("Sport"));  // stored and read back
        QCOMPARE(set.GetInt("ACTUAL_MILEAGE"), 1);         // "0" is a text, so the mileage is actual
        QCOMPARE(set.GetText("DRIVE_TRAIN"), QString("FWD"));
        QCOMPARE(set.GetText("ENGINE_CYL"), QString("4"));
        QCOMPARE(set.GetText("C_WEBSITE"), QString("sam.example"));
        for (int n = 1; n <= 6; ++n)
            QCOMPARE(set.GetText(QByteArray("IMG" + QByteArray::number(n) + "_TITLE").constData()),
                     QString("T%1").arg(n));
        QStringList files = FilesBelow(m_app->DataFolder() + "images/");
        QCOMPARE(files, (QStringList{"incoming/qt_CQ7_2_big.jpg", "incoming/qt_CQ7_2_sm.jpg",
                                     "incoming/qt_CQ7_5_sm.jpg"}));

        m_app->views.enabled = true;
        set.SetText("CAR_ADDOPTIONS", "Roof rack");
        XmlDoc doc = XmlDoc::Create("car_quote");
        set.BuildDetailXml(doc.Root(), false);
        QCOMPARE_GOLDEN(doc, "quotes_detail_car_incoming.xml");
    }

    void damageFlags_data()
    {
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("flags");
        QTest::newRow("repairable") << "Repairable" << "yes,no,yes";
        QTest::newRow("salvage") << "Salvage/Damaged" << "yes,no,yes";
        QTest::newRow("lower case") << "repairable" << "";
        QTest::newRow("clean") << "Clean" << "";
    }
    void damageFlags()
    {
        QFETCH(QString, category);
        XQuoteCarsSet set;
        set.AddNew();
        set.SetText("CATEGORY", category);
        set.SetText("DAMAGE_OPTIONS", "key run");
        XmlDoc doc = XmlDoc::Create("car_quote");
        set.BuildDetailXml(doc.Root(), false);
        const XmlNode car = doc.Root().Select("section/car-fields");
        QStringList flags;
        for (const char *name : {"key", "start", "run"}) {
            if (car.Select(name))
                flags << car.ChildText(name);
        }
        QTEST(flags.join(','), "flags");
    }

    void carQuoteRequestCarriesSixSlots()
    {
        XQuoteCarsSet set;
        set.AddNew();
        set.ReadCarQuoteXml(Parse(CarQuoteXml("")));
        set.SetText("IMG1_TITLE", "One");
        set.SetText("IMG4_TITLE", "Four");
        XPhotoSet photos;
        photos.SetSlotBytes(0, "small-1", "big-1");
        photos.SetSlotBytes(3, "small-4", "");
        XRequest request("newCarQuote");
        set.BuildCarQuoteXml(request, &photos);
        const XmlDoc doc = RequestItem(request, "car_quote");
        QCOMPARE_GOLDEN(doc, "quotes_request_car_quote.xml");
    }

    void copyToInventoryCar()
    {
        XQuoteCarsSet quote;
        quote.AddNew();
        quote.ReadCarQuoteXml(Parse(CarQuoteXml("<image_3_title>Three</image_3_title>")));
        quote.SetText("CAR_ADDOPTIONS", "not copied");
        XInventoryCarsSet inv;
        inv.AddNew();
        quote.CopyToInventoryCar(inv);
        QCOMPARE(inv.GetText("IMG3_TITLE"), QString("Three"));
        QCOMPARE(inv.GetText("STOCK_NUMBER"), QString("C-1"));
        QCOMPARE(inv.GetInt("ACTUAL_MILEAGE"), 1);
        QCOMPARE(inv.GetText("DAMAGE_OPTIONS"), QString());
        QCOMPARE(inv.GetText("CAR_ADDOPTIONS"), QString());
        QVERIFY(inv.Update());
    }

private:
    std::unique_ptr<TestApp> m_app;
};

KORVANT_TEST_MAIN(TestQuotes)
#include "tst_quotes.moc"
