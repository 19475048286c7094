#include "referencewatch.h"

#include "clidevice.h"
#include "measurement.h"

#include <cstdio>
#include <unistd.h>

namespace {
constexpr quint32 failureBits = 0x1 | 0x2 | 0x4 | 0x8;
constexpr auto pollInterval = std::chrono::milliseconds(50);
} // namespace

ReferenceWatch::ReferenceWatch(const char *command, GenMeasure &device, const InterruptGuard &guard)
    : m_command(command), m_device(device), m_guard(guard),
      m_terminal(::isatty(STDERR_FILENO) == 1) {
    // Emitted on the measuring thread (this one): a direct call.
    m_announced = QObject::connect(&device, &GenMeasure::measuringTime, [this](int ms) {
        std::lock_guard<std::mutex> lock(m_lock);
        m_endsAt = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    });
    m_thread = std::thread(&ReferenceWatch::run, this);
}

ReferenceWatch::~ReferenceWatch() {
    QObject::disconnect(m_announced);
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
    clearLine();
}

void ReferenceWatch::run() {
    using Clock = std::chrono::steady_clock;
    std::unique_lock<std::mutex> lock(m_lock);
    long lastShown = -1;
    while (!m_wake.wait_for(lock, pollInterval, [this] { return m_stop; })) {
        if (m_guard.interrupted())
            m_device.cancelMeasurement(); // thread-safe; repeated asks do no harm
        if (!m_terminal || m_endsAt == Clock::time_point{})
            continue;
        const auto left = std::chrono::duration_cast<std::chrono::seconds>(m_endsAt - Clock::now());
        const long seconds = std::max<long>(0, static_cast<long>(left.count()) + 1);
        if (seconds != lastShown) {
            std::fprintf(stderr, "\rtintwell-cli %s: measuring, %ld s to go   ", m_command,
                         seconds);
            std::fflush(stderr);
            m_shown = true;
            lastShown = seconds;
        }
    }
}

void ReferenceWatch::clearLine() {
    if (m_shown) {
        std::fprintf(stderr, "\r%60s\r", "");
        std::fflush(stderr);
        m_shown = false;
    }
}

int ReferenceWatch::check(quint32 errorCode) {
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_endsAt = {};
        clearLine();
    }
    const QString problem = m_device.lastProblem();
    if (!(errorCode & failureBits)) {
        if (!problem.isEmpty())
            std::fprintf(stderr, "tintwell-cli %s: %s\n", m_command, problem.toUtf8().constData());
        return 0;
    }
    // A lost port is said the same way for every instrument.
    if (problem.isEmpty() || !m_device.isConnected())
        return checkReading(m_command, m_device, errorCode);
    std::fprintf(stderr, "tintwell-cli %s: %s (code %u)\n", m_command, problem.toUtf8().constData(),
                 errorCode);
    return 3;
}

void explainCs2000LineSettings(const char *command) {
    std::fprintf(
        stderr,
        "tintwell-cli %s: the CS-2000 is asked at 9600 baud, 8 data bits, no parity, "
        "no flow control; over USB that always works, over RS-232 set the "
        "instrument's baud rate to 9600 (it leaves the factory at 115,200) and use a cable "
        "that carries RTS and CTS (its RS-232 flow control is always RTS/CTS)\n",
        command);
}
