#pragma once

#include <utility>

// Qt is not built with ThreadSanitizer: the ordering its own waits give (a
// thread's end before QThread::wait returns, an event posted before it is
// delivered) is invisible to the sanitizer. Where the program relies on such
// an ordering, the side that hands over releases a key and the side that
// takes over acquires it. Nothing in other builds.
#ifdef KORVANT_TSAN
#include <sanitizer/tsan_interface.h>

inline void TsanRelease(const void *key)
{
    __tsan_release(const_cast<void *>(key));
}
inline void TsanAcquire(const void *key)
{
    __tsan_acquire(const_cast<void *>(key));
}
#else
inline void TsanRelease(const void *) {}
inline void TsanAcquire(const void *) {}
#endif

// A call posted to another thread's event loop (invokeMethod): Qt builds it
// on the posting thread, then runs and frees it on either, ordered by its
// event queue and a reference count the sanitizer cannot see. Wrapped in
// this, the call is released once built, acquired before it runs, released
// after it ran and acquired again by whichever thread frees it.
template<class F>
class HandedOver
{
public:
    explicit HandedOver(F f) : m_f(std::move(f)) { TsanRelease(this); }
    HandedOver(const HandedOver &other) : m_f(other.m_f) { TsanRelease(this); }
    HandedOver(HandedOver &&other) noexcept : m_f(std::move(other.m_f)) { TsanRelease(this); }
    HandedOver &operator=(const HandedOver &) = delete;
    HandedOver &operator=(HandedOver &&) = delete;
    ~HandedOver() { TsanAcquire(this); }

    void operator()()
    {
        TsanAcquire(this);
        m_f();
        TsanRelease(this);
    }

private:
    F m_f;
};
