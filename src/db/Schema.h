#pragma once

// The local database's tables, described once: the DDL, the record sets'
// column binding and the schema tests all come from here. Widths are kept
// for documentation; SQLite does not enforce them (an over-long value is
// stored whole rather than losing the record).

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

enum class ColumnType {
    Text,      // TEXT(n) / VARCHAR(n)
    LongText,  // memo text
    Integer,   // 32-bit signed
    Currency,  // money, four decimals
    Float,     // double
    DateTime,  // "YYYY-MM-DD HH:MM:SS", local time
    Logical,   // 0/1, never null (DEFAULT 0 unless said otherwise)
    Identity,  // counter, never reused
};

enum class ColumnDefault { NoDefault, DefaultTrue, DefaultNow };

struct ColumnDef
{
    const char *name;
    ColumnType type;
    int width;  // characters of a text column; 0 otherwise
    bool primaryKey;
    ColumnDefault defaultValue;

    // The column as CREATE TABLE writes it.
    QByteArray Ddl() const;
    // The declared SQLite type ("TEXT", "INTEGER", "REAL").
    const char *SqlType() const;
    // The default clause's value as PRAGMA table_info reports it (empty: none).
    QByteArray DefaultSql() const;
    bool IsText() const { return type == ColumnType::Text || type == ColumnType::LongText || type == ColumnType::DateTime; }
};

struct TableDef
{
    const char *name;
    std::vector<ColumnDef> columns;
    std::vector<const char *> indexes;  // indexed columns in creation order ("A,B": one index on both)

    // Column position, -1 when the table has no such column (exact name, any case).
    int ColumnIndex(const QString &column) const;
    const ColumnDef *Column(const QString &column) const;
    QStringList ColumnNames() const;
    QByteArray CreateTableSql() const;
    // "CREATE INDEX [index_<Table>_<COLUMN>[_<COLUMN>]] ON [<Table>] ([<COLUMN>][, ...])", one
    // per index; with "IF NOT EXISTS" to add the ones a file lacks.
    std::vector<QByteArray> CreateIndexSql(bool ifMissing = false) const;
    static QByteArray IndexName(const char *table, const char *columns);
};

namespace Schema {
// The twelve tables in creation order.
const std::vector<TableDef> &Tables();
// nullptr when there is no such table (compared without case, as the original engine did).
const TableDef *Find(const QString &table);
const TableDef &Require(const QString &table);
int IndexCount();
} // namespace Schema
