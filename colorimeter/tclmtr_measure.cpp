// TClmtr: the worker thread, continuous measuring, single measurements and
// the decoding of one reading into a Measurement.
#include "tclmtr.h"

#include <cmath>

using namespace clmtr;

bool TClmtr::onWorker() const {
    return std::this_thread::get_id() == threadId_.load();
}

bool TClmtr::workerShouldRun(unsigned generation) const {
    return runRequest_ == RunRequest::Run && generation_ == generation;
}

void TClmtr::haltWorker() {
    runRequest_ = RunRequest::Stop;
    // The worker stopping itself cannot join itself; its handle stays put and
    // is joined by the next stop from outside.
    if (onWorker())
        return;
    // Joining waits for the worker's current pass to end. A worker that
    // restarted measuring from its own callback meanwhile has handed over to a
    // new one, so stop and join again until none is left.
    while (joinEnded())
        runRequest_ = RunRequest::Stop;
}

bool TClmtr::joinEnded() {
    std::vector<std::thread> ended;
    {
        std::lock_guard<std::mutex> lock(handleLock_);
        if (worker_.joinable())
            ended.push_back(std::move(worker_));
        for (std::thread &t : retired_)
            ended.push_back(std::move(t));
        retired_.clear();
    }
    bool joinedOther = false;
    for (std::thread &t : ended) {
        if (t.get_id() == std::this_thread::get_id()) {
            t.detach(); // a replaced worker calling in from its last callback
        } else {
            t.join();
            joinedOther = true;
        }
    }
    return joinedOther;
}

void TClmtr::startThread(ThreadMode mode) {
    haltWorker();
    threadId_ = std::thread::id();
    threadMode_ = mode;
    runRequest_ = RunRequest::Run;
    // Running from here on, so isThreadRunning() holds as soon as this returns;
    // the worker marks its own end.
    threadState_ = ThreadState::Running;
    threadEverRan_ = true;
    const unsigned generation = ++generation_;
    try {
        // Under the lock so a fast worker never sees the handle half assigned.
        std::lock_guard<std::mutex> lock(handleLock_);
        if (worker_.joinable()) // a worker restarting measuring from its own callback
            retired_.push_back(std::move(worker_));
        worker_ = std::thread(&TClmtr::workerMain, this, generation);
    } catch (...) {
        threadState_ = ThreadState::Ended;
        runRequest_ = RunRequest::Stop;
        lastError_ = Internal;
    }
}

void TClmtr::workerMain(unsigned generation) {
    threadId_ = std::this_thread::get_id();
    if (threadMode_ == ThreadMode::Stream)
        streamWorker(generation); // starts, reads and ends the sample stream
    while (threadMode_ == ThreadMode::Measure && workerShouldRun(generation))
        measureStep(generation);
    // A worker replaced from its own callback leaves the state to its successor.
    if (generation_ == generation) {
        threadId_ = std::thread::id(); // a later thread may reuse this id
        threadState_ = ThreadState::Ended;
    }
}

void TClmtr::measureStep(unsigned generation) {
    lastError_ = 0;
    Reply r = requestReading();
    Measurement m;
    if (r.result == Ok) {
        if (!workerShouldRun(generation))
            return;
        m = parseReading(r.bytes, true);
    } else {
        // Delivered with this record, not again with the next operation.
        m.errorCode = r.result | lastError_.exchange(0);
    }
    // A damaged reply is reported and skipped; a run of them means the
    // instrument is no longer heard, as if it had fallen silent.
    badReplies_ = (m.errorCode & ErrorBits::BadReply) ? badReplies_ + 1 : 0;
    if (badReplies_ >= badReplyLimit)
        m.errorCode |= TimedOut;
    if (m.errorCode & (PortLost | TimedOut | Internal))
        runRequest_ = RunRequest::Stop; // the port is gone or silent: this is the last record
    {
        std::lock_guard<std::mutex> lock(recordLock_);
        lastMeasurement_ = m;
        measurementFresh_ = true;
    }
    measured(m);
}

Reply TClmtr::requestReading() {
    const char *command = readingCommand();
    Reply r = sendCommand(command); // the echo is checked there
    RawReading raw;
    if (r.result == Ok && checkReadingReply(r.bytes, command, raw) != ReadingCheck::Ok) {
        r.result = ErrorBits::BadReply;
        lastError_ = r.result;
        drainBadReply();
    }
    return r;
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
    badReplies_ = 0;
    startThread(ThreadMode::Measure);
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
        if (!(std::fabs(raw.x) <= readingLimit && std::fabs(raw.y) <= readingLimit &&
              std::fabs(raw.z) <= readingLimit)) {
            // Never averaged: one impossible value would spoil the ring.
            m.errorCode = ErrorBits::BadReply | lastError_.exchange(0);
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
    if (count > measureOnceLimit) {
        result.errorCode = Internal; // no buffer for that many
        return result;
    }
    // The reading under way when the command arrives started before it.
    Reply first = requestReading();
    if (first.result & (PortLost | TimedOut | Internal)) {
        result.errorCode = first.result;
        return result;
    }
    const bool adaptive = count < 1;
    const int passes = adaptive ? maxAverage_.load() : count;
    rings_.allocate(passes); // every reading asked for is averaged
    int bad = 0;
    for (int i = 0; i < passes;) {
        Reply r = requestReading();
        if (r.result == ErrorBits::BadReply && ++bad < badReplyLimit)
            continue; // skipped, not counted
        if (r.result != Ok) {
            // So a cut-short result is never taken as whole; a run of damaged
            // replies reads as an instrument that stopped answering.
            result.errorCode |=
                r.result | (r.result == ErrorBits::BadReply ? ErrorBits::Timeout : 0u);
            break;
        }
        bad = 0;
        ++i;
        result = parseReading(r.bytes, adaptive);
        if (adaptive && !(result.errorCode & ErrorBits::Unstable))
            break;
    }
    rings_.release();
    return result;
}
