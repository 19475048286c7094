// The port manager end to end against simulated colorimeters handed over as
// extra ports: what a scan lists, how long it takes, busy ports, connecting
// in a pool thread, vanished ports and devices that disappear.
#include "devicetesting.h"

#include "factories.h"
#include "qtprinters.h"
#include "torvafactory.h"
#include "transaction.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// Another program holding the port as our transport does: an exclusive lock
// on an open file description of its own. -1 when it could not.
int holdPort(const QString &port) {
    const int fd =
        ::open(port.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

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
    EXPECT_EQ(getting.count() + menus.count() + ready.count(), 3);

    ConnectionInfo e;
    ASSERT_TRUE(findEntry(sim.port(), &e));
    EXPECT_EQ(e.type, TorvaDevice);
    EXPECT_EQ(e.serialNumber, "TV40-6012");
    EXPECT_FALSE(e.connected);
    EXPECT_EQ(e.factory, findFactory(DeviceNames::torva));
}

TEST_F(PortManagerTest, SilentPortsAreProbedAtTheSameTime) {
    // One silent probe waits out the scan's silence for an identification.
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
    // Five of them side by side take about as long as one.
    EXPECT_GE(oneProbe, clmtr::probeSilenceMs * 9 / 10);
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
    const int other = holdPort(sim.port());
    ASSERT_GE(other, 0);
    const uint64_t before = sim.colorimeter().repliesSent();
    ASSERT_TRUE(scanNow());
    ConnectionInfo e;
    ASSERT_TRUE(findEntry(sim.port(), &e));
    EXPECT_EQ(e.type, BusyPort);
    EXPECT_EQ(sim.colorimeter().repliesSent(), before); // not probed
    QSignalSpy failed(manager, &PortManager::failureToConnect);
    manager->connectDevice(e, false); // nothing was identified there
    EXPECT_EQ(failed.count(), 1);
    ::close(other);

    // Released: found, opened by us, and busy again because we hold it.
    ASSERT_TRUE(scanNow());
    ASSERT_TRUE(findEntry(sim.port(), &e));
    ASSERT_EQ(e.type, TorvaDevice);
    QSignalSpy connected(manager, &PortManager::connected);
    manager->connectDevice(e, false);
    ASSERT_EQ(connected.count(), 1);
    GenDevice *d = manager->openDevices().value(0);
    ASSERT_NE(d, nullptr);
    QSignalSpy closed(d, &GenDevice::closed);

    ASSERT_TRUE(scanNow());
    ASSERT_TRUE(findEntry(sim.port(), &e));
    EXPECT_TRUE(e.connected && e.matches(d));
    EXPECT_EQ(manager->openDevices(), QList<GenDevice *>{d});
    EXPECT_EQ(closed.count(), 0);
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
    EXPECT_NE(arrived[0]->model(), arrived[1]->model());
    for (GenDevice *d : arrived) {
        EXPECT_EQ(d->thread(), QCoreApplication::instance()->thread());
        EXPECT_TRUE(d->isConnected() && manager->openDevices().contains(d));
    }
    QObject::disconnect(manager, &PortManager::connected, manager, nullptr);
}

TEST_F(PortManagerTest, AFailedConnectionIsReportedAsTheEntryAskedFor) {
    SimColorimeter sim;
    setExtraPorts({sim.port()});
    ASSERT_TRUE(scanNow());
    ConnectionInfo e;
    ASSERT_TRUE(findEntry(sim.port(), &e));
    QSignalSpy failed(manager, &PortManager::failureToConnect);
    sim.say("silence on"); // found by the scan, mute by the click
    manager->connectDevice(e, true);
    ASSERT_TRUE(waitUntil([&] { return failed.count() > 0; }, 10000));
    EXPECT_TRUE(failed.at(0).at(0).value<ConnectionInfo>().sameAction(e));
    EXPECT_FALSE(portIsHeld(sim.port())); // the failed device is gone with its port

    sim.say("unplug"); // vanished: fails at once and its entry is dropped
    manager->connectDevice(e, true);
    ASSERT_EQ(failed.count(), 2);
    EXPECT_TRUE(failed.at(1).at(0).value<ConnectionInfo>().sameAction(e));
    EXPECT_FALSE(findEntry(sim.port()));
    settle(100);
    EXPECT_TRUE(manager->openDevices().isEmpty());
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
