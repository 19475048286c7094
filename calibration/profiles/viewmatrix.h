#pragma once
// Shows the colour matrix of the profile in force and the RGB matrix of the
// colorimeter, as they were when the window opened.

#include <QDialog>

class GenMeasure;
class QTableWidget;
class matrix;

namespace Ui {
class ViewMatrix;
}

class ViewMatrix : public QDialog {
    Q_OBJECT
public:
    explicit ViewMatrix(GenMeasure *device, QWidget *parent = nullptr);
    ~ViewMatrix() override;

private slots:
    void on_pushClose_clicked();

private:
    static void fill(QTableWidget *table, const matrix &m);

    Ui::ViewMatrix *ui;
};
