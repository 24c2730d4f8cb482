#include "BrowserDlg.h"

#include "CWebBrowser2.h"

#include "db/TradeXml.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

BrowserDlg::BrowserDlg(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("BrowserDlg"));
    setWindowIcon(QIcon());
    auto *layout = new QVBoxLayout(this);
    m_browser = std::make_unique<CWebBrowser2>(this, QStringLiteral("browser"));
    layout->addWidget(m_browser->Widget(), 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_close = new QPushButton(QStringLiteral("&Close"), this);
    m_close->setObjectName(QStringLiteral("close"));
    m_close->setAutoDefault(false);
    connect(m_close, &QPushButton::clicked, this, &BrowserDlg::reject);
    buttons->addWidget(m_close);
    layout->addLayout(buttons);
    resize(720, 540);
}

BrowserDlg::~BrowserDlg()
{
    // The view goes before the dialog's children are torn down.
    m_browser.reset();
}

void BrowserDlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_started)
        return;
    m_started = true;
    setWindowTitle(m_title);
    if (!m_resizable)
        setFixedSize(size());
    if (!m_url.isEmpty())
        m_browser->Navigate(m_url);
    else if (!m_html.isEmpty())
        m_browser->ShowHtml(m_html);
}

void BrowserDlg::accept()
{
    m_cancelled = false;
    QDialog::accept();
}

void BrowserDlg::reject()
{
    m_cancelled = true;
    QDialog::reject();
}

QString BrowserDlg::ExtendedProfileTitle(const QString &name)
{
    const QString title = QStringLiteral("Extended Profile");
    return name.isEmpty() ? title : title + QStringLiteral(" of %1").arg(name);
}

QString BrowserDlg::ExtendedProfileUrl(const QString &serverWebAddress, const QString &passportId)
{
    return QStringLiteral("%1/topic_alien/?owner_id=%2")
        .arg(serverWebAddress, QString::fromLatin1(QUrl::toPercentEncoding(passportId)));
}

void BrowserDlg::ShowExtendedProfile(QWidget *parent, const QString &passportId, const QString &name)
{
    BrowserDlg dlg(parent);
    dlg.SetTitle(ExtendedProfileTitle(name));
    dlg.SetURL(ExtendedProfileUrl(TradeXml::ServerWebAddress(), passportId));
    dlg.exec();
}
