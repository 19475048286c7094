#include "protocol.h"

#include "measurement.h"

#include <cmath>
#include <cstring>

namespace clmtr {

namespace {

const CommandInfo commandTable[] = {
    {"P0", 21, 1, true},   // identification
    {"D7", 1925, 6, true}, // profile list
    {"D1", 2, 2,
     false}, // select a profile (the reply is the echo alone, checked as an acknowledgement)
    {"D9", 2, 2, false},  // begin writing a profile (acknowledged by its echo)
    {"N5", 15, 1, true},  // one reading, fast
    {"N4", 15, 1, true},  // one reading, normal
    {"M6", 20, 2, false}, // counts record (the counts start at byte 0)
    {"L0", 0, 0, false},  // aiming lights off
    {"L1", 0, 0, false},  // aiming lights on
    {"J1", 1, 2, false},  // fixed range 1
    {"J2", 1, 2, false},  // fixed range 2
    {"J3", 1, 2, false},  // fixed range 3
    {"J4", 1, 2, false},  // fixed range 4
    {"J5", 1, 2, false},  // fixed range 5
    {"J6", 1, 2, false},  // fixed range 6
    {"J7", 1, 2, false},  // hold the range
    {"J8", 1, 2, false},  // automatic range
    {"S0", 133, 2, true}, // stored black-level data
    {"B4", 43, 2, true},  // black-level table
    {"B8", 43, 2, true},  // black-level table
    {"B9", 43, 8, true},  // measure the black level
    {"B7", 2, 1, false},  // store the black level (acknowledged by its echo)
    {"P4", 613, 5, true}, // firmware version and flicker response
    {"Q0", 133, 2, true}, // the instrument's own matrix
    {"T1", -1, 2, false}, // start sample streaming, newer firmware
    {"T2", -1, 2, false}, // start sample streaming, older firmware
    {"X9", -1, 1, false}, // stop sample streaming
};

struct StatusLetter {
    char letter;
    uint32_t bits;
};

const StatusLetter statusTable[] = {
    {'L', ErrorBits::AimingLights}, {'u', ErrorBits::StatusU},  {'v', ErrorBits::StatusV},
    {'w', ErrorBits::StatusW},      {'t', ErrorBits::StatusT},  {'s', ErrorBits::StatusS},
    {'b', ErrorBits::StatusB},      {'X', ErrorBits::StatusXB}, {'B', ErrorBits::StatusXB},
};

struct ModelFactor {
    const char *model; // exact name
    double factor;
};

const ModelFactor modelFactors[] = {
    {"T-4", 1.0 / 30}, {"T-40-A", 1.0 / 3}, {"T-40A", 1.0 / 3}, {"T-7", 8}, {"T-90", 0.5},
};

// Model name prefixes that have aiming lights.
const char *const aimingLightModels[] = {"T-40", "TV-40", "T-90"};
const char *const familyPrefixes[] = {"T-", "TV-"};

bool startsWith(const std::string &s, const char *prefix) {
    return s.compare(0, std::strlen(prefix), prefix) == 0;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

const char *const factoryProfileName = "Factory Cal File";
const char *const blankProfileName = "Blank";

const CommandInfo *findCommand(const std::string &command) {
    for (const CommandInfo &c : commandTable) {
        if (command == c.command)
            return &c;
    }
    return nullptr;
}

bool echoMatches(const CommandInfo &command, const std::string &reply) {
    return !command.echo || reply.compare(0, 2, command.command) == 0;
}

std::string frame(const std::string &command) {
    return command + '\r';
}

double decodeReading(const unsigned char *b) {
    double mantissa = ((b[0] & 0x7F) * 256 + b[1]) / 65536.0;
    int exponent = static_cast<signed char>(b[2]);
    double v = std::ldexp(mantissa, exponent);
    return (b[0] & 0x80) ? -v : v;
}

double decodeValue4(const std::string &s) {
    if (s.size() != 4)
        return -1.0;
    auto u = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    double v = std::ldexp((u(2) * 256 + u(3)) / 65536.0, u(1));
    return u(0) == 1 ? -v : v;
}

Ranges decodeRangeByte(unsigned char r) {
    int c = r & 31; // three base-3 digits, one per channel
    Ranges out;
    out.x = ((r & 0x80) ? 1 : 0) + 2 * ((c / 9) % 3) + 1;
    out.y = ((r & 0x40) ? 1 : 0) + 2 * ((c / 3) % 3) + 1;
    out.z = ((r & 0x20) ? 2 : 1) + 2 * (c % 3);
    return out;
}

uint32_t statusBits(char status) {
    for (const StatusLetter &s : statusTable) {
        if (s.letter == status)
            return s.bits;
    }
    return 0;
}

std::string trimmed(const std::string &s) {
    std::size_t b = 0, e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

Identity parseIdentify(const std::string &reply) {
    Identity id;
    id.answered = !reply.empty();
    if (reply.size() < 9 || reply.compare(0, 2, "P0") != 0)
        return id;
    std::string model = trimmed(reply.substr(2, 7));
    std::string serial = reply.size() > 9 ? trimmed(reply.substr(9, 9)) : std::string();
    for (const char *prefix : familyPrefixes) {
        if (startsWith(model, prefix)) {
            id.ok = true;
            id.model = model;
            id.serialNumber = serial;
            break;
        }
    }
    return id;
}

std::vector<std::string> parseProfileList(const std::string &reply) {
    std::vector<std::string> names(profileSlots, blankProfileName);
    names[0] = factoryProfileName;
    for (int slot = 1; slot < profileSlots; ++slot) {
        std::size_t at = 2 + 20 * static_cast<std::size_t>(slot - 1);
        if (at + 20 > reply.size())
            break;
        std::string field = reply.substr(at, 20);
        if (static_cast<unsigned char>(field[10]) != 0xFF)
            names[slot] = trimmed(field);
    }
    return names;
}

bool parseReadingReply(const std::string &reply, RawReading &out) {
    if (reply.size() < 14)
        return false;
    out.x = decodeReading(reply, 2);
    out.y = decodeReading(reply, 5);
    out.z = decodeReading(reply, 8);
    out.ranges = decodeRangeByte(static_cast<unsigned char>(reply[11]));
    out.status = reply[13];
    return true;
}

ReadingCheck checkReadingReply(const std::string &reply, const std::string &command,
                               RawReading &out) {
    if (reply.size() < static_cast<std::size_t>(readingReplyLength))
        return ReadingCheck::TooShort;
    if (command.size() != 2 || reply.compare(0, 2, command) != 0)
        return ReadingCheck::WrongEcho;
    RawReading r;
    parseReadingReply(reply, r);
    for (double v : {r.x, r.y, r.z}) {
        if (!(std::fabs(v) <= readingLimit)) // NaN fails too
            return ReadingCheck::BadValue;
    }
    out = r;
    return ReadingCheck::Ok;
}

double modelFactor(const std::string &model) {
    for (const ModelFactor &m : modelFactors) {
        if (model == m.model)
            return m.factor;
    }
    return 1.0;
}

bool hasAimingLights(const std::string &model) {
    for (const char *prefix : aimingLightModels) {
        if (startsWith(model, prefix))
            return true;
    }
    return false;
}

bool streamsFlicker(const std::string &model) {
    return startsWith(model, "TV-");
}

bool firmwareIsNewer(const std::string &version) {
    return version.compare("01.09fh") > 0;
}

} // namespace clmtr
