#include "DbFixture.h"
#include "TestEnv.h"

#include "db/XMessageSet.h"
#include "db/XOrderSet.h"
#include "net/XProfile.h"
#include "net/XRequest.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace {

TestApp::Options WithProfileAndDatabase()
{
    TestApp::Options o;
    o.extra = {{GlobalSlot::Profile, [] { return std::make_unique<XProfile>(); }},
               {GlobalSlot::Database, [] { return std::make_unique<KVDatabase>(); }}};
    return o;
}

QString Fixture(const QString &name)
{
    return TestEnv::SourceDir() + QStringLiteral("/tests/fixtures/db/") + name;
}

XmlDoc LoadFixture(const QString &name)
{
    QString error;
    XmlDoc doc = XmlDoc::LoadFile(Fixture(name), &error);
    if (doc.IsNull())
        qFatal("fixture %s: %s", qPrintable(name), qPrintable(error));
    return doc;
}

// The same XML indented one way, so that golden files stay readable and
// compare without regard to layout.
QByteArray Pretty(const QByteArray &xml)
{
    QXmlStreamReader r(xml);
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.setAutoFormatting(true);
    while (!r.atEnd()) {
        r.readNext();
        if (r.isWhitespace() || r.isStartDocument() || r.isEndDocument() || r.isComment())
            continue;
        w.writeCurrentToken(r);
    }
    if (r.hasError())
        return "malformed: " + r.errorString().toUtf8();
    return out.trimmed() + '\n';
}

// Compares with a golden file; KORVANT_WRITE_GOLDEN=1 rewrites it instead.
bool MatchesGolden(const XmlNode &node, const QString &name)
{
    const QByteArray actual = Pretty(node.ToXml());
    if (qEnvironmentVariableIntValue("KORVANT_WRITE_GOLDEN") == 1) {
        QFile f(Fixture(name));
        return f.open(QIODevice::WriteOnly) && f.write(actual) == actual.size();
    }
    const QByteArray expected = Pretty(ReadAll(Fixture(name)));
    if (expected == actual)
        return true;
    qWarning().noquote() << name << "differs; built:\n" << actual;
    return false;
}

void AddRow(const char *table, const QVariantMap &values)
{
    XBaseSet set(nullptr, table);
    set.AddNew();
    for (auto it = values.begin(); it != values.end(); ++it)
        set.SetFieldValue(it.key().toLatin1().constData(), it.value());
    QVERIFY(set.Update());
}

// Every column of every order, for "nothing changed" checks.
QStringList DumpOrders()
{
    XBaseSet set(nullptr, "Orders");
    set.Select(SqlExpr(), "ID");
    QStringList rows;
    for (set.MoveFirst(); !set.IsEOF(); set.MoveNext()) {
        QStringList cells;
        for (int i = 0; i < set.GetFieldCount(); ++i)
            cells << set.GetText(i);
        rows << cells.join('|');
    }
    return rows;
}

// The order of the fixture as the poll stores it.
void StoreFixtureOrder()
{
    const XmlDoc doc = LoadFixture("orders_order.xml");
    XOrderSet set;
    set.AddNew();
    set.ReadOrderXml(nullptr, doc.Root());
    QVERIFY(set.Update());
}

} // namespace

class TestOrders : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_app = std::make_unique<TestApp>(WithProfileAndDatabase());
        QVERIFY(theDatabase().init());
        theProfile().Update([](ProfileData &d) {
            d.name = "Sam Seller";
            d.company = "Sam's Salvage";
            d.street = "4 Yard Ln";
            d.city = "Salem";
            d.state = "OR";
            d.zip = "97301";
            d.phone = "555-0300";
            d.email = "sam@example.com";
        });
        theApp().GetSession().SetPassportId("11112222");
    }
    void cleanup() { m_app.reset(); }

    void readsAnOrder_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("value");
        const std::pair<const char *, const char *> rows[] = {
            {"ID", "PO-1001"},          {"CONTEXT_ID", "T1"},        {"CONTEXT_TYPE", "quote"},
            {"POST_DATE", "2024-03-05 14:30:00"}, {"LIVE_TIME", "14"}, {"C_ID", "22223333"},
            {"IS_INCOMING", "1"},       {"STATUS", "New"},           {"STATUS_CODE", "0"},
            {"C_NAME", "Dana Buyer"},   {"C_PHONE", "555-0100"},     {"C_MOBILE", "555-0101"},
            {"C_FAX", "555-0102"},      {"C_WEBSITE", "http://dana.example"}, {"C_STREET", "1 Main St"},
            {"C_CITY", "Springfield"},  {"C_STATE", "OR"},           {"C_ZIP", "97477"},
            {"C_COUNTRY", "USA"},       {"C_EMAIL", "dana@example.com"}, {"STOCK_NUMBER", "STK-9"},
            {"P_NAME", "Alternator"},   {"QUANTITY", "2"},           {"PRICE", "1125.5"},
            {"CORE_DEPOSIT", "20"},     {"SHIPPING", "15.25"},       {"TOTAL_PRICE", "2286.25"},
            {"NOTES", "Pack & ship well"}, {"IS_BILLING_FULL", "0"}, {"RCP_ID", ""},
            {"CC_NUMBER", ""},          {"B_NAME", ""},              {"IS_UPDATED", "0"},
        };
        for (const auto &[column, value] : rows)
            QTest::newRow(column) << column << value;
    }
    void readsAnOrder()
    {
        QFETCH(QString, column);
        QFETCH(QString, value);
        StoreFixtureOrder();
        XOrderSet set;
        QVERIFY(set.SelectById("PO-1001"));
        QCOMPARE(set.GetText(column.toLatin1().constData()), value);
    }

    void readsAnOrderWithoutSections()
    {
        const QString notes(2000, QLatin1Char('n'));
        const XmlDoc doc = XmlDoc::Parse("<order><order_id>PO-2</order_id><product_info><notes>" + notes.toUtf8() +
                                         "</notes><quantity>x</quantity></product_info></order>");
        XOrderSet set;
        set.AddNew();
        set.ReadOrderXml(nullptr, doc.Root());
        QVERIFY(set.Update());
        QVERIFY(set.SelectById("PO-2"));
        QVERIFY(set.GetBool("IS_INCOMING"));
        QCOMPARE(set.GetText("STATUS"), QString("New"));
        QCOMPARE(set.GetText("C_NAME"), QString());
        QCOMPARE(set.GetText("C_WEBSITE"), QString());
        QCOMPARE(set.GetInt("QUANTITY"), 0);
        QVERIFY(!set.GetBool("IS_BILLING_FULL"));
        QVERIFY(!set.GetDate("POST_DATE").isValid());
        QCOMPARE(set.GetText("NOTES"), notes.left(1024));
    }

    // Card fields are stored as delivered: the seller needs them to charge.
    void readsTheBillingBlock()
    {
        StoreFixtureOrder();
        XOrderSet set;
        QVERIFY(set.SelectById("PO-1001"));
        XmlDoc detail = XmlDoc::Create("order-details");
        set.BuildDetailXml(detail.Root(), XOrderSet::DetailView);
        QCOMPARE(detail.Root().Attr("get_billing_info"), QString("1"));

        set.Edit();
        set.ReadBillingInfoXml(LoadFixture("orders_order.xml").Root());
        QVERIFY(set.Update());
        QVERIFY(set.SelectById("PO-1001"));
        QCOMPARE(set.GetText("PAYMENT_METHOD"), QString("Credit card"));
        QCOMPARE(set.GetText("CC_NUMBER"), QString("4111 1111 1111 1111"));
        QCOMPARE(set.GetText("CC_MONTH"), QString("07"));
        QCOMPARE(set.GetText("CC_V_NUMBER"), QString("123"));
        QCOMPARE(set.GetText("B_NAME"), QString("Dana B. Buyer"));
        QCOMPARE(set.GetText("B_COUNTRY"), QString("USA"));
        QVERIFY(set.GetBool("IS_BILLING_FULL"));
        QCOMPARE(set.GetText("C_NAME"), QString("Dana Buyer"));  // the shipping contact stays

        detail = XmlDoc::Create("order-details");
        set.BuildDetailXml(detail.Root(), XOrderSet::DetailView);
        QVERIFY(!detail.Root().HasAttr("get_billing_info"));
        QVERIFY(IsPrivate(theDatabase().DatabasePath()));
    }

    void storesAnOrderUpdate()
    {
        StoreFixtureOrder();
        XOrderSet set;
        QVERIFY(set.StoreOrderUpdateXml(nullptr, LoadFixture("orders_update.xml").Root()));
        QVERIFY(set.SelectById("PO-1001"));
        QCOMPARE(set.GetText("STATUS"), QString("Completed"));
        QCOMPARE(set.GetInt("STATUS_CODE"), 5);
        QVERIFY(set.GetBool("IS_UPDATED"));
        QVERIFY(set.GetBool("IS_U_NEW"));
        QCOMPARE(set.GetText("U_INVOICE_NUM"), QString("INV-77"));
        QCOMPARE(set.GetText("U_STATUS"), QString("Shipped"));
        QCOMPARE(set.GetText("U_SHIP_DATE"), QString("2024-03-07 09:00:00"));
        QCOMPARE(set.GetText("U_SHIPPER"), QString("Ground Express"));
        QCOMPARE(set.GetText("U_TRACK_NUM"), QString("1Z999"));
        QCOMPARE(set.GetDouble("U_ADJUSTMENT"), -10.5);
        QCOMPARE(set.GetDouble("U_TOTAL_PRICE"), 2275.75);
        QCOMPARE(set.GetText("U_COMMENTS"), QString("Left at the back door"));
        QVERIFY(set.IsFieldNull(set.FieldIndex("U_UPDATE_TIME")));
        QCOMPARE(set.GetText("C_NAME"), QString("Dana Buyer"));
    }

    void updateOfAnUnknownOrderChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("orderId");
        QTest::newRow("unknown") << QByteArray("PO-9");
        QTest::newRow("quote in the id") << QByteArray("PO-1001' OR '1'='1");
        QTest::newRow("missing") << QByteArray();
    }
    void updateOfAnUnknownOrderChangesNothing()
    {
        QFETCH(QByteArray, orderId);
        StoreFixtureOrder();
        const QStringList before = DumpOrders();
        const XmlDoc doc = XmlDoc::Parse(orderId.isNull() ? QByteArray("<order_update><status>x</status></order_update>")
                                                          : "<order_update><order_id>" + QString::fromUtf8(orderId).toHtmlEscaped().toUtf8() +
                                                                "</order_id><status>x</status></order_update>");
        XOrderSet set;
        QVERIFY(!set.StoreOrderUpdateXml(nullptr, doc.Root()));
        QCOMPARE(DumpOrders(), before);
    }

    void buildsTheOrderRequest()
    {
        XOrderSet set;
        set.AddNew();
        const QVariantMap values = {
            {"CONTEXT_TYPE", "quote"},  {"CONTEXT_ID", "T1"},        {"RCP_ID", "33334444"},
            {"LIVE_TIME", 30},          {"C_NAME", "Dana & Co"},     {"C_PHONE", "555-0100"},
            {"C_MOBILE", "555-0101"},   {"C_FAX", "555-0102"},       {"C_WEBSITE", "dana.example"},
            {"C_STREET", "1 Main St"},  {"C_CITY", "Springfield"},   {"C_STATE", "OR"},
            {"C_ZIP", "97477"},         {"C_COUNTRY", "USA"},        {"C_COMPANY", "Dana Parts"},
            {"C_EMAIL", "dana@example.com"}, {"STOCK_NUMBER", "STK-9"}, {"P_NAME", "Alternator"},
            {"QUANTITY", 2},            {"PRICE", 1125.5},           {"SHIPPING", 15.25},
            {"CORE_DEPOSIT", 20.0},     {"TOTAL_PRICE", 2286.25},    {"NOTES", "<fragile>"},
            {"PAYMENT_METHOD", "Credit card"}, {"PAYMENT_ACCOUNT", ""}, {"CC_NUMBER", "4111111111111111"},
            {"CC_MONTH", "07"},         {"CC_YEAR", "2027"},         {"CC_V_NUMBER", "123"},
            {"B_NAME", "Dana Buyer"},   {"B_PHONE", "555-0200"},     {"B_EMAIL", "billing@example.com"},
            {"B_STREET", "9 Bank Rd"},  {"B_CITY", "Eugene"},        {"B_STATE", "OR"},
            {"B_ZIP", "97401"},         {"B_COUNTRY", "USA"},
        };
        for (auto it = values.begin(); it != values.end(); ++it)
            set.SetFieldValue(it.key().toLatin1().constData(), it.value());
        XRequest request("newOrder");
        set.BuildOrderXml(request);
        QVERIFY(MatchesGolden(request.GetRequestRoot().Select("order"), "orders_request_order.xml"));

        // The order form stores the sent order with the answer's id: the row says 14 too.
        set.SetText("ID", "PO-5");
        set.SetBool("IS_INCOMING", false);
        QVERIFY(set.Update());
        QVERIFY(set.SelectById("PO-5"));
        QCOMPARE(set.GetInt("LIVE_TIME"), XOrderSet::OrderLiveTime);
    }

    void buildsTheOrderUpdateRequest()
    {
        StoreFixtureOrder();
        XOrderSet set;
        QVERIFY(set.SelectById("PO-1001"));
        set.Edit();
        set.SetText("U_INVOICE_NUM", "INV-77");
        set.SetText("U_STATUS", "Shipped");
        set.SetDate("U_SHIP_DATE", QDateTime(QDate(2024, 3, 7), QTime(9, 5, 59)));
        set.SetText("U_SHIPPER", "Ground Express");
        set.SetText("U_TRACK_NUM", "1Z999");
        set.SetDouble("U_ADJUSTMENT", -10.5);
        set.SetDouble("U_TOTAL_PRICE", 2275.75);
        set.SetText("U_COMMENTS", "Left at the back door");
        XRequest request("newOrderUpdate");
        set.BuildOrderUpdateXml(request);
        QVERIFY(MatchesGolden(request.GetRequestRoot().Select("order_update"), "orders_request_order_update.xml"));
    }

    void detailXml_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("rootName");
        QTest::addColumn<QString>("golden");
        QTest::newRow("view") << int(XOrderSet::DetailView) << "order-details" << "orders_detail_view.xml";
        QTest::newRow("print") << int(XOrderSet::DetailPrint) << "details-print" << "orders_detail_print.xml";
        QTest::newRow("print for the recipient")
            << int(XOrderSet::DetailPrintRecipient) << "details-print-rcp" << "orders_detail_print_rcp.xml";
    }
    void detailXml()
    {
        QFETCH(int, mode);
        QFETCH(QString, rootName);
        QFETCH(QString, golden);
        // A buyer's query, the member's quote that answered it, the order the buyer placed from it.
        AddRow("Queries", {{"ID", "Q1"}, {"IS_INCOMING", 1}, {"C_ID", "22223333"}, {"V_MAKE", "Ford"},
                           {"V_MODEL", "Focus"}, {"V_YEAR", "2012"}, {"P_NUMBER", "AL-55"}, {"P_NAME", "Alternator"},
                           {"P_TYPE", "Used"}, {"V_TRANSMISSION", "Manual"}, {"V_ENGINE", "I4"},
                           {"V_ENGINE_SIZE", "2.0"}, {"V_ENGINE_SIZE_UNIT", "L"}, {"V_ASPIRATION", "Natural"},
                           {"P_COLOR", "Black"}, {"P_SIDE", "Front"}, {"P_NOTES", "Any brand"}});
        AddRow("Quotes", {{"ID", "T1"}, {"QUERY_ID", "Q1"}, {"IS_INCOMING", 0}, {"C_ID", "22223333"},
                          {"C_NAME", "Dana Buyer"}, {"P_NUMBER", "STK-9"}, {"P_TYPE", "Used"}, {"P_QUANTITY", 2},
                          {"P_PRICE", 1125.5}, {"P_SHIPPING", 15.25}, {"P_CORE_DEPOSIT", 20.0},
                          {"P_NOTES", "Tested"}, {"COMMENTS", "Good one"}, {"V_MAKE", "Ford"}, {"V_MODEL", "Focus"},
                          {"V_YEAR", "2012"}, {"V_ENGINE", "I4"}, {"V_ENGINE_SIZE", "2.0"},
                          {"V_ENGINE_SIZE_UNIT", "L"}, {"V_TRANSMISSION", "Manual"}});
        const auto message = [](const char *id, const char *type, const char *context, const char *owner,
                                bool incoming, const char *body, QTime time) {
            AddRow("Messages", {{"ID", id}, {"CONTEXT_TYPE", type}, {"CONTEXT_ID", context}, {"OWNER_ID", owner},
                                {"OWNER_NAME", "Dana Buyer"}, {"IS_INCOMING", incoming}, {"IS_PARENT", true},
                                {"MESSAGE_BODY", body},
                                {"POST_DATE", QDateTime(QDate(2024, 3, 6), time)}});
        };
        message("m1", "order", "PO-1001", "22223333", true, "When will it ship?", QTime(9, 0));
        message("m2", "order", "PO-1001", "22223333", false, "Tomorrow.", QTime(10, 0));
        message("m3", "quote", "T1", "22223333", true, "Is the price firm?", QTime(8, 0));
        message("m4", "query", "Q1", "22223333", true, "I have one.", QTime(7, 0));
        message("m5", "query", "Q1", "44445555", true, "Another member's answer.", QTime(7, 30));

        StoreFixtureOrder();
        XOrderSet set;
        QVERIFY(set.SelectById("PO-1001"));
        set.Edit();
        set.ReadBillingInfoXml(LoadFixture("orders_order.xml").Root());
        set.ReadOrderUpdateXml(nullptr, LoadFixture("orders_update.xml").Root());
        set.SetDate("U_UPDATE_TIME", QDateTime(QDate(2024, 3, 7), QTime(9, 30)));
        set.SetText("COMMENTS", "Regular buyer");
        QVERIFY(set.Update());
        QVERIFY(set.SelectById("PO-1001"));

        m_app->views.enabled = true;
        XmlDoc doc = XmlDoc::Create(rootName);
        set.BuildDetailXml(doc.Root(), mode);
        QVERIFY(MatchesGolden(doc.Root(), golden));
    }

    void detailOfAnOrderWithoutItsQuote()
    {
        StoreFixtureOrder();
        XOrderSet set;
        QVERIFY(set.SelectById("PO-1001"));
        XmlDoc doc = XmlDoc::Create("order-details");
        set.BuildDetailXml(doc.Root(), XOrderSet::DetailPrint);
        const XmlNode root = doc.Root();
        QVERIFY(root.Select("query-info").IsNull());
        QVERIFY(root.Select("qt-messages").IsNull());
        QVERIFY(!root.Select("po-messages").IsNull());
        QCOMPARE(root.ChildText("quote-info/id"), QString());
        QVERIFY(!root.HasAttr("sendmessage"));
        QVERIFY(!root.HasAttr("messages"));
        QVERIFY(root.Select("section[not(@name)]").IsNull());  // no update yet
        QCOMPARE(root.ChildText("section[@name='product_info']/product-fields/qty_price"), QString("$2,251.00"));
    }

    void cardMonthShownByName_data()
    {
        QTest::addColumn<QString>("month");
        QTest::addColumn<QString>("shown");
        QTest::newRow("01") << "01" << "Jan";
        QTest::newRow("07") << "07" << "Jul";
        QTest::newRow("12") << "12" << "Dec";
        QTest::newRow("one digit") << "7" << "";
        QTest::newRow("13") << "13" << "";
        QTest::newRow("00") << "00" << "";
        QTest::newRow("empty") << "" << "";
    }
    void cardMonthShownByName()
    {
        QFETCH(QString, month);
        QFETCH(QString, shown);
        XOrderSet set;
        set.AddNew();
        set.SetText("CC_MONTH", month);
        XmlDoc doc = XmlDoc::Create("order-details");
        set.BuildDetailXml(doc.Root(), XOrderSet::DetailView);
        QCOMPARE(doc.Root().ChildText("section[@name='payment_info']/payment-fields/cc_month"), shown);
    }

    void folders_data()
    {
        QTest::addColumn<int>("folder");
        QTest::addColumn<QStringList>("ids");
        QTest::newRow("sales in progress") << 195 << QStringList{"in-new", "in-read", "in-replied"};
        QTest::newRow("purchases in progress") << 196 << QStringList{"out-new", "out-read"};
        QTest::newRow("completed sales") << 198 << QStringList{"in-done"};
        QTest::newRow("completed purchases") << 199 << QStringList{"out-done"};
    }
    void folders()
    {
        QFETCH(int, folder);
        QFETCH(QStringList, ids);
        theDatabase().Connection().ExecScript(ReadAll(Fixture("orders_folders.sql")));
        XOrderSet set;
        const SqlExpr filter = set.GetFolderFilter(folder);
        QCOMPARE(set.GetBaseFilter(), filter);
        QCOMPARE(set.GetFilter(), filter);
        set.SetSort("ID");
        set.Open();
        QStringList shown;
        for (set.MoveFirst(); !set.IsEOF(); set.MoveNext())
            shown << set.GetIdText();
        ids.sort();
        QCOMPARE(shown, ids);

        // Another node keeps the folder.
        QCOMPARE(set.GetFolderFilter(130), filter);
        QCOMPARE(set.GetBaseFilter(), filter);
    }

    void countsOrdersOfAQuote()
    {
        theDatabase().Connection().ExecScript(
            "INSERT INTO Orders (ID, CONTEXT_ID, CONTEXT_TYPE) VALUES ('a', 'T''1', 'quote'), ('b', 'T''1', 'quote'),"
            " ('c', 'T''1', 'quote_cars'), ('d', 'T2', 'quote');");
        QCOMPARE(XOrderSet::CountByContext("T'1", "quote"), 2);
        QCOMPARE(XOrderSet::CountByContext("T'1", "quote_cars"), 1);
        QCOMPARE(XOrderSet::CountByContext("T3", "quote"), 0);
    }

private:
    std::unique_ptr<TestApp> m_app;
};

KORVANT_TEST_MAIN(TestOrders)
#include "tst_orders.moc"
