// The CS-2000, PR-650 and BM-7 drivers end to end against their simulators
// on real pseudo-terminals: probe, open, identity, measurement and close for
// each; channels and the spectrum of the CS-2000; faults; scans listing each
// under its roles; and a colorimeter and a CS-2000 agreeing on one light.
#include "devicetesting.h"
// Simulator headers before Qt's (see devicetesting.h).
#include "cs2000sim.h"
#include "referencebench.h"

#include "cmf.h"

#include "bm7.h"
#include "cs2000.h"
#include "factories.h"
#include "pr650.h"
#include "torvachroma.h"

#include <QSettings>
#include <QSignalSpy>

#include <cmath>

namespace {

class ReferenceBench : public ManagerTest {
protected:
    void SetUp() override {
        ManagerTest::SetUp();
        bench = std::make_unique<sim::Simulator>(referenceBenchOptions(dir.path()));
        std::string error;
        ASSERT_TRUE(bench->start(&error)) << error;
    }
    void TearDown() override {
        bench.reset();
        ManagerTest::TearDown();
    }
    QString port(const char *name) const { return QString::fromStdString(dir.file(name)); }

    TempDir dir;
    std::unique_ptr<sim::Simulator> bench;
};

struct ModelCase {
    const char *kind; // factory name
    const char *port;
    DeviceType type;
    const char *model, *serial, *manufacturer;
    int roles;
};
const ModelCase modelCases[] = {
    {DeviceNames::cs2000, "cs2000", CS2000Device, "CS-2000", "1001234", "Konica Minolta",
     RoleReference | RoleSpectral},
    {DeviceNames::pr650, "pr650", PR650Device, "PR-650", "60951234", "Photo Research",
     RoleReference},
    {DeviceNames::bm7, "bm7", BM7Device, "BM-7", "unknown", "Topcon", RoleReference},
};

TEST_F(ReferenceBench, EachInstrumentProbesOpensMeasuresAndCloses) {
    bench->execute("light xyY 0.3127 0.329 80");
    for (const ModelCase &c : modelCases) {
        SCOPED_TRACE(c.kind);
        GenFactory *f = findFactory(c.kind);
        ASSERT_TRUE(f);
        EXPECT_EQ(f->roles(), c.roles);
        ConnectionInfo info;
        ASSERT_TRUE(f->probe(port(c.port), &info));
        EXPECT_EQ(info.model, c.model);
        EXPECT_EQ(info.serialNumber, c.serial);
        EXPECT_EQ(info.type, c.type);

        std::unique_ptr<GenMeasure> d(qobject_cast<GenMeasure *>(f->create(port(c.port))));
        ASSERT_TRUE(d && d->isConnected());
        EXPECT_EQ(d->manufacturer(), c.manufacturer);
        EXPECT_EQ(d->portName(), port(c.port));
        EXPECT_EQ(d->factory, f);
        const Measurement m = d->measure(1);
        EXPECT_EQ(m.errorCode & ~0x30u, 0u);
        // Through each instrument's own optics (the BM-7's filters err most).
        EXPECT_NEAR(m.bigY, 80, 0.8);
        EXPECT_NEAR(m.x, 0.3127, 0.003);

        QSignalSpy closed(d.get(), &GenDevice::closed);
        d->close();
        d->close();
        EXPECT_EQ(closed.count(), 1);
        EXPECT_FALSE(d->isConnected());
        EXPECT_EQ(d->model(), "");
        EXPECT_EQ(d->serialNumber(), "");
    }
}

TEST_F(ReferenceBench, AnInstrumentThatDoesNotIdentifyIsNotOpened) {
    const struct {
        std::function<GenMeasure *()> make;
        const char *wrongPort;
    } cases[] = {{[] { return new CS2000; }, "pr650"},
                 {[] { return new PR650; }, "bm7"},
                 {[] { return new BM7; }, "cs2000"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.wrongPort);
        std::unique_ptr<GenMeasure> d(c.make());
        QSignalSpy connected(d.get(), &GenDevice::connected);
        EXPECT_FALSE(d->open(port(c.wrongPort)));
        EXPECT_FALSE(d->isConnected());
        EXPECT_EQ(connected.count(), 0);
        EXPECT_FALSE(portIsHeld(port(c.wrongPort))); // closed again
    }
}

TEST_F(ReferenceBench, CS2000ChannelsWithBlanksAndSelection) {
    CS2000 d;
    ASSERT_TRUE(d.open(port("cs2000")));
    const QStringList list = d.calFileList();
    ASSERT_EQ(list.size(), 11);
    EXPECT_EQ(list[0], "0: Factory Cal File");
    EXPECT_EQ(list[2], "2: OLED Panel");
    EXPECT_EQ(list[3], "3: Blank");
    EXPECT_EQ(d.calFileIndex(), 0);

    QSignalSpy changed(&d, &GenMeasure::calfileChanged);
    d.setCalFile(2);
    EXPECT_EQ(d.calFileIndex(), 2);
    EXPECT_EQ(d.calFileName(), "OLED Panel");
    d.setCalFile(3); // blank: the instrument refuses it
    EXPECT_EQ(d.calFileIndex(), 2);
    d.setCalFile(2);
    EXPECT_EQ(changed.count(), 1);
    auto *cs = dynamic_cast<sim::CS2000Sim *>(bench->reference("cs2000"));
    ASSERT_TRUE(cs);
    EXPECT_EQ(cs->selectedChannel(), 2);

    d.close();
    EXPECT_EQ(d.calFileIndex(), 0);
    EXPECT_EQ(d.calFileName(), "");
    EXPECT_EQ(d.calFileList().value(5), "5: "); // no names once closed
}

TEST_F(ReferenceBench, CS2000SpectrumIntegratesToItsXYZ) {
    CS2000 d;
    ASSERT_TRUE(d.open(port("cs2000")));
    const struct {
        const char *light;
    } cases[] = {{"light xyY 0.3127 0.329 100"},
                 {"light xyY 0.64 0.33 21.26"},
                 {"light xyY 0.30 0.60 71.52"},
                 {"light xyY 0.15 0.06 7.22"},
                 {"light xyY 0.3127 0.329 0.5"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.light);
        bench->execute(c.light);
        const QList<double> s = d.spectrum();
        ASSERT_EQ(s.size(), 781);
        EXPECT_EQ(d.spectrumErrorCode(), 0u);
        EXPECT_EQ(s[379], 0.0);
        std::vector<double> visible(s.begin() + 380, s.end());
        double xyz[3];
        spectrumToXYZ(visible.data(), 380, 401, xyz);
        const Measurement m = d.measure(1);
        EXPECT_NEAR(xyz[0], m.bigX, 0.005 * m.bigX);
        EXPECT_NEAR(xyz[1], m.bigY, 0.005 * m.bigY);
        EXPECT_NEAR(xyz[2], m.bigZ, 0.005 * m.bigZ);
        for (double v : visible)
            ASSERT_GE(v, 0.0);
    }
}

TEST_F(ReferenceBench, FaultsShowInTheResult) {
    CS2000 d;
    ASSERT_TRUE(d.open(port("cs2000")));
    bench->execute("measure-error ER83"); // the angle selector moved while measuring
    const QList<double> s = d.spectrum();
    EXPECT_EQ(s.size(), 781);
    EXPECT_EQ(d.spectrumErrorCode(), 0x8u);
    EXPECT_EQ(s[555], 0.0);
    EXPECT_NE(d.lastProblem().indexOf("ER83"), -1);

    bench->execute("measure-error ER10");
    EXPECT_EQ(d.measure(1).errorCode, 0x8u); // code 8 alone: it may be retried
    EXPECT_NE(d.lastProblem().indexOf("ER10: over its measuring range"), -1);
    bench->execute("measure-error off");
    EXPECT_EQ(d.measure(1).errorCode & 0xFu, 0u);
    EXPECT_EQ(d.lastProblem(), "");

    PR650 p;
    ASSERT_TRUE(p.open(port("pr650")));
    bench->execute("garbage 3 pr650");
    EXPECT_EQ(p.measure(1).errorCode, 0x8u);
    bench->execute("garbage off pr650");

    BM7 b;
    ASSERT_TRUE(b.open(port("bm7")));
    QSignalSpy closed(&b, &GenDevice::closed);
    bench->execute("unplug bm7");
    EXPECT_EQ(b.measure(1).errorCode, 0x2u);
    EXPECT_FALSE(b.isConnected());
    EXPECT_FALSE(b.isConnected());
    EXPECT_EQ(closed.count(), 1);
}

TEST_F(ReferenceBench, ScanListsEachInstrumentUnderItsRoles) {
    QSettings settings;
    for (const char *key : {"checkCS2000", "checkPR650", "checkBM7"})
        settings.setValue(key, true);
    settings.sync();
    setExtraPorts({port("colorimeter"), port("cs2000"), port("pr650"), port("bm7")});
    ASSERT_TRUE(scanNow());
    for (const ModelCase &c : modelCases) {
        ConnectionInfo e;
        ASSERT_TRUE(findEntry(port(c.port), &e)) << c.port;
        EXPECT_EQ(e.type, c.type);
        ASSERT_TRUE(e.factory);
        EXPECT_EQ(e.factory->roles(), c.roles);
    }
    for (const char *key : {"checkCS2000", "checkPR650", "checkBM7"})
        settings.setValue(key, false);
    settings.sync();
    ASSERT_TRUE(scanNow());
    ConnectionInfo e;
    ASSERT_TRUE(findEntry(port("cs2000"), &e));
    EXPECT_EQ(e.type, NoDevice); // not probed for
}

TEST_F(ReferenceBench, TheCS2000ReadsTheLightAndTheColorimeterItsFilteredView) {
    bench->execute("light xyY 0.31 0.33 50");
    CS2000 reference;
    ASSERT_TRUE(reference.open(port("cs2000")));
    TorvaChroma colorimeter;
    ASSERT_TRUE(colorimeter.open(port("colorimeter")));
    const Measurement r = reference.measure(1);
    const Measurement c = colorimeter.measure(1);
    ASSERT_EQ(c.errorCode & 0x7u, 0u);
    // The CS-2000 reads the light; the colorimeter reads its spectrum through
    // its filters and factory calibration.
    const sim::Spectrum light = bench->scene().spectrum();
    const sim::Tristimulus t = bench->scene().light();
    const sim::Tristimulus f = sim::ColorimeterSim::factoryReading(light);
    const double truth[3] = {t.X, t.Y, t.Z}, filtered[3] = {f.X, f.Y, f.Z};
    const double measured[3] = {r.bigX, r.bigY, r.bigZ}, read[3] = {c.bigX, c.bigY, c.bigZ};
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(measured[i], truth[i], 0.002 * truth[i]) << i;
        EXPECT_NEAR(read[i], filtered[i], 0.002 * filtered[i]) << i;
    }
    const double sum = c.bigX + c.bigY + c.bigZ, refSum = r.bigX + r.bigY + r.bigZ;
    EXPECT_GT(std::hypot(c.bigX / sum - r.bigX / refSum, c.bigY / sum - r.bigY / refSum),
              0.0005); // the error is really there
}

} // namespace
