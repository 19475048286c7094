#include "qcolorwidget.h"

#include <QPainter>
#include <QStyleOption>

void QColorWidget::paintEvent(QPaintEvent *) {
    QStyleOption option;
    option.initFrom(this);
    QPainter p(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &p, this);
}
