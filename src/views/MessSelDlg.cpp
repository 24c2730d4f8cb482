#include "MessSelDlg.h"

#include "XMessageListCtrl.h"

#include "app/Interfaces.h"
#include "dialogs/NodeIds.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

MessSelDlg::MessSelDlg(const QString &contextId, const QString &contextType, IListHost *host, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("MessSelDlg"));
    setWindowTitle(QStringLiteral("Select Message"));
    auto *layout = new QVBoxLayout(this);
    m_list = new XMessageListCtrl(host, this);
    m_list->setObjectName(QStringLiteral("threadList"));
    m_list->SetDialogMode(true);
    m_list->SetFolder(NodeMessages);
    m_list->SetContext(contextId, contextType);
    layout->addWidget(m_list, 1);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &MessSelDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &MessSelDlg::reject);
    connect(m_list, &XMessageListCtrl::rowEntered, this, &MessSelDlg::accept);
    resize(640, 300);
}

void MessSelDlg::SetTitle(const QString &title)
{
    setWindowTitle(title);
}

int MessSelDlg::DoModal()
{
    return exec() == QDialog::Accepted ? MsgBox::IdOk : MsgBox::IdCancel;
}

void MessSelDlg::accept()
{
    m_selectedId = m_list->GetSelectedKey();
    QDialog::accept();
}
