#include "qcopytable.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>

QCopyTable::QCopyTable(QWidget *parent) : QTableWidget(parent) {}

QCopyTable::QCopyTable(int rows, int columns, QWidget *parent)
    : QTableWidget(rows, columns, parent) {}

QString QCopyTable::selectionText() const {
    const QList<QTableWidgetSelectionRange> ranges = selectedRanges();
    if (ranges.isEmpty())
        return QString();
    const QTableWidgetSelectionRange &range = ranges.first();
    // Headers without an item are numbered from 1, as the table shows them.
    QString text;
    for (int col = range.leftColumn(); col <= range.rightColumn(); ++col) {
        const QTableWidgetItem *header = horizontalHeaderItem(col);
        text += '\t' + (header ? header->text() : QString::number(col + 1));
    }
    text += '\n';
    for (int row = range.topRow(); row <= range.bottomRow(); ++row) {
        const QTableWidgetItem *header = verticalHeaderItem(row);
        text += header ? header->text() : QString::number(row + 1);
        for (int col = range.leftColumn(); col <= range.rightColumn(); ++col) {
            const QTableWidgetItem *cell = item(row, col);
            text += '\t' + (cell ? cell->text() : QString());
        }
        text += '\n';
    }
    return text;
}

void QCopyTable::keyPressEvent(QKeyEvent *event) {
    if (event->matches(QKeySequence::Copy)) {
        const QString text = selectionText();
        if (!text.isEmpty())
            QApplication::clipboard()->setText(text);
        event->accept();
        return;
    }
    QTableWidget::keyPressEvent(event);
}
