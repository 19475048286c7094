#pragma once
// A Measurement as text for tintwell-cli: every field of the record and its
// GamutSpec, as one JSON object or as a CSV header and row. Extra
// leading fields (a time stamp, say) come first, trailing ones last.

#include "measurement.h"

#include <string>
#include <vector>

struct TextField {
    std::string name;
    std::string text; // already formatted: a JSON number or null
};

// Shortest text that reads back as the same double; "null" when not finite.
std::string jsonNumber(double v);
// A CSV field: quoted (with inner quotes doubled) when it holds a comma,
// quote or line break.
std::string csvField(const std::string &text);

// The record's fields in record order, then the GamutSpec flattened
// ("gamutSpec.redX", ..., "gamutSpec.rgbToXyz[0][0]", ...).
std::vector<TextField> measurementFields(const Measurement &m);

// One line of JSON, without the newline; the GamutSpec is a nested object.
std::string measurementJson(const Measurement &m, const std::vector<TextField> &leading = {},
                            const std::vector<TextField> &trailing = {});

std::string measurementCsvHeader(const std::vector<TextField> &leading = {},
                                 const std::vector<TextField> &trailing = {});
std::string measurementCsvRow(const Measurement &m, const std::vector<TextField> &leading = {},
                              const std::vector<TextField> &trailing = {});
