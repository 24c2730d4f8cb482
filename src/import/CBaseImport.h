#pragma once

// The inventory importer: the run frame, the foreground and background run
// modes, the record counters, import.log, progress and cancellation. Each
// importer overrides a handful of operations.
//
// Flags and counters are atomic: the main thread reads them while a worker
// runs. A foreground run works on the calling (main) thread with the progress
// dialog; a background run works on its own thread with the status bar. Either
// holds task 1 of the task registry while it reads files, waiting for it in
// short steps so that a stop ends the wait.

#include "app/Interfaces.h"

#include <QString>
#include <QThread>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>

class CBaseImport
{
public:
    // The constructor argument that makes the operation an export.
    static constexpr int ExportOperation = 211;
    static constexpr unsigned ImportTask = 1;

    explicit CBaseImport(int operation = 0);
    virtual ~CBaseImport();
    CBaseImport(const CBaseImport &) = delete;
    CBaseImport &operator=(const CBaseImport &) = delete;

    // The run frame: log lines around ImportData and the summary when rows came in.
    virtual int RunImport();
    // Starts a run on a worker thread at the lowest priority; false when one still runs.
    virtual bool StartBackgroundImport();
    // A run by hand: RunImport on a worker thread of its own, the progress
    // dialog and questions on the calling (main) thread, which keeps handling
    // events until the run ends. The run writes on the worker's connection, so
    // its transaction never shares the main thread's. Returns RunImport's result.
    int RunImportOnWorker();
    // Stops a background run and waits for its thread.
    virtual void StopMonitoring();
    virtual int ImportFile(const QString &path);
    virtual int ImportFromFile(const QString &path);
    virtual QString GetFormatName() const;
    virtual QString GetFormatDescription() const;
    virtual bool BrowseSourceFile();
    virtual int GetTotalRecords() const;
    virtual int GetInsertedCount() const { return m_inserted.load(); }
    virtual int GetUpdatedCount() const { return m_updated.load(); }
    virtual int GetDeletedCount() const { return m_deleted.load(); }
    virtual QString GetSourcePath() const;
    virtual void SetSourcePath(const QString &path);
    virtual QString GetHtmlDescription() const;
    virtual bool HasNewData();
    virtual int ImportData();
    virtual void ResetCounters();
    virtual void OnMonitorStart();
    virtual void OnBackgroundStart();
    virtual QString GetMonitorFolder() const;
    virtual QString GetFileDialogTitle() const;
    virtual QString GetFileDialogFilter() const;
    virtual void OnSourcePathChanged();
    // True while the run may go on; reads the dialog's Cancel when progress is due.
    virtual bool CheckCancel();
    virtual void ProgressStep();
    virtual void ProgressEnd();

    // Monitor mode: one run, then runs whenever the monitor folder shows new data,
    // until StopMonitoring. False when nothing was started.
    bool SetMonitoring(bool on);
    // The question when new data is found (monitor thread); true: import it.
    virtual bool AskImportNow();
    // The question after a run; true when the member chose to see the records.
    virtual bool AskViewNow();
    // How often the monitor rescans without a change notice (shares miss them).
    void SetRescanInterval(int ms) { m_rescanMs = ms; }

    int GetErrorCount() const { return m_errors.load(); }
    void SetProgress(const QString &text, int range);
    // One line of import.log: "<time> <format name> <text> \n".
    void WriteLog(const QString &text);
    // The application log (source "InvImp.") and import.log.
    void WriteErrorLog(const QString &text);
    static QString GetLogFilePath();
    QString GetSummaryText() const;

    // The field readers of one record line (index from 0).
    static bool GetField(QString &out, const QString &line, int index, char separator = ',');
    static bool GetFieldDouble(double &out, const QString &line, int index, char separator = ',');
    static bool GetFieldLong(long &out, const QString &line, int index, char separator = ',');
    static void AddRequiredField(bool present, const QString &name, QString &list);

    bool CanPromptOnDataReady() const { return m_canPromptOnDataReady; }
    bool CanMonitor() const { return m_canMonitor; }
    bool CanImportEveryTime() const { return m_canImportEveryTime; }
    bool CanImportNow() const { return m_canImportNow; }

    bool IsBusy() const { return m_busy.load(); }
    bool IsMonitoring() const { return m_monitoring.load(); }
    // Asks a run to end at its next row (any thread).
    void RequestStop();
    bool IsRunning() const;
    // Waits for the background thread; on the main thread queued calls keep running.
    bool WaitForRun(int timeoutMs);
    // How often progress is shown and Cancel read (tests shorten it).
    void SetProgressInterval(int ms) { m_progressInterval = std::chrono::milliseconds(ms); }

protected:
    // Runs the body holding task 1 with the catalog notices around it, unless
    // a background run already holds them. 0 when stopped while waiting.
    int RunAsTask(const std::function<int()> &body);
    // The background run (worker thread).
    void RunCallback();
    // The monitor thread.
    void UpdateMonitorCallback();
    void CountError() { ++m_errors; }
    void AddCounts(int inserted, int updated, int deleted);
    bool IsStopRequested() const { return m_stop.load() || m_cancel.load(); }
    // A run of its own (an export) starts with no stop pending.
    void ClearStop()
    {
        m_stop = false;
        m_cancel = false;
    }
    static void NotifyCatalogChanged();
    // Watches the folder on the calling thread (a worker) while keepGoing
    // holds, calling onChange after each change and at each rescan. 0 after
    // watching; the system's error number when the folder cannot be watched.
    int WatchFolder(const QString &folder, const std::function<bool()> &keepGoing, const std::function<void()> &onChange);

    std::atomic<bool> m_canPromptOnDataReady{false};
    std::atomic<bool> m_canMonitor{false};
    std::atomic<bool> m_canImportEveryTime{false};
    std::atomic<bool> m_canImportNow{false};
    // The setting that holds the source path.
    const char *m_sourceSetting = nullptr;

private:
    void FlushProgress();
    // HasNewData, with a missing folder flag read as no new data (logged once).
    bool CheckNewData();
    // Waits while the window is away; false once a stop was asked.
    bool WaitForWindow();
    // The confirmation box tied to PromptOnDataReady; true on OK.
    bool AskWithPromptFlag(const QString &text);
    int m_rescanMs = 30000;
    bool m_missingLogged = false;

    std::atomic<bool> m_busy{false};
    std::atomic<bool> m_stop{false};
    // A stop asked from outside the run (user, shutdown); a new start clears it.
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_monitoring{false};
    std::atomic<int> m_inserted{0};
    std::atomic<int> m_updated{0};
    std::atomic<int> m_deleted{0};
    std::atomic<int> m_errors{0};
    QString m_operation;
    std::unique_ptr<QThread> m_thread;

    // Progress of the running thread.
    std::unique_ptr<IProgress> m_progress;
    std::chrono::milliseconds m_progressInterval{50};
    std::chrono::steady_clock::time_point m_lastTick{};
    long long m_progressRange = 0;
    long long m_progressPos = 0;
    int m_progressUnits = 0;
    int m_progressShown = 0;
    bool m_cancelDue = false;
    // A run by hand on a worker thread: its progress still goes to the dialog.
    std::atomic<bool> m_foregroundWorker{false};
};
