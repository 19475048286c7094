#pragma once
// One flicker analysis delivered while the luminance signal streams. The
// signal, spectrum, peaks and the settings in force join this record with
// sample streaming; until then it carries the luminance, range and error word.

#include <cstdint>

struct Flicker {
    double y = 0;  // cd/m²
    int range = 1; // instrument range 1 to 6
    uint32_t errorCode = 0;
};
