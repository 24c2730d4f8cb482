#include "StallProbe.h"

#include <QSaveFile>

StallProbe::StallProbe(QString file, int intervalMs) : m_file(std::move(file))
{
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
}

std::unique_ptr<StallProbe> StallProbe::FromEnvironment()
{
    const QString file = qEnvironmentVariable(EnvironmentVariable);
    if (file.isEmpty())
        return nullptr;
    return std::make_unique<StallProbe>(file);
}

void StallProbe::Tick()
{
    const qint64 now = m_clock.elapsed();
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
    return "worst_ms " + QByteArray::number(m_worst) + "\nworst_at_ms " + QByteArray::number(m_worstAt) +
           "\nsettled_worst_ms " + QByteArray::number(m_settledWorst) +
           "\nsettled_worst_at_ms " + QByteArray::number(m_settledWorstAt) + "\nticks " + QByteArray::number(m_ticks) + "\nrun_ms " +
           QByteArray::number(m_last < 0 ? 0 : m_last - m_first) + '\n';
}

bool StallProbe::Write() const
{
    if (m_file.isEmpty())
        return false;
    QSaveFile out(m_file);
    return out.open(QIODevice::WriteOnly) && out.write(Report()) >= 0 && out.commit();
}
