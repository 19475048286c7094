#include "qgraphbox.h"

#include "qgraphbox_p.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

using namespace GraphBoxDetail;

namespace {
constexpr double polarFullScale = 100.0; // saturation in percent at the rim
constexpr double diagramTopLines = 1.8;  // room for wavelength labels above the locus
} // namespace

namespace GraphBoxDetail {

double widestLabel(const QFont &font, const QVector<double> &values, int decimals) {
    const QFontMetricsF fm(labelFont(font));
    double w = 0;
    for (double v : values)
        w = std::max(w, fm.horizontalAdvance(QString::number(v, 'f', decimals)));
    return w;
}

} // namespace GraphBoxDetail

// ---- Layout ----

bool QGraphBox::Layout::operator==(const Layout &o) const {
    return size == o.size && plot == o.plot && x0 == o.x0 && x1 == o.x1 && y0 == o.y0 &&
           y1 == o.y1 && xMajor == o.xMajor && xMinor == o.xMinor && yMajor == o.yMajor &&
           yMinor == o.yMinor && bars == o.bars;
}

QPointF QGraphBox::toChart(double x, double y) const {
    return m_chart == CIE1976 ? xyToUpVp(QPointF(x, y)) : QPointF(x, y);
}

QGraphBox::Layout QGraphBox::computeLayout(const QSize &size) const {
    Layout l;
    l.size = size;
    switch (m_mode) {
    case CIEMode:
    case MagnifiedMode:
        layoutDiagram(l);
        break;
    case BarMode:
        layoutBars(l);
        break;
    case HueSatMode: {
        const QFontMetricsF fm(smallFont(baseFont()));
        const double pad = fm.horizontalAdvance(QStringLiteral("330°")) + 14;
        QRectF area(0, 0, size.width(), size.height());
        if (!m_title.isEmpty())
            area.setTop(QFontMetricsF(titleFont(baseFont())).height() + 8);
        area.adjust(pad, pad * 0.7, -pad, -pad * 0.7);
        const double side = std::max(10.0, std::min(area.width(), area.height()));
        l.plot = QRectF(area.center().x() - side / 2, area.center().y() - side / 2, side, side);
        break;
    }
    default:
        layoutPlain(l);
        break;
    }
    return l;
}

// The rectangle left for the plot once the title, tick labels and axis names
// have their room; yLabelWidth is the widest y tick label.
static QRectF marginsFor(const QSize &size, const QFont &font, bool title, double yLabelWidth,
                         bool xName, bool yName, double topLines = 1.0) {
    const QFontMetricsF fm(labelFont(font));
    const double top =
        (title ? QFontMetricsF(titleFont(font)).height() + 8 : 4) + fm.height() * topLines;
    const double bottom = fm.height() * (xName ? 2.6 : 1.6) + 6;
    const double left = yLabelWidth + 10 + (yName ? fm.height() * 1.4 : 0) + 4;
    const double right = std::max(14.0, fm.horizontalAdvance(QStringLiteral("0.00")) / 2 + 6);
    return QRectF(left, top, std::max(10.0, size.width() - left - right),
                  std::max(10.0, size.height() - top - bottom));
}

void QGraphBox::layoutDiagram(Layout &l) const {
    double x0, x1, y0, y1;
    if (m_mode == CIEMode) {
        x0 = 0;
        y0 = 0;
        x1 = m_chart == CIE1976 ? 0.625 : 0.8;
        y1 = m_chart == CIE1976 ? 0.6 : 0.9;
        l.xMajor = m_xMajor;
        l.xMinor = m_xMinor;
        l.yMajor = m_yMajor;
        l.yMinor = m_yMinor;
    } else {
        // The square around the centre with a little room, so it never sits on
        // the frame and a reading moving close to the white leaves the view
        // (and the cached background) as it is. Then every point with its
        // margin; the steps chosen below snap the edges outward.
        const double m = m_whiteMargin > 0 ? m_whiteMargin : 0.005;
        const double room = 1.2 * m;
        const QPointF c = finitePoint(m_center) ? toChart(m_center.x(), m_center.y()) : QPointF();
        x0 = c.x() - room;
        x1 = c.x() + room;
        y0 = c.y() - room;
        y1 = c.y() + room;
        for (const PlotObject &plot : m_plots)
            for (const QPointF &p : plot.points) {
                if (!finitePoint(p))
                    continue;
                x0 = std::min(x0, p.x() - m);
                x1 = std::max(x1, p.x() + m);
                y0 = std::min(y0, p.y() - m);
                y1 = std::max(y1, p.y() + m);
            }
    }

    // Equal scales on both axes: a chromaticity diagram must not be stretched.
    const QRectF first = marginsFor(l.size, baseFont(), !m_title.isEmpty(),
                                    QFontMetricsF(labelFont(baseFont())).horizontalAdvance("0.000"),
                                    true, true, diagramTopLines);
    if (m_mode == MagnifiedMode) {
        // Fill the available area, then choose steps and snap to them.
        const double aspect = first.width() / first.height();
        double dx = x1 - x0, dy = y1 - y0;
        if (dx / dy < aspect) {
            const double grow = (dy * aspect - dx) / 2;
            x0 -= grow;
            x1 += grow;
        } else {
            const double grow = (dx / aspect - dy) / 2;
            y0 -= grow;
            y1 += grow;
        }
        dx = x1 - x0;
        dy = y1 - y0;
        niceSteps(std::min(dx, dy) / 8, l.xMajor, l.xMinor);
        l.yMajor = l.xMajor;
        l.yMinor = l.xMinor;
        snapOutward(x0, x1, l.xMinor);
        snapOutward(y0, y1, l.yMinor);
    }
    l.x0 = x0;
    l.x1 = x1;
    l.y0 = y0;
    l.y1 = y1;
    const QVector<double> yTicks = ticks(y0, y1, l.yMajor);
    const QRectF area = marginsFor(l.size, baseFont(), !m_title.isEmpty(),
                                   widestLabel(baseFont(), yTicks, l.yMajor.decimals()), true, true,
                                   diagramTopLines);
    const double scale = std::min(area.width() / (x1 - x0), area.height() / (y1 - y0));
    const QSizeF plotSize((x1 - x0) * scale, (y1 - y0) * scale);
    l.plot = QRectF(area.left() + (area.width() - plotSize.width()) / 2,
                    area.top() + (area.height() - plotSize.height()) / 2, plotSize.width(),
                    plotSize.height());
}

void QGraphBox::layoutBars(Layout &l) const {
    int points = 0;
    double deviation = 0;
    for (const PlotObject &plot : m_plots)
        for (const QPointF &p : plot.points) {
            ++points;
            if (std::isfinite(p.y()))
                deviation = std::max(deviation, std::fabs(p.y() - 100.0));
        }
    l.bars = std::max(points, int(m_xLabels.size()));
    // Symmetric about the target level, wide enough for every bar and twice
    // the tolerance band, so the band never fills the chart.
    const double half = niceCeil(std::max({deviation * 1.15, 200.0 * m_barMargin, 1.0}));
    l.y0 = 100.0 - half;
    l.y1 = 100.0 + half;
    // Bar i is centred on x = i.
    l.x0 = -0.5;
    l.x1 = std::max(1, l.bars) - 0.5;
    niceSteps(half / 2.5, l.yMajor, l.yMinor);
    const QVector<double> yTicks = ticks(l.y0, l.y1, l.yMajor);
    l.plot = marginsFor(l.size, baseFont(), !m_title.isEmpty(),
                        widestLabel(baseFont(), yTicks, l.yMajor.decimals()), !m_xName.isEmpty(),
                        !m_yName.isEmpty());
}

void QGraphBox::layoutPlain(Layout &l) const {
    l.x0 = m_xMin;
    l.x1 = m_xMax;
    l.y0 = m_yMin;
    l.y1 = m_yMax;
    l.xMajor = m_xMajor;
    l.xMinor = m_xMinor;
    l.yMajor = m_yMajor;
    l.yMinor = m_yMinor;
    double labelWidth = 0;
    if (m_yLog) {
        // Whole decades, whatever ends were asked for.
        l.y0 = std::floor(std::log10(m_yMin > 0 ? m_yMin : 1e-3));
        l.y1 = std::max(l.y0 + 1, std::ceil(std::log10(m_yMax > 0 ? m_yMax : 1.0)));
        l.yMajor = l.yMinor = ScaleStep::fromStep(1);
        QVector<double> powers;
        for (double d : ticks(l.y0, l.y1, l.yMajor))
            powers << std::pow(10.0, d);
        labelWidth = widestLabel(baseFont(), powers, std::max(0, int(-l.y0)));
    } else {
        labelWidth = widestLabel(baseFont(), ticks(l.y0, l.y1, l.yMajor), l.yMajor.decimals());
    }
    l.plot = marginsFor(l.size, baseFont(), !m_title.isEmpty(), labelWidth, !m_xName.isEmpty(),
                        !m_yName.isEmpty());
}

QPointF QGraphBox::axisPoint(const QPointF &p) const {
    if (!m_yLog || isDiagram() || m_mode == HueSatMode || m_mode == BarMode)
        return p;
    return QPointF(p.x(), p.y() > 0 ? std::log10(p.y()) : std::nan(""));
}

QPointF QGraphBox::map(const Layout &l, const QPointF &p) const {
    if (m_mode == HueSatMode)
        return polarPoint(l, p.x(), p.y());
    // A zero or inverted range still maps (onto the lower edge) instead of
    // dividing by zero.
    const double dx = l.x1 > l.x0 ? l.x1 - l.x0 : 1.0;
    const double dy = l.y1 > l.y0 ? l.y1 - l.y0 : 1.0;
    return QPointF(l.plot.left() + (p.x() - l.x0) / dx * l.plot.width(),
                   l.plot.bottom() - (p.y() - l.y0) / dy * l.plot.height());
}

QPointF QGraphBox::polarPoint(const Layout &l, double hue, double saturation) const {
    const double r = saturation / polarFullScale * l.plot.width() / 2;
    const double a = hue * M_PI / 180.0;
    return l.plot.center() + QPointF(r * std::cos(a), -r * std::sin(a));
}

QPointF QGraphBox::chartToWidget(const QPointF &point) const {
    return map(computeLayout(size()), axisPoint(point));
}

QGraphBox::Colours QGraphBox::colours() const {
    Colours c;
    if (isPrinting()) {
        // Paper: white ground, near-black ink, whatever the screen shows.
        c.bg = c.plotBg = QColor(255, 255, 255);
        c.fg = QColor(25, 25, 25);
        c.dark = false;
        c.grid = QColor(0, 0, 0, 60);
        c.minorGrid = QColor(0, 0, 0, 22);
        c.axis = QColor(60, 60, 60);
        c.muted = QColor(120, 120, 120);
        return c;
    }
    c.bg = palette().color(QPalette::Window);
    c.fg = palette().color(QPalette::WindowText);
    c.dark = c.bg.lightnessF() < c.fg.lightnessF();
    c.plotBg = mix(c.bg, c.dark ? QColor(0, 0, 0) : QColor(255, 255, 255), 0.35);
    // Translucent, so the grid reads the same over the chromaticity fill.
    c.grid = c.fg;
    c.grid.setAlphaF(c.dark ? 0.22 : 0.2);
    c.minorGrid = c.fg;
    c.minorGrid.setAlphaF(c.dark ? 0.08 : 0.07);
    c.axis = mix(c.bg, c.fg, 0.75);
    c.muted = mix(c.bg, c.fg, 0.55);
    return c;
}
