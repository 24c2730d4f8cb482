#pragma once

#include "AutoEvent.h"
#include "Globals.h"

#include <QList>
#include <QMutex>
#include <QString>

// Which kinds of background work run. An import (1) and an auto-reply (3)
// share one auto-reset event, so each waits for the other (and a second
// import for the first).
class TasksDispatcher : public GlobalObject
{
public:
    TasksDispatcher();

    bool BeginTask(unsigned type);
    // As BeginTask, but gives up after ms milliseconds (false: not begun).
    bool TryBeginTask(unsigned type, int ms);
    bool EndTask(unsigned type);
    bool IsTaskRunning(unsigned type) const;
    unsigned CurrentTask() const;
    static QString GetTaskName(unsigned type);

private:
    static bool Exclusive(unsigned type) { return type == 1 || type == 3; }
    void Add(unsigned type);

    AutoEvent m_exclusion{true};
    mutable QMutex m_mutex;
    QList<unsigned> m_running;
    unsigned m_current = 0;
};

// Ends the task on every way out of the scope that began it.
class TaskScope
{
public:
    TaskScope(TasksDispatcher &d, unsigned type) : m_d(d), m_type(type) { m_begun = m_d.BeginTask(type); }
    TaskScope(TasksDispatcher &d, unsigned type, int ms) : m_d(d), m_type(type) { m_begun = m_d.TryBeginTask(type, ms); }
    ~TaskScope()
    {
        if (m_begun)
            m_d.EndTask(m_type);
    }
    bool Begun() const { return m_begun; }
    TaskScope(const TaskScope &) = delete;
    TaskScope &operator=(const TaskScope &) = delete;

private:
    TasksDispatcher &m_d;
    unsigned m_type;
    bool m_begun = false;
};

TasksDispatcher &theTasksDispatcher();
