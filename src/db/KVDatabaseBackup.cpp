// Backup and restore of the database file through zip archives.

#include "KVDatabase.h"

#include "app/AppCore.h"
#include "app/Constants.h"
#include "app/XSettings.h"
#include "app/ZipArchiveHelper.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sqlite3.h>

namespace {

void ShowFileError(const QString &text)
{
    if (AppCore *app = theAppIfAny())
        app->ShowMessageBox(text, QStringLiteral("Error"), MsgBox::IconError);
}

// A consistent copy of the live database, taken through SQLite's online
// backup in one step so that writers on other connections are never caught
// half way.
void Snapshot(SqlConnection &source, const QString &target)
{
    {
        QFile f(target);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw DbException(SQLITE_CANTOPEN, QStringLiteral("Can not backup database file."), target,
                              f.errorString());
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }
    SqlConnection::Options o;
    o.wal = false;
    SqlConnection dest(target, o);
    sqlite3_backup *b = sqlite3_backup_init(dest.Handle(), "main", source.Handle(), "main");
    if (!b)
        dest.Throw(sqlite3_errcode(dest.Handle()), QStringLiteral("Can not backup database file."));
    const int rc = sqlite3_backup_step(b, -1);
    sqlite3_backup_finish(b);
    if (rc != SQLITE_DONE)
        dest.Throw(rc, QStringLiteral("Can not backup database file."));
    // The copy stands alone: no journal side files in the archive's source.
    dest.ExecScript("PRAGMA journal_mode=DELETE;");
    dest.Close();
}

} // namespace

bool KVDatabase::BackupDatabase(const QString &archivePath)
{
    // The snapshot is named like the database so the archive's entry is "kvc.mdb".
    QTemporaryDir dir(theApp().GetDataFolder() + QStringLiteral(".backup-XXXXXX"));
    if (!dir.isValid()) {
        ShowFileError(QStringLiteral("Can not backup database file."));
        return false;
    }
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString snapshot = dir.filePath(QLatin1String(Korvant::DatabaseFileName));
    try {
        Snapshot(Connection(), snapshot);
        ZipArchiveHelper zip;
        zip.SetText(QStringLiteral("Backing up data..."));
        if (!zip.ZipFile(snapshot, archivePath))
            return false;
        QFile::setPermissions(archivePath, QFile::ReadOwner | QFile::WriteOwner);
        return true;
    } catch (const DbException &e) {
        Log(QStringLiteral("BackupDatabase: ") + e.Description(), QString(), 3);
    } catch (const std::exception &e) {
        Log(QStringLiteral("BackupDatabase: ") + QString::fromLocal8Bit(e.what()), QString(), 3);
    }
    ShowFileError(QStringLiteral("Can not backup database file."));
    return false;
}

bool KVDatabase::RestoreDatabase(const QString &archivePath)
{
    const QString path = DatabasePath();
    const QString temp = path + QStringLiteral(".~tmp");
    RemoveWithSideFiles(temp);
    bool restored = false;
    try {
        ZipArchiveHelper zip;
        zip.SetText(QStringLiteral("Restoring data in progress ..."));
        if (zip.UnzipFile(archivePath, temp)) {
            QFile::setPermissions(temp, QFile::ReadOwner | QFile::WriteOwner);
            QString why;
            // Only a sound database with its member row may replace the current one.
            if (VerifyDatabaseFile(temp, &why)) {
                CloseAll();
                restored = SwapFiles(temp, path);
            } else {
                Log(QStringLiteral("RestoreDatabase: ") + why, archivePath, 3);
            }
        }
    } catch (const std::exception &e) {
        Log(QStringLiteral("RestoreDatabase: ") + QString::fromLocal8Bit(e.what()), archivePath, 3);
    }
    if (restored)
        return true;
    RemoveWithSideFiles(temp);
    ShowFileError(QStringLiteral("Can not restore database file."));
    return false;
}
