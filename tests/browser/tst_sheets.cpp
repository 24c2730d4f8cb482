#include "TestApp.h"
#include "TestEnv.h"

#include "app/MhtCreator.h"
#include "app/Utils.h"
#include "app/XSLTransformer.h"
#include "browser/AppUrl.h"

#include <libxml/HTMLparser.h>
#include <libxml/parser.h>

namespace {

// Hostile text in every field (XML-escaped here): markup, quotes, a script
// address, "&" and "%".
const QByteArray kEvil = "&lt;script&gt;alert(1)&lt;/script&gt;&lt;evil onclick=&quot;alert(2)&quot;&gt;&quot;'&amp;%25%"
                         "&amp;x=1 javascript:alert(3)";
const QByteArray kEvilLink = "javascript:alert(4)";

QByteArray Fields(const QByteArray &names)
{
    QByteArray out;
    for (const QByteArray &name : names.split(' '))
        out += "<" + name + ">" + kEvil + "</" + name + ">";
    return out;
}

QByteArray HostileRecord(const QByteArray &root, const QByteArray &flags)
{
    return "<" + root + " id=\"" + kEvil + "\" " + flags + " context-type=\"quote\">" + Fields("status post_date comments")
           + "<part-types><item>" + kEvil + "</item></part-types>"
           + "<section name=\"part_info\" caption=\"" + kEvil + "\"><part-fields>" + Fields("name notes")
           + "<website>" + kEvilLink + "</website><buy_url>http://ok.test/?a=\"&amp;b</buy_url>"
           + "<pictures><picture id=\"" + kEvil + "\" title=\"" + kEvil + "\" small=\"/d/" + kEvil + ".jpg\" big=\""
           + kEvil + "\"/></pictures></part-fields></section>"
           + "<seller-info>" + Fields("name phone") + "</seller-info>"
           + "<message><sender-name>" + kEvil + "</sender-name><message-body>" + kEvil + "</message-body></message>"
           + "<quote_info id=\"" + kEvil + "\">" + Fields("price notes") + "</quote_info>"
           + "<quote_contact>" + Fields("name website") + "</quote_contact>"
           + "<b_contact>" + Fields("name street") + "</b_contact><shipping>" + Fields("name zip") + "</shipping>"
           + "<pay_method>" + kEvil + "</pay_method>"
           + "<filter><makes><item value=\"" + kEvil + "\" default=\"1\">" + kEvil + "</item></makes>"
           + Fields("vi_make vi_make vi_make vi_make vi_make vi_make years") + "</filter>"
           + Fields("title owner originate_state vi_make years location")
           + "<pictures><picture name=\"C:/x/" + kEvil + ".jpg\">" + kEvil + "</picture></pictures>"
           + "</" + root + ">";
}

struct Html
{
    explicit Html(const QString &text)
    {
        const QByteArray bytes = text.toUtf8();
        doc = htmlReadMemory(bytes.constData(), int(bytes.size()), nullptr, "UTF-8",
                             HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
    }
    ~Html() { xmlFreeDoc(doc); }
    Html(const Html &) = delete;
    Html &operator=(const Html &) = delete;

    template<class F>
    void Walk(F f, xmlNodePtr node = nullptr) const
    {
        for (xmlNodePtr n = node ? node->children : xmlDocGetRootElement(doc); n; n = n->next) {
            if (n->type == XML_ELEMENT_NODE) {
                f(n);
                Walk(f, n);
            }
        }
    }
    QStringList Hrefs() const
    {
        QStringList out;
        Walk([&](xmlNodePtr n) {
            if (xmlChar *v = xmlGetProp(n, BAD_CAST "href")) {
                out << QString::fromUtf8(reinterpret_cast<const char *>(v));
                xmlFree(v);
            }
        });
        return out;
    }
    QString AttrById(const QString &id, const char *name) const
    {
        QString out;
        Walk([&](xmlNodePtr n) {
            xmlChar *v = xmlGetProp(n, BAD_CAST "id");
            if (v && QString::fromUtf8(reinterpret_cast<const char *>(v)) == id) {
                if (xmlChar *a = xmlGetProp(n, BAD_CAST name)) {
                    out = QString::fromUtf8(reinterpret_cast<const char *>(a));
                    xmlFree(a);
                }
            }
            xmlFree(v);
        });
        return out;
    }
    bool HasId(const QString &id) const
    {
        bool found = false;
        Walk([&](xmlNodePtr n) {
            xmlChar *v = xmlGetProp(n, BAD_CAST "id");
            found = found || (v && QString::fromUtf8(reinterpret_cast<const char *>(v)) == id);
            xmlFree(v);
        });
        return found;
    }

    xmlDocPtr doc = nullptr;
};

QString Render(int kind, const QByteArray &xml, const QString &sheet = QString())
{
    xmlDocPtr doc = xmlReadMemory(xml.constData(), int(xml.size()), nullptr, nullptr, XML_PARSE_NONET);
    if (!doc)
        return QStringLiteral("unparsed fixture");
    QString html = sheet.isEmpty() ? theXSLTransformer().Transform(kind, doc) : Utils::TransformXml(doc, sheet);
    xmlFreeDoc(doc);
    return html;
}

TestApp::Options WithTransformer()
{
    TestApp::Options o;
    o.extra[GlobalSlot::XslTransformer] = [] { return std::make_unique<XSLTransformer>(); };
    return o;
}

// The sheets as they ship.
void UseShippedSheets(TestApp &t)
{
    t.App().SetModuleFolder(qEnvironmentVariable("KORVANT_SOURCE_DIR") + "/res/");
}

} // namespace

class TestSheets : public QObject
{
    Q_OBJECT
private slots:
    // Every root of every sheet, with hostile text in every field: data never
    // becomes an element, an attribute, a handler or a script address.
    void hostileDataStaysText_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<QByteArray>("root");
        auto rows = [](int kind, const QString &sheet, const QList<QByteArray> &roots) {
            for (const QByteArray &root : roots)
                QTest::newRow(qPrintable((sheet.isEmpty() ? XSLTransformer::SheetFile(kind) : sheet) + ' ' + root))
                    << kind << sheet << root;
        };
        const QList<QByteArray> detailRoots = {"details", "details-print", "details-car", "details-car-det", "details-print-car"};
        rows(XSLTransformer::QueryDetail, {}, detailRoots);
        rows(XSLTransformer::QuoteDetail, {}, detailRoots);
        rows(XSLTransformer::MessageDetail, {}, {"messages"});
        rows(XSLTransformer::HotDeal, {}, {"hotdeal"});
        rows(XSLTransformer::HotDealDetail, {}, {"details", "details-preview"});
        rows(XSLTransformer::Dashboard, {}, {"dashboard-parts", "dashboard-cars"});
        rows(XSLTransformer::Order, {}, {"order-details", "details-print", "details-print-rcp", "order-form-details", "new-order"});
        rows(-1, QStringLiteral("specialities.xsl"), {"specialities", "specialities_cars"});
    }
    void hostileDataStaysText()
    {
        QFETCH(int, kind);
        QFETCH(QString, sheet);
        QFETCH(QByteArray, root);
        TestApp t(WithTransformer());
        UseShippedSheets(t);
        const QByteArray flags = "sendmessage=\"1\" messages=\"1\" profile=\"1\" getcontact=\"1\" sendquote=\"1\" "
                                 "incoming=\"1\" orders=\"1\" get_billing_info=\"1\" reply=\"1\"";
        const QString out = Render(kind, HostileRecord(root, flags), sheet);
        QVERIFY2(t.dialogs.log.Calls().isEmpty(), qPrintable(t.dialogs.log.Calls().join('\n')));
        QVERIFY2(out.contains(QLatin1String("<html")), qPrintable(out.left(300)));
        QVERIFY2(!out.contains(QLatin1String("<script>alert(1)")), "raw markup from data");
        Html html(out);
        QVERIFY(html.doc);
        html.Walk([&](xmlNodePtr n) {
            const QByteArray name = reinterpret_cast<const char *>(n->name);
            QVERIFY2(name != "evil", "an element from data");
            if (name == "script") {
                xmlChar *text = xmlNodeGetContent(n);
                const QByteArray body = reinterpret_cast<const char *>(text);
                xmlFree(text);
                QVERIFY2(!body.contains("alert("), "data inside a script");
            }
            for (xmlAttrPtr a = n->properties; a; a = a->next) {
                const QByteArray attr = QByteArray(reinterpret_cast<const char *>(a->name)).toLower();
                xmlChar *v = xmlGetProp(n, a->name);
                const QByteArray value = reinterpret_cast<const char *>(v);
                xmlFree(v);
                QVERIFY2(!attr.startsWith("on") || !value.contains("alert"), "data in a handler: " + value);
                QVERIFY2(attr != "style", "a style attribute");
                if (attr == "href" || attr == "src" || attr == "action") {
                    const QByteArray lower = value.trimmed().toLower();
                    QVERIFY2(!lower.startsWith("javascript:") || value == "javascript:changeFilter();",
                             "a script address: " + value);
                    QVERIFY2(!lower.startsWith("data:") && !lower.startsWith("file:"), value);
                }
            }
        });
        // Command parameters are encoded: every "app:" link parses back without stray pairs.
        for (const QString &href : html.Hrefs()) {
            if (!href.startsWith(QLatin1String("app:")))
                continue;
            QString command;
            AppParams params;
            QVERIFY(AppUrl::ParseAppUrl(href, &command, &params));
            QVERIFY2(!params.contains(QStringLiteral("x")), qPrintable(href));
        }
    }

    // Links to the record's commands follow its flags.
    void commandsFollowFlags_data()
    {
        QTest::addColumn<QByteArray>("flags");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("absent");
        QTest::newRow("all") << QByteArray("sendmessage=\"1\" messages=\"1\" profile=\"1\" getcontact=\"1\" sendquote=\"1\" incoming=\"1\"")
                             << QStringList{"app:send-message", "app:show-messages", "app:extended-profile",
                                            "app:get-contact", "app:selectpartimage", "app:print"}
                             << QStringList{};
        QTest::newRow("none") << QByteArray()
                              << QStringList{"app:print"}
                              << QStringList{"app:send-message", "app:show-messages", "app:get-contact",
                                             "app:selectpartimage", "app:extended-profile"};
    }
    void commandsFollowFlags()
    {
        QFETCH(QByteArray, flags);
        QFETCH(QStringList, present);
        QFETCH(QStringList, absent);
        TestApp t(WithTransformer());
        UseShippedSheets(t);
        Html html(Render(XSLTransformer::QueryDetail, HostileRecord("details", flags)));
        const QStringList hrefs = html.Hrefs();
        for (const QString &c : present)
            QVERIFY2(hrefs.contains(c), qPrintable(c));
        for (const QString &c : absent)
            QVERIFY2(!hrefs.contains(c), qPrintable(c));
        const bool form = flags.contains("sendquote");
        for (const char *id : {"price", "shipping", "notes", "cond"})
            QCOMPARE(html.HasId(QLatin1String(id)), form);
    }

    // A picture link decodes to the record's own values.
    void pictureLinkCarriesValues()
    {
        TestApp t(WithTransformer());
        UseShippedSheets(t);
        const QByteArray xml = "<details-car id=\"Q&amp;1=2\"><section name=\"p\" caption=\"P\"><f><pictures>"
                               "<picture id=\"3\" title=\"t\" small=\"/d/a b%.jpg\" big=\"http://s/x?a=1&amp;b=2\"/>"
                               "</pictures></f></section></details-car>";
        Html html(Render(XSLTransformer::QuoteDetail, xml));
        QString link;
        for (const QString &href : html.Hrefs())
            if (href.startsWith(QLatin1String("app:show-picture")))
                link = href;
        QString command;
        AppParams params;
        QVERIFY2(AppUrl::ParseAppUrl(link, &command, &params), qPrintable(link));
        QCOMPARE(command, QStringLiteral("show-picture"));
        QCOMPARE(params.value("url"), QStringLiteral("http://s/x?a=1&b=2"));
        QCOMPARE(params.value("quote_id"), QStringLiteral("Q&1=2"));
        QCOMPARE(params.value("pic_id"), QStringLiteral("3"));
    }

    // The hot deal page addresses its pictures as the MIME HTML writer attaches them.
    void hotDealPicturesMatchTheMessage()
    {
        TestApp t(WithTransformer());
        UseShippedSheets(t);
        const QString path = QStringLiteral("C:/My Pictures/d\u00e9al (1)'s #2.jpg");
        const QByteArray xml = "<hotdeal><title>T</title><pictures><picture name=\"" + path.toUtf8()
                               + "\">front</picture></pictures></hotdeal>";
        const QString out = Render(XSLTransformer::HotDeal, xml);
        QVERIFY2(out.contains("src=\"" + MhtCreator::PageUrl(path) + "\""), qPrintable(out));
    }

    void dashboardScriptsAndIds()
    {
        TestApp t(WithTransformer());
        UseShippedSheets(t);
        for (const QByteArray &root : {QByteArray("dashboard-parts"), QByteArray("dashboard-cars")}) {
            const QString out = Render(XSLTransformer::Dashboard, "<" + root + "><filter/></" + root + ">");
            Html html(out);
            QVERIFY(out.contains(QLatin1String("function setCounter(")));
            QVERIFY(out.contains(QLatin1String("function changeFilter(")));
            QVERIFY(html.HasId("make") && html.HasId("model") && html.HasId("vi_make") && html.HasId("years"));
            QVERIFY(html.HasId("counter13"));
            QCOMPARE(html.HasId("counter17"), root == "dashboard-cars");
            QCOMPARE(html.HasId("originate_state"), root == "dashboard-parts");
        }
    }
};

KORVANT_TEST_MAIN(TestSheets)
#include "tst_sheets.moc"
