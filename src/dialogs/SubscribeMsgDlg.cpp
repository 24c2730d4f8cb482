#include "SubscribeMsgDlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

SubscribeMsgDlg::SubscribeMsgDlg(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("SubscribeMsgDlg"));
    setWindowTitle(QStringLiteral("Service Interruption"));

    // The text comes from the server: shown as plain text, never as markup.
    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("messageText"));
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_text->setMinimumWidth(m_text->fontMetrics().averageCharWidth() * 56);

    auto *subscribe = new QPushButton(QStringLiteral("Subscribe"), this);
    subscribe->setObjectName(QStringLiteral("subscribeButton"));
    subscribe->setDefault(true);
    m_buyPasses = new QPushButton(QStringLiteral("Buy Tradewick Passes"), this);
    m_buyPasses->setObjectName(QStringLiteral("buyPassesButton"));
    auto *visitor = new QPushButton(QStringLiteral("Remain A Visitor"), this);
    visitor->setObjectName(QStringLiteral("visitorButton"));
    connect(subscribe, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_buyPasses, &QPushButton::clicked, this, [this] {
        m_choice = BuyPasses;
        QDialog::accept();
    });
    connect(visitor, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(subscribe);
    buttons->addWidget(m_buyPasses);
    buttons->addWidget(visitor);
    buttons->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void SubscribeMsgDlg::SetMessage(const QString &text)
{
    m_text->setText(text);
}

void SubscribeMsgDlg::SetDisableBuyPasses(bool disable)
{
    m_buyPasses->setEnabled(!disable);
}

int SubscribeMsgDlg::DoModal()
{
    exec();
    return m_choice;
}

void SubscribeMsgDlg::accept()
{
    m_choice = Subscribe;
    QDialog::accept();
}

void SubscribeMsgDlg::reject()
{
    m_choice = RemainVisitor;
    QDialog::reject();
}
