#pragma once
// Waiting for something another thread (or the event loop) brings about: the
// condition is polled every millisecond; in a Qt test the event loop runs
// meanwhile, so queued signals and timers are delivered.

#include <chrono>
#include <functional>
#include <thread>

#ifdef QT_CORE_LIB
#include <QCoreApplication>
#include <QEvent>
#endif

// Returns the condition's value when it held or the time (ms) ran out.
inline bool waitUntil(const std::function<bool()> &done, int ms = 10000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end)
            return done();
#ifdef QT_CORE_LIB
        if (QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
#endif
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

#ifdef QT_CORE_LIB
// Lets deleteLater() and queued signals run for a while (ms).
inline void settle(int ms = 50) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}
#endif
