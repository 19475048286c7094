#pragma once
// A label whose font grows and shrinks with the label, sized so that its
// width template (by default "333333") fits.

#include "fontfitted.h"

#include <QLabel>

class QLabelResize : public FontFitted<QLabel> {
    Q_OBJECT
public:
    explicit QLabelResize(QWidget *parent = nullptr) : FontFitted<QLabel>(parent) {}

public slots:
    void setText(const QString &text) { FontFitted<QLabel>::setText(text); }
    void changeFont() { FontFitted<QLabel>::changeFont(); }
};
