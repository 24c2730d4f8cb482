#include "ImportSheduler.h"

#include "CapInvImporter.h"
#include "ImportArray.h"
#include "XITrackInvImport.h"

#include "app/AppCore.h"
#include "app/XSettings.h"

#include <QFileInfo>
#include <QSettings>

namespace {

ImportSheduler *g_sheduler = nullptr;

const QString Group = QStringLiteral("Sheduler");

// Minutes into the day; the schedule works to the minute.
// The monitored importer is not ours: the array may have deleted it since.
bool InArray(const CBaseImport *importer)
{
    const CImportArray *array = theImportArrayIfAny();
    for (int i = 0; array && i < array->GetSize(); ++i)
        if (array->GetAt(i) == importer)
            return true;
    return false;
}

int MinuteOfDay(const QTime &t)
{
    return t.hour() * 60 + t.minute();
}

} // namespace

ImportSheduler *theImpShedulerIfAny()
{
    return g_sheduler;
}

ImportSheduler::ImportSheduler()
{
    m_timer.setInterval(TimerMs);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { OnTimer(); });
    g_sheduler = this;
}

ImportSheduler::~ImportSheduler()
{
    m_timer.stop();
    if (g_sheduler == this)
        g_sheduler = nullptr;
    // The monitored importer belongs to theImportArray, which may be gone by now.
    m_monitored = nullptr;
    CancelImport();
}

void ImportSheduler::Load()
{
    XSettings *settings = theSettingsIfAny();
    if (!settings)
        return;
    auto store = settings->OpenStore();
    store->beginGroup(Group);
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    m_eventType = store->value(QStringLiteral("EventType"), 0).toInt();
    m_startTime = store->value(QStringLiteral("StartTime"), now).toLongLong();
    m_startDate = store->value(QStringLiteral("StartDate"), now).toLongLong();
    m_sourceFile1 = store->value(QStringLiteral("ImportSourceFile1")).toString();
    m_sourceFile2 = store->value(QStringLiteral("ImportSourceFile2")).toString();
    m_srcFileLastUpdate1 = store->value(QStringLiteral("SrcFileLastUpdate1"), 0).toLongLong();
    m_srcFileLastUpdate2 = store->value(QStringLiteral("SrcFileLastUpdate2"), 0).toLongLong();
}

void ImportSheduler::Save()
{
    XSettings *settings = theSettingsIfAny();
    if (!settings)
        return;
    auto store = settings->OpenStore();
    store->beginGroup(Group);
    store->setValue(QStringLiteral("EventType"), m_eventType);
    store->setValue(QStringLiteral("StartTime"), m_startTime);
    store->setValue(QStringLiteral("StartDate"), m_startDate);
    store->setValue(QStringLiteral("ImportSourceFile1"), m_sourceFile1);
    store->setValue(QStringLiteral("ImportSourceFile2"), m_sourceFile2);
    store->setValue(QStringLiteral("SrcFileLastUpdate1"), m_srcFileLastUpdate1);
    store->setValue(QStringLiteral("SrcFileLastUpdate2"), m_srcFileLastUpdate2);
    store->endGroup();
    store->sync();
}

// --- start-up, monitor mode, stop ---------------------------------------------------------------

void ImportSheduler::InventoryImportStart()
{
    try {
        XSettings &settings = theSettings();
        const bool everyTime = settings.IsOn(Setting::ImportEveryTime);
        const bool monitor = settings.IsOn(Setting::MonitorChanges);
        if (!everyTime && !monitor)
            return;
        CImportArray *array = theImportArrayIfAny();
        CBaseImport *importer = array ? array->GetAt(settings.GetInt(Setting::DefaultImportType)) : nullptr;
        if (!importer)
            return;
        if (monitor)
            SetMonitoredImport(importer);
        // A file importer would overwrite the member's edits with the same file at every start.
        else if (importer->CanImportEveryTime())
            importer->StartBackgroundImport();
        else
            theApp().WriteLog(QStringLiteral("Import at start-up skipped: %1 reads a fixed file.").arg(importer->GetFormatName()),
                              QStringLiteral("ImportSheduler"), 3);
    } catch (...) {
        theApp().WriteLog(QStringLiteral("Unknown Error on Inventory Import Starting"), QStringLiteral("unknown error"), 0);
    }
}

void ImportSheduler::SetMonitoredImport(CBaseImport *importer)
{
    if (!importer)
        return;
    if (!importer->CanMonitor()) {
        // Asked for monitor mode of an importer that has none: the member must learn it did not start.
        theApp().ShowMessageBox(QStringLiteral("Monitor mode don't set."), QString(), MsgBox::Ok | MsgBox::IconWarning);
        return;
    }
    if (m_monitored && !InArray(m_monitored))
        m_monitored = nullptr;
    if (m_monitored && m_monitored != importer) {
        try {
            m_monitored->StopMonitoring();
        } catch (...) {
            theApp().ShowMessageBox(QStringLiteral("Unknown error has occured in import sheduling"), QString(),
                                    MsgBox::Ok | MsgBox::IconError);
        }
    }
    m_monitored = importer;
    if (!importer->SetMonitoring(true) || !importer->IsMonitoring()) {
        m_monitored = nullptr;
        theApp().ShowMessageBox(QStringLiteral("Monitor mode don't set."), QString(), MsgBox::Ok | MsgBox::IconWarning);
    }
}

void ImportSheduler::CancelImport()
{
    // A scheduled CAP run is stopped whatever the default importer is now.
    if (m_cap) {
        m_cap->Cancel();
        m_cap->WaitForRun(-1);
    }
    if (m_itrack)
        m_itrack->StopMonitorThread();
    if (m_monitored && InArray(m_monitored))
        m_monitored->StopMonitoring();
    m_monitored = nullptr;
}

void ImportSheduler::StartITrackImport(bool newFilesOnly)
{
    XSettings &settings = theSettings();
    if (!settings.IsOn(Setting::AutoITPImport))
        return;
    if (!m_itrack)
        m_itrack = std::make_unique<XITrackInvImport>();
    m_itrack->SetImportPath(settings.GetString(Setting::ITPInstallPath));
    if (newFilesOnly)
        m_itrack->StartNewFilesImport();
    else
        m_itrack->StartMonitorThread();
}

// --- the schedule -------------------------------------------------------------------------------

void ImportSheduler::StartTimer(bool runNow)
{
    if (m_eventType == NoSchedule)
        return;
    if (m_eventType == OnRequest) {
        if (runNow)
            RunScheduledImport();
        return;
    }
    if (IsDue())
        RunScheduledImport();
    m_timer.start();
    m_firstTimer = false;
}

void ImportSheduler::StopTimer()
{
    m_firstTimer = true;
    m_timer.stop();
}

void ImportSheduler::OnTimer()
{
    if (IsDue())
        RunScheduledImport();
}

bool ImportSheduler::IsDue(const QDateTime &now)
{
    if (m_eventType < Once || m_eventType > Monthly)
        return false;
    const QTime time(now.time().hour(), now.time().minute());
    if (m_lastCheck.isValid() && m_lastCheck == time)
        return false;
    m_lastCheck = time;
    const QDateTime start = QDateTime::fromSecsSinceEpoch(m_startTime);
    const QDate startDate = QDateTime::fromSecsSinceEpoch(m_startDate).date();
    const QDate today = now.date();
    if (MinuteOfDay(start.time()) != MinuteOfDay(time) || today < startDate || m_lastRun == today)
        return false;
    bool due = false;
    switch (m_eventType) {
    case Once:
        return today == startDate;
    case Daily:
        due = true;
        break;
    case Weekly:
        due = today.dayOfWeek() == startDate.dayOfWeek();
        break;
    case Monthly:
        // A start on the 31st runs on the last day of shorter months.
        due = today.day() == qMin(startDate.day(), today.daysInMonth());
        break;
    }
    if (due)
        m_lastRun = today;
    return due;
}

bool ImportSheduler::GetFileTime(const QString &path, qint64 &lastWrite)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return false;
    lastWrite = info.lastModified().toSecsSinceEpoch();
    return true;
}

bool ImportSheduler::IsFileUpdated(const QString &path, qint64 lastWrite)
{
    qint64 now = 0;
    return GetFileTime(path, now) && now != lastWrite;
}

void ImportSheduler::RunScheduledImport()
{
    Load();
    XSettings &settings = theSettings();
    const int type = settings.GetInt(Setting::DefaultImportType);
    const bool cap = type == CImportArray::ITrackPro || type == CImportArray::OwnFormat;
    const QString source = settings.GetString(cap ? Setting::Import2SrcFile : Setting::Import1SrcFile);
    QString &stored = cap ? m_sourceFile2 : m_sourceFile1;
    qint64 &lastUpdate = cap ? m_srcFileLastUpdate2 : m_srcFileLastUpdate1;
    if (!stored.isEmpty() && (stored != source || !IsFileUpdated(source, lastUpdate)))
        return;
    if (cap) {
        if (!m_cap)
            m_cap = std::make_unique<CapInvImporter>(source);
        m_cap->SetSourceFile(source);
        m_cap->Start();
    } else {
        if (!m_itrack)
            m_itrack = std::make_unique<XITrackInvImport>();
        m_itrack->SetImportPath(settings.GetString(Setting::Import3SrcFile));
        m_itrack->StartNewFilesImport();
    }
    stored = source;
    qint64 written = 0;
    if (GetFileTime(source, written))
        lastUpdate = written;
    SetSaved(true);
}

void ImportSheduler::SetSaved(bool saved)
{
    m_saved = saved;
    if (saved)
        Save();
}
