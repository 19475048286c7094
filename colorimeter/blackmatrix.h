#pragma once
// Black-level (dark offset) data of the colorimeter's six ranges, and the
// replies that carry it: the black-level tables ("B4" working memory, "B8"
// permanent memory, "B9" a new measurement), the thermal coefficients ("S0")
// and the counts record ("M6") whose sensor values gate a calibration.

#include <cstdint>
#include <string>

struct BlackMatrix {
    double black[6][3] = {}; // range 1 to 6 (index 0 to 5), channel X, Y, Z
    double thermal = 0;
    int status = 0; // 0 success, else errorCode bits
};

namespace clmtr {

constexpr int blackTableReplyLength = 43;
constexpr int thermalReplyLength = 133;
constexpr int countsReplyLength = 20;
// Table values outside this window come from a bad measurement (light, a
// faulty sensor) and are never used.
constexpr unsigned blackTableMin = 500;
constexpr unsigned blackTableMax = 2500;

// 19 values after the echo: X, Y, Z for range 6 down to range 1, then the
// thermal value; byte 41 the status letter. Any value outside 500 to 2500
// zeroes all nineteen and sets ErrorBits::BlackOutOfRange; status also carries the
// status letter's bits, and Internal (4) for a reply too short to hold it.
BlackMatrix parseBlackTable(const std::string &reply);

// 18 signed values (u > 32768 stands for 32768 - u) / 4096 in the same range
// order; thermal 0.
BlackMatrix parseThermalCoefficients(const std::string &reply);

struct CountsRecord {
    unsigned sensorA = 0, sensorB = 0; // bytes 14 and 15
    unsigned value16 = 0;              // bytes 12-13
    int rangeX = 1, rangeY = 1, rangeZ = 1;
    unsigned counts[6] = {};
    uint32_t errorCode = 0; // the status letter's bits
};
// False when the reply is too short.
bool parseCountsRecord(const std::string &reply, CountsRecord &out);
// A calibration needs both sensor values in 50 to 200.
bool countsAllowBlackCalibration(const CountsRecord &c);

} // namespace clmtr
