#pragma once
// The simulated BM-7 luminance colorimeter: 12000 baud, no identification
// command, one measurement command answered in fixed columns, in cd/m² or
// (configured) foot-lamberts.

#include "referencesim.h"

namespace sim {

class BM7Sim : public ReferenceSim {
public:
    BM7Sim(Scene &scene, std::string linkPath, ReferenceConfig config);
    ~BM7Sim() override;

    static constexpr double measuringMs = 700; // ms
    // The reply to "RA TS ST" for X, Y, Z in cd/m²; with footLamberts the
    // values are given in fL and column 13 says "F".
    static std::string readingReply(const Tristimulus &t, bool footLamberts);

protected:
    std::string handle(const std::string &frame) override;
};

} // namespace sim
