#include "PropertySheet.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

PropertyPage::PropertyPage(const QString &title, QWidget *parent) : QWidget(parent), m_title(title) {}

PropertySheet::PropertySheet(const QString &caption, QWidget *parent)
    : QDialog(parent), m_list(new QListWidget(this)), m_stack(new QStackedWidget(this)),
      m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this)),
      m_extraRow(new QHBoxLayout)
{
    setWindowTitle(caption);
    m_list->setObjectName(QStringLiteral("pageList"));
    m_stack->setObjectName(QStringLiteral("pages"));
    m_buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    m_buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    m_list->setFixedWidth(150);
    auto *top = new QHBoxLayout;
    top->addWidget(m_list);
    top->addWidget(m_stack, 1);
    auto *row = new QHBoxLayout;
    row->addLayout(m_extraRow);
    row->addStretch(1);
    row->addWidget(m_buttons);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(row);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &PropertySheet::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &PropertySheet::reject);
    connect(m_list, &QListWidget::currentRowChanged, this, &PropertySheet::SetActivePage);
}

void PropertySheet::AddPage(PropertyPage *page)
{
    page->m_sheet = this;
    m_pages << page;
    m_stack->addWidget(page);
    m_list->addItem(page->Title());
}

void PropertySheet::SetActivePage(int index)
{
    PropertyPage *page = Page(index);
    if (!page)
        return;
    if (m_list->currentRow() != index) {
        m_list->setCurrentRow(index);  // comes back here through currentRowChanged
        return;
    }
    if (PropertyPage *leaving = ActivePage(); leaving && leaving != page && leaving->WasShown())
        leaving->OnKillActive();
    m_stack->setCurrentIndex(index);
    page->m_shown = true;
    page->OnSetActive();
    emit pageActivated(index);
}

int PropertySheet::ActiveIndex() const
{
    return m_stack->currentIndex();
}

int PropertySheet::Commit(PropertyPage *sender, int param)
{
    for (PropertyPage *page : m_pages) {
        if (page == sender)
            continue;
        if (const int answer = page->OnQuerySiblings(param))
            return answer;
    }
    return 0;
}

QPushButton *PropertySheet::OkButton() const
{
    return m_buttons->button(QDialogButtonBox::Ok);
}

QPushButton *PropertySheet::CancelButton() const
{
    return m_buttons->button(QDialogButtonBox::Cancel);
}

QPushButton *PropertySheet::AddButton(const QString &text, const QString &objectName)
{
    auto *button = new QPushButton(text, this);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    m_extraRow->addWidget(button);
    return button;
}

int PropertySheet::DoModal(int startPage)
{
    SetActivePage(qBound(0, startPage, PageCount() - 1));
    return exec() == QDialog::Accepted ? 1 : 2;
}

void PropertySheet::accept()
{
    for (PropertyPage *page : m_pages) {
        if (page->WasShown() && !page->OnApply()) {
            return;
        }
    }
    QDialog::accept();
}

void PropertySheet::reject()
{
    for (PropertyPage *page : m_pages) {
        if (page->WasShown())
            page->OnCancel();
    }
    QDialog::reject();
}
