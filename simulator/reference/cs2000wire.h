#pragma once
// Replies of the simulated CS-2000, as text: a status ("OK00" or "ERnn"),
// comma-separated fields, CR LF.

#include "spectrum.h"

#include <string>
#include <vector>

namespace sim::cs2000wire {

std::string ok(const std::vector<std::string> &fields = {});
// "ER05": blank channel; "ER10": no measurement to report (or measuring);
// "ER00": command not understood or not in remote mode.
std::string error(int code);
// Scientific notation, 5 significant digits ("1.2345E-03").
std::string number(double v);
// The "MEDR,1,0,0<block>" reply for block 1 to 4 of a spectrum.
std::string spectralBlock(const Spectrum &s, int block);

} // namespace sim::cs2000wire
