#include "ThreadWait.h"

#include "AppCore.h"
#include "TsanSync.h"

#include <QAbstractEventDispatcher>
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
    TsanAcquire(t);
    return true;
}

void JoinThread(QThread *t)
{
    if (!t)
        return;
    t->wait();
    TsanAcquire(t);
}

bool HasThreadEnded(const QThread *t)
{
    if (!t)
        return true;
    if (!t->isFinished())
        return false;
    TsanAcquire(t);
    return true;
}

void MarkRunEnded()
{
    TsanRelease(QThread::currentThread());
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
    QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
    QEventLoop loop;
    std::exception_ptr error;
    std::atomic<bool> done{false};
    // The worker only sets the flag and wakes this thread, which sees the flag
    // before it next blocks: nothing is posted from the worker, so no event
    // object of one thread is freed by the other.
    const auto check = [&] {
        if (!done.load())
            return;
        loop.quit();
        if (dispatcher)
            dispatcher->wakeUp();  // the wait about to start returns at once
    };
    if (dispatcher)
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, &loop, check);
    std::thread worker([&] {
        AppCore::PrepareWorkerThread();
        try {
            work();
        } catch (...) {
            error = std::current_exception();
        }
        done = true;
        if (dispatcher)
            dispatcher->wakeUp();
    });
    if (dispatcher)
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
