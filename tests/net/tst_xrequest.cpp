#include "NetTestUtil.h"
#include "TestEnv.h"

#include "app/Utils.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QXmlStreamReader>

#include <thread>

namespace {

using Answers = QList<FakeServer::Answer>;

FakeServer::Answer Body(const QByteArray &body, int status = 200)
{
    FakeServer::Answer a;
    a.body = body;
    a.status = status;
    return a;
}

// A port on which nothing listens.
int ClosedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const int port = probe.serverPort();
    probe.close();
    return port;
}

} // namespace

Q_DECLARE_METATYPE(FakeServer::Answer)

class TestXRequest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { static NetInit net; }
    void cleanup()
    {
        XRequest::CancelAll(false);
        XRequest::SetDefaultTimeouts(30000, 300000);
    }

    void envelopeAndHeadersAsSent()
    {
        ServerFixture f(TestApp::Options{.commandLine = "-features pay,ext"});
        theApp().GetSession().LoggedIn("S-42");
        XRequest r("newQuote");
        r.AddParam("first", "1");
        XmlNode quote = r.AddParam("quote");
        AddChildElement(quote, "price", "12.50");
        r.AddParam("last", "a<b");
        QVERIFY(r.Send());

        const QList<FakeServer::Request> sent = f.server.RequestsFor("newQuote");
        QCOMPARE(sent.size(), 1);
        const FakeServer::Request &req = sent[0];
        QVERIFY2(req.body.startsWith("<kv_request "), req.body.constData());  // no declaration
        QCOMPARE(req.path, QString("/kvp"));
        QCOMPARE(req.headers.value("content-type"), QString("text/kvp"));
        QCOMPARE(req.headers.value("user-client"), Utils::GetClientVersion());
        QVERIFY(!req.headers.contains("expect"));

        QXmlStreamReader xml(req.body);
        xml.readNextStartElement();
        QStringList attrs;
        for (const QXmlStreamAttribute &a : xml.attributes())
            attrs << a.name().toString() + "=" + a.value().toString();
        QCOMPARE(attrs, (QStringList{"version=2.5", "operation=newQuote", "features=pay,ext", "session_id=S-42"}));
        QStringList children;
        while (xml.readNextStartElement()) {
            children << xml.name().toString();
            xml.skipCurrentElement();
        }
        QCOMPARE(children, (QStringList{"first", "quote", "last"}));
        QVERIFY(req.body.contains("<quote><price>12.50</price></quote>"));
        QVERIFY(req.body.contains("<last>a&lt;b</last>"));
    }

    void sessionIdPresentBeforeLoginAndUrlChoice()
    {
        ServerFixture f;
        XRequest login("login");
        QVERIFY(login.Send());
        QVERIFY(f.server.Requests().last().body.contains("session_id=\"\""));
        XRequest other("getMainInfo", f.server.Url("/secure/kvp"));
        QVERIFY(other.Send());
        QCOMPARE(f.server.Requests().last().path, QString("/secure/kvp"));
    }

    void traceNeverWritesPasswords_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::newRow("login") << "login";
        QTest::newRow("newProfile") << "newProfile";
        QTest::newRow("changeProfile") << "changeProfile";
    }
    void traceNeverWritesPasswords()
    {
        QFETCH(QString, operation);
        ServerFixture f;
        theApp().SetLogLevel(5);
        XRequest r(operation);
        r.AddParam("passport_id", "P1000");
        r.AddParam("password", "top-secret-1");
        XmlNode profile = r.AddParam("profile");
        AddChildElement(profile, "password", "top-secret-2");
        QVERIFY(r.Send());
        const QString log = f.t.LogText();
        QVERIFY(log.contains("Sending Request"));
        QVERIFY(log.contains("P1000"));
        QVERIFY(!log.contains("top-secret"));
        // The server gets the real values.
        QVERIFY(f.server.Requests().last().body.contains("top-secret-2"));
    }

    void maskSecrets_data()
    {
        QTest::addColumn<QString>("xml");
        QTest::addColumn<QString>("masked");
        QTest::newRow("card") << "<b><cc_number>4111 1111 1111 1234</cc_number></b>"
                              << "<b><cc_number>**** **** **** 1234</cc_number></b>";
        QTest::newRow("card, attributes") << "<cc_number t=\"v\">4111111111111234</cc_number >"
                                          << "<cc_number t=\"v\">************1234</cc_number >";
        QTest::newRow("card, entity") << "<cc_number>4111&#32;1111&#32;1234</cc_number>" << "<cc_number>*****</cc_number>";
        QTest::newRow("card, CDATA") << "<cc_number><![CDATA[4111<1111]]>1234</cc_number>"
                                     << "<cc_number>*****</cc_number>";
        QTest::newRow("others") << "<cc_v_number>123</cc_v_number><cc_month>07</cc_month><cc_year>2031</cc_year>"
                                   "<payment_account>me@pay.example</payment_account><password>pw</password>"
                                << "<cc_v_number>*****</cc_v_number><cc_month>*****</cc_month><cc_year>*****</cc_year>"
                                   "<payment_account>*****</payment_account><password>*****</password>";
        QTest::newRow("attribute") << "<login password=\"pw\" user='x'/><p password = 'q'/>"
                                   << "<login password=\"*****\" user='x'/><p password = \"*****\"/>";
        QTest::newRow("empty and alike") << "<cc_number/><cc_numbers>4111111111111111</cc_numbers><cc_year></cc_year>"
                                         << "<cc_number/><cc_numbers>4111111111111111</cc_numbers><cc_year></cc_year>";
        QTest::newRow("unclosed") << "<r><cc_v_number>123" << "<r><cc_v_number>123";
    }
    void maskSecrets()
    {
        QFETCH(QString, xml);
        QFETCH(QString, masked);
        QCOMPARE(XRequest::MaskSecrets(xml), masked);
    }

    // An incoming order's answer carries the buyer's card: the trace keeps
    // neither the raw answer nor its parsed copy in clear.
    void traceNeverWritesCardData()
    {
        ServerFixture f;
        theApp().SetLogLevel(5);
        f.server.Script("getOrder", Body(FakeServer::Response(
                                        0, "<order><billing_info><cc_number>4111111111119876</cc_number>"
                                           "<cc_v_number>737</cc_v_number><cc_month>09</cc_month>"
                                           "<cc_year>2031</cc_year><payment_account>pp-acct@pay.example"
                                           "</payment_account></billing_info></order>")));
        XRequest r("getOrder");
        XmlNode billing = r.AddParam("billing_info");
        AddChildElement(billing, "cc_number", "5500 0000 0000 4444");
        QVERIFY(r.Send());
        QCOMPARE(r.GetResponseText("order/billing_info/cc_number"), QString("4111111111119876"));
        const QString log = f.t.LogText();
        QCOMPARE(log.count("************9876"), 2);
        QVERIFY(log.contains("**** **** **** 4444"));
        for (const char *clear : {"411111111111", "5500 0000", ">737<", ">09<", "2031", "pp-acct"})
            QVERIFY2(!log.contains(clear), clear);
    }

    void logLinesOnlyAtRaisedLevel()
    {
        ServerFixture f;
        XRequest r("getMainInfo");
        QVERIFY(r.Send());
        QVERIFY(!f.t.LogText().contains("Complete"));
        theApp().SetLogLevel(4);
        XRequest r2("getMainInfo");
        QVERIFY(r2.Send());
        QVERIFY(f.t.LogText().contains("Request Complete"));
        QVERIFY(!f.t.LogText().contains("Sending Request"));
    }

    void outcomes_data()
    {
        QTest::addColumn<Answers>("answers");
        QTest::addColumn<bool>("relogin");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("status");  // a prefix
        QTest::addColumn<int>("posts");
        QTest::addColumn<int>("logins");

        const QString network = "Korvant cannot connect to the network. ";
        QTest::newRow("http 500") << Answers{Body("oops", 500)} << false << false << false << -1
                                  << "HTTP Error: 500 Internal Server Error" << 1 << 0;
        QTest::newRow("http 404 relogin") << Answers{Body("", 404)} << true << false << false << -1
                                          << "HTTP Error: 404 Not Found" << 1 << 0;
        QTest::newRow("refused") << Answers{} << false << true << false << -1 << network << 0 << 0;
        FakeServer::Answer truncated = Body(FakeServer::Response(0, "<long>" + QByteArray(4000, 'x') + "</long>"));
        truncated.truncate = true;
        // The server was reached: no network advice, what happened instead.
        QTest::newRow("truncated") << Answers{truncated} << false << false << false << -1
                                   << "The connection was closed before the whole answer arrived." << 1 << 0;
        FakeServer::Answer dropped = Body("");
        dropped.drop = true;
        QTest::newRow("dropped") << Answers{dropped} << false << false << false << -1
                                 << "The connection was closed before the whole answer arrived." << 1 << 0;
        QTest::newRow("malformed") << Answers{Body("<kv_response result_code=\"0\"><a></kv_response>")} << false
                                   << false << false << -1 << "The server's answer is not valid XML" << 1 << 0;
        QTest::newRow("not xml") << Answers{Body("Service Unavailable")} << true << false << false << -1
                                 << "The server's answer is not valid XML" << 1 << 0;
        QTest::newRow("no result_code") << Answers{Body("<kv_response><x>1</x></kv_response>")} << false << false
                                        << true << 0 << "Complete" << 1 << 0;
        QTest::newRow("code 7") << Answers{Body(FakeServer::Response(7, {}, "Quote limit reached"))} << true << false
                                << false << 7 << "Quote limit reached [Code: 7]" << 1 << 0;
        QTest::newRow("code 4 then 0") << Answers{Body(FakeServer::Response(4, {}, "Session expired")),
                                                  Body(FakeServer::Response(0, "<x>done</x>"))}
                                       << true << false << true << 0 << "Complete" << 2 << 1;
        QTest::newRow("code 4 twice") << Answers{Body(FakeServer::Response(4, {}, "Session expired")),
                                                 Body(FakeServer::Response(4, {}, "Session expired"))}
                                      << true << false << false << 4 << "Session expired [Code: 4]" << 2 << 1;
        QTest::newRow("code 4 without relogin") << Answers{Body(FakeServer::Response(4, {}, "Session expired"))}
                                                << false << false << false << 4 << "Session expired [Code: 4]" << 1
                                                << 0;
    }
    void outcomes()
    {
        QFETCH(Answers, answers);
        QFETCH(bool, relogin);
        QFETCH(bool, refused);
        QFETCH(bool, ok);
        QFETCH(int, code);
        QFETCH(QString, status);
        QFETCH(int, posts);
        QFETCH(int, logins);

        ServerFixture f;
        theApp().GetSession().LoggedIn("S-OLD");
        for (const FakeServer::Answer &a : answers)
            f.server.Enqueue("poll", a);
        const QString url = refused ? QString("http://127.0.0.1:%1/kvp").arg(ClosedPort()) : QString();
        XRequest r("poll", url);
        const bool result = relogin ? r.SendWithRelogin() : r.Send();
        QCOMPARE(result, ok);
        QCOMPARE(r.IsSuccess(), ok);
        QCOMPARE(r.GetResultCode(), code);
        QVERIFY2(r.GetStatusText().startsWith(status), qPrintable(r.GetStatusText()));
        QCOMPARE(f.Posts("poll"), posts);
        QCOMPARE(f.t.login.calls.load(), logins);
        if (logins > 0) {
            // The second attempt carries the session of the new login.
            const QList<FakeServer::Request> polls = f.server.RequestsFor("poll");
            QVERIFY(polls[0].body.contains("session_id=\"S-OLD\""));
            QVERIFY(polls[1].body.contains("session_id=\"S-1001\""));
        }
        if (ok)
            QCOMPARE(r.GetResponseText("x"), answers.size() > 1 ? QString("done") : QString("1"));
    }

    void longServerTextsAreCutForShowing_data()
    {
        QTest::addColumn<QString>("message");
        // Cut points land in the middle of two-unit characters.
        QTest::newRow("ascii") << QString(200000, 'e');
        QTest::newRow("pairs") << QString("\U0001F600").repeated(3000);
        QTest::newRow("odd pairs") << "x" + QString("\U0001F600").repeated(3000);
    }
    void longServerTextsAreCutForShowing()
    {
        QFETCH(QString, message);
        ServerFixture f;
        theApp().SetLogLevel(4);
        FakeServer::Answer a = Body(FakeServer::Response(9, {}, message.toUtf8()));
        f.server.Enqueue("getQuery", a);
        XRequest r("getQuery");
        QVERIFY(!r.Send());
        for (const QString &shown : {r.GetStatusText(), r.GetErrorMessage()}) {
            QVERIFY2(shown.size() <= XRequest::MaxShownChars * 2 + 3, qPrintable(QString::number(shown.size())));
            QVERIFY(QStringView(shown).toUcs4().size() <= XRequest::MaxShownChars + 3);
            for (qsizetype i = 0; i < shown.size(); ++i) {
                if (shown[i].isHighSurrogate())
                    QVERIFY(i + 1 < shown.size() && shown[i + 1].isLowSurrogate());
                else
                    QVERIFY(!shown[i].isLowSurrogate() || (i > 0 && shown[i - 1].isHighSurrogate()));
            }
        }
        QVERIFY(r.GetStatusText().endsWith("..."));
        QCOMPARE(QStringView(r.GetStatusText()).toUcs4().size(), XRequest::MaxShownChars + 3);
        // The log keeps more of it.
        QVERIFY(f.t.LogText().contains(message.left(2000)));
    }

    // A large list stays text until asked for; every reader still sees it.
    void largeListsReadWhenAskedFor()
    {
        ServerFixture f;
        QByteArray items;
        for (int i = 0; i < 2000; ++i)
            items += "<query><query_id>Q" + QByteArray::number(i) + "</query_id><note>" + QByteArray(40, 'n') +
                     "</note></query>";
        QVERIFY(items.size() > XRequest::OnDemandListBytes);
        const QByteArray body = FakeServer::Response(0, "<query_list>" + items + "</query_list><total>2000</total>");
        for (int reader = 0; reader < 4; ++reader) {
            f.server.Enqueue("getQuery", Body(body));
            XRequest r("getQuery");
            QVERIFY(r.Send());
            QCOMPARE(r.GetResponseText("total"), QString("2000"));
            switch (reader) {
            case 0:
                QCOMPARE(r.GetResponseNode("query_list").Children().size(), 2000);
                break;
            case 1:
                QCOMPARE(r.GetResponseText("query_list/query/query_id"), QString("Q0"));
                break;
            case 2:
                QCOMPARE(r.GetResponseRoot().Select("query_list").Children().size(), 2000);
                break;
            default:
                QCOMPARE(r.GetResponseNode("//query[last()]/query_id").Text(), QString("Q1999"));
            }
        }
    }

    void warningCodeIsRead()
    {
        ServerFixture f;
        f.server.Enqueue("getQuery", Body("<kv_response result_code=\"0\" warning_code=\"600\"/>"));
        XRequest r("getQuery");
        QVERIFY(r.Send());
        QCOMPARE(r.GetWarningCode(), 600);
    }

    void silentServerEndsWithinTheTimeouts()
    {
        ServerFixture f;
        FakeServer::Answer slow = Body(FakeServer::Response(0));
        slow.delayMs = 3000;
        f.server.Enqueue("poll", slow);
        XRequest::SetDefaultTimeouts(500, 700);
        XRequest r("poll");
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!r.Send());
        QVERIFY2(timer.elapsed() < 2500, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(r.GetResultCode(), -1);
        QCOMPARE(r.GetStatusText(), QString("The server did not answer in time."));
        QVERIFY(r.MayHaveReachedServer());
    }

    // Exit ends every transfer on the wire whatever thread sends it, and
    // leaves later requests (the logout) free to go out.
    void cancelInFlightEndsEveryTransfer()
    {
        ServerFixture f;
        f.server.Script("newQuery", FakeServer::FaultAnswer(FakeServer::Fault::SilentAfterHeaders));
        std::atomic<int> cancelled{0};
        std::atomic<int> reached{0};
        auto send = [&] {
            XRequest r("newQuery");
            if (!r.Send() && r.GetStatusText() == XRequest::CancelledText())
                ++cancelled;
            if (r.MayHaveReachedServer())
                ++reached;
        };
        QElapsedTimer timer;
        timer.start();
        std::thread a(send), b(send);
        QTRY_COMPARE_WITH_TIMEOUT(f.Posts("newQuery"), 2, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(XRequest::CancelInFlight() == 2, 5000);
        a.join();
        b.join();
        QVERIFY2(timer.elapsed() < 8000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(cancelled.load(), 2);
        QCOMPARE(reached.load(), 2);
        f.server.Script("newQuery", Body(FakeServer::Response(0)));
        XRequest later("newQuery");
        QVERIFY2(later.Send(), qPrintable(later.GetStatusText()));

        // A server never reached never got the record.
        XRequest refused("newQuery", QString("http://127.0.0.1:%1/kvp").arg(ClosedPort()));
        QVERIFY(!refused.Send());
        QVERIFY(!refused.MayHaveReachedServer());
    }

    // A large text is sent from the tree as read: whole, with its length
    // declared, and again from its start after a redirect.
    void largeTextSentWholeAfterRedirect()
    {
        ServerFixture f;
        theApp().GetSession().LoggedIn("S-7");
        FakeServer::Answer redirect;
        redirect.fault = FakeServer::Fault::RedirectLoop;
        f.server.Enqueue("newDeal", redirect);
        f.server.Enqueue("newDeal", Body(FakeServer::Response(0, "<deal_id>D-1</deal_id>")));
        XRequest r("newDeal");
        r.AddParam("deal").AddChildUtf8("content", QByteArray("line <&>\r\n").repeated(20000));
        QVERIFY2(r.Send(), qPrintable(r.GetStatusText()));
        QCOMPARE(r.GetResponseText("deal_id"), QString("D-1"));
        const QList<FakeServer::Request> sent = f.server.RequestsFor("newDeal");
        QCOMPARE(sent.size(), 2);
        QCOMPARE(sent[1].path, QString("/loop"));
        const QByteArray expected = r.GetRequestXml();
        QVERIFY(expected.contains("session_id=\"S-7\"") && expected.size() > 200000);
        for (const FakeServer::Request &req : sent) {
            QCOMPARE(req.headers.value("content-length"), QString::number(expected.size()));
            QVERIFY(req.body == expected);
        }
    }

    void cancelAbortsATransfer()
    {
        ServerFixture f;
        FakeServer::Answer slow = Body(FakeServer::Response(0));
        slow.delayMs = 3000;
        f.server.Enqueue("poll", slow);
        XRequest r("poll");
        std::thread canceller([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            r.Cancel();
        });
        QElapsedTimer timer;
        timer.start();
        const bool sent = r.Send();
        canceller.join();
        QVERIFY(!sent);
        QVERIFY(timer.elapsed() < 2500);
        QVERIFY(r.GetStatusText().contains("cancelled"));

        // After the exit flag nothing goes out at all.
        XRequest::CancelAll();
        XRequest later("poll");
        QVERIFY(!later.Send());
        QCOMPARE(later.GetResultCode(), -1);
        QCOMPARE(f.Posts("poll"), 1);
    }

    void concurrentExpiriesLogInOnce()
    {
        ServerFixture f;
        theApp().GetSession().LoggedIn("S-OLD");
        f.server.Enqueue("poll", Body(FakeServer::Response(4)));
        f.server.Enqueue("poll", Body(FakeServer::Response(4)));
        FakeServer::Answer slowLogin = SampleAnswers::Answer("login.xml");
        slowLogin.delayMs = 300;
        f.server.Script("login", slowLogin);
        std::atomic<int> successes{0};
        auto worker = [&] {
            XRequest r("poll");
            if (r.SendWithRelogin())
                ++successes;
        };
        std::thread a(worker), b(worker);
        a.join();
        b.join();
        QCOMPARE(successes.load(), 2);
        QCOMPARE(f.t.login.calls.load(), 1);
        QCOMPARE(f.Posts("login"), 1);
        QCOMPARE(f.Posts("poll"), 4);
    }

    void reloginCannotRecurse()
    {
        ServerFixture f;
        // A login that itself sends a request whose session is refused.
        f.server.Script("getProfile", Body(FakeServer::Response(4)));
        f.t.login.onLogin = [] {
            XRequest inner("getProfile");
            inner.SendWithRelogin();
            return RealLogin();
        };
        f.server.Enqueue("poll", Body(FakeServer::Response(4)));
        XRequest r("poll");
        QVERIFY(r.SendWithRelogin());
        QCOMPARE(f.t.login.calls.load(), 1);
        QCOMPARE(f.Posts("getProfile"), 1);
    }
};

KORVANT_TEST_MAIN(TestXRequest)
#include "tst_xrequest.moc"
