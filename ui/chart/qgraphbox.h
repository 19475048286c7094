#pragma once
// The one chart widget of the application: CIE 1931 and CIE 1976
// chromaticity diagrams and their magnified views, a bar chart, a hue and
// saturation polar chart and plain x-y line plots. The expensive background
// (locus, fills, grids, labels) is painted into a cached image; plots are
// painted on top of it on every repaint.

#include "gamutspec.h"
#include "plotobject.h"

#include <QImage>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVector>
#include <QWidget>

class QPainter;

class QGraphBox : public QWidget {
    Q_OBJECT
public:
    enum backgroundColorMode {
        PlotMode = 0, // plain x-y plot; so is any value not listed here
        BarMode = 1,
        CIEMode = 2,
        HueSatMode = 3,
        MagnifiedMode = 4
    };
    Q_ENUM(backgroundColorMode)
    enum CIEChart { CIE1931 = 0, CIE1976 = 1 };
    Q_ENUM(CIEChart)

    // A scale step kept as an integer count over a power of ten, so tick k
    // lies at exactly k * count / power and nothing accumulates along an axis.
    struct ScaleStep {
        qint64 count = 0; // 0: no ticks
        qint64 power = 1;
        // Its first significant digit when below 1, its integer part above.
        static ScaleStep fromStep(double step);
        double value() const { return count == 0 ? 0.0 : double(count) / double(power); }
        int decimals() const;
        bool operator==(const ScaleStep &o) const { return count == o.count && power == o.power; }
        bool operator!=(const ScaleStep &o) const { return !(*this == o); }
    };
    // Every multiple of the step from min to max; empty when there would be
    // more than maxTicks of them or the step is zero.
    static QVector<double> ticks(double min, double max, const ScaleStep &step,
                                 int maxTicks = 2000);

    // Spectrum colour of a wavelength in nm, linear between the stops; black
    // outside 380 to 750.
    static QColor spectrumColor(double nm);

    explicit QGraphBox(QWidget *parent = nullptr);

    // Read-back for callers and tests.
    const QList<PlotObject> &plots() const { return m_plots; }
    double xMin() const { return m_xMin; }
    double xMax() const { return m_xMax; }
    double yMin() const { return m_yMin; }
    double yMax() const { return m_yMax; }
    ScaleStep xMajorStep() const { return m_xMajor; }
    ScaleStep xMinorStep() const { return m_xMinor; }
    ScaleStep yMajorStep() const { return m_yMajor; }
    ScaleStep yMinorStep() const { return m_yMinor; }
    int backgroundMode() const { return m_mode; }
    int cieChart() const { return m_chart; }
    const GamutSpec &gamutSpec() const { return m_gamut; }
    QPointF magnifiedCenter() const { return m_center; }
    QStringList xLabels() const { return m_xLabels; }
    double whiteSpecXYmargin() const { return m_whiteMargin; }
    bool isYLogScale() const { return m_yLog; }
    double bar2margin() const { return m_barMargin; }

    // Where a point of the current chart lands in widget coordinates at the
    // current size; for a diagram the point is in the chart's coordinates,
    // for the polar chart it is (hue in degrees, saturation in percent).
    QPointF chartToWidget(const QPointF &point) const;

    // Paints the whole chart, background and plots, onto any painter (a
    // printer's, a PDF writer's) into target as vectors, in print colours:
    // light paper and dark ink whatever the theme. scale is device units per
    // screen pixel (the device's resolution over 96 dpi).
    void paintForPrint(QPainter &p, const QRectF &target, double scale) const;

    // How many times the cached background has been painted.
    int backgroundRedrawCount() const { return m_redrawCount; }
    bool isRedrawPending() const { return m_resizeTimer.isActive(); }

    // The drawn standard: its triangle, white and target squares.
    void setGamutSpec(const GamutSpec &spec);
    // Centre of the magnified view as CIE 1931 (x, y), converted to u'v' on
    // the CIE 1976 chart, so the white point can be passed as it is.
    void setMagnifiedCenter(const QPointF &xy);
    // A reading's luminance against the luminance expected of the target,
    // shown on the diagrams and the bar chart; nothing when none is expected.
    void setLuminanceComparison(double measuredY, double expectedY);
    double measuredLuminance() const { return m_measuredY; }
    double expectedLuminance() const { return m_expectedY; }
    QString luminanceComparisonText() const;

    QSize sizeHint() const override { return QSize(520, 480); }
    QSize minimumSizeHint() const override { return QSize(160, 140); }

signals:
    void backgroundRedrawn();

public slots:
    void updateGraph();
    void setCIEScale();
    void setXMajorScale(double step, bool prec);
    void setXMajorScale(double step);
    void setXMinorScale(double step);
    void setYMajorScale(double step);
    void setYMinorScale(double step);
    void setXMax(double value);
    void setXMin(double value);
    void setXName(const QString &name);
    void setYMax(double value);
    void autoScaleY();
    void setYMin(double value);
    void setYName(const QString &name);
    // Plain plots: y on a logarithmic axis, a major line each decade
    // (labelled 0.1, 1, 10 ...) and minor lines at 2 to 9 times it; yMin and
    // yMax are the (positive) ends. Points at or below 0 are not drawn.
    void setYLogScale(bool on);
    int appendPlots(const PlotObject &plot);
    int appendPlotsColors(int plot, const QColor &color);
    int appendPlotsPoints(int plot, const QPointF &point);
    void setXPlotPoint(int plot, int point, double x);
    void setYPlotPoint(int plot, int point, double y);
    void setYPlotPointFromX(int plot, double x, double y);
    void setPlotsColors(int plot, int colorIndex, const QColor &color);
    void clearPlots();
    void clearPoints(int plot);
    void clearColors(int plot);
    void appendXLabels(const QString &label);
    void setXLabels(int index, const QString &label);
    void clearXLabels();
    void setWhiteSpecXYmargin(double margin);
    void setBar2margin(double margin);
    void setBlackBodyCurve(bool on);
    void setGamutSpecSquare(bool on);
    void setGamutTriangle(bool on);
    void setTitle(const QString &title);
    void setFullScaleLines(bool on);
    void setBackgroundMode(backgroundColorMode mode);
    void setCieChart(CIEChart chart);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // Everything the background depends on beyond the plain settings: the
    // plot rectangle and the data extents and steps in force.
    struct Layout {
        QSize size;
        QRectF plot;
        double x0 = 0, x1 = 1, y0 = 0, y1 = 1;
        ScaleStep xMajor, xMinor, yMajor, yMinor;
        int bars = 0;
        bool operator==(const Layout &o) const;
        bool operator!=(const Layout &o) const { return !(*this == o); }
    };
    // Colours taken from the palette, so a style-sheet theme carries over.
    struct Colours {
        QColor bg, fg, plotBg, grid, minorGrid, axis, muted;
        bool dark = false;
    };

    bool isDiagram() const { return m_mode == CIEMode || m_mode == MagnifiedMode; }
    bool isDebouncedMode() const {
        return m_mode == CIEMode || m_mode == HueSatMode || m_mode == MagnifiedMode;
    }
    void markBackgroundDirty();
    void plotsChanged();
    bool validPlot(int plot) const { return plot >= 0 && plot < m_plots.size(); }

    Layout computeLayout(const QSize &size) const;
    void layoutDiagram(Layout &l) const;
    void layoutBars(Layout &l) const;
    void layoutPlain(Layout &l) const;
    QRectF axisArea(const QSize &size) const;
    QPointF map(const Layout &l, const QPointF &p) const;
    Colours colours() const;
    // While paintForPrint runs: the print colours, fonts in screen pixels,
    // images at the device's resolution.
    bool isPrinting() const { return m_printScale > 0; }
    QFont baseFont() const;
    qreal imageRatio() const;
    void paintBackground(QPainter &p, const Layout &l, const Colours &c) const;

    void redrawBackground(const Layout &l);
    void drawTitle(QPainter &p, const Layout &l, const Colours &c) const;
    void drawAxes(QPainter &p, const Layout &l, const Colours &c, bool xLabelsFromList,
                  QVector<QRectF> *labelRects = nullptr) const;
    void drawDiagram(QPainter &p, const Layout &l, const Colours &c) const;
    void drawChromaticityFill(QPainter &p, const Layout &l, const QPolygonF &boundary,
                              const Colours &c) const;
    void drawWavelengthLabels(QPainter &p, const Layout &l, const Colours &c,
                              QVector<QRectF> &taken) const;
    void drawPlanckian(QPainter &p, const Layout &l, const Colours &c,
                       QVector<QRectF> &taken) const;
    void drawTargets(QPainter &p, const Layout &l, const Colours &c,
                     const QPolygonF &boundary) const;
    void drawPolarBackground(QPainter &p, const Layout &l, const Colours &c) const;
    void drawBarBackground(QPainter &p, const Layout &l, const Colours &c) const;

    void drawPlots(QPainter &p, const Layout &l, const Colours &c) const;
    void drawBars(QPainter &p, const Layout &l, const Colours &c) const;
    void drawMarker(QPainter &p, const QPointF &at, const QColor &colour, const Colours &c) const;
    void drawLuminanceComparison(QPainter &p, const Layout &l, const Colours &c) const;
    // Named series, listed in the corner the chart leaves empty.
    void drawLegend(QPainter &p, const Layout &l, const Colours &c) const;

    // A plot point in the axes' coordinates (the y of a log axis as log10).
    QPointF axisPoint(const QPointF &point) const;
    // Converts CIE 1931 (x, y) to the coordinates of the current chart.
    QPointF toChart(double x, double y) const;
    QPointF polarPoint(const Layout &l, double hue, double saturation) const;

    QList<PlotObject> m_plots;
    double m_xMin = 0, m_xMax = 0.8, m_yMin = 0, m_yMax = 0.9;
    ScaleStep m_xMajor, m_xMinor, m_yMajor, m_yMinor;
    bool m_xPrec = true;
    bool m_yLog = false;
    QString m_xName, m_yName, m_title;
    QStringList m_xLabels;
    bool m_blackBody = true, m_gamutSquares = true, m_gamutTriangle = true, m_fullScale = true;
    double m_whiteMargin = 0.005;
    double m_barMargin = 0.05;
    GamutSpec m_gamut;
    QPointF m_center;
    double m_measuredY = 0, m_expectedY = 0; // cd/m²
    int m_mode = CIEMode;
    int m_chart = CIE1931;

    QImage m_background;
    Layout m_backgroundLayout;
    bool m_backgroundDirty = true;
    int m_redrawCount = 0;
    QTimer m_resizeTimer;
    mutable double m_printScale = 0; // device units per pixel while printing, else 0
};
