// The car quote and car inventory rules: the missing-field list, the query
// copied into the quote, "newCarQuote" against the fake server (102 stores
// nothing), the inventory copy, and a car saved by its own ID.

#include "FormsFixture.h"

#include "app/XPhotoSet.h"
#include "dialogs/NodeIds.h"
#include "forms/CarForms.h"

#include <QImage>

namespace {

void AddCarQuery(const QString &id, const QString &make = "Toyota", int status = 0)
{
    theDatabase().Execute("INSERT INTO Queries_Cars (ID, IS_INCOMING, IS_ARCHIVE, STATUS, STATUS_CODE, C_NAME, "
                          "MARKET_ID, MARKET_NAME, MAKE, MODEL, CATEGORY, BODY_STYLE, ENGINE_TYPE, AXLE) "
                          "VALUES (?, 1, 0, 'New', ?, 'Robin Dealer', 'MP-200', 'Whole Cars Market', ?, 'Any', "
                          "'Used', 'Sedan', 'V6', 'AWD')",
                          {id, status, make});
}

std::unique_ptr<ISellerQueries> Leads()
{
    return std::make_unique<QueryIdList>("Queries_Cars", SqlExpr("IS_INCOMING = 1 AND STATUS_CODE IN (0, 1)"), "ID",
                                         NodeCarsIncomingLeads, 0);
}

void Complete(XBaseSet &car)
{
    const std::pair<const char *, const char *> values[] = {
        {"YEAR", "2011"},       {"MAKE", "Toyota"},         {"MODEL", "Corolla"},     {"BODY_STYLE", "Sedan"},
        {"ASKING_PRICE", "5000"}, {"MILEAGE", "90000"},     {"CONDITION", "Good"},    {"EXT_COLOR", "Blue"},
        {"TRANSMISSION", "Automatic"}, {"CATEGORY", "Used"}, {"LOCATION_ADDRESS", "1 Main St"},
        {"LOCATION_CITY", "Salem"}};
    for (const auto &[column, value] : values)
        car.SetText(column, value);
}

QString Picture(const QString &dir, const char *name)
{
    QImage img(300, 200, QImage::Format_RGB32);
    img.fill(Qt::blue);
    const QString path = dir + "/" + name;
    return img.save(path, "JPG") ? path : QString();
}

} // namespace

class TestCarForms : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        f = std::make_unique<FormsFixture>();
        theSettings().SetInt(Setting::SaveToInventoryCars, 0);
    }
    void cleanup() { f.reset(); }

    void missingFields_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("line");
        QTest::newRow("complete") << "NOTES" << "" << "";
        QTest::newRow("price 0") << "ASKING_PRICE" << "0" << "- Price (must be greater than zero)\n";
        QTest::newRow("price empty") << "ASKING_PRICE" << "" << "- Price (must be greater than zero)\n";
        QTest::newRow("mileage 0") << "MILEAGE" << "0" << "- Mileage (must be greater than zero)\n";
        QTest::newRow("model placeholder") << "MODEL" << "-- Please Select Model --" << "- Model\n";
        QTest::newRow("no city") << "LOCATION_CITY" << " " << "- City\n";
    }
    void missingFields()
    {
        QFETCH(QString, column);
        QFETCH(QString, value);
        QFETCH(QString, line);
        XInventoryCarsSet car;
        car.AddNew();
        Complete(car);
        car.SetText(column.toLatin1().constData(), value);
        QCOMPARE(CarForms::MissingFields(car), line);
    }

    void queryCopiedAnyBecomesEmpty()
    {
        AddCarQuery("CQ1", "Any");
        CarQuoteForm form(&f->host, Leads());
        QVERIFY(form.HasQuery());
        const XQuoteCarsSet &q = form.Quote();
        QVERIFY(q.GetText("MAKE").isEmpty() && q.GetText("MODEL").isEmpty());
        QCOMPARE(q.GetText("ENGINE_CYL"), QString("V6"));
        QCOMPARE(q.GetText("DRIVE_TRAIN"), QString("AWD"));
        QCOMPARE(q.GetText("YEAR"), QString("2000"));
    }

    void obsoleteQueryStoresNothing()
    {
        AddCarQuery("CQ1");
        f->server.Enqueue("newCarQuote", Answer(102, {}, "gone"));
        CarQuoteForm form(&f->host, Leads());
        Complete(form.Quote());
        SubmitPipeline pipeline(&f->host);
        QCOMPARE(form.Submit(pipeline), FormOutcome::FormCode);
        QVERIFY(f->t.dialogs.log.Calls().last().contains(CarQuoteForm::ObsoleteText));
        QCOMPARE(f->Count("SELECT COUNT(*) FROM Quotes_Cars"), 0);
        QCOMPARE(f->Count("SELECT STATUS_CODE FROM Queries_Cars WHERE ID = 'CQ1'"), 0);
    }

    // Pictures 2 and 5 keep their numbers in the request and in the inventory copy.
    void sentQuoteWithCopyToInventory()
    {
        AddCarQuery("CQ1");
        AddCarQuery("CQ2");
        theDatabase().Execute("INSERT INTO Inventory_Cars (STOCK_NUMBER, MAKE) VALUES ('ZZZ', 'Saab')");
        f->server.Enqueue("newCarQuote",
                          Answer(0, "<car_quote_id>CQT-1</car_quote_id><create_time>2009-03-04 05:06:07</create_time>"));
        const QString dir = TestEnv::NewFolder();
        CarQuoteForm form(&f->host, Leads());
        Complete(form.Quote());
        form.Quote().SetText("STOCK_NUMBER", "AAA");
        QList<InvPicture> pictures;
        for (int n = 1; n <= 6; ++n)
            pictures.append({n == 2 ? Picture(dir, "a.jpg") : n == 5 ? Picture(dir, "b.JPG") : QString(),
                             n == 5 ? "Engine" : "", QString::number(n)});
        form.SetPictures(pictures);
        form.SetStoreToInventory(true);
        SubmitPipeline pipeline(&f->host);
        QCOMPARE(form.Submit(pipeline), FormOutcome::Sent);
        const QByteArray body = f->LastBody("newCarQuote");
        QVERIFY(body.contains("<image_2_small>") && body.contains("<image_5_title>Engine</image_5_title>"));
        QVERIFY(!body.contains("<image_1_"));
        QCOMPARE(f->Count("SELECT STATUS_CODE FROM Queries_Cars WHERE ID = 'CQ1'"), 2);
        QCOMPARE(f->Count("SELECT STATUS_CODE FROM Queries_Cars WHERE ID = 'CQ2'"), 0);
        const QString id = f->Text("SELECT ID FROM Inventory_Cars WHERE STOCK_NUMBER = 'AAA'");
        QCOMPARE(form.InventoryCopyId(), id.toLongLong());
        QCOMPARE(f->Text("SELECT IMG5_TITLE FROM Inventory_Cars WHERE ID = ?", {id}), QString("Engine"));
        for (const char *n : {"2", "5"})
            QVERIFY(QFile::exists(XPhotoSet::GetPhotoFileName("images", id, n, true)));
        QVERIFY(!QFile::exists(XPhotoSet::GetPhotoFileName("images", id, "1", true)));
        QVERIFY(f->host.log.Calls().contains(QStringLiteral("QuoteSent|1|%1").arg(NodeCarsIncomingLeads)));
        QVERIFY(theSettings().IsOn(Setting::SaveToInventoryCars));
    }

    void carSavedUnderItsOwnId()
    {
        for (const char *stock : {"B", "A", "C"})
            theDatabase().Execute("INSERT INTO Inventory_Cars (STOCK_NUMBER, MAKE) VALUES (?, 'Saab')",
                                  {QString::fromLatin1(stock)});
        const qint64 id = f->Text("SELECT ID FROM Inventory_Cars WHERE STOCK_NUMBER = 'C'").toLongLong();
        CarInventoryForm form;
        QVERIFY(form.Open(id));
        QCOMPARE(form.Record().GetText("STOCK_NUMBER"), QString("C"));
        Complete(form.Record());
        QCOMPARE(form.Save({}), id);
        QCOMPARE(f->Text("SELECT STOCK_NUMBER || MAKE FROM Inventory_Cars WHERE ID = ?", {id}), QString("CToyota"));
        QCOMPARE(f->Count("SELECT COUNT(*) FROM Inventory_Cars WHERE MAKE = 'Saab'"), 2);
    }

private:
    std::unique_ptr<FormsFixture> f;
};

KORVANT_TEST_MAIN(TestCarForms)
#include "tst_carforms.moc"
