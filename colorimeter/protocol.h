#pragma once
// The colorimeter's wire format as plain functions over bytes: command table,
// framing, number formats, identification, range byte and status letters.
// No I/O here; the transaction and the device class sit on top.

#include "measurement.h"

#include <cstdint>
#include <string>
#include <vector>

namespace clmtr {

struct CommandInfo {
    const char *command;
    int replyLength; // bytes; 0 no reply read, -1 a stream follows
    int weight;      // time limit is weight x 1.5 s
    bool echo;       // the reply starts with the command's two characters
};

// Table entry for a two-character command, or nullptr when it is not listed.
const CommandInfo *findCommand(const std::string &command);

// Line settings: 9600 baud, 8 data bits, no parity; newer firmware streams
// its samples at 19200 baud.
constexpr int lineBaud = 9600;
constexpr int streamBaud = 19200;
constexpr int lineDataBits = 8;
constexpr char lineParity = 'n';
constexpr int lineTimeout = 10000;

constexpr int msPerWeight = 1500; // ms: 30 polls of 50 ms in the instrument's original timing
// ms: the longest reply (the 1925-byte profile list) on the wire at 9600 baud,
// with a margin; what a previous owner's unread reply can still take to pass.
constexpr int longestReplyMs = 2100;

// True when reply begins with the echo of command (always true for commands
// whose replies carry none).
bool echoMatches(const CommandInfo &command, const std::string &reply);

// The command as sent: its characters and one carriage return.
std::string frame(const std::string &command);

// Three-byte reading value: sign bit and 15-bit mantissa high byte first,
// then a signed exponent byte.
double decodeReading(const unsigned char *bytes);
inline double decodeReading(const std::string &s, std::size_t at) {
    return decodeReading(reinterpret_cast<const unsigned char *>(s.data()) + at);
}

// Four-byte value of the matrix reply: byte 0 == 1 negative, byte 1 unsigned
// exponent, bytes 2-3 mantissa. Anything but four bytes decodes to -1.
double decodeValue4(const std::string &bytes);

struct Ranges {
    int x = 1, y = 1, z = 1;
};
Ranges decodeRangeByte(unsigned char r);

// errorCode bits for an instrument status character (0 for normal states).
uint32_t statusBits(char status);

// Blanks, tabs, carriage returns and line feeds removed at both ends.
std::string trimmed(const std::string &s);

struct Identity {
    bool ok = false;
    bool answered = false; // some bytes came back, whether or not they identified
    std::string model;
    std::string serialNumber;
};
// "P0" reply: the echo, model in bytes 2-8, serial number in bytes 9-17. Only
// models of the family ("T-", "TV-") identify.
Identity parseIdentify(const std::string &reply);

constexpr int profileSlots = 97; // slot 0 is the factory calibration
extern const char *const factoryProfileName;
extern const char *const blankProfileName;
// "D7" reply: 96 name fields of 20 bytes for slots 1-96; slot 0 is the factory
// profile. A field with 0xFF at its byte 10 is an empty slot.
std::vector<std::string> parseProfileList(const std::string &reply);

// One "N4"/"N5" reply decoded, before averaging.
struct RawReading {
    double x = 0, y = 0, z = 0; // instrument units (cd/m² after the factory matrix)
    Ranges ranges;
    char status = '0';
};
constexpr int readingReplyLength = 15;
// False when the reply is too short to hold a reading.
bool parseReadingReply(const std::string &reply, RawReading &out);

// cd/m² per channel: far beyond the top range's full scale, so a value past it
// (or not finite) came from a damaged reply, not from the instrument.
constexpr double readingLimit = Readings::limit;
enum class ReadingCheck { Ok, TooShort, WrongEcho, BadValue };
// A reply to command ("N4" or "N5") is a reading only when it holds 15 bytes,
// starts with that echo and carries three finite values within
// +-readingLimit; out is filled only then.
ReadingCheck checkReadingReply(const std::string &reply, const std::string &command,
                               RawReading &out);

// Per-model facts.
double modelFactor(const std::string &model); // low-light averaging threshold scale
bool hasAimingLights(const std::string &model);
bool streamsFlicker(const std::string &model);

// True when version sorts after "01.09fh" byte by byte.
bool firmwareIsNewer(const std::string &version);

} // namespace clmtr
