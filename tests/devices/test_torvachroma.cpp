// The colorimeter as a device of the framework, against the simulated
// instrument on a real pseudo-terminal: the factory's probe and create, the
// open/close announcements, records relayed to the GUI thread, a lost port
// announced once, and operations reaching the instrument.
#include "devicetesting.h"
#include "portlisting.h"
#include "qtclmtr.h"
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

TEST(TorvaFactoryTest, ProbeIdentifiesAndLeavesThePortFree) {
    SimColorimeter sim("TV-40");
    TorvaFactory f;
    ConnectionInfo info;
    info.port = sim.port();
    ASSERT_TRUE(f.probe(sim.port(), &info));
    EXPECT_EQ(info.model, "TV-40");
    EXPECT_EQ(info.serialNumber, sim.serial());
    EXPECT_EQ(info.type, TorvaDevice);
    EXPECT_EQ(info.port, sim.port());
    EXPECT_FALSE(portIsHeld(sim.port()));

    ConnectionInfo untouched;
    untouched.model = "kept";
    EXPECT_FALSE(f.probe(sim.port() + "-missing", &untouched));
    EXPECT_EQ(untouched.model, "kept");
    EXPECT_EQ(untouched.type, NoDevice);

    sim.say("silence on");
    EXPECT_FALSE(f.probe(sim.port(), &untouched));
    EXPECT_EQ(untouched.type, NoDevice);
}

TEST(TorvaFactoryTest, CreateReturnsTheDeviceOpenOrNot) {
    SimColorimeter sim("T-40");
    TorvaFactory f;
    std::unique_ptr<GenDevice> d(f.create(sim.port()));
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->factory, &f);
    EXPECT_TRUE(d->isConnected());
    EXPECT_EQ(d->model(), "T-40");
    EXPECT_EQ(d->serialNumber(), sim.serial());
    EXPECT_EQ(d->portName(), sim.port());
    EXPECT_EQ(d->manufacturer(), "Torva Instruments");
    EXPECT_EQ(d->deviceType(), TorvaDevice);
    EXPECT_TRUE(portIsHeld(sim.port())); // the open device owns its port

    std::unique_ptr<GenDevice> none(f.create(sim.port() + "-missing"));
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none->factory, &f);
    EXPECT_FALSE(none->isConnected());
    QSignalSpy closed(none.get(), &GenDevice::closed);
    none->close(); // never opened: nothing to announce
    EXPECT_EQ(closed.count(), 0);
}

TEST(TorvaChromaTest, OpenAnnouncesConnectedAndCloseAnnouncesOnce) {
    SimColorimeter sim;
    TorvaChroma d;
    QSignalSpy connected(&d, &GenDevice::connected);
    QSignalSpy closed(&d, &GenDevice::closed);
    EXPECT_FALSE(d.open(sim.port() + "-missing"));
    EXPECT_EQ(connected.count(), 0);
    d.close();
    EXPECT_EQ(closed.count(), 0);

    ASSERT_TRUE(d.open(sim.port()));
    EXPECT_EQ(connected.count(), 1);
    EXPECT_TRUE(d.clmtr()->isOpenFlag);
    d.close();
    d.close();
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(d.clmtr()->isOpenFlag);
    EXPECT_FALSE(d.isConnected());
    EXPECT_FALSE(portIsHeld(sim.port()));
}

TEST(TorvaChromaTest, ReadingsArriveQueuedOnTheReceiversThread) {
    SimColorimeter sim;
    sim.sim().scene().setXYZ(95, 100, 108);
    auto d = openOn(sim);
    QObject receiver;
    QList<Measurement> got;
    bool onGuiThread = true;
    QObject::connect(d.get(), &GenMeasure::measured, &receiver, [&](const Measurement &m) {
        onGuiThread = onGuiThread && QThread::currentThread() == receiver.thread();
        got.append(m);
    });
    d->startMeasuring();
    EXPECT_TRUE(d->isMeasuring());
    ASSERT_TRUE(waitUntil([&] { return got.size() >= 3; }, 5000));
    d->stopMeasuring();
    EXPECT_FALSE(d->isMeasuring());
    EXPECT_TRUE(onGuiThread);
    EXPECT_EQ(got.last().errorCode & 0x7u, 0u);
    EXPECT_NEAR(got.last().bigY, 100, 2);
}

TEST(TorvaChromaTest, UnpluggedWhileMeasuringAnnouncesClosedOnce) {
    SimColorimeter sim;
    auto d = openOn(sim);
    QSignalSpy closed(d.get(), &GenDevice::closed);
    QList<uint32_t> codes;
    QObject::connect(d.get(), &GenMeasure::measured,
                     [&](const Measurement &m) { codes.append(m.errorCode); });
    d->startMeasuring();
    ASSERT_TRUE(waitUntil([&] { return !codes.isEmpty(); }, 5000));
    EXPECT_EQ(sim.say("unplug"), "ok colorimeter unplugged");
    // The worker's last record reports the lost port; the device then finds
    // out and announces it, after the record.
    ASSERT_TRUE(waitUntil([&] { return closed.count() > 0; }, 5000));
    ASSERT_FALSE(codes.isEmpty());
    EXPECT_TRUE(codes.last() & 0x1u);
    EXPECT_FALSE(d->isConnected());
    EXPECT_FALSE(d->isConnected());
    d->close();
    settle(100);
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(d->isMeasuring());
}

TEST(TorvaChromaTest, UnpluggedWhileIdleIsFoundByTheNextQuestion) {
    SimColorimeter sim;
    auto d = openOn(sim);
    QSignalSpy closed(d.get(), &GenDevice::closed);
    sim.say("unplug");
    EXPECT_FALSE(d->isConnected());
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(d->isConnected());
    d->close();
    EXPECT_EQ(closed.count(), 1);
}

TEST(TorvaChromaTest, OperationsReachTheInstrument) {
    SimColorimeter sim("TV-40");
    sim.sim().scene().setXYZ(95, 100, 108);
    auto d = openOn(sim);

    EXPECT_EQ(d->maxAverage(), 32);
    EXPECT_TRUE(d->setMaxAverage(8));
    EXPECT_EQ(d->maxAverage(), 8);
    EXPECT_FALSE(d->setMaxAverage(8));

    EXPECT_EQ(d->range(), -1);
    d->setRange(5);
    EXPECT_EQ(d->range(), 5);
    EXPECT_EQ(sim.instrument().rangeMode(), 5);
    d->setRange(-1);
    EXPECT_EQ(sim.instrument().rangeMode(), -1);

    // The lights' commands have no reply: the instrument acts a moment later.
    d->setAimingLight(true);
    EXPECT_TRUE(waitUntil([&] { return sim.say("aim") == "ok on"; }, 2000));
    d->setAimingLight(false);
    EXPECT_TRUE(waitUntil([&] { return sim.say("aim") == "ok off"; }, 2000));

    const Measurement m = d->measure(1);
    EXPECT_EQ(m.errorCode & 0x7u, 0u);
    EXPECT_NEAR(m.bigY, 100, 2);

    QSignalSpy specChanged(d->clmtr(), &QTClmtr::gamutSpecChanged);
    const GamutSpec dci = GamutSpec::standardSpec(5, 48);
    d->setGamutSpec(dci);
    EXPECT_EQ(specChanged.count(), 1);
    EXPECT_EQ(d->gamutSpec().standard, 5);
    EXPECT_EQ(d->measure(1).gamutSpec.standard, 5);
    const matrix rgb = d->rgbMatrix();
    ASSERT_EQ(rgb.rows(), 3);
    ASSERT_EQ(rgb.cols(), 3);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_DOUBLE_EQ(rgb(r, c), dci.xyzToRgb[r][c]);

    // The factory profile is in force after connecting.
    const QStringList labels = d->calFileList();
    ASSERT_EQ(labels.size(), 97);
    EXPECT_EQ(labels.first(), "0: Factory Cal File");
    EXPECT_EQ(d->calFileIndex(), 0);
    EXPECT_EQ(d->calFileName(), "Factory Cal File");
    const matrix identity = d->colorMatrix();
    ASSERT_EQ(identity.rows(), 3);
    EXPECT_EQ(identity(0, 0), 1.0);
    EXPECT_EQ(identity(0, 1), 0.0);

    // Flicker settings are kept by the library.
    EXPECT_EQ(d->setFlickerSamples(1000), 0x4000000);
    EXPECT_EQ(d->flickerSamples(), 256);
    EXPECT_EQ(d->setFlickerSamples(64), 0);
    EXPECT_EQ(d->flickerSamples(), 64);
    EXPECT_FALSE(d->setFlickerOptionA(false));
    EXPECT_TRUE(d->setFlickerOptionB(true));
    EXPECT_EQ(d->setNormalized(1), 1);
    EXPECT_EQ(d->normalized(), 1);
    EXPECT_EQ(d->setJeita(1), 1);
    EXPECT_EQ(d->jeita(), 1);
    EXPECT_FALSE(d->setJeitaDiscountDb(false));
    EXPECT_FALSE(d->jeitaDiscountDb());
    EXPECT_TRUE(d->setJeitaDiscountPercent(true));
    EXPECT_TRUE(d->jeitaDiscountPercent());
    EXPECT_FALSE(d->isFlickering());
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

    // Saving elsewhere keeps the selection and lists the new profile.
    const double set[12] = {95.05, 100,   108.9, 41.24, 21.26, 1.93,
                            35.76, 71.52, 11.92, 18.05, 7.22,  95.05};
    EXPECT_EQ(d->saveCalFile(7, "Bench", set, set), 0);
    EXPECT_EQ(d->calFileList().value(7), "7: Bench");
    EXPECT_EQ(changed.count(), 1);

    // Erasing another slot is quiet; erasing the one in force falls back to
    // the factory calibration and says so.
    EXPECT_EQ(d->deleteCalFile(7), 0);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(d->calFileList().value(7), "7: Blank");
    EXPECT_EQ(d->deleteCalFile(1), 0);
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(d->calFileIndex(), 0);
    EXPECT_EQ(d->calFileName(), "Factory Cal File");
    EXPECT_EQ(d->calFileList().value(1), "1: Blank");
}

TEST(TorvaChromaTest, FlickerRecordsArriveQueuedOnTheReceiversThread) {
    SimColorimeter sim("TV-40");
    sim.sim().scene().setXYZ(95, 100, 108);
    EXPECT_EQ(sim.say("flicker sine 30 20").rfind("ok", 0), 0u);
    auto d = openOn(sim);
    QObject receiver;
    QList<Flicker> got;
    bool onGuiThread = true;
    QObject::connect(d.get(), &GenMeasure::flickered, &receiver, [&](const Flicker &f) {
        onGuiThread = onGuiThread && QThread::currentThread() == receiver.thread();
        got.append(f);
    });
    ASSERT_EQ(d->startFlicker(true), 0);
    EXPECT_TRUE(d->isFlickering());
    ASSERT_TRUE(waitUntil([&] { return got.size() >= 3; }, 10000));
    d->stopFlicker();
    EXPECT_FALSE(d->isFlickering());
    EXPECT_TRUE(onGuiThread);
    EXPECT_EQ(got.last().errorCode & 0x7u, 0u);
    EXPECT_EQ(got.last().signalCounts.rows(), d->flickerSamples());
    EXPECT_TRUE(d->isConnected()); // the port is back to commands
    EXPECT_EQ(d->measure(1).errorCode & 0x7u, 0u);
}

TEST(TorvaChromaTest, NoOpRequestsSendNothing) {
    SimColorimeter sim("T-40");
    auto d = openOn(sim);
    QSignalSpy changed(d.get(), &GenMeasure::calfileChanged);
    const uint64_t before = sim.instrument().repliesSent();

    d->setCalFile(d->calFileIndex());
    EXPECT_EQ(changed.count(), 0);

    // A factory calibration record is not written by this adapter.
    const double twelve[12] = {100, 100, 100, 40, 20, 2, 35, 70, 12, 18, 7, 95};
    const QList<QVector<double>> three = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
    EXPECT_EQ(d->saveCalFile(0, "Factory", twelve, twelve, three, true), 1);

    // A model without flicker streaming refuses before sending anything.
    EXPECT_EQ(d->startFlicker(true), 0x2000000);
    EXPECT_FALSE(d->isFlickering());

    settle(50);
    EXPECT_EQ(sim.instrument().repliesSent(), before);
    EXPECT_TRUE(d->isConnected());
}
