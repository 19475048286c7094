#include "manual.h"

#include "factories.h"
#include "manualentry.h"

#include <QGuiApplication>
#include <QThread>

Manual::~Manual() = default;

void Manual::close() {
    const bool wasOpen = m_open;
    m_open = false;
    if (wasOpen)
        emit closed();
}

bool Manual::open(const QString &) {
    m_open = true;
    updateInfo();
    return true;
}

void Manual::updateInfo() {
    m_model = QStringLiteral("Manual ");
    m_serialNumber = QStringLiteral("Entry");
    m_manufacturer = QStringLiteral("Manual Entry");
}

Measurement Manual::measure(int) {
    // Closing the dialog must not end the program while a worker waits.
    const bool quitOnClose = QGuiApplication::quitOnLastWindowClosed();
    QGuiApplication::setQuitOnLastWindowClosed(false);

    Measurement m;
    QThread *gui = QCoreApplication::instance()->thread();
    auto *caller = new ManualEntryCaller;
    if (QThread::currentThread() == gui) {
        // A blocking hand-over to the own thread would never return.
        caller->CallManualEntry(m);
    } else {
        caller->moveToThread(gui);
        connect(this, &Manual::callMeasurement, caller, &ManualEntryCaller::CallManualEntry,
                Qt::BlockingQueuedConnection);
        emit callMeasurement(m);
    }
    caller->deleteLater();
    // Derived values follow the device's spec; the error code stays what the
    // entry decided (a cancel is 8, not 8 plus "no CCT" for its zeros).
    const unsigned decided = m.errorCode;
    m.setGamutSpec(m_gamutSpec);
    m.errorCode = decided;

    QGuiApplication::setQuitOnLastWindowClosed(quitOnClose);
    return m;
}

GenDevice *ManualFactory::create(const QString &port) {
    auto *device = new Manual;
    device->factory = this;
    device->open(port);
    return device;
}

bool ManualFactory::probe(const QString &, ConnectionInfo *info) {
    if (info) {
        info->model = QStringLiteral("Manual ");
        info->serialNumber = QStringLiteral("Entry");
        info->port = QStringLiteral("Manual_Entry");
        info->connected = false;
        info->type = ManualDevice;
    }
    return true;
}

void registerManualMeter() {
    registerFactoryMaker(DeviceNames::manual, []() -> GenFactory * { return new ManualFactory; });
}
