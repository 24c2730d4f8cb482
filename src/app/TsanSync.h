#pragma once

// Qt is not built with ThreadSanitizer: the ordering its own waits give (a
// thread's end before QThread::wait returns) is invisible to the sanitizer.
// Where the program relies on such a wait, the side that finishes releases
// a key and the side that waited acquires it. Nothing in other builds.
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
