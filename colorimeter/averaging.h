#pragma once
// Adaptive averaging over the most recent readings. In bright light a single
// reading is enough; in low light readings are combined until their sum
// passes a threshold; an average is cut where a reading departs from the
// newer ones by more than 3 %.

#include <cstdint>
#include <vector>

namespace clmtr {

struct Average {
    int count = 0;
    double x = 0, y = 0, z = 0;
    double minX = 0, maxX = 0, minY = 0, maxY = 0, minZ = 0, maxZ = 0;
    uint32_t flags = 0; // ErrorBits::Unstable when cut or short of the ring size
};

class ReadingAverager {
public:
    // Ring of n slots (at least 1), counter back to 0.
    void allocate(int n);
    void release();
    bool allocated() const { return !x_.empty(); }
    int size() const { return static_cast<int>(x_.size()); }
    int counter() const { return counter_; }
    void resetCounter() { counter_ = 0; }

    // Stores the reading in the next slot, averages backwards from it and
    // advances the counter. thresholdScale is the model factor, doubled at
    // normal speed; lowLightStop off always walks the whole ring.
    Average add(double x, double y, double z, bool lowLightStop, double thresholdScale);

private:
    std::vector<double> x_, y_, z_;
    int counter_ = 0;
};

} // namespace clmtr
