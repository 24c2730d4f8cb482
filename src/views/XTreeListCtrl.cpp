#include "XTreeListCtrl.h"

#include "IListHost.h"

#include "app/AppCore.h"
#include "browser/CWebBrowser2.h"
#include "db/KVDatabase.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QThread>
#include <QTimer>

namespace {

// The ids compare as their columns do (NOCASE folds ASCII only).
QString FoldId(const QString &id)
{
    QString folded = id;
    for (QChar &c : folded)
        if (c.unicode() < 128)
            c = c.toLower();
    return folded;
}

bool OnOwnThread(const QObject *object)
{
    return QThread::currentThread() == object->thread();
}

} // namespace

XTreeListCtrl::XTreeListCtrl(const char *queryTable, const QStringList &queryColumns, const char *quoteTable,
                             const QStringList &quoteColumns, IListHost *host, QWidget *parent)
    : XBaseListCtrl(queryTable, QStringList(queryColumns) << QStringLiteral("STATUS_CODE") << QStringLiteral("IS_INCOMING"),
                    host, parent),
      m_queryTable(QLatin1String(Schema::Require(QLatin1String(queryTable)).name)),
      m_quoteTable(QLatin1String(Schema::Require(QLatin1String(quoteTable)).name))
{
    const TableDef &quotes = Schema::Require(m_quoteTable);
    m_quoteColumns << QStringLiteral("ID") << QStringLiteral("QUERY_ID") << QStringLiteral("STATUS_CODE")
                   << QStringLiteral("IS_INCOMING");
    for (const QString &c : quoteColumns) {
        if (!quotes.Column(c))
            throw std::logic_error("no such column: " + c.toStdString());
        if (!m_quoteColumns.contains(c, Qt::CaseInsensitive))
            m_quoteColumns << QLatin1String(quotes.Column(c)->name);
    }
}

QString XTreeListCtrl::MakeKey(bool topLevel, const QString &id)
{
    return (topLevel ? QStringLiteral("1|") : QStringLiteral("0|")) + id;
}

bool XTreeListCtrl::SplitKey(const QString &key, bool *topLevel, QString *id)
{
    if (key.size() < 2 || key[1] != u'|' || (key[0] != u'0' && key[0] != u'1'))
        return false;
    *topLevel = key[0] == u'1';
    *id = key.mid(2);
    return true;
}

// --- reading the rows ------------------------------------------------------------------------

QString XTreeListCtrl::QuoteSelect() const
{
    QString cols;
    for (const QString &c : m_quoteColumns)
        cols += (cols.isEmpty() ? QString() : QStringLiteral(", ")) + u'[' + c + u']';
    return QStringLiteral("SELECT %1 FROM [%2]").arg(cols, m_quoteTable);
}

XTreeListCtrl::ItemInfo XTreeListCtrl::MakeQuoteRow(const SqlStatement &st, int place) const
{
    ItemInfo item;
    item.position = place;
    item.topLevel = false;
    item.childCount = 0;
    item.collapsed = false;
    item.values.reserve(size_t(m_quoteColumns.size()));
    for (int i = 0; i < m_quoteColumns.size(); ++i)
        item.values.push_back(st.Value(i));
    item.id = st.Text(0);
    item.flags = (int(st.Int64(2)) & StatusMask) | (st.Int64(3) != 0 ? FlagIncoming : 0);
    return item;
}

const QStringList &XTreeListCtrl::QuoteRowTexts(int row) const
{
    const ItemInfo &item = Item(row);
    if (!item.textsMade) {
        item.texts = QuoteTexts(item);
        item.textsMade = true;
    }
    return item.texts;
}

QVariant XTreeListCtrl::QuoteValue(const ItemInfo &quote, const char *column) const
{
    for (int i = 0; i < m_quoteColumns.size(); ++i)
        if (m_quoteColumns[i].compare(QLatin1String(column), Qt::CaseInsensitive) == 0)
            return i < int(quote.values.size()) ? quote.values[size_t(i)] : QVariant();
    return {};
}

void XTreeListCtrl::FillItemInfo(ItemInfo &item, const QuoteGroup *group) const
{
    if (item.childCount >= 0)
        return;
    item.childCount = m_treeMode && group ? group->count : 0;
    const int flags = item.flags & ~FlagBold;
    item.flags = flags | (IsQueryBold(flags, item.childCount, group && group->anyNew) ? FlagBold : 0);
}

void XTreeListCtrl::ReadRows()
{
    const bool treeMode = UsesTreeMode();
    RecordCursor &cursor = Cursor();
    SqlConnection &c = theDatabase().Connection();
    QStringList statements;

    // The queries in the list's order: ids, status and incoming flag in one statement.
    QString sql = QStringLiteral("SELECT rowid, ID, STATUS_CODE, IS_INCOMING FROM [%1]").arg(m_queryTable);
    if (!cursor.Filter().isEmpty())
        sql += QStringLiteral(" WHERE ") + cursor.Filter().text;
    if (!cursor.Sort().trimmed().isEmpty())
        sql += QStringLiteral(" ORDER BY ") + cursor.Sort();
    std::vector<qint64> rowIds;
    std::vector<QueryHead> heads;
    QHash<QString, int> rowOfId;
    {
        StatementRun st(c.Prepare(sql));
        st->BindAll(cursor.Filter().args);
        while (st->Step()) {
            rowIds.push_back(st->Int64(0));
            QueryHead h;
            h.id = st->Text(1);
            h.flags = (int(st->Int64(2)) & StatusMask) | (st->Int64(3) != 0 ? FlagIncoming : 0);
            rowOfId.insert(FoldId(h.id), int(heads.size()));
            heads.push_back(std::move(h));
        }
    }
    statements << sql;

    // In tree mode the quotes of the shown queries: their counts in one grouped
    // statement, or, with expand-all, all of them in one statement.
    QHash<QString, QuoteGroup> groups;
    if (treeMode && !heads.empty()) {
        QString where = QStringLiteral("QUERY_ID IN (SELECT ID FROM [%1]").arg(m_queryTable);
        if (!cursor.Filter().isEmpty())
            where += QStringLiteral(" WHERE ") + cursor.Filter().text;
        where += u')';
        if (!QuotesIncludeArchived())
            where = QStringLiteral("IS_ARCHIVE = 0 AND ") + where;
        if (m_expandAll) {
            sql = QuoteSelect() + QStringLiteral(" WHERE ") + where +
                  QStringLiteral(" ORDER BY QUERY_ID, POST_DATE DESC, rowid DESC");
            StatementRun st(c.Prepare(sql));
            st->BindAll(cursor.Filter().args);
            QuoteGroup *group = nullptr;
            QString groupId;
            while (st->Step()) {
                const QString queryId = FoldId(st->Text(1));
                if (!group || queryId != groupId) {
                    group = &groups[queryId];
                    groupId = queryId;
                }
                group->quotes.push_back(MakeQuoteRow(*st, int(group->quotes.size()) + 1));
                group->count = int(group->quotes.size());
                const ItemInfo &q = group->quotes.back();
                group->anyNew = group->anyNew || (q.flags & StatusMask) == 0;
            }
        } else {
            sql = QStringLiteral("SELECT QUERY_ID, COUNT(*), MAX(STATUS_CODE = 0) FROM [%1] WHERE %2 GROUP BY QUERY_ID")
                      .arg(m_quoteTable, where);
            StatementRun st(c.Prepare(sql));
            st->BindAll(cursor.Filter().args);
            while (st->Step()) {
                QuoteGroup &g = groups[FoldId(st->Text(0))];
                g.count += int(st->Int64(1));
                g.anyNew = g.anyNew || st->Int64(2) != 0;
            }
        }
        statements << sql;
    }

    // Everything read: the rows change now.
    m_treeMode = treeMode;
    SetShowsSigns(treeMode);
    cursor.SetSnapshot(std::move(rowIds));
    m_heads = std::move(heads);
    m_queryRowOfId = std::move(rowOfId);
    m_statements = statements;
    m_cellErrorShown = false;
    m_cellErrorRows.clear();
    InvalidateKeys();
    m_rows.clear();
    m_rows.reserve(m_heads.size());
    for (size_t i = 0; i < m_heads.size(); ++i) {
        ItemInfo item;
        item.position = int(i) + 1;
        item.flags = m_heads[i].flags;
        auto g = groups.find(FoldId(m_heads[i].id));
        QuoteGroup *group = g == groups.end() ? nullptr : &g.value();
        FillItemInfo(item, group);
        const bool open = m_treeMode && m_expandAll && group && !group->quotes.empty();
        item.collapsed = !open;
        m_rows.push_back(std::move(item));
        if (open) {
            for (ItemInfo &q : group->quotes)
                m_rows.push_back(std::move(q));
            group->quotes.clear();
        }
    }
}

void XTreeListCtrl::ClearRows()
{
    m_rows.clear();
    m_heads.clear();
    m_queryRowOfId.clear();
    InvalidateKeys();
}

void XTreeListCtrl::Refill()
{
    if (!OnOwnThread(this)) {
        QMetaObject::invokeMethod(this, [this] { Refill(); }, Qt::QueuedConnection);
        return;
    }
    XBaseListCtrl::Refill();
    horizontalHeader()->resizeSection(m_dateColumn, m_treeMode ? 122 : 95);
}

void XTreeListCtrl::SetFolder(int nodeId)
{
    if (!OnOwnThread(this)) {
        QMetaObject::invokeMethod(this, [this, nodeId] { SetFolder(nodeId); }, Qt::QueuedConnection);
        return;
    }
    XBaseListCtrl::SetFolder(nodeId);
    SetExpandAll(Host() && Host()->ExpandsAllQuotes(nodeId));
}

// --- expand and collapse -------------------------------------------------------------------------

bool XTreeListCtrl::Expand(int row)
{
    if (!m_treeMode || !IsTopLevelRow(row) || !Item(row).collapsed || Item(row).childCount <= 0)
        return false;
    const QString queryId = RowId(row);
    QString sql = QuoteSelect() + QStringLiteral(" WHERE QUERY_ID = ?");
    if (!QuotesIncludeArchived())
        sql += QStringLiteral(" AND IS_ARCHIVE = 0");
    sql += QStringLiteral(" ORDER BY POST_DATE DESC, rowid DESC");
    std::vector<ItemInfo> quotes;
    try {
        StatementRun st(theDatabase().Connection().Prepare(sql));
        st->Bind(1, queryId);
        while (st->Step())
            quotes.push_back(MakeQuoteRow(*st, int(quotes.size()) + 1));
    } catch (const std::exception &e) {
        ReportDbError(QStringLiteral("Can not read the quotes"), e);
        return false;
    }
    m_rows[size_t(row)].childCount = int(quotes.size());
    if (quotes.empty()) {
        RowChanged(row);
        return false;
    }
    InvalidateKeys();
    BeginInsertRows(row + 1, row + int(quotes.size()));
    m_rows[size_t(row)].collapsed = false;
    m_rows.insert(m_rows.begin() + row + 1, std::make_move_iterator(quotes.begin()),
                  std::make_move_iterator(quotes.end()));
    EndInsertRows();
    RowChanged(row);
    return true;
}

void XTreeListCtrl::Collapse(int row)
{
    if (!IsTopLevelRow(row) || Item(row).collapsed)
        return;
    int last = row;
    while (last + 1 < RowCount() && !Item(last + 1).topLevel)
        ++last;
    InvalidateKeys();
    if (last > row) {
        BeginRemoveRows(row + 1, last);
        m_rows.erase(m_rows.begin() + row + 1, m_rows.begin() + last + 1);
        m_rows[size_t(row)].collapsed = true;
        EndRemoveRows();
    } else {
        m_rows[size_t(row)].collapsed = true;
    }
    RowChanged(row);
}

// --- rows and keys ---------------------------------------------------------------------------------

int XTreeListCtrl::GetParentItem(int row) const
{
    if (row < 0 || row >= RowCount())
        return -1;
    while (row > 0 && !Item(row).topLevel)
        --row;
    return row;
}

int XTreeListCtrl::QueryRowOf(int row) const
{
    const int parent = GetParentItem(row);
    return parent < 0 ? -1 : Item(parent).position - 1;
}

QString XTreeListCtrl::QueryIdOf(int row) const
{
    const int q = QueryRowOf(row);
    return q >= 0 && q < int(m_heads.size()) ? m_heads[size_t(q)].id : QString();
}

QString XTreeListCtrl::RowId(int row) const
{
    if (row < 0 || row >= RowCount())
        return {};
    return Item(row).topLevel ? QueryIdOf(row) : Item(row).id;
}

QString XTreeListCtrl::GetRowKey(int row) const
{
    const QString id = RowId(row);
    return id.isEmpty() ? QString() : MakeKey(Item(row).topLevel, id);
}

int XTreeListCtrl::FindKeyRow(const QString &key) const
{
    // Only rows shown: a quote under a closed query is not opened to find it.
    if (m_keyRows.isEmpty() && !m_rows.empty()) {
        m_keyRows.reserve(RowCount());
        for (int r = RowCount() - 1; r >= 0; --r) {
            const QString id = RowId(r);
            if (!id.isEmpty())
                m_keyRows.insert(MakeKey(Item(r).topLevel, FoldId(id)), r);
        }
    }
    bool top = true;
    QString id;
    if (!SplitKey(key, &top, &id))
        return -1;
    return m_keyRows.value(MakeKey(top, FoldId(id)), -1);
}

QStringList XTreeListCtrl::SelectedRowKeys() const
{
    QStringList keys;
    for (int row : SelectedRows())
        if (const QString key = GetRowKey(row); !key.isEmpty())
            keys << key;
    return keys;
}

bool XTreeListCtrl::LocateQuery(const QString &key, bool clearOthers, bool selectFirstIfMissing)
{
    if (m_heads.empty())
        return false;
    const int queryRow = m_queryRowOfId.value(FoldId(key), -1);
    if (!key.isEmpty() && queryRow >= 0) {
        for (int r = 0; r < RowCount(); ++r) {
            if (Item(r).topLevel && Item(r).position == queryRow + 1) {
                SelectItem(r, clearOthers);
                return true;
            }
        }
    }
    if (selectFirstIfMissing)
        SelectItem(0, clearOthers);
    return false;
}

bool XTreeListCtrl::LocateQuote(const QString &key, bool clearOthers, bool selectFirstIfMissing)
{
    const auto fallBack = [&] {
        if (selectFirstIfMissing)
            SelectItem(0, clearOthers);
        return false;
    };
    if (m_heads.empty() || key.isEmpty())
        return fallBack();
    QString queryId;
    try {
        StatementRun st(theDatabase().Connection().Prepare(
            QStringLiteral("SELECT QUERY_ID FROM [%1] WHERE ID = ?").arg(m_quoteTable)));
        st->Bind(1, key);
        if (st->Step())
            queryId = st->Text(0);
    } catch (const std::exception &e) {
        ReportDbError(QStringLiteral("Can not read the quotes"), e);
        return fallBack();
    }
    const int queryRow = m_queryRowOfId.value(FoldId(queryId), -1);
    int row = -1;
    for (int r = 0; queryRow >= 0 && r < RowCount(); ++r)
        if (Item(r).topLevel && Item(r).position == queryRow + 1)
            row = r;
    if (row < 0)
        return fallBack();
    if (Item(row).collapsed)
        Expand(row);
    const QString wanted = FoldId(key);
    for (int r = row + 1; r < RowCount() && !Item(r).topLevel; ++r) {
        if (FoldId(Item(r).id) == wanted) {
            SelectItem(r, clearOthers);
            return true;
        }
    }
    return fallBack();
}

int XTreeListCtrl::GetSelectedStatus() const
{
    const int row = CurrentRow();
    return row < 0 ? -1 : Item(row).flags & StatusMask;
}

// --- drawing -----------------------------------------------------------------------------------

bool XTreeListCtrl::IsRowGone(int row) const
{
    if (row < 0 || row >= RowCount())
        return true;
    if (!Item(row).topLevel)
        return false;
    try {
        return Cursor().Read(Item(row).position - 1).deleted;
    } catch (const std::exception &e) {
        ReportCellError(row, e);
        return true;
    }
}

QIcon XTreeListCtrl::RowIcon(int row) const
{
    if (m_treeMode && !Item(row).topLevel)
        return QuoteImage();
    return XBaseListCtrl::RowIcon(row);
}

int XTreeListCtrl::RowIndent(int row) const
{
    return Item(row).topLevel ? 0 : 1;
}

int XTreeListCtrl::RowSign(int row) const
{
    if (!m_treeMode || !HasChildRows(row))
        return 0;
    return Item(row).collapsed ? 1 : 2;
}

bool XTreeListCtrl::IsRowTinted(int row) const
{
    return m_treeMode && HasChildRows(row) && !Item(row).collapsed;
}

QString XTreeListCtrl::CellText(int row, int column) const
{
    const ItemInfo &item = Item(row);
    if (!item.topLevel)
        return QuoteRowTexts(row).value(column);
    try {
        return QueryCellText(item.position - 1, column);
    } catch (const std::exception &e) {
        ReportCellError(row, e);
        return {};
    }
}

void XTreeListCtrl::ReportCellError(int row, const std::exception &e) const
{
    // Once per refill in a box (after the painting), each row once in the log.
    if (m_cellErrorRows.contains(row))
        return;
    m_cellErrorRows.insert(row);
    const QString text = QString::fromUtf8(e.what());
    if (AppCore *app = theAppIfAny())
        app->WriteLog(QStringLiteral("Cannot read row %1: %2").arg(row).arg(text), QStringLiteral("XTreeListCtrl"), 1);
    if (m_cellErrorShown)
        return;
    m_cellErrorShown = true;
    QTimer::singleShot(0, this, [text] {
        if (AppCore *app = theAppIfAny())
            app->ShowMessageBox(text, QStringLiteral("Error"), MsgBox::IconError);
    });
}

bool XTreeListCtrl::IsRowBold(int row) const
{
    const ItemInfo &item = Item(row);
    if (item.topLevel)
        return item.flags >= 0 && (item.flags & FlagBold);
    return (item.flags & FlagIncoming) && (item.flags & StatusMask) == 0;
}

// --- comments --------------------------------------------------------------------------------------

QString XTreeListCtrl::GetComments() const
{
    const int row = CurrentRow();
    if (row < 0)
        return {};
    const QString table = Item(row).topLevel ? m_queryTable : m_quoteTable;
    try {
        return theDatabase()
            .Connection()
            .Scalar(QStringLiteral("SELECT COMMENTS FROM [%1] WHERE ID = ?").arg(table), {RowId(row)})
            .toString();
    } catch (const std::exception &e) {
        ReportDbError(QStringLiteral("Can not read the comments"), e);
        return {};
    }
}

bool XTreeListCtrl::SetComments(const QString &text)
{
    const int row = CurrentRow();
    if (row < 0)
        return false;
    const QString table = Item(row).topLevel ? m_queryTable : m_quoteTable;
    try {
        theDatabase().Connection().Exec(QStringLiteral("UPDATE [%1] SET COMMENTS = ? WHERE ID = ?").arg(table),
                                        {text, RowId(row)});
    } catch (const std::exception &e) {
        ReportDbError(QStringLiteral("Can not store the comments"), e);
        return false;
    }
    ShowDetails(row);
    return true;
}

// --- events ------------------------------------------------------------------------------------------

void XTreeListCtrl::mousePressEvent(QMouseEvent *event)
{
    XBaseListCtrl::mousePressEvent(event);
    if (event->button() != Qt::LeftButton || !m_treeMode)
        return;
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid() || index.column() != 0 || !HasChildRows(index.row()))
        return;
    // Left of the row's icon: the sign.
    const int x = event->position().toPoint().x() - columnViewportPosition(0);
    if (x >= SignWidth + 2)
        return;
    if (Item(index.row()).collapsed)
        Expand(index.row());
    else
        Collapse(index.row());
}

void XTreeListCtrl::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Tab || event->key() == Qt::Key_F2) && DetailsBrowser()) {
        if (auto *browser = dynamic_cast<CWebBrowser2 *>(DetailsBrowser()))
            browser->FocusElement(QStringLiteral("price"));
        event->accept();
        return;
    }
    XBaseListCtrl::keyPressEvent(event);
}
