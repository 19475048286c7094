#pragma once
// One reading with every quantity derived from its X, Y, Z. Pure value type
// (no Qt) shared by the colorimeter library, the devices and the windows.

#include "gamutspec.h"

#include <cstdint>

// errorCode bits shared by Measurement, Flicker, BlackMatrix and the results
// of colorimeter operations.
namespace ErrorBits {
constexpr uint32_t PortLost = 0x1;
constexpr uint32_t Timeout = 0x2;
constexpr uint32_t Internal = 0x4;
constexpr uint32_t NegativeInput = 0x8;
constexpr uint32_t NoDominantWavelength = 0x10;
constexpr uint32_t CctOutOfRange = 0x20;
constexpr uint32_t AimingLights = 0x40;
constexpr uint32_t Unstable = 0x80;
constexpr uint32_t StatusU = 0x100;
constexpr uint32_t StatusV = 0x200;
constexpr uint32_t StatusW = 0x400;
constexpr uint32_t StatusT = 0x800;
constexpr uint32_t StatusS = 0x1000;
constexpr uint32_t StatusB = 0x2000;
constexpr uint32_t BlackOutOfRange = 0x4000;
constexpr uint32_t BlackNotConfirmed = 0x8000;
constexpr uint32_t ProfileCheckFailed = 0x20000;
constexpr uint32_t StoredValueTooLarge = 0x40000;
constexpr uint32_t FlickerBadPacket = 0x80000;
constexpr uint32_t FlickerBadResponseData = 0x100000;
// A reference instrument measured but says the light was too low for its
// full accuracy (the PR-650's quality code 18): the values are its own.
constexpr uint32_t LowLight = 0x400000;
constexpr uint32_t FlickerBufferNotFilled = 0x800000;
constexpr uint32_t FlickerRangeChanged = 0x1000000;
constexpr uint32_t NotAvailableOnModel = 0x2000000;
constexpr uint32_t FlickerBadSampleCount = 0x4000000;
constexpr uint32_t FlickerOverSaturated = 0x8000000;
constexpr uint32_t StatusXB = 0x10000000;
// A reply failed its check (wrong echo, impossible values) and was not used: a
// communication error.
constexpr uint32_t BadReply = 0x20000000;
// The pattern generator did not confirm the patch this reading was taken of
// (refused, did not answer in time, or was lost): what it saw is unknown.
constexpr uint32_t PatternNotShown = 0x40000000;
} // namespace ErrorBits

// Readings no instrument makes: beyond this on any channel (cd/m²), or not
// finite, a value came from a damaged reply and is never reported.
namespace Readings {
constexpr double limit = 1e6; // cd/m²
bool plausible(double X, double Y, double Z);
} // namespace Readings

struct Measurement {
    double x = 0, y = 0;
    double bigX = 0, bigY = 0, bigZ = 0; // bigY in cd/m²
    double rawX = 0, rawY = 0, rawZ = 0;
    double redPercent = 0, greenPercent = 0, bluePercent = 0;
    double uPrime = 0, vPrime = 0;
    double nm = 0, nmDuv = 0;
    double labL = 0, labA = 0, labB = 0;
    double labC = 0;
    double labH = 0; // radians
    double hue = 0;  // degrees, -1 when undefined
    double saturation = 0;
    double value = 0;
    int rangeX = 1, rangeY = 1, rangeZ = 1;
    double temp = 0; // K
    double tempDuv = 0;
    uint32_t errorCode = 0;
    int avgCount = 0;
    double minX = 0, maxX = 0, minY = 0, maxY = 0, minZ = 0, maxZ = 0;
    GamutSpec gamutSpec = GamutSpec::standardSpec(2, 100.0);

    static Measurement fromXYZ(double X, double Y, double Z, const GamutSpec &spec = defaultSpec());
    static Measurement fromxyY(double x, double y, double Y, const GamutSpec &spec = defaultSpec());
    static Measurement fromUpVp(double up, double vp, double Y,
                                const GamutSpec &spec = defaultSpec());
    static Measurement fromCCT(double T, double duv, double Y,
                               const GamutSpec &spec = defaultSpec());
    static Measurement fromWavelength(double nm, double d, double Y,
                                      const GamutSpec &spec = defaultSpec());
    static Measurement fromRGB(double r, double g, double b, const GamutSpec &spec = defaultSpec());
    static Measurement fromHSV(double h, double s, double v, const GamutSpec &spec = defaultSpec());
    static Measurement fromLab(double L, double a, double b, const GamutSpec &spec = defaultSpec());

    // Takes these gamut settings and recomputes every derived field from bigX, bigY, bigZ.
    void setGamutSpec(const GamutSpec &spec);

    double deltaE76(const Measurement &other) const;
    double deltaE94(const Measurement &other) const;
    double deltaE2000(const Measurement &other) const;

    static const GamutSpec &defaultSpec(); // standard 2, white Y 100
};

double nitsToFootLamberts(double v);
double footLambertsToNits(double v);

// CIELAB of X, Y, Z against a white in the same units, and back. A white
// with a zero component (a custom gamut being edited) gives 0 for that ratio
// instead of infinities.
std::array<double, 3> cielabFromXyz(const std::array<double, 3> &xyz,
                                    const std::array<double, 3> &white);
std::array<double, 3> xyzFromCielab(const std::array<double, 3> &lab,
                                    const std::array<double, 3> &white);
