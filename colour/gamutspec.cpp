#include "gamutspec.h"

#include <cmath>
#include <utility>

namespace {

// Red xy, green xy, blue xy, white xy of the built-in standards.
constexpr double standards[GamutSpec::builtInCount][8] = {
    {0.67, 0.33, 0.21, 0.71, 0.14, 0.08, 0.3101, 0.3162},
    {0.64, 0.33, 0.29, 0.60, 0.15, 0.06, 0.3127, 0.329},
    {0.64, 0.33, 0.30, 0.60, 0.15, 0.06, 0.3127, 0.329},
    {0.708, 0.292, 0.170, 0.797, 0.131, 0.046, 0.3127, 0.329},
    {0.63, 0.34, 0.31, 0.595, 0.155, 0.07, 0.3127, 0.329},
    {0.68, 0.32, 0.265, 0.69, 0.15, 0.06, 0.314, 0.351},
};

// Gauss-Jordan elimination with partial pivoting on a 3-row system; the
// left 3×3 block becomes the identity. False when the block is singular.
template <int Cols> bool gaussJordan(double (&m)[3][Cols]) {
    for (int col = 0; col < 3; ++col) {
        int pivot = col;
        for (int r = col + 1; r < 3; ++r)
            if (std::fabs(m[r][col]) > std::fabs(m[pivot][col]))
                pivot = r;
        if (m[pivot][col] == 0 || !std::isfinite(m[pivot][col]))
            return false;
        if (pivot != col)
            std::swap(m[pivot], m[col]);
        const double scale = m[col][col];
        for (int c = 0; c < Cols; ++c)
            m[col][c] /= scale;
        for (int r = 0; r < 3; ++r) {
            if (r == col)
                continue;
            const double f = m[r][col];
            for (int c = 0; c < Cols; ++c)
                m[r][c] -= f * m[col][c];
        }
    }
    return true;
}

} // namespace

GamutSpec::GamutSpec(double rx, double ry, double gx, double gy, double bx, double by, double wx,
                     double wy, double wY)
    : redX(rx), redY(ry), greenX(gx), greenY(gy), blueX(bx), blueY(by), whiteX(wx), whiteY(wy),
      whiteBigY(wY) {
    rebuild();
}

GamutSpec GamutSpec::standardSpec(int index, double whiteY) {
    if (index < 0 || index >= builtInCount)
        return GamutSpec(); // all zero, standard 6
    const double *s = standards[index];
    return GamutSpec(s[0], s[1], s[2], s[3], s[4], s[5], s[6], s[7], whiteY);
}

void GamutSpec::setRed(double x, double y) {
    redX = x;
    redY = y;
    rebuild();
}

void GamutSpec::setGreen(double x, double y) {
    greenX = x;
    greenY = y;
    rebuild();
}

void GamutSpec::setBlue(double x, double y) {
    blueX = x;
    blueY = y;
    rebuild();
}

void GamutSpec::setWhite(double x, double y, double bigY) {
    whiteX = x;
    whiteY = y;
    whiteBigY = bigY;
    rebuild();
}

std::array<double, 3> GamutSpec::whiteXYZ() const {
    if (whiteY == 0)
        return {0, 0, 0};
    return {whiteBigY * whiteX / whiteY, whiteBigY, whiteBigY * (1 - whiteX - whiteY) / whiteY};
}

void GamutSpec::rebuild() {
    standard = identifyStandard(*this);
    rgbToXyz = Mat3{};
    xyzToRgb = Mat3{};
    redBigY = greenBigY = blueBigY = 0;

    // Scale factors of the primaries that add up to the white.
    const double px[3] = {redX, greenX, blueX};
    const double py[3] = {redY, greenY, blueY};
    const std::array<double, 3> w = whiteXYZ();
    double sys[3][4];
    for (int c = 0; c < 3; ++c) {
        sys[0][c] = px[c];
        sys[1][c] = py[c];
        sys[2][c] = 1 - px[c] - py[c];
    }
    for (int r = 0; r < 3; ++r)
        sys[r][3] = w[r];
    // A degenerate spec (e.g. all zero while being edited) keeps zero
    // matrices rather than spreading infinities into every reading.
    if (whiteY == 0 || !gaussJordan(sys))
        return;

    Mat3 m{};
    for (int c = 0; c < 3; ++c) {
        const double s = sys[c][3];
        m[0][c] = px[c] * s;
        m[1][c] = py[c] * s;
        m[2][c] = (1 - px[c] - py[c]) * s;
    }
    double inv[3][6];
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            inv[r][c] = m[r][c];
            inv[r][c + 3] = r == c ? 1 : 0;
        }
    if (!gaussJordan(inv))
        return;
    rgbToXyz = m;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            xyzToRgb[r][c] = inv[r][c + 3];
    redBigY = m[1][0];
    greenBigY = m[1][1];
    blueBigY = m[1][2];
}

int identifyStandard(const GamutSpec &spec) {
    const double own[8] = {spec.redX,  spec.redY,  spec.greenX, spec.greenY,
                           spec.blueX, spec.blueY, spec.whiteX, spec.whiteY};
    for (int i = 0; i < GamutSpec::builtInCount; ++i) {
        bool same = true;
        for (int k = 0; k < 8 && same; ++k)
            same = own[k] == standards[i][k];
        if (same)
            return i;
    }
    return 6;
}
