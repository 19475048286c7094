#pragma once
// Shared by the device tests: simulated colorimeters on real pseudo-terminals
// handed to the port manager as extra ports, a manager that sees no host
// serial ports (so a test never talks to real hardware).

// The simulator is plain C++ and may use names Qt defines as macros
// ("slots"); it comes before every Qt header, so include this header first.
#include "simfixture.h"

#include "gendevice.h"
#include "portmanager.h"
#include "waituntil.h"

#include <QStringList>
#include <gtest/gtest.h>

// One simulated colorimeter, its port and serial number as the manager sees
// them. Instrument time runs 20 times faster than real by default.
class SimColorimeter : public SimInstrument {
public:
    explicit SimColorimeter(const std::string &model = "TV-40", double timeScale = 0.05)
        : SimInstrument(model, [timeScale](sim::SimulatorOptions &o) {
              o.colorimeter.timeScale = timeScale;
          }) {}
    QString port() const { return QString::fromStdString(portPath()); }
    QString serial() const { return QString::fromStdString(sim().colorimeter().serial()); }
};

inline void setExtraPorts(const QStringList &ports) {
    qputenv("TINTWELL_EXTRA_PORTS", ports.join(QLatin1Char(':')).toLocal8Bit());
}

// Waits for a running scan to end, then scans once more and waits for it.
inline bool scanNow(int ms = 15000) {
    PortManager *m = PortManager::instance();
    if (!waitUntil([m] { return !m->isScanning(); }, ms))
        return false;
    m->findPorts();
    return waitUntil([m] { return !m->isScanning(); }, ms);
}

// The manager's entry for the port, if it has one.
inline bool findEntry(const QString &port, ConnectionInfo *out = nullptr) {
    for (const ConnectionInfo &e : PortManager::instance()->connections()) {
        if (e.port == port) {
            if (out)
                *out = e;
            return true;
        }
    }
    return false;
}

// Every test starts with a manager that sees no host serial ports and has
// nothing open, and leaves it so.
class ManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        PortManager::setPortEnumerator([] { return QList<SerialPortEntry>(); });
        setExtraPorts({});
        manager = PortManager::instance();
        ASSERT_TRUE(waitUntil([this] { return !manager->isScanning(); }, 15000));
        closeAll();
    }
    void TearDown() override {
        closeAll();
        setExtraPorts({});
    }
    void closeAll() {
        const QList<GenDevice *> open = manager->openDevices();
        for (GenDevice *d : open)
            manager->closeDevice(d, true);
        settle(20);
    }

    PortManager *manager = nullptr;
};
