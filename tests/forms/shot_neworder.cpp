// Under a real display (xvfb-run): the purchase order form as the web engine
// renders it for a received quote, saved to the build's screenshots folder
// and checked not to be blank.

#include "OrderFixture.h"
#include "../browser/WebTestUtil.h"

#include "browser/CWebBrowser2.h"
#include "forms/NewOrderDlg.h"

#include <QDir>
#include <QSet>

class ShotNewOrder : public QObject
{
    Q_OBJECT
private slots:
    void orderForm()
    {
        WebFormsFixture f;
        theDatabase().Execute(
            "INSERT INTO Quotes (ID, QUERY_ID, IS_INCOMING, C_ID, C_NAME, C_PHONE, STATUS, STATUS_CODE, P_NAME, P_NUMBER, "
            "P_QUANTITY, P_PRICE, P_SHIPPING, P_CORE_DEPOSIT, P_TYPE, V_MAKE, V_MODEL, V_YEAR, P_NOTES) VALUES "
            "('QT-1', 'Q-1', 1, 'P2000', 'Sam Seller', '555-0100', 'Read', 1, 'Alternator', 'STK-9', 2, 10, 5, 3, "
            "'Used', 'Ford', 'Focus', '2004', 'Tested, 90 day warranty')");
        NewOrderDlg dlg(&f.host, "quote", "QT-1");
        dlg.resize(900, 760);
        QVERIFY(WebTest::WaitLoaded(dlg.Browser(), [&] { dlg.show(); }));
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        // The payment part of the form, with a card number typed.
        WebTest::Eval(dlg.Browser(), "document.getElementById('cc_number').value = '4111 1111 1111 1111';"
                                     "document.getElementById('order').scrollIntoView(); 1");
        QTest::qWait(500);
        QVERIFY(WebTest::Eval(dlg.Browser(), "document.body.innerText.indexOf('$28.00') >= 0").toBool());

        const QImage image = dlg.grab().toImage();
        QDir().mkpath(QStringLiteral(KORVANT_SCREENSHOT_DIR));
        QVERIFY(image.save(QStringLiteral(KORVANT_SCREENSHOT_DIR "/neworder.png")));
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 4)
            for (int x = 0; x < image.width(); x += 4)
                colours.insert(image.pixel(x, y));
        QVERIFY2(colours.size() > 10, qPrintable(QStringLiteral("%1 colours").arg(colours.size())));
    }
};

KORVANT_WEB_TEST_MAIN(ShotNewOrder)
#include "shot_neworder.moc"
