#include "scene.h"

#include <cmath>

namespace sim {

Scene::Scene() {
    setxyY(0.3127, 0.3290, 100.0); // a D65 white at 100 cd/m²
}

void Scene::setXYZ(double X, double Y, double Z) {
    std::lock_guard<std::mutex> lock(lock_);
    light_ = {X, Y, Z};
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
