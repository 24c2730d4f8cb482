#include "Turn.h"

#include <QThread>

#include <chrono>

bool Turn::Take(int timeoutMs)
{
    std::unique_lock lock(m_mutex);
    QThread *self = QThread::currentThread();
    if (m_owner == self) {
        ++m_depth;
        return true;
    }
    const auto free = [this] { return m_owner == nullptr; };
    if (timeoutMs < 0)
        m_free.wait(lock, free);
    else if (!m_free.wait_for(lock, std::chrono::milliseconds(timeoutMs), free))
        return false;
    m_owner = self;
    m_depth = 1;
    return true;
}

void Turn::Give()
{
    std::lock_guard lock(m_mutex);
    if (m_owner != QThread::currentThread() || --m_depth > 0)
        return;
    m_owner = nullptr;
    m_free.notify_all();
}
