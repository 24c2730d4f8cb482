#include "PrintOrderDlg.h"

#include "OrderPages.h"

#include "app/AppCore.h"
#include "browser/BrowserDlg.h"
#include "browser/HtmlPrinting.h"

#include <QPushButton>
#include <QVBoxLayout>

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
    return HtmlPrinting::Print(
        html, [this](QPrinter &printer) { return ChoosePrinter(printer); }, windowTitle(),
        QStringLiteral("The order could not be printed."));
}

bool PrintOrderDlg::ChoosePrinter(QPrinter &printer)
{
    return HtmlPrinting::AskPrinter(printer, this);
}
