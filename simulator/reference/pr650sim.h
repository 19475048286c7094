#pragma once
// The simulated PR-650 spectroradiometer. After power-up it is in local
// mode: the first "S01" switches it to remote mode (answered with a banner,
// not a status), and only then does it answer its commands. A measurement
// takes several seconds.

#include "referencesim.h"

namespace sim {

class PR650Sim : public ReferenceSim {
public:
    PR650Sim(Scene &scene, std::string linkPath, ReferenceConfig config);
    ~PR650Sim() override;

    bool remote() const { return remote_; }
    // Instrument time of one "M2" at luminance Y, ms.
    static double measuringMs(double Y);
    // The "M2" reply: status, units code, X, Y, Z.
    static std::string measurementReply(const Tristimulus &t);

protected:
    std::string handle(const std::string &frame) override;
    void powerLost() override { remote_ = false; }

private:
    std::atomic<bool> remote_{false};
};

} // namespace sim
