#include "PropertySheet.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QSignalBlocker>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

PropertyPage::PropertyPage(const QString &title, QWidget *parent) : QWidget(parent), m_title(title) {}

PropertySheet::PropertySheet(const QString &caption, QWidget *parent, Navigation navigation)
    : QDialog(parent), m_stack(new QStackedWidget(this)),
      m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this)),
      m_extraRow(new QHBoxLayout), m_navRow(new QHBoxLayout)
{
    setWindowTitle(caption);
    m_stack->setObjectName(QStringLiteral("pages"));
    m_buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    m_buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    QBoxLayout *top = nullptr;
    if (navigation == Navigation::Tabs) {
        m_tabs = new QTabBar(this);
        m_tabs->setObjectName(QStringLiteral("pageTabs"));
        m_tabs->setExpanding(false);
        m_tabs->setDrawBase(false);
        top = new QVBoxLayout;
        top->setSpacing(0);
        top->addWidget(m_tabs);
        connect(m_tabs, &QTabBar::currentChanged, this, &PropertySheet::SetActivePage);
    } else {
        m_list = new QListWidget(this);
        m_list->setObjectName(QStringLiteral("pageList"));
        m_list->setFixedWidth(150);
        top = new QHBoxLayout;
        top->addWidget(m_list);
        connect(m_list, &QListWidget::currentRowChanged, this, &PropertySheet::SetActivePage);
    }
    top->addWidget(m_stack, 1);
    auto *row = new QHBoxLayout;
    row->addLayout(m_extraRow);
    row->addStretch(1);
    row->addLayout(m_navRow);
    row->addWidget(m_buttons);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(row);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &PropertySheet::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &PropertySheet::reject);
}

void PropertySheet::AddPage(PropertyPage *page)
{
    InsertPage(PageCount(), page);
}

void PropertySheet::InsertPage(int index, PropertyPage *page)
{
    if (!page || m_pages.contains(page))
        return;
    index = qBound(0, index, PageCount());
    page->m_sheet = this;
    m_pages.insert(index, page);
    {
        // The navigation follows the active page, not the row that moved under it.
        const QSignalBlocker blockList(m_list);
        const QSignalBlocker blockTabs(m_tabs);
        m_stack->insertWidget(index, page);
        if (m_list)
            m_list->insertItem(index, page->Title());
        else
            m_tabs->insertTab(index, page->Title());
        if (NavigationIndex() >= 0)
            SelectInNavigation(ActiveIndex());
    }
    UpdateBackNext();
}

void PropertySheet::RemovePage(PropertyPage *page)
{
    const int index = int(m_pages.indexOf(page));
    if (index < 0)
        return;
    if (ActivePage() == page && PageCount() > 1)
        SetActivePage(index > 0 ? index - 1 : index + 1);
    m_pages.removeAt(index);
    {
        const QSignalBlocker blockList(m_list);
        const QSignalBlocker blockTabs(m_tabs);
        m_stack->removeWidget(page);  // stays the stack's child, hidden
        if (m_list)
            delete m_list->takeItem(index);
        else
            m_tabs->removeTab(index);
        SelectInNavigation(ActiveIndex());
    }
    UpdateBackNext();
}

void PropertySheet::SelectInNavigation(int index)
{
    if (m_list)
        m_list->setCurrentRow(index);
    else
        m_tabs->setCurrentIndex(index);
}

int PropertySheet::NavigationIndex() const
{
    return m_list ? m_list->currentRow() : m_tabs->currentIndex();
}

void PropertySheet::SetActivePage(int index)
{
    PropertyPage *page = Page(index);
    if (!page)
        return;
    if (NavigationIndex() != index) {
        SelectInNavigation(index);  // comes back here through the navigation's signal
        return;
    }
    if (PropertyPage *leaving = ActivePage(); leaving && leaving != page && leaving->WasShown())
        leaving->OnKillActive();
    m_stack->setCurrentIndex(index);
    page->m_shown = true;
    page->OnSetActive();
    UpdateBackNext();
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

void PropertySheet::AddBackNext()
{
    if (m_next)
        return;
    const int width = OkButton()->sizeHint().width();
    m_back = new QPushButton(QStringLiteral("<< Back"), this);
    m_next = new QPushButton(QStringLiteral("Next >>"), this);
    m_back->setObjectName(QStringLiteral("backButton"));
    m_next->setObjectName(QStringLiteral("nextButton"));
    for (QPushButton *button : {m_back, m_next}) {
        button->setMinimumWidth(width);
        button->setAutoDefault(false);
        m_navRow->addWidget(button);
    }
    m_navRow->setSpacing(5);
    connect(m_back, &QPushButton::clicked, this, [this] { SetActivePage(ActiveIndex() - 1); });
    connect(m_next, &QPushButton::clicked, this, [this] { SetActivePage(ActiveIndex() + 1); });
    UpdateBackNext();
}

void PropertySheet::SetBusy(bool busy)
{
    for (QPushButton *button : findChildren<QPushButton *>())
        button->setEnabled(!busy);
    if (!busy)
        UpdateBackNext();
}

void PropertySheet::UpdateBackNext()
{
    if (!m_next)
        return;
    const int index = ActiveIndex();
    m_back->setEnabled(index > 0);
    m_next->setEnabled(index >= 0 && index < PageCount() - 1);
    m_next->setDefault(m_next->isEnabled());
    OkButton()->setDefault(!m_next->isEnabled());
}

void PropertySheet::keyPressEvent(QKeyEvent *event)
{
    // Multi-line edits keep their Enter; they never pass it on to here.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const bool plain = event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
    if (enter && plain && m_next && m_next->isEnabled()) {
        SetActivePage(ActiveIndex() + 1);
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
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
