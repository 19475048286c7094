// The device interfaces without hardware: the factory list built once, the
// records registered for queued signals, the entry matching rules, and the
// wrapper's neutral answers, its forwarding and its signal relay.
#include "connectioninfo.h"
#include "factories.h"
#include "fakemeter.h"
#include "genmeasurepntwrapper.h"
#include "qtprinters.h"
#include "torvafactory.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

// First in the file: the list is built once per process, and this test
// wants to be the one that builds it, from several threads at once.
TEST(Factories, BuiltOnceWhenManyThreadsAskAtOnce) {
    std::atomic<bool> go{false};
    std::vector<const QList<GenFactory *> *> seen(8, nullptr);
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i)
        threads.emplace_back([&, i] {
            while (!go)
                std::this_thread::yield();
            seen[i] = &factories();
        });
    go = true;
    for (std::thread &t : threads)
        t.join();
    for (const QList<GenFactory *> *list : seen)
        EXPECT_EQ(list, &factories());
    // The colorimeter leads, as scans try it first; the list belongs to the GUI thread.
    GenFactory *torva = factories().first();
    EXPECT_NE(qobject_cast<TorvaFactory *>(torva), nullptr);
    EXPECT_EQ(torva->name(), "Torva Devices");
    EXPECT_EQ(torva->roles(), 3);
    EXPECT_EQ(findFactory(DeviceNames::torva), torva);
    EXPECT_EQ(torva->thread(), QCoreApplication::instance()->thread());
    registerDeviceMetaTypes(); // the records that travel in queued signals
    for (const char *type :
         {"ConnectionInfo", "DeviceType", "Flicker", "QMap<DeviceType,QList<ConnectionInfo> >"})
        EXPECT_NE(QMetaType::type(type), 0) << type;
}

TEST(ConnectionInfoTest, FreshEntryAndTheThreeMatchingRules) {
    EXPECT_FALSE(ConnectionInfo().port.isNull()); // empty, not null
    EXPECT_EQ(ConnectionInfo(static_cast<GenDevice *>(nullptr)).type, NoDevice);
    FakeMeter meter;
    RolesFactory maker(RoleReference, CS2000Device);
    meter.factory = &maker;
    const ConnectionInfo e(&meter);
    EXPECT_EQ(e.serialNumber, "FM1-0042");
    EXPECT_TRUE(e.connected);
    EXPECT_EQ(e.factory, &maker);
    // Device rule: port, serial and model, exact and case-sensitive; not type or state.
    ConnectionInfo other = e;
    other.serialNumber = "fm1-0042";
    EXPECT_FALSE(other.matches(&meter));
    other = e;
    other.connected = false;
    other.type = TorvaDevice;
    EXPECT_TRUE(other.matches(&meter));
    EXPECT_FALSE(other.sameAction(e)); // menu actions: type, model, serial and port
    ConnectionInfo samePort;           // the manager's list: one entry per port
    samePort.port = e.port;
    EXPECT_TRUE(samePort.isSameEntry(e));
}

TEST(Wrapper, NeutralWithoutADeviceThenForwardsToTheDeviceHeldAtCallTime) {
    GenMeasure *variable = nullptr;
    GenMeasurePntWrapper w;
    w.setDeviceAddress(&variable);
    EXPECT_EQ(w.deviceType(), NoDevice);
    EXPECT_EQ(w.measure(1).errorCode, 1u);
    EXPECT_EQ(w.lastProblem(), "");
    w.setRange(3); // setters without a device are harmless
    w.startMeasuring();
    w.cancelMeasurement();

    FakeMeter meter;
    variable = &meter; // no refresh needed for calls
    EXPECT_EQ(w.model(), "FM-1");
    EXPECT_EQ(w.measure(6).avgCount, 6);
    EXPECT_EQ(w.lastProblem(), "FM-1 remark");
    w.setRange(2);
    w.startMeasuring();
    w.cancelMeasurement();
    w.close();
    EXPECT_EQ(meter.calls, QStringList({"range 2", "start", "cancel", "close"}));
}

TEST(Wrapper, RelaysTheCurrentDevicesSignalsOnceAndNoOtherDevices) {
    FakeMeter first, second;
    GenMeasure *variable = nullptr;
    GenMeasurePntWrapper w;
    w.setDeviceAddress(&variable);
    QSignalSpy closed(&w, &GenDevice::closed);
    QSignalSpy measured(&w, &GenMeasure::measured);
    QSignalSpy flickered(&w, &GenMeasure::flickered);
    QSignalSpy announced(&w, &GenMeasure::measuringTime);
    w.refresh(); // no device: announces closed()
    EXPECT_EQ(closed.count(), 1);

    variable = &first;
    w.refresh();
    w.refresh(); // a menu refreshes often; the relay must not double
    const Measurement m = Measurement::fromxyY(0.3, 0.3, 5);
    emit first.measured(m);
    emit first.flickered(Flicker());
    emit first.measuringTime(12000);
    ASSERT_EQ(measured.count(), 1);
    ASSERT_EQ(announced.count(), 1);
    EXPECT_EQ(announced.at(0).at(0).toInt(), 12000);
    EXPECT_DOUBLE_EQ(measured.at(0).at(0).value<Measurement>().bigY, 5.0);
    EXPECT_EQ(flickered.count(), 1);

    GenMeasure *elsewhere = &second; // a second address while a device is held only refreshes
    w.setDeviceAddress(&elsewhere);
    EXPECT_EQ(w.device(), &first);
    variable = &second;
    w.refresh();
    emit first.measured(m); // no longer the wrapper's device
    emit second.measured(m);
    EXPECT_EQ(measured.count(), 2);
    variable = nullptr;
    w.refresh();
    EXPECT_EQ(closed.count(), 2);
}
