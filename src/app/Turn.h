#pragma once

#include <condition_variable>
#include <mutex>

class QThread;

// Work that runs one at a time and may send requests while it runs (a login,
// a poll). Unlike a mutex held across the work, only the owner is kept under
// the lock, so no lock is held while a request is on the wire and a waiter
// can give up (at exit) or keep serving events (main thread) between tries.
// Re-entrant for the thread that holds it.
class Turn
{
public:
    // Waits at most timeoutMs (negative: no limit) for the turn; true when
    // this thread holds it.
    bool Take(int timeoutMs);
    void Give();

private:
    std::mutex m_mutex;  // standard, so ThreadSanitizer sees its waits
    std::condition_variable m_free;
    QThread *m_owner = nullptr;
    int m_depth = 0;
};
