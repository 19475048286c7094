#pragma once
// The one body of the font-fitting widgets (QLabelResize, QLineEditResize):
// Base is the Qt widget whose text is shown. Text, template, size hints and
// the refit on a resize or a style change are handled here; the subclasses
// add only their slots.

#include "fontfit.h"

#include <QEvent>
#include <QString>

template <typename Base> class FontFitted : public Base {
public:
    explicit FontFitted(QWidget *parent)
        : Base(parent),
          m_fitter(new FontFitter(this, [this](const QString &text) { Base::setText(text); })) {
        QObject::connect(m_fitter, &FontFitter::fitDue, this, [this] { m_fitter->fit(); });
    }

    // The text to show, also while a fit is pending and the widget is blank.
    QString text() const { return m_fitter->text(); }
    void setText(const QString &text) { m_fitter->setText(text); }
    QString widthTemplate() const { return m_fitter->widthTemplate(); }
    void setWidthTemplate(const QString &widthTemplate) {
        m_fitter->setWidthTemplate(widthTemplate);
    }
    bool isFitPending() const { return m_fitter->isPending(); }
    void changeFont() { m_fitter->fit(); }

    QSize sizeHint() const override { return fittingSizeHint(m_fitter->widthTemplate()); }
    QSize minimumSizeHint() const override { return fittingMinimumSizeHint(); }

protected:
    bool event(QEvent *event) override {
        const bool handled = Base::event(event);
        if (event->type() == QEvent::Resize || event->type() == QEvent::StyleChange)
            m_fitter->scheduleFit();
        return handled;
    }

private:
    FontFitter *m_fitter;
};
