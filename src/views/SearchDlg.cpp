#include "SearchDlg.h"

#include "dialogs/CSplitterControl.h"

#include "ListRegistry.h"
#include "XInventoryListCtrl.h"
#include "XQueryListCtrl.h"

#include "app/AppCore.h"
#include "app/Interfaces.h"
#include "app/WaitCursor.h"
#include "browser/CWebBrowser2.h"
#include "db/SqlDb.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
using ListKind = IRecordViews::ListKind;

ListKind KindOf(int listType)
{
    switch (listType) {
    case ListCarQueries: return ListKind::CarQueries;
    case ListPartInventory: return ListKind::Inventory;
    case ListCarInventory: return ListKind::CarInventory;
    default: return ListKind::Queries;
    }
}

XBaseListCtrl *MakeList(int listType, IListHost *host, QWidget *parent)
{
    switch (listType) {
    case ListCarQueries: return new XQueryCarsListCtrl(host, parent);
    case ListPartInventory: return new XInventoryListCtrl(host, parent);
    case ListCarInventory: return new XInventoryCarsListCtrl(host, parent);
    default: return new XQueryListCtrl(host, parent);
    }
}
} // namespace

QString SearchDlg::Caption(const QString &modeName, int listType)
{
    const bool queries = listType == ListPartQueries || listType == ListCarQueries;
    return modeName + QStringLiteral(" - ") +
           QStringLiteral("Search for %1").arg(queries ? QStringLiteral("queries") : QStringLiteral("catalog records"));
}

SearchDlg::SearchDlg(int listType, IListHost *host, QWidget *parent, IBrowserPane *browser)
    : QDialog(parent), m_listType(listType >= ListPartQueries && listType <= ListCarInventory ? listType
                                                                                               : ListPartQueries)
{
    setObjectName(QStringLiteral("SearchDlg"));
    IMainFrame *frame = theAppIfAny() ? theApp().Frame() : nullptr;
    setWindowTitle(Caption(frame ? frame->GetMarketModeName() : QStringLiteral("Parts"), m_listType));

    auto *layout = new QVBoxLayout(this);
    // The pages above, the record's page below, the bar between them.
    auto *panes = new QWidget(this);
    auto *panesLayout = new QVBoxLayout(panes);
    panesLayout->setContentsMargins(0, 0, 0, 0);
    panesLayout->setSpacing(0);
    m_tabs = new QTabWidget(panes);
    m_tabs->setFixedHeight(TabHeight);
    m_splitter = new CSplitterControl(QRect(0, 0, 100, 5), panes);
    m_splitter->setObjectName(QStringLiteral("searchSplitter"));
    m_splitter->setFixedHeight(5);
    connect(m_splitter, &CSplitterControl::moved, this, &SearchDlg::OnSplitterMoved);
    m_tabs->setObjectName(QStringLiteral("searchTabs"));
    auto *options = new QWidget(m_tabs);
    auto *optionsLayout = new QVBoxLayout(options);
    optionsLayout->addWidget(new QLabel(QStringLiteral("Search String:"), options));
    m_text = new QLineEdit(options);
    m_text->setObjectName(QStringLiteral("searchEdit"));
    optionsLayout->addWidget(m_text);
    optionsLayout->addStretch(1);
    m_tabs->addTab(options, QStringLiteral("Options"));
    m_list = MakeList(m_listType, host, m_tabs);
    m_list->setObjectName(QStringLiteral("resultList"));
    m_list->SetDialogMode(true);
    m_tabs->addTab(m_list, QStringLiteral("Results"));
    if (browser) {
        m_browser = browser;
    } else {
        m_ownBrowser = std::make_unique<CWebBrowser2>(panes, QStringLiteral("searchBrowser"));
        m_browser = m_ownBrowser.get();
    }
    panesLayout->addWidget(m_tabs);
    panesLayout->addWidget(m_splitter);
    if (QWidget *pane = m_browser->Widget())
        panesLayout->addWidget(pane, 1);
    else
        panesLayout->addStretch(1);
    m_list->SetDetailsBrowser(m_browser);
    // The hits come from the records the main window shows: the same folder.
    if (const XBaseListCtrl *shown = ListRegistry::Instance().Shown(KindOf(m_listType)))
        m_list->SetFolder(shown->GetFolder());
    layout->addWidget(panes, 1);

    auto *buttons = new QHBoxLayout;
    auto *start = new QPushButton(QStringLiteral("&Start"), this);
    start->setObjectName(QStringLiteral("startButton"));
    m_goTo = new QPushButton(QStringLiteral("&Go To"), this);
    m_goTo->setObjectName(QStringLiteral("goToButton"));
    m_goTo->setEnabled(false);
    auto *close = new QPushButton(QStringLiteral("&Close"), this);
    close->setObjectName(QStringLiteral("closeButton"));
    for (QPushButton *b : {start, m_goTo, close}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    buttons->insertStretch(0, 1);
    layout->addLayout(buttons);
    m_status = new QStatusBar(this);
    m_status->setObjectName(QStringLiteral("searchStatus"));
    m_status->setSizeGripEnabled(false);
    layout->addWidget(m_status);

    connect(start, &QPushButton::clicked, this, &SearchDlg::OnStart);
    connect(m_goTo, &QPushButton::clicked, this, &SearchDlg::OnGoTo);
    connect(close, &QPushButton::clicked, this, &SearchDlg::reject);
    m_text->installEventFilter(this);
    m_list->installEventFilter(this);
    resize(720, 560);
    m_tabs->setCurrentIndex(0);
    m_text->setFocus();
}

void SearchDlg::OnSplitterMoved(int delta)
{
    m_tabs->setFixedHeight(m_tabs->height() + delta);
    UpdateSplitterRange();
}

void SearchDlg::UpdateSplitterRange()
{
    if (QLayout *l = m_splitter->parentWidget()->layout())
        l->activate();
    // The pages keep their first height at least; the record's page keeps a few lines.
    const int below = qMax(0, m_tabs->height() - TabHeight);
    const int above = qMax(0, m_splitter->parentWidget()->height() - m_splitter->geometry().bottom() - MinPageHeight);
    m_splitter->SetRange(below, above);
}

void SearchDlg::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    UpdateSplitterRange();
}

SearchDlg::~SearchDlg()
{
    // The list points at the pane; let it go before the pane does.
    m_list->SetDetailsBrowser(nullptr);
    delete m_list;
    m_list = nullptr;
}

int SearchDlg::DoModal()
{
    return exec() == QDialog::Accepted ? MsgBox::IdOk : MsgBox::IdCancel;
}

QString SearchDlg::StatusText() const
{
    return m_status->currentMessage();
}

void SearchDlg::OnStart()
{
    WaitCursor wait;
    const QString text = m_text->text();
    int found = 0;
    try {
        found = m_list->Search(text);
    } catch (const DbException &) {
        theApp().ShowMessageBox(TooManyWordsText(), QStringLiteral("Search"), MsgBox::IconWarning);
        return;
    }
    // The record set keeps only the leading words that SQLite can take.
    if (m_list->SearchDroppedWords())
        theApp().ShowMessageBox(TooManyWordsText(), QStringLiteral("Search"), MsgBox::IconWarning);
    m_status->showMessage(QStringLiteral("Search is complete. Records found: %1").arg(found));
    m_tabs->setCurrentIndex(1);
    if (found == 0) {
        m_browser->Clear();
        m_goTo->setEnabled(false);
        return;
    }
    if (QWidget *pane = m_browser->Widget())
        pane->show();
    if (m_list->GetSelectedItem() < 0)
        m_list->SelectItem(0, true);
    m_goTo->setEnabled(true);
}

void SearchDlg::OnGoTo()
{
    const int row = m_list->GetSelectedItem();
    if (row < 0)
        return;
    QString key;
    try {
        if (auto *tree = qobject_cast<XTreeListCtrl *>(m_list))
            key = tree->QueryIdOf(row);
        else
            key = m_list->SelectedKeys().value(0);
    } catch (const DbException &) {
        key.clear();
    }
    if (key.isEmpty()) {
        theApp().ShowMessageBox(QStringLiteral("Record is empty!"), QStringLiteral("Search"), MsgBox::IconError);
        return;
    }
    XBaseListCtrl *shown = ListRegistry::Instance().Shown(KindOf(m_listType));
    if (shown) {
        if (auto *tree = qobject_cast<XTreeListCtrl *>(shown))
            tree->LocateQuery(key, true, false);
        else
            shown->LocateByKey(key, true, false);
        shown->setFocus();
    }
    accept();
}

bool SearchDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->modifiers() & Qt::ControlModifier && (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)) {
            const bool back = key->key() == Qt::Key_Backtab || key->modifiers() & Qt::ShiftModifier;
            m_tabs->setCurrentIndex((m_tabs->currentIndex() + (back ? m_tabs->count() - 1 : 1)) % m_tabs->count());
            return true;
        }
        if (watched == m_text && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            OnStart();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void SearchDlg::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        return;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        OnStart();
        return;
    }
    QDialog::keyPressEvent(event);
}
