#include "PrintOrderDlg.h"

#include "OrderPages.h"

#include "app/AppCore.h"
#include "browser/BrowserDlg.h"
#include "browser/CWebBrowser2.h"

#include <QEventLoop>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {

// The engine loads and prints asynchronously; the dialog waits for it.
constexpr int PrintTimeoutMs = 60000;

// Runs the loop until the engine reports or the time runs out.
bool Wait(QEventLoop &loop, const bool &done)
{
    QTimer::singleShot(PrintTimeoutMs, &loop, &QEventLoop::quit);
    if (!done)
        loop.exec();
    return done;
}

} // namespace

PrintOrderDlg::PrintOrderDlg(const QString &orderId, QWidget *parent) : QDialog(parent), m_orderId(orderId)
{
    setObjectName(QStringLiteral("PrintOrderDlg"));
    setWindowTitle(QStringLiteral("Print PO"));
    auto *layout = new QVBoxLayout(this);
    auto *order = new QPushButton(QStringLiteral("Print &Purchase Order"), this);
    order->setObjectName(QStringLiteral("printOrderButton"));
    auto *receipt = new QPushButton(QStringLiteral("Print &receipt/Label"), this);
    receipt->setObjectName(QStringLiteral("printReceiptButton"));
    auto *cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    layout->addWidget(order);
    layout->addWidget(receipt);
    layout->addWidget(cancel);
    connect(order, &QPushButton::clicked, this, [this] {
        if (PrintKind(PurchaseOrder))
            accept();
    });
    connect(receipt, &QPushButton::clicked, this, [this] {
        if (PrintKind(ReceiptLabel))
            accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

int PrintOrderDlg::DoModal()
{
    return exec() == QDialog::Accepted ? MsgBox::IdOk : MsgBox::IdCancel;
}

bool PrintOrderDlg::PrintKind(int kind)
{
    const QString html = OrderPages::OrderHtml(m_orderId, kind);
    if (html.isEmpty())
        return false;
    {
        BrowserDlg preview(this);
        preview.SetTitle(windowTitle());
        preview.SetResizable(true);
        preview.SetHTML(html);
        preview.exec();
    }
    QPrinter printer(QPrinter::HighResolution);
    if (!ChoosePrinter(printer))
        return false;
    if (!PrintHtml(html, printer)) {
        theApp().ShowMessageBox(QStringLiteral("The order could not be printed."), windowTitle(), MsgBox::IconError);
        return false;
    }
    return true;
}

bool PrintOrderDlg::ChoosePrinter(QPrinter &printer)
{
    QPrintDialog dialog(&printer, this);
    return dialog.exec() == QDialog::Accepted;
}

bool PrintOrderDlg::PrintHtml(const QString &html, QPrinter &printer)
{
    // A hidden view of its own: the preview's is gone by now.
    CWebBrowser2 browser(nullptr, QStringLiteral("BrowserWindow"));
    bool done = false;
    bool ok = false;
    {
        QEventLoop loop;
        QObject::connect(browser.Page(), &QWebEnginePage::loadFinished, &loop, [&](bool success) {
            done = true;
            ok = success;
            loop.quit();
        });
        browser.ShowHtml(html);
        if (!Wait(loop, done) || !ok)
            return false;
    }
    done = false;
    QEventLoop loop;
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
        QObject::connect(browser.Page(), &QWebEnginePage::pdfPrintingFinished, &loop,
                         [&](const QString &, bool success) {
                             done = true;
                             ok = success;
                             loop.quit();
                         });
        browser.Page()->printToPdf(printer.outputFileName(), printer.pageLayout());
    } else {
        QObject::connect(browser.View(), &QWebEngineView::printFinished, &loop, [&](bool success) {
            done = true;
            ok = success;
            loop.quit();
        });
        browser.View()->print(&printer);
    }
    return Wait(loop, done) && ok;
}
