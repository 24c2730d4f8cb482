#include "TasksDispatcher.h"

TasksDispatcher &theTasksDispatcher()
{
    return Globals::Require<TasksDispatcher>(GlobalSlot::TasksDispatcher, "theTasksDispatcher");
}

TasksDispatcher::TasksDispatcher() = default;

void TasksDispatcher::Add(unsigned type)
{
    QMutexLocker lock(&m_mutex);
    if (!m_running.contains(type))
        m_running.append(type);
    m_current = type;
}

bool TasksDispatcher::BeginTask(unsigned type)
{
    if (Exclusive(type))
        m_exclusion.Wait();  // never while holding the list lock
    Add(type);
    return true;
}

bool TasksDispatcher::TryBeginTask(unsigned type, int ms)
{
    if (Exclusive(type) && !m_exclusion.Wait(ms))
        return false;
    Add(type);
    return true;
}

bool TasksDispatcher::EndTask(unsigned type)
{
    {
        QMutexLocker lock(&m_mutex);
        m_running.removeAll(type);
        m_current = 0;
    }
    if (Exclusive(type))
        m_exclusion.Set();
    return true;
}

bool TasksDispatcher::IsTaskRunning(unsigned type) const
{
    QMutexLocker lock(&m_mutex);
    return m_running.contains(type);
}

unsigned TasksDispatcher::CurrentTask() const
{
    QMutexLocker lock(&m_mutex);
    return m_current;
}

QString TasksDispatcher::GetTaskName(unsigned type)
{
    switch (type) {
    case 1: return QStringLiteral("Importing inventories");
    case 2: return QStringLiteral("Synchronizing");
    case 3: return QStringLiteral("Autorepliing");
    case 4: return QStringLiteral("Version checking");
    case 5: return QStringLiteral("Purging queries");
    default: return QStringLiteral("No Tasks");
    }
}
