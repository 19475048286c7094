// TClmtr: flicker streaming. Reads the frequency response once per
// connection, starts and ends the sample stream (with the baud switch of
// newer firmware), reads packets with resynchronisation, and turns each into
// a Flicker record. The analysis itself is in flickeranalysis.cpp.
#include "tclmtr.h"

#include "flickeranalysis.h"
#include "flickerpacket.h"

#include <algorithm>
#include <chrono>
#include <cmath>

using namespace clmtr;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int newerSampleRate = 384; // samples/s
constexpr int olderSampleRate = 256; // samples/s
constexpr int packetWeight = 2;      // a packet must arrive within 3 s
constexpr int stopCheckMs = 20;      // ms: a waiting read looks at a stop request this often
constexpr uint32_t stopRequested = 0xFFFFFFFFu;

// Conditions that leave the stream running. The aiming lights ("L" status)
// are a normal state while streaming, not a fault.
constexpr uint32_t softBits = ErrorBits::FlickerBufferNotFilled | ErrorBits::FlickerRangeChanged |
                              ErrorBits::FlickerOverSaturated | ErrorBits::AimingLights;

void pauseMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Appends arriving bytes to input until it holds a packet's worth: Ok, the
// transport failure (TimedOut once deadline passes), or stopRequested when
// keepGoing turns false.
template <typename KeepGoing>
uint32_t fillStreamInput(SerialLink &port, std::string &input, Clock::time_point deadline,
                         KeepGoing keepGoing) {
    if (!port.isOpen())
        return PortLost;
    input += port.readAvailable();
    if (input.size() >= flickerPacketLength)
        return Ok;
    for (;;) {
        if (!keepGoing())
            return stopRequested;
        if (!port.isOpen())
            break;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            break;
        port.waitReadable(static_cast<int>(std::min<long long>(left, stopCheckMs)));
        input += port.readAvailable();
        if (input.size() >= flickerPacketLength)
            return Ok;
    }
    return port.isOpen() ? TimedOut : PortLost;
}

// The header's X, Y, Z are readings like any other: impossible values mean
// the packet was damaged although its markers survived.
bool headerPlausible(const FlickerPacket &p) {
    return std::fabs(p.x) <= readingLimit && std::fabs(p.y) <= readingLimit &&
           std::fabs(p.z) <= readingLimit;
}

} // namespace

FlickerSettings TClmtr::flickerSettings() const {
    FlickerSettings s;
    s.sampleCount = sampleCount_;
    s.sampleRate = sampleRate_;
    s.windowOn = windowOn_;
    s.binMerge = binMerge_;
    s.jeitaDiscountDb = jeitaDiscountDb_;
    s.jeitaDiscountPercent = jeitaDiscountPercent_;
    s.jeita = jeita_;
    s.normalized = normalized_;
    return s;
}

bool TClmtr::flickerResponseKnown() const {
    return responseDataKnown(flickerResponse_);
}

uint32_t TClmtr::startStreaming(bool threaded) {
    if (!streamsFlicker(model_))
        return ErrorBits::NotAvailableOnModel;
    // The port has one user at a time.
    if (measuringActive_)
        stopMeasuring();
    else
        stopThread();
    if (!responseDataKnown(flickerResponse_)) {
        Reply r = sendCommand("P4");
        uint32_t error = r.result;
        if (r.result == Ok) {
            firmwareVersion_ = responseFirmwareVersion(r.bytes);
            error |= parseResponseData(r.bytes, flickerResponse_);
        }
        lastError_ = error;
    }
    // A failure not yet reported (this "P4", or an earlier command when the
    // response data were known already) is returned here, once, instead of
    // being wiped by the start.
    if (const uint32_t error = lastError_.exchange(0))
        return error;
    // A new stream starts from an empty history.
    resetFlickerBuffers();
    streamingActive_ = true;
    if (threaded) {
        startThread(ThreadMode::Stream);
    } else {
        unthreadedStream_ = true;
        beginStream();
        pauseMs(10);
    }
    return lastError_;
}

uint32_t TClmtr::setSampleCount(int n) {
    if (!validSampleCount(n))
        return ErrorBits::FlickerBadSampleCount;
    if (n == sampleCount_)
        return 0;
    const bool restart = streamingActive_;
    const bool threaded = !unthreadedStream_;
    if (restart)
        stopThread(); // the worker reads the buffer: change it only once it is gone
    sampleCount_ = n;
    if (!restart)
        return 0;
    resetFlickerBuffers();
    return startStreaming(threaded);
}

void TClmtr::beginStream() {
    if (firmwareIsNewer()) {
        sampleRate_ = newerSampleRate;
        lastError_ |= transact(*port_, "T1", -1, 2).result;
        pauseMs(5);
        port_->configure(streamBaud, lineDataBits, lineParity, lineTimeout);
    } else {
        sampleRate_ = olderSampleRate;
        lastError_ |= transact(*port_, "T2", -1, 2).result;
    }
}

void TClmtr::endStream() {
    const CommandInfo *x9 = findCommand("X9");
    transact(*port_, x9->command, x9->replyLength, x9->weight);
    transact(*port_, x9->command, x9->replyLength, x9->weight);
    if (firmwareIsNewer()) {
        pauseMs(5);
        port_->configure(lineBaud, lineDataBits, lineParity, lineTimeout);
    } else {
        pauseMs(10);
        transact(*port_, x9->command, x9->replyLength, x9->weight);
    }
    pauseMs(10);
    if (port_->isOpen())
        port_->readAvailable(); // the rest of the last packet
    resetFlickerBuffers();
}

void TClmtr::endUnthreadedStream() {
    if (unthreadedStream_)
        endStream();
}

void TClmtr::resetFlickerBuffers() {
    streamingActive_ = false;
    unthreadedStream_ = false;
    const int n = sampleCount_;
    flickerSamples_.assign(static_cast<std::size_t>(n), 0.0);
    streamInput_.clear();
    packetCounter_ = 0;
    streamRange_ = -1;
    packetsNeeded_ = n / samplesPerPacket;
}

void TClmtr::closeFlicker() {
    resetFlickerBuffers();
    flickerResponse_ = unknownResponseData();
    std::vector<double>().swap(flickerSamples_); // released until the next stream
}

void TClmtr::streamWorker(unsigned generation) {
    beginStream();
    while (workerShouldRun(generation)) {
        Flicker f;
        if (!streamStep(f, true, generation))
            break;
        // Decided before the callback, which may start a new stream itself.
        if (f.errorCode & ~softBits)
            runRequest_ = RunRequest::Stop;
        deliverFlicker(f);
    }
    // A worker replaced from its own callback leaves the port to its successor.
    if (generation_ == generation)
        endStream();
}

bool TClmtr::streamStep(Flicker &out, bool threaded, unsigned generation) {
    try {
        FlickerPacket packet;
        // A packet must arrive within the time limit, however many bytes come
        // that are none: noise alone never keeps a stream alive.
        const auto deadline = Clock::now() + std::chrono::milliseconds(packetWeight * msPerWeight);
        bool skipped = false;
        uint32_t failure = Ok;
        for (;;) {
            if (streamInput_.size() <= flickerPacketLength || !port_->isOpen()) {
                failure = fillStreamInput(*port_, streamInput_, deadline,
                                          [&] { return !threaded || workerShouldRun(generation); });
                if (failure == stopRequested)
                    return false;
                if (failure != Ok)
                    break;
            }
            const StreamFront front = takeFlickerPacket(streamInput_, packet);
            if (front == StreamFront::Packet && headerPlausible(packet))
                break;
            skipped |= front != StreamFront::NeedMore;
            if (Clock::now() >= deadline) {
                failure = TimedOut;
                break;
            }
        }
        if (failure != Ok) {
            out = Flicker();
            out.settings = flickerSettings();
            out.errorCode =
                failure | (skipped ? ErrorBits::FlickerBadPacket : 0) | lastError_.exchange(0);
            return true;
        }

        const std::size_t n = flickerSamples_.size();
        if (!validSampleCount(static_cast<int>(n))) {
            out = Flicker();
            out.errorCode = Internal | lastError_.exchange(0);
            return true;
        }
        uint32_t bits = 0;
        std::move(flickerSamples_.begin() + samplesPerPacket, flickerSamples_.end(),
                  flickerSamples_.begin());
        for (std::size_t i = 0; i < packet.samples.size(); ++i) {
            flickerSamples_[n - samplesPerPacket + i] = packet.samples[i];
            if (packet.samples[i] > overSaturatedCounts)
                bits |= ErrorBits::FlickerOverSaturated;
        }

        // An unusual status counts as a range change: the buffer is suspect.
        if (packet.status != '0' && packet.status != 'L')
            streamRange_ = 100;
        lastError_ |= statusBits(packet.status);
        double y = packet.y;
        if (currentProfile_ != 0) {
            const Mat3 &p = profileMatrix_;
            y = p[1][0] * packet.x + p[1][1] * packet.y + p[1][2] * packet.z;
        }

        const int range = packet.ranges.x;
        if (range != streamRange_) {
            if (streamRange_ != -1) {
                bits |= ErrorBits::FlickerRangeChanged;
                // The samples from before the change are not comparable;
                // applied whether or not a worker reads the stream.
                packetsNeeded_ = sampleRate_ / samplesPerPacket;
            }
            streamRange_ = range;
            response_ =
                responseSegments(flickerResponse_[static_cast<std::size_t>((range - 1) / 2)]);
        }

        ++packetCounter_;
        out = Flicker();
        out.range = range;
        out.settings = flickerSettings();
        out.settings.response = response_;
        analyseFlicker(out, flickerSamples_, packetCounter_, y);

        if (packetsNeeded_ > 0)
            --packetsNeeded_;
        if (packetsNeeded_ > 0)
            bits |= ErrorBits::FlickerBufferNotFilled;
        out.errorCode |= bits | lastError_.exchange(0);
    } catch (...) {
        out = Flicker();
        out.errorCode = Internal | lastError_.exchange(0);
    }
    return true;
}

void TClmtr::deliverFlicker(const Flicker &f) {
    {
        std::lock_guard<std::mutex> lock(recordLock_);
        lastFlicker_ = f;
        flickerFresh_ = true;
    }
    flickered(f);
}

Flicker TClmtr::readFlicker() {
    Flicker f;
    if (!unthreadedStream_ || !streamingActive_ || isThreadRunning()) {
        f.errorCode = Internal; // no stream of the caller's to read
        return f;
    }
    streamStep(f, false, 0);
    std::lock_guard<std::mutex> lock(recordLock_);
    lastFlicker_ = f;
    flickerFresh_ = true;
    return f;
}

Flicker TClmtr::lastFlicker(bool *fresh) {
    std::lock_guard<std::mutex> lock(recordLock_);
    if (fresh)
        *fresh = flickerFresh_;
    flickerFresh_ = false;
    return lastFlicker_;
}
