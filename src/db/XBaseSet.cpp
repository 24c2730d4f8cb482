#include "XBaseSet.h"

#include "KVDatabase.h"

#include "app/AppCore.h"

#include <QThread>

#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>

#include <sqlite3.h>

namespace {

// A real as a 64-bit integer, saturated at the ends: a server's or member's
// "99999999999999999999" must not wrap round to a negative quantity.
qint64 SaturatedInt64(double value)
{
    if (std::isnan(value))
        return 0;
    // 2^63 is exact as a double; anything at or beyond it does not fit.
    constexpr double limit = 9223372036854775808.0;
    if (value >= limit)
        return std::numeric_limits<qint64>::max();
    if (value <= -limit)
        return std::numeric_limits<qint64>::min();
    return qint64(value);
}

// Text as an integer: a plain integer exactly, else its leading real cut
// toward zero and saturated, else 0.
qint64 TextToInt64(const QString &text)
{
    const QString t = text.trimmed();
    bool ok = false;
    const qint64 n = t.toLongLong(&ok);
    if (ok)
        return n;
    const double d = t.toDouble(&ok);
    return ok ? SaturatedInt64(d) : 0;
}

// A search word is numeric when it is all digits (no sign, no blanks).
bool IsAllDigits(const QString &text)
{
    if (text.isEmpty())
        return false;
    for (QChar ch : text) {
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
            return false;
    }
    return true;
}

// FNV-1a over the name with ASCII letters folded to upper case.
uint32_t FoldedHash(const char *name)
{
    uint32_t h = 2166136261u;
    for (const char *p = name; *p; ++p) {
        char ch = *p;
        if (ch >= 'a' && ch <= 'z')
            ch = char(ch - 'a' + 'A');
        h = (h ^ uint8_t(ch)) * 16777619u;
    }
    return h;
}

SqlExpr Group(const SqlExpr &conditions)
{
    // A table with nothing to search in matches nothing (never "()").
    if (conditions.isEmpty())
        return SqlExpr(QStringLiteral("(0)"));
    return SqlExpr(QStringLiteral("(")) + conditions + SqlExpr(QStringLiteral(")"));
}

} // namespace

XBaseSet::XBaseSet(KVDatabase *database, const char *table, const QStringList &columns)
    : m_pDatabase(database ? database : &theDatabase()), m_table(&Schema::Require(QLatin1String(table)))
{
    if (columns.isEmpty()) {
        for (const ColumnDef &c : m_table->columns)
            m_cols.push_back(&c);
    } else {
        for (const QString &name : columns) {
            const ColumnDef *c = m_table->Column(name);
            if (!c)
                throw std::logic_error("no such column: " + name.toStdString());
            m_cols.push_back(c);
        }
    }
    for (const ColumnDef *c : m_cols)
        m_nameHash.push_back(FoldedHash(c->name));
    m_values.resize(m_cols.size());
    m_original.resize(m_cols.size());
    m_dirty.assign(m_cols.size(), 0);
    BuildFetchSql();
}

XBaseSet::~XBaseSet() = default;

QString XBaseSet::GetDefaultSQL() const
{
    return QStringLiteral("[%1]").arg(QLatin1String(m_table->name));
}

void XBaseSet::BuildFetchSql()
{
    QByteArray sql = "SELECT ";
    for (size_t i = 0; i < m_cols.size(); ++i) {
        if (i)
            sql += ", ";
        sql += "[" + QByteArray(m_cols[i]->name) + "]";
    }
    m_fetchSql = sql + " FROM [" + QByteArray(m_table->name) + "] WHERE rowid = ?";
}

SqlConnection &XBaseSet::Conn()
{
    // A set follows its user's thread; each thread has its own connection.
    const Qt::HANDLE thread = QThread::currentThreadId();
    if (!m_conn || !m_conn->IsOpen() || m_connThread != thread) {
        m_conn = m_pDatabase->ConnectionPtr();
        m_connThread = thread;
    }
    return *m_conn;
}

void XBaseSet::EnsureOpen() const
{
    if (!m_open)
        throw DbException(21, QStringLiteral("Record set is not open"), GetDefaultSQL(),
                          QStringLiteral("the record set is not open"));
}

// --- open, requery, moves -------------------------------------------------------------------

bool XBaseSet::Open()
{
    m_mode = Mode::None;
    QString sql = QStringLiteral("SELECT rowid FROM ") + GetDefaultSQL();
    if (!m_filter.isEmpty())
        sql += QStringLiteral(" WHERE ") + m_filter.text;
    if (!m_sort.trimmed().isEmpty())
        sql += QStringLiteral(" ORDER BY ") + m_sort;
    SqlStatement &st = Conn().Prepare(sql);
    st.BindAll(m_filter.args);
    std::vector<qint64> keys;
    while (st.Step())
        keys.push_back(st.Int64(0));
    st.Reset();
    m_keys.swap(keys);
    m_open = true;
    m_pos = m_keys.empty() ? -1 : 0;
    FetchCurrent();
    return true;
}

void XBaseSet::Close()
{
    m_open = false;
    m_mode = Mode::None;
    m_keys.clear();
    m_pos = -1;
    m_deleted = false;
    ClearValues();
}

bool XBaseSet::Requery()
{
    return Open();
}

bool XBaseSet::Select(const SqlExpr &filter)
{
    m_filter = filter;
    return m_open ? Requery() : Open();
}

bool XBaseSet::Select(const SqlExpr &filter, const QString &sort)
{
    m_sort = sort;
    return Select(filter);
}

bool XBaseSet::IsBOF() const
{
    return m_keys.empty() || m_pos < 0;
}

bool XBaseSet::IsEOF() const
{
    return m_keys.empty() || m_pos >= int(m_keys.size());
}

void XBaseSet::ClearValues()
{
    for (QVariant &v : m_values) {
        if (v.isValid())
            v = QVariant();
    }
    std::fill(m_dirty.begin(), m_dirty.end(), 0);
}

void XBaseSet::FetchCurrent()
{
    m_deleted = false;
    if (m_pos < 0 || m_pos >= int(m_keys.size())) {
        ClearValues();
        return;
    }
    SqlStatement &st = Conn().Prepare(m_fetchSql);
    st.Bind(1, m_keys[size_t(m_pos)]);
    if (!st.Step()) {
        // Gone since the keyset was read: it reads as deleted, never as garbage.
        st.Reset();
        ClearValues();
        m_deleted = true;
        return;
    }
    for (size_t i = 0; i < m_cols.size(); ++i) {
        const int col = int(i);
        QVariant &v = m_values[i];
        if (st.IsNull(col)) {
            v = QVariant();
            continue;
        }
        switch (m_cols[i]->type) {
        case ColumnType::Integer:
        case ColumnType::Logical:
        case ColumnType::Identity:
            v = QVariant(st.Int64(col));
            break;
        case ColumnType::Currency:
        case ColumnType::Float:
            v = QVariant(st.Double(col));
            break;
        default:
            v = QVariant(st.Text(col));
            break;
        }
    }
    st.Reset();
    std::fill(m_dirty.begin(), m_dirty.end(), 0);
}

void XBaseSet::LeaveEditMode()
{
    m_mode = Mode::None;
}

void XBaseSet::SetAbsolutePosition(int position)
{
    EnsureOpen();
    LeaveEditMode();
    if (position < 1)
        m_pos = -1;
    else if (position > int(m_keys.size()))
        m_pos = int(m_keys.size());
    else
        m_pos = position - 1;
    FetchCurrent();
}

void XBaseSet::MoveFirst()
{
    SetAbsolutePosition(1);
}

void XBaseSet::MoveLast()
{
    SetAbsolutePosition(int(m_keys.size()));
}

void XBaseSet::MoveNext()
{
    Move(1);
}

void XBaseSet::MovePrev()
{
    Move(-1);
}

void XBaseSet::Move(int rows)
{
    EnsureOpen();
    const int target = qBound(-1, m_pos + rows, int(m_keys.size()));
    LeaveEditMode();
    m_pos = target;
    FetchCurrent();
}

void XBaseSet::MoveToRecord(int position)
{
    if (m_open && !IsEOF() && m_pos >= 0 && m_pos + 1 == position && m_mode == Mode::None)
        return;
    SetAbsolutePosition(position);
}

qint64 XBaseSet::GetBookmark() const
{
    if (m_pos < 0 || m_pos >= int(m_keys.size()))
        return 0;
    return m_keys[size_t(m_pos)];
}

bool XBaseSet::SetBookmark(qint64 bookmark)
{
    EnsureOpen();
    for (size_t i = 0; i < m_keys.size(); ++i) {
        if (m_keys[i] == bookmark) {
            LeaveEditMode();
            m_pos = int(i);
            FetchCurrent();
            return true;
        }
    }
    return false;
}

// --- writes ------------------------------------------------------------------------------------

void XBaseSet::AddNew()
{
    m_mode = Mode::Adding;
    ClearValues();
}

void XBaseSet::Edit()
{
    EnsureOpen();
    if (m_pos < 0 || m_pos >= int(m_keys.size()) || m_deleted)
        throw DbException(21, QStringLiteral("No current record"), GetDefaultSQL(),
                          QStringLiteral("there is no current record to edit"));
    m_original = m_values;
    std::fill(m_dirty.begin(), m_dirty.end(), 0);
    m_mode = Mode::Editing;
}

void XBaseSet::CancelUpdate()
{
    if (m_mode == Mode::None)
        return;
    m_mode = Mode::None;
    if (m_open)
        FetchCurrent();
    else
        ClearValues();
}

const QByteArray &XBaseSet::InsertSql(const std::vector<int> &changed)
{
    // Rows read from one kind of item write the same columns, row after row.
    if (!m_lastInsertSql.isEmpty() && changed == m_lastInsertColumns)
        return m_lastInsertSql;
    m_lastInsertColumns = changed;
    m_lastInsertSql = InsertSqlOf(changed);
    return m_lastInsertSql;
}

QByteArray XBaseSet::InsertSqlOf(const std::vector<int> &changed)
{
    QByteArray mask(int(m_cols.size()), '0');
    for (int i : changed)
        mask[i] = '1';
    auto it = m_insertSql.find(mask);
    if (it != m_insertSql.end())
        return it.value();
    QByteArray sql = "INSERT INTO [" + QByteArray(m_table->name) + "] ";
    if (changed.empty()) {
        sql += "DEFAULT VALUES";
    } else {
        QByteArray names;
        QByteArray marks;
        for (size_t k = 0; k < changed.size(); ++k) {
            if (k) {
                names += ", ";
                marks += ", ";
            }
            names += "[" + QByteArray(m_cols[size_t(changed[k])]->name) + "]";
            marks += "?";
        }
        sql += "(" + names + ") VALUES (" + marks + ")";
    }
    return m_insertSql.insert(mask, sql).value();
}

namespace {

bool IsTextColumn(ColumnType type)
{
    switch (type) {
    case ColumnType::Integer:
    case ColumnType::Logical:
    case ColumnType::Identity:
    case ColumnType::Currency:
    case ColumnType::Float:
        return false;
    default:
        return true;
    }
}

const QString *StringIn(const QVariant &value)
{
    return value.typeId() == QMetaType::QString ? static_cast<const QString *>(value.constData()) : nullptr;
}

} // namespace

// The columns' values bound from `first` on. Texts are bound without a copy
// of their own: their UTF-8 is written into one buffer the set keeps from
// row to row, with room for all of them made first so that nothing moves
// while the statement points into it.
void XBaseSet::BindColumns(SqlStatement &st, const std::vector<int> &columns, int first)
{
    qsizetype room = 0;
    for (int i : columns) {
        const QVariant &value = m_values[size_t(i)];
        if (!value.isNull() && IsTextColumn(m_cols[size_t(i)]->type)) {
            const QString *text = StringIn(value);
            room += m_encoder.requiredSpace(text ? text->size() : value.toString().size());
        }
    }
    m_texts.resize(room);
    char *at = m_texts.data();
    int index = first;
    for (int i : columns) {
        const QVariant &value = m_values[size_t(i)];
        if (value.isNull()) {
            st.BindNull(index++);
            continue;
        }
        switch (m_cols[size_t(i)]->type) {
        case ColumnType::Integer:
        case ColumnType::Logical:
        case ColumnType::Identity:
            st.Bind(index++, value.toLongLong());
            continue;
        case ColumnType::Currency:
        case ColumnType::Float:
            st.Bind(index++, value.toDouble());
            continue;
        default:
            break;
        }
        const QString *held = StringIn(value);
        const QString other = held ? QString() : value.toString();
        const QString &text = held ? *held : other;
        char *const start = at;
        at = m_encoder.appendToBuffer(at, text);
        if (m_encoder.hasError()) {
            // What toUtf8 writes for a lone surrogate ('?'), not the encoder's U+FFFD.
            m_encoder.resetState();
            const QByteArray utf8 = text.toUtf8();
            std::memcpy(start, utf8.constData(), size_t(utf8.size()));
            at = start + utf8.size();
        }
        st.BindUtf8Kept(index++, start, at - start);
    }
}

bool XBaseSet::Update()
{
    if (m_mode == Mode::None)
        throw DbException(21, QStringLiteral("Update without AddNew or Edit"), GetDefaultSQL(),
                          QStringLiteral("the record set is not in add or edit mode"));
    if (m_readOnly)
        return false;
    SqlConnection &c = Conn();
    // Kept between rows with their room: a poll writes thousands.
    std::vector<int> &changed = m_changed;
    changed.clear();
    changed.reserve(m_cols.size());
    if (m_mode == Mode::Adding) {
        for (size_t i = 0; i < m_cols.size(); ++i) {
            if (m_dirty[i])
                changed.push_back(int(i));
        }
        SqlStatement &st = c.Prepare(InsertSql(changed));
        BindColumns(st, changed, 1);
        st.Exec();
        m_lastInsertId = c.LastInsertId();
        m_mode = Mode::None;
        if (m_open) {
            // Rows added through the set show at its end.
            m_keys.push_back(m_lastInsertId);
            if (m_pos >= int(m_keys.size()) - 1)
                m_pos = int(m_keys.size());
        }
        if (m_open)
            FetchCurrent();
        else
            ClearValues();
        return true;
    }

    // Only what this set changed, so another writer's columns stay as they are.
    for (size_t i = 0; i < m_cols.size(); ++i) {
        if (m_dirty[i] && m_values[i] != m_original[i])
            changed.push_back(int(i));
    }
    m_mode = Mode::None;
    if (changed.empty())
        return true;
    QByteArray sql = "UPDATE [" + QByteArray(m_table->name) + "] SET ";
    for (size_t k = 0; k < changed.size(); ++k) {
        if (k)
            sql += ", ";
        sql += "[" + QByteArray(m_cols[size_t(changed[k])]->name) + "] = ?";
    }
    sql += " WHERE rowid = ?";
    SqlStatement &st = c.Prepare(sql);
    BindColumns(st, changed, 1);
    st.Bind(int(changed.size()) + 1, m_keys[size_t(m_pos)]);
    st.Exec();
    const bool written = c.Changes() > 0;
    FetchCurrent();
    return written;
}

void XBaseSet::Delete()
{
    EnsureOpen();
    if (m_pos < 0 || m_pos >= int(m_keys.size()) || m_deleted)
        throw DbException(21, QStringLiteral("No current record"), GetDefaultSQL(),
                          QStringLiteral("there is no current record to delete"));
    if (m_readOnly)
        return;
    m_mode = Mode::None;
    Conn().Exec(QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(GetDefaultSQL()), {m_keys[size_t(m_pos)]});
    ClearValues();
    m_deleted = true;
}

// --- fields ------------------------------------------------------------------------------------

QString XBaseSet::GetFieldName(int index) const
{
    return QLatin1String(m_cols[size_t(index)]->name);
}

int XBaseSet::FindField(const char *name) const
{
    // Names are mostly literals of the readers' tables, at the same address
    // every time: the position found for an address is tried first (and
    // checked, since a caller's buffer may hold another name next time).
    // Literals lie a few bytes apart: the address is mixed before it picks a slot.
    static_assert(std::tuple_size_v<decltype(m_byAddress)> == 128);
    AddressSlot &slot = m_byAddress[(quint64(quintptr(name)) * 0x9E3779B97F4A7C15ull) >> (64 - 7)];
    if (slot.name == name && std::strcmp(m_cols[size_t(slot.index)]->name, name) == 0)
        return slot.index;
    const size_t n = m_cols.size();
    const size_t start = m_lastFound < n ? m_lastFound : 0;
    // Readers name fields as the schema writes them, mostly in column order.
    if (start < n && std::strcmp(m_cols[start]->name, name) == 0) {
        m_lastFound = start + 1;
        slot = {name, int(start)};
        return int(start);
    }
    const uint32_t h = FoldedHash(name);
    auto scan = [&](size_t from, size_t to) -> int {
        for (size_t i = from; i < to; ++i) {
            if (m_nameHash[i] == h && qstricmp(m_cols[i]->name, name) == 0) {
                m_lastFound = i + 1;
                return int(i);
            }
        }
        return -1;
    };
    int found = scan(start, n);
    if (found < 0)
        found = scan(0, start);
    if (found >= 0)
        slot = {name, found};
    return found;
}

int XBaseSet::FieldIndex(const char *name) const
{
    const int i = FindField(name);
    if (i < 0)
        throw std::logic_error(std::string("record set of ") + m_table->name + " has no column " + name);
    return i;
}

QString XBaseSet::GetText(int index) const
{
    const QVariant &v = m_values[size_t(index)];
    if (v.isNull())
        return {};
    if (v.typeId() == QMetaType::Double)
        return QString::number(v.toDouble(), 'g', 15);
    return v.toString();
}

qint64 XBaseSet::GetInt64(int index) const
{
    const QVariant &v = m_values[size_t(index)];
    if (v.isNull())
        return 0;
    if (v.typeId() == QMetaType::QString)
        return TextToInt64(v.toString());
    if (v.typeId() == QMetaType::Double)
        return SaturatedInt64(v.toDouble());
    return v.toLongLong();
}

double XBaseSet::GetDouble(int index) const
{
    const QVariant &v = m_values[size_t(index)];
    return v.isNull() ? 0.0 : v.toDouble();
}

QDateTime XBaseSet::GetDate(int index) const
{
    const QVariant &v = m_values[size_t(index)];
    return v.isNull() ? QDateTime() : SqlValue::ParseDateTime(v.toString());
}

void XBaseSet::SetDate(int index, const QDateTime &value)
{
    SetFieldValue(index, value.isValid() ? QVariant(SqlValue::FormatDateTime(value)) : QVariant());
}

void XBaseSet::SetNow(const char *name)
{
    // Without QDateTime's local time, which checks the zone file on every call.
    SetText(name, SqlValue::FormatSeconds(QDateTime::currentSecsSinceEpoch()));
}

void XBaseSet::SetFieldValue(int index, const QVariant &value)
{
    const size_t i = size_t(index);
    QVariant &slot = m_values.at(i);
    m_dirty[i] = 1;
    if (value.isNull() || !value.isValid()) {
        slot = QVariant();
        return;
    }
    switch (m_cols[i]->type) {
    case ColumnType::Integer:
    case ColumnType::Identity:
        if (value.typeId() == QMetaType::QString)
            slot = QVariant(TextToInt64(value.toString()));
        else if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float)
            slot = QVariant(SaturatedInt64(value.toDouble()));
        else
            slot = QVariant(value.toLongLong());
        break;
    case ColumnType::Logical:
        slot = QVariant(qint64(value.toBool() || value.toLongLong() != 0 ? 1 : 0));
        break;
    case ColumnType::Currency:
        slot = QVariant(SqlValue::RoundCurrency(value.toDouble()));
        break;
    case ColumnType::Float:
        slot = QVariant(value.toDouble());
        break;
    case ColumnType::DateTime:
        if (value.typeId() == QMetaType::QDateTime)
            slot = QVariant(SqlValue::FormatDateTime(value.toDateTime()));
        else
            slot = QVariant(value.toString());
        break;
    default:
        slot = value.typeId() == QMetaType::QString ? value : QVariant(value.toString());
        break;
    }
}

// --- folder filter and search -------------------------------------------------------------------

SqlExpr XBaseSet::GetFolderFilter(int)
{
    return {};
}

QString XBaseSet::GetIdText() const
{
    return {};
}

void XBaseSet::SplitWords(const QString &text)
{
    m_words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

void XBaseSet::SetSearchText(QString &text)
{
    text = text.trimmed();
    m_searchText = text;
    ResetFilter();
    if (m_searchText.isEmpty()) {
        m_words.clear();
        return;
    }
    SplitWords(m_searchText);
    BuildSearchFilter();
    if (m_words.size() <= 1 || SearchFitsLimits())
        return;
    // A text of many words makes more terms than SQLite takes (expression
    // depth, bound values): keep the most leading words that fit.
    const QStringList all = m_words;
    int fits = 1, tooMany = int(all.size());
    while (tooMany - fits > 1) {
        const int n = fits + (tooMany - fits) / 2;
        m_words = all.mid(0, n);
        ResetFilter();
        BuildSearchFilter();
        (SearchFitsLimits() ? fits : tooMany) = n;
    }
    m_words = all.mid(0, fits);
    ResetFilter();
    BuildSearchFilter();
    if (AppCore *app = theAppIfAny())
        app->WriteLog(QStringLiteral("The search keeps its first %1 words and drops %2.").arg(fits).arg(all.size() - fits),
                      QStringLiteral("Search"), 3);
}

bool XBaseSet::SearchFitsLimits() const
{
    const QByteArray sql = (QStringLiteral("SELECT 1 FROM ") + GetDefaultSQL() + QStringLiteral(" WHERE (") +
                            m_filter.text + QStringLiteral(")"))
                               .toUtf8();
    sqlite3_stmt *stmt = nullptr;
    const int rc = sqlite3_prepare_v2(m_pDatabase->Connection().Handle(), sql.constData(), int(sql.size()), &stmt,
                                      nullptr);
    sqlite3_finalize(stmt);
    return rc == SQLITE_OK;
}

void XBaseSet::BuildSearchFilter()
{
    SqlExpr whole;
    AddFieldSearch(whole, m_searchText);
    SqlExpr search = Group(whole);
    if (m_words.size() > 1) {
        search += SqlExpr(QStringLiteral(" OR ("));
        for (int i = 0; i < m_words.size(); ++i) {
            if (i)
                search += SqlExpr(QStringLiteral(" AND "));
            SqlExpr word;
            AddFieldSearch(word, m_words[i]);
            search += Group(word);
        }
        search += SqlExpr(QStringLiteral(")"));
    }
    // The folder's filter holds around every alternative of the search.
    if (m_filter.isEmpty())
        m_filter = search;
    else
        m_filter = SqlExpr(QStringLiteral("(")) + m_filter + SqlExpr(QStringLiteral(") AND (")) + search +
                   SqlExpr(QStringLiteral(")"));
}

SqlExpr XBaseSet::FormatNumberCondition(const QString &column, const QString &op, qint64 value) const
{
    return SqlExpr(QStringLiteral("%1 %2 ?").arg(column, op), {value});
}

SqlExpr XBaseSet::FormatRealCondition(const QString &column, const QString &op, double value) const
{
    return SqlExpr(QStringLiteral("%1 %2 ?").arg(column, op), {value});
}

SqlExpr XBaseSet::FormatTextCondition(const QString &column, const QString &op, const QString &value) const
{
    return SqlExpr(QStringLiteral("UCASE(TRIM(%1)) %2 UCASE(TRIM(?))").arg(column, op), {value});
}

QString XBaseSet::FormatLikePattern(const QString &value) const
{
    return QLatin1Char('%') + value + QLatin1Char('%');
}

SqlExpr XBaseSet::AddWordConditions(const QString &column, const QString &op, bool numeric) const
{
    SqlExpr list;
    if (m_words.size() <= 1)
        return list;
    for (const QString &word : m_words) {
        SqlExpr cond;
        if (numeric) {
            bool ok = false;
            const qint64 n = IsAllDigits(word) ? word.toLongLong(&ok) : 0;
            if (!ok)
                continue;
            cond = FormatNumberCondition(column, op, n);
        } else {
            cond = FormatTextCondition(column, op, FormatLikePattern(word));
        }
        if (!list.isEmpty())
            list += SqlExpr(QStringLiteral(" OR "));
        list += cond;
    }
    return list;
}

void XBaseSet::AddOrCondition(const QString &column, const QString &op, const QString &value, SqlExpr &list,
                              bool numeric) const
{
    SqlExpr cond;
    if (numeric) {
        // A number beyond 64 bits matches no integer column: no condition, no overflow.
        bool ok = false;
        const qint64 n = IsAllDigits(value) ? value.toLongLong(&ok) : 0;
        if (!ok)
            return;
        cond = FormatNumberCondition(column, op, n);
    } else {
        cond = FormatTextCondition(column, op, value);
    }
    if (!list.isEmpty())
        list += SqlExpr(QStringLiteral(" OR "));
    list += cond;
}

void XBaseSet::AddFieldSearch(SqlExpr &, const QString &) const
{
}

int XBaseSet::CountRecords(const SqlExpr &extraIn)
{
    SqlExpr extra = extraIn;
    extra.text = extra.text.trimmed();
    if (extra.text.startsWith(QLatin1String("AND "), Qt::CaseInsensitive))
        extra.text = extra.text.mid(4);
    SqlExpr where;
    if (!m_filter.isEmpty()) {
        where = SqlExpr(QStringLiteral(" WHERE (")) + m_filter + SqlExpr(QStringLiteral(")"));
        if (!extra.isEmpty())
            where += SqlExpr(QStringLiteral(" AND ")) + extra;
    } else if (!extra.isEmpty()) {
        where = SqlExpr(QStringLiteral(" WHERE ")) + extra;
    }
    return m_pDatabase->ExecuteScalar(QStringLiteral("SELECT COUNT(*) FROM ") + GetDefaultSQL() + where.text,
                                      where.args);
}
