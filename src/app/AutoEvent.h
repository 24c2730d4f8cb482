#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

// An auto-reset event: Wait() takes the signal, Set() gives it back.
// Standard primitives, not Qt's: ThreadSanitizer sees the ordering of these
// (QWaitCondition releases its mutex inside Qt, where it cannot look).
class AutoEvent
{
public:
    explicit AutoEvent(bool signalled = false) : m_signalled(signalled) {}

    void Set()
    {
        std::lock_guard lock(m_mutex);
        m_signalled = true;
        m_cond.notify_one();
    }

    // Returns false when the time-out ran out (ms < 0: no time-out).
    bool Wait(int ms = -1)
    {
        std::unique_lock lock(m_mutex);
        const auto signalled = [this] { return m_signalled; };
        if (ms < 0)
            m_cond.wait(lock, signalled);
        else if (!m_cond.wait_for(lock, std::chrono::milliseconds(ms), signalled))
            return false;
        m_signalled = false;
        return true;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cond;
    bool m_signalled;
};
