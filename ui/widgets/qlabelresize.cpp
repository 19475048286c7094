#include "qlabelresize.h"

#include "fontfit.h"

#include <QEvent>

QLabelResize::QLabelResize(QWidget *parent)
    : QLabel(parent),
      m_fitter(new FontFitter(this, [this](const QString &text) { QLabel::setText(text); })) {
    connect(m_fitter, &FontFitter::fitDue, this, &QLabelResize::changeFont);
}

QString QLabelResize::text() const {
    return m_fitter->text();
}

QString QLabelResize::widthTemplate() const {
    return m_fitter->widthTemplate();
}

void QLabelResize::setWidthTemplate(const QString &widthTemplate) {
    m_fitter->setWidthTemplate(widthTemplate);
}

bool QLabelResize::isFitPending() const {
    return m_fitter->isPending();
}

QSize QLabelResize::sizeHint() const {
    return fittingSizeHint(m_fitter->widthTemplate());
}

QSize QLabelResize::minimumSizeHint() const {
    return fittingMinimumSizeHint();
}

void QLabelResize::setText(const QString &text) {
    m_fitter->setText(text);
}

void QLabelResize::changeFont() {
    m_fitter->fit();
}

void QLabelResize::resizeEvent(QResizeEvent *event) {
    QLabel::resizeEvent(event);
    m_fitter->scheduleFit();
}

void QLabelResize::changeEvent(QEvent *event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::StyleChange)
        m_fitter->scheduleFit();
}
