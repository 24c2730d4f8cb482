#pragma once

// Prints a stored order as a purchase order or as a receipt/label: the page
// is previewed first, then printed to a printer or a PDF file the member
// chooses.

#include <QDialog>

class QPrinter;

class PrintOrderDlg : public QDialog
{
    Q_OBJECT
public:
    enum Kind : int { PurchaseOrder = 1, ReceiptLabel = 2 };

    PrintOrderDlg(const QString &orderId, QWidget *parent = nullptr);
    int DoModal();
    // Preview, then print; false when there was nothing to print or the member stopped.
    bool PrintKind(int kind);

protected:
    // The printer and its destination; false when the member cancelled.
    virtual bool ChoosePrinter(QPrinter &printer);

private:
    QString m_orderId;
};
