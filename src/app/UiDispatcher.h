#pragma once

#include <QObject>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

// Runs a call on the main thread and blocks the calling worker until it
// returns. Used only where a worker needs the member's answer (a box, the
// login dialog). On the main thread the call runs directly. After Shutdown()
// every pending and later call returns its cancel answer at once, so no
// worker is left waiting on a window that will never answer.
class UiDispatcher : public QObject
{
    Q_OBJECT
public:
    explicit UiDispatcher(QObject *parent = nullptr);
    ~UiDispatcher() override;

    template<class R>
    R Call(std::function<R()> fn, R cancelAnswer)
    {
        if (QThread::currentThread() == thread())
            return fn();
        std::optional<R> result;
        std::exception_ptr error;
        const bool done = RunBlocking([&] {
            try {
                result = fn();
            } catch (...) {
                error = std::current_exception();
            }
        });
        if (!done)
            return cancelAnswer;
        if (error)
            std::rethrow_exception(error);
        return result ? *result : cancelAnswer;
    }

    void Shutdown();
    bool IsShutDown() const;
    // Takes calls again after a Shutdown (a stop of the workers that was not the program's end).
    void Reopen();
    // True on the main thread while it runs a worker's call: that worker
    // waits for it, so nothing here may wait for that worker.
    bool IsServingCall() const { return m_serving.load() > 0; }

private:
    struct Pending;
    // True when the call ran; false when the dispatcher was shut down first.
    bool RunBlocking(const std::function<void()> &fn);

    // Standard primitives, so ThreadSanitizer sees the ordering of the waits.
    mutable std::mutex m_mutex;
    std::condition_variable m_cond;
    bool m_shutdown = false;
    std::atomic<int> m_serving{0};
};
