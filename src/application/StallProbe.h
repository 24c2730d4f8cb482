#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <deque>
#include <memory>

// How long the main thread's event loop was kept from its events: a timer
// ticking every few milliseconds on the thread that made the probe records
// the longest gap between two ticks. The figures go to a file once a second
// and when the probe goes, so a run ended from outside still leaves them.
//
// Every gap of StallRecordMs or more is also kept as a stall with its end on
// the system's monotonic clock (the clock a test harness reads beside it), so
// a test can ask whether the window answered while it did something. A
// stall's "own" length leaves out the time the thread waited for a processor:
// on a loaded machine the program cannot answer faster than it is run.
class StallProbe : public QObject
{
public:
    // The variable that names the file; without it no probe runs.
    static constexpr const char *EnvironmentVariable = "KORVANT_STALL_LOG";

    explicit StallProbe(QString file, int intervalMs = 10);
    ~StallProbe() override;

    // A probe writing to the file KORVANT_STALL_LOG names, or none.
    static std::unique_ptr<StallProbe> FromEnvironment();

    static constexpr qint64 SettleMs = 2000;
    static constexpr qint64 StallRecordMs = 200;
    // The stalls kept, the latest.
    static constexpr size_t StallsKept = 256;

    struct Stall
    {
        qint64 endMs = 0;  // monotonic clock
        qint64 gapMs = 0;
        qint64 ownMs = 0;  // the gap less the wait for a processor
    };

    // The summary figures count from here (the main loop's start); the
    // stalls before it stay.
    void StartSummary();

    qint64 WorstGapMs() const { return m_worst; }
    qint64 SettledWorstGapMs() const { return m_settledWorst; }
    qint64 Ticks() const { return m_ticks; }
    const std::deque<Stall> &Stalls() const { return m_stalls; }
    // "worst_ms", "worst_at_ms" (when that gap ended, from the first tick),
    // "settled_worst_ms" (the worst after the first SettleMs: the window's
    // first show apart), "settled_worst_at_ms", "ticks", "run_ms",
    // "last_tick_ms" (monotonic clock), one "name value" a line; then one
    // "stall <end_ms> <gap_ms> <own_ms>" line per stall kept.
    QByteArray Report() const;
    bool Write() const;

    // The system's monotonic clock in milliseconds.
    static qint64 MonotonicMs();
    // Nanoseconds this thread has waited for a processor so far; -1 where
    // the system does not say.
    qint64 WaitedForCpuNs() const;

private:
    void Tick();

    QString m_file;
    QTimer m_timer;
    QElapsedTimer m_clock;
    int m_schedstat = -1;
    qint64 m_first = -1;
    qint64 m_last = -1;
    qint64 m_worst = 0;
    qint64 m_worstAt = 0;
    qint64 m_settledWorst = 0;
    qint64 m_settledWorstAt = 0;
    qint64 m_ticks = 0;
    qint64 m_written = 0;
    qint64 m_lastTickMono = -1;
    qint64 m_lastWaitNs = -1;
    std::deque<Stall> m_stalls;
};
