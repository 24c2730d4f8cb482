#pragma once

// The login dialog (the password for the passport id the program knows) and
// the dialog that asks for a passport id to load an existing profile. Both
// work on the application's session; the login itself runs through the
// installed login hook (theApp().DoLogin()).

#include <QDialog>

class LinkLabel;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class CLoginDlg : public QDialog
{
    Q_OBJECT
public:
    // mode: 1 at start-up, 2 after a failed or impossible automatic login.
    explicit CLoginDlg(int mode, QWidget *parent = nullptr);

    int Mode() const { return m_mode; }
    // 1 after a successful login, 2 when the member gives up.
    int DoModal();

    void accept() override;

private:
    int m_mode;
    QLabel *m_status;
    QLabel *m_passport;
    QLineEdit *m_password;
    QCheckBox *m_autoLogin;
    LinkLabel *m_forgot;
    QPushButton *m_login;
    QPushButton *m_cancel;
};

class RetrProfileDlg : public QDialog
{
    Q_OBJECT
public:
    explicit RetrProfileDlg(QWidget *parent = nullptr);
    // 1 when a passport id was entered (it is then the session's), else 2.
    int DoModal();

    void accept() override;

private:
    QLineEdit *m_passport;
    LinkLabel *m_forgot;
};

// "<ServerURL>/forgot_password.html", the page of both forgot links.
QString ForgotPasswordUrl();
