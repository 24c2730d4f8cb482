#include "XITrackInvImport.h"

#include "app/AppCore.h"
#include "app/TasksDispatcher.h"
#include "app/ThreadWait.h"
#include "app/XSettings.h"
#include "db/KVDatabase.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cstdio>

using namespace ImportText;

namespace {
constexpr const char *FieldNames[XITrackInvImport::FieldCount] = {
    "action", "date", "partnum", "interchangenum", "condition", "part", "suggestedprice", "core",
    "side", "notes", "make", "model", "year", "bodystyle", "vinnum", "quantity",
};

bool HasSuffix(const QString &name, const QString &suffix)
{
    return name.endsWith(suffix, Qt::CaseInsensitive);
}
} // namespace

XITrackInvImport::XITrackInvImport()
{
    m_canPromptOnDataReady = true;
    m_canMonitor = true;
    m_canImportEveryTime = true;
    m_canImportNow = true;
    m_sourceSetting = Setting::ITrackProIniFilePath;
    ResetMap();
    AppCore &app = theApp();
    app.WriteLog(QStringLiteral("XITrackInvImport::XITrackInvImport()"), QStringLiteral("new XInventorySet(&theDatabase)"), 5);
    try {
        SqlConnection &c = theDatabase().Connection();
        app.WriteLog(QStringLiteral("m_pSet->Open() "), QStringLiteral("SELECT * FROM [Inventory]"), 5);
        app.WriteLog(QStringLiteral("Inventory table is open: "), QString::number(c.IsOpen() ? 1 : 0), 5);
    } catch (const DbException &e) {
        app.WriteLog(QStringLiteral("XITrackInvImport.CException"), e.Description(), 5);
    }
}

XITrackInvImport::~XITrackInvImport()
{
    StopMonitorThread();
}

QString XITrackInvImport::GetFormatName() const
{
    return QStringLiteral("ITrackPro");
}

QString XITrackInvImport::GetFormatDescription() const
{
    return QStringLiteral("ITrack Pro is the inventory system of ISoft Data Systems (www.isoftdata.com). ITrack "
                          "exports its parts inventory and images in a format compatible with Korvant. Please select "
                          "the ITrack settings file host.ini.");
}

QString XITrackInvImport::GetHtmlDescription() const
{
    return QStringLiteral("<p>ITrack Pro is the inventory system of ISoft Data Systems (<a href=\"http://www.isoftdata.com\" "
                          "target=\"_blank\">www.isoftdata.com</a>). ITrack exports its parts inventory and images in a "
                          "format compatible with Korvant. Please select the ITrack settings file host.ini.</p>");
}

QString XITrackInvImport::GetFileDialogTitle() const
{
    return QStringLiteral("Select ITrackPro host.ini file to import data...");
}

QString XITrackInvImport::GetFileDialogFilter() const
{
    return QStringLiteral("ITrack INI-file (*.ini)|*.ini|All files (*.*)|*.*||");
}

QString XITrackInvImport::GetMonitorFolder() const
{
    return theSettings().GetExportFolder();
}

// --- files --------------------------------------------------------------------------------------

int XITrackInvImport::ListNewFiles(const QString &folder, const QString &pattern)
{
    m_files.clear();
    QString dirPath = folder;
    while (dirPath.size() > 1 && (dirPath.endsWith(u'/') || dirPath.endsWith(u'\\')))
        dirPath.chop(1);
    const QDir dir(dirPath);
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden);
    bool flag = false;
    for (const QString &n : names)
        flag = flag || n.compare(QLatin1String("itrack.flg"), Qt::CaseInsensitive) == 0;
    if (!flag)
        throw FileException(FileException::FileNotFound, dir.filePath(QStringLiteral("itrack.flg")));
    const QString newSuffix = pattern.startsWith(u'*') ? pattern.mid(1) : pattern;
    for (const QString &n : names) {
        if (HasSuffix(n, QStringLiteral(".full")))
            m_files.append(dir.filePath(n));
    }
    for (const QString &n : names) {
        if (HasSuffix(n, newSuffix) && !HasSuffix(n, QStringLiteral(".full")))
            m_files.append(dir.filePath(n));
    }
    m_files.Sort();
    return int(m_files.size());
}

bool XITrackInvImport::HasNewData()
{
    return ListNewFiles(GetMonitorFolder(), QStringLiteral("*.in")) > 0;
}

QString XITrackInvImport::OutName(const QString &path)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    const int dot = name.lastIndexOf(u'.');
    return info.dir().filePath((dot > 0 ? name.left(dot) : name) + QStringLiteral(".out"));
}

bool XITrackInvImport::WaitUntilSettled(const QString &path)
{
    // Another program may still be writing the file: it is read once its size
    // and time have stayed the same for the settle time.
    auto stamp = [&path] {
        const QFileInfo info(path);
        return std::pair<qint64, qint64>(info.exists() ? info.size() : -1, info.lastModified().toMSecsSinceEpoch());
    };
    auto last = stamp();
    if (m_settleMs <= 0 || QDateTime::currentMSecsSinceEpoch() - last.second >= m_settleMs)
        return true;
    QElapsedTimer unchanged;
    unchanged.start();
    while (CheckCancel()) {
        QThread::msleep(50);
        const auto now = stamp();
        if (now != last) {
            last = now;
            unchanged.restart();
        } else if (unchanged.elapsed() >= m_settleMs) {
            return true;
        }
    }
    return false;
}

int XITrackInvImport::FullImportFromFile(const QString &path)
{
    m_fullDump = true;
    int r = -1;
    try {
        r = ImportFile(path);
    } catch (const std::exception &e) {
        CountError();
        WriteErrorLog(QStringLiteral("FullImportFromFile: %1 ").arg(path) + QString::fromLocal8Bit(e.what()));
    }
    m_fullDump = false;
    return r;
}

int XITrackInvImport::ImportFromFile(const QString &path)
{
    const FileResult r = ImportKeyedFile(path, m_fullDump);
    return r.failed || r.cancelled ? -1 : r.stored;
}

int XITrackInvImport::ImportNewITrackFiles()
{
    int total = 0;
    try {
        if (!HasNewData())
            return 0;
        const QStringList files = m_files;
        for (const QString &path : files) {
            if (!WaitUntilSettled(path))
                break;
            const bool full = HasSuffix(path, QStringLiteral(".full"));
            const int r = full ? FullImportFromFile(path) : ImportFile(path);
            // A file that failed keeps its name and is tried again next time.
            if (r >= 0) {
                total += r;
                const QString out = OutName(path);
                if (std::rename(QFile::encodeName(path).constData(), QFile::encodeName(out).constData()) != 0)
                    WriteErrorLog(
                        QStringLiteral("ImportNewITrackFiles: the file %1 could not be renamed to %2").arg(path, out));
            }
            if (IsStopRequested())
                break;
        }
    } catch (const FileException &e) {
        CountError();
        WriteErrorLog(QStringLiteral("ImportNewITrackFiles: %1 was not found.").arg(e.Path()));
    } catch (const std::exception &e) {
        CountError();
        WriteErrorLog(QStringLiteral("ImportNewITrackFiles: ") + QString::fromLocal8Bit(e.what()));
    } catch (...) {
        CountError();
        WriteErrorLog(QStringLiteral("ImportNewITrackFiles: Unknown error."));
    }
    return total;
}

int XITrackInvImport::RunNewFilesImport()
{
    const int r = ImportNewITrackFiles();
    m_newRecords = r > 0;
    ProgressEnd();
    return r;
}

int XITrackInvImport::ImportData()
{
    return RunAsTask([this] { return RunNewFilesImport(); });
}

// --- lines --------------------------------------------------------------------------------------

void XITrackInvImport::ResetMap()
{
    for (int f = 0; f < FieldCount; ++f)
        m_pos[f] = f;
    m_needed = FieldCount;
}

bool XITrackInvImport::MapFrom(const FieldSplitter &fields)
{
    const int needed = MapColumns(fields, m_pos, [](std::string_view field) {
        const std::string name = ToLowerAscii(field);
        for (int f = 0; f < FieldCount; ++f) {
            if (name == FieldNames[f])
                return f;
        }
        return -1;
    });
    if (needed == 0)
        return false;
    m_needed = needed;
    return true;
}

CKeyedImport::Action XITrackInvImport::Classify(const FieldSplitter &fields, bool storedAny, std::string &why)
{
    const std::string_view action = m_pos[FAction] >= 0 ? fields.Text(m_pos[FAction]) : std::string_view();
    if (!storedAny && action.find_first_of("IUD") == std::string_view::npos && MapFrom(fields))
        return Action::Header;
    if (action != "I" && action != "U" && action != "D") {
        why = action.empty() ? std::string("no action") : "unknown action \"" + std::string(action) + '"';
        return Action::Reject;
    }
    if (m_pos[FPartNum] < 0 || fields.Text(m_pos[FPartNum]).empty()) {
        why = "no partnum";
        return Action::Reject;
    }
    return action == "I" ? Action::Insert : action == "U" ? Action::Update : Action::Delete;
}

int XITrackInvImport::FieldsNeeded(Action action) const
{
    if (action == Action::Delete)
        return qMax(m_pos[FAction], m_pos[FPartNum]) + 1;
    return m_needed;
}

void XITrackInvImport::AppendKey(const FieldSplitter &fields, std::string &key)
{
    if (m_pos[FPartNum] >= 0)
        key.append(fields.Text(m_pos[FPartNum]));
}

void XITrackInvImport::Fill(const FieldSplitter &fields, InvRow &row, bool inserting, QString &missing)
{
    static constexpr std::pair<int, int> Texts[] = {
        {FPartNum, Inv::P_STOCK_NUMBER}, {FInterchangeNum, Inv::P_INTERCHANGE_NUMBER}, {FCondition, Inv::P_TYPE},
        {FPart, Inv::P_NAME}, {FSide, Inv::P_SIDE}, {FNotes, Inv::P_NOTES}, {FMake, Inv::V_MAKE},
        {FModel, Inv::V_MODEL}, {FYear, Inv::V_YEAR}, {FBodyStyle, Inv::V_BODY_STYLE}, {FVinNum, Inv::V_VIN},
    };
    for (const auto &[field, column] : Texts) {
        if (m_pos[field] >= 0)
            row.SetText(column, fields.Text(m_pos[field]));
    }
    if (m_pos[FSuggestedPrice] >= 0)
        row.SetDouble(Inv::P_PRICE, ParseDouble(fields.Raw(m_pos[FSuggestedPrice])));
    if (m_pos[FCore] >= 0)
        row.SetDouble(Inv::P_CORE_DEPOSIT, ParseDouble(fields.Raw(m_pos[FCore])));
    if (m_pos[FQuantity] >= 0)
        row.SetInt(Inv::P_QUANTITY, ParseLong(fields.Raw(m_pos[FQuantity])));
    row.SetText(Inv::P_CATEGORY, "ALL PARTS");
    if (inserting) {
        row.SetDouble(Inv::P_WEIGHT, 0);
        row.SetDouble(Inv::P_HANDLING, 0);
    }
    ApplyDefaults(row, inserting);
    CheckPartRequired(row, inserting, missing);
}

// --- the importer's own threads ------------------------------------------------------------------

bool XITrackInvImport::IsOwnThreadRunning() const
{
    return !HasThreadEnded(m_ownThread.get());
}

QThread *XITrackInvImport::StartNewFilesImport()
{
    return StartOwnThread(false);
}

QThread *XITrackInvImport::StartMonitorThread()
{
    StopMonitorThread();
    return StartOwnThread(true);
}

QThread *XITrackInvImport::StartOwnThread(bool monitor)
{
    if (IsOwnThreadRunning())
        return nullptr;
    m_ownThread.reset();
    ClearStop();
    m_itpStop = false;
    m_ownThread.reset(QThread::create([this, monitor] {
        if (monitor)
            MonitorRun();
        else
            NewFilesRun();
        // Thread ids are reused: a connection must not outlive its thread.
        if (KVDatabase *db = theDatabaseIfAny())
            db->ReleaseThreadConnection();
        MarkRunEnded();
    }));
    m_ownThread->start(QThread::LowestPriority);
    return m_ownThread.get();
}

void XITrackInvImport::StopMonitorThread()
{
    RequestStop();
    m_itpStop = true;
    if (m_ownThread) {
        WaitForThreadEnd(m_ownThread.get(), -1);
        m_ownThread.reset();
    }
}

void XITrackInvImport::NewFilesRun()
{
    int records = 0;
    bool ran = false;
    try {
        TasksDispatcher &tasks = theTasksDispatcher();
        while (!ran && !IsStopRequested() && !m_itpStop) {
            TaskScope task(tasks, ImportTask, 100);
            if (!task.Begun())
                continue;
            m_newRecords = false;
            NotifyCatalogChanged();
            ran = true;
            records = RunNewFilesImport();
        }
    } catch (...) {
        CountError();
        WriteErrorLog(QStringLiteral("ImportNewITrackFiles: Unknown error."));
    }
    if (!ran)
        return;
    NotifyCatalogChanged();
    if (m_newRecords) {
        if (IMainFrame *frame = theApp().Frame())
            frame->ShowTrayMessage(
                QStringLiteral("Inventory data import completed.\nClick here to see new %1 records.").arg(records), 1);
    }
}

void XITrackInvImport::MonitorRun()
{
    NewFilesRun();
    const QString folder = GetMonitorFolder();
    auto watching = [this] { return !m_itpStop && !IsStopRequested() && theSettings().IsOn(Setting::AutoITPImport); };
    if (WatchFolder(folder, watching, [this] { NewFilesRun(); }) != 0)
        WriteErrorLog(QStringLiteral("StartMonitorThread: Can't monitor the folder %1.").arg(folder));
}
