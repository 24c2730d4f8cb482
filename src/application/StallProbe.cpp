#include "StallProbe.h"

#include <QSaveFile>

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>

StallProbe::StallProbe(QString file, int intervalMs) : m_file(std::move(file))
{
    // The thread's scheduler figures: time on a processor, time waiting for one.
    m_schedstat = ::open("/proc/thread-self/schedstat", O_RDONLY | O_CLOEXEC);
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(intervalMs);
    connect(&m_timer, &QTimer::timeout, this, &StallProbe::Tick);
    m_clock.start();
    m_timer.start();
}

StallProbe::~StallProbe()
{
    m_timer.stop();
    Write();
    if (m_schedstat >= 0)
        ::close(m_schedstat);
}

std::unique_ptr<StallProbe> StallProbe::FromEnvironment()
{
    const QString file = qEnvironmentVariable(EnvironmentVariable);
    if (file.isEmpty())
        return nullptr;
    return std::make_unique<StallProbe>(file);
}

qint64 StallProbe::MonotonicMs()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

qint64 StallProbe::WaitedForCpuNs() const
{
    if (m_schedstat < 0)
        return -1;
    char text[128];
    const ssize_t n = ::pread(m_schedstat, text, sizeof text - 1, 0);
    if (n <= 0)
        return -1;
    text[n] = '\0';
    char *end = nullptr;
    std::strtoll(text, &end, 10);  // time on a processor
    const char *second = end;
    const long long waited = std::strtoll(second, &end, 10);
    return end == second ? -1 : qint64(waited);
}

void StallProbe::StartSummary()
{
    m_first = m_last = -1;
    m_worst = m_worstAt = m_settledWorst = m_settledWorstAt = 0;
    m_ticks = 0;
}

void StallProbe::Tick()
{
    const qint64 now = m_clock.elapsed();
    const qint64 mono = MonotonicMs();
    const qint64 waited = WaitedForCpuNs();
    if (m_lastTickMono >= 0 && mono - m_lastTickMono >= StallRecordMs) {
        Stall stall;
        stall.endMs = mono;
        stall.gapMs = mono - m_lastTickMono;
        const qint64 queued = waited >= 0 && m_lastWaitNs >= 0 ? (waited - m_lastWaitNs) / 1000000 : 0;
        stall.ownMs = qMax<qint64>(0, stall.gapMs - queued);
        m_stalls.push_back(stall);
        if (m_stalls.size() > StallsKept)
            m_stalls.pop_front();
    }
    m_lastTickMono = mono;
    m_lastWaitNs = waited;

    ++m_ticks;
    if (m_last < 0) {
        m_first = now;
    } else {
        const qint64 gap = now - m_last;
        if (gap > m_worst) {
            m_worst = gap;
            m_worstAt = now - m_first;
        }
        if (m_last - m_first >= SettleMs && gap > m_settledWorst) {
            m_settledWorst = gap;
            m_settledWorstAt = now - m_first;
        }
    }
    m_last = now;
    if (now - m_written >= 1000) {
        m_written = now;
        Write();
    }
}

QByteArray StallProbe::Report() const
{
    QByteArray out = "worst_ms " + QByteArray::number(m_worst) + "\nworst_at_ms " + QByteArray::number(m_worstAt) +
                     "\nsettled_worst_ms " + QByteArray::number(m_settledWorst) + "\nsettled_worst_at_ms " +
                     QByteArray::number(m_settledWorstAt) + "\nticks " + QByteArray::number(m_ticks) + "\nrun_ms " +
                     QByteArray::number(m_last < 0 ? 0 : m_last - m_first) + "\nlast_tick_ms " +
                     QByteArray::number(m_lastTickMono) + '\n';
    for (const Stall &s : m_stalls)
        out += "stall " + QByteArray::number(s.endMs) + ' ' + QByteArray::number(s.gapMs) + ' ' +
               QByteArray::number(s.ownMs) + '\n';
    return out;
}

bool StallProbe::Write() const
{
    if (m_file.isEmpty())
        return false;
    QSaveFile out(m_file);
    return out.open(QIODevice::WriteOnly) && out.write(Report()) >= 0 && out.commit();
}
