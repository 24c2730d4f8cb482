#include "FormDialog.h"

#include "FormPlacement.h"

#include "app/Interfaces.h"

#include <QComboBox>

FormDialog::FormDialog(QWidget *parent, const QString &name, const QString &title) : QDialog(parent)
{
    setObjectName(name);
    setWindowTitle(title);
}

void FormDialog::Place(const QString &key)
{
    m_placement = new FormPlacement(this, key);
}

int FormDialog::DoModal()
{
    return exec() == QDialog::Accepted ? MsgBox::IdOk : MsgBox::IdCancel;
}

void FormDialog::ClearCombos()
{
    for (QComboBox *box : findChildren<QComboBox *>())
        box->clear();
}

void FormDialog::showEvent(QShowEvent *event)
{
    if (!m_initialised) {
        OnInitDialog();
        m_placement->Apply();
    }
    QDialog::showEvent(event);
}
