#pragma once
// Switches the colorimeter to another of its profiles, or deletes one (after
// a confirmation and the password). Shows the list as it was when opened,
// the profile in use selected and in bold.

#include "qmemorymainwindow.h"

#include <QPointer>

class GenMeasure;
class QListWidgetItem;

namespace Ui {
class CalSelect;
}

class CalSelect : public QMemoryMainWindow {
    Q_OBJECT
public:
    explicit CalSelect(GenMeasure *device, QWidget *parent = nullptr);
    ~CalSelect() override;

    void refill();
    // Marks the profile in use.
    void showCurrent();

private slots:
    void on_pushSelect_clicked();
    void on_pushDelete_clicked();
    void on_listCal_itemDoubleClicked(QListWidgetItem *item);

private:
    void select(const QListWidgetItem *item);

    Ui::CalSelect *ui;
    QPointer<GenMeasure> m_device;
};
