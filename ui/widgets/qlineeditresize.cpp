#include "qlineeditresize.h"

#include "fontfit.h"

#include <QEvent>

QLineEditResize::QLineEditResize(QWidget *parent)
    : QLineEdit(parent),
      m_fitter(new FontFitter(this, [this](const QString &text) { QLineEdit::setText(text); })) {
    setReadOnly(true);
    connect(m_fitter, &FontFitter::fitDue, this, &QLineEditResize::changeFont);
}

QString QLineEditResize::text() const {
    return m_fitter->text();
}

QString QLineEditResize::widthTemplate() const {
    return m_fitter->widthTemplate();
}

void QLineEditResize::setWidthTemplate(const QString &widthTemplate) {
    m_fitter->setWidthTemplate(widthTemplate);
}

bool QLineEditResize::isFitPending() const {
    return m_fitter->isPending();
}

QSize QLineEditResize::sizeHint() const {
    return fittingSizeHint(m_fitter->widthTemplate());
}

QSize QLineEditResize::minimumSizeHint() const {
    return fittingMinimumSizeHint();
}

void QLineEditResize::setText(const QString &text) {
    m_fitter->setText(text);
}

void QLineEditResize::changeFont() {
    m_fitter->fit();
}

bool QLineEditResize::event(QEvent *event) {
    const bool handled = QLineEdit::event(event);
    if (event->type() == QEvent::Resize || event->type() == QEvent::StyleChange)
        m_fitter->scheduleFit();
    return handled;
}
