// The chart widget's backgrounds: the chromaticity diagrams with their
// locus, fill, Planckian curve and targets, the hue wheel and the bar chart's
// target band. Painted only when the cached image is redrawn.
#include "qgraphbox.h"

#include "locus.h"
#include "measurement.h"
#include "qgraphbox_p.h"

#include <QFontMetricsF>
#include <QImage>
#include <QLineF>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>

using namespace GraphBoxDetail;

// ---- Diagram background ----

namespace {

struct LocusSample {
    QPointF uv; // CIE 1976 u', v'
    double key; // nm or K
};

// The spectrum locus from the colour library's Hermite table.
QVector<LocusSample> spectrumLocus() {
    constexpr int perSegment = 2; // the rows are 1 nm apart already
    QVector<LocusSample> out;
    const LocusTable &t = spectrumLocusTable;
    for (int i = 0; i + 1 < t.count; ++i)
        for (int s = 0; s < perSegment; ++s) {
            const LocusPoint lp = locusSegmentPoint(t, i, double(s) / perSegment);
            out.append({QPointF(lp.u, lp.v), lp.key});
        }
    if (t.count > 0)
        out.append({QPointF(t.rows[t.count - 1][LocusU], t.rows[t.count - 1][LocusV]),
                    t.rows[t.count - 1][LocusKey]});
    return out;
}

// The Planckian locus; the table is in CIE 1960 (u, v), so v' = 1.5 v.
QVector<LocusSample> planckianLocus() {
    constexpr int perSegment = 6;
    QVector<LocusSample> out;
    const LocusTable &t = planckianTable;
    for (int i = 0; i + 1 < t.count; ++i)
        for (int s = 0; s < perSegment; ++s) {
            const LocusPoint lp = locusSegmentPoint(t, i, double(s) / perSegment);
            out.append({QPointF(lp.u, 1.5 * lp.v), lp.key});
        }
    return out;
}

// sRGB transfer function, tabulated: the fill is evaluated per pixel.
const std::array<quint8, 1025> &srgbTable() {
    static const std::array<quint8, 1025> table = [] {
        std::array<quint8, 1025> t{};
        for (int i = 0; i <= 1024; ++i) {
            const double v = i / 1024.0;
            const double e = v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1 / 2.4) - 0.055;
            t[i] = quint8(qBound(0, qRound(e * 255), 255));
        }
        return t;
    }();
    return table;
}

// An approximate display colour of chromaticity (x, y): sRGB of the
// chromaticity at the brightness where its largest channel is full.
QRgb chromaticityRgb(double x, double y) {
    if (!(y > 1e-4))
        return qRgb(0, 0, 0);
    const double X = x / y, Z = (1 - x - y) / y;
    double r = 3.2406 * X - 1.5372 - 0.4986 * Z;
    double g = -0.9689 * X + 1.8758 + 0.0415 * Z;
    double b = 0.0557 * X - 0.2040 + 1.0570 * Z;
    r = std::max(r, 0.0);
    g = std::max(g, 0.0);
    b = std::max(b, 0.0);
    const double m = std::max({r, g, b});
    if (!(m > 0))
        return qRgb(0, 0, 0);
    const auto &lut = srgbTable();
    return qRgb(lut[int(r / m * 1024)], lut[int(g / m * 1024)], lut[int(b / m * 1024)]);
}

QPointF unit(const QPointF &v) {
    const double n = std::hypot(v.x(), v.y());
    return n > 0 ? v / n : QPointF(0, 0);
}

// Where the ray from `from` along `dir` leaves the closed polygon, if it does.
bool rayExit(const QPolygonF &poly, const QPointF &from, const QPointF &dir, QPointF &hit) {
    double best = INFINITY;
    for (int i = 0; i < poly.size(); ++i) {
        const QPointF a = poly[i], b = poly[(i + 1) % poly.size()];
        const QPointF e = b - a;
        const double den = dir.x() * e.y() - dir.y() * e.x();
        if (std::fabs(den) < 1e-15)
            continue;
        const QPointF w = a - from;
        const double s = (w.x() * e.y() - w.y() * e.x()) / den;     // along the ray
        const double u = (w.x() * dir.y() - w.y() * dir.x()) / den; // along the edge
        if (s > 1e-9 && u >= 0 && u <= 1 && s < best)
            best = s;
    }
    if (!std::isfinite(best))
        return false;
    hit = from + dir * best;
    return true;
}

// A label's rectangle placed beyond `at` along the unit direction n.
QRectF labelRect(const QPointF &at, const QPointF &n, const QSizeF &size, double gap) {
    const double reach =
        gap + std::fabs(n.x()) * size.width() / 2 + std::fabs(n.y()) * size.height() / 2;
    const QPointF c = at + n * reach;
    return QRectF(c.x() - size.width() / 2, c.y() - size.height() / 2, size.width(), size.height());
}

bool overlaps(const QRectF &r, const QVector<QRectF> &taken) {
    for (const QRectF &t : taken)
        if (r.intersects(t))
            return true;
    return false;
}

} // namespace

void QGraphBox::drawDiagram(QPainter &p, const Layout &l, const Colours &c) const {
    const QRectF r = l.plot;
    p.fillRect(r, c.plotBg);

    const QVector<LocusSample> locus = spectrumLocus();
    QPolygonF boundary; // chart coordinates, closed by the purple line
    for (const LocusSample &s : locus)
        boundary << (m_chart == CIE1976 ? s.uv : upVpToXy(s.uv));
    QPolygonF boundaryPx;
    for (const QPointF &pt : boundary)
        boundaryPx << map(l, pt);

    p.save();
    p.setClipRect(r);
    drawChromaticityFill(p, l, boundaryPx, c);
    p.restore();

    QVector<QRectF> taken;
    drawAxes(p, l, c, false, &taken);

    p.save();
    p.setClipRect(r);
    // Purple line, then the locus over a thin halo that keeps its dark ends
    // visible on a dark theme.
    if (!boundaryPx.isEmpty()) {
        p.setPen(QPen(c.muted, 1.2));
        p.drawLine(boundaryPx.last(), boundaryPx.first());
        QColor halo = c.dark ? mix(c.plotBg, c.fg, 0.55) : mix(c.plotBg, c.fg, 0.25);
        p.setPen(QPen(halo, 4.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(boundaryPx);
        for (int i = 0; i + 1 < boundaryPx.size(); ++i) {
            const double nm = (locus[i].key + locus[i + 1].key) / 2;
            p.setPen(QPen(spectrumColor(nm), 3.0, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(boundaryPx[i], boundaryPx[i + 1]);
        }
    }
    drawTargets(p, l, c, boundary);
    p.restore();

    drawWavelengthLabels(p, l, c, taken);
    if (m_blackBody)
        drawPlanckian(p, l, c, taken);
}

void QGraphBox::drawChromaticityFill(QPainter &p, const Layout &l, const QPolygonF &boundary,
                                     const Colours &c) const {
    const QRectF area = boundary.boundingRect() & l.plot;
    if (area.width() < 1 || area.height() < 1)
        return;
    const qreal dpr = imageRatio();
    const QSize pixels = (area.size() * dpr).toSize() + QSize(1, 1);
    QImage img(pixels, QImage::Format_RGB32);
    const double dx = (l.x1 - l.x0) / l.plot.width(), dy = (l.y1 - l.y0) / l.plot.height();
    for (int j = 0; j < pixels.height(); ++j) {
        QRgb *line = reinterpret_cast<QRgb *>(img.scanLine(j));
        const double cy = l.y0 + (l.plot.bottom() - (area.top() + (j + 0.5) / dpr)) * dy;
        for (int i = 0; i < pixels.width(); ++i) {
            const double cx = l.x0 + (area.left() + (i + 0.5) / dpr - l.plot.left()) * dx;
            const QPointF xy = m_chart == CIE1976 ? upVpToXy(QPointF(cx, cy)) : QPointF(cx, cy);
            line[i] = chromaticityRgb(xy.x(), xy.y());
        }
    }
    p.save();
    // Softer on a dark page, where full colours glare, and softer still on
    // paper, so the ink over it reads.
    p.setOpacity(isPrinting() ? 0.35 : c.dark ? 0.55 : 0.6);
    if (isPrinting()) {
        // A printer or PDF takes one picture whose own transparency gives
        // the locus its shape, kept lossless, rather than a pattern brush.
        QImage shaped(pixels, QImage::Format_ARGB32_Premultiplied);
        shaped.fill(Qt::transparent);
        QPainter mask(&shaped);
        mask.setRenderHint(QPainter::Antialiasing);
        mask.scale(dpr, dpr);
        mask.translate(-area.topLeft());
        mask.setPen(Qt::NoPen);
        mask.setBrush(Qt::black);
        mask.drawPolygon(boundary);
        mask.resetTransform();
        mask.setCompositionMode(QPainter::CompositionMode_SourceIn);
        mask.drawImage(0, 0, img);
        mask.end();
        p.drawImage(QRectF(area.topLeft(), QSizeF(pixels) / dpr), shaped);
        p.restore();
        return;
    }
    p.setPen(Qt::NoPen);
    QBrush brush(img);
    QTransform t;
    t.translate(area.left(), area.top());
    t.scale(1 / dpr, 1 / dpr);
    brush.setTransform(t);
    p.setBrush(brush);
    p.drawPolygon(boundary);
    p.restore();
}

void QGraphBox::drawTargets(QPainter &p, const Layout &l, const Colours &c,
                            const QPolygonF &boundary) const {
    const GamutSpec &g = m_gamut;
    const QPointF white = toChart(g.whiteX, g.whiteY);
    QVector<QPointF> targets; // red, green, blue, cyan, yellow, magenta
    targets << toChart(g.redX, g.redY) << toChart(g.greenX, g.greenY) << toChart(g.blueX, g.blueY);
    const double mixes[3][3] = {{0, 100, 100}, {100, 100, 0}, {100, 0, 100}};
    for (const auto &m : mixes) {
        const Measurement s = Measurement::fromRGB(m[0], m[1], m[2], g);
        targets << toChart(s.x, s.y);
    }
    if (!finitePoint(white))
        return;

    if (m_fullScale) {
        // From the white through each target out to the edge of the diagram:
        // the line along which that target's saturation runs to full scale.
        QColor dash = c.fg;
        dash.setAlphaF(0.55);
        p.setPen(QPen(dash, 1.0, Qt::DashLine));
        for (const QPointF &t : targets) {
            QPointF hit;
            if (finitePoint(t) && t != white && rayExit(boundary, white, t - white, hit))
                p.drawLine(map(l, white), map(l, hit));
        }
    }
    if (m_gamutTriangle && finitePoint(targets[0]) && finitePoint(targets[1]) &&
        finitePoint(targets[2])) {
        QColor pen = c.fg;
        pen.setAlphaF(0.9);
        p.setPen(QPen(pen, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPolygon(QPolygonF() << map(l, targets[0]) << map(l, targets[1])
                                  << map(l, targets[2]));
    }
    if (m_gamutSquares) {
        p.setPen(QPen(c.fg, 1.2));
        p.setBrush(Qt::NoBrush);
        const double m = m_whiteMargin;
        QVector<QPointF> all = targets;
        all.prepend(white);
        for (const QPointF &t : all)
            if (finitePoint(t))
                p.drawRect(QRectF(map(l, t + QPointF(-m, m)), map(l, t + QPointF(m, -m))));
        // The white itself, which the magnified view is centred on.
        const QPointF w = map(l, white);
        p.drawLine(w + QPointF(-4, 0), w + QPointF(4, 0));
        p.drawLine(w + QPointF(0, -4), w + QPointF(0, 4));
    }
}

void QGraphBox::drawWavelengthLabels(QPainter &p, const Layout &l, const Colours &c,
                                     QVector<QRectF> &taken) const {
    const QRectF r = l.plot;
    const QRectF page(0, 0, l.size.width(), l.size.height());
    auto chartPoint = [this](double u, double v) {
        return m_chart == CIE1976 ? QPointF(u, v) : upVpToXy(QPointF(u, v));
    };
    // Away from the white of the diagram, so ticks and labels point outward.
    const QPointF inside = map(l, chartPoint(0.21, 0.47));
    p.setFont(smallFont(baseFont()));
    const QFontMetricsF fm(p.font());

    struct Tick {
        QPointF at, normal;
    };
    auto tickAt = [&](double nm, Tick &tick) {
        LocusPoint lp;
        if (!locusLookup(nm, spectrumLocusTable, &lp))
            return false;
        const QPointF a = map(l, chartPoint(lp.u, lp.v));
        const QPointF b = map(l, chartPoint(lp.u + lp.du * 1e-3, lp.v + lp.dv * 1e-3));
        const QPointF t = unit(b - a);
        QPointF n(-t.y(), t.x());
        if (QPointF::dotProduct(n, a - inside) < 0)
            n = -n;
        tick = {a, n};
        return r.contains(a);
    };

    // Unlabelled ticks every 10 nm where they do not crowd each other.
    p.setPen(QPen(c.muted, 1.0));
    QPointF last(-1e9, -1e9);
    for (int nm = 410; nm <= 690; nm += 10) {
        Tick t;
        if (!tickAt(nm, t) || QLineF(t.at, last).length() < 5)
            continue;
        p.drawLine(t.at + t.normal * 2.5, t.at + t.normal * 6.5);
        last = t.at;
    }
    // Labels by priority; a label that would collide with one already placed
    // is left out.
    static const int order[] = {520, 460, 480, 500, 540, 560, 580, 600, 620, 700, 490, 510, 470,
                                530, 550, 570, 590, 450, 440, 640, 430, 420, 410, 660, 680};
    for (int nm : order) {
        Tick t;
        if (!tickAt(nm, t))
            continue;
        const QString text = QString::number(nm);
        const QSizeF size(fm.horizontalAdvance(text) + 2, fm.height());
        QRectF box = labelRect(t.at, t.normal, size, 8);
        if (!page.contains(box) || overlaps(box, taken)) {
            // The green limb runs along the y axis, whose labels leave no room
            // outside it; its labels may sit just inside the locus instead.
            if (nm < 480 || nm > 520)
                continue;
            box = labelRect(t.at, -t.normal, size, 6);
            if (!r.contains(box) || overlaps(box, taken))
                continue;
        }
        p.setPen(QPen(c.fg, 1.1));
        p.drawLine(t.at + t.normal * 2.5, t.at + t.normal * 7);
        p.setPen(c.fg);
        p.drawText(box, Qt::AlignCenter, text);
        taken.append(box.adjusted(-3, -2, 3, 2));
    }
}

void QGraphBox::drawPlanckian(QPainter &p, const Layout &l, const Colours &c,
                              QVector<QRectF> &taken) const {
    auto chartPoint = [this](const QPointF &uv) { return m_chart == CIE1976 ? uv : upVpToXy(uv); };
    QPolygonF curve;
    for (const LocusSample &s : planckianLocus())
        curve << map(l, chartPoint(s.uv));
    const QColor colour = mix(c.plotBg, c.fg, 0.8);
    p.save();
    p.setClipRect(l.plot);
    p.setPen(QPen(colour, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(curve);
    p.restore();
    // In a small pane the temperature labels would bury the gamut.
    if (l.plot.width() < 320)
        return;

    p.setFont(smallFont(baseFont()));
    const QFontMetricsF fm(p.font());
    const QRectF page(0, 0, l.size.width(), l.size.height());
    for (double kelvin : {2000.0, 3000.0, 4000.0, 5000.0, 6500.0, 10000.0, 1500.0, 2500.0}) {
        LocusPoint lp;
        if (!locusLookup(kelvin, planckianTable, &lp))
            continue;
        const QPointF a = map(l, chartPoint(QPointF(lp.u, 1.5 * lp.v)));
        const QPointF b =
            map(l, chartPoint(QPointF(lp.u + lp.du * 1e-3, 1.5 * (lp.v + lp.dv * 1e-3))));
        if (!l.plot.contains(a))
            continue;
        const QPointF t = unit(b - a);
        QPointF n(-t.y(), t.x());
        if (n.y() < 0) // labels hang below the curve
            n = -n;
        const QString text = QStringLiteral("%1 K").arg(kelvin, 0, 'f', 0);
        const QSizeF size(fm.horizontalAdvance(text) + 2, fm.height());
        const QRectF box = labelRect(a, n, size, 7);
        p.setPen(QPen(colour, 1.2));
        p.drawLine(a - n * 4, a + n * 4);
        if (!page.contains(box) || !l.plot.contains(box.center()) || overlaps(box, taken))
            continue;
        p.setPen(c.fg);
        p.drawText(box, Qt::AlignCenter, text);
        taken.append(box.adjusted(-2, -1, 2, 1));
    }
}

// ---- Polar and bar backgrounds ----

void QGraphBox::drawPolarBackground(QPainter &p, const Layout &l, const Colours &c) const {
    const QRectF disk = l.plot;
    const QPointF centre = disk.center();
    const double radius = disk.width() / 2;

    p.setPen(Qt::NoPen);
    p.setBrush(c.plotBg);
    p.drawEllipse(disk);

    // The hue wheel: hue by angle, saturation by radius, at full value.
    const qreal dpr = imageRatio();
    const QSize pixels = (disk.size() * dpr).toSize() + QSize(1, 1);
    QImage wheel(pixels, QImage::Format_RGB32);
    for (int j = 0; j < pixels.height(); ++j) {
        QRgb *line = reinterpret_cast<QRgb *>(wheel.scanLine(j));
        const double py = (j + 0.5) / dpr - radius;
        for (int i = 0; i < pixels.width(); ++i) {
            const double px = (i + 0.5) / dpr - radius;
            const double s = std::min(1.0, std::hypot(px, py) / radius);
            double h = std::atan2(-py, px) * 180 / M_PI;
            if (h < 0)
                h += 360;
            line[i] = QColor::fromHsvF(std::min(h / 360, 0.9999), s, 1.0).rgb();
        }
    }
    p.save();
    p.setOpacity(isPrinting() ? 0.35 : c.dark ? 0.5 : 0.6);
    QBrush brush(wheel);
    QTransform t;
    t.translate(disk.left(), disk.top());
    t.scale(1 / dpr, 1 / dpr);
    brush.setTransform(t);
    p.setBrush(brush);
    p.drawEllipse(disk);
    p.restore();

    p.setBrush(Qt::NoBrush);
    for (int s = 20; s < 100; s += 20) {
        p.setPen(QPen(c.grid, 1));
        p.drawEllipse(centre, radius * s / 100, radius * s / 100);
    }
    for (int a = 0; a < 360; a += 30) {
        const double rad = a * M_PI / 180;
        const QPointF rim = centre + QPointF(std::cos(rad), -std::sin(rad)) * radius;
        p.setPen(a % 90 == 0 ? QPen(c.axis, 1.2) : QPen(c.grid, 1));
        p.drawLine(centre, rim);
    }
    p.setPen(QPen(c.axis, 1.4));
    p.drawEllipse(centre, radius, radius);

    p.setFont(labelFont(baseFont()));
    QFontMetricsF fm(p.font());
    p.setPen(c.fg);
    for (int a = 0; a < 360; a += 30) {
        const double rad = a * M_PI / 180;
        const QPointF n(std::cos(rad), -std::sin(rad));
        const QString text = QStringLiteral("%1°").arg(a);
        const QRectF box = labelRect(centre + n * radius, n,
                                     QSizeF(fm.horizontalAdvance(text) + 2, fm.height()), 5);
        p.drawText(box, Qt::AlignCenter, text);
    }
    // Saturation of each ring, on a plate so it reads over any hue.
    p.setFont(smallFont(baseFont()));
    fm = QFontMetricsF(p.font());
    for (int s = 20; s <= 100; s += 20) {
        const QString text = QString::number(s);
        const QSizeF size(fm.horizontalAdvance(text) + 6, fm.height());
        const QPointF at = centre + QPointF(radius * s / 100, 0);
        const QRectF box(at.x() - size.width() - 2, at.y() + 2, size.width(), size.height());
        QColor plate = c.plotBg;
        plate.setAlphaF(0.75);
        p.setPen(Qt::NoPen);
        p.setBrush(plate);
        p.drawRoundedRect(box, 3, 3);
        p.setPen(c.fg);
        p.drawText(box, Qt::AlignCenter, text);
    }
}

void QGraphBox::drawBarBackground(QPainter &p, const Layout &l, const Colours &c) const {
    const QRectF r = l.plot;
    p.fillRect(r, c.plotBg);
    // Tolerance band around the target level.
    const double band = 100.0 * m_barMargin;
    if (band > 0) {
        QColor fill = c.fg;
        fill.setAlphaF(c.dark ? 0.10 : 0.07);
        const QPointF a = map(l, QPointF(0, std::min(l.y1, 100 + band)));
        const QPointF b = map(l, QPointF(0, std::max(l.y0, 100 - band)));
        p.fillRect(QRectF(r.left(), a.y(), r.width(), b.y() - a.y()), fill);
    }
    drawAxes(p, l, c, false);

    if (l.bars <= 0)
        return;
    const double slot = r.width() / l.bars;
    QFont f = labelFont(baseFont());
    f.setBold(true);
    p.setFont(f);
    p.setPen(c.fg);
    const QFontMetricsF fm(f);
    for (int i = 0; i < l.bars; ++i)
        p.drawText(QRectF(r.left() + slot * i, r.bottom() + 5, slot, fm.height()),
                   Qt::AlignHCenter | Qt::AlignTop, m_xLabels.value(i));
}
