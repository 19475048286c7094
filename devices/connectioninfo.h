#pragma once
// What the port manager knows about one place a device can be: the port (or
// address, or screen), the identity found there, whether we hold it open, the
// kind of device and the factory that found it. A copyable value.

#include "devicetypes.h"

#include <QMetaType>
#include <QString>

class GenDevice;
class GenFactory;

struct ConnectionInfo {
    QString port = QStringLiteral("");
    QString model = QStringLiteral("");
    QString serialNumber = QStringLiteral("");
    bool connected = false;
    DeviceType type = NoDevice;
    GenFactory *factory = nullptr; // not owned

    ConnectionInfo() = default;
    // The entry of an open device; a null device gives a fresh entry.
    explicit ConnectionInfo(GenDevice *device);

    // This entry describes the device: same port, serial number and model.
    bool matches(GenDevice *device) const;
    // The port manager keeps one entry per port.
    bool isSameEntry(const ConnectionInfo &other) const { return port == other.port; }
    // A menu action stands for this entry: type, model, serial number and port.
    bool sameAction(const ConnectionInfo &other) const {
        return type == other.type && model == other.model && serialNumber == other.serialNumber &&
               port == other.port;
    }
};
Q_DECLARE_METATYPE(ConnectionInfo)
