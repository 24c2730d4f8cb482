#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

// How long the main thread's event loop was kept from its events: a timer
// ticking every few milliseconds on the thread that made the probe records
// the longest gap between two ticks. The figures go to a file once a second
// and when the probe goes, so a run ended from outside still leaves them.
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

    qint64 WorstGapMs() const { return m_worst; }
    qint64 SettledWorstGapMs() const { return m_settledWorst; }
    qint64 Ticks() const { return m_ticks; }
    // "worst_ms", "worst_at_ms" (when that gap ended, from the first tick),
    // "settled_worst_ms" (the worst after the first SettleMs: the window's
    // first show apart), "settled_worst_at_ms", "ticks", "run_ms", one
    // "name value" a line.
    QByteArray Report() const;
    bool Write() const;

private:
    void Tick();

    QString m_file;
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_first = -1;
    qint64 m_last = -1;
    qint64 m_worst = 0;
    qint64 m_worstAt = 0;
    qint64 m_settledWorst = 0;
    qint64 m_settledWorstAt = 0;
    qint64 m_ticks = 0;
    qint64 m_written = 0;
};
