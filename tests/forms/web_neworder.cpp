// The purchase order form over a real web engine: the page built from the
// quote, the page's own submit reaching the form over the channel, the
// secure address and what is stored.

#include "OrderFixture.h"
#include "../browser/WebTestUtil.h"

#include "browser/CWebBrowser2.h"
#include "forms/NewOrderDlg.h"

#include <QDirIterator>

namespace {

struct OrderPageFixture : WebFormsFixture
{
    OrderPageFixture()
    {
        server.Script("getMainInfo", Answer(0, "<ssl_host>" + server.Url().toUtf8() + "</ssl_host>"));
        server.Script("newOrder", Answer(0, "<order_id>PO-1</order_id><create_time>2009-03-05 06:07:08</create_time>"));
        // Two of 10.00, shipping 5.00, core deposit 3.00.
        theDatabase().Execute(
            "INSERT INTO Quotes (ID, QUERY_ID, IS_INCOMING, C_ID, C_NAME, STATUS, STATUS_CODE, P_NAME, P_NUMBER, "
            "P_QUANTITY, P_PRICE, P_SHIPPING, P_CORE_DEPOSIT, V_MAKE, V_MODEL, V_YEAR, MARKET_ID) VALUES "
            "('QT-1', 'Q-1', 1, 'P2000', 'Sam Seller', 'Read', 1, 'Alternator', 'STK-9', 2, 10, 5, 3, 'Ford', "
            "'Focus', '2004', 'MP-100')");
    }
    QString QuoteStatus() { return Text("SELECT STATUS || '|' || STATUS_CODE FROM Quotes WHERE ID = 'QT-1'"); }
};

AppParams Fields()
{
    return {{"pay_method", "Credit Card"}, {"cc_number", "4111111111111111"}, {"b_name", "Dana Buyer"}};
}

} // namespace

class WebNewOrder : public QObject
{
    Q_OBJECT
private slots:
    void newOrderDocument()
    {
        OrderPageFixture f;
        OrderForm form("quote", "QT-1");
        QVERIFY(form.IsLoaded());
        const QString xml = QString::fromUtf8(form.BuildNewOrderXml().ToXml(false));
        QVERIFY2(xml.startsWith("<new-order><pay_method>Credit Card</pay_method><quote_info id=\"QT-1\">"), qPrintable(xml));
        QVERIFY2(xml.contains("<total_price>$28.00</total_price><price>$10.00</price><core_deposit>$3.00</core_deposit>"
                              "<shipping>$5.00</shipping>"),
                 qPrintable(xml));
        QCOMPARE(xml.count("<stock_number>STK-9</stock_number>"), 2);
        QVERIFY(xml.contains("<quote_contact><name>Sam Seller</name><rating/><name>Sam Seller</name>"));
        QVERIFY(xml.contains("<b_contact><name>Dana Buyer</name>"));
        QVERIFY(xml.contains("<shipping><name>Dana Buyer</name>"));
        form.payMethod = "PayPal";
        QVERIFY(form.BuildNewOrderXml().ToXml(false).startsWith("<new-order><pay_method>PayPal</pay_method>"));
    }

    void secureAddress_data()
    {
        QTest::addColumn<QString>("sslHost");
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("address");
        QTest::newRow("given") << "https://secure.example/kvp" << "http://m.example/kvp" << "https://secure.example/kvp";
        QTest::newRow("host name") << "secure.example" << "http://m.example/kvp" << "https://secure.example/kvp";
        QTest::newRow("none, https server") << "" << "https://m.example/kvp" << "https://m.example/kvp";
        QTest::newRow("none, http server") << "" << "http://m.example/kvp" << "";
        QTest::newRow("blank, http server") << "  " << "http://m.example/kvp" << "";
    }
    void secureAddress()
    {
        QFETCH(QString, sslHost);
        QFETCH(QString, server);
        QFETCH(QString, address);
        QCOMPARE(OrderForm::SecureAddress(sslHost, server), address);
    }

    // The page filled by script and its button clicked twice: one order, stored
    // with the quote marked ordered.
    void orderPageSubmits()
    {
        OrderPageFixture f;
        NewOrderDlg dlg(&f.host, "quote", "QT-1");
        QVERIFY(WebTest::WaitLoaded(dlg.Browser(), [&] { dlg.show(); }));
        QCOMPARE(WebTest::Eval(dlg.Browser(), "document.body.innerText.indexOf('$28.00') >= 0").toBool(), true);
        WebTest::Eval(dlg.Browser(), "document.getElementById('cc_number').value = '4111 1111';"
                                     "document.getElementById('notes').value = 'a+b & c=d';"
                                     "var b = document.querySelector('input[type=submit]'); b.click(); b.click(); 1");
        const bool accepted = WaitUntil([&] { return dlg.result() == QDialog::Accepted; });
        QVERIFY2(accepted, qPrintable(f.t.dialogs.log.Calls().join("; ") + " posts " + QString::number(f.Posts("getMainInfo"))));
        QTest::qWait(200);
        QCOMPARE(f.Posts("newOrder"), 1);
        QCOMPARE(f.Posts("getMainInfo"), 1);
        const QByteArray body = f.LastBody("newOrder");
        QVERIFY2(body.contains("4111 1111") && body.contains("a+b &amp; c=d"), body.constData());
        QCOMPARE(f.Text("SELECT ID || '|' || NOTES || '|' || CC_NUMBER || '|' || TOTAL_PRICE || '|' || RCP_NAME FROM Orders"),
                 QString("PO-1|a+b & c=d|**** 1111|28.0|Sam Seller"));
        QCOMPARE(f.QuoteStatus(), QString("Po|4"));
        QVERIFY(f.host.log.Calls().contains("RefreshOrders"));
    }

    // An order paid by card with every trace on: the server gets the card,
    // no file the program writes keeps it (log, database, settings, ...).
    void cardDataNeverWrittenInClear()
    {
        OrderPageFixture f;
        theApp().SetLogLevel(5);
        f.server.Script("newOrder", Answer(0, "<order_id>PO-2</order_id><billing_info><cc_number>4000 1234 5678 "
                                              "9010</cc_number><cc_v_number>97531</cc_v_number></billing_info>"));
        NewOrderDlg dlg(&f.host, "quote", "QT-1");
        dlg.show();
        dlg.SubmitOrder({{"pay_method", "Credit Card"}, {"cc_number", "4000 1234 5678 9010"}, {"cc_v_number", "97531"},
                         {"cc_month", "11"}, {"cc_year", "2047"}, {"pp_account", "buyer-pp@pay.example"}});
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        const QByteArray body = f.LastBody("newOrder");
        QVERIFY(body.contains("<cc_number>4000 1234 5678 9010</cc_number>") && body.contains("97531"));
        QCOMPARE(f.Text("SELECT CC_NUMBER || '|' || CC_V_NUMBER || '|' || CC_MONTH || '|' || CC_YEAR || '|' || "
                        "PAYMENT_ACCOUNT FROM Orders"),
                 QString("**** **** **** 9010|*****|*****|*****|*****"));
        QVERIFY(f.t.LogText().contains("<cc_number>**** **** **** 9010</cc_number>"));
        int files = 0;
        for (QDirIterator it(TestEnv::Root(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
            QFile file(it.next());
            QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
            const QByteArray bytes = file.readAll();
            ++files;
            for (const char *clear : {"4000 1234", "97531", "2047", "<cc_month>11", "buyer-pp"})
                QVERIFY2(!bytes.contains(clear), qPrintable(file.fileName() + ": " + clear));
        }
        QVERIFY(files > 3);
    }

    void noOrderWithoutSecureAddress_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("mainInfo");
        QTest::addColumn<QString>("caption");
        QTest::newRow("main info fails") << 5 << QByteArray() << "Cannot retrieve main info";
        QTest::newRow("no ssl host on http") << 0 << QByteArray("<ssl_host></ssl_host>") << "Cannot send the purchase order";
    }
    void noOrderWithoutSecureAddress()
    {
        QFETCH(int, code);
        QFETCH(QByteArray, mainInfo);
        QFETCH(QString, caption);
        OrderPageFixture f;
        f.server.Script("getMainInfo", Answer(code, mainInfo, "Server is busy"));
        NewOrderDlg dlg(&f.host, "quote", "QT-1");
        dlg.show();
        dlg.SubmitOrder(Fields());
        QCOMPARE(f.Posts("newOrder"), 0);
        QVERIFY(dlg.isVisible());
        QCOMPARE(f.t.dialogs.log.Count("MessageBox|"), 1);
        QVERIFY(f.t.dialogs.log.Calls().constFirst().contains("|" + caption + "|"));
        QCOMPARE(f.Count("SELECT COUNT(*) FROM Orders"), 0);
        QCOMPARE(f.QuoteStatus(), QString("Read|1"));
    }

    void refusedOrderStoresNothing()
    {
        OrderPageFixture f;
        f.server.Script("newOrder", Answer(7, {}, "Card declined"));
        NewOrderDlg dlg(&f.host, "quote", "QT-1");
        dlg.show();
        dlg.SubmitOrder(Fields());
        QCOMPARE(f.Posts("newOrder"), 1);
        QCOMPARE(f.t.dialogs.log.Count("MessageBox|Card declined|Cannot send the purchase order"), 1);
        QCOMPARE(f.Count("SELECT COUNT(*) FROM Orders"), 0);
        QCOMPARE(f.QuoteStatus(), QString("Read|1"));
        QVERIFY(dlg.isVisible());
    }
};

KORVANT_WEB_TEST_MAIN(WebNewOrder)
#include "web_neworder.moc"
