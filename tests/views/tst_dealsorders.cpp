#include "FakeServer.h"
#include "TestEnv.h"
#include "ViewsFixture.h"

#include "app/XSettings.h"
#include "net/NetInit.h"
#include "net/XRequest.h"
#include "views/XHotDealListCtrl.h"
#include "views/XOrderListCtrl.h"

#include <QDir>
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
    }
    void cleanup() { m_app.reset(); }

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
        server.Enqueue("getOrder", ok);
        server.Enqueue("getOrder", refused);
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
    FakeListHost m_host;
};

KORVANT_TEST_MAIN(TestDealsOrders)
#include "tst_dealsorders.moc"
