#include "SqlDb.h"

#include "app/Utils.h"

#include <QDateTime>
#include <QFile>

#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <ctime>

DbException::DbException(int code, const QString &message, const QString &source, const QString &description)
    : std::runtime_error((message + QStringLiteral(": ") + description).toStdString()),
      m_code(code), m_message(message), m_source(source), m_description(description)
{
}

QString DbException::BoxText(const QString &operation) const
{
    return QStringLiteral("%1.\nSource : %2\nDescription : %3").arg(operation, m_source, m_description);
}

// --- SqlValue ----------------------------------------------------------------------

namespace SqlValue {

QString FormatDateTime(const QDateTime &value)
{
    if (!value.isValid())
        return {};
    return value.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString FormatSeconds(qint64 seconds)
{
    const time_t t = time_t(seconds);
    tm local{};
    if (!localtime_r(&t, &local))
        return FormatDateTime(QDateTime::fromSecsSinceEpoch(seconds));
    const int year = local.tm_year + 1900;
    if (year < 0 || year > 9999) {
        char text[64];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", year, local.tm_mon + 1, local.tm_mday,
                      local.tm_hour, local.tm_min, local.tm_sec);
        return QString::fromLatin1(text);
    }
    // By hand, not by snprintf: a poll stamps every item it stores.
    QString text(19, Qt::Uninitialized);
    QChar *out = text.data();
    const auto two = [&out](int n) {
        *out++ = QLatin1Char(char('0' + n / 10));
        *out++ = QLatin1Char(char('0' + n % 10));
    };
    two(year / 100);
    two(year % 100);
    *out++ = u'-';
    two(local.tm_mon + 1);
    *out++ = u'-';
    two(local.tm_mday);
    *out++ = u' ';
    two(local.tm_hour);
    *out++ = u':';
    two(local.tm_min);
    *out++ = u':';
    two(local.tm_sec);
    return text;
}

QDateTime ParseDateTime(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return {};
    QDateTime dt = QDateTime::fromString(t, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!dt.isValid())
        dt = QDateTime::fromString(t, QStringLiteral("yyyy-MM-dd HH:mm"));
    if (!dt.isValid())
        dt = QDateTime::fromString(t, Qt::ISODate);
    if (!dt.isValid()) {
        const QDate d = QDate::fromString(t, QStringLiteral("yyyy-MM-dd"));
        if (d.isValid())
            dt = QDateTime(d, QTime(0, 0));
    }
    return dt;
}

double RoundCurrency(double value)
{
    if (!std::isfinite(value))
        return 0.0;
    // Near the top of the range the scaled value overflows; a number that
    // large has no fourth decimal to round anyway.
    const double scaled = value * 10000.0;
    if (!std::isfinite(scaled))
        return value;
    return std::round(scaled) / 10000.0;
}

bool HasSqliteHeader(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    static const QByteArray magic("SQLite format 3\0", 16);
    return f.read(16) == magic;
}

} // namespace SqlValue

// --- UCASE ---------------------------------------------------------------------------

// Upper case of any script, so filters written as UCASE(TRIM(x)) compare
// the way the original engine did, not only for ASCII.
static void UcaseFunction(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(argv[0]));
    const int len = sqlite3_value_bytes(argv[0]);
    bool ascii = true;
    for (int i = 0; i < len && ascii; ++i)
        ascii = static_cast<unsigned char>(text[i]) < 0x80;
    QByteArray upper;
    if (ascii) {
        upper = QByteArray(text, len).toUpper();
    } else {
        upper = QString::fromUtf8(text, len).toUpper().toUtf8();
    }
    sqlite3_result_text(ctx, upper.constData(), int(upper.size()), SQLITE_TRANSIENT);
}

// --- SqlStatement ----------------------------------------------------------------------

SqlStatement::SqlStatement(SqlConnection &connection, const QByteArray &sql) : m_connection(connection)
{
    if (!connection.IsOpen())
        throw DbException(SQLITE_MISUSE, QStringLiteral("Database is closed"), connection.Path(),
                          QStringLiteral("the connection was closed"));
    const int rc = sqlite3_prepare_v3(connection.Handle(), sql.constData(), int(sql.size()),
                                      SQLITE_PREPARE_PERSISTENT, &m_stmt, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        connection.Throw(rc, QStringLiteral("Can not prepare the statement"));
    }
}

SqlStatement::~SqlStatement()
{
    sqlite3_finalize(m_stmt);
}

void SqlStatement::Check(int rc, const char *what) const
{
    if (rc != SQLITE_OK)
        m_connection.Throw(rc, QString::fromLatin1(what));
}

SqlStatement &SqlStatement::Reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
    return *this;
}

SqlStatement &SqlStatement::BindNull(int index)
{
    Check(sqlite3_bind_null(m_stmt, index), "Can not bind a value");
    return *this;
}

SqlStatement &SqlStatement::Bind(int index, qint64 value)
{
    Check(sqlite3_bind_int64(m_stmt, index, value), "Can not bind a value");
    return *this;
}

SqlStatement &SqlStatement::Bind(int index, double value)
{
    Check(sqlite3_bind_double(m_stmt, index, value), "Can not bind a value");
    return *this;
}

SqlStatement &SqlStatement::Bind(int index, const QString &value)
{
    return BindUtf8(index, value.toUtf8());
}

SqlStatement &SqlStatement::BindUtf8(int index, const QByteArray &utf8)
{
    Check(sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT),
          "Can not bind a value");
    return *this;
}

SqlStatement &SqlStatement::BindUtf8Kept(int index, const QByteArray &utf8)
{
    return BindUtf8Kept(index, utf8.constData(), utf8.size());
}

SqlStatement &SqlStatement::BindUtf8Kept(int index, const char *utf8, qsizetype size)
{
    // A text past SQLite's int sizes is refused by SQLite itself, not cut short here.
    Check(sqlite3_bind_text64(m_stmt, index, utf8 ? utf8 : "", sqlite3_uint64(size), SQLITE_STATIC, SQLITE_UTF8),
          "Can not bind a value");
    return *this;
}

SqlStatement &SqlStatement::Bind(int index, const QVariant &value)
{
    if (value.isNull() || !value.isValid())
        return BindNull(index);
    switch (value.typeId()) {
    case QMetaType::Bool:
        return Bind(index, qint64(value.toBool() ? 1 : 0));
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::Char:
        return Bind(index, value.toLongLong());
    case QMetaType::ULongLong:
    case QMetaType::ULong:
        return Bind(index, qint64(value.toULongLong()));
    case QMetaType::Double:
    case QMetaType::Float:
        return Bind(index, value.toDouble());
    case QMetaType::QDateTime:
        return Bind(index, SqlValue::FormatDateTime(value.toDateTime()));
    case QMetaType::QByteArray:
        return BindUtf8(index, value.toByteArray());
    default:
        return Bind(index, value.toString());
    }
}

SqlStatement &SqlStatement::BindAll(const QVariantList &values)
{
    for (int i = 0; i < values.size(); ++i)
        Bind(i + 1, values[i]);
    return *this;
}

bool SqlStatement::Step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    sqlite3_reset(m_stmt);
    m_connection.Throw(rc, QStringLiteral("Can not execute the statement"));
}

void SqlStatement::Exec()
{
    while (Step()) {
    }
    sqlite3_reset(m_stmt);
}

int SqlStatement::ColumnCount() const
{
    return sqlite3_column_count(m_stmt);
}

bool SqlStatement::IsNull(int column) const
{
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

qint64 SqlStatement::Int64(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

double SqlStatement::Double(int column) const
{
    return sqlite3_column_double(m_stmt, column);
}

QString SqlStatement::Text(int column) const
{
    const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
    if (!p)
        return {};
    return Utils::FromUtf8Text(p, sqlite3_column_bytes(m_stmt, column));
}

QVariant SqlStatement::Value(int column) const
{
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(m_stmt, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_stmt, column));
    case SQLITE_NULL:
        return {};
    default:
        return QVariant(Text(column));
    }
}

// --- SqlConnection ----------------------------------------------------------------------

SqlConnection::SqlConnection(const QString &path, const Options &options) : m_path(path)
{
    int flags = options.readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    if (options.create && !options.readOnly)
        flags |= SQLITE_OPEN_CREATE;
    flags |= SQLITE_OPEN_NOMUTEX;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString description = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        throw DbException(rc, QStringLiteral("Can not open database"), path, description);
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, options.busyTimeoutMs);
    sqlite3_create_function_v2(m_db, "UCASE", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                               UcaseFunction, nullptr, nullptr, nullptr);
    try {
        // Reading the journal mode also proves the file is a database.
        if (options.wal && !options.readOnly)
            Scalar(QStringLiteral("PRAGMA journal_mode=WAL"));
        else
            Scalar(QStringLiteral("PRAGMA schema_version"));
        if (!options.readOnly)
            ExecScript("PRAGMA synchronous=NORMAL;");
    } catch (...) {
        Close();
        throw;
    }
}

SqlConnection::~SqlConnection()
{
    Close();
}

void SqlConnection::Close()
{
    m_cache.clear();
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
    m_depth = 0;
}

void SqlConnection::Throw(int rc, const QString &message) const
{
    const QString description = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString::fromUtf8(sqlite3_errstr(rc));
    throw DbException(rc, message, QStringLiteral("SQLite %1").arg(m_path), description);
}

SqlStatement &SqlConnection::Prepare(const QByteArray &sql)
{
    auto it = m_cache.find(std::string_view(sql.constData(), size_t(sql.size())));
    if (it == m_cache.end()) {
        auto stmt = std::make_unique<SqlStatement>(*this, sql);
        it = m_cache.emplace(std::string(sql.constData(), size_t(sql.size())), std::move(stmt)).first;
    } else {
        it->second->Reset();
    }
    return *it->second;
}

void SqlConnection::Exec(const QString &sql, const QVariantList &args)
{
    SqlStatement &st = Prepare(sql);
    st.BindAll(args);
    st.Exec();
    st.Reset();
}

void SqlConnection::ExecScript(const QByteArray &sql)
{
    if (!m_db)
        Throw(SQLITE_MISUSE, QStringLiteral("Database is closed"));
    char *error = nullptr;
    const int rc = sqlite3_exec(m_db, sql.constData(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        const QString description = error ? QString::fromUtf8(error) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_free(error);
        throw DbException(rc, QStringLiteral("Can not execute the statement"), QStringLiteral("SQLite %1").arg(m_path),
                          description);
    }
}

QVariant SqlConnection::Scalar(const QString &sql, const QVariantList &args)
{
    SqlStatement &st = Prepare(sql);
    st.BindAll(args);
    QVariant result;
    if (st.Step())
        result = st.Value(0);
    st.Reset();
    return result;
}

qint64 SqlConnection::LastInsertId() const
{
    return m_db ? sqlite3_last_insert_rowid(m_db) : 0;
}

int SqlConnection::Changes() const
{
    return m_db ? sqlite3_changes(m_db) : 0;
}

// --- SqlBulkWriteScope ----------------------------------------------------------------------

SqlBulkWriteScope::SqlBulkWriteScope(SqlConnection &connection, int cacheKiB) : m_connection(connection)
{
    m_old = connection.Scalar(QStringLiteral("PRAGMA cache_size")).toByteArray();
    // A negative size is in KiB, a positive one in pages.
    const qint64 old = m_old.toLongLong();
    const qint64 pageKiB = qMax<qint64>(1, connection.Scalar(QStringLiteral("PRAGMA page_size")).toLongLong() / 1024);
    const qint64 oldKiB = old < 0 ? -old : old * pageKiB;
    if (cacheKiB > oldKiB)
        connection.ExecScript("PRAGMA cache_size = -" + QByteArray::number(cacheKiB));
    m_oldCheckpoint = connection.Scalar(QStringLiteral("PRAGMA wal_autocheckpoint")).toByteArray();
    connection.Scalar(QStringLiteral("PRAGMA wal_autocheckpoint = 8192"));
    // A savepoint per stored item copies every page it changes to a statement
    // journal; in memory that is a copy, in a file it is a write per page.
    m_oldTempStore = connection.Scalar(QStringLiteral("PRAGMA temp_store")).toByteArray();
    connection.ExecScript("PRAGMA temp_store = MEMORY");
}

SqlBulkWriteScope::~SqlBulkWriteScope()
{
    try {
        if (m_connection.IsOpen() && !m_old.isEmpty())
            m_connection.ExecScript("PRAGMA cache_size = " + QByteArray::number(m_old.toLongLong()));
        if (m_connection.IsOpen() && !m_oldCheckpoint.isEmpty())
            m_connection.Scalar(QStringLiteral("PRAGMA wal_autocheckpoint = ") +
                                QString::number(m_oldCheckpoint.toLongLong()));
        if (m_connection.IsOpen() && !m_oldTempStore.isEmpty())
            m_connection.ExecScript("PRAGMA temp_store = " + QByteArray::number(m_oldTempStore.toLongLong()));
    } catch (...) {
    }
}

// --- SqlTransaction ------------------------------------------------------------------------

SqlTransaction::SqlTransaction(SqlConnection &connection) : m_connection(connection)
{
    Begin();
}

// Transaction statements run once per stored item: kept prepared, not parsed each time.
void SqlTransaction::Run(const QByteArray &sql)
{
    if (!m_connection.IsOpen())
        m_connection.Throw(SQLITE_MISUSE, QStringLiteral("Database is closed"));
    m_connection.Prepare(sql).Exec();
}

void SqlTransaction::Begin()
{
    m_level = m_connection.m_depth + 1;
    if (m_level == 1)
        Run("BEGIN IMMEDIATE");
    else
        Run("SAVEPOINT sp" + QByteArray::number(m_level));
    m_connection.m_depth = m_level;
    m_active = true;
}

SqlTransaction::~SqlTransaction()
{
    if (m_active) {
        try {
            Rollback();
        } catch (...) {
            // The connection may already be gone; nothing else to undo.
        }
    }
}

void SqlTransaction::Commit()
{
    if (!m_active)
        return;
    if (!m_connection.IsOpen()) {
        m_active = false;
        m_connection.Throw(SQLITE_MISUSE, QStringLiteral("Database is closed"));
    }
    if (m_level == 1)
        Run("COMMIT");
    else
        Run("RELEASE sp" + QByteArray::number(m_level));
    m_active = false;
    m_connection.m_depth = m_level - 1;
}

void SqlTransaction::Rollback()
{
    if (!m_active)
        return;
    m_active = false;
    m_connection.m_depth = m_level - 1;
    if (!m_connection.IsOpen())
        return;
    if (m_level == 1) {
        if (!sqlite3_get_autocommit(m_connection.Handle()))
            m_connection.ExecScript("ROLLBACK");
    } else {
        const QByteArray name = "sp" + QByteArray::number(m_level);
        Run("ROLLBACK TO " + name);
        Run("RELEASE " + name);
    }
}

void SqlTransaction::CommitAndContinue()
{
    if (!m_active || m_level != 1)
        return;
    Commit();
    Begin();
}
