#include "XBaseListCtrl.h"

#include "IListHost.h"

#include "app/AppCore.h"
#include "app/WaitCursor.h"
#include "app/XLayoutSettings.h"
#include "db/KVDatabase.h"
#include "db/RecordActions.h"
#include "dialogs/CSortHeaderCtrl.h"
#include "dialogs/LayoutAdapters.h"
#include "dialogs/PaneInterfaces.h"
#include "forms/RecordComments.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QHeaderView>
#include <QItemSelection>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTimer>

// The rows as the view asks for them, read through the list's cursor: only
// the rows drawn are read. A row deleted since the snapshot draws empty.
class RecordListModel : public QAbstractTableModel
{
public:
    explicit RecordListModel(XBaseListCtrl *list) : QAbstractTableModel(list), m_list(list) {}

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : m_list->RowCount();
    }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_list->m_columns.size());
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid())
            return {};
        const int row = index.row();
        const int col = index.column();
        try {
            if (m_list->IsRowGone(row))
                return {};
            switch (role) {
            case Qt::DisplayRole:
                return m_list->CellText(row, col);
            case Qt::FontRole:
                if (m_list->IsRowBold(row)) {
                    QFont bold = m_list->font();
                    bold.setWeight(QFont::Bold);
                    return bold;
                }
                return {};
            case Qt::DecorationRole:
                if (col == 0)
                    if (QIcon icon = m_list->RowIcon(row); !icon.isNull())
                        return icon;
                return {};
            case XBaseListCtrl::IndentRole:
                return col == 0 ? m_list->RowIndent(row) : 0;
            case XBaseListCtrl::SignRole:
                return col == 0 ? m_list->RowSign(row) : 0;
            case XBaseListCtrl::TintRole:
                return m_list->IsRowTinted(row);
            case XBaseListCtrl::CellImageRole:
                if (QIcon icon = m_list->CellImage(row, col); !icon.isNull())
                    return icon;
                return {};
            case Qt::TextAlignmentRole:
                return QVariant::fromValue(m_list->m_columns[col].align | Qt::AlignVCenter);
            default:
                return {};
            }
        } catch (const std::exception &) {
            // A row that cannot be read draws empty; the next refill reports the failure.
            return {};
        }
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
            section < m_list->m_columns.size())
            return m_list->m_columns[section].header;
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    void Reset()
    {
        beginResetModel();
        endResetModel();
    }
    void HeaderChanged(int column) { emit headerDataChanged(Qt::Horizontal, column, column); }
    void BeginInsert(int first, int last) { beginInsertRows({}, first, last); }
    void EndInsert() { endInsertRows(); }
    void BeginRemove(int first, int last) { beginRemoveRows({}, first, last); }
    void EndRemove() { endRemoveRows(); }
    void RowChanged(int row) { emit dataChanged(index(row, 0), index(row, columnCount() - 1)); }
    void LayoutChanged()
    {
        emit layoutAboutToBeChanged();
        emit layoutChanged();
    }

private:
    XBaseListCtrl *m_list;
};

namespace {

constexpr QRgb TintColour = qRgb(204, 236, 255);

// Draws a row as the lists always have: highlight or window colour, the row
// icon, bold when the list says so, cell images in place of text, and text
// fitted with "..." inside its margins.
class RecordListDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // A boxed plus or minus, centred in its rectangle.
    static void DrawSign(QPainter *painter, const QRect &area, bool plus, const QColor &colour)
    {
        const int size = 9;
        const QRect box(area.left() + (area.width() - size) / 2, area.top() + (area.height() - size) / 2, size - 1,
                        size - 1);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, false);
        painter->setPen(colour);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(box);
        const QPoint c = box.center();
        painter->drawLine(box.left() + 2, c.y(), box.right() - 2, c.y());
        if (plus)
            painter->drawLine(c.x(), box.top() + 2, c.x(), box.bottom() - 2);
        painter->restore();
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const auto *view = qobject_cast<const QAbstractItemView *>(opt.widget);
        // The lists show their selection also without the focus.
        const bool highlighted = opt.state & QStyle::State_Selected;
        painter->save();
        const QPalette &pal = opt.palette;
        if (highlighted)
            painter->fillRect(opt.rect, pal.brush(QPalette::Highlight));
        else if (index.data(XBaseListCtrl::TintRole).toBool())
            painter->fillRect(opt.rect, QColor(TintColour));
        else
            painter->fillRect(opt.rect, pal.brush(QPalette::Base));
        painter->setPen(highlighted ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::Text));
        if (QVariant f = index.data(Qt::FontRole); f.isValid())
            painter->setFont(f.value<QFont>());
        const QFontMetrics fm(painter->font());

        QRect rect = opt.rect;
        const bool first = index.column() == 0;
        if (first) {
            // The sign column of a two-level list, then one indent per level.
            const int sign = index.data(XBaseListCtrl::SignRole).toInt();
            const int indent = index.data(XBaseListCtrl::IndentRole).toInt();
            const auto *list = qobject_cast<const XBaseListCtrl *>(view);
            if (list && list->ShowsSigns()) {
                if (sign > 0)
                    DrawSign(painter, QRect(rect.left(), rect.top(), XBaseListCtrl::SignWidth, rect.height()), sign == 1,
                             highlighted ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::Text));
                rect.setLeft(rect.left() + XBaseListCtrl::SignWidth);
            }
            rect.setLeft(rect.left() + indent * XBaseListCtrl::IndentWidth);
            const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
            if (!icon.isNull()) {
                const QRect iconRect(rect.left() + 2, rect.top() + (rect.height() - 16) / 2, 16, 16);
                icon.paint(painter, iconRect, Qt::AlignCenter, highlighted ? QIcon::Selected : QIcon::Normal);
                rect.setLeft(iconRect.right() + 2);
            }
        }
        const QIcon cellImage = index.data(XBaseListCtrl::CellImageRole).value<QIcon>();
        if (!cellImage.isNull()) {
            cellImage.paint(painter, QRect(rect.left(), rect.top() + (rect.height() - 16) / 2, 16, 16), Qt::AlignCenter);
        } else {
            const int margin = first ? 4 : 12;
            const int inset = first ? 2 : 6;
            bool shortened = false;
            const QString text =
                XBaseListCtrl::FitText(fm, index.data(Qt::DisplayRole).toString(), rect.width(), margin, &shortened);
            const auto align = Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt());
            Qt::Alignment h = Qt::AlignLeft;
            if (align & Qt::AlignRight)
                h = Qt::AlignRight;
            else if ((align & Qt::AlignHCenter) && !shortened)
                h = Qt::AlignHCenter;
            painter->drawText(rect.adjusted(inset, 0, -inset, 0), int(h | Qt::AlignVCenter | Qt::TextSingleLine), text);
        }
        painter->restore();

        if (first && view && view->hasFocus() && view->currentIndex().row() == index.row()) {
            QStyleOptionFocusRect focus;
            focus.initFrom(view);
            focus.rect = opt.rect;
            focus.backgroundColor = highlighted ? pal.color(QPalette::Highlight) : pal.color(QPalette::Base);
            view->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, view);
        }
    }
};

} // namespace

XBaseListCtrl::XBaseListCtrl(const char *table, const QStringList &cursorColumns, IListHost *host, QWidget *parent)
    : QTableView(parent), m_host(host), m_cursor(std::make_unique<RecordCursor>(table, cursorColumns)),
      m_model(new RecordListModel(this))
{
    setModel(m_model);
    setItemDelegate(new RecordListDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setHorizontalHeader(new CSortHeaderCtrl(this));
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(qMax(18, fontMetrics().height() + 4));
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setStretchLastSection(false);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &XBaseListCtrl::OnHeaderClicked);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &XBaseListCtrl::OnSelectionChanged);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { OnSelectionChanged(); });
}

XBaseListCtrl::~XBaseListCtrl()
{
    ListRegistry::Instance().Remove(this);
}

// --- columns and sort ------------------------------------------------------------------

void XBaseListCtrl::SetColumns(const QList<ColumnDef> &columns, const QString &layoutName)
{
    m_model->Reset();
    m_columns = columns;
    m_model->Reset();
    // The widths suit a small dialog font: a wider font widens them alike, and a
    // header is never cut.
    const QFontMetrics metrics(font());
    const double scale = qMax(1.0, metrics.averageCharWidth() / 5.0);
    for (int i = 0; i < m_columns.size(); ++i) {
        const int width = qMax(int(m_columns[i].width * scale), metrics.horizontalAdvance(m_columns[i].header) + 20);
        horizontalHeader()->resizeSection(i, width);
    }
    m_layout.reset();
    if (!layoutName.isEmpty()) {
        m_layout = std::make_unique<XLayoutSettings>(layoutName, int(m_columns.size()));
        m_layout->Load();
        LayoutAdapters::RestoreColumns(*m_layout, horizontalHeader());
        connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this] {
            if (m_layout)
                LayoutAdapters::StoreColumns(*m_layout, horizontalHeader());
        });
    }
}

void XBaseListCtrl::SetHeaderText(int column, const QString &text)
{
    if (column < 0 || column >= m_columns.size() || m_columns[column].header == text)
        return;
    m_columns[column].header = text;
    m_model->HeaderChanged(column);
}

void XBaseListCtrl::SetSortField(int column, const QString &field)
{
    if (column < 0 || column >= m_columns.size())
        return;
    m_columns[column].sortField = field;
    if (column == m_sortColumn || column == m_secondarySort)
        SetSort(m_sortColumn, m_sortAscending);
}

void XBaseListCtrl::SetSort(int column, bool ascending)
{
    if (column < 0 || column >= m_columns.size())
        return;
    m_sortColumn = column;
    m_sortAscending = ascending;
    const QString dir = ascending ? QStringLiteral("ASC") : QStringLiteral("DESC");
    QString order = QStringLiteral("%1 %2").arg(m_columns[column].sortField, dir);
    if (m_secondarySort >= 0 && m_secondarySort != column && m_secondarySort < m_columns.size())
        order += QStringLiteral(", %1 DESC").arg(m_columns[m_secondarySort].sortField);
    m_cursor->SetSort(order);
    horizontalHeader()->setSortIndicator(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    static_cast<CSortHeaderCtrl *>(horizontalHeader())->SetSortArrow(column, ascending);
}

void XBaseListCtrl::OnHeaderClicked(int column)
{
    const bool ascending = column != m_sortColumn || !m_sortAscending;
    SetSort(column, ascending);
    if (RowCount() > 0)
        Refill();
}

// --- folder, filter, refill -------------------------------------------------------------------

void XBaseListCtrl::SetFolder(int nodeId)
{
    m_folder = nodeId;
    SetFilter(m_set ? m_set->GetFolderFilter(nodeId) : SqlExpr());
}

void XBaseListCtrl::SetFilter(const SqlExpr &filter)
{
    m_filter = filter;
    ApplyFilter();
}

void XBaseListCtrl::ApplyFilter()
{
    m_cursor->SetFilter(m_filter);
    if (m_set)
        m_set->SetFilter(m_filter);
}

int XBaseListCtrl::RowCount() const
{
    return m_cursor->Count();
}

void XBaseListCtrl::ReportDbError(const QString &operation, const std::exception &e) const
{
    if (const auto *db = dynamic_cast<const DbException *>(&e))
        KVDatabase::ShowError(operation, *db);
    else if (AppCore *app = theAppIfAny())
        app->ShowMessageBox(QString::fromUtf8(e.what()), QStringLiteral("Error"), MsgBox::IconError);
}

void XBaseListCtrl::Refill()
{
    try {
        if (m_host && m_host->CurrentNode() != m_folder) {
            // Another folder than the one shown last: its own sort, a fresh selection.
            ForgetSelection();
            if (const auto state = ListStateMap::Instance().Lookup(GetStateKey()))
                SetSort(state->sortColumn, state->sortAscending);
            else
                SetSort(GetDefaultSortColumn(), false);
        }
        ScrollToLeft();
        ReadRows();
    } catch (const std::exception &e) {
        ReportDbError(QStringLiteral("Can not read the list"), e);
        return;
    }
    ResetModelAndRestore();
}

QIcon XBaseListCtrl::RowIcon(int) const
{
    return m_host ? m_host->RowIcon(ListType()) : QIcon();
}

void XBaseListCtrl::BeginInsertRows(int first, int last)
{
    m_model->BeginInsert(first, last);
}

void XBaseListCtrl::EndInsertRows()
{
    m_model->EndInsert();
}

void XBaseListCtrl::BeginRemoveRows(int first, int last)
{
    m_model->BeginRemove(first, last);
}

void XBaseListCtrl::EndRemoveRows()
{
    m_model->EndRemove();
}

void XBaseListCtrl::RowChanged(int row)
{
    m_model->RowChanged(row);
}

void XBaseListCtrl::RowsChanged()
{
    m_model->LayoutChanged();
    viewport()->update();
}

void XBaseListCtrl::ResetModelAndRestore()
{
    m_restoring = true;
    m_model->Reset();
    m_restoring = false;
    RestoreSelection();
}

int XBaseListCtrl::Search(const QString &text)
{
    if (!m_set)
        return RowCount();
    QString words = text;
    m_set->SplitWords(words.trimmed());
    const qsizetype given = m_set->SearchWords().size();
    m_set->SetSearchText(words);
    m_searchDroppedWords = m_set->SearchWords().size() < given;
    m_filter = m_set->GetFilter();
    m_cursor->SetFilter(m_filter);
    try {
        ReadRows();
    } catch (const std::exception &e) {
        ReportDbError(QStringLiteral("Search"), e);
        m_set->ResetFilter();
        m_filter = m_set->GetFilter();
        m_cursor->SetFilter(m_filter);
        try {
            ReadRows();
        } catch (const std::exception &) {
            m_cursor->Clear();
            ClearRows();
        }
    }
    ResetModelAndRestore();
    return RowCount();
}

void XBaseListCtrl::ScrollToLeft()
{
    horizontalScrollBar()->setValue(horizontalScrollBar()->minimum());
}

// --- selection -------------------------------------------------------------------------------

QList<int> XBaseListCtrl::SelectedRows() const
{
    QList<int> rows;
    for (const QItemSelectionRange &range : selectionModel()->selection())
        for (int r = range.top(); r <= range.bottom(); ++r)
            rows << r;
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

int XBaseListCtrl::SelectedCount() const
{
    int n = 0;
    for (const QItemSelectionRange &range : selectionModel()->selection())
        n += range.height();
    return n;
}

QStringList XBaseListCtrl::SelectedKeys() const
{
    QStringList keys;
    for (int row : SelectedRows()) {
        const QString key = GetRowKey(row);
        if (!key.isEmpty())
            keys << key;
    }
    return keys;
}

int XBaseListCtrl::CurrentRow() const
{
    if (m_selectedRow >= 0 && m_selectedRow < RowCount() &&
        selectionModel()->isRowSelected(m_selectedRow, QModelIndex()))
        return m_selectedRow;
    const QItemSelection sel = selectionModel()->selection();
    int first = -1;
    for (const QItemSelectionRange &range : sel)
        first = first < 0 ? range.top() : qMin(first, range.top());
    return first;
}

void XBaseListCtrl::SelectItem(int row, bool clearOthers)
{
    if (RowCount() == 0 || row < 0 || row >= RowCount())
        return;
    if (clearOthers) {
        ForgetSelection();
        selectionModel()->clearSelection();
    }
    const QModelIndex index = m_model->index(row, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    m_selectedRow = row;
    scrollTo(index);
}

void XBaseListCtrl::DeselectAll()
{
    selectionModel()->clearSelection();
}

void XBaseListCtrl::SelectAll()
{
    if (RowCount() == 0)
        return;
    m_selectingAll = true;
    const QItemSelection all(m_model->index(0, 0), m_model->index(RowCount() - 1, m_model->columnCount() - 1));
    selectionModel()->select(all, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    m_selectingAll = false;
    m_allSelected = true;
    m_memory.clear();
}

void XBaseListCtrl::ForgetSelection()
{
    m_memory.clear();
    m_allSelected = false;
}

void XBaseListCtrl::OnSelectionChanged()
{
    if (m_restoring || m_selectingAll)
        return;
    const QModelIndex current = currentIndex();
    if (current.isValid() && selectionModel()->isRowSelected(current.row(), QModelIndex()))
        m_selectedRow = current.row();
    SaveSelection();
    ShowDetailsSoon();
}

void XBaseListCtrl::SaveSelection()
{
    // The memory is the member's selection as it stands, never more.
    m_allSelected = false;
    m_memory.clear();
    const QList<int> rows = SelectedRows();
    for (int row : rows) {
        const QString key = GetRowKey(row);
        if (!key.isEmpty())
            m_memory.insert(key);
    }
    ListState state;
    // As the lists always did: a focus on row 0 is not remembered, and the
    // neighbour is taken only above a first selection from row 2 on.
    const int focus = currentIndex().isValid() ? currentIndex().row() : -1;
    if (focus > 0)
        state.focusKey = GetRowKey(focus);
    int firstSelected = -1;
    for (int row : rows) {
        if (row > 0) {
            firstSelected = row;
            break;
        }
    }
    if (firstSelected >= 2)
        state.neighbourKey = GetRowKey(firstSelected - 1);
    state.sortColumn = m_sortColumn;
    state.sortAscending = m_sortAscending;
    ListStateMap::Instance().Store(GetStateKey(), state);
}

bool XBaseListCtrl::LocateByKey(const QString &key, bool clearOthers, bool selectFirstIfMissing)
{
    if (RowCount() == 0)
        return false;
    int row = -1;
    try {
        row = FindKeyRow(key);
    } catch (const std::exception &e) {
        ReportDbError(QStringLiteral("Can not read the list"), e);
    }
    if (row >= 0) {
        SelectItem(row, clearOthers);
        return true;
    }
    if (selectFirstIfMissing)
        SelectItem(0, clearOthers);
    return false;
}

QString XBaseListCtrl::GetComments() const
{
    const int row = CurrentRow();
    try {
        return row < 0 ? QString() : RecordComments::Read(ListType(), GetRowKey(row));
    } catch (const std::exception &e) {
        ReportDbError(QStringLiteral("Can not read the comments"), e);
        return {};
    }
}

bool XBaseListCtrl::SetComments(const QString &text)
{
    const int row = CurrentRow();
    if (row < 0)
        return false;
    try {
        if (!RecordComments::Write(ListType(), GetRowKey(row), text))
            return false;
    } catch (const std::exception &e) {
        ReportDbError(QStringLiteral("Can not store the comments"), e);
        return false;
    }
    m_cursor->DropCache();
    RowsChanged();
    ShowDetails(row);
    return true;
}

void XBaseListCtrl::RestoreSelection()
{
    m_restoring = true;
    selectionModel()->clearSelection();
    m_selectedRow = -1;
    const auto state = ListStateMap::Instance().Lookup(GetStateKey());
    bool located = false;
    if (state && !state->focusKey.isEmpty()) {
        // The other remembered rows come back with the focused one.
        QItemSelection again;
        try {
            for (const QString &key : std::as_const(m_memory)) {
                const int row = FindKeyRow(key);
                if (row >= 0)
                    again.select(m_model->index(row, 0), m_model->index(row, m_model->columnCount() - 1));
            }
        } catch (const std::exception &e) {
            ReportDbError(QStringLiteral("Can not read the list"), e);
        }
        selectionModel()->select(again, QItemSelectionModel::Select);
        located = LocateByKey(state->focusKey, false, false);
        if (!located)
            selectionModel()->clearSelection();
    }
    if (!located) {
        if (state && !state->neighbourKey.isEmpty())
            LocateByKey(state->neighbourKey, true, true);
        else
            SelectItem(0, true);
    }
    m_restoring = false;
    SaveSelection();
    ShowDetailsSoon();
}

void XBaseListCtrl::ResetListState()
{
    ForgetSelection();
    ListState state;
    state.sortColumn = GetDefaultSortColumn();
    state.sortAscending = false;
    ListStateMap::Instance().Store(GetStateKey(), state);
}

void XBaseListCtrl::RemoveListState()
{
    ListStateMap::Instance().Remove(GetStateKey());
}

// --- details -------------------------------------------------------------------------------------

void XBaseListCtrl::ShowDetailsSoon()
{
    // Many selection changes in one turn of the loop render once.
    if (m_detailsPending)
        return;
    m_detailsPending = true;
    QTimer::singleShot(0, this, &XBaseListCtrl::ShowDetailsNow);
}

void XBaseListCtrl::ShowDetailsNow()
{
    m_detailsPending = false;
    const int row = CurrentRow();
    AppCore *app = theAppIfAny();
    if (row < 0 || SelectedCount() == 0) {
        // The record shown before may have left the list; its links must not stay.
        if (IBrowserPane *pane = DetailsBrowser()) {
            pane->Clear();
            if (app)
                app->WriteLog(QStringLiteral("none"), QStringLiteral("Details bar"), 5);
        }
        return;
    }
    if (SelectedCount() != 1)
        return;
    try {
        if (app && DetailsBrowser())
            app->WriteLog(GetRowKey(row), QStringLiteral("Details bar"), 5);
        ShowDetails(row);
    } catch (const std::exception &e) {
        ReportDbError(QStringLiteral("Can not show the details"), e);
    }
}

// --- actions ---------------------------------------------------------------------------------------

bool XBaseListCtrl::CanDo(int operation) const
{
    return operation == OpAny;
}

bool XBaseListCtrl::DeleteSelected()
{
    const QStringList keys = SelectedKeys();
    if (keys.isEmpty())
        return false;
    try {
        RecordActions::DeleteByIds(m_cursor->Table().name, keys);
    } catch (const std::exception &e) {
        ReportDbError(QStringLiteral("Can not delete the records"), e);
        return false;
    }
    AfterRecordsChanged();
    return true;
}

void XBaseListCtrl::AfterRecordsChanged()
{
    Refill();
    if (m_host)
        m_host->RefreshCounters(ListType(), m_folder);
}

void XBaseListCtrl::ToggleMarkAndAdvance()
{
    WaitCursor wait;
    const int row = CurrentRow();
    const bool single = SelectedCount() < 2;
    bool changed = false;
    try {
        changed = ToggleMark();
    } catch (const std::exception &e) {
        ReportDbError(QStringLiteral("Can not change the status"), e);
    }
    if (changed) {
        Refill();
        if (single && RowCount() > 0) {
            const int next = row + 1 < RowCount() ? row + 1 : 0;
            SelectItem(next, true);
        }
    }
    AfterToggle(changed);
}

void XBaseListCtrl::AfterToggle(bool changed)
{
    if (changed && m_host)
        m_host->RefreshCounters(ListType(), m_folder);
}

bool XBaseListCtrl::InDialog() const
{
    return qobject_cast<const QDialog *>(window()) != nullptr;
}

// --- events ----------------------------------------------------------------------------------------

void XBaseListCtrl::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (SelectedCount() > 0)
            OpenSelected();
        event->accept();
        return;
    case Qt::Key_Space:
        if (event->modifiers() == Qt::NoModifier) {
            ToggleMarkAndAdvance();
            event->accept();
            return;
        }
        break;
    default:
        break;
    }
    QTableView::keyPressEvent(event);
}

void XBaseListCtrl::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid() && SelectedCount() > 0)
        OpenSelected();
}

void XBaseListCtrl::contextMenuEvent(QContextMenuEvent *event)
{
    const bool onRow = event->reason() != QContextMenuEvent::Mouse || indexAt(event->pos()).isValid();
    if (onRow && !m_dialogMode && m_host)
        m_host->ShowActionMenu(event->globalPos());
    event->accept();
}

void XBaseListCtrl::focusInEvent(QFocusEvent *event)
{
    QTableView::focusInEvent(event);
    if (!m_dialogMode && !InDialog())
        SetActiveListType(ListType());
}

void XBaseListCtrl::showEvent(QShowEvent *event)
{
    QTableView::showEvent(event);
    if (!m_dialogMode && !InDialog())
        ListRegistry::Instance().SetShown(RegistryKind(), this);
}

QString XBaseListCtrl::FitText(const QFontMetrics &metrics, const QString &text, int width, int margin,
                               bool *shortened)
{
    if (shortened)
        *shortened = false;
    if (text.isEmpty() || metrics.horizontalAdvance(text) + margin <= width)
        return text;
    if (shortened)
        *shortened = true;
    const QString dots = QStringLiteral("...");
    QString rest = text;
    // Halving first, then one character at a time: long texts in narrow columns stay cheap.
    while (!rest.isEmpty() && metrics.horizontalAdvance(rest.left(rest.size() / 2) + dots) + margin > width)
        rest.truncate(rest.size() / 2);
    while (!rest.isEmpty() && metrics.horizontalAdvance(rest + dots) + margin > width)
        rest.chop(1);
    return rest + dots;
}
