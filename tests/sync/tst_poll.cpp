// One poll against the fake server and a temporary database.

#include "SyncFixture.h"
#include "TestEnv.h"

#include "db/XOrderSet.h"
#include "db/XQuerySet.h"
#include "net/XRequest.h"

class TestPoll : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void emptyAnswer();
    void listsStoredAndCounted();
    void quoteKeptWhenMarkingFails();
    void messageUndoneWhenItsRecordRefuses();
    void messagesOldestFirst();
    void largeMessageListOldestFirst();
    void dealAndOrderCountThreadsOfTheSameAnswer();
    void onlyOrderUpdatesNoRefresh();
    void failedRequestKeepsFrameCounts();
    void exitWhileWaitingForLockSendsNothing();
    void notLoggedInAndLoginFails();

private:
    std::unique_ptr<SyncFixture> f;
};

namespace {

QByteArray Query(const QByteArray &id, const QByteArray &market = "Sell Here")
{
    return "<query><query_id>" + id + "</query_id><owner_id>B1</owner_id><create_time>2024-03-01 10:00:00</create_time>"
           "<live_time>30</live_time><market_info><name>" + market + "</name></market_info>"
           "<part_info><name>Door</name><quantity>1</quantity></part_info></query>";
}

QByteArray Quote(const QByteArray &id, const QByteArray &queryId)
{
    return "<quote><quote_id>" + id + "</quote_id><query_id>" + queryId + "</query_id><owner_id>S1</owner_id>"
           "<create_time>2024-03-02 10:00:00</create_time><part_info><name>Door</name><price>10</price></part_info>"
           "</quote>";
}

QByteArray Message(const QByteArray &id, const QByteArray &contextType, const QByteArray &contextId,
                   const QByteArray &time = "2024-03-05 10:00:00")
{
    return "<message><message_id>" + id + "</message_id><context_type>" + contextType + "</context_type><context_id>" +
           contextId + "</context_id><owner_id>B1</owner_id><subject>s</subject><body>b</body><create_time>" + time +
           "</create_time><contact_info><name>Buyer</name></contact_info></message>";
}

void StoreOwnQuery(const QString &id)
{
    XQuerySet q;
    q.AddNew();
    q.SetText("ID", id);
    q.SetBool("IS_INCOMING", false);
    q.SetText("STATUS", "New");
    q.SetInt("STATUS_CODE", 0);
    q.Update();
}

void StoreOrder(const QString &id)
{
    XOrderSet o;
    o.AddNew();
    o.SetText("ID", id);
    o.Update();
}

} // namespace

void TestPoll::init()
{
    f = std::make_unique<SyncFixture>();
}

void TestPoll::cleanup()
{
    f.reset();
}

void TestPoll::emptyAnswer()
{
    f->server.Script("poll", Ok());
    thePoller().Poll();
    QCOMPARE(f->server.RequestsFor("poll").size(), 1);
    QCOMPARE(f->t.frame.Counts(), NewCounts{});
    QCOMPARE(f->t.frame.log.Count("SetNewCounts"), 1);
    QCOMPARE(f->t.frame.log.Count("SetStatusText|Queries: 0, Car Queries: 0, Quotes: 0, Car Quotes: 0, Messages: 0, "
                                  "Car Messages: 0, Hot deals: 0, Purchase Orders: 0"),
             1);
    QCOMPARE(f->t.frame.log.Count("ShowTrayMessage"), 0);
    QCOMPARE(f->t.frame.log.Count("RefreshListAfterRequest"), 0);
    QCOMPARE(thePoller().AutoReplyStarts(), 1);
    QVERIFY(thePoller().WaitForAutoReply(5000));
}

void TestPoll::listsStoredAndCounted()
{
    StoreOwnQuery("MINE");
    XQuerySet dup;
    dup.AddNew();
    dup.SetText("ID", "Q2");
    dup.Update();
    f->server.Script("poll", Ok("<query_list>" + Query("Q1") + Query("Q2") + Query("Q3") + "</query_list>"
                                "<quote_list>" + Quote("QT1", "MINE") + Quote("QT2", "GONE") + "</quote_list>"
                                "<message_list>" + Message("M1", "query_cars", "CQ9") + Message("M2", "deal", "D1") +
                                Message("M3", "query", "Q1") + "</message_list>"
                                "<deal_list><deal><deal_id>D1</deal_id></deal></deal_list>"
                                "<order_list><order><order_id>PO1</order_id></order></order_list>"
                                "<order_update_list><order_update><order_id>NOPE</order_id><status>x</status>"
                                "</order_update></order_update_list>"));
    thePoller().Poll();
    NewCounts expected;
    expected.value[NewCounts::Queries] = 2;
    expected.value[NewCounts::Quotes] = 2;
    expected.value[NewCounts::Messages] = 2;
    expected.value[NewCounts::CarMessages] = 1;
    expected.value[NewCounts::HotDeals] = 1;
    expected.value[NewCounts::Orders] = 1;
    NewCounts got = f->t.frame.Counts();
    got.value[NewCounts::AutoReplied] = 0;  // whatever the auto-reply counted meanwhile
    for (int i = 0; i < NewCounts::Size; ++i)
        QVERIFY2(got.value[i] == expected.value[i], qPrintable(QString("%1: %2").arg(i).arg(got.value[i])));
    QCOMPARE(f->t.LogText().count("Polling Queries DB Error"), 1);
    QCOMPARE(f->Count("SELECT COUNT(*) FROM Queries WHERE ID IN ('Q1','Q3') AND IS_INCOMING = 1"), 2);
    QCOMPARE(f->Count("SELECT STATUS_CODE FROM Queries WHERE ID = 'MINE' AND STATUS = 'Replied'"), 2);
    QCOMPARE(f->Count("SELECT COUNT(*) FROM Quotes WHERE ID = 'QT2'"), 1);  // its query is not here
    QCOMPARE(f->Count("SELECT COUNT(*) FROM Orders WHERE ID = 'NOPE'"), 0);
    QCOMPARE(f->t.frame.log.Count("SetStatusText|Processing queries ..."), 1);
    QCOMPARE(f->t.frame.log.Count("SetStatusText|Processing order updates ..."), 1);
    QCOMPARE(f->t.frame.log.Count("SetStatusText|Queries: 2, Car Queries: 0, Quotes: 2, Car Quotes: 0, Messages: 2, "
                                  "Car Messages: 1, Hot deals: 1, Purchase Orders: 1"),
             1);
    QCOMPARE(f->t.frame.log.Count("RefreshListAfterRequest"), 1);
    QTRY_COMPARE(f->t.frame.log.Count("ShowTrayMessage|You have new queries : 2.\nClick here to see.|0"), 1);
    QCOMPARE(theAlertText(), QStringLiteral("You have new queries : 2.\nClick here to see."));
    QCOMPARE(thePoller().GetNewQueries(), 2);
    QCOMPARE(thePoller().GetNewCarMessages(), 1);
}

void TestPoll::quoteKeptWhenMarkingFails()
{
    StoreOwnQuery("MINE");
    theDatabase().Execute("CREATE TRIGGER no_mark BEFORE UPDATE ON Queries BEGIN SELECT RAISE(ABORT, 'refused'); END");
    f->server.Script("poll", Ok("<quote_list>" + Quote("QT1", "MINE") + "</quote_list>"));
    thePoller().Poll();
    QCOMPARE(thePoller().GetNewQuotes(), 1);
    QCOMPARE(f->Count("SELECT COUNT(*) FROM Quotes WHERE ID = 'QT1'"), 1);
    QCOMPARE(f->Count("SELECT STATUS_CODE FROM Queries WHERE ID = 'MINE'"), 0);
    QCOMPARE(f->t.LogText().count("Polling Quotes DB Error"), 1);
}

// A list has no savepoint per item: a message's own scope must take back its
// row when its record cannot be counted, and the next message still goes in.
void TestPoll::messageUndoneWhenItsRecordRefuses()
{
    StoreOwnQuery("MINE");
    theDatabase().Execute("CREATE TRIGGER no_count BEFORE UPDATE ON Queries BEGIN SELECT RAISE(ABORT, 'refused'); END");
    f->server.Script("poll", Ok("<message_list>" + Message("M1", "query", "MINE") + Message("M2", "deal", "D1") +
                                "</message_list>"));
    thePoller().Poll();
    QCOMPARE(f->Count("SELECT COUNT(*) FROM Messages WHERE ID = 'M1'"), 0);
    QCOMPARE(f->Count("SELECT COUNT(*) FROM Messages WHERE ID = 'M2'"), 1);
    QCOMPARE(thePoller().GetNewMessages(), 1);
    QCOMPARE(f->t.LogText().count("Polling Messages DB Error"), 1);
}

void TestPoll::messagesOldestFirst()
{
    StoreOwnQuery("MINE");
    f->server.Script("poll", Ok("<message_list>" + Message("M2", "query", "MINE", "2024-03-06 10:00:00") +
                                Message("M1", "query", "MINE", "2024-03-05 10:00:00") + "</message_list>"));
    thePoller().Poll();
    QCOMPARE(thePoller().GetNewMessages(), 2);
    // The older message opens the thread and counts the newer one.
    QCOMPARE(f->Count("SELECT INCOMING_COUNT FROM Messages WHERE ID = 'M1' AND IS_PARENT = 1 AND "
                      "LATEST_POST_DATE = '2024-03-06 10:00:00'"),
             2);
    QCOMPARE(f->Count("SELECT COUNT(*) FROM Messages WHERE ID = 'M2' AND IS_PARENT = 0"), 1);
}

// A list large enough to be read one item at a time keeps the same order.
void TestPoll::largeMessageListOldestFirst()
{
    StoreOwnQuery("MINE");
    QByteArray list = Message("M3", "query", "MINE", "2024-03-07 10:00:00");
    for (int i = 0; i < 400; ++i)
        list += Message("F" + QByteArray::number(i), "broadcast", "B" + QByteArray::number(i));
    list += Message("M2", "query", "MINE", "2024-03-06 10:00:00") + Message("M1", "query", "MINE", "2024-03-01 10:00:00");
    QVERIFY(list.size() > XRequest::OnDemandListBytes);
    f->server.Script("poll", Ok("<message_list>" + list + "</message_list>"));
    thePoller().Poll();
    QCOMPARE(thePoller().GetNewMessages(), 403);
    QCOMPARE(f->Count("SELECT INCOMING_COUNT FROM Messages WHERE ID = 'M1' AND IS_PARENT = 1 AND "
                      "LATEST_POST_DATE = '2024-03-07 10:00:00'"),
             3);
    QCOMPARE(f->Count("SELECT COUNT(*) FROM Messages WHERE ID IN ('M2', 'M3') AND IS_PARENT = 0"), 2);
    QCOMPARE(f->Count("SELECT MESS_TOTAL_COUNT FROM Queries WHERE ID = 'MINE' AND STATUS = 'Replied'"), 1);
}

void TestPoll::dealAndOrderCountThreadsOfTheSameAnswer()
{
    // Messages are stored before the deals and orders they are about.
    f->server.Script("poll", Ok("<message_list>" + Message("M1", "deal", "D1") + Message("M2", "order", "PO1") +
                                "</message_list><deal_list><deal><deal_id>D1</deal_id></deal></deal_list>"
                                "<order_list><order><order_id>PO1</order_id></order></order_list>"));
    thePoller().Poll();
    QCOMPARE(f->Count("SELECT MESS_TOTAL_COUNT FROM HotDeals WHERE ID = 'D1'"), 1);
    QCOMPARE(f->Count("SELECT MESS_NEW_COUNT FROM HotDeals WHERE ID = 'D1'"), 1);
    QCOMPARE(f->Count("SELECT MESS_TOTAL_COUNT FROM Orders WHERE ID = 'PO1'"), 1);
}

void TestPoll::onlyOrderUpdatesNoRefresh()
{
    StoreOrder("PO7");
    f->server.Script("poll", Ok("<order_update_list><order_update><order_id>PO7</order_id><status>Shipped</status>"
                                "</order_update></order_update_list>"));
    thePoller().Poll();
    QCOMPARE(thePoller().GetNewOrderUpdates(), 1);
    QCOMPARE(f->t.frame.Counts().value[NewCounts::OrderUpdates], 1);
    QCOMPARE(f->t.frame.log.Count("RefreshListAfterRequest"), 0);
    QTRY_COMPARE(f->t.frame.log.Count("ShowTrayMessage|You have new order updates : 1.\n Click to see.|0"), 1);
}

void TestPoll::failedRequestKeepsFrameCounts()
{
    f->server.Script("poll", Ok("<deal_list><deal><deal_id>D1</deal_id></deal></deal_list>"));
    thePoller().Poll();
    QCOMPARE(f->t.frame.Counts().value[NewCounts::HotDeals], 1);
    FakeServer::Answer refused;
    refused.body = FakeServer::Response(7, {}, "Server is busy");
    f->server.Script("poll", refused);
    thePoller().Poll();
    QCOMPARE(f->t.frame.log.Count("SetNewCounts"), 1);
    QCOMPARE(f->t.frame.Counts().value[NewCounts::HotDeals], 1);
    QCOMPARE(thePoller().GetNewHotDeals(), 0);
    QCOMPARE(f->t.frame.log.Count("SetStatusText|Polling request error: "), 1);
    QCOMPARE(thePoller().AutoReplyStarts(), 1);
}

void TestPoll::exitWhileWaitingForLockSendsNothing()
{
    FakeServer::Answer slow = Ok();
    slow.delayMs = 400;
    f->server.Script("poll", slow);
    thePoller().RequestBackground();
    QTRY_COMPARE(f->server.RequestsFor("poll").size(), 1);
    std::thread second([] { thePoller().Poll(); });
    QThread::msleep(50);
    thePoller().Exit();
    second.join();
    QCOMPARE(f->server.RequestsFor("poll").size(), 1);
    QCOMPARE(f->t.frame.log.Count("ShowTrayMessage"), 0);
}

void TestPoll::notLoggedInAndLoginFails()
{
    theApp().GetSession().SetLoggedIn(false);
    f->t.login.result = false;
    f->server.Script("poll", Ok());
    thePoller().Poll();
    QCOMPARE(f->t.login.calls.load(), 1);
    QCOMPARE(f->server.RequestsFor("poll").size(), 0);
    QCOMPARE(f->t.frame.log.Count("SetNewCounts"), 0);
}

KORVANT_TEST_MAIN(TestPoll)
#include "tst_poll.moc"
