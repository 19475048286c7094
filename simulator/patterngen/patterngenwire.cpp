#include "patterngenwire.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace sim {

namespace {

struct CommandShape {
    const char *name;
    int numbers; // decimal fields after the name
};

const CommandShape shapes[] = {
    {"getInfo", 0},     {"setPattern", 1}, {"setColor", 3},
    {"setMaxColor", 1}, {"setBoxSize", 4}, {"setCheckerBoardPattern", 2},
};

const std::string imagePrefix = "sendImg,";
// The hex of a PNG's closing IEND chunk with its CRC.
const std::string pngEnd = "0000000049454e44ae426082";
const std::string pngStart = "89504e470d0a1a0a";
constexpr std::size_t maxImageHex = 32u << 20;

std::vector<std::string> split(const std::string &s) {
    std::vector<std::string> out;
    std::size_t from = 0;
    for (;;) {
        const std::size_t comma = s.find(',', from);
        out.push_back(
            s.substr(from, comma == std::string::npos ? std::string::npos : comma - from));
        if (comma == std::string::npos)
            return out;
        from = comma + 1;
    }
}

bool isNumber(const std::string &s) {
    if (s.empty() || s.size() > 9)
        return false;
    const std::size_t start = s[0] == '-' ? 1 : 0;
    return start < s.size() &&
           std::all_of(s.begin() + start, s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool startsWith(const std::string &s, const std::string &prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

std::string patternInfoLine(const std::string &serial, int width, int height) {
    return std::string(patternIdentity) + "," + serial + "," + patternManufacturer + "," +
           std::to_string(width) + "," + std::to_string(height);
}

CommandScan scanCommand(const std::string &buffer, std::size_t *length) {
    if (buffer.empty())
        return CommandScan::Incomplete;
    if (startsWith(buffer, imagePrefix)) {
        const std::size_t end = buffer.find(pngEnd, imagePrefix.size());
        if (end != std::string::npos) {
            *length = end + pngEnd.size();
            return CommandScan::Complete;
        }
        return buffer.size() > maxImageHex ? CommandScan::Invalid : CommandScan::Incomplete;
    }
    if (imagePrefix.compare(0, buffer.size(), buffer) == 0)
        return CommandScan::Incomplete; // "sendI..."
    for (const CommandShape &c : shapes) {
        const std::string name = c.name;
        if (name.compare(0, buffer.size(), buffer) == 0 && buffer.size() < name.size())
            return CommandScan::Incomplete;
        if (!startsWith(buffer, name))
            continue;
        const std::vector<std::string> f = split(buffer);
        if (f[0] != name)
            continue; // a longer name that shares this one's start
        if (static_cast<int>(f.size()) - 1 < c.numbers)
            return CommandScan::Incomplete;
        if (static_cast<int>(f.size()) - 1 > c.numbers)
            return CommandScan::Invalid;
        for (std::size_t i = 1; i < f.size(); ++i) {
            if (f[i].empty() || (f[i] == "-" && i + 1 == f.size()))
                return CommandScan::Incomplete; // the number has not arrived yet
            if (!isNumber(f[i]))
                return CommandScan::Invalid;
        }
        *length = buffer.size();
        return CommandScan::Complete;
    }
    return CommandScan::Invalid;
}

std::string applyCommand(const std::string &command, const std::string &serial, PatternState &state,
                         bool *changed) {
    *changed = false;
    if (startsWith(command, imagePrefix)) {
        if (command.compare(imagePrefix.size(), pngStart.size(), pngStart) != 0)
            return "ERR::";
        state.hasImage = true;
        *changed = state.pattern == 5;
        return "OK::";
    }
    const std::vector<std::string> f = split(command);
    std::vector<int> n;
    for (std::size_t i = 1; i < f.size(); ++i)
        n.push_back(std::atoi(f[i].c_str()));
    const std::string &name = f[0];
    if (name == "getInfo")
        return patternInfoLine(serial, state.width, state.height) + "::";
    PatternState next = state;
    if (name == "setPattern") {
        next.pattern = n[0];
    } else if (name == "setColor") {
        for (int v : n)
            if (v < 0 || v > 65535)
                return "ERR::";
        next.red = n[0];
        next.green = n[1];
        next.blue = n[2];
    } else if (name == "setMaxColor") {
        if (n[0] < 1)
            return "ERR::";
        next.maxColor = n[0];
    } else if (name == "setBoxSize") {
        if (n[2] < 0 || n[3] < 0)
            return "ERR::";
        next.boxX = n[0];
        next.boxY = n[1];
        next.boxW = n[2];
        next.boxH = n[3];
    } else if (name == "setCheckerBoardPattern") {
        next.checkerColumns = std::max(1, n[0]);
        next.checkerRows = std::max(1, n[1]);
    } else {
        return "ERR::";
    }
    state = next;
    *changed = true;
    return "OK::";
}

} // namespace sim
