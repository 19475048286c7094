#pragma once
// What the serial reference instruments (CS-2000, PR-650, BM-7) share: one
// command port, the port's name, liveness that announces a lost instrument,
// and a close that forgets the identity.

#include "connectioninfo.h"
#include "genmeasure.h"
#include "qchromaserialport.h"

#include <atomic>
#include <memory>

class SerialLink;

class ReferenceInstrument : public GenMeasure {
    Q_OBJECT
public:
    ~ReferenceInstrument() override;

    QString portName() override;
    // A port found gone is closed and announced by closed(), once.
    bool isConnected() override;
    // Closes the port and returns every field to its value after
    // construction; emits closed() when the instrument was open.
    void close() override;

    QChromaSerialPort &port() { return *m_port; }

protected:
    // link null: a real serial port.
    ReferenceInstrument(std::unique_ptr<SerialLink> link, QObject *parent);

    // Opens and configures the line (8 data bits, time-out value 10000);
    // false, with the port closed, when either fails.
    bool openLine(const QString &port, int baud, char parity);
    // After identification: true (and connected() emitted) when identified,
    // else the port is closed again and false returned.
    bool finishOpen(bool identified);
    // The driver's own fields back to their values after construction.
    virtual void forget() {}
    // What every driver makes of the X, Y, Z (cd/m²) it decoded: the reading,
    // or, for values no instrument reports (not finite, beyond ±1e6 cd/m²),
    // an unusable reply (0x8 with ErrorBits::BadReply) that is never shown.
    static Measurement reading(double X, double Y, double Z, const GamutSpec &spec);

    QChromaSerialPort *m_port;

private:
    std::atomic<bool> m_open{false};
};

// A factory's create(): a new device of the kind, factory set, opened.
template <typename Device> GenDevice *createOpened(GenFactory *factory, const QString &port) {
    auto *device = new Device;
    device->factory = factory;
    device->open(port);
    return device;
}

// A factory's probe by opening a local device on the port (closed again
// before returning): on success the record gets its model, serial number
// and type, and the port when withPort is set.
template <typename Device>
bool probeByOpening(const QString &port, ConnectionInfo *info, bool withPort) {
    Device local;
    if (!local.open(port))
        return false;
    if (info) {
        if (withPort)
            info->port = port;
        info->model = local.model();
        info->serialNumber = local.serialNumber();
        info->type = local.deviceType();
    }
    local.close();
    return true;
}
