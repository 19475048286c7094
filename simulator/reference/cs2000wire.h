#pragma once
// Replies of the simulated CS-2000, as text: an error-check code ("OK00" or
// "ERnn"), comma-separated fields, and the delimiter the command came with.
// Numbers in the instrument's formats: exponential with four decimals and a
// one-digit signed exponent, fixed-point, the six-character luminance, and
// IEEE single precision as eight hexadecimal digits.

#include "spectrum.h"

#include <string>
#include <vector>

namespace sim::cs2000wire {

std::string ok(const std::vector<std::string> &fields, const std::string &delimiter);
// "ER00" command not understood (or not in remote mode, or measuring);
// "ER02" measuring; "ER05" blank channel; "ER10" over range; "ER17"
// parameter out of range; "ER20" no data; "ER71" no sync signal.
std::string error(int code, const std::string &delimiter);

// "9.5050e+1"; below 1e-9 "0.0520e-9", and "0.0000e-9" below 0.00005e-9;
// the calculation-error value "-9.9999e9" for a value that is not finite.
std::string exponential(double v);
// Big-endian IEEE single precision, "42BE1810"; "D1BA43B6" when not finite.
std::string hexFloat(double v);
// "0.3127"; "-9.999" when not finite.
std::string fixed4(double v);
// Signed, "+0.0032"; "-9.9999" when not finite.
std::string signedFixed4(double v);
// Six characters with as many decimals as fit ("100.00", "1.2345"); "0.0000"
// below 0.00005; "1.23e+6" from 999,999.5 on; "-9.9e9" when not finite.
std::string sixCharacters(double v);
// Whole number, "6504"; "-9999" when not finite.
std::string wholeNumber(double v);

// The value fields of "MEDR,1,<format>,<block>" for block 1 to 4.
std::vector<std::string> spectralBlock(const Spectrum &s, int block, bool hex);
// The value fields of "MEDR,2,<format>,<block>" (0 all, 1 to 5, 11 to 15,
// 100, 101) from the spectrum; empty for a block the instrument does not
// have. The simulated instrument has no 10° observer and does not
// calculate the excitation purity: those come as the calculation-error
// value, as do a CCT and a dominant wavelength the light does not have.
std::vector<std::string> colorimetricBlock(const Spectrum &s, int block, bool hex);

} // namespace sim::cs2000wire
