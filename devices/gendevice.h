#pragma once
// Anything the application can open on a port, an address or a screen.
// Devices are created only by their factory, which calls open() at once.

#include "devicetypes.h"

#include <QObject>
#include <QString>

class GenFactory;

class GenDevice : public QObject {
    Q_OBJECT
public:
    explicit GenDevice(QObject *parent = nullptr) : QObject(parent) {}
    ~GenDevice() override;

    GenFactory *factory = nullptr; // the factory that created it; not owned

    virtual QString manufacturer() { return m_manufacturer; }
    virtual QString model() { return m_model; }
    virtual QString serialNumber() { return m_serialNumber; }
    virtual QString portName() = 0;
    virtual DeviceType deviceType() = 0;
    virtual bool isConnected() = 0;
    // May be called repeatedly; emits closed() only when it closed something.
    virtual void close() = 0;
    // Opens, identifies, emits connected() and returns true on success.
    virtual bool open(const QString &port) = 0;
    // Asks the device for its manufacturer, model and serial number.
    virtual void updateInfo() = 0;

signals:
    void closed();
    void connected();

protected:
    QString m_serialNumber;
    QString m_model;
    QString m_manufacturer;
};
