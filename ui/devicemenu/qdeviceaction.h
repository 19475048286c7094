#pragma once
// A menu entry for one device found by the port manager. Picking it emits
// Connected() with the entry, which its creator handles.

#include "connectioninfo.h"
#include "qloadingaction.h"

// The entry's model, padded with 1 to 8 spaces to the next multiple of eight
// characters, then its serial number.
QString deviceLabel(const ConnectionInfo &info);

class QDeviceAction : public QLoadingAction {
    Q_OBJECT
public:
    QDeviceAction(const ConnectionInfo &info, QObject *parent = nullptr);
    template <typename Receiver, typename Slot>
    QDeviceAction(const ConnectionInfo &info, const Receiver *receiver, Slot slot,
                  QObject *parent = nullptr)
        : QDeviceAction(info, parent) {
        connect(this, &QDeviceAction::Connected, receiver, slot);
    }

    const ConnectionInfo &info() const { return m_info; }

public slots:
    // Emits Connected(). Hides QAction::trigger(); activate(QAction::Trigger)
    // is what a click does.
    void trigger();

signals:
    void Connected(const ConnectionInfo &_info);

private:
    ConnectionInfo m_info;
};
