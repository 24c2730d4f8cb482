#pragma once

class QThread;

// Waits for a thread to end, at most timeoutMs (negative: no limit). On the
// main thread the wait keeps processing events, so a worker that is updating
// the window or asking the member is never blocked by the thread waiting for
// it. True when the thread has ended (or there is none).
bool WaitForThreadEnd(QThread *thread, int timeoutMs);
// Blocks until the thread has ended, serving no events.
void JoinThread(QThread *thread);
// True when the thread has ended (or there is none): what it did is then
// seen by the caller, which may destroy what it used.
bool HasThreadEnded(const QThread *thread);
// The last call of a QThread's run: what the run did is ordered before the
// three above observe its end (ThreadSanitizer builds only need it).
void MarkRunEnded();

#include <functional>

// Runs work on a worker thread when called on the main thread, which keeps
// serving its events (and the worker's dispatcher calls) until the work ends;
// on any other thread, or without an application object, runs it in place.
// An exception of the work is raised again on the calling thread.
void RunOffMainThread(const std::function<void()> &work);
// True on the application's main thread.
bool IsOnMainThread();
