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
    return out;
}

// "01" to "10" (two digits), or -1.
int channelArg(const std::string &s, int lowest) {
    if (s.size() != 2 || !std::isdigit(static_cast<unsigned char>(s[0])) ||
        !std::isdigit(static_cast<unsigned char>(s[1])))
        return -1;
    const int n = (s[0] - '0') * 10 + (s[1] - '0');
    return n >= lowest && n <= CS2000Sim::channels ? n : -1;
}
} // namespace

CS2000Sim::CS2000Sim(Scene &scene, std::string linkPath, ReferenceConfig config)
    : ReferenceSim("cs2000", std::move(linkPath), 9600, scene, std::move(config), "10011234"),
      names_{"", "Display D65", "OLED Panel", "", "Projector", "LED Wall", "",
             "", "Cinema",      "",           ""} {
    commands_ = {
        {"RMTS", &CS2000Sim::remoteCommand},      {"SCMS", &CS2000Sim::acknowledge},
        {"NDFR", &CS2000Sim::zeroField},          {"LNSR", &CS2000Sim::zeroField},
        {"STSR", &CS2000Sim::zeroField},          {"UCCR", &CS2000Sim::readChannelCommand},
        {"UCPR", &CS2000Sim::channelNameCommand}, {"UCCS", &CS2000Sim::selectChannelCommand},
        {"IDDR", &CS2000Sim::identifyCommand},    {"MEAS", &CS2000Sim::measureCommand},
        {"MEDR", &CS2000Sim::dataCommand},
    };
    loadState();
}

CS2000Sim::~CS2000Sim() {
    stop();
}

std::string CS2000Sim::channelName(int channel) const {
    return channel >= 1 && channel <= channels ? names_[static_cast<std::size_t>(channel)] : "";
}

int CS2000Sim::selectedChannel() const {
    std::lock_guard<std::mutex> lock(lock_);
    return selected_;
}

double CS2000Sim::measuringMs(double Y) {
    // Integration grows as the light dims: about 3.5 s at 1 cd/m², under a
    // second at 100 cd/m², at most a minute in the dark.
    return std::min(60000.0, 500.0 + 3000.0 / std::sqrt(std::max(Y, 0.0025)));
}

std::string CS2000Sim::handle(const std::string &frame) {
    const Args args = split(frame.substr(0, frame.size() - 1));
    if (args.empty())
        return cs2000wire::error(0);
    const auto it = commands_.find(args[0]);
    if (it == commands_.end() || (!remote_ && args[0] != "RMTS"))
        return cs2000wire::error(0);
    return (this->*(it->second))(args);
}

std::string CS2000Sim::remoteCommand(const Args &a) {
    if (a.size() != 2 || (a[1] != "0" && a[1] != "1"))
        return cs2000wire::error(0);
    remote_ = a[1] == "1";
    return cs2000wire::ok();
}

std::string CS2000Sim::acknowledge(const Args &) {
    return cs2000wire::ok();
}

std::string CS2000Sim::zeroField(const Args &) {
    return cs2000wire::ok({"0"});
}

std::string CS2000Sim::readChannelCommand(const Args &) {
    return cs2000wire::ok({std::to_string(selectedChannel())});
}

std::string CS2000Sim::channelNameCommand(const Args &a) {
    const int channel = a.size() == 3 && a[1] == "2" ? channelArg(a[2], 1) : -1;
    if (channel < 0)
        return cs2000wire::error(0);
    const std::string name = channelName(channel);
    return name.empty() ? cs2000wire::error(5) : cs2000wire::ok({name});
}

std::string CS2000Sim::selectChannelCommand(const Args &a) {
    const int channel = a.size() == 2 ? channelArg(a[1], 0) : -1;
    if (channel < 0)
        return cs2000wire::error(0);
    if (channel > 0 && channelName(channel).empty())
        return cs2000wire::error(5); // nothing to measure with
    {
        std::lock_guard<std::mutex> lock(lock_);
        selected_ = channel;
    }
    saveState();
    return cs2000wire::ok();
}

std::string CS2000Sim::identifyCommand(const Args &) {
    return cs2000wire::ok({"CS-2000", "0", serial()});
}

std::string CS2000Sim::measureCommand(const Args &a) {
    if (a.size() != 2 || a[1] != "1" || measuring_)
        return cs2000wire::error(0);
    const double ms = measuringMs(scene_.light().Y);
    measuring_ = true;
    haveData_ = false;
    startStream(Clock::now() + scaled(ms));
    char seconds[16];
    std::snprintf(seconds, sizeof seconds, "%03d", static_cast<int>(std::ceil(ms / 1000.0)));
    return cs2000wire::ok({seconds});
}

bool CS2000Sim::streamOutput(Clock::time_point, std::string &out, Clock::time_point &) {
    // The measurement ends: what the instrument saw is kept for "MEDR".
    measuring_ = false;
    captured_ = readSpectrum();
    haveData_ = true;
    if (!silent())
        out += cs2000wire::ok();
    return false;
}

std::string CS2000Sim::dataCommand(const Args &a) {
    if (a.size() != 4 || a[2] != "0" || measuring_ || !haveData_)
        return cs2000wire::error(10);
    if (a[1] == "2" && a[3] == "01") {
        double xyz[3];
        spectrumXYZ(captured_, xyz);
        return cs2000wire::ok(
            {cs2000wire::number(xyz[0]), cs2000wire::number(xyz[1]), cs2000wire::number(xyz[2])});
    }
    const int block = a[1] == "1" ? channelArg(a[3], 1) : -1;
    if (block < 1 || block > 4)
        return cs2000wire::error(0);
    return cs2000wire::spectralBlock(captured_, block);
}

void CS2000Sim::powerLost() {
    remote_ = false;
    measuring_ = false;
    haveData_ = false;
}

bool CS2000Sim::loadState() {
    if (config_.stateFile.empty())
        return true;
    std::ifstream in(config_.stateFile);
    if (!in)
        return true; // not there yet: written on the first selection
    std::string header, key, rest;
    int channel = -1;
    if (!std::getline(in, header) || header != stateHeader || !(in >> key >> channel) ||
        key != "channel" || channel < 0 || channel > channels || (in >> rest)) {
        stateError_ = config_.stateFile + ": not a CS-2000 state file";
        return false;
    }
    std::lock_guard<std::mutex> lock(lock_);
    selected_ = channel;
    return true;
}

bool CS2000Sim::saveState() const {
    if (config_.stateFile.empty() || !stateError_.empty())
        return true; // never write over a file that could not be read
    const std::string temporary = config_.stateFile + ".tmp";
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << stateHeader << "\nchannel " << selectedChannel() << "\n";
        out.flush();
        if (!out) {
            std::remove(temporary.c_str());
            return false;
        }
    }
    return std::rename(temporary.c_str(), config_.stateFile.c_str()) == 0;
}

} // namespace sim
