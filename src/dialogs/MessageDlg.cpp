#include "MessageDlg.h"

#include "DialogCommon.h"

#include "app/XSettings.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

FlagMessageBox::FlagMessageBox(const QString &caption, const QString &text, int *flag, bool twoButtons, int iconId,
                               const QString &firstText, const QString &secondText, bool storeOnDecline,
                               QWidget *parent)
    : QDialog(parent), m_flag(flag), m_storeOnDecline(storeOnDecline)
{
    setWindowTitle(DialogCommon::CaptionOrTitle(caption));

    m_icon = new QLabel(this);
    m_icon->setObjectName(QStringLiteral("messageIcon"));
    const QIcon icon = DialogCommon::StandardIcon(iconId);
    if (icon.isNull()) {
        m_icon->hide();
    } else {
        const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
        m_icon->setPixmap(icon.pixmap(size, size));
    }
    m_icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    m_text = new QLabel(text, this);
    m_text->setObjectName(QStringLiteral("messageText"));
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A resting width of about one sentence; longer texts grow the box downwards.
    m_text->setMinimumWidth(m_text->fontMetrics().averageCharWidth() * 48);
    m_text->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_dontShow = new QCheckBox(QStringLiteral("Do not show this message again."), this);
    m_dontShow->setObjectName(QStringLiteral("dontShowAgain"));
    // Nothing to bind the choice to: the box is shown without it.
    m_dontShow->setVisible(m_flag != nullptr);

    m_ok = new QPushButton(twoButtons ? firstText : QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("okButton"));
    m_ok->setDefault(true);
    m_second = new QPushButton(secondText, this);
    m_second->setObjectName(QStringLiteral("secondButton"));
    m_second->setVisible(twoButtons);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_second, &QPushButton::clicked, this, &QDialog::reject);

    auto *top = new QHBoxLayout;
    top->addWidget(m_icon, 0, Qt::AlignTop);
    top->addWidget(m_text, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_second);
    buttons->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_dontShow);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

int FlagMessageBox::DoModal()
{
    return exec() == QDialog::Accepted ? 1 : 2;
}

void FlagMessageBox::StoreFlag()
{
    if (!m_flag)
        return;
    *m_flag = m_dontShow->isChecked() ? 0 : 1;
    if (XSettings *settings = theSettingsIfAny())
        settings->Save();
}

void FlagMessageBox::accept()
{
    StoreFlag();
    QDialog::accept();
}

void FlagMessageBox::reject()
{
    if (m_storeOnDecline)
        StoreFlag();
    QDialog::reject();
}

MessageDlg::MessageDlg(const QString &caption, const QString &text, int *flag, bool yesNo, int iconId,
                       QWidget *parent)
    : FlagMessageBox(caption, text, flag, yesNo, iconId, QStringLiteral("Yes"), QStringLiteral("No"), false, parent)
{
    setObjectName(QStringLiteral("MessageDlg"));
}

MessageDlg2::MessageDlg2(const QString &caption, const QString &text, int *flag, bool retryIgnore, int iconId,
                         QWidget *parent)
    : FlagMessageBox(caption, text, flag, retryIgnore, iconId, QStringLiteral("Retry"), QStringLiteral("Ignore"),
                     true, parent)
{
    setObjectName(QStringLiteral("MessageDlg2"));
}
