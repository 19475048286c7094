#pragma once
// The colorimeter's profile list and black-level records as one-line JSON for
// tintwell-cli.

#include "blackmatrix.h"
#include "matrix.h"

#include <string>
#include <vector>

// A JSON string literal. Instrument names are bytes, not necessarily UTF-8:
// control characters and bytes from 0x80 are escaped (as Latin-1 code
// points), so the output is always valid JSON.
std::string jsonString(const std::string &bytes);

struct ProfilesView {
    std::string model, serialNumber;
    int selected = 0;
    std::string selectedName;
    matrix correction; // 3 x 3 in force
    uint32_t status = 0;
    std::vector<std::string> labels;
};
std::string profilesJson(const ProfilesView &v);

// {"source":..,"status":..,"thermal":..,"black":[[X,Y,Z] for range 1 to 6]}
std::string blackJson(const std::string &source, const BlackMatrix &b);
