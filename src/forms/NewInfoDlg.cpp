#include "NewInfoDlg.h"

#include "app/Interfaces.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

QString NewInfoDlg::LineFor(const NewInfoItem &item)
{
    if (item.marketMode == 0 || item.marketMode == 1)
        return QStringLiteral("%1: %2  (%3)")
            .arg(item.marketMode == 1 ? QStringLiteral("Cars") : QStringLiteral("Parts"), item.caption)
            .arg(item.count);
    return QStringLiteral("%1  (%2)").arg(item.caption).arg(item.count);
}

NewInfoDlg::NewInfoDlg(IFormHost *host, QWidget *parent) : QDialog(parent), m_host(host)
{
    setObjectName(QStringLiteral("NewInfoDlg"));
    setWindowTitle(QStringLiteral("New Incoming Information"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Select the desired category and click on the Go To button."), this));
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("newInfoList"));
    layout->addWidget(m_list);
    auto *buttons = new QHBoxLayout;
    m_goTo = new QPushButton(QStringLiteral("&Go To"), this);
    m_goTo->setObjectName(QStringLiteral("goToButton"));
    m_goTo->setDefault(true);
    auto *options = new QPushButton(QStringLiteral("&Options"), this);
    options->setObjectName(QStringLiteral("optionsButton"));
    auto *close = new QPushButton(QStringLiteral("&Close"), this);
    close->setObjectName(QStringLiteral("closeButton"));
    buttons->addWidget(m_goTo);
    buttons->addWidget(options);
    buttons->addStretch(1);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(m_goTo, &QPushButton::clicked, this, &NewInfoDlg::accept);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &NewInfoDlg::accept);
    connect(close, &QPushButton::clicked, this, &NewInfoDlg::reject);
    connect(options, &QPushButton::clicked, this, [this] {
        if (m_host)
            m_host->OptionsPropSheet(3);
        Rebuild();
    });
    resize(360, 260);
    Rebuild();
}

void NewInfoDlg::Rebuild()
{
    m_items = m_host ? m_host->NewInfoItems() : QList<NewInfoItem>{};
    m_list->clear();
    for (int i = 0; i < m_items.size(); ++i) {
        auto *row = new QListWidgetItem(LineFor(m_items[i]), m_list);
        row->setData(Qt::UserRole, i);
    }
    if (!m_items.isEmpty())
        m_list->setCurrentRow(0);
    m_goTo->setEnabled(!m_items.isEmpty());
}

int NewInfoDlg::DoModal()
{
    return exec() == QDialog::Accepted ? MsgBox::IdOk : MsgBox::IdCancel;
}

void NewInfoDlg::accept()
{
    const QListWidgetItem *row = m_list->currentItem();
    if (row && m_host) {
        const NewInfoItem item = m_items.value(row->data(Qt::UserRole).toInt());
        if (item.marketMode == 0)
            m_host->SwitchToParts();
        else if (item.marketMode == 1)
            m_host->SwitchToCars();
        m_host->SelectNavigatorItem(item.nodeId);
    }
    QDialog::accept();
}
