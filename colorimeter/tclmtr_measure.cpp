// TClmtr: the worker thread, continuous measuring, single measurements and
// the decoding of one reading into a Measurement.
#include "tclmtr.h"

#include <chrono>

using namespace clmtr;

namespace {
void pause1ms() {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}
} // namespace

bool TClmtr::onWorker() const {
    return std::this_thread::get_id() == threadId_.load();
}

bool TClmtr::workerShouldRun(unsigned generation) const {
    return runFlag_ == 1 && generation_ == generation;
}

void TClmtr::haltWorker() {
    runFlag_ = 2;
    // The worker stopping itself cannot wait for or join itself; its handle
    // stays put and is joined by the next stop from outside.
    if (onWorker())
        return;
    while (threadState_ == Running)
        pause1ms();
    joinEnded();
}

void TClmtr::joinEnded() {
    std::vector<std::thread> ended;
    {
        std::lock_guard<std::mutex> lock(handleLock_);
        if (worker_.joinable())
            ended.push_back(std::move(worker_));
        for (std::thread &t : retired_)
            ended.push_back(std::move(t));
        retired_.clear();
    }
    for (std::thread &t : ended) {
        if (t.get_id() == std::this_thread::get_id())
            t.detach(); // a replaced worker calling in from its last callback
        else
            t.join();
    }
}

void TClmtr::startThread(ThreadMode mode) {
    haltWorker();
    threadId_ = std::thread::id();
    threadMode_ = mode;
    runFlag_ = 1;
    threadState_ = NotStarted;
    threadEverRan_ = true;
    const unsigned generation = ++generation_;
    try {
        // Under the lock so a fast worker never sees the handle half assigned.
        std::lock_guard<std::mutex> lock(handleLock_);
        if (worker_.joinable()) // a worker restarting measuring from its own callback
            retired_.push_back(std::move(worker_));
        worker_ = std::thread(&TClmtr::workerMain, this, generation);
    } catch (...) {
        threadState_ = Ended;
        runFlag_ = 2;
        lastError_ = Internal;
        return;
    }
    while (threadState_ == NotStarted)
        pause1ms();
}

void TClmtr::workerMain(unsigned generation) {
    threadId_ = std::this_thread::get_id();
    threadState_ = Running;
    if (threadMode_ == StreamMode)
        streamWorker(generation); // starts, reads and ends the sample stream
    while (threadMode_ == MeasureMode && workerShouldRun(generation))
        measureStep(generation);
    // A worker replaced from its own callback leaves the state to its successor.
    if (generation_ == generation) {
        threadId_ = std::thread::id(); // a later thread may reuse this id
        threadState_ = Ended;
    }
}

void TClmtr::measureStep(unsigned generation) {
    lastError_ = 0;
    Reply r = sendCommand(readingCommand());
    Measurement m;
    if (r.result == Ok) {
        if (!workerShouldRun(generation))
            return;
        m = parseReading(r.bytes, true);
    } else {
        m.errorCode = r.result;
        runFlag_ = 2; // the port is gone or silent: this is the last record
    }
    {
        std::lock_guard<std::mutex> lock(recordLock_);
        lastMeasurement_ = m;
        measurementFresh_ = true;
    }
    measured(m);
}

const char *TClmtr::readingCommand() const {
    return speed_ == 1 ? "N4" : "N5";
}

double TClmtr::thresholdScale() const {
    return modelFactor() * (speed_ == 1 ? 2.0 : 1.0);
}

void TClmtr::startMeasuring() {
    haltWorker();
    if (!threadEverRan_)
        resetFlickerBuffers();
    measuringActive_ = true;
    rings_.allocate(maxAverage_);
    startThread(MeasureMode);
}

void TClmtr::stopMeasuring() {
    haltWorker();
    measuringActive_ = false;
    rings_.release();
}

void TClmtr::stopThread() {
    endUnthreadedStream(); // a stream started without a worker has no one else to end it
    if (!threadEverRan_) {
        resetFlickerBuffers();
        return;
    }
    haltWorker();
}

bool TClmtr::setMaxAverage(int n) {
    if (n == maxAverage_ || n < 1 || n > 128)
        return false;
    stopMeasuring();
    maxAverage_ = n;
    return true;
}

void TClmtr::setSpeed(int speed) {
    if (measuringActive_)
        stopMeasuring();
    speed_ = speed;
}

void TClmtr::setGamutSpec(const GamutSpec &spec) {
    std::lock_guard<std::mutex> lock(recordLock_);
    gamutSpec_ = spec;
}

GamutSpec TClmtr::gamutSpec() const {
    std::lock_guard<std::mutex> lock(recordLock_);
    return gamutSpec_;
}

Measurement TClmtr::lastMeasurement(bool *fresh) {
    std::lock_guard<std::mutex> lock(recordLock_);
    if (fresh)
        *fresh = measurementFresh_;
    measurementFresh_ = false;
    return lastMeasurement_;
}

Measurement TClmtr::parseReading(const std::string &reply, bool lowLightStop) {
    Measurement m;
    try {
        RawReading raw;
        if (!parseReadingReply(reply, raw)) {
            m.errorCode = Internal;
            return m;
        }
        m.rawX = raw.x;
        m.rawY = raw.y;
        m.rawZ = raw.z;
        m.rangeX = raw.ranges.x;
        m.rangeY = raw.ranges.y;
        m.rangeZ = raw.ranges.z;
        lastError_ |= statusBits(raw.status);

        Average a = rings_.add(raw.x, raw.y, raw.z, lowLightStop, thresholdScale());
        lastError_ |= a.flags;
        m.avgCount = a.count;
        m.minX = a.minX;
        m.maxX = a.maxX;
        m.minY = a.minY;
        m.maxY = a.maxY;
        m.minZ = a.minZ;
        m.maxZ = a.maxZ;

        double v[3] = {a.x, a.y, a.z};
        if (currentProfile_ != 0) {
            const Mat3 &p = profileMatrix_;
            for (int r = 0; r < 3; ++r)
                v[r] = p[r][0] * a.x + p[r][1] * a.y + p[r][2] * a.z;
        }
        m.bigX = v[0];
        m.bigY = v[1];
        m.bigZ = v[2];
        m.setGamutSpec(gamutSpec());
    } catch (...) {
        lastError_ |= Internal;
    }
    m.errorCode |= lastError_.exchange(0);
    return m;
}

Measurement TClmtr::measureOnce(int count) {
    // The port has one user at a time: a running stream would share it.
    if (measuringActive_)
        stopMeasuring();
    else
        stopThread();

    Measurement result;
    Reply first = sendCommand(readingCommand());
    if (first.result != Ok) {
        result.errorCode = first.result;
        return result;
    }
    const bool adaptive = count < 1;
    const int passes = adaptive ? maxAverage_.load() : count;
    rings_.allocate(passes);
    for (int i = 0; i < passes; ++i) {
        Reply r = sendCommand(readingCommand());
        if (r.result != Ok) {
            result.errorCode |= r.result; // so a cut-short result is never taken as whole
            break;
        }
        result = parseReading(r.bytes, adaptive);
        if (adaptive && !(result.errorCode & ErrorBits::Unstable))
            break;
    }
    rings_.release();
    return result;
}
