#pragma once
// The colorimeter library with Qt signals: the library's record callbacks are
// the measured() and flickered() signals themselves (same name and
// signature), so every record the worker delivers is emitted on the worker's
// thread and reaches receivers in other threads queued.

#include "flicker.h"
#include "measurement.h"
#include "tclmtr.h"

#include <QObject>

#include <atomic>

class QTClmtr : public QObject, public TClmtr {
    Q_OBJECT
public:
    explicit QTClmtr(QObject *parent = nullptr);
    ~QTClmtr() override;

    // True between a successful open and the close (or the discovery that
    // the port is gone); exchanged atomically so a loss is announced once.
    std::atomic<bool> isOpenFlag{false};

signals:
    void closed();
    void connected();
    void measured(const Measurement &m) override;
    void flickered(const Flicker &f) override;
    void calfileChanged();
    void gamutSpecChanged();
};
