#include "RecordCursor.h"

#include "KVDatabase.h"

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

void RecordCursor::Refill()
{
    QString sql = QStringLiteral("SELECT rowid FROM [%1]").arg(QLatin1String(m_table->name));
    if (!m_filter.isEmpty())
        sql += QStringLiteral(" WHERE ") + m_filter.text;
    if (!m_sort.trimmed().isEmpty())
        sql += QStringLiteral(" ORDER BY ") + m_sort;
    SqlStatement &st = Db().Connection().Prepare(sql);
    std::vector<qint64> ids;
    try {
        st.BindAll(m_filter.args);
        ids.reserve(size_t(qMax(0, Count())));
        while (st.Step())
            ids.push_back(st.Int64(0));
    } catch (...) {
        st.Reset();
        throw;
    }
    st.Reset();
    ++m_snapshots;
    SetSnapshot(std::move(ids));
}

void RecordCursor::SetSnapshot(std::vector<qint64> rowIds)
{
    m_rowIds = std::move(rowIds);
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

qint64 RecordCursor::RowId(int row) const
{
    return row >= 0 && row < Count() ? m_rowIds[size_t(row)] : 0;
}

const RecordCursor::Page &RecordCursor::LoadPage(int page)
{
    auto it = m_pages.find(page);
    if (it != m_pages.end())
        return it->second;

    const int first = page * PageSize;
    const int n = qMin(PageSize, Count() - first);
    Page p;
    p.rows.resize(size_t(n));
    std::unordered_map<qint64, int> slot;
    slot.reserve(size_t(n));
    SqlStatement &st = Db().Connection().Prepare(m_pageSql);
    try {
        for (int i = 0; i < PageSize; ++i) {
            if (i < n) {
                st.Bind(i + 1, m_rowIds[size_t(first + i)]);
                slot.emplace(m_rowIds[size_t(first + i)], i);
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
    } catch (...) {
        st.Reset();
        throw;
    }
    st.Reset();
    // A snapshot id read twice (a rated order names a row once per rating) gets the same record.
    for (int i = 0; i < n; ++i) {
        Record &r = p.rows[size_t(i)];
        if (r.deleted) {
            const int s = slot[m_rowIds[size_t(first + i)]];
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
    if (key.isEmpty() || m_rowIds.empty())
        return -1;
    SqlStatement &st = Db().Connection().Prepare(QStringLiteral("SELECT rowid FROM [%1] WHERE [%2] = ?")
                                                     .arg(QLatin1String(m_table->name), m_columns[m_keyColumn]));
    int row = -1;
    try {
        st.Bind(1, key);
        while (row < 0 && st.Step())
            row = FindRowId(st.Int64(0));
    } catch (...) {
        st.Reset();
        throw;
    }
    st.Reset();
    return row;
}
