// The built-in displays under test. Each is built from the spectral shapes
// of its technology, synthesised from typical published peak wavelengths and
// widths of its emitters, phosphors and colour filters (no measured data),
// then balanced to its white point. rec709, p3, oled and ccfl-lcd have their
// shapes adjusted (filter edges, or emitter peaks and widths) until their
// primaries land on a target chromaticity.
#include "displaymodel.h"

#include <cmath>
#include <functional>

namespace sim {

namespace {

using Params = std::array<double, 6>;
using Primaries = std::array<Spectrum, 3>;
using Family = std::function<Primaries(const Params &)>;

struct Xy {
    double x, y;
};

constexpr double filterLeak = 0.005; // an LCD colour filter passes this much outside its band

Xy chromaticity(const Spectrum &s) {
    double t[3];
    spectrumXYZ(s, t);
    const double sum = t[0] + t[1] + t[2];
    return sum > 0 ? Xy{t[0] / sum, t[1] / sum} : Xy{0, 0};
}

// An LCD: one backlight through red, green and blue colour filters. p: red
// filter's rising edge and its width, green passband's centre and width,
// blue filter's falling edge and its width (nm).
Family lcd(const Spectrum &backlight) {
    return [backlight](const Params &p) {
        const double edge[3] = {std::max(2.0, p[1]), 45.0, std::max(2.0, p[5])};
        const double half = std::max(5.0, p[3]) / 2;
        return Primaries{backlight * bandpassFilter(p[0], 900, edge[0], filterLeak),
                         backlight * bandpassFilter(p[2] - half, p[2] + half, edge[1], filterLeak),
                         backlight * bandpassFilter(200, p[4], edge[2], filterLeak)};
    };
}

// Three emitters, one per primary: peaks and widths (FWHM, nm) of red, green,
// blue; each may sit on a fixed part (a filter's leak, a second line).
Family emitters(std::array<Spectrum, 3> beside = {}) {
    return [beside](const Params &p) {
        Primaries out;
        for (std::size_t j = 0; j < 3; ++j) {
            out[j] = gaussianBand(p[2 * j], std::max(1.0, p[2 * j + 1]));
            if (!beside[j].empty())
                out[j] = out[j] + beside[j];
        }
        return out;
    };
}

// Solves a 6×6 system in place (Gaussian elimination); false when singular.
bool solve6(std::array<std::array<double, 6>, 6> a, std::array<double, 6> &b) {
    for (int c = 0; c < 6; ++c) {
        int pivot = c;
        for (int r = c + 1; r < 6; ++r)
            if (std::fabs(a[r][c]) > std::fabs(a[pivot][c]))
                pivot = r;
        if (std::fabs(a[pivot][c]) < 1e-300)
            return false;
        std::swap(a[c], a[pivot]);
        std::swap(b[c], b[pivot]);
        for (int r = 0; r < 6; ++r) {
            if (r == c)
                continue;
            const double f = a[r][c] / a[c][c];
            for (int k = c; k < 6; ++k)
                a[r][k] -= f * a[c][k];
            b[r] -= f * b[c];
        }
    }
    for (int c = 0; c < 6; ++c)
        b[c] /= a[c][c];
    return true;
}

// How far each shape parameter may stray from its nominal value, as xy per
// nm: enough to prefer the nearest solution where a primary near the
// spectrum locus leaves peak and width free to trade against each other.
constexpr double strayWeight = 2e-5;
constexpr int rows = 12; // x and y of three primaries, then six strays

using Residual = std::array<double, rows>;

Residual residual(const Family &family, const Params &p, const Params &nominal,
                  const std::array<Xy, 3> &target) {
    const Primaries prim = family(p);
    Residual r{};
    for (std::size_t j = 0; j < 3; ++j) {
        const Xy c = chromaticity(prim[j]);
        r[2 * j] = c.x - target[j].x;
        r[2 * j + 1] = c.y - target[j].y;
    }
    for (std::size_t k = 0; k < 6; ++k)
        r[6 + k] = strayWeight * (p[k] - nominal[k]);
    return r;
}

double norm2(const Residual &r) {
    double s = 0;
    for (double v : r)
        s += v * v;
    return s;
}

// The shape parameters nearest the nominal ones that put the primaries on
// the target chromaticities (damped least squares). A red close to the
// spectrum locus may be reachable only to within about 0.001.
Params tune(const Family &family, const Params &nominal, const std::array<Xy, 3> &target) {
    Params p = nominal;
    double mu = 1e-3;
    Residual r = residual(family, p, nominal, target);
    for (int iteration = 0; iteration < 100; ++iteration) {
        std::array<std::array<double, 6>, rows> jac{}; // jac[row][parameter]
        for (std::size_t k = 0; k < 6; ++k) {
            Params q = p;
            const double h = 0.02; // nm
            q[k] += h;
            const Residual rq = residual(family, q, nominal, target);
            for (std::size_t row = 0; row < rows; ++row)
                jac[row][k] = (rq[row] - r[row]) / h;
        }
        std::array<std::array<double, 6>, 6> a{};
        std::array<double, 6> g{};
        for (std::size_t i = 0; i < 6; ++i) {
            for (std::size_t k = 0; k < 6; ++k)
                for (std::size_t row = 0; row < rows; ++row)
                    a[i][k] += jac[row][i] * jac[row][k];
            for (std::size_t row = 0; row < rows; ++row)
                g[i] -= jac[row][i] * r[row];
        }
        bool improved = false;
        while (!improved && mu < 1e6) {
            auto damped = a;
            std::array<double, 6> step = g;
            for (std::size_t i = 0; i < 6; ++i)
                damped[i][i] += mu * (a[i][i] + 1e-12);
            if (!solve6(damped, step))
                break;
            Params q = p;
            for (std::size_t i = 0; i < 6; ++i)
                q[i] += std::clamp(step[i], -20.0, 20.0); // nm: one careful step at a time
            const Residual rq = residual(family, q, nominal, target);
            if (norm2(rq) < norm2(r)) {
                improved = norm2(r) - norm2(rq) > 1e-18;
                p = q;
                r = rq;
                mu = std::max(1e-9, mu / 4);
                if (!improved)
                    break;
            } else {
                mu *= 8;
            }
        }
        if (!improved)
            break;
    }
    return p;
}

// Scales the primaries so that full white lands on the white point with a
// luminance of 1 cd/m².
DisplayModel balanced(std::string name, std::string technology, const Primaries &prim, Xy white,
                      double whiteY, double blackY, double gamma) {
    double m[3][3];
    for (int j = 0; j < 3; ++j) {
        double t[3];
        spectrumXYZ(prim[static_cast<std::size_t>(j)], t);
        for (int r = 0; r < 3; ++r)
            m[r][j] = t[r];
    }
    const double w[3] = {white.x / white.y, 1.0, (1 - white.x - white.y) / white.y};
    auto det = [](const double a[3][3]) {
        return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
               a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
               a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
    };
    const double d = det(m);
    DisplayModel out;
    out.name = std::move(name);
    out.technology = std::move(technology);
    for (int j = 0; j < 3; ++j) {
        double t[3][3];
        for (int r = 0; r < 3; ++r)
            for (int k = 0; k < 3; ++k)
                t[r][k] = k == j ? w[r] : m[r][k];
        out.primaries[static_cast<std::size_t>(j)] =
            prim[static_cast<std::size_t>(j)] * (det(t) / d);
    }
    out.blackShape = out.primaries[0] + out.primaries[1] + out.primaries[2];
    out.whiteY = whiteY;
    out.blackY = blackY;
    out.gamma = gamma;
    return out;
}

// The chromaticities its spectra give its primaries and white.
PanelPrimaries panelOf(const DisplayModel &m) {
    const Xy r = chromaticity(m.primaries[0]), g = chromaticity(m.primaries[1]),
             b = chromaticity(m.primaries[2]);
    const Xy w = chromaticity(m.primaries[0] + m.primaries[1] + m.primaries[2]);
    return {r.x, r.y, g.x, g.y, b.x, b.y, w.x, w.y};
}

DisplayModel make(const char *name, const char *technology, const Family &family,
                  const Params &nominal, Xy white, double whiteY, double blackY, double gamma,
                  const std::array<Xy, 3> *target = nullptr) {
    const Params p = target ? tune(family, nominal, *target) : nominal;
    return balanced(name, technology, family(p), white, whiteY, blackY, gamma);
}

// --- Light sources, from typical published peaks and widths ---

// A white LED: an InGaN blue chip near 447 nm, about 20 nm wide, under a
// cerium-doped YAG phosphor whose band peaks near 555 nm and spreads over
// more than 100 nm, with a longer tail to the red.
Spectrum whiteLed() {
    return gaussianBand(447, 20) + skewedBand(555, 45, 60, 0.55);
}

// A blue LED with a narrow-band phosphor pair: β-SiAlON green near 535 nm
// (about 55 nm wide) and the manganese-doped potassium fluorosilicate red,
// a cluster of lines a few nm wide, strongest near 631 nm with others near
// 613, 635 and 648 nm.
Spectrum ksfBacklight() {
    return gaussianBand(450, 20) + gaussianBand(535, 55, 0.5) + gaussianBand(631, 4, 0.9) +
           gaussianBand(613, 4, 0.25) + gaussianBand(635, 4, 0.3) + gaussianBand(648, 5, 0.35);
}

// A tri-band cold-cathode lamp: europium red line near 611 nm (weaker lines
// near 587, 593 and 625 nm), terbium green line near 545 nm (and near 488
// and 585 nm), a broad europium blue band near 450 nm about 50 nm wide, and
// the mercury lines near 405 and 436 nm.
Spectrum ccflLamp() {
    return gaussianBand(611, 4) + gaussianBand(587, 3, 0.15) + gaussianBand(593, 3, 0.2) +
           gaussianBand(625, 4, 0.2) + gaussianBand(545, 6) + gaussianBand(488, 5, 0.25) +
           gaussianBand(585, 4, 0.1) + gaussianBand(450, 50, 0.35) + gaussianBand(436, 2, 0.15) +
           gaussianBand(405, 2, 0.08);
}

// A white OLED stack: a blue unit near 455 nm (about 25 nm wide) and a
// yellow-green unit whose light spans a green band near 540 nm and a red
// one near 615 nm (each about 50 nm wide). The panel's fourth, unfiltered
// white sub-pixel is not modelled: its white is the three primaries'.
Spectrum whiteOled() {
    return gaussianBand(455, 25) + gaussianBand(540, 50, 0.6) + gaussianBand(615, 55, 0.6);
}

constexpr Xy d65{0.3127, 0.3290};
// Rec. 709 primaries as a real panel lands them, a little off, and its white.
constexpr std::array<Xy, 3> rec709Primaries{{{0.643, 0.334}, {0.296, 0.604}, {0.152, 0.062}}};
constexpr Xy rec709White{0.3135, 0.3282};
constexpr std::array<Xy, 3> p3Primaries{{{0.678, 0.321}, {0.268, 0.687}, {0.151, 0.062}}};
constexpr std::array<Xy, 3> oledPrimaries{{{0.675, 0.322}, {0.270, 0.684}, {0.141, 0.056}}};
constexpr std::array<Xy, 3> p3d65Primaries{{{0.680, 0.320}, {0.265, 0.690}, {0.150, 0.060}}};

// Typical LCD colour filters: red rising through 595 nm, green passing
// 490 to 580 nm, blue falling through 500 nm, edges 40 to 45 nm wide.
constexpr Params lcdFilters{595, 40, 535, 90, 500, 45};

// Quantum-dot LCD: a blue LED near 450 nm (20 nm wide) exciting green dots
// near 532 nm and red dots near 630 nm, about 28 and 32 nm wide, through
// colour filters that leave a little of the others.
Family quantumDotLcd() {
    return [](const Params &p) {
        const Spectrum backlight = gaussianBand(p[0], std::max(1.0, p[1]), 0.6) +
                                   gaussianBand(p[2], std::max(1.0, p[3]), 0.6) +
                                   gaussianBand(p[4], std::max(1.0, p[5]));
        return Primaries{backlight * bandpassFilter(590, 900, 35, filterLeak),
                         backlight * bandpassFilter(490, 580, 40, filterLeak),
                         backlight * bandpassFilter(200, 495, 40, filterLeak)};
    };
}

std::vector<DisplayModel> build() {
    std::vector<DisplayModel> v;
    v.push_back(make("rec709", "white-LED LCD with its filters set to Rec. 709", lcd(whiteLed()),
                     lcdFilters, rec709White, 120, 0.1, 2.4, &rec709Primaries));
    v.push_back(make("p3", "quantum-dot LCD with its dots set to DCI-P3, D65 white",
                     quantumDotLcd(), {630, 32, 532, 28, 450, 20}, {0.3130, 0.3286}, 200, 0.05, 2.2,
                     &p3Primaries));
    v.push_back(make("oled", "RGB OLED with its emitters set near DCI-P3, D65 white", emitters(),
                     {620, 40, 528, 38, 462, 28}, d65, 150, 0, 2.2, &oledPrimaries));
    v.push_back(make("wled-lcd", "white-LED LCD: blue LED and YAG phosphor, sRGB-class",
                     lcd(whiteLed()), lcdFilters, d65, 250, 0.25, 2.2));
    v.push_back(make("ksf-lcd", "LCD with a blue LED, beta-SiAlON green and KSF red lines",
                     lcd(ksfBacklight()), {592, 30, 535, 85, 495, 40}, d65, 300, 0.3, 2.2));
    v.push_back(make("qd-lcd", "quantum-dot LCD: blue LED, green and red dots", quantumDotLcd(),
                     {630, 32, 532, 28, 450, 20}, d65, 400, 0.4, 2.2));
    v.push_back(make("woled", "white OLED through colour filters", lcd(whiteOled()),
                     {590, 35, 535, 85, 495, 40}, d65, 150, 0, 2.4));
    // Quantum-dot OLED: a blue OLED near 456 nm (22 nm wide) is the blue
    // primary and excites green dots near 532 nm and red dots near 630 nm
    // (25 and 30 nm wide); filters leave 0.1 % of the blue in the others.
    const Spectrum qdOledBlue = gaussianBand(456, 22, 0.001);
    v.push_back(make("qd-oled", "quantum-dot OLED: blue OLED, green and red dots",
                     emitters({qdOledBlue, qdOledBlue, Spectrum()}), {630, 30, 532, 25, 456, 22},
                     d65, 250, 0, 2.4));
    // RGB laser projector: diode blue near 465 nm, green near 532 nm and
    // diode red near 639 nm, each a line 1.5 to 2 nm wide (at least as wide
    // as the 1 nm sampling, so no line falls between samples).
    v.push_back(make("laser", "RGB laser projector: 465, 532 and 639 nm lines", emitters(),
                     {639, 2, 532, 1.5, 465, 2}, d65, 48, 0.02, 2.6));
    // Its filters set so that its primaries and white are rec709's: the two
    // look the same to a spectroradiometer, not to a filter colorimeter.
    v.push_back(make("ccfl-lcd", "cold-cathode lamp LCD, filters set to Rec. 709 like rec709",
                     lcd(ccflLamp()), {590, 40, 540, 85, 515, 45}, rec709White, 120, 0.1, 2.4,
                     &rec709Primaries));
    // An HDR television: a quantum-dot LCD with its dots set to DCI-P3 and a
    // D65 white, its 1000 cd/m² peak reached through a PQ input with its own
    // roll-off above 800 and a limiter holding the screen's average to 300.
    DisplayModel hdr =
        make("hdr1000",
             "HDR television: quantum-dot LCD, P3-D65, PQ input, 1000 cd/m2 "
             "peak",
             quantumDotLcd(), {630, 32, 532, 28, 450, 20}, d65, 1000, 0.005, 2.4, &p3d65Primaries);
    hdr.hdr = HdrSignal{true, 800, 1000, 300, panelOf(hdr)};
    v.push_back(hdr);
    return v;
}

} // namespace

const std::vector<DisplayModel> &displayModels() {
    static const std::vector<DisplayModel> models = build();
    return models;
}

} // namespace sim
