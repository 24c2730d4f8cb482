#pragma once

#include "SqlDb.h"

#include "app/Globals.h"

#include <QDateTime>
#include <QHash>
#include <QMutex>
#include <QString>
#include <QVariantList>

#include <functional>
#include <memory>

// The path of a file in the data folder.
QString GetDataFilePath(const QString &fileName);

// The one owner of the local database file: creation with its schema, the
// UserInfo row, conversion of an older file, compaction, backup, restore and
// the purge of expired queries. It hands out one SQLite connection per thread
// and keeps a registry of them so that restore and compaction can close all.
class KVDatabase : public GlobalObject
{
public:
    // The program's schema version.
    static constexpr char SchemaVersion[] = "98";

    KVDatabase();
    ~KVDatabase() override;

    // Opens or creates the file; false when a creation step failed (already shown).
    bool init();
    QString GetPassportId() const;
    QString GetDbVersion() const;
    void SetPassportId(const QString &passportId);
    // Rebuilds the file in the current schema, keeping its rows.
    bool ConvertDatabase();
    // The file carries no password on this platform; kept for callers that pass it on.
    static QString GetPassword();
    // Size of the database file in bytes (0 when it is missing).
    qint64 GetDatabaseSize() const;
    bool CompactDatabase();
    bool BackupDatabase(const QString &archivePath);
    bool RestoreDatabase(const QString &archivePath);
    // Deletes incoming, not archived queries in state 0 or 1 whose posting day
    // plus their life time lies before the day of now.
    bool DeleteExpiredQueries(const QDateTime &now);
    // One statement with bound values; a failure is shown ("Can not execute the sql.") and false returned.
    bool ExecuteSQL(const QString &sql, const QVariantList &args = {});
    // One statement whose failure reaches the caller as DbException.
    void Execute(const QString &sql, const QVariantList &args = {});
    // Column 1 of row 1 as an integer: -1 when there is no row, 0 for NULL.
    int ExecuteScalar(const QString &sql, const QVariantList &args = {});
    static bool FileExists(const QString &path);
    bool CanUpdate() const { return true; }

    // The calling thread's connection, opened on first use.
    SqlConnection &Connection();
    std::shared_ptr<SqlConnection> ConnectionPtr();
    // Closes every thread's connection (their owners must be idle); the next
    // use on a thread opens a fresh one.
    void CloseAll();
    // Closes the calling thread's connection (a worker thread at its end).
    void ReleaseThreadConnection();
    QString DatabasePath() const;
    int OpenConnectionCount() const;

    // Message box of a failed database operation: "%s.\nSource : %s\nDescription : %s".
    static void ShowError(const QString &operation, const DbException &e);
    static void ShowError(const QString &operation, const QString &source, const QString &description);

    // Tests make chosen renames of the file swaps fail (true: fail this one).
    using RenameFault = std::function<bool(const QString &from, const QString &to)>;
    static void SetRenameFault(RenameFault fault);

private:
    bool CreateDatabase(const QString &path);
    bool CreateTables(SqlConnection &c);
    bool CreateIndexes(SqlConnection &c);
    void AddMissingIndexes();
    bool WriteUserInfo(SqlConnection &c, const QString &passportId, const QString &version);
    bool ReadUserInfo();
    bool ConvertInto(const QString &oldPath, const QString &newPath);
    // Replaces `target` (and its WAL side files) by the complete file `replacement`.
    static bool SwapFiles(const QString &replacement, const QString &target);
    void RecoverFromInterruptedSwap(const QString &path);
    static void RemoveWithSideFiles(const QString &path);
    static bool VerifyDatabaseFile(const QString &path, QString *why);
    static void Log(const QString &message, const QString &context, int level);

    mutable QMutex m_mutex;
    QString m_passportId;
    QString m_dbVersion;
    QHash<Qt::HANDLE, std::shared_ptr<SqlConnection>> m_connections;
};

// The one database object (slot Database of the globals).
KVDatabase &theDatabase();
KVDatabase *theDatabaseIfAny();
