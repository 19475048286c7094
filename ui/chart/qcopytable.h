#pragma once
// A table whose Copy shortcut puts the first selected range on the clipboard
// as tab-separated text with its column and row headers.

#include <QTableWidget>

class QCopyTable : public QTableWidget {
    Q_OBJECT
public:
    explicit QCopyTable(QWidget *parent = nullptr);
    QCopyTable(int rows, int columns, QWidget *parent = nullptr);

    // The text the Copy shortcut would put on the clipboard; empty when
    // nothing is selected.
    QString selectionText() const;

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
