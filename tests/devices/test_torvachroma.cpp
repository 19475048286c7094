// The colorimeter as a device of the framework, against the simulated
// instrument on a real pseudo-terminal: the factory's probe and create, the
// open/close announcements, records relayed to the GUI thread, a lost port
// announced once, and operations reaching the instrument.
#include "devicetesting.h"
#include "portlisting.h"
#include "qtprinters.h"
#include "torvachroma.h"
#include "torvafactory.h"

#include <QSignalSpy>
#include <QThread>
#include <gtest/gtest.h>

#include <memory>

namespace {

std::unique_ptr<TorvaChroma> openOn(SimColorimeter &sim) {
    auto d = std::make_unique<TorvaChroma>();
    EXPECT_TRUE(d->open(sim.port()));
    return d;
}

} // namespace

TEST(TorvaFactoryTest, ProbeIdentifiesAndCreateReturnsTheDeviceOpenOrNot) {
    SimColorimeter sim("TV-40");
    TorvaFactory f;
    ConnectionInfo info;
    info.port = sim.port();
    ASSERT_TRUE(f.probe(sim.port(), &info));
    EXPECT_EQ(info.model, "TV-40");
    EXPECT_EQ(info.serialNumber, sim.serial());
    EXPECT_EQ(info.type, TorvaDevice);
    EXPECT_FALSE(portIsHeld(sim.port())); // the probe leaves the port free

    std::unique_ptr<GenDevice> d(f.create(sim.port()));
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->factory, &f);
    EXPECT_TRUE(d->isConnected());
    EXPECT_EQ(d->manufacturer(), "Torva Instruments");
    EXPECT_TRUE(portIsHeld(sim.port())); // the open device owns its port
    QSignalSpy closed(d.get(), &GenDevice::closed);
    d->close();
    d->close();
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(portIsHeld(sim.port()));

    std::unique_ptr<GenDevice> none(f.create(sim.port() + "-missing"));
    EXPECT_FALSE(none->isConnected());
    sim.say("silence on");
    ConnectionInfo untouched;
    EXPECT_FALSE(f.probe(sim.port(), &untouched));
    EXPECT_EQ(untouched.type, NoDevice);
}

TEST(TorvaChromaTest, RecordsArriveQueuedOnTheReceiversThread) {
    SimColorimeter sim("TV-40");
    sim.scene().setXYZ(95, 100, 108);
    ASSERT_EQ(sim.say("flicker sine 30 20").rfind("ok", 0), 0u);
    auto d = openOn(sim);
    QObject receiver;
    QList<Measurement> readings;
    QList<Flicker> records;
    bool onGuiThread = true;
    QObject::connect(d.get(), &GenMeasure::measured, &receiver, [&](const Measurement &m) {
        onGuiThread = onGuiThread && QThread::currentThread() == receiver.thread();
        readings.append(m);
    });
    QObject::connect(d.get(), &GenMeasure::flickered, &receiver, [&](const Flicker &f) {
        onGuiThread = onGuiThread && QThread::currentThread() == receiver.thread();
        records.append(f);
    });
    d->startMeasuring();
    ASSERT_TRUE(waitUntil([&] { return readings.size() >= 3; }, 5000));
    d->stopMeasuring();
    EXPECT_NEAR(readings.last().bigY, 100, 2);
    ASSERT_EQ(d->startFlicker(true), 0);
    EXPECT_TRUE(d->isFlickering());
    ASSERT_TRUE(waitUntil([&] { return records.size() >= 3; }, 10000));
    d->stopFlicker();
    EXPECT_FALSE(d->isFlickering());
    EXPECT_TRUE(onGuiThread);
    EXPECT_EQ(records.last().errorCode & 0x7u, 0u);
    EXPECT_EQ(records.last().signalCounts.rows(), d->flickerSamples());
    EXPECT_EQ(d->measure(1).errorCode & 0x7u, 0u); // the port is back to commands
}

TEST(TorvaChromaTest, AnIdleUnpluggedInstrumentIsAnnouncedOnceWhenAsked) {
    // Unplugged while measuring: see the port menu's test.
    SimColorimeter sim;
    auto d = openOn(sim);
    QSignalSpy closed(d.get(), &GenDevice::closed);
    EXPECT_EQ(sim.say("unplug"), "ok colorimeter unplugged");
    EXPECT_FALSE(d->isConnected()); // found by the next question
    EXPECT_FALSE(d->isConnected());
    d->close();
    settle(100);
    EXPECT_EQ(closed.count(), 1);
}

TEST(TorvaChromaTest, OperationsReachTheInstrument) {
    SimColorimeter sim("TV-40");
    sim.scene().setXYZ(95, 100, 108);
    auto d = openOn(sim);
    EXPECT_TRUE(d->setMaxAverage(8));
    EXPECT_EQ(d->maxAverage(), 8);
    d->setRange(5);
    EXPECT_EQ(sim.colorimeter().rangeMode(), 5);
    d->setRange(-1);
    EXPECT_NEAR(d->measure(1).bigY, 100, 2);

    const GamutSpec dci = GamutSpec::standardSpec(5, 48);
    d->setGamutSpec(dci);
    EXPECT_EQ(d->measure(1).gamutSpec.standard, 5);
    EXPECT_DOUBLE_EQ(d->rgbMatrix()(1, 2), dci.xyzToRgb[1][2]);
    EXPECT_EQ(d->setFlickerSamples(1000), 0x4000000);
    EXPECT_EQ(d->setFlickerSamples(64), 0);
    EXPECT_EQ(d->flickerSamples(), 64);
}

TEST(TorvaChromaTest, ProfileChangesAreAnnounced) {
    SimColorimeter sim("TV-40");
    auto d = openOn(sim);
    QSignalSpy changed(d.get(), &GenMeasure::calfileChanged);

    d->setCalFile(1);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(d->calFileIndex(), 1);
    EXPECT_EQ(d->calFileName(), "Studio D65");
    EXPECT_NE(d->colorMatrix()(0, 0), 1.0); // the slot's correction, not the identity
    d->setCalFile(1);
    EXPECT_EQ(changed.count(), 1);

    // Saving elsewhere and erasing another slot are quiet; erasing the one in
    // force falls back to the factory calibration and says so.
    const double set[12] = {95.05, 100,   108.9, 41.24, 21.26, 1.93,
                            35.76, 71.52, 11.92, 18.05, 7.22,  95.05};
    EXPECT_EQ(d->saveCalFile(7, "Bench", set, set), 0);
    EXPECT_EQ(d->calFileList().value(7), "7: Bench");
    EXPECT_EQ(d->deleteCalFile(7), 0);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(d->deleteCalFile(1), 0);
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(d->calFileIndex(), 0);
    EXPECT_EQ(d->calFileList().value(1), "1: Blank");
}

TEST(TorvaChromaTest, NoOpRequestsSendNothing) {
    SimColorimeter sim("T-40");
    auto d = openOn(sim);
    const uint64_t before = sim.colorimeter().repliesSent();
    // A factory calibration record is not written by this adapter.
    const double twelve[12] = {100, 100, 100, 40, 20, 2, 35, 70, 12, 18, 7, 95};
    const QList<QVector<double>> three = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
    EXPECT_EQ(d->saveCalFile(0, "Factory", twelve, twelve, three, true), 1);

    // A model without flicker streaming refuses before sending anything.
    EXPECT_EQ(d->startFlicker(true), 0x2000000);
    EXPECT_FALSE(d->isFlickering());

    settle(50);
    EXPECT_EQ(sim.colorimeter().repliesSent(), before);
    EXPECT_TRUE(d->isConnected());
}
