#pragma once
// A swatch: paints itself with its style sheet and reports a mouse press.

#include <QWidget>

class QColorWidget : public QWidget {
    Q_OBJECT
public:
    explicit QColorWidget(QWidget *parent = nullptr) : QWidget(parent) {}

signals:
    void clicked(QWidget *self);

protected:
    void mousePressEvent(QMouseEvent *) override { emit clicked(this); }
    void paintEvent(QPaintEvent *) override;
};
