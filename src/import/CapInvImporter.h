#pragma once

// The CAP dump loader of the import schedule: in one transaction it deletes
// every row it loaded before (SOURCE "capimport") and inserts the dump's
// parts, completed from the part names and makes of the reference folder. A
// failure or a cancel rolls back, so Inventory stays as it was.

#include <QMutex>
#include <QString>
#include <QThread>

#include <atomic>
#include <memory>

// Where a run shows its progress; called on the importing thread.
class ICapImportProgress
{
public:
    virtual ~ICapImportProgress() = default;
    virtual void SetRange(int lines) = 0;
    virtual void Step() = 0;
};

class CapInvImporter
{
public:
    static constexpr char Source[] = "capimport";

    explicit CapInvImporter(const QString &sourceFile = QString(), ICapImportProgress *progress = nullptr);
    virtual ~CapInvImporter();
    CapInvImporter(const CapInvImporter &) = delete;
    CapInvImporter &operator=(const CapInvImporter &) = delete;

    void SetSourceFile(const QString &path);
    QString SourceFile() const;
    // A progress window that goes away first detaches itself (nullptr): no
    // step reaches it after that.
    void SetProgress(ICapImportProgress *progress);

    // Starts the import thread at the lowest priority; nullptr while one still runs.
    QThread *Start();
    // Ends a running import at its next line, which then rolls back.
    void Cancel() { m_stop = true; }
    bool IsRunning() const;
    bool WaitForRun(int timeoutMs);

    // The import on the calling thread: rows inserted, -1 on a failure or a cancel.
    int Import();
    bool DataImported() const { return m_imported.load(); }

private:
    void Run();
    int ImportRows(class SqlConnection &connection, const QString &path);
    void SetRange(int lines);
    void Step();

    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_imported{false};
    mutable QMutex m_mutex;
    ICapImportProgress *m_progress;
    QString m_source;
    std::unique_ptr<QThread> m_thread;
};
