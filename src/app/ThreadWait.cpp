#include "ThreadWait.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

bool WaitForThreadEnd(QThread *t, int timeoutMs)
{
    if (!t)
        return true;
    QDeadlineTimer deadline = timeoutMs < 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(timeoutMs);
    const bool onMain = QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread();
    while (!t->wait(onMain ? QDeadlineTimer(20) : deadline)) {
        if (deadline.hasExpired())
            return false;
        if (onMain)
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    return true;
}
