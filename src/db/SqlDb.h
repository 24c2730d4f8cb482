#pragma once

// A thin layer over the SQLite C API: one connection, its statements and the
// transaction scope. Errors are thrown as DbException so that a record set
// behaves like the class library's one did (the caller catches at its
// command or thread boundary).

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>

struct sqlite3;
struct sqlite3_stmt;

class DbException : public std::runtime_error
{
public:
    DbException(int code, const QString &message, const QString &source, const QString &description);
    int Code() const { return m_code; }
    QString Message() const { return m_message; }
    QString Source() const { return m_source; }
    QString Description() const { return m_description; }
    // "%s.\nSource : %s\nDescription : %s" as the member's error boxes show it.
    QString BoxText(const QString &operation) const;

private:
    int m_code;
    QString m_message;
    QString m_source;
    QString m_description;
};

class SqlConnection;

// One prepared statement. Binding is 1-based, columns 0-based, as in SQLite.
class SqlStatement
{
public:
    SqlStatement(SqlConnection &connection, const QByteArray &sql);
    ~SqlStatement();
    SqlStatement(const SqlStatement &) = delete;
    SqlStatement &operator=(const SqlStatement &) = delete;

    // Clears the previous run (results and bindings).
    SqlStatement &Reset();
    SqlStatement &BindNull(int index);
    SqlStatement &Bind(int index, qint64 value);
    SqlStatement &Bind(int index, int value) { return Bind(index, static_cast<qint64>(value)); }
    SqlStatement &Bind(int index, double value);
    SqlStatement &Bind(int index, const QString &value);
    SqlStatement &BindUtf8(int index, const QByteArray &utf8);
    // Without a copy: the bytes must stay unchanged until the statement has run.
    SqlStatement &BindUtf8Kept(int index, const QByteArray &utf8);
    SqlStatement &BindUtf8Kept(int index, const char *utf8, qsizetype size);
    // QVariant: null → NULL, bool/integers → INTEGER, double → REAL,
    // QDateTime → local "YYYY-MM-DD HH:MM:SS", anything else → TEXT.
    SqlStatement &Bind(int index, const QVariant &value);
    SqlStatement &BindAll(const QVariantList &values);

    // Steps once: true while a row is available, false when done.
    bool Step();
    // Runs to completion (statements without rows).
    void Exec();

    int ColumnCount() const;
    bool IsNull(int column) const;
    qint64 Int64(int column) const;
    int Int(int column) const { return static_cast<int>(Int64(column)); }
    double Double(int column) const;
    QString Text(int column) const;
    QVariant Value(int column) const;
    sqlite3_stmt *Handle() const { return m_stmt; }

private:
    void Check(int rc, const char *what) const;
    SqlConnection &m_connection;
    sqlite3_stmt *m_stmt = nullptr;
};

// A cached statement is reset however its use ends: the next caller that
// prepares the same text finds it clear.
class StatementRun
{
public:
    explicit StatementRun(SqlStatement &st) : m_st(st) {}
    ~StatementRun() { m_st.Reset(); }
    StatementRun(const StatementRun &) = delete;
    StatementRun &operator=(const StatementRun &) = delete;
    SqlStatement *operator->() const { return &m_st; }
    SqlStatement &operator*() const { return m_st; }

private:
    SqlStatement &m_st;
};

// One SQLite connection. Statements prepared through Prepare are cached for
// the connection's life; a connection is used by one thread at a time.
class SqlConnection
{
public:
    struct Options
    {
        bool readOnly = false;
        bool create = true;
        bool wal = true;
        int busyTimeoutMs = 10000;
    };
    SqlConnection(const QString &path, const Options &options);
    explicit SqlConnection(const QString &path) : SqlConnection(path, Options{}) {}
    ~SqlConnection();
    SqlConnection(const SqlConnection &) = delete;
    SqlConnection &operator=(const SqlConnection &) = delete;

    bool IsOpen() const { return m_db != nullptr; }
    void Close();
    QString Path() const { return m_path; }
    sqlite3 *Handle() const { return m_db; }

    // A cached statement, reset and ready to bind. Valid until Close.
    SqlStatement &Prepare(const QByteArray &sql);
    SqlStatement &Prepare(const QString &sql) { return Prepare(sql.toUtf8()); }
    // One statement with bound values, run to completion.
    void Exec(const QString &sql, const QVariantList &args = {});
    // Several statements without values (DDL).
    void ExecScript(const QByteArray &sql);
    // Column 0 of row 0: an empty QVariant when there is no row.
    QVariant Scalar(const QString &sql, const QVariantList &args = {});

    qint64 LastInsertId() const;
    int Changes() const;
    bool InTransaction() const { return m_depth > 0; }
    int TransactionDepth() const { return m_depth; }

    [[noreturn]] void Throw(int rc, const QString &message) const;

private:
    friend class SqlTransaction;
    QString m_path;
    sqlite3 *m_db = nullptr;
    // Looked up by a view of the text: a statement used per row is not copied to be found.
    struct TextHash
    {
        using is_transparent = void;
        size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };
    std::unordered_map<std::string, std::unique_ptr<SqlStatement>, TextHash, std::equal_to<>> m_cache;
    int m_depth = 0;
};

// A write transaction: BEGIN IMMEDIATE at the outermost level (so a writer
// waits for the lock up front instead of failing at its first write), a
// SAVEPOINT inside another scope. Rolled back unless committed.
class SqlTransaction
{
public:
    explicit SqlTransaction(SqlConnection &connection);
    ~SqlTransaction();
    SqlTransaction(const SqlTransaction &) = delete;
    SqlTransaction &operator=(const SqlTransaction &) = delete;

    void Commit();
    void Rollback();
    // Long writers commit at bounded intervals so no other writer waits longer
    // than the busy time-out; only the outermost scope does it.
    void CommitAndContinue();
    bool IsActive() const { return m_active; }

private:
    void Begin();
    void Run(const QByteArray &sql);
    SqlConnection &m_connection;
    int m_level = 0;
    bool m_active = false;
};

// A larger page cache and fewer WAL checkpoints while many rows are written:
// indexes take rows in no order, and pages evicted (or copied back) between
// rows would be written and read again. The connection's own settings return
// at the end.
class SqlBulkWriteScope
{
public:
    // A cache of `cacheKiB` (8 MiB by default), never less than the connection's own.
    explicit SqlBulkWriteScope(SqlConnection &connection, int cacheKiB = DefaultCacheKiB);
    static constexpr int DefaultCacheKiB = 8192;
    ~SqlBulkWriteScope();
    SqlBulkWriteScope(const SqlBulkWriteScope &) = delete;
    SqlBulkWriteScope &operator=(const SqlBulkWriteScope &) = delete;

private:
    SqlConnection &m_connection;
    QByteArray m_old;
    QByteArray m_oldCheckpoint;
    QByteArray m_oldTempStore;
};

namespace SqlValue {
// "YYYY-MM-DD HH:MM:SS" of a local date and time (empty when invalid).
QString FormatDateTime(const QDateTime &value);
// The same of seconds since the epoch, without a QDateTime.
QString FormatSeconds(qint64 seconds);
QDateTime ParseDateTime(const QString &text);
// Money as the original currency type held it: four decimals.
double RoundCurrency(double value);
// Checks that the file starts with the SQLite header.
bool HasSqliteHeader(const QString &path);
} // namespace SqlValue
