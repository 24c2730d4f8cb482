#include "UiDispatcher.h"

#include "TsanSync.h"

#include <QMetaObject>

struct UiDispatcher::Pending
{
    std::function<void()> fn;
    bool started = false;
    bool done = false;
    bool abandoned = false;
};

UiDispatcher::UiDispatcher(QObject *parent) : QObject(parent) {}

UiDispatcher::~UiDispatcher()
{
    Shutdown();
}

bool UiDispatcher::RunBlocking(const std::function<void()> &fn)
{
    auto pending = std::make_shared<Pending>();
    pending->fn = fn;
    {
        std::lock_guard lock(m_mutex);
        if (m_shutdown)
            return false;
    }
    QMetaObject::invokeMethod(
        this,
        HandedOver([this, pending] {
            {
                std::lock_guard lock(m_mutex);
                if (pending->abandoned || m_shutdown) {
                    // Dropped: the worker must hear of it even when the
                    // dispatcher reopens before that worker wakes up.
                    pending->abandoned = true;
                    m_cond.notify_all();
                    return;
                }
                pending->started = true;
            }
            ++m_serving;
            pending->fn();  // never throws: Call's wrapper keeps the exception
            --m_serving;
            std::lock_guard lock(m_mutex);
            pending->done = true;
            m_cond.notify_all();
        }),
        Qt::QueuedConnection);

    std::unique_lock lock(m_mutex);
    // A call that already started on the main thread is waited for: it runs
    // there and will end; one that has not started is abandoned at shutdown.
    while (!pending->done && !pending->abandoned && !(m_shutdown && !pending->started))
        m_cond.wait(lock);
    if (!pending->done) {
        pending->abandoned = true;
        return false;
    }
    return true;
}

void UiDispatcher::Shutdown()
{
    std::lock_guard lock(m_mutex);
    m_shutdown = true;
    m_cond.notify_all();
}

void UiDispatcher::Reopen()
{
    std::lock_guard lock(m_mutex);
    m_shutdown = false;
}

bool UiDispatcher::IsShutDown() const
{
    std::lock_guard lock(m_mutex);
    return m_shutdown;
}
