#include "CBaseImport.h"

#include <cerrno>

#include "app/ThreadWait.h"

#include "ImportText.h"

#include "app/AppCore.h"
#include "app/Constants.h"
#include "app/TasksDispatcher.h"
#include "app/XSettings.h"
#include "db/KVDatabase.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

namespace {

// A worker that runs one function and gives back its thread's connection.
class ImportThread : public QThread
{
public:
    explicit ImportThread(std::function<void()> body) : m_body(std::move(body)) {}

protected:
    void run() override
    {
        m_body();
        // Thread ids are reused: a connection must not outlive its thread.
        if (KVDatabase *db = theDatabaseIfAny())
            db->ReleaseThreadConnection();
        MarkRunEnded();
    }

private:
    std::function<void()> m_body;
};

bool OnMainThread()
{
    return QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread();
}

// Appends one whole line with a single write, so lines of several threads never interleave.
bool AppendLine(const QString &path, const QByteArray &line)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const ssize_t n = ::write(fd, line.constData(), size_t(line.size()));
    const bool closed = ::close(fd) == 0;
    return n == line.size() && closed;
}

} // namespace

CBaseImport::CBaseImport(int operation)
    : m_operation(operation == ExportOperation ? QStringLiteral("Export") : QStringLiteral("Import"))
{
    ResetCounters();
}

CBaseImport::~CBaseImport()
{
    StopMonitoring();
}

// --- the run frame ------------------------------------------------------------------------------

int CBaseImport::RunImport()
{
    m_stop = false;
    if (!m_busy)
        m_cancel = false;
    ResetCounters();
    WriteLog(QStringLiteral("\n==========================\n"));
    WriteLog(QStringLiteral("Start loading data..."));
    const int result = ImportData();
    if (result > 0)
        WriteLog(GetSummaryText());
    WriteLog(QStringLiteral("End loading data."));
    m_stop = true;
    return result;
}

QString CBaseImport::GetSummaryText() const
{
    return QStringLiteral("New inventory data was loaded from %1.\n\n     Records inserted: %2\n     Records deleted:  %3\n"
                          "     Records updated:  %4\n     Errors detected:  %5\n")
        .arg(GetFormatName())
        .arg(m_inserted.load())
        .arg(m_deleted.load())
        .arg(m_updated.load())
        .arg(m_errors.load());
}

int CBaseImport::ImportFile(const QString &path)
{
    WriteLog(QStringLiteral(" import from %1").arg(path));
    const int n = ImportFromFile(path);
    WriteLog(QStringLiteral(" %1 records loaded").arg(n));
    return n;
}

int CBaseImport::ImportFromFile(const QString &)
{
    return 0;
}

void CBaseImport::NotifyCatalogChanged()
{
    if (AppCore *app = theAppIfAny()) {
        if (IMainFrame *frame = app->Frame())
            frame->NotifyCatalogChanged();
    }
}

int CBaseImport::RunAsTask(const std::function<int()> &body)
{
    if (m_busy)
        return body();
    TasksDispatcher &tasks = theTasksDispatcher();
    bool waiting = false;
    while (!IsStopRequested()) {
        int result = 0;
        {
            TaskScope task(tasks, ImportTask, 100);
            if (!task.Begun()) {
                // An auto-reply holds the database: the member sees the wait and may cancel it.
                if (!waiting)
                    SetProgress(QStringLiteral("Waiting..."), -1);
                waiting = true;
                if (OnMainThread())
                    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
                m_cancelDue = true;
                if (!CheckCancel())
                    break;
                continue;
            }
            NotifyCatalogChanged();
            try {
                result = body();
            } catch (...) {
                NotifyCatalogChanged();
                throw;
            }
        }
        NotifyCatalogChanged();
        return result;
    }
    if (waiting)
        ProgressEnd();
    return 0;
}

int CBaseImport::RunImportOnWorker()
{
    int result = 0;
    m_foregroundWorker = true;
    ImportThread worker([this, &result] {
        try {
            result = RunImport();
        } catch (...) {
            CountError();
            WriteErrorLog(QStringLiteral("RunCallback: Unknown error."));
            result = -1;
        }
        // The dialog belongs to the main thread: it goes now, not with the importer.
        ProgressEnd();
    });
    // Every event, clicks too, goes on while the worker runs: its progress and
    // questions come to this thread as blocking calls.
    QEventLoop loop;
    QObject::connect(&worker, &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    worker.start(QThread::LowPriority);
    if (OnMainThread())
        loop.exec();
    JoinThread(&worker);
    m_foregroundWorker = false;
    return result;
}

// --- background run -----------------------------------------------------------------------------

bool CBaseImport::IsRunning() const
{
    return !HasThreadEnded(m_thread.get());
}

bool CBaseImport::StartBackgroundImport()
{
    if (IsRunning())
        return false;
    m_thread.reset();
    m_stop = false;
    m_cancel = false;
    m_busy = true;
    WriteLog(QStringLiteral("background mode is started"));
    OnBackgroundStart();
    m_thread = std::make_unique<ImportThread>([this] { RunCallback(); });
    m_thread->start(QThread::LowestPriority);
    return true;
}

void CBaseImport::RunCallback()
{
    int records = 0;
    bool ran = false;
    try {
        TasksDispatcher &tasks = theTasksDispatcher();
        while (!IsStopRequested()) {
            TaskScope task(tasks, ImportTask, 100);
            if (!task.Begun())
                continue;
            m_busy = true;
            NotifyCatalogChanged();
            ran = true;
            records = RunImport();
            break;
        }
    } catch (...) {
        CountError();
        WriteErrorLog(QStringLiteral("RunCallback: Unknown error."));
    }
    // A run that was not cancelled tells the catalog it has ended, so its page
    // leaves the "import running" state.
    if (ran && (!m_cancel.load() || m_monitoring.load())) {
        NotifyCatalogChanged();
        if (records > 0 && !AskViewNow()) {
            if (IMainFrame *frame = theApp().Frame())
                frame->ShowTrayMessage(
                    QStringLiteral("Inventory data import completed.\nClick here to see new %1 records.").arg(records), 1);
        }
    }
    m_busy = false;
}

void CBaseImport::RequestStop()
{
    m_stop = true;
    m_cancel = true;
}

bool CBaseImport::WaitForRun(int timeoutMs)
{
    return WaitForThreadEnd(m_thread.get(), timeoutMs);
}

// --- monitor mode -------------------------------------------------------------------------------

bool CBaseImport::SetMonitoring(bool on)
{
    try {
        if (!m_canMonitor)
            return false;
        if (!on || m_monitoring) {
            m_monitoring = on;
            return false;
        }
        if (m_busy || m_thread)
            StopMonitoring();
        m_monitoring = true;
        m_stop = false;
        m_cancel = false;
        m_busy = true;
        m_missingLogged = false;
        WriteLog(QStringLiteral("monitor mode is started."));
        OnMonitorStart();
        m_thread = std::make_unique<ImportThread>([this] { UpdateMonitorCallback(); });
        m_thread->start(QThread::LowestPriority);
        return true;
    } catch (...) {
        CountError();
        WriteErrorLog(QStringLiteral("SetMonitoring Unknown error"));
        return false;
    }
}

void CBaseImport::UpdateMonitorCallback()
{
    try {
        RunCallback();
        m_busy = m_monitoring.load();
        const QString folder = GetMonitorFolder();
        const int error = WatchFolder(
            folder, [this] { return m_monitoring && !m_cancel; },
            [this] {
                if (!CheckNewData())
                    return;
                WriteLog(QStringLiteral("New data was detected"));
                if (AskImportNow() && m_monitoring) {
                    m_stop = false;
                    RunCallback();
                    m_busy = m_monitoring.load();
                }
            });
        if (error != 0) {
            WriteErrorLog(QStringLiteral("UpdateMonitorCallback: Can't monitor the folder %1. Error #%2").arg(folder).arg(error));
            m_monitoring = false;
        }
    } catch (const std::exception &e) {
        CountError();
        WriteErrorLog(QStringLiteral("UpdatMonitoringCallback: ") + QString::fromUtf8(e.what()));
        // The importer no longer monitors: the dialog and the scheduler must see that.
        m_monitoring = false;
    } catch (...) {
        CountError();
        WriteErrorLog(QStringLiteral("UpdatMonitoringCallback: Unknown error."));
        m_monitoring = false;
    }
    m_busy = false;
}

int CBaseImport::WatchFolder(const QString &folder, const std::function<bool()> &keepGoing,
                             const std::function<void()> &onChange)
{
    const QFileInfo info(folder);
    if (folder.isEmpty() || !info.exists())
        return ENOENT;
    if (!info.isDir())
        return ENOTDIR;
    if (!info.isReadable())
        return EACCES;
    QFileSystemWatcher watcher;
    errno = 0;
    if (!watcher.addPath(folder))
        return errno != 0 ? errno : EIO;
    bool changed = false;
    QEventLoop loop;
    QObject::connect(&watcher, &QFileSystemWatcher::directoryChanged, &loop, [&] {
        changed = true;
        loop.quit();
    });
    QTimer tick;
    tick.setSingleShot(true);
    QObject::connect(&tick, &QTimer::timeout, &loop, &QEventLoop::quit);
    QElapsedTimer sinceScan;
    sinceScan.start();
    while (keepGoing()) {
        // Short waits, so a stop ends the thread quickly.
        tick.start(250);
        if (!changed)
            loop.exec();
        if (!keepGoing())
            break;
        // Changes made over a share raise no notice: a rescan now and then finds them.
        if (!changed && sinceScan.elapsed() < m_rescanMs)
            continue;
        changed = false;
        sinceScan.restart();
        // A folder removed and made again drops out of the watch.
        if (watcher.directories().isEmpty())
            watcher.addPath(folder);
        onChange();
    }
    return 0;
}

bool CBaseImport::CheckNewData()
{
    try {
        const bool found = HasNewData();
        m_missingLogged = false;
        return found;
    } catch (const FileException &e) {
        if (!m_missingLogged)
            WriteErrorLog(QStringLiteral("No new data: %1 is missing.").arg(e.Path()));
        m_missingLogged = true;
        return false;
    }
}

bool CBaseImport::WaitForWindow()
{
    IMainFrame *frame = theAppIfAny() ? theApp().Frame() : nullptr;
    while (frame && m_monitoring && !m_cancel && frame->IsMinimizedOrHidden())
        QThread::msleep(300);
    return !m_cancel.load();
}

bool CBaseImport::AskImportNow()
{
    if (!theSettings().IsOn(Setting::PromptOnDataReady) || !m_canPromptOnDataReady)
        return true;
    if (!WaitForWindow())
        return false;
    return AskWithPromptFlag(
        QStringLiteral("New inventory data is available from %1. Do you want to import it now?").arg(GetFormatName()));
}

bool CBaseImport::AskViewNow()
{
    if (!theSettings().IsOn(Setting::PromptOnDataReady) || !m_canPromptOnDataReady)
        return false;
    if (!WaitForWindow())
        return false;
    if (!AskWithPromptFlag(GetSummaryText() + QStringLiteral("\nDo you want to view it now?")))
        return false;
    if (IMainFrame *frame = theApp().Frame())
        frame->ShowImportedRecords();
    return true;
}

bool CBaseImport::AskWithPromptFlag(const QString &text)
{
    int show = theSettings().GetInt(Setting::PromptOnDataReady);
    const int answer = theApp().ShowMessageDlg(QString(), text, &show, 1, MsgBox::IconResQuestion);
    if (show != theSettings().GetInt(Setting::PromptOnDataReady)) {
        theSettings().SetInt(Setting::PromptOnDataReady, show);
        theSettings().Save();
    }
    return answer == MsgBox::IdOk;
}

void CBaseImport::StopMonitoring()
{
    if (m_monitoring.load())
        WriteLog(QStringLiteral("monitor mode is stopped."));
    RequestStop();
    m_monitoring = false;
    if (m_thread) {
        WaitForRun(-1);
        m_thread.reset();
        m_busy = false;
    }
}

// --- defaults -----------------------------------------------------------------------------------

QString CBaseImport::GetFormatName() const
{
    return {};
}

QString CBaseImport::GetFormatDescription() const
{
    return {};
}

QString CBaseImport::GetHtmlDescription() const
{
    return {};
}

bool CBaseImport::HasNewData()
{
    return true;
}

int CBaseImport::ImportData()
{
    return 0;
}

void CBaseImport::OnMonitorStart() {}
void CBaseImport::OnBackgroundStart() {}
void CBaseImport::OnSourcePathChanged() {}

QString CBaseImport::GetMonitorFolder() const
{
    return {};
}

QString CBaseImport::GetFileDialogTitle() const
{
    return QStringLiteral("Select file for import...");
}

QString CBaseImport::GetFileDialogFilter() const
{
    return QStringLiteral("All files (*.*)|*.*||");
}

int CBaseImport::GetTotalRecords() const
{
    return m_inserted.load() + m_updated.load() + m_deleted.load();
}

void CBaseImport::ResetCounters()
{
    m_inserted = 0;
    m_updated = 0;
    m_deleted = 0;
    m_errors = 0;
    m_stop = false;
}

void CBaseImport::AddCounts(int inserted, int updated, int deleted)
{
    m_inserted += inserted;
    m_updated += updated;
    m_deleted += deleted;
}

QString CBaseImport::GetSourcePath() const
{
    XSettings *settings = theSettingsIfAny();
    return settings && m_sourceSetting ? settings->GetString(m_sourceSetting) : QString();
}

void CBaseImport::SetSourcePath(const QString &path)
{
    if (XSettings *settings = theSettingsIfAny(); settings && m_sourceSetting)
        settings->SetString(m_sourceSetting, path);
    OnSourcePathChanged();
}

bool CBaseImport::BrowseSourceFile()
{
    const QString path = theApp().AskOpenFileName(GetFileDialogTitle(), GetFileDialogFilter(), GetSourcePath());
    if (path.isEmpty())
        return false;
    SetSourcePath(path);
    return true;
}

// --- logs ---------------------------------------------------------------------------------------

QString CBaseImport::GetLogFilePath()
{
    return theApp().GetDataFolder() + QLatin1String(Korvant::ImportLogFileName);
}

void CBaseImport::WriteLog(const QString &text)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    const QByteArray line = (stamp + u' ' + GetFormatName() + u' ' + text + QStringLiteral(" \n")).toUtf8();
    if (!AppendLine(GetLogFilePath(), line))
        theApp().ShowDebugMessage(QStringLiteral("Writting log file error"), QStringLiteral("Error"), 4);
}

void CBaseImport::WriteErrorLog(const QString &text)
{
    theApp().WriteLog(text, QStringLiteral("InvImp."), 1);
    WriteLog(text);
}

// --- progress and cancel --------------------------------------------------------------------------

void CBaseImport::SetProgress(const QString &text, int range)
{
    m_progressRange = range;
    m_progressPos = 0;
    m_progressShown = 0;
    // At most a thousand steps reach the display, however long the file.
    m_progressUnits = range > 0 ? qMin(range, 1000) : range;
    m_lastTick = std::chrono::steady_clock::now();
    if (m_busy) {
        if (IMainFrame *frame = theApp().Frame())
            frame->ProgressStart(text, m_progressUnits);
        return;
    }
    if (!m_progress) {
        IDialogs *dialogs = theApp().Dialogs();
        if (!dialogs || (!OnMainThread() && !m_foregroundWorker))
            return;
        m_progress = dialogs->CreateProgress();
        if (!m_progress)
            return;
        m_progress->Create(QString());
    }
    m_progress->SetStatus(text);
    m_progress->SetRange(0, qMax(m_progressUnits, 0));
    m_progress->SetStep(1);
}

void CBaseImport::FlushProgress()
{
    if (m_progressRange <= 0)
        return;
    const int target = int(qMin(m_progressPos, m_progressRange) * m_progressUnits / m_progressRange);
    IMainFrame *frame = m_busy ? theApp().Frame() : nullptr;
    for (; m_progressShown < target; ++m_progressShown) {
        if (frame)
            frame->ProgressStep();
        else if (m_progress)
            m_progress->StepIt();
    }
}

void CBaseImport::ProgressStep()
{
    ++m_progressPos;
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastTick < m_progressInterval)
        return;
    m_lastTick = now;
    FlushProgress();
    m_cancelDue = true;
}

void CBaseImport::ProgressEnd()
{
    if (m_busy) {
        if (!m_stop.load()) {
            if (IMainFrame *frame = theApp().Frame())
                frame->ProgressEnd();
        }
        return;
    }
    m_progress.reset();
}

bool CBaseImport::CheckCancel()
{
    if (IsStopRequested())
        return false;
    if (!m_cancelDue)
        return true;
    m_cancelDue = false;
    if (m_busy || !m_progress || !m_progress->CheckCancelButton())
        return !IsStopRequested();
    if (!theApp().AskYesNo(QStringLiteral("Are you sure you want to Cancel?"), QString()))
        return !IsStopRequested();
    RequestStop();
    const QString text = m_operation + QStringLiteral(" cancelled by user.");
    theApp().ShowMessageBox(text, QString(), MsgBox::Ok);
    WriteLog(text);
    return false;
}

// --- field readers --------------------------------------------------------------------------------

bool CBaseImport::GetField(QString &out, const QString &line, int index, char separator)
{
    out.clear();
    if (line.isNull() || index < 0)
        return false;
    const QByteArray bytes = line.toUtf8();
    ImportText::FieldSplitter f;
    f.Split(std::string_view(bytes.constData(), size_t(bytes.size())), separator);
    if (!f.Has(index))
        return false;
    const std::string_view v = f.Text(index);
    out = QString::fromUtf8(v.data(), qsizetype(v.size()));
    return !out.isEmpty();
}

namespace {
// The numeric readers always split at commas.
bool NumberField(std::string_view &out, ImportText::FieldSplitter &f, const QByteArray &bytes, int index)
{
    if (index < 0)
        return false;
    f.Split(std::string_view(bytes.constData(), size_t(bytes.size())), ',');
    if (!f.Has(index))
        return false;
    out = f.Raw(index);
    return true;
}
} // namespace

bool CBaseImport::GetFieldDouble(double &out, const QString &line, int index, char)
{
    out = 0;
    const QByteArray bytes = line.toUtf8();
    ImportText::FieldSplitter f;
    std::string_view v;
    if (!NumberField(v, f, bytes, index))
        return false;
    out = ImportText::ParseDouble(v);
    return true;
}

bool CBaseImport::GetFieldLong(long &out, const QString &line, int index, char)
{
    out = 0;
    const QByteArray bytes = line.toUtf8();
    ImportText::FieldSplitter f;
    std::string_view v;
    if (!NumberField(v, f, bytes, index))
        return false;
    out = long(ImportText::ParseLong(v));
    return true;
}

void CBaseImport::AddRequiredField(bool present, const QString &name, QString &list)
{
    if (present)
        return;
    if (!list.isEmpty())
        list += QStringLiteral(", ");
    list += name;
}
