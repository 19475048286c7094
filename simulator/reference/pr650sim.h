#pragma once
// The simulated PR-650 spectroradiometer. After power-up it is in local
// mode: the first "S01" switches it to remote mode (answered with a banner,
// not a status), and only then does it answer its commands. Commands may
// end with CR, LF or both and come in either case, as the programs written
// for it send them; replies end with CR LF. A measurement takes several
// seconds, and in low light it comes with quality code 18.

#include "referencesim.h"

namespace sim {

class PR650Sim : public ReferenceSim {
public:
    PR650Sim(Scene &scene, std::string linkPath, ReferenceConfig config);
    ~PR650Sim() override;

    bool remote() const { return remote_; }
    // Instrument time of one "M2" at luminance Y, ms.
    static double measuringMs(double Y);
    // Below this luminance (cd/m²) a reading carries quality code 18.
    static constexpr double lowLightLimit = 0.5;
    // The "M2" reply: quality code, units code, X, Y, Z.
    static std::string measurementReply(const Tristimulus &t);

protected:
    std::size_t frameLength(const std::string &input) const override;
    std::string handle(const std::string &frame) override;
    void powerLost() override { remote_ = false; }

private:
    std::atomic<bool> remote_{false};
};

} // namespace sim
