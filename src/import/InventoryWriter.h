#pragma once

// The writer every importer shares: rows of the Inventory table keyed by
// their SOURCE text, inserted, updated and deleted through prepared, bound
// statements on the importing thread's own connection, committed in batches.

#include <QByteArray>
#include <QString>

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

class SqlConnection;
class SqlStatement;
class SqlTransaction;

namespace Inv {
// The Inventory columns in table order (the own format's 37 values).
enum Column : int {
    ID, P_STOCK_NUMBER, P_OEM_NUMBER, P_AAIA_NUMBER, P_INTERCHANGE_NUMBER, P_TYPE, P_CATEGORY, P_NAME,
    P_QUANTITY, P_BRAND, P_PRICE, P_CORE_DEPOSIT, P_SHIPPING_GROUP, P_COLOR, P_SIDE, P_HANDLING, P_WEIGHT,
    P_BUY_URL, P_PICTURE_URL, P_NOTES, V_MAKE, V_MODEL, V_YEAR, V_END_YEAR, V_TRANSMISSION, V_AXLE,
    V_BODY_STYLE, V_ENGINE, V_ENGINE_SIZE, V_ENGINE_SIZE_UNIT, V_DELIVERY, V_FUEL, V_ASPIRATION, V_VIN,
    WHEEL_WIDTH, WHEEL_HEIGHT, SOURCE, ColumnCount
};
const char *Name(int column);
// -1 when the name (upper case) is none of the 37.
int Find(std::string_view upperName);
bool IsCurrency(int column);
bool IsNumber(int column);
bool IsInteger(int column);
} // namespace Inv

// One row as an importer fills it: only the columns set are written.
class InvRow
{
public:
    void Clear() { m_mask = m_ownedMask = 0; }
    // The text must stay valid until the row is written.
    void SetText(int column, std::string_view value);
    // A text the row keeps itself.
    std::string &OwnText(int column);
    void SetDouble(int column, double value);
    void SetInt(int column, int64_t value);
    bool Has(int column) const { return (m_mask >> column) & 1u; }
    std::string_view Text(int column) const
    {
        if (!Has(column))
            return {};
        return (m_ownedMask >> column) & 1u ? std::string_view(m_owned[column]) : m_text[column];
    }
    double Double(int column) const { return Has(column) ? m_number[column] : 0.0; }
    int64_t Int(int column) const { return Has(column) ? m_integer[column] : 0; }
    uint64_t Mask() const { return m_mask; }

private:
    uint64_t m_mask = 0;
    uint64_t m_ownedMask = 0;  // columns whose text the row keeps
    std::array<std::string_view, Inv::ColumnCount> m_text{};
    std::array<std::string, Inv::ColumnCount> m_owned{};
    std::array<double, Inv::ColumnCount> m_number{};
    std::array<int64_t, Inv::ColumnCount> m_integer{};
};

class InventoryWriter
{
public:
    struct Counts
    {
        int inserted = 0;
        int updated = 0;
        int deleted = 0;
    };

    explicit InventoryWriter(SqlConnection &connection);
    ~InventoryWriter();
    InventoryWriter(const InventoryWriter &) = delete;
    InventoryWriter &operator=(const InventoryWriter &) = delete;

    // The index the keyed statements need (older files lack it).
    static void EnsureSourceIndex(SqlConnection &connection);
    // Loads the SOURCE values that begin with `prefix`; returns how many.
    int LoadKeys(std::string_view prefix);
    bool IsKnown(std::string_view key) const;

    // Opens the transaction. `whole`: one transaction for the whole run, no batch commits.
    void Begin(bool whole = false);
    void Insert(std::string_view key, const InvRow &row);
    // The rows with this key take the row's columns; false when there is none.
    bool Update(std::string_view key, const InvRow &row);
    bool Delete(std::string_view key);
    // Deletes every row whose SOURCE begins with `prefix`; returns how many.
    int DeletePrefix(std::string_view prefix);
    // Commits the batch when it has been open long enough; returns the counts it committed.
    Counts Step();
    Counts Commit();
    void Rollback();
    bool InTransaction() const;

    void SetBatchInterval(int ms) { m_batch = std::chrono::milliseconds(ms); }

private:
    SqlStatement &InsertStatement(uint64_t mask);
    SqlStatement &UpdateStatement(uint64_t mask);
    static void BindRow(SqlStatement &st, const InvRow &row, int *next);
    static void BindKey(SqlStatement &st, int index, std::string_view key);
    const std::string &Fold(std::string_view key) const;
    Counts TakePending();

    SqlConnection &m_connection;
    std::unique_ptr<SqlTransaction> m_transaction;
    bool m_whole = false;
    std::chrono::steady_clock::time_point m_batchStart{};
    std::chrono::milliseconds m_batch{250};
    int m_rowsSinceCheck = 0;
    Counts m_pending;
    std::unordered_set<std::string> m_keys;
    std::unordered_map<uint64_t, SqlStatement *> m_inserts;
    std::unordered_map<uint64_t, SqlStatement *> m_updates;
    mutable std::string m_fold;
    std::string m_stamp;
};
