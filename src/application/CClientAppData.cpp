// Commands on the database file as a whole (backup, restore, compaction,
// purge) and the hand-over to the updater and to a restarted program.

#include "CClientApp.h"

#include "app/WaitCursor.h"

#include "SingleInstance.h"

#include "app/Constants.h"
#include "app/XSettings.h"
#include "app/ZipArchiveHelper.h"
#include "db/KVDatabase.h"
#include "db/SqlDb.h"
#include "net/XRequest.h"
#include "sync/XPoller.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDate>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMutex>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

namespace {

const char *const BackupFilter = "Korvant archive files (*.kvz)|*.kvz|Database files (*.mdb)|*.mdb||";

QMutex g_launcherMutex;
CClientApp::ProcessLauncher g_launcher;


int NavigatorNodeOfMode(IMainFrame *frame)
{
    return frame && frame->GetMarketMode() == Korvant::MarketCars ? CClientApp::NodeNavigatorCars
                                                                  : CClientApp::NodeNavigatorParts;
}

} // namespace

void CClientApp::SetProcessLauncher(ProcessLauncher launcher)
{
    QMutexLocker lock(&g_launcherMutex);
    g_launcher = std::move(launcher);
}

bool CClientApp::StartDetached(const QString &program, const QStringList &arguments)
{
    ProcessLauncher launcher;
    {
        QMutexLocker lock(&g_launcherMutex);
        launcher = g_launcher;
    }
    if (launcher)
        return launcher(program, arguments);
    return QProcess::startDetached(program, arguments, QFileInfo(program).absolutePath());
}

// --- backup and restore -------------------------------------------------------------------

bool CClientApp::BackupData()
{
    const QString proposed =
        GetDataFolder() + QLatin1String(Korvant::BackupFilePattern).arg(QDate::currentDate().toString(Qt::ISODate));
    const QString path = AskSaveFileName(QStringLiteral("Please select file to backup database to"),
                                         QLatin1String(BackupFilter), QStringLiteral("kvz"), proposed);
    if (path.isEmpty()) {
        ShowMessageBox(QStringLiteral("Cannot backup database file..."), QStringLiteral("Error"), MsgBox::IconError);
        return false;
    }
    bool ok = false;
    {
        WaitCursor cursor;
        ok = theDatabase().BackupDatabase(path);
    }
    if (!ok) {
        SetStatusText(QStringLiteral("No data backed up."));
        return false;
    }
    SetStatusText(QStringLiteral("Data successfully backed up to ") + path);
    theSettings().SetString(Setting::LastBackupFile, path);
    theSettings().Save();
    return true;
}

bool CClientApp::ExtractAndVerify(const QString &archive, const QString &target, QString *why)
{
    try {
        ZipArchiveHelper zip;
        zip.SetText(QStringLiteral("Restoring data in progress ..."));
        if (!zip.UnzipFile(archive, target)) {
            *why = QStringLiteral("the archive could not be read");
            return false;
        }
    } catch (const std::exception &e) {
        *why = QString::fromLocal8Bit(e.what());
        return false;
    }
    if (!SqlValue::HasSqliteHeader(target)) {
        *why = QStringLiteral("the file is not a database");
        return false;
    }
    try {
        SqlConnection::Options o;
        o.create = false;
        o.wal = false;
        o.readOnly = true;
        SqlConnection c(target, o);
        const QString check = c.Scalar(QStringLiteral("PRAGMA quick_check")).toString();
        if (check != QLatin1String("ok")) {
            *why = check;
            return false;
        }
        if (c.Scalar(QStringLiteral("SELECT COUNT(*) FROM [UserInfo]")).toInt() < 1) {
            *why = QStringLiteral("the file has no user info");
            return false;
        }
    } catch (const DbException &e) {
        *why = e.Description();
        return false;
    }
    return true;
}

void CClientApp::StopWorkers()
{
    if (XPoller *poller = thePollerIfAny())
        poller->Exit();
    if (IImport *import = Import())
        import->CancelAndWait();
}

void CClientApp::ResumeWorkers()
{
    XPoller *poller = thePollerIfAny();
    if (!poller)
        return;
    poller->Resume();
    XRequest::CancelAll(false);
    if (GetSession().IsLoggedIn() && theSettings().IsOn(Setting::AutoPool))
        poller->StartPolling();
}

void CClientApp::RestoreData()
{
    const QString path = AskOpenFileName(QStringLiteral("Please select data file to restore database from"),
                                         QLatin1String(BackupFilter), theSettings().GetString(Setting::LastBackupFile));
    if (path.isEmpty())
        return;
    SetStatusText(QStringLiteral("Restoring data in progress ...") + path);
    if (IMainFrame *frame = Frame())
        frame->SelectNavigatorItem(NavigatorNodeOfMode(frame));

    WaitCursor cursor;
    // The archive is unpacked and checked while everything still runs; only
    // a sound file stops the workers and replaces the database.
    QTemporaryDir dir(GetDataFolder() + QStringLiteral(".restore-XXXXXX"));
    QString why;
    const QString candidate = dir.filePath(QLatin1String(Korvant::DatabaseFileName));
    if (!dir.isValid() || !ExtractAndVerify(path, candidate, &why)) {
        WriteLog(QStringLiteral("RestoreData: ") + why, path, 3);
        ShowMessageBox(QStringLiteral("Can not restore database file."), QStringLiteral("Error"), MsgBox::IconError);
        SetStatusText(QStringLiteral("No data restored."));
        return;
    }
    StopWorkers();
    if (!theDatabase().RestoreDatabase(candidate)) {
        ResumeWorkers();
        SetStatusText(QStringLiteral("No data restored."));
        return;
    }
    SetStatusText(QStringLiteral("Data restored successfully from ") + path);
    RestartProgram();
}

void CClientApp::CompactDatabase(bool sizeCheck)
{
    const qint64 size = theDatabase().GetDatabaseSize();
    if (sizeCheck) {
        if (size <= CompactThreshold)
            return;
        const QString text = QStringLiteral("The size of korvant database is too large (>%1 Mbytes).\nDo you want to "
                                            "compact the database and restart Korvant? (This may takes for few minutes).")
                                 .arg(256);
        if (!AskYesNo(text, QLatin1String(Korvant::AppName), MsgBox::IconQuestion | MsgBox::DefButton2))
            return;
    }
    if (AskYesNo(QStringLiteral("Do you want to make a backup copy of your data before compacting?"),
                 QLatin1String(Korvant::AppName), MsgBox::IconQuestion)) {
        // Compaction without the backup the member asked for would risk what the backup was for.
        if (!BackupData())
            return;
    }
    if (IMainFrame *frame = Frame())
        frame->SelectNavigatorItem(NavigatorNodeOfMode(frame));
    StopWorkers();
    bool ok = false;
    {
        WaitCursor cursor;
        theDatabase().CloseAll();
        ok = theDatabase().CompactDatabase();
    }
    if (!ok) {
        WriteLog(QStringLiteral("the database was not compacted"), QStringLiteral("CompactDatabase"), 3);
        ResumeWorkers();
        return;
    }
    RestartProgram();
}

void CClientApp::PurgeQueries()
{
    XRequest request(QStringLiteral("getMainInfo"));
    while (!request.Send()) {
        int *showErrors = ShowErrorsFlag();
        if (!*showErrors)
            return;
        const int answer = ShowMessageDlg2(QStringLiteral("Cannot retrieve main info"), request.GetErrorMessage(),
                                           showErrors, 1, MsgBox::IconResWarning);
        if (answer == 2 || !*showErrors)
            return;
        if (answer != 1)
            break;
    }
    const XmlTime date = request.GetResponseDate(QStringLiteral("date"));
    theDatabase().DeleteExpiredQueries(QDateTime::fromSecsSinceEpoch(date));
    WriteLog(QStringLiteral("Purge Queries: [OK]"), QString(), 4);
}

// --- updater and restart --------------------------------------------------------------------

QString CClientApp::UpdaterPath()
{
    return theApp().GetModuleFolder() + QStringLiteral("korvant-upd");
}

void CClientApp::UpdateClient()
{
    // There is no updater program on this platform unless one is installed
    // beside the client; the box names the file that was looked for.
    const QString path = UpdaterPath();
    const QFileInfo info(path);
    if (!info.isFile() || !info.isExecutable() || !StartDetached(path, {})) {
        ShowMessageBox(QStringLiteral("Can not find the file \"%1\"").arg(path), QLatin1String(Korvant::AppName),
                       MsgBox::IconError);
    }
}

void CClientApp::RunUpdaterAndExit()
{
    // The poller's shutdown waits for its threads: never run it on one of them.
    if (!IsMainThread()) {
        QueueOnMain([this] { RunUpdaterAndExit(); });
        return;
    }
    SetMainWindowFlag(false);
    if (XPoller *poller = thePollerIfAny())
        poller->Exit();
    UpdateClient();
    if (IMainFrame *frame = Frame())
        frame->PostExit();
}

void CClientApp::RestartProgram()
{
    m_instance.reset();
    m_restartArguments = RawArguments();
    m_restartPending = true;
    if (IMainFrame *frame = Frame())
        frame->PostExit();
}

CClientApp::RestartCommand CClientApp::TakePendingRestart()
{
    RestartCommand command;
    if (m_restartPending.exchange(false)) {
        command.pending = true;
        command.program = GetModuleFolder() + QStringLiteral("korvant");
        command.arguments = m_restartArguments;
    }
    return command;
}
