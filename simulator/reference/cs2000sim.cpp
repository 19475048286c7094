#include "cs2000sim.h"

#include "cs2000wire.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace sim {

namespace {
const char *const stateHeader = "tintwell-sim cs2000 state 1";

std::vector<std::string> split(const std::string &command) {
    std::vector<std::string> out;
    std::string field;
    std::istringstream in(command);
    while (std::getline(in, field, ','))
        out.push_back(field);
    if (!command.empty() && command.back() == ',')
        out.push_back(""); // a trailing empty parameter still counts
    return out;
}

// A numeric parameter: one to maxDigits digits (fewer than the command's
// width are allowed).
bool number(const std::string &s, std::size_t maxDigits, int *out) {
    if (s.empty() || s.size() > maxDigits)
        return false;
    int v = 0;
    for (char c : s) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
        v = v * 10 + (c - '0');
    }
    *out = v;
    return true;
}

std::string padded(const std::string &text, std::size_t width) {
    std::string out = text.substr(0, width);
    out.resize(width, ' ');
    return out;
}

std::string digits(int v, int width) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*d", width, v);
    return buf;
}

// Command errors: the string or the parameter count is wrong (ER00), or a
// parameter is out of its range (ER17).
constexpr int invalid = 0, measuringNow = 2, blank = 5, overRange = 10, parameter = 17, noData = 20,
              noSync = 71;
} // namespace

CS2000Sim::CS2000Sim(Scene &scene, std::string linkPath, ReferenceConfig config)
    : ReferenceSim("cs2000", std::move(linkPath), 9600, scene, std::move(config), "1001234"),
      // Alphanumeric, at most 10 characters, as the instrument stores them.
      names_{"", "D65 Panel", "OLED Panel", "", "Projector", "LED Wall", "", "", "Cinema", "", ""} {
    commands_ = {
        {"RMTS", &CS2000Sim::remoteCommand},
        {"IDDR", &CS2000Sim::identifyCommand},
        {"SCMR", &CS2000Sim::readSyncCommand},
        {"SCMS", &CS2000Sim::setSyncCommand},
        {"NDFR", &CS2000Sim::zeroField},
        {"LNSR", &CS2000Sim::zeroField},
        {"STSR", &CS2000Sim::zeroField},
        {"MSWE", &CS2000Sim::switchCommand},
        {"UCCR", &CS2000Sim::readChannelCommand},
        {"UCPR", &CS2000Sim::channelParameterCommand},
        {"UCCS", &CS2000Sim::selectChannelCommand},
        {"MEAS", &CS2000Sim::measureCommand},
        {"MEDR", &CS2000Sim::dataCommand},
    };
    stateError_ = referenceSerialProblem("CS-2000", config_.serial);
    if (stateError_.empty())
        loadState();
}

CS2000Sim::~CS2000Sim() {
    stop();
}

bool CS2000Sim::validSerial(const std::string &serial) {
    int v = 0;
    return serial.size() == 7 && number(serial, 7, &v);
}

std::string CS2000Sim::channelName(int channel) const {
    return channel >= 1 && channel <= channels ? names_[static_cast<std::size_t>(channel)] : "";
}

int CS2000Sim::selectedChannel() const {
    std::lock_guard<std::mutex> lock(lock_);
    return selected_;
}

std::pair<int, int> CS2000Sim::sync() const {
    std::lock_guard<std::mutex> lock(lock_);
    return {syncMode_, syncCentiHz_};
}

double CS2000Sim::preMeasurementMs(double Y) {
    // The pre-measurement finds the integration time: about a second in
    // bright light, up to 10 s in the dark.
    return std::min(10000.0, 1000.0 + 2000.0 / std::sqrt(std::max(Y, 1e-6)));
}

int CS2000Sim::measuringSeconds(double Y) {
    // 3 s at 100 cd/m², 8 s at 1 cd/m², a minute at 0.01 cd/m², at most 242 s.
    const double s = std::round(2.0 + 6.0 / std::sqrt(std::max(Y, 1e-9)));
    return static_cast<int>(std::min(242.0, std::max(2.0, s)));
}

std::size_t CS2000Sim::frameLength(const std::string &input) const {
    const std::size_t end = input.find_first_of("\r\n");
    if (end == std::string::npos)
        return 0;
    const bool crlf = input[end] == '\r' && end + 1 < input.size() && input[end + 1] == '\n';
    return end + (crlf ? 2 : 1);
}

std::string CS2000Sim::ok(const std::vector<std::string> &fields) const {
    return cs2000wire::ok(fields, delimiter_);
}

std::string CS2000Sim::error(int code) const {
    return cs2000wire::error(code, delimiter_);
}

std::string CS2000Sim::handle(const std::string &frame) {
    const std::size_t end = frame.find_first_of("\r\n");
    delimiter_ = frame.substr(end);
    const std::string command = frame.substr(0, end);
    if (command.empty())
        return {}; // the LF of a CR LF that came apart, or a stray line end
    const Args args = split(command);
    const auto it = commands_.find(args[0]);
    if (it == commands_.end() || (!remote_ && args[0] != "RMTS"))
        return error(invalid);
    if (measuring_ && args[0] != "MEAS" && args[0] != "MEDR")
        return error(invalid); // only a cancel is taken while measuring
    return (this->*(it->second))(args);
}

std::string CS2000Sim::remoteCommand(const Args &a) {
    int mode = 0;
    if (a.size() != 2 || !number(a[1], 1, &mode))
        return error(invalid);
    if (mode > 2)
        return error(parameter);
    remote_ = mode;
    return ok();
}

std::string CS2000Sim::identifyCommand(const Args &a) {
    if (a.size() != 1)
        return error(invalid);
    // Product name of 9 characters, variation code 1 (CS-2000), serial number.
    return ok({padded("CS-2000", 9), "1", serial()});
}

std::string CS2000Sim::readSyncCommand(const Args &a) {
    if (a.size() != 1)
        return error(invalid);
    const std::pair<int, int> s = sync();
    if (s.first != 1)
        return ok({std::to_string(s.first)});
    return ok({"1", digits(s.second, 5)});
}

std::string CS2000Sim::setSyncCommand(const Args &a) {
    int mode = 0, centiHz = 0;
    if (a.size() < 2 || !number(a[1], 1, &mode))
        return error(invalid);
    if (mode > 2)
        return error(parameter);
    if (a.size() != (mode == 1 ? 3u : 2u))
        return error(invalid);
    if (mode == 1 && (!number(a[2], 5, &centiHz)))
        return error(invalid);
    if (mode == 1 && (centiHz < 2000 || centiHz > 20000))
        return error(parameter);
    {
        std::lock_guard<std::mutex> lock(lock_);
        syncMode_ = mode;
        if (mode == 1)
            syncCentiHz_ = centiHz;
    }
    if (remote_ == 1) {
        ++syncWrites_; // into the instrument's memory
        saveState();
    }
    return ok();
}

std::string CS2000Sim::zeroField(const Args &a) {
    // No ND filter, no close-up lens, the 1° measuring angle.
    return a.size() == 1 ? ok({"0"}) : error(invalid);
}

std::string CS2000Sim::switchCommand(const Args &a) {
    int on = 0;
    if (a.size() != 2 || !number(a[1], 1, &on))
        return error(invalid);
    return on > 1 ? error(parameter) : ok();
}

std::string CS2000Sim::readChannelCommand(const Args &a) {
    return a.size() == 1 ? ok({digits(selectedChannel(), 2)}) : error(invalid);
}

std::string CS2000Sim::channelParameterCommand(const Args &a) {
    int kind = 0, channel = 0, wavelength = 0;
    if (a.size() < 3 || !number(a[1], 1, &kind) || !number(a[2], 2, &channel))
        return error(invalid);
    if (kind > 2)
        return error(parameter);
    // Name: no wavelength; correction factors: a wavelength number 0 to 400.
    if (a.size() != (kind == 2 ? 3u : 4u) || (kind != 2 && !number(a[3], 3, &wavelength)))
        return error(invalid);
    if (channel < 1 || channel > channels || wavelength > 400)
        return error(parameter);
    const std::string name = channelName(channel);
    if (name.empty())
        return error(blank);
    if (kind == 2)
        return ok({padded(name, 10)});
    // No correction: each wavelength stays itself, each level factor 1.
    return ok({cs2000wire::hexFloat(kind == 0 ? 380.0 + wavelength : 1.0)});
}

std::string CS2000Sim::selectChannelCommand(const Args &a) {
    int channel = 0;
    if (a.size() != 2 || !number(a[1], 2, &channel))
        return error(invalid);
    if (channel > channels)
        return error(parameter);
    if (channel > 0 && channelName(channel).empty())
        return error(blank); // nothing to measure with
    {
        std::lock_guard<std::mutex> lock(lock_);
        selected_ = channel;
    }
    if (remote_ == 1)
        saveState();
    return ok();
}

std::string CS2000Sim::measureCommand(const Args &a) {
    int start = 0;
    if (a.size() != 2 || !number(a[1], 1, &start))
        return error(invalid);
    if (start > 1 || (start == 1) == measuring_)
        return error(parameter); // a cancel with nothing to cancel, or a second start
    if (!start) {
        measuring_ = false;
        stopStream();
        return ok();
    }
    haveData_ = false; // the last measurement's data go when the next one starts
    const double Y = scene_.light().Y;
    const bool done = spend(preMeasurementMs(Y));
    discardInput(); // nothing is read during the pre-measurement
    if (!done)
        return {}; // unplugged meanwhile
    const int refused = measureError_;
    if (refused == overRange || (!refused && Y > rangeLimit))
        return error(overRange);
    endError_ = refused ? refused : (sync().first == 2 ? noSync : 0);
    measuredSeconds_ = measuringSeconds(Y);
    measuredChannel_ = selectedChannel();
    measuring_ = true;
    endDelimiter_ = delimiter_;
    startStream(Clock::now() + scaled(measuredSeconds_ * 1000.0));
    return ok({digits(measuredSeconds_, 3)});
}

bool CS2000Sim::streamOutput(Clock::time_point, std::string &out, Clock::time_point &) {
    // The measurement ends: what the instrument saw is kept for "MEDR".
    measuring_ = false;
    captured_ = readSpectrum();
    haveData_ = !endError_;
    if (!silent())
        out += endError_ ? cs2000wire::error(endError_, endDelimiter_)
                         : cs2000wire::ok({}, endDelimiter_);
    return false;
}

std::string CS2000Sim::dataCommand(const Args &a) {
    int mode = 0, format = 0, block = 0;
    if (a.size() != 4 || !number(a[1], 1, &mode) || !number(a[2], 1, &format) ||
        !number(a[3], 3, &block))
        return error(invalid);
    if (mode > 2 || format > 1)
        return error(parameter);
    if (measuring_)
        return error(measuringNow);
    if (!haveData_)
        return error(noData);
    const bool hex = format == 1;
    if (mode == 0) {
        if (block != 1)
            return error(parameter);
        const std::pair<int, int> s = sync();
        // Normal speed, sync mode, integration time (µs), internal ND off,
        // no lens, no ND filter, 1°, the channel measured with.
        return ok({"0", std::to_string(s.first), digits(measuredSeconds_ * 400000, 9), "0", "0",
                   "0", "0", digits(measuredChannel_, 2)});
    }
    const std::vector<std::string> values =
        mode == 1 && block >= 1 && block <= 4 ? cs2000wire::spectralBlock(captured_, block, hex)
        : mode == 2                           ? cs2000wire::colorimetricBlock(captured_, block, hex)
                                              : std::vector<std::string>();
    return values.empty() ? error(parameter) : ok(values);
}

void CS2000Sim::powerLost() {
    remote_ = 0;
    measuring_ = false;
    haveData_ = false;
}

bool CS2000Sim::loadState() {
    if (config_.stateFile.empty())
        return true;
    std::ifstream in(config_.stateFile);
    if (!in)
        return true; // not there yet: written on the first change
    std::string header, key;
    int channel = -1, mode = 1, centiHz = 6000;
    bool ok = std::getline(in, header) && header == stateHeader && (in >> key >> channel) &&
              key == "channel" && channel >= 0 && channel <= channels;
    // Files written before the sync setting was kept end after the channel.
    if (ok && (in >> key))
        ok = key == "sync" && (in >> mode >> centiHz) && mode >= 0 && mode <= 2 &&
             centiHz >= 2000 && centiHz <= 20000 && !(in >> key);
    if (!ok) {
        stateError_ = config_.stateFile + ": not a CS-2000 state file";
        return false;
    }
    std::lock_guard<std::mutex> lock(lock_);
    selected_ = channel;
    syncMode_ = mode;
    syncCentiHz_ = centiHz;
    return true;
}

bool CS2000Sim::saveState() const {
    if (config_.stateFile.empty() || !stateError_.empty())
        return true; // never write over a file that could not be read
    const std::string temporary = config_.stateFile + ".tmp";
    {
        const std::pair<int, int> s = sync();
        std::ofstream out(temporary, std::ios::trunc);
        out << stateHeader << "\nchannel " << selectedChannel() << "\nsync " << s.first << " "
            << s.second << "\n";
        out.flush();
        if (!out) {
            std::remove(temporary.c_str());
            return false;
        }
    }
    return std::rename(temporary.c_str(), config_.stateFile.c_str()) == 0;
}

} // namespace sim
