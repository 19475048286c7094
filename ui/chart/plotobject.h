#pragma once
// One series of the graph widget: its points and their colours.

#include <QColor>
#include <QList>
#include <QMetaType>
#include <QPointF>
#include <QString>

struct PlotObject {
    // How the points are joined. Auto draws markers on the diagrams and a
    // line on plain plots (a marker when the series has a single point).
    enum Style { Auto = 0, Line = 1, Points = 2, LineAndPoints = 3 };

    int style = Auto;
    QList<QPointF> points;
    // One colour for the whole series, or one per point (bars, markers).
    QList<QColor> colors;
    // Named series are listed in the chart's legend; a name given to several
    // series is listed once.
    QString name;

    // The colour of point i: its own when there is one, else the series'.
    QColor colorAt(int i, const QColor &fallback) const {
        return colors.isEmpty() ? fallback : colors.value(i, colors.first());
    }
};

Q_DECLARE_METATYPE(PlotObject)
