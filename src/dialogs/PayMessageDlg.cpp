#include "PayMessageDlg.h"

#include "DialogCommon.h"

#include "app/Interfaces.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

PayMessageDlg::PayMessageDlg(const QString &caption, const QString &text, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("PayMessageDlg"));
    setWindowTitle(caption);

    auto *icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("messageIcon"));
    const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(DialogCommon::StandardIcon(MsgBox::IconResWarning).pixmap(size, size));

    auto *label = new QLabel(text, this);
    label->setObjectName(QStringLiteral("messageText"));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setMinimumWidth(label->fontMetrics().averageCharWidth() * 48);

    auto *ok = new QPushButton(QStringLiteral("Choose Payment Plan"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addWidget(label, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

int PayMessageDlg::DoModal()
{
    return exec() == QDialog::Accepted ? 1 : 2;
}
