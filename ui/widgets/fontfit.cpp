#include "fontfit.h"

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QWidget>

int fittingPixelSize(const QFont &font, const QString &widthTemplate, const QRect &contents,
                     int minimumPixelSize) {
    const int h = contents.height();
    const int w = contents.width();
    QFont trial = font;
    for (int size = int(h - 0.6); size >= minimumPixelSize && size > 0; --size) {
        trial.setPixelSize(size);
        const QRect box = QFontMetrics(trial).boundingRect(widthTemplate);
        if (box.width() < w - 10 && box.height() < h)
            return size;
    }
    return qMax(minimumPixelSize, 1);
}

int applicationFontPixelSize() {
    return QFontInfo(QApplication::font()).pixelSize();
}

QSize fittingSizeHint(const QString &widthTemplate) {
    const QFontMetrics metrics(QApplication::font());
    return QSize(metrics.boundingRect(widthTemplate).width() + 16, metrics.height() + 8);
}

QSize fittingMinimumSizeHint() {
    const QFontMetrics metrics(QApplication::font());
    return QSize(metrics.averageCharWidth() * 2 + 10, metrics.height());
}

FontFitter::FontFitter(QWidget *widget, std::function<void(const QString &)> showText)
    : QObject(widget), m_widget(widget), m_showText(std::move(showText)), m_timer(this) {
    m_timer.setSingleShot(true);
    m_timer.setInterval(debounceMs);
    connect(&m_timer, &QTimer::timeout, this, &FontFitter::fitDue);
}

void FontFitter::setText(const QString &text) {
    m_text = text;
    if (!m_pending)
        m_showText(text);
}

void FontFitter::setWidthTemplate(const QString &widthTemplate) {
    m_template = widthTemplate;
    m_widget->updateGeometry();
    m_timer.stop();
    fit();
}

void FontFitter::scheduleFit() {
    if (!m_pending) {
        m_pending = true;
        QFont tiny = m_widget->font();
        tiny.setPixelSize(1);
        m_widget->setFont(tiny);
        m_showText(QString());
    }
    m_timer.start();
}

void FontFitter::fit() {
    m_pending = false;
    QFont font = m_widget->font();
    font.setPixelSize(
        fittingPixelSize(font, m_template, m_widget->contentsRect(), applicationFontPixelSize()));
    m_widget->setFont(font);
    m_showText(m_text);
}
