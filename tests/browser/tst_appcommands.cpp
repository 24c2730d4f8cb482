#include "RecordingCommands.h"
#include "TestApp.h"
#include "TestEnv.h"

#include "app/XSettings.h"
#include "browser/AppCommands.h"
#include "browser/BrowserDlg.h"

namespace {

QString Pairs(const AppParams &params)
{
    QStringList pairs;
    for (auto it = params.cbegin(); it != params.cend(); ++it)
        pairs << it.key() + '=' + it.value();
    return pairs.join(u'|');
}

class RecordingHost : public IPageHost, public IOrderPage
{
public:
    CallLog log;
    bool orderPage = false;

    void Redraw() override { log.Add("Redraw"); }
    void StopAndNavigate(const QString &url) override { log.Add("Navigate|" + url); }
    void FillQuoteInputs(const QString &price, const QString &shipping, const QString &notes, int index) override
    {
        log.Add(QStringLiteral("Fill|%1|%2|%3|%4").arg(price, shipping, notes).arg(index));
    }
    void NotifyGetContact() override { log.Add("GetContact"); }
    void AcceptOwnerDialog() override { log.Add("Accept"); }
    void RejectOwnerDialog() override { log.Add("Reject"); }
    IOrderPage *OwnerOrderPage() override { return orderPage ? this : nullptr; }
    void SubmitOrder(const AppParams &fields) override { log.Add("SubmitOrder|" + Pairs(fields)); }
    void ChangePayMethod(const QString &method) override { log.Add("ChangePayMethod|" + method); }
};

const QUrl kOwnPage(QStringLiteral("korvant://page/1.html"));

} // namespace

class TestAppCommands : public QObject
{
    Q_OBJECT

    // Runs one navigation from our own page through the detail table.
    static bool Dispatch(RecordingCommands &frame, RecordingHost &host, const QString &url,
                         const QByteArray &body = QByteArray(), const QUrl &page = kOwnPage, bool mainFrame = true)
    {
        return AppCommands::Handle({url, body, page, mainFrame}, host,
                                   [&](const QString &command, const AppParams &params) {
                                       return AppCommands::Run(command, params, frame, host);
                                   });
    }

private slots:
    void parseAppUrl_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("isCommand");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("params");
        QTest::newRow("bare") << "app:print" << true << "print" << "";
        QTest::newRow("empty query") << "app:print?" << true << "print" << "";
        QTest::newRow("scheme case") << "APP:print" << true << "print" << "";
        QTest::newRow("not a command") << "http://x/app:print" << false << "" << "";
        QTest::newRow("app: not at the start") << "korvant://page/app:print?a=1" << false << "" << "";
        QTest::newRow("pairs") << "app:show-picture?url=a%20b.jpg&quote_id=Q1&pic_id=2" << true << "show-picture"
                               << "pic_id=2|quote_id=Q1|url=a b.jpg";
        QTest::newRow("last key with bare =") << "app:x?a=1&b=" << true << "x" << "a=1";
        QTest::newRow("value keeps =") << "app:x?a=b=c" << true << "x" << "a=b=c";
        QTest::newRow("later key wins") << "app:x?a=1&a=2" << true << "x" << "a=2";
        QTest::newRow("key without =") << "app:x?A&B=C" << true << "x" << "A&B=C";
        QTest::newRow("encoded & and = stay in the value") << "app:x?n=A%26B%3DC&m=1" << true << "x" << "m=1|n=A&B=C";
        QTest::newRow("plus stays") << "app:x?n=a+b" << true << "x" << "n=a+b";
        QTest::newRow("encoded plus") << "app:x?n=%2B1" << true << "x" << "n=+1";
        QTest::newRow("lone percent") << "app:x?n=50%" << true << "x" << "n=50%";
        QTest::newRow("bad escape") << "app:x?n=%zz%4" << true << "x" << "n=%zz%4";
        QTest::newRow("utf-8") << "app:x?n=caf%C3%A9" << true << "x" << "n=caf\u00e9";
        QTest::newRow("empty value mid-query") << "app:x?a=&b=2" << true << "x" << "a=|b=2";
    }
    void parseAppUrl()
    {
        QFETCH(QString, url);
        QFETCH(bool, isCommand);
        QFETCH(QString, command);
        QFETCH(QString, params);
        QString c;
        AppParams p;
        QCOMPARE(AppUrl::ParseAppUrl(url, &c, &p), isCommand);
        QCOMPARE(c, command);
        QCOMPARE(Pairs(p), params);
    }

    void parsePostData_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("params");
        QTest::newRow("plus is a blank") << "app:x" << QByteArray("notes=two+words") << "notes=two words";
        QTest::newRow("url wins") << "app:x?notes=url" << QByteArray("notes=posted&price=5") << "notes=url|price=5";
        QTest::newRow("encoded plus and amp") << "app:x" << QByteArray("n=%2B1+%26+2&m=50%") << "m=50%|n=+1 & 2";
        QTest::newRow("empty value skipped") << "app:x" << QByteArray("a=&b=1&c") << "b=1";
        QTest::newRow("first posted wins") << "app:x" << QByteArray("a=1&a=2") << "a=1";
        QTest::newRow("whole body") << "app:x" << QByteArray("a=12") << "a=12";
        QTest::newRow("value keeps =") << "app:x" << QByteArray("a=b=c") << "a=b=c";
    }
    void parsePostData()
    {
        QFETCH(QString, url);
        QFETCH(QByteArray, body);
        QFETCH(QString, params);
        QString c;
        AppParams p;
        QVERIFY(AppUrl::ParseAppUrl(url, &c, &p));
        AppUrl::ParsePostData(body, &p);
        QCOMPARE(Pairs(p), params);
    }

    void largeValue()
    {
        const QByteArray big(100 * 1024, 'x');
        AppParams p;
        QVERIFY(AppUrl::ParseAppUrl("app:x?v=" + QString::fromLatin1(big) + "%25", nullptr, &p));
        QCOMPARE(p.value("v").size(), big.size() + 1);
        AppParams posted;
        AppUrl::ParsePostData("notes=" + big + "+%2B", &posted);
        QCOMPARE(posted.value("notes"), QString::fromLatin1(big + " +"));
    }

    void table_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("frameCalls");
        QTest::addColumn<QString>("hostCalls");
        auto row = [](const char *url, const char *frame, const char *host = "") {
            QTest::newRow(url) << QString::fromUtf8(url) << QString::fromUtf8(frame) << QString::fromUtf8(host);
        };
        row("app:send-message", "ComposeMessageForSelection");
        row("app:goto-query", "OpenMessageContext|0");
        row("app:goto-quote", "OpenMessageContext|1");
        row("app:goto-deal", "OpenMessageContext|2");
        row("app:goto-order", "OpenMessageContext|3");
        row("app:extended-profile", "ShowOwnerProfile");
        row("app:show-messages", "ShowRecordMessages");
        row("app:edit_profile", "EditProfile", "Redraw");
        row("app:write-comment", "WriteComment");
        row("app:send-quote", "SendQuote");
        row("app:print", "PrintCurrentRecord");
        row("app:print?", "PrintCurrentRecord");
        row("app:get-contact", "MarkReadIncoming;RequestQueryContact", "GetContact");
        row("app:market-change", "CheckMarketPlaces");
        row("app:deal-pay-done", "", "Accept");
        row("app:show-dealdetail", "ShowDealDetail");
        row("app:my_site_queries", "Select|137");
        row("app:referred_subscribers", "Select|136");
        row("app:payouts", "Select|138");
        row("app:edit-speciality", "Select|20106;EditSpecialty|0");
        row("app:edit-speciality-cars", "Select|169;EditSpecialty|1");
        row("app:my_profile", "Select|122");
        row("app:my_profile_cars", "Select|178");
        row("app:catalog", "Select|20105");
        row("app:catalog-cars", "Select|155");
        row("app:new_deal", "Select|131;NewHotDeal");
        row("app:view_deals", "Select|130");
        row("app:part_query", "Select|20002");
        row("app:pending_quotes", "Select|20003");
        row("app:pending_queries", "Select|20102");
        row("app:replied_quotes", "Select|20101");
        row("app:messages", "Select|118");
        row("app:subscription", "Select|207");
        row("app:marketplaces", "Select|124");
        row("app:online_shops", "Select|121");
        row("app:show-picture?url=my%2520pic.jpg&quote_id=Q%261&pic_id=2", "ShowQuotePicture|my pic.jpg|Q&1|2");
        row("app:show-partpicture?url=a.jpg&quote_id=Q1&pic_id=1", "ShowQuotePartPicture|a.jpg|Q1|1");
        row("app:selectpartimage", "SelectPartImage|old.jpg");
        row("app:car_quote_det", "ShowCarQuoteDetail");
        row("app:contactus", "ContactUs");
        row("app:tradewick-quote?price=10&shipping=2&part_type=1&notes=n",
            "SubmitQuoteFromParams|notes=n,part_type=1,price=10,shipping=2|old.jpg");
        row("app:new-order", "NewOrder");
        row("app:order-close", "", "Reject");
        row("app:submit-order?b_name=Ann", "", "SubmitOrder|b_name=Ann");
        row("app:get-order-billing-info", "MarkReadPendingSales;FetchPaymentInfo", "GetContact");
        row("app:goto-order-quote", "GoToOrderQuote");
        row("app:show-orders", "ShowQuoteOrder");
        row("app:change-paymethod?pay_method=PayPal", "", "ChangePayMethod|PayPal");
        row("app:change-paymethod", "", "ChangePayMethod|");
        row("app:update-order", "UpdateSelectedOrder");
        row("app:details-init", "", "Fill|9.50|1|a \"b\"|2");
        row("app:unknown", "", "Redraw");
        row("app:Print", "", "Redraw");
        row("app:", "", "Redraw");
    }
    void table()
    {
        QFETCH(QString, url);
        QFETCH(QString, frameCalls);
        QFETCH(QString, hostCalls);
        TestApp t;
        RecordingCommands frame;
        frame.pending = {QStringLiteral("old.jpg"), QStringLiteral("9.50"), QStringLiteral("1"),
                         QStringLiteral("a \"b\""), QStringLiteral("2")};
        RecordingHost host;
        host.orderPage = true;
        QVERIFY(Dispatch(frame, host, url));
        QCOMPARE(frame.log.Calls().join(u';'), frameCalls);
        QCOMPARE(host.log.Calls().join(u';'), hostCalls);
    }

    void editProfileOpensTheSheet()
    {
        TestApp t;
        RecordingCommands frame;
        RecordingHost host;
        QVERIFY(Dispatch(frame, host, "app:edit_profile"));
        // The window opens it, on the page of its market.
        QCOMPARE(frame.log.Calls(), QStringList{"EditProfile"});
        QVERIFY(t.dialogs.log.Calls().isEmpty());
    }

    // The order commands act only on a dialog that hosts the order page.
    void orderCommandsNeedTheOrderPage()
    {
        TestApp t;
        RecordingCommands frame;
        RecordingHost host;
        QVERIFY(Dispatch(frame, host, "app:submit-order", "b_name=Ann"));
        QVERIFY(Dispatch(frame, host, "app:change-paymethod?pay_method=x"));
        QVERIFY(host.log.Calls().isEmpty());
    }

    void pendingQuoteValues()
    {
        TestApp t;
        RecordingCommands frame;
        RecordingHost host;
        QVERIFY(Dispatch(frame, host, "app:tradewick-quote-change?price=12.5&notes=url+note", "notes=posted&shipping=3"));
        QCOMPARE(frame.pending.price, QStringLiteral("12.5"));
        QCOMPARE(frame.pending.shipping, QStringLiteral("3"));
        QCOMPARE(frame.pending.notes, QStringLiteral("url+note"));
        QCOMPARE(frame.pending.partType, QString());
        frame.chosenPicture = QStringLiteral("/p/new.jpg");
        QVERIFY(Dispatch(frame, host, "app:selectpartimage"));
        QCOMPARE(frame.pending.pictureFile, QStringLiteral("/p/new.jpg"));
        QVERIFY(Dispatch(frame, host, "app:tradewick-quote?price=1"));
        QCOMPARE(frame.log.Calls().last(), QStringLiteral("SubmitQuoteFromParams|price=1|/p/new.jpg"));
        QCOMPARE(frame.pending.price, QString());
        QCOMPARE(frame.pending.notes, QString());
        QCOMPARE(frame.pending.partType, QStringLiteral("0"));
        QCOMPARE(frame.pending.pictureFile, QStringLiteral("/p/new.jpg"));
    }

    void relogin_data()
    {
        QTest::addColumn<int>("node");
        QTest::addColumn<bool>("loginWorks");
        QTest::addColumn<QString>("navigated");
        QTest::newRow("messages") << 118 << true << "";
        QTest::newRow("subscription") << 207 << true
                                      << "Navigate|http://srv.test:8080/market_places/S%201/quick_seller_subscription/";
        QTest::newRow("profile") << 122 << true << "Navigate|http://srv.test:8080/topic_my/?session_id=S%201";
        QTest::newRow("payouts") << 138 << true << "Navigate|http://srv.test:8080/payouts/S%201/";
        QTest::newRow("failed login") << 207 << false << "";
    }
    void relogin()
    {
        QFETCH(int, node);
        QFETCH(bool, loginWorks);
        QFETCH(QString, navigated);
        TestApp t(TestApp::Options{QStringLiteral("-url http://srv.test:8080"), {}, true, true});
        t.login.onLogin = [&] {
            t.App().GetSession().SetSessionId(QStringLiteral("S 1"));
            return loginWorks;
        };
        RecordingCommands frame;
        frame.shownNode = node;
        RecordingHost host;
        QVERIFY(Dispatch(frame, host, "app:relogin", {}, QUrl("http://srv.test:8080/topic_my/")));
        QCOMPARE(t.login.calls.load(), 1);
        QCOMPARE(host.log.Calls().join(u';'), navigated);
    }

    // Commands run only from main frames of our own pages or of the server's origin.
    void originGate_data()
    {
        QTest::addColumn<QUrl>("page");
        QTest::addColumn<bool>("mainFrame");
        QTest::addColumn<bool>("runs");
        QTest::newRow("our page") << kOwnPage << true << true;
        QTest::newRow("server page") << QUrl("http://SRV.test:8080/topic_my/?x=1") << true << true;
        QTest::newRow("server, other port") << QUrl("http://srv.test:8081/") << true << false;
        QTest::newRow("server, other scheme") << QUrl("https://srv.test:8080/") << true << false;
        QTest::newRow("other host") << QUrl("http://evil.test:8080/") << true << false;
        QTest::newRow("sub-frame of our page") << kOwnPage << false << false;
        QTest::newRow("about:blank") << QUrl("about:blank") << true << false;
        QTest::newRow("file") << QUrl("file:///tmp/x.html") << true << false;
        QTest::newRow("no page") << QUrl() << true << false;
    }
    void originGate()
    {
        QFETCH(QUrl, page);
        QFETCH(bool, mainFrame);
        QFETCH(bool, runs);
        TestApp t(TestApp::Options{QStringLiteral("-url http://srv.test:8080"), {}, true, true});
        RecordingCommands frame;
        RecordingHost host;
        QVERIFY(Dispatch(frame, host, "app:print", {}, page, mainFrame));
        QCOMPARE(frame.log.Calls(), runs ? QStringList{"PrintCurrentRecord"} : QStringList());
        QVERIFY(host.log.Calls().isEmpty());
        // Ordinary addresses are never commands, wherever they start.
        QVERIFY(!Dispatch(frame, host, "http://srv.test:8080/x?app:print", {}, page, mainFrame));
    }

    // One form for every caller of the extended profile; the owner id is encoded.
    void extendedProfile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("url");
        QTest::newRow("named") << "Ann" << "P100" << "Extended Profile of Ann" << "http://s.test/topic_alien/?owner_id=P100";
        QTest::newRow("no name") << "" << "P100" << "Extended Profile" << "http://s.test/topic_alien/?owner_id=P100";
        QTest::newRow("hostile id") << "x" << "a&b=c#d e" << "Extended Profile of x"
                                    << "http://s.test/topic_alien/?owner_id=a%26b%3Dc%23d%20e";
    }
    void extendedProfile()
    {
        QFETCH(QString, name);
        QFETCH(QString, id);
        QFETCH(QString, title);
        QFETCH(QString, url);
        QCOMPARE(BrowserDlg::ExtendedProfileTitle(name), title);
        QCOMPARE(BrowserDlg::ExtendedProfileUrl("http://s.test", id), url);
    }

    void serverOriginDefaultPort()
    {
        QVERIFY(AppUrl::CommandsAllowed(QUrl("https://srv.test/a"), true, "korvant", "https://srv.test:443/"));
        QVERIFY(!AppUrl::CommandsAllowed(QUrl("https://srv.test/a"), true, "korvant", ""));
        QVERIFY(!AppUrl::CommandsAllowed(QUrl("file:///a"), true, "korvant", "file:///"));
    }
};

KORVANT_TEST_MAIN(TestAppCommands)
#include "tst_appcommands.moc"
