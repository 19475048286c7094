#pragma once
// The dialog in which the operator types a reading (x, y and Y in the units
// of the "isNits" setting), and the object that runs it on the GUI thread
// for a measuring thread.

#include "measurement.h"

#include <QDialog>
#include <QObject>

namespace Ui {
class ManualEntry;
}

class ManualEntry : public QDialog {
    Q_OBJECT
public:
    explicit ManualEntry(QWidget *parent = nullptr);
    ~ManualEntry() override;

    // Runs the dialog modally (no parent) and returns what it holds then.
    static Measurement getMeasurement();
    const Measurement &result() const { return m_result; }

public slots:
    // Escape and closing the window: a cancel that needs no confirmation,
    // so the record says so (errorCode 8) instead of passing for a reading.
    void reject() override;

private slots:
    void on_pushAccept_clicked();
    void on_pushCancel_clicked();

private:
    Ui::ManualEntry *ui;
    Measurement m_result;
};

class ManualEntryCaller : public QObject {
    Q_OBJECT
public slots:
    void CallManualEntry(Measurement &m);
};
