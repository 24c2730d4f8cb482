#pragma once

// A question box with an optional link and buttons the caller may rename
// (the version check's "Update Now" / "Update Later").

#include <QDialog>

class LinkLabel;
class QLabel;
class QPushButton;

class LinkMessageDlg : public QDialog
{
    Q_OBJECT
public:
    // yesNo: "Yes" and "No"; else twoButtons: the accept and decline texts
    // ("OK" and "Cancel" when empty); else one centred button with the accept text.
    LinkMessageDlg(const QString &caption, const QString &text, bool yesNo, bool twoButtons, int iconId,
                   QWidget *parent = nullptr);

    // The link shows only when both its text and its address are given.
    void SetLink(const QString &text, const QString &url);
    void SetAcceptText(const QString &text) { m_acceptText = text; }
    void SetDeclineText(const QString &text) { m_declineText = text; }

    // 1 for the first button, 2 for the second, Esc or close.
    int DoModal();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void Prepare();

    bool m_yesNo;
    bool m_twoButtons;
    QString m_linkText;
    QString m_linkUrl;
    QString m_acceptText;
    QString m_declineText;
    QLabel *m_text;
    LinkLabel *m_link;
    QPushButton *m_ok;
    QPushButton *m_second;
};
