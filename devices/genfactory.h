#pragma once
// Knows one kind of device: probes a port for it and creates opened device
// objects. One instance of each kind lives in factories().

#include "connectioninfo.h"
#include "devicetypes.h"

#include <QObject>
#include <QString>

class GenDevice;

class GenFactory : public QObject {
    Q_OBJECT
public:
    explicit GenFactory(QObject *parent = nullptr) : QObject(parent) {}
    ~GenFactory() override;

    // A new device with its factory set and open(port) already called,
    // whether or not the open succeeded; the caller owns it.
    virtual GenDevice *create(const QString &port) = 0;
    virtual DeviceType deviceType() = 0;
    virtual int connectionKind() = 0; // ConnectionKind
    virtual QString name() = 0;       // one of DeviceNames
    virtual int roles() = 0;          // DeviceRole bits
    // Looks for a device of this kind; on success fills model, serial number
    // and type of info and returns true. Leaves the port closed. Called from
    // pool threads, several at once: uses only objects it creates.
    virtual bool probe(const QString &port, ConnectionInfo *info) = 0;
};
