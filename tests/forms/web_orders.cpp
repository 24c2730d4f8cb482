// The seller's order forms over a real web engine: the update's totals,
// what is sent and stored, and printing to a PDF file.

#include "OrderFixture.h"

#include "browser/CWebBrowser2.h"
#include "forms/OrderUpdateDlg.h"
#include "forms/PrintOrderDlg.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>

namespace {

// Prints to a PDF file in place of asking for a printer.
class PdfPrintOrderDlg : public PrintOrderDlg
{
public:
    PdfPrintOrderDlg(const QString &id, QString file) : PrintOrderDlg(id), m_file(std::move(file)) {}

protected:
    bool ChoosePrinter(QPrinter &printer) override
    {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_file);
        return true;
    }

private:
    QString m_file;
};

void ClickOk(QDialog &dlg)
{
    QTest::mouseClick(dlg.findChild<QPushButton *>("okButton"), Qt::LeftButton);
}

} // namespace

class WebOrders : public QObject
{
    Q_OBJECT
private slots:
    void totals_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("total");
        QTest::newRow("discount") << "-10" << "90.00";
        QTest::newRow("surcharge") << "2.5" << "102.50";
        QTest::newRow("not a number") << "abc" << "100.00";
    }
    void totals()
    {
        QFETCH(QString, typed);
        QFETCH(QString, total);
        WebFormsFixture f;
        f.AddOrder("O-1");
        OrderUpdateDlg dlg(&f.host, "O-1");
        dlg.show();
        auto *adjustment = dlg.findChild<QLineEdit *>("adjustmentEdit");
        adjustment->selectAll();
        QTest::keyClicks(adjustment, typed);
        QCOMPARE(dlg.findChild<QLineEdit *>("totalEdit")->text(), total);
    }

    void withoutNotifyNothingIsSent()
    {
        WebFormsFixture f;
        f.AddOrder("O-1");
        OrderUpdateDlg dlg(&f.host, "O-1");
        dlg.show();
        QTest::keyClicks(dlg.findChild<QLineEdit *>("invoiceEdit"), "INV-7");
        QTest::mouseClick(dlg.findChild<QCheckBox *>("notifyCheck"), Qt::LeftButton);
        ClickOk(dlg);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(f.Posts("newOrderUpdate"), 0);
        QCOMPARE(f.Text("SELECT U_INVOICE_NUM || '|' || IS_UPDATED || '|' || STATUS_CODE FROM Orders WHERE ID = 'O-1'"),
                 QString("INV-7|1|5"));
        QVERIFY(!f.Text("SELECT U_UPDATE_TIME FROM Orders WHERE ID = 'O-1'").isEmpty());
        QVERIFY(f.host.log.Calls().contains("RefreshOrders"));
    }

    void failedNotifyStoresNothing()
    {
        WebFormsFixture f;
        f.server.Script("newOrderUpdate", Answer(5, {}, "Order is closed"));
        f.AddOrder("O-1");
        OrderUpdateDlg dlg(&f.host, "O-1");
        dlg.show();
        QTest::keyClicks(dlg.findChild<QLineEdit *>("invoiceEdit"), "INV-7");
        ClickOk(dlg);
        QCOMPARE(f.Posts("newOrderUpdate"), 1);
        QVERIFY(dlg.isVisible());
        QCOMPARE(f.t.dialogs.log.Count("MessageBox|Order is closed|Cannot update the order"), 1);
        QCOMPARE(f.Text("SELECT IFNULL(U_INVOICE_NUM, '') || '|' || IS_UPDATED || '|' || STATUS_CODE FROM Orders"),
                 QString("|0|1"));
    }

    // Of two orders only the updated one is completed, with the server's time.
    void notifiedUpdateCompletesOnlyItsOrder()
    {
        WebFormsFixture f;
        f.server.Script("newOrderUpdate", Answer(0, "<create_time>2009-05-06 07:08:09</create_time>"));
        f.AddOrder("O-1");
        f.AddOrder("O-2");
        OrderUpdateDlg dlg(&f.host, "O-2");
        dlg.show();
        auto *adjustment = dlg.findChild<QLineEdit *>("adjustmentEdit");
        adjustment->selectAll();
        QTest::keyClicks(adjustment, "-10");
        ClickOk(dlg);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        const QByteArray body = f.LastBody("newOrderUpdate");
        QVERIFY2(body.contains("<order_id>O-2</order_id>") && body.contains("<total>90"), body.constData());
        QCOMPARE(f.Count("SELECT COUNT(*) FROM Orders WHERE STATUS_CODE = 5"), 1);
        QCOMPARE(f.Text("SELECT STATUS || '|' || U_TOTAL_PRICE || '|' || U_UPDATE_TIME FROM Orders WHERE ID = 'O-2'"),
                 QString("Completed|90.0|2009-05-06 07:08:09"));
        QCOMPARE(f.Text("SELECT STATUS FROM Orders WHERE ID = 'O-1'"), QString("Read"));
    }

    // The buyer's contact arriving reads the order again: the form shows the stored update.
    void contactArrivalReloadsTheOrder()
    {
        WebFormsFixture f;
        f.AddOrder("O-1");
        theDatabase().Execute("UPDATE Orders SET IS_UPDATED = 1, U_INVOICE_NUM = 'INV-1', U_ADJUSTMENT = 5");
        OrderUpdateDlg dlg(&f.host, "O-1");
        dlg.show();
        auto *invoice = dlg.findChild<QLineEdit *>("invoiceEdit");
        invoice->selectAll();
        QTest::keyClicks(invoice, "typed");
        theDatabase().Execute("UPDATE Orders SET TOTAL_PRICE = 120");
        dlg.Browser()->NotifyGetContact();
        QCOMPARE(invoice->text(), QString("INV-1"));
        QCOMPARE(dlg.findChild<QLineEdit *>("totalEdit")->text(), QString("125.00"));
    }

    void printsToPdf()
    {
        WebFormsFixture f;
        f.AddOrder("O-1");
        QTemporaryDir dir;
        const QString pdf = dir.filePath("order.pdf");
        PdfPrintOrderDlg dlg("O-1", pdf);
        dlg.show();
        bool previewed = false;
        WhenChildShown(&dlg, "BrowserDlg", [&previewed](QDialog *preview) {
            previewed = true;
            QTimer::singleShot(300, preview, &QDialog::reject);
        });
        QTest::mouseClick(dlg.findChild<QPushButton *>("printOrderButton"), Qt::LeftButton);
        QVERIFY(previewed);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.size() > 1000);
        QCOMPARE(file.read(5), QByteArray("%PDF-"));
    }
};

KORVANT_WEB_TEST_MAIN(WebOrders)
#include "web_orders.moc"
