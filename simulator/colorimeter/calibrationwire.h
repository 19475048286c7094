#pragma once
// The colorimeter's profile and black-level replies as the instrument builds
// them: pure functions over values, written apart from the library's parsers
// so that a shared mistake would have to be made twice.

#include <array>
#include <string>
#include <vector>

namespace sim {
namespace clmtrwire {

using Matrix3 = std::array<std::array<double, 3>, 3>;

// Three-byte stored value: sign bit and 15-bit mantissa / 32768, then a signed
// power of two. Full precision (the mantissa always fills 15 bits).
std::string encodeStored(double v);

// A 128-byte profile record: name blank-padded to 20, "//", zeros, five
// constants, the RGB matrix and the correction matrix as stored values.
std::string profileRecord(const std::string &name, const Matrix3 &rgb, const Matrix3 &correction);

// "D7" from the 96 stored records: each record's first 20 bytes (all 0xFF for
// an empty slot), three trailing bytes.
std::string profileListFromRecords(const std::vector<std::string> &records);

// Reply to the slot byte after "D1": the record and three trailing bytes.
std::string recordReply(const std::string &record);

// Four-byte value of the matrix reply: byte 0 is 1 when negative, byte 1 an
// unsigned power of two, bytes 2-3 the mantissa / 65536.
std::string encodeValue4(double v);
// "Q0" (133 bytes): the nine values at 2 + 12 row + 4 column.
std::string matrixReply(const Matrix3 &m);

// "B4"/"B8"/"B9" (43 bytes): echo, 19 16-bit values, a spare byte, status, CR.
std::string blackTableReply(const std::string &command, const std::array<unsigned, 19> &values,
                            char status);

// "S0" (133 bytes): 18 coefficients (range 6 down to 1, X Y Z) as 16-bit
// values of 4096ths, negatives as 32768 + |v|.
std::string thermalReply(const std::array<double, 18> &coefficients);

} // namespace clmtrwire
} // namespace sim
