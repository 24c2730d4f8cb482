#pragma once

// The program's confirmation box (MessageDlg: Yes/No or OK) and warning box
// (MessageDlg2: Retry/Ignore or OK), both with a "Do not show this message
// again." check box bound to the caller's show flag. The boxes size to their
// text through their layouts.

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

class FlagMessageBox : public QDialog
{
    Q_OBJECT
public:
    // Runs the box modally: 1 (OK, Yes, Retry) or 2 (No, Ignore, Esc, close).
    int DoModal();

protected:
    // caption: empty shows the application's title. flag: the caller's "show
    // this message" value; null hides the check box. twoButtons: the two
    // captions below, else one centred "OK".
    FlagMessageBox(const QString &caption, const QString &text, int *flag, bool twoButtons, int iconId,
                   const QString &firstText, const QString &secondText, bool storeOnDecline, QWidget *parent);

    void accept() override;
    void reject() override;

private:
    void StoreFlag();

    int *m_flag;
    bool m_storeOnDecline;
    QLabel *m_icon;
    QLabel *m_text;
    QCheckBox *m_dontShow;
    QPushButton *m_ok;
    QPushButton *m_second;
};

// OK/Yes stores 1 into the flag when the check box is clear and 0 when it is
// ticked, then saves the settings; No/Esc/close leaves the flag alone.
class MessageDlg : public FlagMessageBox
{
    Q_OBJECT
public:
    MessageDlg(const QString &caption, const QString &text, int *flag, bool yesNo, int iconId,
               QWidget *parent = nullptr);
};

// Either way out stores the flag as above and saves the settings.
class MessageDlg2 : public FlagMessageBox
{
    Q_OBJECT
public:
    MessageDlg2(const QString &caption, const QString &text, int *flag, bool retryIgnore, int iconId,
                QWidget *parent = nullptr);
};
