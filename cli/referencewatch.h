#pragma once
// What the reference-instrument commands add around a blocking measurement:
// an interrupt (SIGINT, SIGTERM, SIGHUP) cancels the measurement under way,
// and on a terminal the measuring time the instrument announced counts down
// on stderr. Afterwards, what the instrument said about the measurement is
// put in words: its error, or a remark about a reading that is kept.

#include "genmeasure.h"
#include "interruptguard.h"

#include <QMetaObject>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

class ReferenceWatch {
public:
    ReferenceWatch(const char *command, GenMeasure &device, const InterruptGuard &guard);
    ~ReferenceWatch();
    ReferenceWatch(const ReferenceWatch &) = delete;
    ReferenceWatch &operator=(const ReferenceWatch &) = delete;

    // 0 for a usable reading (a remark the instrument made goes to stderr);
    // otherwise says why on stderr, in the instrument's terms when it gave
    // any, and returns 3.
    int check(quint32 errorCode);

private:
    void run();
    void clearLine();

    const char *m_command;
    GenMeasure &m_device;
    const InterruptGuard &m_guard;
    const bool m_terminal;
    QMetaObject::Connection m_announced;
    std::mutex m_lock;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::chrono::steady_clock::time_point m_endsAt{}; // of the measurement announced last
    bool m_shown = false;
    std::thread m_thread;
};

// The line settings a CS-2000 must have, after "no CS-2000 answered".
void explainCs2000LineSettings(const char *command);
