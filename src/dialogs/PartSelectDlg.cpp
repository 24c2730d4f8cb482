#include "PartSelectDlg.h"

#include "net/ItemSink.h"
#include "net/XMetaData.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

int PartSelectDlg::MatchPrefix(const QStringList &names, const QString &typed)
{
    if (typed.isEmpty())
        return -1;
    for (int i = 0; i < names.size(); ++i) {
        if (names[i].startsWith(typed, Qt::CaseInsensitive))
            return i;
    }
    return -1;
}

PartSelectDlg::Choice PartSelectDlg::Choose(const QStringList &names, const QString &typed, int selected)
{
    if (!typed.isEmpty() && MatchPrefix(names, typed) < 0)
        return {typed, -1};
    if (!names.isEmpty() && selected >= 0 && selected < names.size())
        return {names[selected], selected};
    return {};
}

PartSelectDlg::PartSelectDlg(int categoryId, int preselect, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Select Part"));
    ItemList names;
    if (XMetaData *meta = Globals::As<XMetaData>(GlobalSlot::Meta))
        meta->FillDependentList(names, 3, categoryId > 0 ? categoryId : -1);
    m_names = names.Texts();

    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(QStringLiteral("Type Part Name"), this);
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("partNameEdit"));
    label->setBuddy(m_edit);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("partNameList"));
    m_list->addItems(m_names);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(label);
    layout->addWidget(m_edit);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    resize(320, 400);

    if (!m_names.isEmpty())
        m_list->setCurrentRow(preselect >= 0 && preselect < m_names.size() ? preselect : 0);
    connect(m_edit, &QLineEdit::textEdited, this, [this](const QString &text) {
        const int row = MatchPrefix(m_names, text);
        if (row >= 0)
            m_list->setCurrentRow(row);
    });
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { accept(); });
    connect(buttons, &QDialogButtonBox::accepted, this, &PartSelectDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PartSelectDlg::reject);
    m_edit->setFocus();
}

void PartSelectDlg::accept()
{
    m_choice = Choose(m_names, m_edit->text(), m_list->currentRow());
    QDialog::accept();
}
