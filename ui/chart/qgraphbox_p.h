#pragma once
// Small helpers shared by the files of the chart widget: its settings, scale,
// layout, painting and cached backgrounds.

#include "qgraphbox.h"

#include <QColor>
#include <QFont>
#include <QPointF>
#include <QVector>

#include <algorithm>
#include <cmath>

namespace GraphBoxDetail {

inline bool finitePoint(const QPointF &p) {
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

inline QColor mix(const QColor &a, const QColor &b, double t) {
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t,
                            a.greenF() + (b.greenF() - a.greenF()) * t,
                            a.blueF() + (b.blueF() - a.blueF()) * t);
}

inline QFont scaledFont(const QFont &base, double factor, bool bold = false) {
    QFont f = base;
    if (f.pointSizeF() > 0)
        f.setPointSizeF(f.pointSizeF() * factor);
    else
        f.setPixelSize(std::max(6, qRound(f.pixelSize() * factor)));
    f.setBold(bold);
    return f;
}
inline QFont labelFont(const QFont &base) {
    return scaledFont(base, 0.9);
}
inline QFont smallFont(const QFont &base) {
    return scaledFont(base, 0.8);
}
inline QFont titleFont(const QFont &base) {
    return scaledFont(base, 1.15, true);
}

// CIE 1931 (x, y) and CIE 1976 (u', v').
inline QPointF xyToUpVp(const QPointF &xy) {
    const double d = -2 * xy.x() + 12 * xy.y() + 3;
    return QPointF(4 * xy.x() / d, 9 * xy.y() / d);
}
inline QPointF upVpToXy(const QPointF &uv) {
    const double d = 6 * uv.x() - 16 * uv.y() + 12;
    return QPointF(9 * uv.x() / d, 4 * uv.y() / d);
}

// The widest y tick label at these decimals (qgraphboxlayout.cpp).
double widestLabel(const QFont &font, const QVector<double> &values, int decimals);

// Axis steps (qgraphboxscale.cpp).
// The smallest 1, 2 or 5 times a power of ten that is at least v (> 0).
double niceCeil(double v);
// A major step near `rough` and the minor step that divides it.
void niceSteps(double rough, QGraphBox::ScaleStep &major, QGraphBox::ScaleStep &minor);
// Rounds [lo, hi] outward to whole multiples of step.
void snapOutward(double &lo, double &hi, const QGraphBox::ScaleStep &step);

} // namespace GraphBoxDetail
