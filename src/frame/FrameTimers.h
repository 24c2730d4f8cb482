#pragma once

#include <QObject>
#include <QTimer>

#include <atomic>
#include <functional>
#include <map>
#include <memory>

class QThread;

// The main window's periodic checks: the version (1028), the data
// synchronisation (1029, nothing to do) and the database size (1030). The
// version check talks to the server on a worker and its answer is applied on
// the main thread, so a slow or silent server never holds the window.
class FrameTimers : public QObject
{
    Q_OBJECT
public:
    enum TimerId : int { VersionCheck = 1028, DataSync = 1029, CompactDb = 1030 };

    struct Callbacks
    {
        // On the worker: asks the server; true when the program is to be updated.
        std::function<bool()> checkVersion;
        // On the worker after a "no update" answer: marketplaces, then metadata.
        std::function<void()> refreshServerData;
        // On the main thread after an update was reported: the member put it off.
        std::function<bool()> noUpdate;
        std::function<void()> runUpdaterAndExit;
        // On the main thread: offers compaction when the file has grown too big.
        std::function<void()> compactDatabase;

        // The application's own operations.
        static Callbacks FromApplication();
    };

    explicit FrameTimers(Callbacks callbacks, QObject *parent = nullptr);
    ~FrameTimers() override;

    void Start(int id, int ms);
    void Kill(int id);
    bool IsActive(int id) const;
    int Interval(int id) const;

    // One tick's work; the timers call it, tests may too.
    void OnTimer(int id);
    bool IsChecking() const { return m_checking.load(); }
    // Every timer killed; an answer still on its way is dropped. Waits at
    // most `waitMs` for a check in flight (the transfers are cancelled by then).
    void Stop(int waitMs = 3000);

signals:
    // The version check's answer was applied (update: the program is to be updated).
    void versionChecked(bool update);

private:
    void StartVersionCheck();
    void ApplyVersionAnswer(bool update);
    void JoinWorker(int waitMs);
    void CancelAndJoin(int waitMs);

    Callbacks m_callbacks;
    std::map<int, std::unique_ptr<QTimer>> m_timers;
    std::unique_ptr<QThread> m_worker;
    std::atomic<bool> m_checking{false};
    std::atomic<bool> m_stopped{false};
};
