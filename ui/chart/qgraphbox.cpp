#include "qgraphbox.h"

#include "qgraphbox_p.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

using namespace GraphBoxDetail;

namespace {
constexpr int resizeDelay = 50; // ms
} // namespace

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

void QGraphBox::setYLogScale(bool on) {
    m_yLog = on;
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

void QGraphBox::setLuminanceComparison(double measuredY, double expectedY) {
    m_measuredY = measuredY;
    m_expectedY = expectedY;
    update(); // drawn over the cached background
}

QString QGraphBox::luminanceComparisonText() const {
    if (!(m_expectedY > 0) || !std::isfinite(m_expectedY) || !std::isfinite(m_measuredY))
        return QString();
    return QStringLiteral("Y %1 % of target").arg(100.0 * m_measuredY / m_expectedY, 0, 'f', 1);
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
