#include "cmf.h"

bool cmfAt(int nm, double out[3]) {
    const int first = cie1931Cmf.count > 0 ? static_cast<int>(cie1931Cmf.rows[0][0]) : 0;
    const int i = nm - first;
    if (i < 0 || i >= cie1931Cmf.count) {
        out[0] = out[1] = out[2] = 0;
        return false;
    }
    for (int k = 0; k < 3; ++k)
        out[k] = cie1931Cmf.rows[i][k + 1];
    return true;
}

void spectrumToXYZ(const double *values, int firstNm, int count, double xyz[3]) {
    double sum[3] = {0, 0, 0};
    for (int i = 0; i < count; ++i) {
        double c[3];
        if (!cmfAt(firstNm + i, c))
            continue;
        for (int k = 0; k < 3; ++k)
            sum[k] += values[i] * c[k];
    }
    for (int k = 0; k < 3; ++k)
        xyz[k] = maxLuminousEfficacy * sum[k];
}
