#pragma once

// The payment-plan notice: a text, "Choose Payment Plan" and "Cancel".

#include <QDialog>

class PayMessageDlg : public QDialog
{
    Q_OBJECT
public:
    PayMessageDlg(const QString &caption, const QString &text, QWidget *parent = nullptr);
    // 1 for "Choose Payment Plan", 2 for Cancel, Esc or close.
    int DoModal();
};
