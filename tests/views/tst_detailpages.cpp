// The record detail pages as the member sees them: rows of a fixture
// database through the lists' detail builders and the style sheets as they
// ship, read back as HTML. Which commands a page offers follows the record.

#include "TestEnv.h"
#include "ViewsFixture.h"

#include "app/Utils.h"
#include "app/XSLTransformer.h"
#include "browser/AppUrl.h"
#include "views/DetailsView.h"
#include "views/XHotDealListCtrl.h"
#include "views/XMessageListCtrl.h"
#include "views/XOrderListCtrl.h"
#include "views/XQueryListCtrl.h"

#include <libxml/HTMLparser.h>

namespace {

// The links and element ids of a page.
struct Page
{
    QStringList links;
    QStringList ids;
};

Page Read(const QString &html)
{
    Page page;
    const QByteArray bytes = html.toUtf8();
    htmlDocPtr doc = htmlReadMemory(bytes.constData(), int(bytes.size()), nullptr, "UTF-8",
                                    HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
    if (!doc)
        return page;
    const auto walk = [&](auto &&self, xmlNodePtr first) -> void {
        for (xmlNodePtr n = first; n; n = n->next) {
            if (n->type != XML_ELEMENT_NODE)
                continue;
            for (const char *name : {"href", "id"}) {
                if (xmlChar *v = xmlGetProp(n, BAD_CAST name)) {
                    (name[0] == 'h' ? page.links : page.ids) << QString::fromUtf8(reinterpret_cast<char *>(v));
                    xmlFree(v);
                }
            }
            self(self, n->children);
        }
    };
    walk(walk, xmlDocGetRootElement(doc));
    xmlFreeDoc(doc);
    return page;
}

void AddThread(const QString &id, const QString &contextId, const QString &contextType, const QString &owner)
{
    theDatabase().Execute("INSERT INTO Messages (ID, CONTEXT_ID, CONTEXT_TYPE, OWNER_ID, OWNER_NAME, IS_PARENT, "
                          "STATUS_CODE, MESSAGE_SUBJ, MESSAGE_BODY, POST_DATE, LATEST_POST_DATE) "
                          "VALUES (?, ?, ?, ?, 'Lee', 1, 1, 'Re', 'Hello', '2024-05-01 10:00:00', "
                          "'2024-05-01 10:00:00')",
                          {id, contextId, contextType, owner});
}

TestApp::Options Options()
{
    TestApp::Options o = ViewsOptions();
    o.extra[GlobalSlot::XslTransformer] = [] { return std::make_unique<XSLTransformer>(); };
    return o;
}

} // namespace

class TestDetailPages : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_app = std::make_unique<TestApp>(Options());
        m_app->App().SetModuleFolder(qEnvironmentVariable("KORVANT_SOURCE_DIR") + "/res/");
        QVERIFY(theDatabase().init());
        theApp().GetSession().SetPassportId("P1");
    }
    void cleanup() { m_app.reset(); }

    // Part queries: the quick quote and "get contact" on an incoming query
    // shown on the selling side; none of it on the member's own query.
    void partQuery_data()
    {
        QTest::addColumn<bool>("incoming");
        QTest::addColumn<int>("section");
        QTest::addColumn<bool>("contactFull");
        QTest::addColumn<bool>("sendMessage");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("absent");
        QTest::newRow("incoming, selling")
            << true << 2 << false << false << 0
            << QStringList{"app:get-contact", "app:show-messages", "app:extended-profile", "app:print",
                           "app:selectpartimage", "#price", "#shipping", "#notes", "#cond"}
            << QStringList{"app:send-message"};
        QTest::newRow("incoming, contact known, messages allowed")
            << true << 2 << true << true << 1 << QStringList{"app:send-message", "#price"}
            << QStringList{"app:get-contact"};
        // Answered already: no second quote from its page.
        QTest::newRow("incoming, replied") << true << 2 << true << true << 2 << QStringList{"app:send-message"}
                                           << QStringList{"#price", "app:send-quote", "app:selectpartimage"};
        QTest::newRow("own") << false << 1 << false << true << 0 << QStringList{"app:send-message", "app:print"}
                             << QStringList{"app:get-contact", "#price", "app:selectpartimage", "app:send-quote"};
    }
    void partQuery()
    {
        QFETCH(bool, incoming);
        QFETCH(int, section);
        QFETCH(bool, contactFull);
        QFETCH(bool, sendMessage);
        QFETCH(int, status);
        QFETCH(QStringList, present);
        QFETCH(QStringList, absent);
        theDatabase().Execute("INSERT INTO Queries (ID, IS_INCOMING, IS_ARCHIVE, IS_CONTACT_FULL, STATUS_CODE, "
                              "POST_DATE, P_NAME, C_ID) VALUES ('Q1', ?, 0, ?, ?, '2024-05-01 10:00:00', 'Door', "
                              "'P9')",
                              {incoming ? 1 : 0, contactFull ? 1 : 0, status});
        AddThread("T1", "Q1", "query", "P9");
        if (status == 2)  // answered: the member's quote lists it under Sent Quotes
            theDatabase().Execute("INSERT INTO Quotes (ID, QUERY_ID, IS_INCOMING, IS_ARCHIVE, STATUS_CODE, POST_DATE) "
                                  "VALUES ('QT1', 'Q1', 0, 0, 0, '2024-05-01 11:00:00')");
        m_app->frame.pageSection = section;
        m_app->views.enabled = sendMessage;
        XQueryListCtrl list(&m_host, nullptr);
        OpenFolder(list, incoming ? (status < 2 ? 20102 : 20101) : 20002);
        Check(list.GetDetailsHtml(false), present, absent);
    }

    // Fields read in the member's words; the program's own codes stay off the page.
    void fieldsInTheMembersWords()
    {
        theDatabase().Execute("INSERT INTO Queries (ID, IS_INCOMING, IS_ARCHIVE, STATUS_CODE, STATUS, POST_DATE, "
                              "P_NAME, P_MAX_PRICE, MARKET_ID) VALUES ('Q1', 0, 0, 0, 'New', '2024-05-01 10:00:00', "
                              "'Door', 20, 'MP-7')");
        XQueryListCtrl list(&m_host, nullptr);
        OpenFolder(list, 20002);
        const QString html = list.GetDetailsHtml(false);
        for (const char *label : {">Max. price<", ">Date<", ">Status<"})
            QVERIFY2(html.contains(label), label);
        for (const char *code : {"max price", "status code", "Status code", "post date", "MP-7"})
            QVERIFY2(!html.contains(code), qPrintable(html.mid(qMax(0, int(html.indexOf(code)) - 300), 400)));
    }

    // A car query has no "incoming" mark: on the selling side it offers the quote sheet.
    void carQuery()
    {
        theDatabase().Execute("INSERT INTO Queries_Cars (ID, IS_INCOMING, IS_ARCHIVE, IS_CONTACT_FULL, STATUS_CODE, "
                              "POST_DATE, MAKE) VALUES ('C1', 1, 0, 0, 0, '2024-05-01 10:00:00', 'Ford')");
        m_app->frame.marketMode = 1;
        m_app->frame.pageSection = 2;
        XQueryCarsListCtrl list(&m_host, nullptr);
        OpenFolder(list, 161);
        Check(list.GetDetailsHtml(false), {"app:send-quote", "app:get-contact", "app:extended-profile"},
              {"#price", "app:show-messages"});
        m_app->frame.pageSection = 1;
        Check(list.GetDetailsHtml(false), {"app:get-contact"}, {"app:send-quote"});
        // Once answered it is not offered again.
        m_app->frame.pageSection = 2;
        theDatabase().Execute("UPDATE Queries_Cars SET STATUS_CODE = 2");
        Check(list.GetDetailsHtml(false), {"app:get-contact"}, {"app:send-quote"});
    }

    // An incoming quote offers the order form; one with an order, or marked
    // ordered, only the order.
    void partQuote()
    {
        theDatabase().Execute("INSERT INTO Queries (ID, IS_INCOMING, IS_ARCHIVE, STATUS_CODE, POST_DATE) VALUES "
                              "('Q1', 0, 0, 2, '2024-05-01 10:00:00')");
        theDatabase().Execute("INSERT INTO Quotes (ID, QUERY_ID, IS_INCOMING, IS_ARCHIVE, STATUS_CODE, POST_DATE) "
                              "VALUES ('A', 'Q1', 1, 0, 1, '2024-05-01 11:00:00'), "
                              "('B', 'Q1', 1, 0, 1, '2024-05-01 12:00:00'), ('C', 'Q1', 1, 0, 4, "
                              "'2024-05-01 10:00:00')");
        theDatabase().Execute("INSERT INTO Orders (ID, CONTEXT_ID, CONTEXT_TYPE) VALUES ('O1', 'A', 'quote')");
        XQueryListCtrl list(&m_host, nullptr);
        OpenFolder(list, 20003);
        // The quote's row, found by the page it shows.
        const auto click = [&list](const QString &id) {
            for (int row = 1; row < list.RowCount(); ++row) {
                ClickRow(list, row);
                if (list.GetDetailsHtml(false).contains("Quote " + id + "</h2>"))
                    return;
            }
            QFAIL(qPrintable("no quote " + id));
        };
        click("B");
        Check(list.GetDetailsHtml(false), {"app:new-order", "app:extended-profile"}, {"app:show-orders"});
        click("A");
        Check(list.GetDetailsHtml(false), {"app:show-orders"}, {"app:new-order", "app:show-messages"});
        click("C");
        Check(list.GetDetailsHtml(false), {"app:extended-profile"}, {"app:new-order"});
    }

    void hotDeal()
    {
        AddDeal("H1", "Brake pads", true, 0, "2024-05-02 10:00:00");
        AddDeal("H2", "Rotors", true, 0, "2024-05-01 10:00:00");
        AddThread("T1", "H1", "deal", "C1");
        m_app->views.enabled = true;
        XHotDealListCtrl list(&m_host, nullptr);
        OpenFolder(list, 130);
        Check(list.GetDetailsHtml(), {"app:send-message", "app:show-messages", "app:extended-profile",
                                      "app:show-dealdetail"}, {});
        ClickRow(list, 1);
        Check(list.GetDetailsHtml(), {"app:show-dealdetail"}, {"app:show-messages"});
    }

    // A detail sheet that is not there is said once, not shown as a blank page.
    void missingSheetIsReported()
    {
        Utils::ClearXslCache();
        m_app->App().SetModuleFolder(TestEnv::NewFolder() + '/');
        QVERIFY(DetailsView::Render("<order-details/>", "order.xsl").isEmpty());
        QVERIFY(DetailsView::Render("<order-details/>", "order.xsl").isEmpty());
        const QStringList boxes = m_app->dialogs.log.Calls();
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes[0].contains("|Error of XSL transformation|"), qPrintable(boxes[0]));
    }

    // An incoming order: payment information until it is known, the update form.
    void order()
    {
        // O1 was placed from a quote, O2 from a hot deal: only O1 has a quote to go to.
        theDatabase().Execute("INSERT INTO Orders (ID, IS_INCOMING, IS_BILLING_FULL, STATUS_CODE, POST_DATE, "
                              "CONTEXT_ID, CONTEXT_TYPE) VALUES ('O1', 1, 0, 0, '2024-05-02 10:00:00', 'QT1', "
                              "'quote'), ('O2', 0, 0, 0, '2024-05-01 10:00:00', 'H1', 'deal')");
        theDatabase().Execute("INSERT INTO Quotes (ID, QUERY_ID) VALUES ('QT1', 'Q1')");
        AddThread("T1", "O1", "order", "B1");
        XOrderListCtrl list(&m_host, nullptr);
        OpenFolder(list, 0);
        Check(list.GetOrderHtml(0), {"app:get-order-billing-info", "app:update-order", "app:goto-order-quote",
                                     "app:show-messages", "app:print"}, {"app:send-message"});
        theDatabase().Execute("UPDATE Orders SET IS_BILLING_FULL = 1");
        list.Refill();
        Check(list.GetOrderHtml(0), {"app:update-order"}, {"app:get-order-billing-info"});
        ClickRow(list, 1);
        Check(list.GetOrderHtml(0), {"app:print"},
              {"app:get-order-billing-info", "app:update-order", "app:show-messages", "app:goto-order-quote"});
    }

    // A thread leads to its record, car records too; a reply only to another member's thread.
    void messageThread_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("owner");
        QTest::addColumn<QString>("link");
        QTest::newRow("query") << "query" << "P9" << "app:goto-query";
        QTest::newRow("car query") << "query_cars" << "P9" << "app:goto-query";
        QTest::newRow("quote") << "quote" << "P9" << "app:goto-quote";
        QTest::newRow("car quote") << "quote_cars" << "P9" << "app:goto-quote";
        QTest::newRow("deal") << "deal" << "P9" << "app:goto-deal";
        QTest::newRow("order") << "order" << "P9" << "app:goto-order";
        QTest::newRow("own broadcast") << "broadcast" << "P1" << "";
    }
    void messageThread()
    {
        QFETCH(QString, type);
        QFETCH(QString, owner);
        QFETCH(QString, link);
        AddThread("T1", "R1", type, owner);
        m_app->frame.marketMode = type.endsWith("_cars") ? 1 : 0;
        XMessageListCtrl list(&m_host, nullptr);
        FakeBrowser browser;
        list.SetDetailsBrowser(&browser);
        OpenFolder(list, 118);
        QTRY_VERIFY(!browser.log.Calls().filter("SetHtml|").isEmpty());
        const Page page = Read(browser.log.Calls().filter("SetHtml|").last().mid(8));
        const QStringList gotos = page.links.filter("app:goto-");
        QCOMPARE(gotos, link.isEmpty() ? QStringList() : QStringList{link});
        QCOMPARE(page.links.contains("app:send-message"), owner != "P1");
    }

private:
    // Commands are "app:..." links; "#x" is an element id.
    static void Check(const QString &html, const QStringList &present, const QStringList &absent)
    {
        QVERIFY2(html.contains("<html"), qPrintable(html.left(200)));
        const Page page = Read(html);
        const auto has = [&](const QString &what) {
            return what.startsWith('#') ? page.ids.contains(what.mid(1)) : page.links.contains(what);
        };
        for (const QString &what : present)
            QVERIFY2(has(what), qPrintable(what + " missing; links: " + page.links.join(' ')));
        for (const QString &what : absent)
            QVERIFY2(!has(what), qPrintable(what + " offered"));
    }

    std::unique_ptr<TestApp> m_app;
    FakeListHost m_host;
};

KORVANT_TEST_MAIN(TestDetailPages)
#include "tst_detailpages.moc"
