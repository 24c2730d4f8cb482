#pragma once

// The notice shown when the server refuses a submit that the member's
// subscription does not cover. It only reports the choice; the caller opens
// the matching page.

#include <QDialog>

class QLabel;
class QPushButton;

class SubscribeMsgDlg : public QDialog
{
    Q_OBJECT
public:
    enum Choice { None = -1, Subscribe = 0, BuyPasses = 1, RemainVisitor = 2 };

    explicit SubscribeMsgDlg(QWidget *parent = nullptr);

    void SetMessage(const QString &text);
    // Set for result code 112: "Buy Tradewick Passes" is not offered.
    void SetDisableBuyPasses(bool disable);
    int GetChoice() const { return m_choice; }
    // Runs the dialog and returns the choice.
    int DoModal();

    void accept() override;
    void reject() override;

private:
    int m_choice = None;
    QLabel *m_text;
    QPushButton *m_buyPasses;
};
