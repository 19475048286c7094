#include "qgraphbox.h"

#include "qgraphbox_p.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

#include <algorithm>
#include <cmath>

using namespace GraphBoxDetail;

namespace {

constexpr int resizeDelay = 50;          // ms
constexpr int maxStepDigits = 15;        // below 1e-15 a step is treated as none
constexpr double maxStepValue = 1e15;    // beyond qint64 arithmetic on ticks
constexpr double integerSlack = 1e-9;    // absorbs binary rounding of k * power / count
constexpr double polarFullScale = 100.0; // saturation in percent at the rim
constexpr double diagramTopLines = 1.8;  // room for wavelength labels above the locus

// The smallest 1, 2 or 5 times a power of ten that is at least v (> 0).
double niceCeil(double v) {
    const double e = std::pow(10.0, std::floor(std::log10(v)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * e >= v * (1 - 1e-12))
            return m * e;
    return 10 * e;
}

// A major step of 1, 2 or 5 times a power of ten near `rough`, and a minor
// step that divides it into 5, 4 or 5 parts.
void niceSteps(double rough, QGraphBox::ScaleStep &major, QGraphBox::ScaleStep &minor) {
    major = QGraphBox::ScaleStep::fromStep(niceCeil(rough));
    QGraphBox::ScaleStep m = major;
    switch (major.count) {
    case 1:
        m.count = 2;
        m.power *= 10;
        break;
    case 2:
        m.count = 5;
        m.power *= 10;
        break;
    default:
        m.count = 1;
        break;
    }
    minor = m;
}

// Rounds [lo, hi] outward to whole multiples of step.
void snapOutward(double &lo, double &hi, const QGraphBox::ScaleStep &step) {
    if (step.count == 0)
        return;
    const double k0 = std::floor(lo * step.power / step.count + integerSlack);
    const double k1 = std::ceil(hi * step.power / step.count - integerSlack);
    lo = k0 * step.count / step.power;
    hi = k1 * step.count / step.power;
}

} // namespace

// ---- Scale steps ----

QGraphBox::ScaleStep QGraphBox::ScaleStep::fromStep(double step) {
    const double a = std::fabs(step);
    if (!(a > 0) || !std::isfinite(a) || a >= maxStepValue)
        return {};
    int count = 0;
    double scaled = a;
    double power = 1;
    // One multiplication by an exact power of ten, so 0.7 stays 7 and does not
    // become 6.999... through repeated products.
    while (scaled * (1 + 1e-12) < 1) {
        if (++count > maxStepDigits)
            return {};
        power *= 10;
        scaled = a * power;
    }
    ScaleStep s;
    s.count = qint64(std::floor(scaled * (1 + 1e-12)));
    s.power = qint64(power);
    return s;
}

int QGraphBox::ScaleStep::decimals() const {
    int d = 0;
    for (qint64 p = power; p > 1; p /= 10)
        ++d;
    return d;
}

QVector<double> QGraphBox::ticks(double min, double max, const ScaleStep &step, int maxTicks) {
    QVector<double> out;
    if (step.count == 0 || !std::isfinite(min) || !std::isfinite(max) || max < min)
        return out;
    const double k0 = std::ceil(min * step.power / step.count - integerSlack);
    const double k1 = std::floor(max * step.power / step.count + integerSlack);
    if (k1 - k0 + 1 > maxTicks || k1 < k0)
        return out;
    for (qint64 k = qint64(k0); k <= qint64(k1); ++k)
        out.append(double(k * step.count) / double(step.power));
    return out;
}

QColor QGraphBox::spectrumColor(double nm) {
    struct Stop {
        double nm;
        int r, g, b;
    };
    static const Stop stops[] = {{750, 0, 0, 0},     {687, 255, 0, 0}, {607, 255, 127, 0},
                                 {580, 255, 255, 0}, {532, 0, 255, 0}, {485, 0, 255, 255},
                                 {462, 0, 0, 255},   {380, 0, 0, 0}};
    if (!(nm < 750 && nm > 380))
        return QColor(0, 0, 0);
    for (int i = 0; i + 1 < int(sizeof stops / sizeof stops[0]); ++i) {
        const Stop &a = stops[i], &b = stops[i + 1];
        if (nm <= a.nm && nm >= b.nm) {
            const double t = (a.nm - nm) / (a.nm - b.nm);
            return QColor(qRound(a.r + (b.r - a.r) * t), qRound(a.g + (b.g - a.g) * t),
                          qRound(a.b + (b.b - a.b) * t));
        }
    }
    return QColor(0, 0, 0);
}

// ---- Construction and settings ----

QGraphBox::QGraphBox(QWidget *parent)
    : QWidget(parent), m_gamut(GamutSpec::standardSpec(2, 100.0)) {
    qRegisterMetaType<PlotObject>();
    m_xMajor = m_xMinor = m_yMajor = m_yMinor = ScaleStep::fromStep(0.1);
    m_center = QPointF(m_gamut.whiteX, m_gamut.whiteY);
    m_resizeTimer.setSingleShot(true);
    m_resizeTimer.setInterval(resizeDelay);
    connect(&m_resizeTimer, &QTimer::timeout, this, &QGraphBox::updateGraph);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void QGraphBox::markBackgroundDirty() {
    m_backgroundDirty = true;
    update();
}

// Plots are painted over the cached image; the layout check in paintEvent
// catches the modes whose extents follow the points.
void QGraphBox::plotsChanged() {
    update();
}

void QGraphBox::updateGraph() {
    m_resizeTimer.stop();
    markBackgroundDirty();
}

void QGraphBox::setCIEScale() {
    m_xMajor = m_xMinor = m_yMajor = m_yMinor = ScaleStep::fromStep(0.1);
    markBackgroundDirty();
}

void QGraphBox::setXMajorScale(double step, bool prec) {
    m_xMajor = ScaleStep::fromStep(step);
    m_xPrec = prec;
    markBackgroundDirty();
}

void QGraphBox::setXMajorScale(double step) {
    setXMajorScale(step, true);
}

void QGraphBox::setXMinorScale(double step) {
    m_xMinor = ScaleStep::fromStep(step);
    markBackgroundDirty();
}

void QGraphBox::setYMajorScale(double step) {
    m_yMajor = ScaleStep::fromStep(step);
    markBackgroundDirty();
}

void QGraphBox::setYMinorScale(double step) {
    m_yMinor = ScaleStep::fromStep(step);
    markBackgroundDirty();
}

void QGraphBox::setXMax(double value) {
    m_xMax = value;
    markBackgroundDirty();
}

void QGraphBox::setXMin(double value) {
    m_xMin = value;
    markBackgroundDirty();
}

void QGraphBox::setXName(const QString &name) {
    m_xName = name;
    markBackgroundDirty();
}

void QGraphBox::setYMax(double value) {
    m_yMax = value;
    markBackgroundDirty();
}

void QGraphBox::autoScaleY() {
    bool any = false;
    double top = 0;
    for (const PlotObject &plot : qAsConst(m_plots))
        for (const QPointF &p : plot.points)
            if (std::isfinite(p.y()) && (!any || p.y() > top)) {
                top = p.y();
                any = true;
            }
    if (any)
        setYMax(top);
}

void QGraphBox::setYMin(double value) {
    m_yMin = value;
    markBackgroundDirty();
}

void QGraphBox::setYName(const QString &name) {
    m_yName = name;
    markBackgroundDirty();
}

int QGraphBox::appendPlots(const PlotObject &plot) {
    m_plots.append(plot);
    plotsChanged();
    return m_plots.size() - 1;
}

int QGraphBox::appendPlotsColors(int plot, const QColor &color) {
    if (!validPlot(plot))
        return -1;
    m_plots[plot].colors.append(color);
    plotsChanged();
    return m_plots[plot].colors.size() - 1;
}

int QGraphBox::appendPlotsPoints(int plot, const QPointF &point) {
    if (!validPlot(plot))
        return -1;
    m_plots[plot].points.append(point);
    plotsChanged();
    return m_plots[plot].points.size() - 1;
}

void QGraphBox::setXPlotPoint(int plot, int point, double x) {
    if (!validPlot(plot) || point < 0 || point >= m_plots[plot].points.size())
        return;
    m_plots[plot].points[point].setX(x);
    plotsChanged();
}

void QGraphBox::setYPlotPoint(int plot, int point, double y) {
    if (!validPlot(plot) || point < 0 || point >= m_plots[plot].points.size())
        return;
    m_plots[plot].points[point].setY(y);
    plotsChanged();
}

void QGraphBox::setYPlotPointFromX(int plot, double x, double y) {
    if (!validPlot(plot))
        return;
    bool changed = false;
    for (QPointF &p : m_plots[plot].points)
        if (p.x() == x) {
            p.setY(y);
            changed = true;
        }
    if (changed)
        plotsChanged();
}

void QGraphBox::setPlotsColors(int plot, int colorIndex, const QColor &color) {
    if (!validPlot(plot) || colorIndex < 0 || colorIndex >= m_plots[plot].colors.size())
        return;
    m_plots[plot].colors[colorIndex] = color;
    plotsChanged();
}

void QGraphBox::clearPlots() {
    m_plots.clear();
    plotsChanged();
}

void QGraphBox::clearPoints(int plot) {
    if (!validPlot(plot))
        return;
    m_plots[plot].points.clear();
    plotsChanged();
}

void QGraphBox::clearColors(int plot) {
    if (!validPlot(plot))
        return;
    m_plots[plot].colors.clear();
    plotsChanged();
}

void QGraphBox::appendXLabels(const QString &label) {
    m_xLabels.append(label);
    markBackgroundDirty();
}

void QGraphBox::setXLabels(int index, const QString &label) {
    if (index < 0 || index >= m_xLabels.size())
        return;
    m_xLabels[index] = label;
    markBackgroundDirty();
}

void QGraphBox::clearXLabels() {
    m_xLabels.clear();
    markBackgroundDirty();
}

void QGraphBox::setWhiteSpecXYmargin(double margin) {
    m_whiteMargin = std::isfinite(margin) ? std::fabs(margin) : 0.0;
    markBackgroundDirty();
}

void QGraphBox::setBar2margin(double margin) {
    m_barMargin = std::isfinite(margin) ? std::fabs(margin) : 0.0;
    markBackgroundDirty();
}

void QGraphBox::setBlackBodyCurve(bool on) {
    m_blackBody = on;
    markBackgroundDirty();
}

void QGraphBox::setGamutSpecSquare(bool on) {
    m_gamutSquares = on;
    markBackgroundDirty();
}

void QGraphBox::setGamutTriangle(bool on) {
    m_gamutTriangle = on;
    markBackgroundDirty();
}

void QGraphBox::setTitle(const QString &title) {
    m_title = title;
    markBackgroundDirty();
}

void QGraphBox::setFullScaleLines(bool on) {
    m_fullScale = on;
    markBackgroundDirty();
}

void QGraphBox::setBackgroundMode(backgroundColorMode mode) {
    m_mode = mode;
    markBackgroundDirty();
}

void QGraphBox::setCieChart(CIEChart chart) {
    m_chart = chart == CIE1976 ? CIE1976 : CIE1931;
    markBackgroundDirty();
}

void QGraphBox::setGamutSpec(const GamutSpec &spec) {
    m_gamut = spec;
    markBackgroundDirty();
}

void QGraphBox::setMagnifiedCenter(const QPointF &xy) {
    m_center = xy;
    markBackgroundDirty();
}

// ---- Events ----

void QGraphBox::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    if (isDebouncedMode())
        m_resizeTimer.start();
    else
        markBackgroundDirty();
}

void QGraphBox::changeEvent(QEvent *event) {
    QWidget::changeEvent(event);
    switch (event->type()) {
    case QEvent::PaletteChange:
    case QEvent::FontChange:
    case QEvent::StyleChange:
        markBackgroundDirty();
        break;
    default:
        break;
    }
}

void QGraphBox::paintEvent(QPaintEvent *) {
    QPainter p(this);
    const Colours c = colours();
    // While a resize settles, the last image is stretched instead of redrawn.
    if (m_resizeTimer.isActive() && !m_background.isNull() && !m_backgroundLayout.size.isEmpty()) {
        const Layout &old = m_backgroundLayout;
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.scale(qreal(width()) / old.size.width(), qreal(height()) / old.size.height());
        p.drawImage(QRectF(QPointF(0, 0), QSizeF(old.size)), m_background);
        drawPlots(p, old, c);
        return;
    }
    const Layout l = computeLayout(size());
    if (m_backgroundDirty || m_background.isNull() || l != m_backgroundLayout)
        redrawBackground(l);
    p.drawImage(QPointF(0, 0), m_background);
    drawPlots(p, l, c);
}

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
        const QFontMetricsF fm(smallFont(font()));
        const double pad = fm.horizontalAdvance(QStringLiteral("330°")) + 14;
        QRectF area(0, 0, size.width(), size.height());
        if (!m_title.isEmpty())
            area.setTop(QFontMetricsF(titleFont(font())).height() + 8);
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

static double widestLabel(const QFont &font, const QVector<double> &values, int decimals) {
    const QFontMetricsF fm(labelFont(font));
    double w = 0;
    for (double v : values)
        w = std::max(w, fm.horizontalAdvance(QString::number(v, 'f', decimals)));
    return w;
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
    const QRectF first = marginsFor(l.size, font(), !m_title.isEmpty(),
                                    QFontMetricsF(labelFont(font())).horizontalAdvance("0.000"),
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
    const QRectF area =
        marginsFor(l.size, font(), !m_title.isEmpty(),
                   widestLabel(font(), yTicks, l.yMajor.decimals()), true, true, diagramTopLines);
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
    l.plot = marginsFor(l.size, font(), !m_title.isEmpty(),
                        widestLabel(font(), yTicks, l.yMajor.decimals()), !m_xName.isEmpty(),
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
    const QVector<double> yTicks = ticks(l.y0, l.y1, l.yMajor);
    l.plot = marginsFor(l.size, font(), !m_title.isEmpty(),
                        widestLabel(font(), yTicks, l.yMajor.decimals()), !m_xName.isEmpty(),
                        !m_yName.isEmpty());
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
    return map(computeLayout(size()), point);
}

QGraphBox::Colours QGraphBox::colours() const {
    Colours c;
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

// ---- Background ----

void QGraphBox::redrawBackground(const Layout &l) {
    const qreal dpr = devicePixelRatioF();
    const QSize pixels = (QSizeF(l.size) * dpr).toSize().expandedTo(QSize(1, 1));
    if (m_background.size() != pixels)
        m_background = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    m_background.setDevicePixelRatio(dpr);
    const Colours c = colours();
    m_background.fill(c.bg);
    {
        QPainter p(&m_background);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        switch (m_mode) {
        case CIEMode:
        case MagnifiedMode:
            drawDiagram(p, l, c);
            break;
        case HueSatMode:
            drawPolarBackground(p, l, c);
            break;
        case BarMode:
            drawBarBackground(p, l, c);
            break;
        default:
            p.fillRect(l.plot, c.plotBg);
            drawAxes(p, l, c, !m_xLabels.isEmpty());
            break;
        }
        drawTitle(p, l, c);
    }
    m_backgroundLayout = l;
    m_backgroundDirty = false;
    ++m_redrawCount;
    emit backgroundRedrawn();
}

void QGraphBox::drawTitle(QPainter &p, const Layout &l, const Colours &c) const {
    if (m_title.isEmpty())
        return;
    p.setFont(titleFont(font()));
    p.setPen(c.fg);
    const double h = QFontMetricsF(p.font()).height();
    p.drawText(QRectF(0, 4, l.size.width(), h + 4), Qt::AlignCenter, m_title);
}

void QGraphBox::drawAxes(QPainter &p, const Layout &l, const Colours &c, bool xLabelsFromList,
                         QVector<QRectF> *labelRects) const {
    const QRectF r = l.plot;
    p.save();
    p.setClipRect(r);
    const bool degenerateX = !(l.x1 > l.x0), degenerateY = !(l.y1 > l.y0);
    auto vline = [&](double x, const QColor &col) {
        const double px = map(l, QPointF(x, l.y0)).x();
        p.setPen(QPen(col, 1));
        p.drawLine(QPointF(px, r.top()), QPointF(px, r.bottom()));
    };
    auto hline = [&](double y, const QColor &col) {
        const double py = map(l, QPointF(l.x0, y)).y();
        p.setPen(QPen(col, 1));
        p.drawLine(QPointF(r.left(), py), QPointF(r.right(), py));
    };
    const QVector<double> xMajor = degenerateX ? QVector<double>() : ticks(l.x0, l.x1, l.xMajor);
    const QVector<double> yMajor = degenerateY ? QVector<double>() : ticks(l.y0, l.y1, l.yMajor);
    if (l.xMinor != l.xMajor && !degenerateX)
        for (double x : ticks(l.x0, l.x1, l.xMinor, 400))
            vline(x, c.minorGrid);
    if (l.yMinor != l.yMajor && !degenerateY)
        for (double y : ticks(l.y0, l.y1, l.yMinor, 400))
            hline(y, c.minorGrid);
    for (double x : xMajor)
        vline(x, c.grid);
    for (double y : yMajor)
        hline(y, c.grid);
    p.restore();

    p.setPen(QPen(c.axis, 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r);

    p.setFont(labelFont(font()));
    const QFontMetricsF fm(p.font());
    p.setPen(c.fg);
    const int xDecimals = m_xPrec ? l.xMajor.decimals() : 0;
    // Crowded labels are thinned to every second, fifth... tick, counted
    // from zero so the labelled values stay round.
    auto stride = [](double room, double need) {
        return room > 0 ? std::max(1, int(std::ceil(need / room))) : 1;
    };
    auto labelled = [](double v, const ScaleStep &step, int every) {
        return every == 1 || std::llround(v * step.power / step.count) % every == 0;
    };
    double widest = 0;
    for (double x : xMajor)
        widest = std::max(widest, fm.horizontalAdvance(QString::number(x, 'f', xDecimals)));
    const double xRange = l.x1 > l.x0 ? l.x1 - l.x0 : 1.0;
    const double yRange = l.y1 > l.y0 ? l.y1 - l.y0 : 1.0;
    const int xEvery =
        xLabelsFromList ? 1 : stride(r.width() * l.xMajor.value() / xRange, widest + 18);
    const int yEvery = stride(r.height() * l.yMajor.value() / yRange, fm.height() + 2);
    for (int i = 0; i < xMajor.size(); ++i) {
        const double px = map(l, QPointF(xMajor[i], l.y0)).x();
        p.setPen(QPen(c.axis, 1.2));
        p.drawLine(QPointF(px, r.bottom()), QPointF(px, r.bottom() + 4));
        if (!labelled(xMajor[i], l.xMajor, xEvery))
            continue;
        QString text = QString::number(xMajor[i], 'f', xDecimals);
        if (xLabelsFromList)
            text = m_xLabels.value(i);
        p.setPen(c.fg);
        const double w = fm.horizontalAdvance(text);
        const QRectF box(px - w / 2, r.bottom() + 5, w, fm.height());
        p.drawText(box.adjusted(-2, 0, 2, 0), Qt::AlignHCenter | Qt::AlignTop, text);
        if (labelRects)
            labelRects->append(box);
    }
    for (double y : yMajor) {
        const double py = map(l, QPointF(l.x0, y)).y();
        p.setPen(QPen(c.axis, 1.2));
        p.drawLine(QPointF(r.left() - 4, py), QPointF(r.left(), py));
        if (!labelled(y, l.yMajor, yEvery))
            continue;
        p.setPen(c.fg);
        const QString text = QString::number(y, 'f', l.yMajor.decimals());
        const double w = fm.horizontalAdvance(text);
        p.drawText(QRectF(0, py - fm.height() / 2, r.left() - 7, fm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, text);
        if (labelRects)
            labelRects->append(QRectF(r.left() - 7 - w, py - fm.height() / 2, w, fm.height()));
    }

    QString xName = m_xName, yName = m_yName;
    QFont nameFont = labelFont(font());
    if (isDiagram()) {
        xName = m_chart == CIE1976 ? QStringLiteral("u'") : QStringLiteral("x");
        yName = m_chart == CIE1976 ? QStringLiteral("v'") : QStringLiteral("y");
        nameFont.setItalic(true);
    }
    nameFont = scaledFont(nameFont, 1.1 / 0.9);
    p.setFont(nameFont);
    const QFontMetricsF nm(nameFont);
    p.setPen(c.fg);
    if (!xName.isEmpty())
        p.drawText(QRectF(r.left(), r.bottom() + fm.height() + 6, r.width(), nm.height()),
                   Qt::AlignHCenter | Qt::AlignTop, xName);
    if (!yName.isEmpty()) {
        p.save();
        const double labelWidth = widestLabel(font(), yMajor, l.yMajor.decimals());
        p.translate(r.left() - labelWidth - 12 - nm.height() / 2, r.center().y());
        p.rotate(-90);
        p.drawText(QRectF(-r.height() / 2, -nm.height() / 2, r.height(), nm.height()),
                   Qt::AlignCenter, yName);
        p.restore();
    }
}

// ---- Foreground ----

void QGraphBox::drawMarker(QPainter &p, const QPointF &at, const QColor &colour,
                           const Colours &c) const {
    p.setBrush(colour);
    p.setPen(QPen(c.dark ? QColor(255, 255, 255) : QColor(20, 20, 20), 1.4));
    p.drawEllipse(at, 4.5, 4.5);
}

void QGraphBox::drawPlots(QPainter &p, const Layout &l, const Colours &c) const {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    if (m_mode == BarMode) {
        drawBars(p, l, c);
        p.restore();
        return;
    }
    if (m_mode != HueSatMode)
        p.setClipRect(l.plot.adjusted(-6, -6, 6, 6));
    const bool markersByDefault =
        m_mode == CIEMode || m_mode == MagnifiedMode || m_mode == HueSatMode;
    const QColor fallback(220, 30, 30);
    for (const PlotObject &plot : m_plots) {
        int style = plot.style;
        if (style == PlotObject::Auto)
            style =
                markersByDefault || plot.points.size() == 1 ? PlotObject::Points : PlotObject::Line;
        if (style == PlotObject::Line || style == PlotObject::LineAndPoints) {
            QPolygonF line;
            for (const QPointF &pt : plot.points)
                if (finitePoint(pt))
                    line << map(l, pt);
            p.setPen(QPen(plot.colorAt(0, c.fg), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(Qt::NoBrush);
            p.drawPolyline(line);
        }
        if (style == PlotObject::Points || style == PlotObject::LineAndPoints)
            for (int i = 0; i < plot.points.size(); ++i)
                if (finitePoint(plot.points[i]))
                    drawMarker(p, map(l, plot.points[i]), plot.colorAt(i, fallback), c);
    }
    p.restore();
}

void QGraphBox::drawBars(QPainter &p, const Layout &l, const Colours &c) const {
    if (l.bars <= 0)
        return;
    const double slot = l.plot.width() / l.bars;
    p.setFont(smallFont(font()));
    const QFontMetricsF fm(p.font());
    int index = 0;
    for (const PlotObject &plot : m_plots)
        for (int i = 0; i < plot.points.size(); ++i, ++index) {
            const double v = plot.points[i].y();
            if (!std::isfinite(v))
                continue;
            const double top = map(l, QPointF(0, std::clamp(v, l.y0, l.y1))).y();
            const QRectF bar(l.plot.left() + slot * (index + 0.22), top, slot * 0.56,
                             l.plot.bottom() - top);
            const QColor colour = plot.colorAt(i, c.fg);
            QLinearGradient shade(bar.topLeft(), bar.topRight());
            shade.setColorAt(0, colour.lighter(115));
            shade.setColorAt(1, colour.darker(118));
            p.setPen(QPen(colour.darker(150), 1));
            p.setBrush(shade);
            p.drawRect(bar);
            const QString text = QString::number(v, 'f', 1);
            const double ty = std::max(l.plot.top() + 2, top - fm.height() - 2);
            p.setPen(c.fg);
            p.drawText(QRectF(bar.left() - 20, ty, bar.width() + 40, fm.height()), Qt::AlignCenter,
                       text);
        }
    // The target level, over the bars so it reads across them.
    const double target = map(l, QPointF(0, 100)).y();
    p.setPen(QPen(c.fg, 1.3, Qt::DashLine));
    p.drawLine(QPointF(l.plot.left(), target), QPointF(l.plot.right(), target));
}
