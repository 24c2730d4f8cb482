// The auto-reply: incoming queries answered from the inventory through the rating script.

#include "SyncFixture.h"
#include "TestEnv.h"

#include "app/TasksDispatcher.h"
#include "app/XPhotoSet.h"
#include "db/XInventoryCarsSet.h"
#include "db/XInventorySet.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>

class TestAutoReply : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void hundredPerRun();
    void notASellerMarksOnly();
    void nothingRatedSendsNothing();
    void bestQuotedAndQueryMarked();
    void firstQuoteFailsNextQueryAnswered();
    void cancelMidRun();
    void waitsForImport();
    void carsQuoted();
    void carPicturesKeepTheirNumbers();
    void exitWithHangingQuote();

private:
    void Run()
    {
        const int before = thePoller().AutoReplyStarts();
        thePoller().StartAutoReply();
        QCOMPARE(thePoller().AutoReplyStarts(), before + 1);
        QVERIFY(thePoller().WaitForAutoReply(20000));
    }
    std::unique_ptr<SyncFixture> f;
};

namespace {

// Rates every part of the inventory, the first found best.
const char *const RateAll = R"JS(
MyObject.getInventoryList();
if (MyObject.ContextArray !== undefined) {
    var ids = new VBArray(MyObject.ContextArray).toArray();
    for (var i = 0; i < ids.length; i++)
        MyObject.addContextInventory(ids[i], 100 - i);
}
)JS";

void AddQuery(const QString &id, const QString &market, int minute, const char *table = "Queries")
{
    theDatabase().Execute(QStringLiteral("INSERT INTO ") + table +
                              " (ID, IS_INCOMING, IS_ARCHIVE, STATUS, STATUS_CODE, AUTOREPL_CHECKED, MARKET_NAME, "
                              "POST_DATE) VALUES (?, 1, 0, 'New', 0, 0, ?, ?)",
                          {id, market, QStringLiteral("2024-03-01 %1:%2:00").arg(minute / 60, 2, 10, QChar('0')).arg(minute % 60, 2, 10, QChar('0'))});
}

void AddParts(int n)
{
    for (int i = 0; i < n; ++i) {
        XInventorySet inv;
        inv.AddNew();
        inv.SetText("P_NAME", QStringLiteral("Part %1").arg(i));
        inv.SetText("P_STOCK_NUMBER", QStringLiteral("S%1").arg(i));
        inv.SetDouble("P_PRICE", 10 + i);
        inv.Update();
    }
}

FakeServer::Answer QuoteAnswer(const QByteArray &id, const char *element = "quote_id")
{
    return Ok("<" + QByteArray(element) + ">" + id + "</" + element + ">");
}

} // namespace

void TestAutoReply::init()
{
    f = std::make_unique<SyncFixture>();
    theSettings().SetInt(Setting::AutoReply, 1);
    theSettings().SetInt(Setting::AutoReplyCars, 1);
    theSettings().SetInt(Setting::MaxRepliesOnQuery, 2);
    theSettings().SetInt(Setting::MaxRepliesOnQueryCars, 1);
    WriteMarketPlaces();
    WriteScript(RateAll);
}

void TestAutoReply::cleanup()
{
    f.reset();
}

void TestAutoReply::hundredPerRun()
{
    for (int i = 0; i < 150; ++i)
        AddQuery(QStringLiteral("Q%1").arg(i), "Sell Here", i);
    WriteScript("");  // rates nothing: no quote, every query only examined
    Run();
    QCOMPARE(f->Count("SELECT COUNT(*) FROM Queries WHERE AUTOREPL_CHECKED = 1"), 100);
    // The newest first: Q50..Q149.
    QCOMPARE(f->Count("SELECT COUNT(*) FROM Queries WHERE AUTOREPL_CHECKED = 1 AND CAST(SUBSTR(ID, 2) AS INTEGER) >= 50"), 100);
    QCOMPARE(f->t.frame.log.Count("ProgressStart|Autoreply:|100"), 1);
    QCOMPARE(f->t.frame.log.Count("ProgressStep"), 100);
    Run();
    QCOMPARE(f->Count("SELECT COUNT(*) FROM Queries WHERE AUTOREPL_CHECKED = 1"), 150);
    QCOMPARE(f->t.frame.log.Count("ProgressStart|Autoreply:|50"), 1);
    QCOMPARE(f->server.RequestsFor("newQuote").size(), 0);
    QCOMPARE(f->Count("SELECT COUNT(*) FROM Queries WHERE STATUS_CODE <> 0"), 0);
    // Nothing left: no run, no status-bar text.
    Run();
    QCOMPARE(f->t.frame.log.Count("ProgressStart"), 2);
}

// The script rates nothing while the inventory has parts: an empty
// selection is no quote, never the whole inventory.
void TestAutoReply::nothingRatedSendsNothing()
{
    AddParts(3);
    AddQuery("Q1", "Sell Here", 1);
    f->server.Script("newQuote", QuoteAnswer("QA"));
    WriteScript("MyObject.getInventoryList();");
    Run();
    QCOMPARE(f->server.RequestsFor("newQuote").size(), 0);
    QCOMPARE(f->Count("SELECT COUNT(*) FROM Quotes"), 0);
    QCOMPARE(f->Count("SELECT COUNT(*) FROM Queries WHERE AUTOREPL_CHECKED = 1"), 1);
}

void TestAutoReply::notASellerMarksOnly()
{
    AddParts(3);
    AddQuery("QB", "Buy Only", 1);
    AddQuery("QX", "Unknown Market", 2);
    Run();
    QCOMPARE(f->server.RequestsFor("newQuote").size(), 0);
    QCOMPARE(f->Count("SELECT COUNT(*) FROM Queries WHERE AUTOREPL_CHECKED = 1 AND STATUS_CODE = 0"), 2);
    QCOMPARE(f->t.frame.log.Count("RefreshSellerQueries"), 0);
}

void TestAutoReply::bestQuotedAndQueryMarked()
{
    AddParts(5);
    AddQuery("Q1", "Sell Here", 1);
    f->server.Enqueue("newQuote", QuoteAnswer("QA"));
    f->server.Enqueue("newQuote", QuoteAnswer("QB"));
    Run();
    QCOMPARE(f->server.RequestsFor("newQuote").size(), 2);  // "MaxRepliesOnQuery" 2 of five rated
    QCOMPARE(f->Count("SELECT COUNT(*) FROM Quotes WHERE ID IN ('QA', 'QB') AND QUERY_ID = 'Q1'"), 2);
    QCOMPARE(f->Count("SELECT STATUS_CODE FROM Queries WHERE ID = 'Q1' AND STATUS = 'Auto Replied' AND "
                      "AUTOREPL_CHECKED = 1"),
             3);
    QCOMPARE(thePoller().GetAutoReplied(), 2);
    QCOMPARE(f->t.frame.log.Count("RefreshSellerQueries"), 1);
    // The two best: the parts rated 100 and 99 are the first two ids.
    const QByteArray body = f->server.RequestsFor("newQuote").first().body;
    QVERIFY2(body.contains("Part 0"), body.constData());
}

void TestAutoReply::firstQuoteFailsNextQueryAnswered()
{
    AddParts(2);
    AddQuery("Q1", "Sell Here", 2);  // newest, answered first
    AddQuery("Q2", "Sell Here", 1);
    FakeServer::Answer refused;
    refused.body = FakeServer::Response(9, {}, "Quote refused");
    f->server.Enqueue("newQuote", refused);
    f->server.Enqueue("newQuote", QuoteAnswer("QA"));
    f->server.Enqueue("newQuote", QuoteAnswer("QB"));
    Run();
    QCOMPARE(f->server.RequestsFor("newQuote").size(), 3);  // Q1 stops at its first failure
    QCOMPARE(f->Count("SELECT COUNT(*) FROM Quotes WHERE QUERY_ID = 'Q1'"), 0);
    QCOMPARE(f->Count("SELECT COUNT(*) FROM Quotes WHERE QUERY_ID = 'Q2'"), 2);
    QCOMPARE(f->Count("SELECT STATUS_CODE FROM Queries WHERE ID = 'Q1'"), 0);
    QCOMPARE(f->Count("SELECT STATUS_CODE FROM Queries WHERE ID = 'Q2'"), 3);
    QCOMPARE(f->Count("SELECT COUNT(*) FROM Queries WHERE AUTOREPL_CHECKED = 1"), 2);
    QCOMPARE(f->t.frame.log.Count("SetStatusText|Autoreply error: "), 1);
}

void TestAutoReply::cancelMidRun()
{
    AddParts(1);
    for (int i = 0; i < 10; ++i)
        AddQuery(QStringLiteral("Q%1").arg(i), "Sell Here", i);
    // The first quote needs a new session; the member shuts down meanwhile.
    f->server.Enqueue("newQuote", FakeServer::Answer{FakeServer::Response(4)});
    f->server.Script("newQuote", QuoteAnswer("QA"));
    f->t.login.onLogin = [] {
        thePoller().StopAutoReply();
        theApp().GetSession().LoggedIn(QStringLiteral("S-2"));
        return true;
    };
    Run();
    QCOMPARE(f->Count("SELECT COUNT(*) FROM Quotes WHERE QUERY_ID = 'Q9'"), 1);
    QCOMPARE(f->Count("SELECT COUNT(*) FROM Queries WHERE AUTOREPL_CHECKED = 1"), 1);
    QCOMPARE(f->Count("SELECT AUTOREPL_CHECKED FROM Queries WHERE ID = 'Q9'"), 1);
    QCOMPARE(f->t.frame.log.Count("RefreshSellerQueries"), 0);
    QVERIFY(!theTasksDispatcher().IsTaskRunning(3));
}

void TestAutoReply::waitsForImport()
{
    AddQuery("Q1", "Sell Here", 1);
    WriteScript("");
    QVERIFY(theTasksDispatcher().BeginTask(1));
    thePoller().StartAutoReply();
    QVERIFY(!thePoller().WaitForAutoReply(300));
    QCOMPARE(f->Count("SELECT COUNT(*) FROM Queries WHERE AUTOREPL_CHECKED = 1"), 0);
    theTasksDispatcher().EndTask(1);
    QVERIFY(thePoller().WaitForAutoReply(10000));
    QCOMPARE(f->Count("SELECT COUNT(*) FROM Queries WHERE AUTOREPL_CHECKED = 1"), 1);
    // And an import waits for a running auto-reply the same way.
    QVERIFY(theTasksDispatcher().TryBeginTask(1, 0));
    theTasksDispatcher().EndTask(1);
}

void TestAutoReply::carsQuoted()
{
    theSettings().SetInt(Setting::AutoReply, 0);
    XInventoryCarsSet car;
    car.AddNew();
    car.SetText("MAKE", "Volvo");
    car.SetText("IMG1_TITLE", "Front");
    car.Update();
    AddQuery("CQ1", "Car Lot", 1, "Queries_Cars");
    WriteScript(R"JS(
MyObject.getCarsInventoryList();
var ids = new VBArray(MyObject.ContextArray).toArray();
MyObject.addContextInventory(ids[0], 90);
)JS",
                true);
    f->server.Enqueue("newCarQuote", QuoteAnswer("CA", "car_quote_id"));
    Run();
    QCOMPARE(f->server.RequestsFor("newCarQuote").size(), 1);
    QCOMPARE(f->Count("SELECT COUNT(*) FROM Quotes_Cars WHERE ID = 'CA' AND QUERY_ID = 'CQ1'"), 1);
    QCOMPARE(f->Count("SELECT STATUS_CODE FROM Queries_Cars WHERE ID = 'CQ1' AND STATUS = 'Auto Replied' AND "
                      "AUTOREPL_CHECKED = 1"),
             3);
    QCOMPARE(f->t.frame.log.Count("ProgressStart|Autoreply Cars:|1"), 1);
    QCOMPARE(f->t.frame.log.Count("RefreshSellerCarQueries"), 1);
}

void TestAutoReply::carPicturesKeepTheirNumbers()
{
    theSettings().SetInt(Setting::AutoReply, 0);
    XInventoryCarsSet car;
    car.AddNew();
    car.SetText("MAKE", "Volvo");
    car.SetText("IMG2_TITLE", "Side");
    car.SetText("IMG5_TITLE", "Engine");
    car.Update();
    const QString id = QString::number(car.GetLastInsertId());
    QDir().mkpath(theApp().GetDataFolder() + "images");
    for (const char *n : {"2", "5"}) {
        QImage img(320, 240, QImage::Format_RGB32);
        img.fill(Qt::blue);
        QVERIFY(img.save(XPhotoSet::GetPhotoFileName("images", id, n, false), "JPG"));
        QVERIFY(img.save(XPhotoSet::GetPhotoFileName("images", id, n, true), "JPG"));
    }
    AddQuery("CQ1", "Car Lot", 1, "Queries_Cars");
    WriteScript(R"JS(
MyObject.getCarsInventoryList();
var ids = new VBArray(MyObject.ContextArray).toArray();
MyObject.addContextInventory(ids[0], 90);
)JS",
                true);
    f->server.Enqueue("newCarQuote", QuoteAnswer("CB", "car_quote_id"));
    Run();
    const QByteArray body = f->server.RequestsFor("newCarQuote").value(0).body;
    QVERIFY(body.contains("<image_2_small>"));
    QVERIFY(body.contains("<image_2_title>Side</image_2_title>"));
    QVERIFY(body.contains("<image_5_title>Engine</image_5_title>"));
    QVERIFY(!body.contains("<image_1_"));
    QVERIFY(QFile::exists(XPhotoSet::GetQuotePhotoFileName("images", "CB", "5", true)));
    QVERIFY(!QFile::exists(XPhotoSet::GetQuotePhotoFileName("images", "CB", "1", true)));
}

void TestAutoReply::exitWithHangingQuote()
{
    AddParts(1);
    AddQuery("Q1", "Sell Here", 1);
    AddQuery("Q2", "Sell Here", 0);
    FakeServer::Answer hang = QuoteAnswer("QA");
    hang.delayMs = 6000;  // longer than Exit may take
    f->server.Script("newQuote", hang);
    thePoller().StartAutoReply();
    QTRY_COMPARE(f->server.RequestsFor("newQuote").size(), 1);
    QElapsedTimer timer;
    timer.start();
    thePoller().Exit();
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(!thePoller().IsThreadRunning(XPoller::AutoReplySlot));
    QCOMPARE(f->server.RequestsFor("newQuote").size(), 1);
    // The query examined so far is marked; after Exit nothing starts a run again.
    QCOMPARE(f->Count("SELECT COUNT(*) FROM Queries WHERE AUTOREPL_CHECKED = 1"), 1);
    const int starts = thePoller().AutoReplyStarts();
    thePoller().StartAutoReply();
    QCOMPARE(thePoller().AutoReplyStarts(), starts);
}

KORVANT_TEST_MAIN(TestAutoReply)
#include "tst_autoreply.moc"
