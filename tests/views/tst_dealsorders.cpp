#include "FakeServer.h"
#include "TestEnv.h"
#include "ViewsFixture.h"

#include "app/XSettings.h"
#include "net/NetInit.h"
#include "net/XRequest.h"
#include "views/XHotDealListCtrl.h"
#include "views/MessSelDlg.h"
#include "views/XMessageListCtrl.h"
#include "views/XOrderListCtrl.h"
#include "views/XQueryListCtrl.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QPushButton>
#include <QTimer>
#include <QImage>

namespace {

void AddOrder(const QString &id, bool incoming, int status, bool updated, bool userNew, const QString &date,
              double shipping = 5)
{
    theDatabase().Execute("INSERT INTO Orders (ID, IS_INCOMING, STATUS_CODE, STATUS, IS_UPDATED, IS_U_NEW, POST_DATE, "
                          "C_NAME, RCP_NAME, SHIPPING, P_NAME) VALUES (?, ?, ?, 'x', ?, ?, ?, ?, ?, ?, 'Door')",
                          {id, incoming ? 1 : 0, status, updated ? 1 : 0, userNew ? 1 : 0, date,
                           "Buyer " + id, "Seller " + id, shipping});
}

QString StatusAndFlag(const QString &id)
{
    return Scalar("SELECT STATUS_CODE || '/' || IS_U_NEW FROM Orders WHERE ID = ?", {id});
}

void AddThread(const QString &id, const QString &contextId, const QString &contextType, const QString &latest)
{
    theDatabase().Execute("INSERT INTO Messages (ID, CONTEXT_ID, CONTEXT_TYPE, OWNER_ID, IS_PARENT, STATUS_CODE, "
                          "MESSAGE_SUBJ, POST_DATE, LATEST_POST_DATE) VALUES (?, ?, ?, 'P2', 1, 1, 'Re', ?, ?)",
                          {id, contextId, contextType, latest, latest});
}

// A host whose SelectNode shows the node's list, as the main window does.
class NavigatingHost : public FakeListHost
{
public:
    void SelectNode(int nodeId) override
    {
        log.Add(QStringLiteral("SelectNode|%1").arg(nodeId));
        node = nodeId;
        XBaseListCtrl *list = nodeId == 118 ? static_cast<XBaseListCtrl *>(messages) : queries;
        if (!list)
            return;
        list->SetFolder(nodeId);
        list->Refill();
        list->show();
    }
    XMessageListCtrl *messages = nullptr;
    XQueryListCtrl *queries = nullptr;
};

} // namespace

class TestDealsOrders : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_app = std::make_unique<TestApp>(ViewsOptions());
        QVERIFY(theDatabase().init());
        m_host.log.Clear();
        m_host.node = 0;
    }
    void cleanup()
    {
        m_app.reset();
        m_host.messages = nullptr;
        m_host.queries = nullptr;
    }

    // Space on the last of two rows marks it and moves to the first, alone.
    void hotDealSpace_data()
    {
        QTest::addColumn<int>("node");
        QTest::addColumn<bool>("incoming");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("afterOne");
        QTest::addColumn<QString>("afterTwo");
        QTest::newRow("own: nothing") << 131 << false << 0 << "0/New" << "0/New";
        QTest::newRow("incoming read") << 130 << true << 1 << "0/New" << "1/Read";
        QTest::newRow("incoming new") << 130 << true << 0 << "1/Read" << "0/New";
    }
    void hotDealSpace()
    {
        QFETCH(int, node);
        QFETCH(bool, incoming);
        QFETCH(int, status);
        QFETCH(QString, afterOne);
        QFETCH(QString, afterTwo);
        AddDeal("H1", "top", incoming, status, "2024-05-02 10:00:00");
        AddDeal("H2", "bottom", incoming, status, "2024-05-01 10:00:00");
        m_host.node = node;
        XHotDealListCtrl list(&m_host, nullptr);
        OpenFolder(list, node);
        const auto deal = [] { return Scalar("SELECT STATUS_CODE || '/' || STATUS FROM HotDeals WHERE ID = 'H2'"); };
        ClickRow(list, 1);
        QTest::keyClick(&list, Qt::Key_Space);
        QCOMPARE(deal(), afterOne);
        QCOMPARE(Selected(list), QList<int>{incoming ? 0 : 1});
        ClickRow(list, 1);
        QTest::keyClick(&list, Qt::Key_Space);
        QCOMPARE(deal(), afterTwo);
        QCOMPARE(Scalar("SELECT STATUS_CODE FROM HotDeals WHERE ID = 'H1'"), QString::number(status));
        QCOMPARE(m_host.log.Count("RefreshCounters|7|"), incoming ? 2 : 0);
    }

    void orderSpace_data()
    {
        QTest::addColumn<int>("node");
        QTest::addColumn<bool>("incoming");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("updated");
        QTest::addColumn<bool>("userNew");
        QTest::addColumn<QString>("after");
        QTest::newRow("pending sale new") << 195 << true << 0 << false << false << "1/0";
        QTest::newRow("pending sale read") << 195 << true << 1 << false << false << "0/0";
        QTest::newRow("pending sale read, member's new") << 195 << true << 1 << false << true << "1/1";
        QTest::newRow("confirmed, updates new") << 199 << false << 5 << true << true << "5/0";
        QTest::newRow("confirmed, updates seen") << 199 << false << 5 << true << false << "5/1";
        QTest::newRow("confirmed, no updates") << 199 << false << 5 << false << false << "5/0";
        QTest::newRow("purchase order: no marks") << 196 << false << 0 << false << false << "0/0";
        QTest::newRow("completed sale updated") << 198 << true << 5 << true << false << "5/1";
    }
    void orderSpace()
    {
        QFETCH(int, node);
        QFETCH(bool, incoming);
        QFETCH(int, status);
        QFETCH(bool, updated);
        QFETCH(bool, userNew);
        QFETCH(QString, after);
        AddOrder("O1", incoming, status, updated, userNew, "2024-05-01 10:00:00");
        m_host.node = node;
        XOrderListCtrl list(&m_host, nullptr);
        OpenFolder(list, node);
        QCOMPARE(list.RowCount(), 1);
        ClickRow(list, 0);
        // Print (Ctrl+P) follows the selection: every order page prints its order.
        QVERIFY(list.CanDo(XBaseListCtrl::OpPrint));
        QTest::keyClick(&list, Qt::Key_Space);
        QCOMPARE(StatusAndFlag("O1"), after);
        QCOMPARE(m_host.log.Calls(), QStringList{QStringLiteral("RefreshCounters|8|%1").arg(node)});
    }

    void orderColumnsFollowTheNode()
    {
        AddOrder("O1", false, 5, false, false, "2024-05-01 10:00:00", 0);
        AddOrder("O2", false, 5, false, false, "2024-05-02 10:00:00");
        theDatabase().Execute("UPDATE Orders SET RCP_NAME = 'Zed' WHERE ID = 'O2'");
        m_host.node = 199;
        XOrderListCtrl list(&m_host, nullptr);
        OpenFolder(list, 199);
        QCOMPARE(list.model()->headerData(2, Qt::Horizontal).toString(), QString("Seller"));
        QCOMPARE(ColumnTexts(list, 2), (QStringList{"Zed", "Seller O1"}));
        QCOMPARE(ColumnTexts(list, 7), (QStringList{"$5.00", "Any"}));
        ClickHeader(list, 2);
        QCOMPARE(list.GetSortOrder(), QString("RCP_NAME ASC"));
        QCOMPARE(ColumnTexts(list, 2), (QStringList{"Seller O1", "Zed"}));
        QCOMPARE(list.GetSelectedProperty("is_incoming"), QString("0"));
        QCOMPARE(list.GetSelectedProperty("status"), QString());

        AddOrder("O3", true, 0, false, false, "2024-05-03 10:00:00");
        list.SetFolder(195);
        list.Refill();
        QCOMPARE(list.model()->headerData(2, Qt::Horizontal).toString(), QString("Buyer"));
        QCOMPARE(ColumnTexts(list, 2), QStringList{"Buyer O3"});
        QCOMPARE(list.GetSortOrder(), QString("POST_DATE DESC"));  // another node: its own sort
        m_host.node = 195;  // the frame, once the page is shown
        ClickHeader(list, 2);
        QCOMPARE(list.GetSortOrder(), QString("C_NAME ASC"));
        QTest::keyClick(&list, Qt::Key_Return);
        QCOMPARE(m_host.log.Count("UpdateSelectedOrder"), 1);
    }

    // Own deals are withdrawn from the server first; a refused one stays with
    // the server's reason shown, the others go locally in one transaction.
    void mixedHotDealDelete()
    {
        NetInit net;
        FakeServer server;
        server.Start();
        theSettings().SetString(Setting::ServerURL, server.Url());
        theApp().GetSession().SetPassportId("P1000");
        theApp().GetSession().LoggedIn("S-1");
        FakeServer::Answer ok;
        ok.body = FakeServer::Response(0);
        FakeServer::Answer refused;
        refused.body = FakeServer::Response(17, {}, "The deal has open orders");
        server.Enqueue("removeDeal", ok);
        server.Enqueue("removeDeal", refused);
        AddDeal("OWN1", "mine", false, 0, "2024-05-03 10:00:00");
        AddDeal("OWN2", "mine too", false, 0, "2024-05-02 10:00:00");
        AddDeal("IN1", "theirs", true, 1, "2024-05-01 10:00:00");
        AddDeal("IN2", "kept", true, 1, "2024-04-01 10:00:00");
        m_host.node = 0;
        XHotDealListCtrl list(&m_host, nullptr);
        OpenFolder(list, 0);
        ClickRow(list, 0);
        ClickRow(list, 1, Qt::ControlModifier);
        ClickRow(list, 2, Qt::ControlModifier);
        QVERIFY(list.DeleteSelected());

        const QList<FakeServer::Request> sent = server.RequestsFor("removeDeal");
        QCOMPARE(sent.size(), 2);
        QVERIFY(sent[0].body.contains("<deal_id>OWN1</deal_id>"));
        QVERIFY(sent[1].body.contains("<deal_id>OWN2</deal_id>"));
        QCOMPARE(Scalar("SELECT GROUP_CONCAT(ID) FROM (SELECT ID FROM HotDeals ORDER BY ID)"), QString("IN2,OWN2"));
        QCOMPARE(m_app->dialogs.log.Calls().filter("MessageBox|"),
                 QStringList{"MessageBox|The deal has open orders|Cannot remove the hot deal|16"});
        QCOMPARE(ColumnTexts(list, 9), (QStringList{"OWN2", "IN2"}));
        server.Stop();
    }

    // "getOrder" stores the billing of the selected order; a refusal is shown and stores nothing.
    void paymentInfo()
    {
        NetInit net;
        FakeServer server;
        server.Start();
        theSettings().SetString(Setting::ServerURL, server.Url());
        theApp().GetSession().SetPassportId("P1000");
        theApp().GetSession().LoggedIn("S-1");
        FakeServer::Answer ok;
        ok.body = FakeServer::Response(0, "<order><billing_info><name>Pat Buyer</name>"
                                          "<payment_method>card</payment_method></billing_info></order>");
        FakeServer::Answer refused;
        refused.body = FakeServer::Response(9, {}, "No such order");
        FakeServer::Answer another;
        another.body = FakeServer::Response(0, "<order><order_id>O2</order_id><billing_info><name>Someone Else</name>"
                                               "</billing_info></order>");
        server.Enqueue("getOrder", ok);
        server.Enqueue("getOrder", refused);
        server.Enqueue("getOrder", another);
        AddOrder("O1", true, 0, false, false, "2024-05-01 10:00:00");
        theDatabase().Execute("UPDATE Orders SET IS_BILLING_FULL = 0");
        m_host.node = 195;
        XOrderListCtrl list(&m_host, nullptr);
        OpenFolder(list, 195);
        QVERIFY(list.FetchPaymentInfo(true));
        QVERIFY(server.RequestsFor("getOrder")[0].body.contains("<order_id>O1</order_id>"));
        QCOMPARE(Scalar("SELECT B_NAME || '/' || PAYMENT_METHOD || '/' || IS_BILLING_FULL FROM Orders"),
                 QString("Pat Buyer/card/1"));
        QVERIFY(!list.FetchPaymentInfo(true));
        QCOMPARE(m_app->dialogs.log.Calls().filter("MessageBox|"),
                 QStringList{"MessageBox|No such order|Cannot get the payment information|16"});
        // Another order's answer is refused and stored nowhere.
        QVERIFY(!list.FetchPaymentInfo(true));
        QCOMPARE(m_app->dialogs.log.Calls().filter("MessageBox|").last(),
                 QString("MessageBox|The server answered with another order's information. Nothing was changed; please "
                         "try again.|Cannot get the payment information|16"));
        QCOMPARE(Scalar("SELECT B_NAME FROM Orders"), QString("Pat Buyer"));
        QVERIFY(m_app->LogText().contains("not the \"O1\" asked for; refused"));
        server.Stop();
    }

    void hotDealRulesAndPreview()
    {
        AddDeal("H1", "theirs", true, 0, "2024-05-02 10:00:00");
        AddDeal("H2", "no owner", true, 1, "2024-05-01 10:00:00", QString());
        m_host.node = 130;
        XHotDealListCtrl list(&m_host, nullptr);
        OpenFolder(list, 130);
        QCOMPARE(list.GetSelectedStatus(), 0);
        QVERIFY(list.CanDo(XBaseListCtrl::OpMarkRead));
        QVERIFY(!list.CanDo(XBaseListCtrl::OpMarkNew));
        QVERIFY(list.CanDo(XBaseListCtrl::OpContact));
        QTest::keyClick(&list, Qt::Key_Return);  // opens the preview, marked read first
        QCOMPARE(Scalar("SELECT STATUS FROM HotDeals WHERE ID = 'H1'"), QString("Read"));
        QVERIFY(m_host.log.Calls().endsWith("ShowHotDealPreview"));
        ClickRow(list, 1);
        QVERIFY(!list.CanDo(XBaseListCtrl::OpContact));
        list.DeselectAll();
        QCOMPARE(list.GetSelectedStatus(), -1);
        QVERIFY(!list.CanDo(XBaseListCtrl::OpDelete));
    }

    // The note lands on the selected record alone, quotes and "%" kept, and its details show again.
    void comments_data()
    {
        QTest::addColumn<bool>("deals");
        QTest::newRow("hot deal") << true;
        QTest::newRow("order") << false;
    }
    void comments()
    {
        QFETCH(bool, deals);
        AddDeal("R1", "top", true, 1, "2024-05-02 10:00:00");
        AddDeal("R2", "bottom", true, 1, "2024-05-01 10:00:00");
        AddOrder("R1", true, 1, false, false, "2024-05-02 10:00:00");
        AddOrder("R2", true, 1, false, false, "2024-05-01 10:00:00");
        std::unique_ptr<XBaseListCtrl> list;
        if (deals)
            list = std::make_unique<XHotDealListCtrl>(&m_host, nullptr);
        else
            list = std::make_unique<XOrderListCtrl>(&m_host, nullptr);
        FakeBrowser browser;
        list->SetDetailsBrowser(&browser);
        OpenFolder(*list, deals ? 130 : 195);
        ClickRow(*list, 1);
        QTest::qWait(0);
        browser.log.Clear();
        const QString note = QStringLiteral("it's 100% & <b>done</b>");
        QVERIFY(list->SetComments(note));
        const QString table = deals ? "HotDeals" : "Orders";
        QCOMPARE(Scalar("SELECT COMMENTS FROM [" + table + "] WHERE ID = 'R2'"), note);
        QCOMPARE(Scalar("SELECT COUNT(*) FROM [" + table + "] WHERE COMMENTS IS NOT NULL"), QString("1"));
        QCOMPARE(list->GetComments(), note);
        QCOMPARE(browser.log.Calls().size(), 1);  // the page again (no sheets here: cleared)
        list->DeselectAll();
        QVERIFY(!list->SetComments("lost"));
    }

    // The record's thread (the latest of several) is selected on the Messages
    // page; a record without one leaves the page alone.
    void showMessages_data()
    {
        QTest::addColumn<bool>("deals");
        QTest::newRow("hot deal") << true;
        QTest::newRow("order") << false;
    }
    void showMessages()
    {
        QFETCH(bool, deals);
        const QString type = deals ? "deal" : "order";
        AddDeal("R1", "top", true, 1, "2024-05-02 10:00:00");
        AddDeal("R2", "bottom", true, 1, "2024-05-01 10:00:00");
        AddOrder("R1", true, 1, false, false, "2024-05-02 10:00:00");
        AddOrder("R2", true, 1, false, false, "2024-05-01 10:00:00");
        AddThread("T1", "R2", type, "2024-05-03 10:00:00");
        AddThread("T2", "R2", type, "2024-05-04 10:00:00");
        AddThread("T3", "R2", deals ? "order" : "deal", "2024-05-05 10:00:00");
        AddThread("T4", "R1x", type, "2024-05-06 10:00:00");
        XMessageListCtrl messages(&m_host, nullptr);
        m_host.messages = &messages;
        std::unique_ptr<XBaseListCtrl> list;
        if (deals)
            list = std::make_unique<XHotDealListCtrl>(&m_host, nullptr);
        else
            list = std::make_unique<XOrderListCtrl>(&m_host, nullptr);
        OpenFolder(*list, deals ? 130 : 195);
        const auto show = [&] {
            if (auto *d = qobject_cast<XHotDealListCtrl *>(list.get()))
                d->ShowMessages();
            else
                qobject_cast<XOrderListCtrl *>(list.get())->ShowMessages();
        };
        ClickRow(*list, 0);
        show();
        QVERIFY(m_host.log.Calls().filter("SelectNode").isEmpty());
        ClickRow(*list, 1);
        show();
        QCOMPARE(m_host.log.Calls().filter("SelectNode"), QStringList{"SelectNode|118"});
        QCOMPARE(messages.SelectedKeys(), QStringList{"T2"});
    }

    // An order placed from a quote selects that quote on its page; an order
    // from anything else, or from a quote that is gone, says so.
    void goToOrderQuote()
    {
        theDatabase().Execute("INSERT INTO Queries (ID, IS_INCOMING, IS_ARCHIVE, STATUS_CODE, POST_DATE) VALUES "
                              "('Q1', 0, 0, 2, '2024-05-01 10:00:00')");
        theDatabase().Execute("INSERT INTO Quotes (ID, QUERY_ID, IS_INCOMING, IS_ARCHIVE, STATUS_CODE, POST_DATE) "
                              "VALUES ('A', 'Q1', 1, 0, 1, '2024-05-01 11:00:00'), "
                              "('B', 'Q1', 1, 0, 1, '2024-05-01 12:00:00')");
        AddOrder("O1", false, 1, false, false, "2024-05-03 10:00:00");
        AddOrder("O2", false, 1, false, false, "2024-05-02 10:00:00");
        AddOrder("O3", false, 1, false, false, "2024-05-01 10:00:00");
        theDatabase().Execute("UPDATE Orders SET CONTEXT_ID = 'A', CONTEXT_TYPE = 'quote' WHERE ID = 'O1'");
        theDatabase().Execute("UPDATE Orders SET CONTEXT_ID = 'A', CONTEXT_TYPE = 'deal' WHERE ID = 'O2'");
        theDatabase().Execute("UPDATE Orders SET CONTEXT_ID = 'gone', CONTEXT_TYPE = 'quote' WHERE ID = 'O3'");
        XQueryListCtrl queries(&m_host, nullptr);
        m_host.queries = &queries;
        XOrderListCtrl list(&m_host, nullptr);
        OpenFolder(list, 196);
        list.GoToOrderQuote();
        QCOMPARE(m_host.log.Calls().filter("SelectNode"), QStringList{"SelectNode|20003"});
        QCOMPARE(queries.RowId(queries.GetSelectedItem()), QString("A"));
        QCOMPARE(queries.SelectedCount(), 1);
        QVERIFY(m_app->dialogs.log.Calls().filter("MessageBox|").isEmpty());
        for (int row : {1, 2}) {
            ClickRow(list, row);
            list.GoToOrderQuote();
        }
        QCOMPARE(m_app->dialogs.log.Calls().filter("MessageBox|"),
                 QStringList(2, "MessageBox|Quote not found|Korvant|64"));
    }

    // Several threads about a query: the member picks one in the selection
    // dialog (or cancels, and nothing moves).
    void severalThreadsAskWhich()
    {
        theDatabase().Execute("INSERT INTO Queries (ID, IS_INCOMING, IS_ARCHIVE, STATUS_CODE, POST_DATE, V_YEAR, "
                              "V_MAKE, V_MODEL, P_NAME) VALUES ('Q%2', 0, 0, 2, '2024-05-01 10:00:00', '2004', "
                              "'Ford', 'Focus', 'Door')");
        AddThread("T1", "Q%2", "query", "2024-05-03 10:00:00");
        AddThread("T2", "Q%2", "query", "2024-05-04 10:00:00");
        AddThread("T3", "Q%2", "quote", "2024-05-05 10:00:00");
        XMessageListCtrl messages(&m_host, nullptr);
        m_host.messages = &messages;
        XQueryListCtrl queries(&m_host, nullptr);
        OpenFolder(queries, 20003);
        ClickRow(queries, 0);
        QString title;
        QStringList offered;
        const auto answer = [&](bool ok) {
            QTimer::singleShot(0, [&, ok] {
                auto *dlg = qobject_cast<MessSelDlg *>(QApplication::activeModalWidget());
                QVERIFY(dlg);
                title = dlg->windowTitle();
                XMessageListCtrl *list = dlg->Threads();
                QTRY_VERIFY(list->isVisible());
                offered = ColumnTexts(*list, 4);
                ClickRow(*list, 1);
                auto *buttons = dlg->findChild<QDialogButtonBox *>();
                QTest::mouseClick(buttons->button(ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel),
                                  Qt::LeftButton);
            });
        };
        answer(false);
        queries.ShowMessages();
        QCOMPARE(title, QString("Messages for Query #Q%2 , 2004 Ford Focus Door"));
        QCOMPARE(offered.size(), 2);
        QVERIFY(m_host.log.Calls().filter("SelectNode").isEmpty());
        answer(true);
        queries.ShowMessages();
        QCOMPARE(m_host.log.Calls().filter("SelectNode"), QStringList{"SelectNode|118"});
        QCOMPARE(messages.SelectedKeys(), QStringList{"T1"});
    }

    // Whom Send Message writes to, about what, from each list.
    void messageAddress()
    {
        AddDeal("D1", "Brake pads", true, 1, "2024-05-02 10:00:00", "C9");
        AddOrder("O1", true, 1, false, false, "2024-05-03 10:00:00");
        AddOrder("O2", false, 1, false, false, "2024-05-02 10:00:00");
        AddOrder("O3", false, 1, false, false, "2024-05-01 10:00:00");
        theDatabase().Execute("UPDATE Orders SET C_ID = 'B' || ID, RCP_ID = 'S' || ID");
        // Ids holding a quote are looked up as they are.
        theDatabase().Execute("UPDATE Orders SET ID = 'O''3', RCP_ID = NULL, CONTEXT_ID = 'A''1', "
                              "CONTEXT_TYPE = 'quote' WHERE ID = 'O3'");
        theDatabase().Execute("INSERT INTO Quotes (ID, QUERY_ID, C_ID, C_NAME) VALUES ('A''1', 'Q1', 'P7', 'Quoter')");
        const auto text = [](const MessageAddress &a) {
            return QStringList{a.contextType, a.contextId, a.recipientId, a.recipientName, a.subject}.join('|');
        };
        MessageAddress a;
        XHotDealListCtrl deals(&m_host, nullptr);
        OpenFolder(deals, 130);
        QVERIFY(deals.GetMessageAddress(0, &a));
        QCOMPARE(text(a), QString("deal|D1|C9|Lee|Hot Deal #D1 - Brake pads"));
        QVERIFY(deals.GetMessageAddress(2, &a));
        QCOMPARE(a.subject, QString("Hot Deal #D1 (Question) - Brake pads"));
        QVERIFY(deals.GetMessageAddress(3, &a));
        QCOMPARE(a.subject, QString("Hot Deal #D1 (Buy) - Brake pads"));

        XOrderListCtrl orders(&m_host, nullptr);
        OpenFolder(orders, 0);
        const QStringList expected{"order|O1|BO1|Buyer O1|Purchase Order #O1 - Door",
                                   "order|O2|SO2|Seller O2|Purchase Order #O2 - Door",
                                   "order|O'3|P7|Quoter|Purchase Order #O'3 - Door"};
        for (int row = 0; row < 3; ++row) {
            ClickRow(orders, row);
            MessageAddress o;
            QVERIFY(orders.GetMessageAddress(0, &o));
            QCOMPARE(text(o), expected[row]);
        }
        orders.DeselectAll();
        MessageAddress none;
        QVERIFY(!orders.GetMessageAddress(0, &none));
        QCOMPARE(none.contextType, QString("broadcast"));
    }

    // A query row, a quote row, and a quote row asked for its query.
    void messageAddressOfQueries()
    {
        theDatabase().Execute("INSERT INTO Queries (ID, IS_INCOMING, IS_ARCHIVE, STATUS_CODE, POST_DATE, V_YEAR, "
                              "V_MAKE, V_MODEL, P_NAME, C_ID, C_NAME) VALUES ('Q1', 0, 0, 2, "
                              "'2024-05-01 10:00:00', '2004', 'Ford', 'Focus', 'Door', 'P1', 'Me')");
        theDatabase().Execute("INSERT INTO Quotes (ID, QUERY_ID, IS_INCOMING, IS_ARCHIVE, STATUS_CODE, POST_DATE, "
                              "V_YEAR, V_MAKE, V_MODEL, P_NAME, C_ID, C_NAME) VALUES ('A', 'Q1', 1, 0, 1, "
                              "'2024-05-01 11:00:00', '2004', 'Ford', 'Focus', 'Door', 'P7', 'Quoter')");
        XQueryListCtrl queries(&m_host, nullptr);
        OpenFolder(queries, 20003);
        const auto address = [&](int row, int kind) {
            ClickRow(queries, row);
            MessageAddress a;
            [&] { QVERIFY(queries.GetMessageAddress(kind, &a)); }();
            return QStringList{a.contextType, a.contextId, a.recipientId, a.subject}.join('|');
        };
        QCOMPARE(address(0, 0), QString("query|Q1|P1|Query #Q1, 2004 Ford Focus Door"));
        QCOMPARE(address(1, 0), QString("quote|A|P7|Quote #A, 2004 Ford Focus Door"));
        QCOMPARE(address(1, 1), QString("query|Q1|P1|Query #Q1, 2004 Ford Focus Door"));
    }

    // A deal found is selected alone; a missing one selects the first row.
    void locateById()
    {
        AddDeal("H1", "a", true, 1, "2024-05-03 10:00:00");
        AddDeal("H2", "b", true, 1, "2024-05-02 10:00:00");
        AddDeal("H3", "c", true, 1, "2024-05-01 10:00:00");
        XHotDealListCtrl list(&m_host, nullptr);
        FakeBrowser browser;
        list.SetDetailsBrowser(&browser);
        OpenFolder(list, 130);
        ClickRow(list, 0);
        ClickRow(list, 1, Qt::ControlModifier);
        browser.log.Clear();
        QVERIFY(list.LocateById("H3", true));
        QCOMPARE(list.SelectedKeys(), QStringList{"H3"});
        QVERIFY(!browser.log.Calls().isEmpty());
        QVERIFY(!list.LocateById("H9", false));
        QCOMPARE(list.SelectedKeys(), QStringList{"H1"});
    }

    // The list as the member sees it, a row selected (saved for a look, not blank).
    void screenshotOfHotDeals()
    {
        for (int i = 0; i < 8; ++i)
            AddDeal(QStringLiteral("H%1").arg(i), QStringLiteral("Pallet of brake pads %1").arg(i), true, i % 2,
                    QStringLiteral("2024-05-0%1 10:00:00").arg(i + 1));
        m_host.node = 130;
        XHotDealListCtrl list(&m_host, nullptr);
        OpenFolder(list, 130, 260);
        ClickRow(list, 2);
        const QImage shot = list.grab().toImage();
        QSet<QRgb> colours;
        for (int y = 0; y < shot.height(); y += 4)
            for (int x = 0; x < shot.width(); x += 4)
                colours.insert(shot.pixel(x, y));
        QVERIFY(colours.size() > 3);
        const QString folder = QCoreApplication::applicationDirPath() + "/../screenshots";
        QDir().mkpath(folder);
        QVERIFY(shot.save(folder + "/hotdeal-list.png"));
    }

private:
    std::unique_ptr<TestApp> m_app;
    NavigatingHost m_host;
};

KORVANT_TEST_MAIN(TestDealsOrders)
#include "tst_dealsorders.moc"
