#include "LinkMessageDlg.h"

#include "DialogCommon.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

LinkMessageDlg::LinkMessageDlg(const QString &caption, const QString &text, bool yesNo, bool twoButtons,
                               int iconId, QWidget *parent)
    : QDialog(parent), m_yesNo(yesNo), m_twoButtons(twoButtons)
{
    setObjectName(QStringLiteral("LinkMessageDlg"));
    setWindowTitle(DialogCommon::CaptionOrTitle(caption));

    auto *icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("messageIcon"));
    const QIcon standard = DialogCommon::StandardIcon(iconId);
    if (standard.isNull()) {
        icon->hide();
    } else {
        const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
        icon->setPixmap(standard.pixmap(size, size));
    }

    m_text = new QLabel(text, this);
    m_text->setObjectName(QStringLiteral("messageText"));
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_text->setMinimumWidth(m_text->fontMetrics().averageCharWidth() * 48);

    m_link = new LinkLabel(this);
    m_link->setObjectName(QStringLiteral("linkLabel"));
    m_link->hide();

    m_ok = new QPushButton(this);
    m_ok->setObjectName(QStringLiteral("okButton"));
    m_ok->setDefault(true);
    m_second = new QPushButton(this);
    m_second->setObjectName(QStringLiteral("secondButton"));
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_second, &QPushButton::clicked, this, &QDialog::reject);

    auto *top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    auto *texts = new QVBoxLayout;
    texts->addWidget(m_text);
    texts->addWidget(m_link, 0, Qt::AlignLeft);
    top->addLayout(texts, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_second);
    buttons->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void LinkMessageDlg::SetLink(const QString &text, const QString &url)
{
    m_linkText = text;
    m_linkUrl = url;
}

void LinkMessageDlg::Prepare()
{
    const QString accept = m_acceptText.isEmpty() ? QStringLiteral("OK") : m_acceptText;
    if (m_yesNo) {
        m_ok->setText(QStringLiteral("Yes"));
        m_second->setText(QStringLiteral("No"));
        m_second->show();
    } else if (m_twoButtons) {
        m_ok->setText(accept);
        m_second->setText(m_declineText.isEmpty() ? QStringLiteral("Cancel") : m_declineText);
        m_second->show();
    } else {
        m_ok->setText(accept);
        m_second->hide();
    }
    const bool hasLink = !m_linkText.isEmpty() && !m_linkUrl.isEmpty();
    if (hasLink)
        m_link->SetLink(m_linkText, m_linkUrl);
    m_link->setVisible(hasLink);
}

void LinkMessageDlg::showEvent(QShowEvent *event)
{
    Prepare();
    QDialog::showEvent(event);
}

int LinkMessageDlg::DoModal()
{
    return exec() == QDialog::Accepted ? 1 : 2;
}
