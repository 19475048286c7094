#include "averaging.h"

#include "measurement.h"

#include <algorithm>
#include <cmath>

namespace clmtr {

void ReadingAverager::allocate(int n) {
    n = std::max(n, 1);
    x_.assign(static_cast<std::size_t>(n), 0.0);
    y_.assign(static_cast<std::size_t>(n), 0.0);
    z_.assign(static_cast<std::size_t>(n), 0.0);
    counter_ = 0;
}

void ReadingAverager::release() {
    x_ = {};
    y_ = {};
    z_ = {};
    counter_ = 0;
}

Average ReadingAverager::add(double x, double y, double z, bool lowLightStop,
                             double thresholdScale) {
    Average a;
    if (x_.empty())
        allocate(1);
    const int n = size();
    const int c = counter_;
    const std::size_t slot = static_cast<std::size_t>(c % n);
    x_[slot] = x;
    y_[slot] = y;
    z_[slot] = z;

    double minX = 10000, minY = 10000, minZ = 10000;
    double maxX = -10000, maxY = -10000, maxZ = -10000;
    double sumX = 0, sumY = 0, sumZ = 0;
    bool complete = false;
    int k = 1;
    for (int j = c; k <= n && j >= 0; --j) {
        const std::size_t s = static_cast<std::size_t>(j % n);
        const double sx = x_[s], sy = y_[s], sz = z_[s];
        if (k > 1) {
            const double mean = (sumX + sumY + sumZ) / (k - 1);
            if (std::fabs(mean - (sx + sy + sz)) / (mean + 1) > 0.03) {
                a.flags |= ErrorBits::Unstable;
                break;
            }
        }
        sumX += sx;
        sumY += sy;
        sumZ += sz;
        minX = std::min(minX, sx);
        maxX = std::max(maxX, sx);
        minY = std::min(minY, sy);
        maxY = std::max(maxY, sy);
        minZ = std::min(minZ, sz);
        maxZ = std::max(maxZ, sz);
        if (lowLightStop) {
            const double threshold = k * 3.0 * 16.0 / (k + 1) * thresholdScale;
            if (sumX + sumY + sumZ > threshold) {
                complete = true;
                ++k;
                break;
            }
        }
        ++k;
    }
    a.count = k - 1;
    a.x = sumX / a.count;
    a.y = sumY / a.count;
    a.z = sumZ / a.count;
    a.minX = minX;
    a.maxX = maxX;
    a.minY = minY;
    a.maxY = maxY;
    a.minZ = minZ;
    a.maxZ = maxZ;
    if (!complete && a.count != n)
        a.flags |= ErrorBits::Unstable;
    ++counter_;
    return a;
}

} // namespace clmtr
