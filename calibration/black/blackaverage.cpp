#include "blackaverage.h"

#include <algorithm>
#include <cmath>

void BlackAverage::start() {
    m_running = true;
    m_skipNext = true;
    m_count = 0;
    m_sum[0] = m_sum[1] = m_sum[2] = 0;
}

BlackAverage::Step BlackAverage::add(const Measurement &m) {
    if (!m_running)
        return Step::Idle;
    if (m.errorCode & aimingLightBit) {
        m_running = false;
        return Step::AimingLight;
    }
    if (m_skipNext) {
        m_skipNext = false;
        return Step::Skipped;
    }
    m_sum[0] += m.bigX;
    m_sum[1] += m.bigY;
    m_sum[2] += m.bigZ;
    ++m_count;
    if (m_count >= readingsNeeded) {
        m_running = false;
        return Step::Done;
    }
    return Step::Counted;
}

int BlackAverage::progress() const {
    return std::min(100, m_count * 100 / readingsNeeded);
}

QVector<double> BlackAverage::blackList() const {
    if (m_count <= 0)
        return {};
    return {mean(0), mean(1), mean(2)};
}

bool BlackAverage::isBlack() const {
    if (!complete())
        return false;
    for (int c = 0; c < 3; ++c) {
        if (!(std::fabs(mean(c)) <= blackTolerance))
            return false;
    }
    return true;
}
