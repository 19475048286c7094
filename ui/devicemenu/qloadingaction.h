#pragma once
// A menu action that can show the busy spinner.

#include "busyspinner.h"

#include <QAction>

class QLoadingAction : public QAction {
    Q_OBJECT
public:
    explicit QLoadingAction(const QString &text, QObject *parent = nullptr);

    bool isLoading() const { return m_spinner.isSpinning(); }
    int currentFrame() const { return m_spinner.currentFrame(); }

public slots:
    void start() { m_spinner.start(); }
    void stop() { m_spinner.stop(); }

private:
    BusySpinner m_spinner;
};
