#include "Turn.h"

#include <QDeadlineTimer>
#include <QThread>

bool Turn::Take(int timeoutMs)
{
    QMutexLocker lock(&m_mutex);
    QThread *self = QThread::currentThread();
    if (m_owner == self) {
        ++m_depth;
        return true;
    }
    const QDeadlineTimer deadline(timeoutMs);
    while (m_owner) {
        if (!m_free.wait(&m_mutex, deadline) && m_owner)
            return false;
    }
    m_owner = self;
    m_depth = 1;
    return true;
}

void Turn::Give()
{
    QMutexLocker lock(&m_mutex);
    if (m_owner != QThread::currentThread() || --m_depth > 0)
        return;
    m_owner = nullptr;
    m_free.wakeAll();
}
