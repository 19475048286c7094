#pragma once
// Qt hands data between threads through QMutex and QSemaphore, which wait on
// futexes that ThreadSanitizer cannot see in a Qt not built for it. These
// mark such a hand-over, so the tool knows what Qt already guarantees; in any
// other build they are nothing.

#if defined(__SANITIZE_THREAD__)
#define TINTWELL_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define TINTWELL_TSAN 1
#endif
#endif

#ifdef TINTWELL_TSAN
extern "C" void __tsan_acquire(void *addr);
extern "C" void __tsan_release(void *addr);
// Everything this thread wrote so far is handed over through `at`.
inline void handOverRelease(const void *at) {
    __tsan_release(const_cast<void *>(at));
}
// What was handed over through `at` is seen from here on.
inline void handOverAcquire(const void *at) {
    __tsan_acquire(const_cast<void *>(at));
}
#else
inline void handOverRelease(const void *) {}
inline void handOverAcquire(const void *) {}
#endif
