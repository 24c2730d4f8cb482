#include "tst_queries_support.h"

#include "db/XInventoryCarsSet.h"
#include "db/XInventorySet.h"
#include "db/XQuoteCarsSet.h"
#include "db/XQuoteSet.h"

// Parts and cars inventory: searches, the stock-number test, quotes filled from stock.
class TestInventory : public QObject
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

    void fillPartQuote_data()
    {
        QTest::addColumn<QString>("year");
        QTest::addColumn<QString>("endYear");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("quoteYear");
        QTest::addColumn<QString>("quoteType");
        QTest::newRow("range") << "1998" << "2003" << "Used" << "1998-2003" << "Used";
        QTest::newRow("same years") << "1998" << "1998" << "" << "1998" << "Any";
        QTest::newRow("no end year") << "1998" << "" << "New" << "1998" << "New";
    }
    void fillPartQuote()
    {
        XInventorySet inv;
        inv.AddNew();
        inv.SetText("P_STOCK_NUMBER", "S-1");
        QFETCH(QString, year);
        QFETCH(QString, endYear);
        inv.SetText("V_YEAR", year);
        QFETCH(QString, type);
        inv.SetText("V_END_YEAR", endYear);
        inv.SetText("P_TYPE", type);
        inv.SetInt("P_QUANTITY", 3);
        inv.SetDouble("P_HANDLING", 7.5);
        QVERIFY(inv.Update());
        QVERIFY(inv.Open());
        inv.SetPictureTitle("Side");
        XQuoteSet quote;
        quote.AddNew();
        inv.FillPartQuote(quote);
        QTEST(quote.GetText("V_YEAR"), "quoteYear");
        QTEST(quote.GetText("P_TYPE"), "quoteType");
        QCOMPARE(quote.GetInt("INVENTORY_ID"), inv.GetInt("ID"));
        QCOMPARE(quote.GetInt("P_BOX_QUANTITY"), 3);
        QCOMPARE(quote.GetText("P_NUMBER"), QString("S-1"));
        QCOMPARE(quote.GetDouble("P_SHIPPING"), 7.5);
        QCOMPARE(quote.GetText("C_ID"), QString("P100"));
        QCOMPARE(quote.GetText("C_COMPANY"), QString("Own Parts"));
        QCOMPARE(quote.GetText("QFY_LEVEL"), QString("4"));
        QCOMPARE(quote.GetInt("IS_INCOMING"), 0);
        QCOMPARE(quote.PictureTitle(), QString("Side"));
    }

    void stockNumberTest()
    {
        XInventorySet inv;
        inv.AddNew();
        inv.SetText("P_STOCK_NUMBER", "O'Neil-7");
        QVERIFY(inv.Update());
        XInventorySet probe;
        probe.AddNew();
        probe.SetText("P_STOCK_NUMBER", "o'neil-7");  // the original engine compared without case
        QVERIFY(probe.StockNumberExists());
        probe.SetText("P_STOCK_NUMBER", "X' OR '1'='1");
        QVERIFY(!probe.StockNumberExists());
        theDatabase().Execute("DROP TABLE Inventory");  // an unusable database answers false
        probe.SetText("P_STOCK_NUMBER", "O'Neil-7");
        QVERIFY(!probe.StockNumberExists());
    }

    void searchWords_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<int>("hits");
        QTest::newRow("quantity as number") << "123" << 1;
        QTest::newRow("make, any case") << "FORD" << 2;
        QTest::newRow("no numeric match for text") << "abc" << 0;
        QTest::newRow("two words") << "ford 123" << 1;
    }
    void searchWords()
    {
        const std::pair<const char *, int> rows[] = {{"Ford", 123}, {"Ford", 5}, {"Honda", 7}};
        for (const auto &[make, qty] : rows) {
            XInventorySet inv;
            inv.AddNew();
            inv.SetText("V_MAKE", make);
            inv.SetInt("P_QUANTITY", qty);
            QVERIFY(inv.Update());
        }
        QFETCH(QString, word);
        XInventorySet set;
        set.SetSearchText(word);
        QVERIFY(set.Open());
        QTEST(int(set.GetRecordCount()), "hits");
    }

    // A pasted page of text: the search keeps its leading words, logs what it
    // dropped and answers instead of failing.
    void thousandWordSearch()
    {
        XInventorySet inv;
        inv.AddNew();
        inv.SetText("V_MAKE", "Ford");
        QVERIFY(inv.Update());
        QStringList words{"ford"};
        for (int i = 1; i < 1000; ++i)
            words << QStringLiteral("w%1").arg(i);
        QString text = words.join(u' ');
        XInventorySet set;
        set.SetSearchText(text);
        QVERIFY(set.Open());
        QVERIFY(set.SearchWords().size() > 1);
        QVERIFY(set.SearchWords().size() < 1000);
        QCOMPARE(set.SearchWords().first(), QString("ford"));
        QFile log(theApp().GetDataFolder() + "kvc.log");
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(log.readAll().contains("The search keeps its first"));
    }

    void fillCarQuote()
    {
        XInventoryCarsSet car;
        car.AddNew();
        car.SetText("MAKE", "Honda");
        car.SetText("YEAR", "2003");
        car.SetText("FEATURES", "not carried");
        car.SetBool("ACTUAL_MILEAGE", true);
        for (int n = 1; n <= 6; ++n)
            car.SetText(QByteArray("IMG" + QByteArray::number(n) + "_TITLE").constData(), QString("T%1").arg(n));
        QVERIFY(car.Update());
        QVERIFY(car.Open());
        XQuoteCarsSet quote;
        quote.AddNew();
        car.FillCarQuote(quote);
        QCOMPARE(quote.GetInt("LIVE_TIME"), 30);
        QCOMPARE(quote.GetInt("INVENTORY_ID"), 0);
        QCOMPARE(quote.GetText("C_NAME"), QString("Own Name"));
        QCOMPARE(quote.GetText("C_CITY"), QString());
        QCOMPARE(quote.GetText("YEAR"), QString("2003"));
        QCOMPARE(quote.GetText("IMG6_TITLE"), QString("T6"));
        QCOMPARE(quote.GetInt("ACTUAL_MILEAGE"), 1);
        quote.SetText("ID", "CQ-1");
        QVERIFY(quote.Update());
    }

    void carSearchYearMatchesTextColumns()
    {
        XInventoryCarsSet car;
        car.AddNew();
        car.SetText("YEAR", "2004");
        QVERIFY(car.Update());
        car.AddNew();
        car.SetText("NOTES", "bought 2004 in spring");
        QVERIFY(car.Update());
        QString word = "2004";
        car.SetSearchText(word);
        QVERIFY(car.Open());
        QCOMPARE(car.GetRecordCount(), 2);
    }

private:
    std::unique_ptr<TestApp> m_app;
};

KORVANT_TEST_MAIN(TestInventory)
#include "tst_inventory.moc"
