#include "RecordCursor.h"

#include "KVDatabase.h"

#include <sqlite3.h>

#include <algorithm>
#include <stdexcept>

RecordCursor::RecordCursor(const char *table, const QStringList &columns, KVDatabase *database,
                           const char *keyColumn)
    : m_database(database), m_table(&Schema::Require(QLatin1String(table)))
{
    for (const QString &name : columns) {
        const ColumnDef *c = m_table->Column(name);
        if (!c)
            throw std::logic_error("no such column: " + name.toStdString());
        m_columns << QLatin1String(c->name);
    }
    m_keyColumn = Column(keyColumn);
    if (m_keyColumn < 0) {
        const ColumnDef *c = m_table->Column(QLatin1String(keyColumn));
        if (!c)
            throw std::logic_error(std::string("no such key column: ") + keyColumn);
        m_columns << QLatin1String(c->name);
        m_keyColumn = int(m_columns.size()) - 1;
    }
    QByteArray sql = "SELECT rowid";
    for (const QString &c : m_columns)
        sql += ", [" + c.toLatin1() + "]";
    sql += " FROM [" + QByteArray(m_table->name) + "] WHERE rowid IN (?";
    for (int i = 1; i < PageSize; ++i)
        sql += ", ?";
    m_pageSql = sql + ")";
}

KVDatabase &RecordCursor::Db() const
{
    return m_database ? *m_database : theDatabase();
}

int RecordCursor::Column(const char *name) const
{
    for (int i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i].compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

namespace {

// The list's order made total: the rowid breaks ties in the direction of the
// last term, so an index on the sort column (which ends in the rowid) still
// gives the order.
QString TotalOrder(const QString &sort)
{
    const QString trimmed = sort.trimmed();
    if (trimmed.isEmpty())
        return QStringLiteral("rowid ASC");
    const bool desc = trimmed.endsWith(QLatin1String(" DESC"), Qt::CaseInsensitive);
    return trimmed + (desc ? QStringLiteral(", rowid DESC") : QStringLiteral(", rowid ASC"));
}

// The same order from the other end; empty when a term is not a plain
// "field [ASC|DESC]".
QString ReverseOrder(const QString &order)
{
    QStringList terms;
    for (const QString &term : order.split(QLatin1Char(','))) {
        QStringList words = term.simplified().split(QLatin1Char(' '));
        if (words.size() > 2 || words.first().contains(QLatin1Char('(')))
            return {};
        const bool desc = words.size() == 2 && words[1].compare(QLatin1String("DESC"), Qt::CaseInsensitive) == 0;
        if (words.size() == 2 && !desc && words[1].compare(QLatin1String("ASC"), Qt::CaseInsensitive) != 0)
            return {};
        terms << words.first() + (desc ? QStringLiteral(" ASC") : QStringLiteral(" DESC"));
    }
    return terms.join(QStringLiteral(", "));
}

} // namespace

bool RecordCursor::IndexGivesOrder(const QString &where, const QString &order)
{
    const QString sql = QStringLiteral("SELECT rowid FROM [%1]%2 ORDER BY %3")
                            .arg(QLatin1String(m_table->name), where, order);
    if (sql == m_planFor)
        return m_planPaged;
    SqlStatement &st = Db().Connection().Prepare(QStringLiteral("EXPLAIN QUERY PLAN ") + sql);
    bool sorts = false;
    {
        const StatementRun run(st);
        while (st.Step())
            sorts = sorts || st.Text(3).contains(QLatin1String("TEMP B-TREE"));
    }
    m_planFor = sql;
    m_planPaged = !sorts;
    return m_planPaged;
}

void RecordCursor::Refill()
{
    const QString where = m_filter.isEmpty() ? QString() : QStringLiteral(" WHERE ") + m_filter.text;
    const QString order = TotalOrder(m_sort);
    if (!IndexGivesOrder(where, order)) {
        // Sorting means reading every row anyway: keep their ids.
        QString sql = QStringLiteral("SELECT rowid FROM [%1]").arg(QLatin1String(m_table->name)) + where;
        if (!m_sort.trimmed().isEmpty())
            sql += QStringLiteral(" ORDER BY ") + m_sort;
        SqlStatement &st = Db().Connection().Prepare(sql);
        std::vector<qint64> ids;
        {
            const StatementRun run(st);
            st.BindAll(m_filter.args);
            ids.reserve(size_t(qMax(0, Count())));
            while (st.Step())
                ids.push_back(st.Int64(0));
        }
        ++m_snapshots;
        SetSnapshot(std::move(ids));
        return;
    }

    const QString from = QStringLiteral(" FROM [%1]").arg(QLatin1String(m_table->name)) + where;
    SqlStatement &count = Db().Connection().Prepare(QStringLiteral("SELECT COUNT(*)") + from);
    int n = 0;
    {
        const StatementRun run(count);
        count.BindAll(m_filter.args);
        n = count.Step() ? count.Int(0) : 0;
    }

    const QString oldIdSql = m_idSql, oldReverse = m_reverseIdSql;
    const int oldCount = m_count;
    m_idSql = QStringLiteral("SELECT rowid") + from + QStringLiteral(" ORDER BY ") + order;
    const QString reverse = ReverseOrder(order);
    m_reverseIdSql = reverse.isEmpty() ? QString() : QStringLiteral("SELECT rowid") + from + QStringLiteral(" ORDER BY ") + reverse;
    m_count = n;
    std::vector<qint64> first;
    try {
        // The first screen's ids are taken now, with the count.
        first = ReadIds(0, qMin(PageSize, n));
    } catch (...) {
        m_idSql = oldIdSql;
        m_reverseIdSql = oldReverse;
        m_count = oldCount;
        throw;
    }
    ++m_snapshots;
    m_paged = true;
    m_rowIds.clear();
    m_rowIds.shrink_to_fit();
    m_rowOf.clear();
    m_idPages.clear();
    m_idPageOrder.clear();
    m_idPages.emplace(0, std::move(first));
    m_idPageOrder.push_back(0);
    DropCache();
}

std::vector<qint64> RecordCursor::ReadIds(int first, int n)
{
    std::vector<qint64> ids;
    if (n <= 0)
        return ids;
    // The back half is nearer from the other end.
    const bool fromEnd = !m_reverseIdSql.isEmpty() && first + n / 2 > m_count / 2;
    SqlStatement &st = Db().Connection().Prepare((fromEnd ? m_reverseIdSql : m_idSql) +
                                                 QStringLiteral(" LIMIT ? OFFSET ?"));
    ids.reserve(size_t(n));
    {
        const StatementRun run(st);
        st.BindAll(m_filter.args);
        const int limit = sqlite3_bind_parameter_count(st.Handle()) - 1;
        st.Bind(limit, n);
        st.Bind(limit + 1, fromEnd ? m_count - first - n : first);
        while (st.Step())
            ids.push_back(st.Int64(0));
    }
    if (fromEnd)
        std::reverse(ids.begin(), ids.end());
    // Rows gone since the count read as deleted (id 0) in their places.
    ids.resize(size_t(n), 0);
    return ids;
}

const std::vector<qint64> &RecordCursor::PageIds(int page)
{
    if (!m_paged) {
        static const std::vector<qint64> none;
        return none;
    }
    auto it = m_idPages.find(page);
    if (it != m_idPages.end())
        return it->second;
    const int first = page * PageSize;
    std::vector<qint64> ids = ReadIds(first, qMin(PageSize, m_count - first));
    if (int(m_idPageOrder.size()) >= MaxIdPages) {
        m_idPages.erase(m_idPageOrder.front());
        m_idPageOrder.pop_front();
    }
    m_idPageOrder.push_back(page);
    return m_idPages.emplace(page, std::move(ids)).first->second;
}

void RecordCursor::SetSnapshot(std::vector<qint64> rowIds)
{
    m_rowIds = std::move(rowIds);
    m_count = int(m_rowIds.size());
    m_paged = false;
    m_idPages.clear();
    m_idPageOrder.clear();
    m_rowOf.clear();
    DropCache();
}

void RecordCursor::Clear()
{
    SetSnapshot({});
}

void RecordCursor::DropCache()
{
    m_pages.clear();
    m_pageOrder.clear();
}

qint64 RecordCursor::RowId(int row)
{
    if (row < 0 || row >= Count())
        return 0;
    if (!m_paged)
        return m_rowIds[size_t(row)];
    return PageIds(row / PageSize)[size_t(row % PageSize)];
}

const RecordCursor::Page &RecordCursor::LoadPage(int page)
{
    auto it = m_pages.find(page);
    if (it != m_pages.end())
        return it->second;

    const int first = page * PageSize;
    const int n = qMin(PageSize, Count() - first);
    const qint64 *ids = m_paged ? PageIds(page).data() : m_rowIds.data() + first;
    Page p;
    p.rows.resize(size_t(n));
    std::unordered_map<qint64, int> slot;
    slot.reserve(size_t(n));
    SqlStatement &st = Db().Connection().Prepare(m_pageSql);
    {
        const StatementRun run(st);
        for (int i = 0; i < PageSize; ++i) {
            if (i < n) {
                st.Bind(i + 1, ids[i]);
                slot.emplace(ids[i], i);
            } else {
                st.BindNull(i + 1);
            }
        }
        const int cols = int(m_columns.size());
        while (st.Step()) {
            auto s = slot.find(st.Int64(0));
            if (s == slot.end())
                continue;
            Record &r = p.rows[size_t(s->second)];
            r.values.resize(size_t(cols));
            for (int c = 0; c < cols; ++c)
                r.values[size_t(c)] = st.Value(c + 1);
            r.deleted = false;
            ++m_rowsRead;
        }
    }
    // A snapshot id read twice (a rated order names a row once per rating) gets the same record.
    for (int i = 0; i < n; ++i) {
        Record &r = p.rows[size_t(i)];
        if (r.deleted) {
            const int s = slot[ids[i]];
            if (s != i)
                r = p.rows[size_t(s)];
        }
    }

    if (int(m_pageOrder.size()) >= MaxPages) {
        m_pages.erase(m_pageOrder.front());
        m_pageOrder.pop_front();
    }
    m_pageOrder.push_back(page);
    return m_pages.emplace(page, std::move(p)).first->second;
}

const RecordCursor::Record &RecordCursor::Read(int row)
{
    if (row < 0 || row >= Count())
        return m_empty;
    return LoadPage(row / PageSize).rows[size_t(row % PageSize)];
}

QVariant RecordCursor::Value(int row, int column)
{
    const Record &r = Read(row);
    if (r.deleted || column < 0 || column >= int(r.values.size()))
        return {};
    return r.values[size_t(column)];
}

QString RecordCursor::Text(int row, int column)
{
    const QVariant v = Value(row, column);
    if (v.isNull())
        return {};
    if (v.typeId() == QMetaType::Double)
        return QString::number(v.toDouble(), 'g', 15);
    return v.toString();
}

qint64 RecordCursor::Int(int row, int column)
{
    const QVariant v = Value(row, column);
    if (v.typeId() == QMetaType::Double)
        return qint64(v.toDouble());
    return v.isNull() ? 0 : v.toString().trimmed().toLongLong();
}

double RecordCursor::Double(int row, int column)
{
    const QVariant v = Value(row, column);
    return v.isNull() ? 0.0 : v.toString().trimmed().toDouble();
}

QStringList RecordCursor::Keys(const QList<int> &rows)
{
    QStringList keys;
    keys.reserve(rows.size());
    for (int row : rows)
        keys << Key(row);
    return keys;
}

int RecordCursor::FindRowId(qint64 rowId)
{
    if (m_paged) {
        for (const auto &[page, ids] : m_idPages) {
            auto it = std::find(ids.begin(), ids.end(), rowId);
            if (it != ids.end())
                return page * PageSize + int(it - ids.begin());
        }
        // Not on a page read yet: its place is found by walking the order.
        SqlStatement &st = Db().Connection().Prepare(m_idSql);
        int row = -1;
        {
            const StatementRun run(st);
            st.BindAll(m_filter.args);
            for (int i = 0; row < 0 && i < m_count && st.Step(); ++i) {
                if (st.Int64(0) == rowId)
                    row = i;
            }
        }
        return row;
    }
    if (m_rowOf.empty() && !m_rowIds.empty()) {
        m_rowOf.reserve(m_rowIds.size());
        // The first row of an id wins (a rated order may repeat one).
        for (size_t i = m_rowIds.size(); i-- > 0;)
            m_rowOf[m_rowIds[i]] = int(i);
    }
    auto it = m_rowOf.find(rowId);
    return it == m_rowOf.end() ? -1 : it->second;
}

int RecordCursor::FindKey(const QString &key)
{
    if (key.isEmpty() || Count() == 0)
        return -1;
    // In the paged mode only a row inside the filter is worth a walk.
    QString sql = QStringLiteral("SELECT rowid FROM [%1] WHERE ").arg(QLatin1String(m_table->name));
    if (m_paged && !m_filter.isEmpty())
        sql += QStringLiteral("(") + m_filter.text + QStringLiteral(") AND ");
    sql += QStringLiteral("[%1] = ?").arg(m_columns[m_keyColumn]);
    SqlStatement &st = Db().Connection().Prepare(sql);
    std::vector<qint64> candidates;
    {
        const StatementRun run(st);
        if (m_paged)
            st.BindAll(m_filter.args);
        st.Bind(sqlite3_bind_parameter_count(st.Handle()), key);
        while (st.Step())
            candidates.push_back(st.Int64(0));
    }
    for (qint64 id : candidates) {
        const int row = FindRowId(id);
        if (row >= 0)
            return row;
    }
    return -1;
}
