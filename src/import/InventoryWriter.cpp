#include "InventoryWriter.h"

#include "db/Schema.h"
#include "db/SqlDb.h"

#include <QDateTime>

#include <sqlite3.h>

#include <stdexcept>

namespace Inv {

namespace {
constexpr const char *Names[ColumnCount] = {
    "ID", "P_STOCK_NUMBER", "P_OEM_NUMBER", "P_AAIA_NUMBER", "P_INTERCHANGE_NUMBER", "P_TYPE", "P_CATEGORY",
    "P_NAME", "P_QUANTITY", "P_BRAND", "P_PRICE", "P_CORE_DEPOSIT", "P_SHIPPING_GROUP", "P_COLOR", "P_SIDE",
    "P_HANDLING", "P_WEIGHT", "P_BUY_URL", "P_PICTURE_URL", "P_NOTES", "V_MAKE", "V_MODEL", "V_YEAR",
    "V_END_YEAR", "V_TRANSMISSION", "V_AXLE", "V_BODY_STYLE", "V_ENGINE", "V_ENGINE_SIZE", "V_ENGINE_SIZE_UNIT",
    "V_DELIVERY", "V_FUEL", "V_ASPIRATION", "V_VIN", "WHEEL_WIDTH", "WHEEL_HEIGHT", "SOURCE",
};

// The table's description and this list must agree, or every row would land in the wrong column.
bool CheckAgainstSchema()
{
    const TableDef &t = Schema::Require(QStringLiteral("Inventory"));
    for (int i = 0; i < ColumnCount; ++i) {
        if (t.ColumnIndex(QLatin1String(Names[i])) != i)
            throw std::logic_error(std::string("Inventory column out of place: ") + Names[i]);
    }
    return true;
}
} // namespace

const char *Name(int column)
{
    return column >= 0 && column < ColumnCount ? Names[column] : "";
}

int Find(std::string_view upperName)
{
    for (int i = 0; i < ColumnCount; ++i) {
        if (upperName == Names[i])
            return i;
    }
    return -1;
}

bool IsCurrency(int column)
{
    return column == P_PRICE || column == P_CORE_DEPOSIT || column == P_HANDLING;
}

bool IsInteger(int column)
{
    return column == ID || column == P_QUANTITY;
}

bool IsNumber(int column)
{
    return IsCurrency(column) || IsInteger(column) || column == P_WEIGHT;
}

} // namespace Inv

// --- InvRow -----------------------------------------------------------------------------------

void InvRow::SetText(int column, std::string_view value)
{
    m_text[column] = value;
    m_mask |= uint64_t(1) << column;
    m_ownedMask &= ~(uint64_t(1) << column);
}

std::string &InvRow::OwnText(int column)
{
    std::string &s = m_owned[column];
    s.clear();
    m_mask |= uint64_t(1) << column;
    m_ownedMask |= uint64_t(1) << column;
    return s;
}

void InvRow::SetDouble(int column, double value)
{
    m_number[column] = value;
    m_mask |= uint64_t(1) << column;
}

void InvRow::SetInt(int column, int64_t value)
{
    m_integer[column] = value;
    m_mask |= uint64_t(1) << column;
}

// --- InventoryWriter ----------------------------------------------------------------------------

InventoryWriter::InventoryWriter(SqlConnection &connection) : m_connection(connection)
{
    static const bool checked = Inv::CheckAgainstSchema();
    (void)checked;
}

InventoryWriter::~InventoryWriter()
{
    if (m_transaction && m_transaction->IsActive()) {
        try {
            m_transaction->Rollback();
        } catch (...) {
        }
    }
}

void InventoryWriter::EnsureSourceIndex(SqlConnection &connection)
{
    connection.ExecScript("CREATE INDEX IF NOT EXISTS [" + TableDef::IndexName("Inventory", "SOURCE") +
                          "] ON [Inventory] ([SOURCE])");
}

const std::string &InventoryWriter::Fold(std::string_view key) const
{
    // The column compares without ASCII case; the set must agree with it.
    m_fold.assign(key);
    for (char &c : m_fold) {
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    }
    return m_fold;
}

namespace {
// The bounds of the keys that begin with `prefix`, in the column's case-blind order.
std::pair<std::string, std::string> PrefixRange(std::string_view prefix)
{
    std::string low(prefix);
    for (char &c : low) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    std::string high = low;
    while (!high.empty() && static_cast<unsigned char>(high.back()) == 0xFF)
        high.pop_back();
    if (!high.empty()) {
        char next = char(high.back() + 1);
        if (next >= 'A' && next <= 'Z')
            next = '[';  // upper-case letters sort as lower case
        high.back() = next;
    }
    return {low, high};
}

void BindText(SqlStatement &st, int index, std::string_view text)
{
    // A view of nothing still binds an empty text, not NULL.
    const char *data = text.data() ? text.data() : "";
    const int rc = sqlite3_bind_text(st.Handle(), index, data, int(text.size()), SQLITE_STATIC);
    if (rc != SQLITE_OK)
        throw DbException(rc, QStringLiteral("Can not bind a value"), QString(), QString::fromUtf8(sqlite3_errstr(rc)));
}
} // namespace

int InventoryWriter::LoadKeys(std::string_view prefix)
{
    m_keys.clear();
    const auto [low, high] = PrefixRange(prefix);
    SqlStatement &st = m_connection.Prepare(
        high.empty() ? QByteArray("SELECT [SOURCE] FROM [Inventory] WHERE [SOURCE] >= ?")
                     : QByteArray("SELECT [SOURCE] FROM [Inventory] WHERE [SOURCE] >= ? AND [SOURCE] < ?"));
    BindText(st, 1, low);
    if (!high.empty())
        BindText(st, 2, high);
    const int rows = m_connection.Scalar(QStringLiteral("SELECT COUNT(*) FROM [Inventory]")).toInt();
    m_keys.reserve(size_t(rows <= 1000 ? 100000 : rows * 3 / 2));
    while (st.Step()) {
        const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(st.Handle(), 0));
        if (p)
            m_keys.insert(Fold(std::string_view(p, size_t(sqlite3_column_bytes(st.Handle(), 0)))));
    }
    st.Reset();
    return int(m_keys.size());
}

bool InventoryWriter::IsKnown(std::string_view key) const
{
    return m_keys.count(Fold(key)) > 0;
}

void InventoryWriter::Begin(bool whole)
{
    m_whole = whole;
    m_pending = {};
    m_transaction = std::make_unique<SqlTransaction>(m_connection);
    m_batchStart = std::chrono::steady_clock::now();
    m_stamp = SqlValue::FormatDateTime(QDateTime::currentDateTime()).toStdString();
    m_rowsSinceCheck = 0;
}

bool InventoryWriter::InTransaction() const
{
    return m_transaction && m_transaction->IsActive();
}

SqlStatement &InventoryWriter::InsertStatement(uint64_t mask)
{
    auto it = m_inserts.find(mask);
    if (it != m_inserts.end())
        return *it->second;
    QByteArray columns, values;
    for (int c = 0; c < Inv::SOURCE; ++c) {
        if (!((mask >> c) & 1u))
            continue;
        columns += '[' + QByteArray(Inv::Name(c)) + "], ";
        values += "?, ";
    }
    SqlStatement &st = m_connection.Prepare("INSERT INTO [Inventory] (" + columns + "[SOURCE], [LAST_UPDATED]) VALUES (" +
                                            values + "?, ?)");
    m_inserts.emplace(mask, &st);
    return st;
}

SqlStatement &InventoryWriter::UpdateStatement(uint64_t mask)
{
    auto it = m_updates.find(mask);
    if (it != m_updates.end())
        return *it->second;
    QByteArray set;
    for (int c = 0; c < Inv::SOURCE; ++c) {
        if (!((mask >> c) & 1u))
            continue;
        if (!set.isEmpty())
            set += ", ";
        set += '[' + QByteArray(Inv::Name(c)) + "] = ?";
    }
    SqlStatement &st = m_connection.Prepare("UPDATE [Inventory] SET " + set + " WHERE [SOURCE] = ?");
    m_updates.emplace(mask, &st);
    return st;
}

void InventoryWriter::BindRow(SqlStatement &st, const InvRow &row, int *next)
{
    sqlite3_stmt *h = st.Handle();
    for (int c = 0; c < Inv::SOURCE; ++c) {
        if (!row.Has(c))
            continue;
        const int index = (*next)++;
        int rc = SQLITE_OK;
        if (Inv::IsInteger(c))
            rc = sqlite3_bind_int64(h, index, row.Int(c));
        else if (Inv::IsCurrency(c))
            rc = sqlite3_bind_double(h, index, SqlValue::RoundCurrency(row.Double(c)));
        else if (c == Inv::P_WEIGHT)
            rc = sqlite3_bind_double(h, index, row.Double(c));
        else
            BindText(st, index, row.Text(c));
        if (rc != SQLITE_OK)
            throw DbException(rc, QStringLiteral("Can not bind a value"), QString(),
                              QString::fromUtf8(sqlite3_errstr(rc)));
    }
}

void InventoryWriter::BindKey(SqlStatement &st, int index, std::string_view key)
{
    BindText(st, index, key);
}

void InventoryWriter::Insert(std::string_view key, const InvRow &row)
{
    const uint64_t mask = row.Mask() & ~(uint64_t(1) << Inv::ID) & ~(uint64_t(1) << Inv::SOURCE);
    SqlStatement &st = InsertStatement(mask);
    int next = 1;
    BindRow(st, row, &next);
    BindKey(st, next, key);
    // One time for the batch, as the column's default would give it.
    BindText(st, next + 1, m_stamp);
    st.Exec();
    m_keys.insert(Fold(key));
    ++m_pending.inserted;
}

bool InventoryWriter::Update(std::string_view key, const InvRow &row)
{
    const uint64_t mask = row.Mask() & ~(uint64_t(1) << Inv::ID) & ~(uint64_t(1) << Inv::SOURCE);
    if (!mask)
        return false;
    SqlStatement &st = UpdateStatement(mask);
    int next = 1;
    BindRow(st, row, &next);
    BindKey(st, next, key);
    st.Exec();
    if (m_connection.Changes() <= 0)
        return false;
    ++m_pending.updated;
    return true;
}

bool InventoryWriter::Delete(std::string_view key)
{
    SqlStatement &st = m_connection.Prepare(QByteArray("DELETE FROM [Inventory] WHERE [SOURCE] = ?"));
    BindKey(st, 1, key);
    st.Exec();
    const int n = m_connection.Changes();
    m_keys.erase(Fold(key));
    m_pending.deleted += n;
    return n > 0;
}

int InventoryWriter::DeletePrefix(std::string_view prefix)
{
    const auto [low, high] = PrefixRange(prefix);
    SqlStatement &st = m_connection.Prepare(QByteArray("DELETE FROM [Inventory] WHERE [SOURCE] >= ? AND [SOURCE] < ?"));
    BindText(st, 1, low);
    BindText(st, 2, high);
    st.Exec();
    const int n = m_connection.Changes();
    m_keys.clear();
    m_pending.deleted += n;
    return n;
}

InventoryWriter::Counts InventoryWriter::TakePending()
{
    const Counts c = m_pending;
    m_pending = {};
    return c;
}

InventoryWriter::Counts InventoryWriter::Step()
{
    if (m_whole || !m_transaction || ++m_rowsSinceCheck < 64)
        return {};
    m_rowsSinceCheck = 0;
    const auto now = std::chrono::steady_clock::now();
    if (now - m_batchStart < m_batch)
        return {};
    m_transaction->CommitAndContinue();
    m_batchStart = now;
    m_stamp = SqlValue::FormatDateTime(QDateTime::currentDateTime()).toStdString();
    return TakePending();
}

InventoryWriter::Counts InventoryWriter::Commit()
{
    if (m_transaction)
        m_transaction->Commit();
    m_transaction.reset();
    return TakePending();
}

void InventoryWriter::Rollback()
{
    if (m_transaction)
        m_transaction->Rollback();
    m_transaction.reset();
    m_pending = {};
}
