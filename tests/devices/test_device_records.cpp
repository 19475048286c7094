// The device interfaces without hardware: the factory list, ConnectionInfo
// and its matching rules, GenMeasure's defaults, the wrapper's neutral values,
// forwarding and signal relaying, and the records that cross threads.
#include "connectioninfo.h"
#include "factories.h"
#include "fakemeter.h"
#include "genmeasurepntwrapper.h"
#include "qtprinters.h"
#include "torvafactory.h"

#include <QSignalSpy>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

// Declared first: the list is built once per process, and this test wants to
// be the one that builds it, from several threads at once.
TEST(Factories, BuiltOnceWhenManyThreadsAskAtOnce) {
    std::atomic<bool> go{false};
    std::vector<const QList<GenFactory *> *> seen(8, nullptr);
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i) {
        threads.emplace_back([&, i] {
            while (!go)
                std::this_thread::yield();
            seen[i] = &factories();
        });
    }
    go = true;
    for (std::thread &t : threads)
        t.join();
    for (const QList<GenFactory *> *list : seen)
        EXPECT_EQ(list, &factories());
    const QList<GenFactory *> &list = factories();
    ASSERT_FALSE(list.isEmpty());
    EXPECT_EQ(list.count(list.first()), 1);

    // The colorimeter leads, as scans try it first.
    GenFactory *torva = list.first();
    EXPECT_NE(qobject_cast<TorvaFactory *>(torva), nullptr);
    EXPECT_EQ(torva->name(), "Torva Devices");
    EXPECT_EQ(torva->deviceType(), TorvaDevice);
    EXPECT_EQ(torva->connectionKind(), SerialConnection);
    EXPECT_EQ(torva->roles(), 3);
    EXPECT_EQ(findFactory(DeviceNames::torva), torva);
    EXPECT_EQ(findFactory("No Such Kind"), nullptr);
    // Built on a pool thread or not, the factories belong to the application.
    EXPECT_EQ(torva->thread(), QCoreApplication::instance()->thread());
}

TEST(ConnectionInfoTest, FreshEntryIsEmptyNotNullAndNoDevice) {
    const ConnectionInfo fresh;
    for (const QString &s : {fresh.port, fresh.model, fresh.serialNumber}) {
        EXPECT_TRUE(s.isEmpty());
        EXPECT_FALSE(s.isNull());
    }
    EXPECT_FALSE(fresh.connected);
    EXPECT_EQ(fresh.type, NoDevice);
    EXPECT_EQ(static_cast<int>(fresh.type), 8);
    EXPECT_EQ(fresh.factory, nullptr);

    const ConnectionInfo fromNull(static_cast<GenDevice *>(nullptr));
    EXPECT_FALSE(fromNull.port.isNull());
    EXPECT_EQ(fromNull.type, NoDevice);
    EXPECT_FALSE(fromNull.connected);
}

TEST(ConnectionInfoTest, BuiltFromADeviceAndTheThreeMatchingRules) {
    FakeMeter meter;
    RolesFactory maker(RoleReference, CS2000Device);
    meter.factory = &maker;
    const ConnectionInfo e(&meter);
    EXPECT_EQ(e.port, "/dev/fake0");
    EXPECT_EQ(e.model, "FM-1");
    EXPECT_EQ(e.serialNumber, "FM1-0042");
    EXPECT_EQ(e.type, CS2000Device);
    EXPECT_TRUE(e.connected);
    EXPECT_EQ(e.factory, &maker);
    EXPECT_TRUE(e.matches(&meter));
    EXPECT_FALSE(e.matches(nullptr));

    // Device rule: port, serial and model, exact and case-sensitive.
    ConnectionInfo other = e;
    other.port = "/dev/FAKE0";
    EXPECT_FALSE(other.matches(&meter));
    other = e;
    other.serialNumber = "fm1-0042";
    EXPECT_FALSE(other.matches(&meter));
    other = e;
    other.model = "FM-1 ";
    EXPECT_FALSE(other.matches(&meter));
    other = e;
    other.connected = false;
    other.type = TorvaDevice;
    EXPECT_TRUE(other.matches(&meter)); // type and state are not part of it

    // The manager's list: one entry per port, whatever is on it.
    ConnectionInfo samePort;
    samePort.port = e.port;
    EXPECT_TRUE(samePort.isSameEntry(e));
    samePort.port = "/dev/fake1";
    EXPECT_FALSE(samePort.isSameEntry(e));

    // Menu actions: type, model, serial and port; not the state.
    ConnectionInfo action = e;
    action.connected = false;
    action.factory = nullptr;
    EXPECT_TRUE(action.sameAction(e));
    action.type = PR650Device;
    EXPECT_FALSE(action.sameAction(e));
}

// Where GenMeasure's own defaults differ from the wrapper's neutral values.
TEST(GenMeasureDefaults, WhatADeviceWithoutTheOperationGets) {
    DefaultsMeter d;
    EXPECT_EQ(d.measure(3).errorCode, 1u);
    EXPECT_EQ(d.calFileList(), QStringList{QString("")});
    EXPECT_EQ(d.gamutSpec().standard, 2);
    EXPECT_DOUBLE_EQ(d.gamutSpec().whiteBigY, 100.0);
    d.setGamutSpec(GamutSpec::standardSpec(5, 48));
    EXPECT_EQ(d.gamutSpec().standard, 5);
    EXPECT_EQ(d.flickerSamples(), 256);
    EXPECT_EQ(d.setFlickerSamples(128), 0x4000000);
    EXPECT_EQ(d.startFlicker(false), 1);
    EXPECT_EQ(d.calFileIndex(), 0);
    EXPECT_EQ(d.calFileName(), "Factory Cal File");
    const double twelve[12] = {};
    EXPECT_EQ(d.saveCalFile(1, "x", twelve, twelve), 1);
    EXPECT_EQ(d.deleteCalFile(1), 1);
    EXPECT_EQ(d.ramBlackMatrix().status, 0);
    EXPECT_EQ(d.maxAverage(), 1);
    EXPECT_EQ(d.range(), -1);
}

void expectNeutral(GenMeasurePntWrapper &w) {
    EXPECT_EQ(w.device(), nullptr);
    EXPECT_EQ(w.manufacturer(), "");
    EXPECT_EQ(w.model(), "");
    EXPECT_FALSE(w.model().isNull());
    EXPECT_EQ(w.serialNumber(), "");
    EXPECT_EQ(w.portName(), "");
    EXPECT_EQ(w.deviceType(), NoDevice);
    EXPECT_FALSE(w.isConnected());
    EXPECT_FALSE(w.open("/dev/x"));
    EXPECT_EQ(w.range(), -1);
    EXPECT_FALSE(w.isMeasuring());
    EXPECT_FALSE(w.setMaxAverage(4));
    EXPECT_EQ(w.maxAverage(), 1);
    EXPECT_EQ(w.measure(1).errorCode, 1u);
    EXPECT_EQ(w.calFileList(), QStringList{QString("")});
    const GamutSpec g = w.gamutSpec();
    EXPECT_EQ(g.standard, 6);
    EXPECT_EQ(g.whiteX, 0.0);
    EXPECT_EQ(g.redX, 0.0);
    EXPECT_EQ(g.whiteBigY, 0.0);
    EXPECT_FALSE(w.isFlickering());
    EXPECT_EQ(w.startFlicker(true), 1);
    EXPECT_FALSE(w.setFlickerOptionA(true));
    EXPECT_FALSE(w.setFlickerOptionB(true));
    EXPECT_EQ(w.setFlickerSamples(256), 0x4000000);
    EXPECT_EQ(w.flickerSamples(), -1);
    EXPECT_EQ(w.setNormalized(1), 0);
    EXPECT_EQ(w.setJeita(1), 0);
    EXPECT_FALSE(w.setJeitaDiscountDb(true));
    EXPECT_FALSE(w.setJeitaDiscountPercent(true));
    EXPECT_EQ(w.normalized(), 0);
    EXPECT_EQ(w.jeita(), 0);
    EXPECT_FALSE(w.jeitaDiscountDb());
    EXPECT_FALSE(w.jeitaDiscountPercent());
    EXPECT_EQ(w.calFileIndex(), -1);
    EXPECT_EQ(w.calFileName(), "");
    const double twelve[12] = {};
    EXPECT_EQ(w.saveCalFile(1, "x", twelve, twelve), 1);
    EXPECT_EQ(w.deleteCalFile(1), 1);
    EXPECT_TRUE(w.colorMatrix().isEmpty());
    EXPECT_TRUE(w.rgbMatrix().isEmpty());
    for (const BlackMatrix &b :
         {w.ramBlackMatrix(), w.romBlackMatrix(), w.thermalCorrection(), w.calibrateBlack()}) {
        EXPECT_EQ(b.status, 1);
        EXPECT_EQ(b.thermal, 0.0);
        for (const auto &row : b.black)
            for (double v : row)
                EXPECT_EQ(v, 0.0);
    }
    EXPECT_TRUE(w.spectrum().isEmpty());
    // Setters and actions without a device are harmless.
    w.close();
    w.updateInfo();
    w.setAimingLight(true);
    w.setRange(3);
    w.setSpeed(1);
    w.startMeasuring();
    w.stopMeasuring();
    w.setGamutSpec(GamutSpec::standardSpec(1));
    w.stopFlicker();
    w.setCalFile(2);
}

TEST(Wrapper, NeutralWithoutAnAddressAndWithAnEmptyVariable) {
    GenMeasurePntWrapper unset;
    expectNeutral(unset);

    GenMeasure *variable = nullptr;
    GenMeasurePntWrapper empty;
    empty.setDeviceAddress(&variable);
    expectNeutral(empty);
}

TEST(Wrapper, ForwardsEveryOperationToTheDeviceHeldAtCallTime) {
    GenMeasure *variable = nullptr;
    GenMeasurePntWrapper w;
    w.setDeviceAddress(&variable);
    EXPECT_EQ(w.maxAverage(), 1);

    FakeMeter meter;
    variable = &meter; // no refresh needed for calls
    EXPECT_EQ(w.device(), &meter);
    EXPECT_EQ(w.manufacturer(), "Fake Works");
    EXPECT_EQ(w.model(), "FM-1");
    EXPECT_EQ(w.serialNumber(), "FM1-0042");
    EXPECT_EQ(w.portName(), "/dev/fake0");
    EXPECT_EQ(w.deviceType(), CS2000Device);
    EXPECT_TRUE(w.isConnected());
    EXPECT_TRUE(w.open("/dev/y"));
    EXPECT_EQ(w.range(), 4);
    EXPECT_TRUE(w.isMeasuring());
    EXPECT_EQ(w.measure(6).avgCount, 6);
    EXPECT_EQ(w.measure(6).errorCode, 0u);
    EXPECT_EQ(w.calFileList().size(), 2);
    EXPECT_EQ(w.gamutSpec().standard, 4);
    EXPECT_TRUE(w.isFlickering());
    EXPECT_EQ(w.startFlicker(true), 0);
    EXPECT_TRUE(w.setFlickerOptionA(false));
    EXPECT_TRUE(w.setFlickerOptionB(true));
    EXPECT_EQ(w.setFlickerSamples(1024), 0);
    EXPECT_EQ(w.flickerSamples(), 512);
    EXPECT_EQ(w.setNormalized(1), 7);
    EXPECT_EQ(w.setJeita(0), 8);
    EXPECT_TRUE(w.setJeitaDiscountDb(false));
    EXPECT_TRUE(w.setJeitaDiscountPercent(true));
    EXPECT_EQ(w.normalized(), 1);
    EXPECT_EQ(w.jeita(), 1);
    EXPECT_TRUE(w.jeitaDiscountDb());
    EXPECT_TRUE(w.jeitaDiscountPercent());
    EXPECT_EQ(w.calFileIndex(), 5);
    EXPECT_EQ(w.calFileName(), "Studio");
    const double twelve[12] = {};
    EXPECT_EQ(w.saveCalFile(3, "Mine", twelve, twelve), 0);
    EXPECT_EQ(w.deleteCalFile(3), 0);
    EXPECT_EQ(w.colorMatrix()(1, 1), 2.0);
    EXPECT_EQ(w.rgbMatrix()(2, 0), 3.0);
    EXPECT_EQ(w.ramBlackMatrix().thermal, 1.0);
    EXPECT_EQ(w.romBlackMatrix().thermal, 2.0);
    EXPECT_EQ(w.thermalCorrection().black[2][1], 3.0);
    EXPECT_EQ(w.calibrateBlack().thermal, 4.0);
    EXPECT_EQ(w.spectrum().size(), 3);

    w.updateInfo();
    w.setAimingLight(true);
    w.setRange(2);
    w.setSpeed(1);
    w.startMeasuring();
    w.stopMeasuring();
    w.setGamutSpec(GamutSpec::standardSpec(3));
    w.stopFlicker();
    w.setCalFile(9);
    w.close();
    EXPECT_EQ(meter.calls, QStringList({"open /dev/y", "flicker 1",    "optionA 0",
                                        "optionB 1",   "samples 1024", "normalized 1",
                                        "jeita 0",     "discountDb 0", "discountPercent 1",
                                        "save 3 Mine", "delete 3",     "updateInfo",
                                        "aim 1",       "range 2",      "speed 1",
                                        "start",       "stop",         "gamut 3",
                                        "stopFlicker", "calFile 9",    "close"}));

    variable = nullptr;
    EXPECT_EQ(w.model(), "");
}

TEST(Wrapper, SaveAndRestoreOfTheAveragingCountReachesTheDevice) {
    FakeMeter meter;
    GenMeasure *variable = &meter;
    GenMeasurePntWrapper w;
    w.setDeviceAddress(&variable);
    // A caller that borrows the device for a batch and puts the count back.
    const int saved = w.maxAverage();
    EXPECT_EQ(saved, 12);
    w.setMaxAverage(1);
    EXPECT_EQ(meter.maxAverage(), 1);
    w.setMaxAverage(saved);
    EXPECT_EQ(meter.maxAverage(), 12);
}

TEST(Wrapper, RelaysTheCurrentDevicesSignalsOnceAndNoOtherDevices) {
    FakeMeter first;
    FakeMeter second;
    GenMeasure *variable = nullptr;
    GenMeasurePntWrapper w;
    w.setDeviceAddress(&variable);

    QSignalSpy closed(&w, &GenDevice::closed);
    QSignalSpy connected(&w, &GenDevice::connected);
    QSignalSpy measured(&w, &GenMeasure::measured);
    QSignalSpy flickered(&w, &GenMeasure::flickered);
    QSignalSpy calfile(&w, &GenMeasure::calfileChanged);

    w.refresh(); // no device: announces closed()
    EXPECT_EQ(closed.count(), 1);

    variable = &first;
    w.refresh();
    w.refresh(); // a menu refreshes often; the relay must not double
    emit first.connected();
    Measurement m = Measurement::fromxyY(0.3, 0.3, 5);
    emit first.measured(m);
    Flicker f;
    f.y = 7;
    emit first.flickered(f);
    emit first.calfileChanged();
    EXPECT_EQ(connected.count(), 1);
    ASSERT_EQ(measured.count(), 1);
    EXPECT_DOUBLE_EQ(measured.at(0).at(0).value<Measurement>().bigY, 5.0);
    ASSERT_EQ(flickered.count(), 1);
    EXPECT_DOUBLE_EQ(flickered.at(0).at(0).value<Flicker>().y, 7.0);
    EXPECT_EQ(calfile.count(), 1);
    first.close();
    EXPECT_EQ(closed.count(), 2);

    // A second address request while a device is held only refreshes.
    GenMeasure *elsewhere = &second;
    w.setDeviceAddress(&elsewhere);
    EXPECT_EQ(w.device(), &first);

    variable = &second;
    w.refresh();
    emit first.measured(m); // no longer the wrapper's device
    emit second.measured(m);
    EXPECT_EQ(measured.count(), 2);

    variable = nullptr;
    w.refresh();
    EXPECT_EQ(closed.count(), 3);
    emit second.measured(m);
    EXPECT_EQ(measured.count(), 2);
}

// Emitted on a plain thread, received on the GUI thread: only registered
// records survive the queued hop.
class Emitter : public QObject {
    Q_OBJECT
signals:
    void flicker(const Flicker &f);
    void entry(const ConnectionInfo &e);
    void kind(DeviceType t);
};

TEST(MetaTypes, RecordsCrossThreadsInQueuedSignals) {
    registerDeviceMetaTypes();
    Emitter e;
    Flicker got;
    ConnectionInfo gotEntry;
    DeviceType gotType = NoDevice;
    int arrived = 0;
    QObject receiver;
    QObject::connect(&e, &Emitter::flicker, &receiver, [&](const Flicker &f) {
        got = f;
        ++arrived;
    });
    QObject::connect(&e, &Emitter::entry, &receiver, [&](const ConnectionInfo &i) {
        gotEntry = i;
        ++arrived;
    });
    QObject::connect(&e, &Emitter::kind, &receiver, [&](DeviceType t) {
        gotType = t;
        ++arrived;
    });
    std::thread worker([&] {
        Flicker f;
        f.y = 12.5;
        f.range = 4;
        f.errorCode = 0x800000;
        emit e.flicker(f);
        ConnectionInfo i;
        i.port = "/dev/ttyUSB3";
        i.type = PR650Device;
        emit e.entry(i);
        emit e.kind(PatternGenerator);
    });
    worker.join();
    EXPECT_EQ(arrived, 0); // queued, not run on the worker
    QCoreApplication::processEvents();
    EXPECT_EQ(arrived, 3);
    EXPECT_DOUBLE_EQ(got.y, 12.5);
    EXPECT_EQ(got.range, 4);
    EXPECT_EQ(got.errorCode, 0x800000u);
    EXPECT_EQ(gotEntry.port, "/dev/ttyUSB3");
    EXPECT_EQ(gotEntry.type, PR650Device);
    EXPECT_EQ(gotType, PatternGenerator);
    EXPECT_NE(QMetaType::type("QMap<DeviceType,QList<ConnectionInfo> >"), 0);
}

#include "test_device_records.moc"
