#include "viewmatrix.h"

#include "genmeasure.h"
#include "ui_viewmatrix.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QTableWidgetItem>

ViewMatrix::ViewMatrix(GenMeasure *device, QWidget *parent)
    : QDialog(parent), ui(new Ui::ViewMatrix) {
    ui->setupUi(this);
    fill(ui->tableColor, device ? device->colorMatrix() : matrix());
    fill(ui->tableRGB, device ? device->rgbMatrix() : matrix());
    // Big enough for both matrices whole, without scroll bars.
    adjustSize();
}

ViewMatrix::~ViewMatrix() {
    delete ui;
}

void ViewMatrix::fill(QTableWidget *table, const matrix &m) {
    table->setRowCount(3);
    table->setColumnCount(3);
    table->horizontalHeader()->hide();
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    const QFontMetrics metrics(table->font());
    const bool square = m.rows() == 3 && m.cols() == 3; // anything else shows nothing
    for (int c = 0; c < 3; ++c) {
        int widest = 0;
        for (int r = 0; r < 3; ++r) {
            const QString text = square ? QString::number(m(r, c), 'f', 4) : QString();
            auto *item = new QTableWidgetItem(text);
            item->setFlags(item->flags() & ~Qt::ItemIsEditable);
            table->setItem(r, c, item);
            widest = std::max(widest, metrics.horizontalAdvance(text));
        }
        table->setColumnWidth(c, widest + metrics.horizontalAdvance(QStringLiteral("00")));
    }
    // Three by three numbers: the table is as big as they are.
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int frame = 2 * table->frameWidth();
    table->setMinimumSize(table->horizontalHeader()->length() + frame,
                          table->verticalHeader()->length() + frame);
}

void ViewMatrix::on_pushClose_clicked() {
    close();
}
