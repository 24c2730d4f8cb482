#include "HotDealPrevDlg.h"

#include "app/AppCore.h"
#include "browser/BrowserDlg.h"
#include "browser/CWebBrowser2.h"
#include "db/TradeXml.h"
#include "db/XHotDealSet.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

QPushButton *Button(QWidget *parent, const QString &text, const char *name)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

} // namespace

HotDealPrevDlg::HotDealPrevDlg(IHotDealCursor &deals, QWidget *parent) : QDialog(parent), m_deals(deals)
{
    setObjectName(QStringLiteral("HotDealPrevDlg"));
    setSizeGripEnabled(true);
    auto *layout = new QVBoxLayout(this);
    m_browser = std::make_unique<CWebBrowser2>(this, QStringLiteral("dealBrowser"));
    layout->addWidget(m_browser->Widget(), 1);
    auto *buttons = new QHBoxLayout;
    m_previous = Button(this, QStringLiteral("Previous"), "previousButton");
    m_next = Button(this, QStringLiteral("Next"), "nextButton");
    m_ask = Button(this, QStringLiteral("Ask a Question"), "askButton");
    m_buy = Button(this, QStringLiteral("Buy it Now"), "buyButton");
    m_contact = Button(this, QStringLiteral("Contact Info"), "contactButton");
    auto *close = Button(this, QStringLiteral("&Close"), "closeButton");
    buttons->addWidget(m_previous);
    buttons->addWidget(m_next);
    buttons->addStretch(1);
    buttons->addWidget(m_ask);
    buttons->addWidget(m_buy);
    buttons->addWidget(m_contact);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(m_previous, &QPushButton::clicked, this, [this] { Step(-1); });
    connect(m_next, &QPushButton::clicked, this, [this] { Step(1); });
    connect(m_ask, &QPushButton::clicked, this, [this] { m_deals.ComposeMessage(2); });
    connect(m_buy, &QPushButton::clicked, this, [this] { m_deals.ComposeMessage(3); });
    connect(m_contact, &QPushButton::clicked, this,
            [this] { BrowserDlg::ShowExtendedProfile(this, m_ownerId, m_ownerName); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    resize(760, 560);
    ShowCurrent();
}

HotDealPrevDlg::~HotDealPrevDlg()
{
    // The view goes before the dialog's children are torn down.
    m_browser.reset();
}

int HotDealPrevDlg::DoModal()
{
    return exec() == QDialog::Accepted ? MsgBox::IdOk : MsgBox::IdCancel;
}

void HotDealPrevDlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_sized) {
        m_sized = true;
        setMinimumSize(size());
    }
}

QString HotDealPrevDlg::Caption(const QString &title, const QString &year, const QString &make, const QString &model)
{
    QStringList given;
    for (const QString &value : {year, make, model}) {
        if (!value.isEmpty() && value.compare(QLatin1String("any"), Qt::CaseInsensitive) != 0)
            given << value;
    }
    QString caption = QStringLiteral("Hot Deal Preview - Product [%1] ").arg(title);
    if (!given.isEmpty())
        caption += u'<' + given.join(QStringLiteral(", ")) + u'>';
    return caption;
}

QString HotDealPrevDlg::DealUrl(const QString &serverWebAddress, const QString &dealId)
{
    return QStringLiteral("%1/hot_deal/%2").arg(serverWebAddress, QString::fromLatin1(QUrl::toPercentEncoding(dealId)));
}

void HotDealPrevDlg::ShowCurrent()
{
    const int row = m_deals.Current();
    XHotDealSet deal;
    const bool found = row >= 0 && deal.SelectById(m_deals.CurrentId());
    const bool incoming = found && deal.GetBool("IS_INCOMING");
    m_ask->setVisible(incoming);
    m_buy->setVisible(incoming);
    m_contact->setVisible(incoming);
    m_previous->setEnabled(row > 0);
    m_next->setEnabled(row >= 0 && row < m_deals.Count() - 1);
    if (!found) {
        setWindowTitle(QStringLiteral("Hot Deal Detail"));
        return;
    }
    m_ownerId = deal.GetText("C_ID");
    m_ownerName = deal.GetText("C_NAME");
    setWindowTitle(Caption(deal.GetText("TITLE"), deal.GetText("YEAR"), deal.GetText("MAKE"), deal.GetText("MODEL")));
    m_browser->ShowHtml(QStringLiteral("<html><body><center><b>Please Wait...</b></center></body></html>"));
    m_browser->Navigate(DealUrl(TradeXml::ServerWebAddress(), deal.GetText("ID")));
}

void HotDealPrevDlg::Step(int delta)
{
    const int row = m_deals.Current() + delta;
    if (m_deals.Current() < 0 || row < 0 || row >= m_deals.Count())
        return;
    m_deals.Select(row);
    ShowCurrent();
}
