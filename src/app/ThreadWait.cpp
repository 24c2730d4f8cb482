#include "ThreadWait.h"

#include "AppCore.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>

#include <atomic>
#include <chrono>
#include <exception>
#include <thread>

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

bool IsOnMainThread()
{
    const QCoreApplication *app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

void RunOffMainThread(const std::function<void()> &work)
{
    if (!IsOnMainThread()) {
        work();
        return;
    }
    QEventLoop loop;
    std::exception_ptr error;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        AppCore::PrepareWorkerThread();
        try {
            work();
        } catch (...) {
            error = std::current_exception();
        }
        // Done before the quit is posted: the loop, once it quits, finds the
        // work over instead of resting a round in the loop below.
        done = true;
        // Queued, so it arrives even when the work ends before the loop starts.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    // The loop returns at once once the application is told to quit; events
    // are still served until the work ends (exit cancels the transfers).
    while (!done.load()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    worker.join();
    if (error)
        std::rethrow_exception(error);
}
