#include "LoginDlg.h"

#include "DataExchange.h"
#include "DialogCommon.h"

#include "app/AppCore.h"
#include "app/XSettings.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

QString ForgotPasswordUrl()
{
    QString server;
    if (XSettings *settings = theSettingsIfAny())
        server = settings->GetString(Setting::ServerURL);
    return QStringLiteral("%1/%2").arg(server, QStringLiteral("forgot_password.html"));
}

// --- CLoginDlg ----------------------------------------------------------------------

CLoginDlg::CLoginDlg(int mode, QWidget *parent) : QDialog(parent), m_mode(mode)
{
    setObjectName(QStringLiteral("CLoginDlg"));
    setWindowTitle(QStringLiteral("%1 Login").arg(DialogCommon::AppTitle()));

    m_status = new QLabel(QStringLiteral("Authorization required."), this);
    m_status->setObjectName(QStringLiteral("statusText"));
    m_status->setTextFormat(Qt::PlainText);

    m_passport = new QLabel(this);
    m_passport->setObjectName(QStringLiteral("passportId"));
    m_passport->setTextFormat(Qt::PlainText);
    m_passport->setTextInteractionFlags(Qt::TextSelectableByMouse);
    if (AppCore *app = theAppIfAny())
        m_passport->setText(app->GetSession().PassportId());

    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("passwordEdit"));
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setMaxLength(16);

    m_autoLogin = new QCheckBox(QStringLiteral("Next time login automatically"), this);
    m_autoLogin->setObjectName(QStringLiteral("autoLoginCheck"));

    m_forgot = new LinkLabel(this);
    m_forgot->setObjectName(QStringLiteral("forgotLink"));
    m_forgot->SetLink(QStringLiteral("Forgot Password?"), ForgotPasswordUrl());
    m_forgot->setToolTip(QStringLiteral("Click Here to retrieve the password"));

    m_login = new QPushButton(QStringLiteral("&Login"), this);
    m_login->setObjectName(QStringLiteral("loginButton"));
    m_login->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    connect(m_login, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Passport ID:"), m_passport);
    form->addRow(QStringLiteral("Password:"), m_password);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_forgot, 0, Qt::AlignVCenter);
    buttons->addStretch(1);
    buttons->addWidget(m_login);
    buttons->addWidget(m_cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_status);
    layout->addLayout(form);
    layout->addWidget(m_autoLogin);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_password->setFocus();
}

int CLoginDlg::DoModal()
{
    return exec() == QDialog::Accepted ? 1 : 2;
}

void CLoginDlg::accept()
{
    DataExchange dx(this, true);
    const QString typed = m_password->text();
    if (!DDV_MustBeEntered(dx, QStringLiteral("Password"), typed, m_password))
        return;

    AppCore &app = theApp();
    Session &session = app.GetSession();
    const QString previous = session.Password();
    session.SetPassword(typed);
    m_status->setText(QStringLiteral("Authorization in process..."));

    // The login may show its own boxes; no second press meanwhile.
    m_login->setEnabled(false);
    m_cancel->setEnabled(false);
    const bool ok = app.DoLogin();
    m_login->setEnabled(true);
    m_cancel->setEnabled(true);

    if (!ok) {
        m_status->setText(QStringLiteral("Please provide your credentials."));
        session.SetPassword(previous);
        m_password->setFocus();
        return;
    }
    if (XSettings *settings = theSettingsIfAny()) {
        if (m_autoLogin->isChecked())
            settings->SetString(Setting::Password, typed);
        settings->SetInt(Setting::AutoLogin, m_autoLogin->isChecked() ? 1 : 0);
        settings->Save();
    }
    QDialog::accept();
}

// --- RetrProfileDlg ------------------------------------------------------------------

RetrProfileDlg::RetrProfileDlg(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("RetrProfileDlg"));
    setWindowTitle(QStringLiteral("Retrieve My Profile"));

    auto *label = new QLabel(QStringLiteral("Please input your Passport ID"), this);
    m_passport = new QLineEdit(this);
    m_passport->setObjectName(QStringLiteral("passportEdit"));
    label->setBuddy(m_passport);

    m_forgot = new LinkLabel(this);
    m_forgot->setObjectName(QStringLiteral("forgotLink"));
    m_forgot->SetLink(QStringLiteral("Forgot Passport ID?"), ForgotPasswordUrl());
    m_forgot->setToolTip(QStringLiteral("Click Here to retrieve the Passport ID"));

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_forgot, 0, Qt::AlignVCenter);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_passport);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_passport->setMinimumWidth(m_passport->fontMetrics().averageCharWidth() * 32);
}

int RetrProfileDlg::DoModal()
{
    return exec() == QDialog::Accepted ? 1 : 2;
}

void RetrProfileDlg::accept()
{
    const QString id = m_passport->text().trimmed();
    if (id.isEmpty()) {
        QMessageBox box(QMessageBox::Warning, DialogCommon::AppTitle(), QStringLiteral("Passport ID must be entered."),
                        QMessageBox::Ok, this);
        box.setObjectName(QStringLiteral("passportRequiredBox"));
        box.exec();
        m_passport->setFocus();
        return;
    }
    theApp().GetSession().SetPassportId(id);
    QDialog::accept();
}
