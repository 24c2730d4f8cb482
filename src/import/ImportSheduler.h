#pragma once

// Starts imports without the member: the start-up import or monitor mode of
// the default importer, the one monitored importer, the stop at exit, and the
// import schedule kept in the settings group "Sheduler".
//
// The schedule is loaded and saved, and OnTimer/IsDue/RunScheduledImport work,
// but nothing arms the timer: scheduled runs take place only when StartTimer
// is called. Every call is made on the main thread.

#include <QDateTime>
#include <QString>
#include <QTime>
#include <QTimer>

#include <memory>

class CBaseImport;
class CapInvImporter;
class XITrackInvImport;

class ImportSheduler
{
public:
    // Event types of the schedule.
    enum EventType { NoSchedule = 0, Once = 1, Daily = 2, Weekly = 3, Monthly = 4, OnRequest = 5 };
    static constexpr int TimerMs = 20 * 1000;

    ImportSheduler();
    virtual ~ImportSheduler();
    ImportSheduler(const ImportSheduler &) = delete;
    ImportSheduler &operator=(const ImportSheduler &) = delete;

    void init() { Load(); }
    void Load();
    void Save();

    void InventoryImportStart();
    void SetMonitoredImport(CBaseImport *importer);
    CBaseImport *MonitoredImport() const { return m_monitored; }
    // Stops the scheduled runs and monitor mode, and waits for their threads.
    void CancelImport();
    void StartITrackImport(bool newFilesOnly);

    void StartTimer(bool runNow);
    void StopTimer();
    void OnTimer();
    bool IsTimerActive() const { return m_timer.isActive(); }
    // Due once per matching minute; `now` is the current time of day.
    bool IsDue(const QDateTime &now = QDateTime::currentDateTime());
    void RunScheduledImport();
    static bool IsFileUpdated(const QString &path, qint64 lastWrite);
    static bool GetFileTime(const QString &path, qint64 &lastWrite);
    void SetSaved(bool saved);

    // The schedule (seconds since the epoch for the times).
    int m_eventType = NoSchedule;
    qint64 m_startTime = 0;
    qint64 m_startDate = 0;
    QString m_sourceFile1;
    QString m_sourceFile2;
    qint64 m_srcFileLastUpdate1 = 0;
    qint64 m_srcFileLastUpdate2 = 0;

    CapInvImporter *ScheduledCap() const { return m_cap.get(); }

private:
    QTime m_lastCheck;
    QDate m_lastRun;
    bool m_firstTimer = true;
    bool m_saved = false;
    QTimer m_timer;
    std::unique_ptr<CapInvImporter> m_cap;
    std::unique_ptr<XITrackInvImport> m_itrack;
    CBaseImport *m_monitored = nullptr;
};

// The scheduler of the running program; nullptr before it is built.
ImportSheduler *theImpShedulerIfAny();
