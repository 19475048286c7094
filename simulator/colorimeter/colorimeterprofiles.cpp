// The simulated colorimeter's profile memory: the list, selecting a slot
// ("D1" and the slot byte), writing a record ("D9" then "MAT"), the
// instrument's own matrix ("Q0"), and the length-framed exchanges.
#include "colorimetersim.h"

#include "calibrationwire.h"
#include "displaymodel.h"

namespace sim {

namespace {

using Matrix3 = clmtrwire::Matrix3;

// "MAT", the slot byte, "(", the record, ")" and the carriage return.
constexpr std::size_t writeFrameLength = 3 + 1 + 1 + NonVolatileMemory::recordLength + 1 + 1;
constexpr double writeMs = 40; // ms: the instrument writes its flash memory

Matrix3 inverse(const Matrix3 &m) {
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                       m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                       m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    Matrix3 inv{};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            // Cofactor of (c, r), with the cyclic index trick for the sign.
            const int r1 = (c + 1) % 3, r2 = (c + 2) % 3, c1 = (r + 1) % 3, c2 = (r + 2) % 3;
            inv[r][c] = (m[r1][c1] * m[r2][c2] - m[r1][c2] * m[r2][c1]) / det;
        }
    }
    return inv;
}

Matrix3 scaledRows(const Matrix3 &m, double a, double b, double c) {
    Matrix3 out = m;
    const double s[3] = {a, b, c};
    for (int r = 0; r < 3; ++r)
        for (double &v : out[r])
            v *= s[r];
    return out;
}

const Matrix3 hundredIdentity{{{100, 0, 0}, {0, 100, 0}, {0, 0, 100}}};

// The correction a profile made on the bench's default display (rec709)
// holds: it maps the colorimeter's view of that display's primaries onto
// their true X, Y, Z. The ideal instrument's is the exact inverse of its
// matrix error, right for every light.
Matrix3 benchCorrection(bool ideal) {
    if (ideal)
        return inverse(ColorimeterSim::matrixError());
    const DisplayModel &d = *findDisplayModel("rec709");
    Matrix3 truth{}, read{};
    for (std::size_t j = 0; j < 3; ++j) {
        double t[3];
        spectrumXYZ(d.primaries[j], t);
        const Tristimulus r = ColorimeterSim::factoryReading(d.primaries[j]);
        const double seen[3] = {r.X, r.Y, r.Z};
        for (std::size_t i = 0; i < 3; ++i) {
            truth[i][j] = t[i];
            read[i][j] = seen[i];
        }
    }
    const Matrix3 inv = inverse(read);
    Matrix3 c{};
    for (int r = 0; r < 3; ++r)
        for (int k = 0; k < 3; ++k)
            c[r][k] = truth[r][0] * inv[0][k] + truth[r][1] * inv[1][k] + truth[r][2] * inv[2][k];
    return c;
}

std::vector<std::string> factoryRecords(bool ideal) {
    // Shipped with a few profiles that tune the bench's correction of the
    // factory error for typical rooms.
    std::vector<std::string> r(NonVolatileMemory::slotCount);
    const Matrix3 exact = benchCorrection(ideal);
    r[0] = clmtrwire::profileRecord("Studio D65", hundredIdentity, exact);
    r[1] = clmtrwire::profileRecord("Projector Room", hundredIdentity,
                                    scaledRows(exact, 0.98, 1.0, 1.03));
    r[4] = clmtrwire::profileRecord("OLED Reference", hundredIdentity,
                                    scaledRows(exact, 1.01, 1.0, 0.99));
    r[11] =
        clmtrwire::profileRecord("Warm 5000K", hundredIdentity, scaledRows(exact, 1.05, 1.0, 0.9));
    return r;
}

} // namespace

const std::array<std::array<double, 3>, 3> &ColorimeterSim::ownMatrix() {
    // Sensor counts to X, Y, Z, as measured at the factory.
    static const Matrix3 m{{
        {1.9102, 0.4217, 0.0734},
        {0.6853, 1.7451, 0.0139},
        {0.0421, 0.1126, 2.6582},
    }};
    return m;
}

void ColorimeterSim::initCalibration() {
    memory_ = std::make_unique<NonVolatileMemory>(config_.stateFile);
    BlackTable rom = darkCounts();
    for (std::size_t i = 0; i + 1 < rom.size(); ++i)
        rom[i] -= 6; // calibrated a while ago: the dark level has drifted since
    memory_->setFactoryContents(factoryRecords(config_.ideal), rom);
    memory_->load(&stateError_);
    blackRam_ = memory_->blackRom(); // power-on copies the stored table

    commands_["D1"] = &ColorimeterSim::selectCommand;
    commands_["D9"] = &ColorimeterSim::beginWriteCommand;
    commands_["Q0"] = &ColorimeterSim::matrixCommand;
    commands_["B4"] = &ColorimeterSim::blackTableCommand;
    commands_["B8"] = &ColorimeterSim::blackTableCommand;
    commands_["B9"] = &ColorimeterSim::blackMeasureCommand;
    commands_["B7"] = &ColorimeterSim::blackStoreCommand;
    commands_["S0"] = &ColorimeterSim::thermalCommand;
}

void ColorimeterSim::setProfileName(int slot, const std::string &name) {
    if (name.empty())
        memory_->setRecord(slot, std::string(NonVolatileMemory::recordLength, '\xFF'));
    else
        memory_->setRecord(
            slot, clmtrwire::profileRecord(name, hundredIdentity, benchCorrection(config_.ideal)));
}

std::size_t ColorimeterSim::frameLength(const std::string &input) const {
    if (awaiting_ == Awaiting::SlotByte) {
        if (input.size() < 2)
            return 0;
        if (input[1] == '\r')
            return 2;
    }
    if (input.compare(0, 3, "MAT") == 0)
        return input.size() >= writeFrameLength ? writeFrameLength : 0;
    return SerialInstrument::frameLength(input);
}

bool ColorimeterSim::handleCalibrationFrame(const std::string &frame, std::string &reply) {
    // Each follow-up is only understood right after the command that opens it.
    const Awaiting was = awaiting_;
    const bool writing = writeOpen_;
    awaiting_ = Awaiting::Command;
    writeOpen_ = false;
    if (was == Awaiting::SlotByte && frame.size() == 2) {
        reply = slotReply(static_cast<unsigned char>(frame[0]));
        return true;
    }
    if (was == Awaiting::Confirmation && !frame.empty() && frame[0] == '{') {
        reply = confirmCommand(frame);
        return true;
    }
    if (frame.size() == writeFrameLength && frame.compare(0, 3, "MAT") == 0) {
        reply = writing ? writeCommand(frame) : "<e>";
        return true;
    }
    return false;
}

std::string ColorimeterSim::selectCommand(const std::string &) {
    awaiting_ = Awaiting::SlotByte;
    return "D1";
}

std::string ColorimeterSim::beginWriteCommand(const std::string &) {
    writeOpen_ = true;
    return "D9";
}

std::string ColorimeterSim::slotReply(int slot) {
    if (slot > NonVolatileMemory::slotCount)
        return {}; // no such slot: silence, as for an unknown command
    selectedSlot_ = slot;
    if (slot == 0)
        return clmtrwire::recordReply(clmtrwire::profileRecord(
            "Factory", hundredIdentity, Matrix3{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}}));
    return clmtrwire::recordReply(memory_->record(slot));
}

std::string ColorimeterSim::writeCommand(const std::string &frame) {
    const int slot = static_cast<unsigned char>(frame[3]);
    const std::size_t close = 5 + NonVolatileMemory::recordLength;
    if (frame[4] != '(' || frame[close] != ')')
        return "<e>";
    if (!waitUntil(Clock::now() + scaled(writeMs)))
        return {};
    // Slot 0 is the factory calibration; memory refuses it like any slot it
    // does not have.
    return memory_->setRecord(slot, frame.substr(5, NonVolatileMemory::recordLength)) ? "<0>"
                                                                                      : "<e>";
}

std::string ColorimeterSim::matrixCommand(const std::string &) {
    return clmtrwire::matrixReply(ownMatrix());
}

} // namespace sim
