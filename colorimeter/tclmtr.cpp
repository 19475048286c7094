// TClmtr: connection, identification, the command path with its interlocks,
// aiming lights and ranges. The worker and averaging live in tclmtr_measure.cpp.
#include "tclmtr.h"

#include "serialport.h"

#include <cstdio>

using namespace clmtr;

namespace {
constexpr int defaultMaxAverage = 32;
constexpr int badReplyQuietMs = 50; // ms of silence that ends the rest of a damaged reply

TClmtr::ConnectFailure openFailureReason(OpenFailure f) {
    switch (f) {
    case OpenFailure::NoSuchPort:
        return TClmtr::ConnectFailure::NoSuchPort;
    case OpenFailure::Busy:
        return TClmtr::ConnectFailure::PortBusy;
    default:
        return TClmtr::ConnectFailure::CannotOpen;
    }
}
} // namespace

TClmtr::TClmtr() : TClmtr(std::make_unique<serialPort>()) {}

TClmtr::TClmtr(std::unique_ptr<SerialLink> link)
    : port_(std::move(link)), profileNames_(profileSlots, blankProfileName) {
    profileNames_[0] = factoryProfileName;
}

TClmtr::~TClmtr() {
    stopThread();
    joinEnded();
    port_->close();
}

bool TClmtr::connect(const std::string &portName) {
    stopThread();
    if (measuringActive_)
        stopMeasuring();
    port_->close();
    connectFailure_ = ConnectFailure::None;
    port_->setPortName(trimmed(portName));
    if (port_->open()) {
        port_->configure(lineBaud, lineDataBits, lineParity, lineTimeout);
        portOpened_ = true;
    }
    if (!port_->isOpen()) {
        connectFailure_ = openFailureReason(port_->openFailure());
        return false;
    }

    Identity id = clmtr::identify(*port_);
    if (!id.ok) {
        model_.clear();
        serialNumber_.clear();
        close();
        connectFailure_ = id.answered ? ConnectFailure::NotIdentified : ConnectFailure::NoAnswer;
        return false;
    }
    model_ = id.model;
    serialNumber_ = id.serialNumber;

    Reply list = sendCommand("D7");
    if (list.result != Ok) {
        close();
        connectFailure_ = ConnectFailure::LostWhileConnecting;
        return false;
    }
    profileNames_ = parseProfileList(list.bytes);
    restoreProfileSelection();

    rangeSetting_ = -1;
    sendCommand("J8");
    if (maxAverage_ != defaultMaxAverage) {
        rings_.release();
        maxAverage_ = defaultMaxAverage;
    }
    return true;
}

void TClmtr::close() {
    if (measuringActive_)
        stopMeasuring();
    stopThread();
    streamingActive_ = false;
    if (!port_->close() && portOpened_)
        std::fprintf(stderr, "crashed on close\n");
    for (std::size_t i = 1; i < profileNames_.size(); ++i)
        profileNames_[i].clear();
    currentProfile_ = 0;
    currentProfileName_.clear();
    serialNumber_.clear();
    portOpened_ = false;
    rangeSetting_ = -1;
    static const std::string closed = "CLOSED";
    if (model_.size() < closed.size() ||
        model_.compare(model_.size() - closed.size(), closed.size(), closed) != 0)
        model_ += closed;
    lastError_ = 0;
    {
        std::lock_guard<std::mutex> lock(recordLock_);
        gamutSpec_ = GamutSpec::standardSpec(2, 100.0);
    }
    profileMatrix_ = Mat3{};
    closeFlicker(); // response data unknown again, sample buffer released
}

bool TClmtr::isConnected() {
    bool alive = port_->isOpen();
    if (!alive && portOpened_)
        close();
    return alive;
}

TClmtr::ProbeResult TClmtr::probe(const std::string &portName) {
    ProbeResult r;
    serialPort port(trimmed(portName));
    if (!port.open())
        return r;
    port.configure(lineBaud, lineDataBits, lineParity, lineTimeout);
    Identity id = clmtr::identify(port, probeSilenceMs);
    port.close();
    r.found = id.ok;
    r.model = id.model;
    r.serialNumber = id.serialNumber;
    return r;
}

Reply TClmtr::sendCommand(const std::string &command, int replyLength, int weight) {
    const bool reading = command == "N5" || command == "N4";
    if (measuringActive_ && !reading)
        stopMeasuring();
    if (streamingActive_ && replyLength != -1 && command != "T2" && command != "T1")
        stopThread();
    Reply r = transact(*port_, command, replyLength, weight);
    const CommandInfo *info = findCommand(command);
    if (r.result == Ok && info && !echoMatches(*info, r.bytes)) {
        // Not the answer to this command: noise, or a reply left over from an
        // earlier exchange. What follows it belongs to neither, so the line
        // is drained before the next command.
        r.result = ErrorBits::BadReply;
        drainBadReply();
    }
    lastError_ = r.result;
    return r;
}

void TClmtr::drainBadReply() {
    drainInput(*port_, badReplyQuietMs, longestReplyMs);
}

Reply TClmtr::sendCommand(const std::string &command) {
    const CommandInfo *info = findCommand(command);
    if (!info) {
        Reply r;
        r.result = Internal;
        lastError_ = r.result;
        return r;
    }
    return sendCommand(command, info->replyLength, info->weight);
}

uint32_t TClmtr::setAimingLights(bool on) {
    if (!hasAimingLights(model_))
        return Ok;
    return sendCommand(on ? "L1" : "L0").result;
}

uint32_t TClmtr::setRange(int range) {
    rangeSetting_ = range;
    if (range >= 0 && range <= 6) {
        Reply r = sendCommand("J7");
        if (range >= 1)
            r = sendCommand(std::string("J") + static_cast<char>('0' + range));
        return r.result;
    }
    return sendCommand("J8").result;
}
