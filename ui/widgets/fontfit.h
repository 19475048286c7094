#pragma once
// Font fitting shared by the self-sizing label and readout: the largest pixel
// size at which a width template fits the widget, chosen after resizing has
// settled for a moment.

#include <QFont>
#include <QObject>
#include <QRect>
#include <QSize>
#include <QString>
#include <QTimer>

#include <functional>

// Tries pixel sizes from int(h - 0.6) down and returns the first at which the
// template's bounding rectangle is narrower than w - 10 and lower than h;
// never less than minimumPixelSize.
int fittingPixelSize(const QFont &font, const QString &widthTemplate, const QRect &contents,
                     int minimumPixelSize);

// The application font's size in pixels, the smallest size a fit may choose.
int applicationFontPixelSize();

// Size hints of a fitting widget, taken from the application font and the
// template rather than from the widget's own font: if the fitted font fed
// back into the layout, every fit would resize the widget and start the next.
QSize fittingSizeHint(const QString &widthTemplate);
QSize fittingMinimumSizeHint();

class QWidget;

// The debounce and text hand-over of a fitting widget. While a fit is pending
// the widget shows no text at font size 1, so a layout can shrink it; new text
// is kept and shown when the fit completes.
class FontFitter : public QObject {
    Q_OBJECT
public:
    static constexpr int debounceMs = 25; // ms

    // showText puts text on the widget itself (the base-class setter).
    FontFitter(QWidget *widget, std::function<void(const QString &)> showText);

    void setText(const QString &text);
    QString text() const { return m_text; }
    void setWidthTemplate(const QString &widthTemplate);
    QString widthTemplate() const { return m_template; }
    bool isPending() const { return m_pending; }

    // On a resize or a style change: shrink, then fit when the timer fires.
    void scheduleFit();
    // Fits at once and shows the kept text.
    void fit();

signals:
    // The debounce ended; the widget's changeFont() slot calls fit().
    void fitDue();

private:
    QWidget *m_widget;
    std::function<void(const QString &)> m_showText;
    QTimer m_timer;
    QString m_text;
    QString m_template = QStringLiteral("333333");
    bool m_pending = false;
};
