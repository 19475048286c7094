#pragma once
// A push button that shows the busy spinner while a scan runs.

#include "busyspinner.h"

#include <QPushButton>

class QRescanButton : public QPushButton {
    Q_OBJECT
public:
    explicit QRescanButton(QWidget *parent = nullptr);

    void startSpinner() { m_spinner.start(); }
    void stopSpinner() { m_spinner.stop(); }
    bool isSpinning() const { return m_spinner.isSpinning(); }
    int currentFrame() const { return m_spinner.currentFrame(); }

public slots:
    void updateIcon() { m_spinner.advance(); }

private:
    BusySpinner m_spinner;
};
