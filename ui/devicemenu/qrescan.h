#pragma once
// The "Rescan Devices" entry of a port menu; it spins while a scan runs.

#include "qloadingaction.h"

class QRescan : public QLoadingAction {
    Q_OBJECT
public:
    template <typename Receiver, typename Slot>
    QRescan(const Receiver *receiver, Slot slot, QObject *parent = nullptr)
        : QLoadingAction(QStringLiteral("Rescan Devices"), parent) {
        connect(this, &QAction::triggered, receiver, slot);
    }
};
