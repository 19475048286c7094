#pragma once
// A read-only readout whose font grows and shrinks with the field, sized so
// that its width template (by default "333333") fits.

#include "fontfitted.h"

#include <QLineEdit>

class QLineEditResize : public FontFitted<QLineEdit> {
    Q_OBJECT
public:
    explicit QLineEditResize(QWidget *parent = nullptr) : FontFitted<QLineEdit>(parent) {
        setReadOnly(true);
    }

public slots:
    void setText(const QString &text) { FontFitted<QLineEdit>::setText(text); }
    void changeFont() { FontFitted<QLineEdit>::changeFont(); }
};
