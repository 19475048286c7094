#include "scene.h"

#include <cmath>

namespace sim {

Scene::Scene() {
    setxyY(0.3127, 0.3290, 100.0); // a D65 white at 100 cd/m²
}

void Scene::setXYZ(double X, double Y, double Z) {
    std::lock_guard<std::mutex> lock(lock_);
    light_ = {X, Y, Z};
    spectrumStale_ = true;
}

bool Scene::setxyY(double x, double y, double Y) {
    if (!(y > 0) || !std::isfinite(x) || !std::isfinite(y) || !std::isfinite(Y))
        return false;
    setXYZ(x * Y / y, Y, (1 - x - y) * Y / y);
    return true;
}

Tristimulus Scene::light() const {
    std::lock_guard<std::mutex> lock(lock_);
    return light_;
}

} // namespace sim

namespace sim {

Spectrum Scene::spectrum() const {
    std::lock_guard<std::mutex> lock(lock_);
    if (spectrumStale_) {
        spectrum_ = synthesizeSpectrum(light_.X, light_.Y, light_.Z);
        spectrumStale_ = false;
    }
    return spectrum_;
}

bool Scene::setSpectrum(const Spectrum &s) {
    if (s.size() != static_cast<std::size_t>(spectrumSize))
        return false;
    for (double v : s) {
        if (!std::isfinite(v) || v < 0)
            return false;
    }
    double xyz[3];
    spectrumXYZ(s, xyz);
    std::lock_guard<std::mutex> lock(lock_);
    light_ = {xyz[0], xyz[1], xyz[2]};
    spectrum_ = s;
    spectrumStale_ = false;
    return true;
}

} // namespace sim
