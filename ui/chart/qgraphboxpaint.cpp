#include "qgraphbox.h"

#include "qgraphbox_p.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cmath>

using namespace GraphBoxDetail;

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
        paintBackground(p, l, c);
    }
    m_backgroundLayout = l;
    m_backgroundDirty = false;
    ++m_redrawCount;
    emit backgroundRedrawn();
}

void QGraphBox::paintBackground(QPainter &p, const Layout &l, const Colours &c) const {
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

void QGraphBox::paintForPrint(QPainter &p, const QRectF &target, double scale) const {
    if (!(scale > 0) || target.isEmpty())
        return;
    // Laid out at the size the target would have on a screen, then scaled
    // onto the device: every line, mark and letter keeps its proportion and
    // stays a vector.
    m_printScale = scale;
    const QSize size = (target.size() / scale).toSize().expandedTo(QSize(1, 1));
    const Layout l = computeLayout(size);
    const Colours c = colours();
    p.save();
    // The one picture in a chart (the chromaticity fill) is not blurred by
    // lossy compression either.
    p.setRenderHint(QPainter::LosslessImageRendering);
    p.translate(target.topLeft());
    p.scale(scale, scale);
    p.setClipRect(QRectF(QPointF(0, 0), QSizeF(size)));
    p.fillRect(QRectF(QPointF(0, 0), QSizeF(size)), c.bg);
    paintBackground(p, l, c);
    drawPlots(p, l, c);
    p.restore();
    m_printScale = 0;
}

QFont QGraphBox::baseFont() const {
    if (!isPrinting())
        return font();
    // In pixels of the screen the layout is made for, so the printer's own
    // resolution does not enlarge the letters a second time.
    QFont f = font();
    if (f.pointSizeF() > 0)
        f.setPixelSize(std::max(6, qRound(f.pointSizeF() * 96.0 / 72.0)));
    return f;
}

qreal QGraphBox::imageRatio() const {
    return isPrinting() ? m_printScale : devicePixelRatioF();
}

void QGraphBox::drawTitle(QPainter &p, const Layout &l, const Colours &c) const {
    if (m_title.isEmpty())
        return;
    p.setFont(titleFont(baseFont()));
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
    const bool logY = m_yLog && m_mode == PlotMode;
    if (logY && !degenerateY)
        for (double d = l.y0; d < l.y1; ++d)
            for (int k = 2; k <= 9; ++k)
                hline(d + std::log10(double(k)), c.minorGrid);
    for (double x : xMajor)
        vline(x, c.grid);
    for (double y : yMajor)
        hline(y, c.grid);
    p.restore();

    p.setPen(QPen(c.axis, 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r);

    p.setFont(labelFont(baseFont()));
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
        const QString text = logY ? QString::number(std::pow(10.0, y), 'f', std::max(0, int(-y)))
                                  : QString::number(y, 'f', l.yMajor.decimals());
        const double w = fm.horizontalAdvance(text);
        p.drawText(QRectF(0, py - fm.height() / 2, r.left() - 7, fm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, text);
        if (labelRects)
            labelRects->append(QRectF(r.left() - 7 - w, py - fm.height() / 2, w, fm.height()));
    }

    QString xName = m_xName, yName = m_yName;
    QFont nameFont = labelFont(baseFont());
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
        const double labelWidth = widestLabel(baseFont(), yMajor, l.yMajor.decimals());
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
        drawLuminanceComparison(p, l, c);
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
                if (finitePoint(axisPoint(pt)))
                    line << map(l, axisPoint(pt));
            p.setPen(QPen(plot.colorAt(0, c.fg), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(Qt::NoBrush);
            p.drawPolyline(line);
        }
        if (style == PlotObject::Points || style == PlotObject::LineAndPoints)
            for (int i = 0; i < plot.points.size(); ++i)
                if (finitePoint(axisPoint(plot.points[i])))
                    drawMarker(p, map(l, axisPoint(plot.points[i])), plot.colorAt(i, fallback), c);
    }
    if (isDiagram())
        drawLuminanceComparison(p, l, c);
    drawLegend(p, l, c);
    p.restore();
}

void QGraphBox::drawLegend(QPainter &p, const Layout &l, const Colours &c) const {
    struct Entry {
        QString name;
        QColor colour;
        int style;
    };
    QList<Entry> entries;
    for (const PlotObject &plot : m_plots) {
        if (plot.name.isEmpty() || plot.points.isEmpty())
            continue;
        bool listed = false;
        for (const Entry &e : entries)
            listed = listed || e.name == plot.name;
        if (!listed)
            entries.append({plot.name, plot.colorAt(0, c.fg), plot.style});
    }
    if (entries.isEmpty())
        return;
    p.save();
    p.setClipping(false);
    p.setFont(smallFont(baseFont()));
    const QFontMetricsF fm(p.font());
    const double line = fm.height() + 2, swatch = 22, pad = 6;
    double width = 0;
    for (const Entry &e : entries)
        width = std::max(width, fm.horizontalAdvance(e.name));
    const QSizeF size(pad * 3 + swatch + width, pad * 2 + line * entries.size());
    // The diagrams leave the lower right empty (below the purple line), the
    // level plots the upper left (their curves rise to the right).
    const QPointF at = isDiagram() ? QPointF(l.plot.right() - size.width() - 6,
                                             l.plot.bottom() - size.height() - 6)
                                   : QPointF(l.plot.left() + 6, l.plot.top() + 6);
    const QRectF box(at, size);
    QColor back = c.plotBg;
    back.setAlpha(225);
    p.setPen(QPen(c.grid, 1));
    p.setBrush(back);
    p.drawRoundedRect(box, 3, 3);
    for (int i = 0; i < entries.size(); ++i) {
        const Entry &e = entries[i];
        const double y = box.top() + pad + line * (i + 0.5);
        const QPointF left(box.left() + pad, y), right(box.left() + pad + swatch, y);
        if (e.style != PlotObject::Points) {
            p.setPen(QPen(e.colour, 1.6, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(left, right);
        }
        if (e.style != PlotObject::Line)
            drawMarker(p, (left + right) / 2, e.colour, c);
        p.setPen(c.fg);
        p.drawText(QRectF(right.x() + pad, y - line / 2, width + pad, line),
                   Qt::AlignLeft | Qt::AlignVCenter, e.name);
    }
    p.restore();
}

void QGraphBox::drawLuminanceComparison(QPainter &p, const Layout &l, const Colours &c) const {
    const QString text = luminanceComparisonText();
    if (text.isEmpty())
        return;
    p.setClipping(false);
    p.setFont(smallFont(baseFont()));
    const QFontMetricsF fm(p.font());
    // Top right, where the diagrams leave the plot empty.
    const double width = fm.horizontalAdvance(text) + 10;
    const QRectF box(l.plot.right() - width - 6, l.plot.top() + 4, width, fm.height() + 4);
    p.setPen(Qt::NoPen);
    QColor back = c.plotBg;
    back.setAlpha(210);
    p.setBrush(back);
    p.drawRoundedRect(box, 3, 3);
    p.setPen(c.fg);
    p.drawText(box, Qt::AlignCenter, text);
}

void QGraphBox::drawBars(QPainter &p, const Layout &l, const Colours &c) const {
    if (l.bars <= 0)
        return;
    const double slot = l.plot.width() / l.bars;
    p.setFont(smallFont(baseFont()));
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
