#pragma once

#include <QMutex>
#include <QWaitCondition>

// An auto-reset event: Wait() takes the signal, Set() gives it back.
class AutoEvent
{
public:
    explicit AutoEvent(bool signalled = false) : m_signalled(signalled) {}

    void Set()
    {
        QMutexLocker lock(&m_mutex);
        m_signalled = true;
        m_cond.wakeOne();
    }

    // Returns false when the time-out ran out (ms < 0: no time-out).
    bool Wait(int ms = -1)
    {
        QMutexLocker lock(&m_mutex);
        QDeadlineTimer deadline = ms < 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(ms);
        while (!m_signalled) {
            if (!m_cond.wait(&m_mutex, deadline))
                return false;
        }
        m_signalled = false;
        return true;
    }

private:
    QMutex m_mutex;
    QWaitCondition m_cond;
    bool m_signalled;
};
