// The port manager end to end against simulated colorimeters handed over as
// extra ports: what a scan lists, how long it takes, busy ports, connecting
// in a pool thread, vanished ports and devices that disappear.
#include "devicetesting.h"

#include "factories.h"
#include "qtprinters.h"
#include "torvafactory.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// Another program holding the port as our serial transport does: an
// exclusive lock on its own open file description (the lock does not care
// which process holds it).
class PortHolder {
public:
    explicit PortHolder(const QString &port) {
        fd_ = ::open(port.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        held_ = fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
    }
    ~PortHolder() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool held() const { return held_; }

private:
    int fd_ = -1;
    bool held_ = false;
};

} // namespace

class PortManagerTest : public ManagerTest {};

TEST_F(PortManagerTest, ScanFindsTheColorimeterOnAnExtraPort) {
    SimColorimeter sim("TV-40");
    setExtraPorts({sim.port()});
    QSignalSpy getting(manager, &PortManager::gettingPorts);
    QSignalSpy menus(manager, &PortManager::updateMenus);
    QSignalSpy ready(manager, &PortManager::readyToConnect);
    manager->findPorts();
    EXPECT_TRUE(manager->isScanning());
    manager->findPorts(); // ignored while scanning
    ASSERT_TRUE(waitUntil([&] { return !manager->isScanning(); }));
    EXPECT_EQ(getting.count(), 1);
    EXPECT_EQ(menus.count(), 1);
    EXPECT_EQ(ready.count(), 1);

    ConnectionInfo e;
    ASSERT_TRUE(findEntry(sim.port(), &e));
    EXPECT_EQ(e.type, TorvaDevice);
    EXPECT_EQ(e.model, "TV-40");
    EXPECT_EQ(e.serialNumber, sim.serial());
    EXPECT_EQ(e.serialNumber, "TV40-6012");
    EXPECT_FALSE(e.connected);
    EXPECT_EQ(e.factory, findFactory(DeviceNames::torva));
    EXPECT_TRUE(manager->isAvailable(e));

    // A port where nothing answers stays a plain entry.
    sim.say("silence on");
    ASSERT_TRUE(scanNow());
    ASSERT_TRUE(findEntry(sim.port(), &e));
    EXPECT_EQ(e.type, NoDevice);
    EXPECT_EQ(e.factory, nullptr);
}

TEST_F(PortManagerTest, SilentPortsAreProbedAtTheSameTime) {
    // One silent probe waits the whole identification time limit (1.5 s).
    SimColorimeter single;
    single.say("silence on");
    TorvaFactory f;
    ConnectionInfo info;
    QElapsedTimer t;
    t.start();
    EXPECT_FALSE(f.probe(single.port(), &info));
    const qint64 oneProbe = t.elapsed();

    constexpr int silentPorts = 5;
    std::vector<std::unique_ptr<SimColorimeter>> sims;
    QStringList ports;
    for (int i = 0; i < silentPorts; ++i) {
        sims.push_back(std::make_unique<SimColorimeter>());
        sims.back()->say("silence on");
        ports << sims.back()->port();
    }
    setExtraPorts(ports);
    t.restart();
    ASSERT_TRUE(scanNow());
    const qint64 scan = t.elapsed();
    std::printf("one silent probe %lld ms; scan of %d silent ports %lld ms (in turn: %lld ms)\n",
                static_cast<long long>(oneProbe), silentPorts, static_cast<long long>(scan),
                static_cast<long long>(oneProbe * silentPorts));
    EXPECT_GE(oneProbe, 1400);
    EXPECT_LT(scan, oneProbe * 2);
    for (const QString &p : ports) {
        ConnectionInfo e;
        ASSERT_TRUE(findEntry(p, &e)) << p.toStdString();
        EXPECT_EQ(e.type, NoDevice);
    }
}

TEST_F(PortManagerTest, ABusyPortIsListedAndTakenOverByOurOwnDevice) {
    SimColorimeter sim;
    setExtraPorts({sim.port()});
    {
        PortHolder other(sim.port());
        ASSERT_TRUE(other.held());
        const uint64_t before = sim.instrument().repliesSent();
        ASSERT_TRUE(scanNow());
        ConnectionInfo e;
        ASSERT_TRUE(findEntry(sim.port(), &e));
        EXPECT_EQ(e.type, BusyPort);
        EXPECT_EQ(static_cast<int>(e.type), 7);
        EXPECT_TRUE(e.connected);
        EXPECT_EQ(e.model, "");
        EXPECT_EQ(e.factory, nullptr);
        EXPECT_EQ(sim.instrument().repliesSent(), before); // not probed

        // Nothing was identified there: connecting fails at once.
        QSignalSpy failed(manager, &PortManager::failureToConnect);
        manager->connectDevice(e, false);
        EXPECT_EQ(failed.count(), 1);
        EXPECT_TRUE(manager->openDevices().isEmpty());
    }

    // Released: found, opened by us, and busy again because we hold it.
    ASSERT_TRUE(scanNow());
    ConnectionInfo e;
    ASSERT_TRUE(findEntry(sim.port(), &e));
    ASSERT_EQ(e.type, TorvaDevice);
    QSignalSpy connected(manager, &PortManager::connected);
    manager->connectDevice(e, false);
    ASSERT_EQ(connected.count(), 1);
    GenDevice *d = manager->openDevices().value(0);
    ASSERT_NE(d, nullptr);
    QSignalSpy closed(d, &GenDevice::closed);

    ASSERT_TRUE(scanNow());
    int onPort = 0;
    for (const ConnectionInfo &c : manager->connections()) {
        if (c.port != sim.port())
            continue;
        ++onPort;
        EXPECT_EQ(c.type, TorvaDevice);
        EXPECT_TRUE(c.connected);
        EXPECT_EQ(c.serialNumber, sim.serial());
        EXPECT_TRUE(c.matches(d));
    }
    EXPECT_EQ(onPort, 1);
    EXPECT_EQ(manager->openDevices(), QList<GenDevice *>{d});
    EXPECT_EQ(closed.count(), 0);
    EXPECT_TRUE(d->isConnected());
}

TEST_F(PortManagerTest, ThreadedConnectionsHandTheDeviceToTheGuiThread) {
    SimColorimeter a("TV-40");
    SimColorimeter b("T-40");
    setExtraPorts({a.port(), b.port()});
    ASSERT_TRUE(scanNow());
    ConnectionInfo ea, eb;
    ASSERT_TRUE(findEntry(a.port(), &ea));
    ASSERT_TRUE(findEntry(b.port(), &eb));

    QList<GenDevice *> arrived;
    QObject::connect(manager, &PortManager::connected, manager,
                     [&](GenDevice *d) { arrived.append(d); });
    // The second request starts before the first has finished: both arrive.
    manager->connectDevice(ea, true);
    manager->connectDevice(eb, true);
    EXPECT_TRUE(arrived.isEmpty()); // still connecting
    ASSERT_TRUE(waitUntil([&] { return arrived.size() == 2; }, 10000));
    for (GenDevice *d : arrived) {
        EXPECT_EQ(d->thread(), QCoreApplication::instance()->thread());
        EXPECT_EQ(d->parent(), manager);
        EXPECT_TRUE(d->isConnected());
        EXPECT_TRUE(manager->openDevices().contains(d));
    }
    QStringList models;
    for (const ConnectionInfo &c : manager->connections()) {
        if (c.connected)
            models << c.model;
    }
    models.sort();
    EXPECT_EQ(models, QStringList({"T-40", "TV-40"}));
    QObject::disconnect(manager, &PortManager::connected, manager, nullptr);
}

TEST_F(PortManagerTest, AVanishedPortFailsAndItsEntryIsDropped) {
    SimColorimeter sim;
    setExtraPorts({sim.port()});
    ASSERT_TRUE(scanNow());
    ConnectionInfo e;
    ASSERT_TRUE(findEntry(sim.port(), &e));
    sim.say("unplug");
    EXPECT_FALSE(manager->isAvailable(e));

    QSignalSpy failed(manager, &PortManager::failureToConnect);
    QSignalSpy connected(manager, &PortManager::connected);
    manager->connectDevice(e, true);
    ASSERT_EQ(failed.count(), 1);
    EXPECT_TRUE(failed.at(0).at(0).value<ConnectionInfo>().sameAction(e));
    EXPECT_FALSE(findEntry(sim.port()));
    settle(100);
    EXPECT_EQ(connected.count(), 0);
    EXPECT_TRUE(manager->openDevices().isEmpty());
}

TEST_F(PortManagerTest, AFailedOpenIsReportedAsTheEntryAskedFor) {
    SimColorimeter sim;
    setExtraPorts({sim.port()});
    ASSERT_TRUE(scanNow());
    ConnectionInfo e;
    ASSERT_TRUE(findEntry(sim.port(), &e));
    sim.say("silence on"); // found by the scan, mute by the click
    QSignalSpy failed(manager, &PortManager::failureToConnect);
    manager->connectDevice(e, true);
    ASSERT_TRUE(waitUntil([&] { return failed.count() > 0; }, 10000));
    EXPECT_TRUE(failed.at(0).at(0).value<ConnectionInfo>().sameAction(e));
    EXPECT_TRUE(manager->openDevices().isEmpty());
    EXPECT_FALSE(portIsHeld(sim.port())); // the failed device is gone with its port
}

TEST_F(PortManagerTest, ADeviceThatDisappearsFromARescanIsClosedAndDropped) {
    SimColorimeter sim;
    setExtraPorts({sim.port()});
    ASSERT_TRUE(scanNow());
    ConnectionInfo e;
    ASSERT_TRUE(findEntry(sim.port(), &e));
    manager->connectDevice(e, false);
    ASSERT_EQ(manager->openDevices().size(), 1);
    QPointer<GenDevice> d = manager->openDevices().first();
    QSignalSpy closed(d.data(), &GenDevice::closed);

    sim.say("unplug");
    ASSERT_TRUE(scanNow());
    EXPECT_EQ(closed.count(), 1);
    EXPECT_TRUE(manager->openDevices().isEmpty());
    EXPECT_FALSE(findEntry(sim.port()));
    settle(50);
    EXPECT_TRUE(d.isNull()); // deleted by the manager
}

TEST_F(PortManagerTest, ClosingMarksTheEntryOrDropsIt) {
    SimColorimeter sim;
    setExtraPorts({sim.port()});
    ASSERT_TRUE(scanNow());
    ConnectionInfo e;
    ASSERT_TRUE(findEntry(sim.port(), &e));

    manager->connectDevice(e, false);
    ASSERT_EQ(manager->openDevices().size(), 1);
    QSignalSpy menus(manager, &PortManager::updateMenus);
    manager->closeDevice(manager->openDevices().first(), false);
    EXPECT_GE(menus.count(), 1);
    EXPECT_TRUE(manager->openDevices().isEmpty());
    ASSERT_TRUE(findEntry(sim.port(), &e));
    EXPECT_FALSE(e.connected);
    EXPECT_EQ(e.type, TorvaDevice);
    EXPECT_FALSE(portIsHeld(sim.port()));

    manager->connectDevice(e, false);
    ASSERT_EQ(manager->openDevices().size(), 1);
    manager->closeDevice(manager->openDevices().first(), true);
    EXPECT_FALSE(findEntry(sim.port()));
}
