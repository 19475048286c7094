#include "pr650sim.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace sim {

PR650Sim::PR650Sim(Scene &scene, std::string linkPath, ReferenceConfig config)
    : ReferenceSim("pr650", std::move(linkPath), 9600, scene, std::move(config), "60951234") {}

PR650Sim::~PR650Sim() {
    stop();
}

double PR650Sim::measuringMs(double Y) {
    return std::min(25000.0, 2500.0 + 1500.0 / std::sqrt(std::max(Y, 0.004)));
}

std::string PR650Sim::measurementReply(const Tristimulus &t) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "%04d,0,%.4E,%.4E,%.4E\r\n", t.Y < lowLightLimit ? 18 : 0, t.X,
                  t.Y, t.Z);
    return buf;
}

std::size_t PR650Sim::frameLength(const std::string &input) const {
    const std::size_t end = input.find_first_of("\r\n");
    return end == std::string::npos ? 0 : end + 1;
}

std::string PR650Sim::handle(const std::string &frame) {
    std::string command = frame.substr(0, frame.size() - 1);
    if (command.empty())
        return {}; // the second half of a CR LF
    std::transform(command.begin(), command.end(), command.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (!remote_) {
        if (command.rfind("S01", 0) != 0)
            return {}; // local mode: the keypad is in charge
        remote_ = true;
        return " REMOTE MODE\r\n";
    }
    if (command.rfind("S01", 0) == 0)
        return "0000\r\n";
    if (command == "D110") {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%8s\r\n", serial().c_str());
        return buf;
    }
    if (command == "D111")
        return "PR-650\r\n";
    if (command == "M2") {
        if (!spend(measuringMs(scene_.light().Y)))
            return {};
        return measurementReply(readLight());
    }
    return "10,UNKNOWN COMMAND\r\n";
}

} // namespace sim
