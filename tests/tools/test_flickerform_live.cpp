// The flicker tool on the simulated colorimeter's stream: the strongest
// peak at the simulated frequency, flashes of known size and rate counted
// and measured, and the range-change and saturation lamps.
#include "devicetesting.h" // first: the simulator before any Qt header

#include "filebytes.h"
#include "flickerform.h"
#include "qdeviceaction.h"
#include "qledindicator.h"
#include "qportmenu.h"
#include "scripteddialogs.h"
#include "tempdir.h"

#include <QAction>
#include <QDateTime>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

class LiveFlickerTest : public ManagerTest {
protected:
    void SetUp() override {
        ManagerTest::SetUp();
        setExtraPorts({sim.port()});
        ASSERT_TRUE(scanNow());
        form = std::make_unique<FlickerForm>();
        form->setNow([this] { return QDateTime::currentMSecsSinceEpoch() + skipped; });
        QPortMenu *menu = form->colorimeterMenu();
        for (QDeviceAction *a : menu->deviceActions()) {
            if (a->info().port == sim.port())
                a->activate(QAction::Trigger);
        }
        ASSERT_TRUE(waitUntil([menu] { return menu->currentDevice() != nullptr; }));
        QObject::connect(form->device(), &GenMeasure::flickered, [this](const Flicker &) {
            ++records;
            lit.rangeChanged |= form->findChild<QLedIndicator *>("ledRangeChanged")->isChecked();
            lit.saturated |= form->findChild<QLedIndicator *>("ledOverSaturated")->isChecked();
        });
    }
    void TearDown() override {
        if (form && form->isFlickering())
            form->stopFlickering();
        form.reset();
        ManagerTest::TearDown();
    }
    bool startFlickering() {
        form->findChild<QPushButton *>("pushFlicker")->click();
        // Past the 4 s of settling at once.
        skipped = FlickerForm::settleMs;
        return form->isFlickering() && waitUntil([this] { return records > 20; });
    }

    SimColorimeter sim{"TV-40", 1.0}; // streams in real time
    ScriptedDialogs dialogs;
    std::unique_ptr<FlickerForm> form;
    int records = 0;
    qint64 skipped = 0; // ms added to the form's clock
    struct {
        bool rangeChanged = false;
        bool saturated = false;
    } lit;
};

} // namespace

TEST_F(LiveFlickerTest, StrongestPeakIsAtTheSimulatedFrequency) {
    ASSERT_EQ(sim.say("flicker sine 30 20").substr(0, 2), "ok");
    ASSERT_TRUE(startFlickering()) << dialogs.last().text.toStdString();
    const double bin = 384.0 / form->lastRecord().settings.sampleCount; // Hz
    ASSERT_TRUE(waitUntil([&] {
        return std::fabs(form->lastRecord().peaksPercent(0, 0) - 30) <= bin &&
               form->lastRecord().errorCode == 0;
    }));
    EXPECT_TRUE(form->findChild<QLineEdit *>("linePeakHz1")->text().startsWith("30"));
    EXPECT_EQ(dialogs.count(), 0);
}

TEST_F(LiveFlickerTest, FlashesOfKnownSizeAndRateAreCountedAndLogged) {
    // The range held, so a flash cannot switch it (which restarts the window),
    // and a threshold above the sensor's ringing after each flash.
    form->findChild<QAction *>("actionAuto_Lock_Range")->trigger();
    TempDir dir;
    ASSERT_TRUE(form->startLog(FlickerLogKind::Flashes,
                               QString::fromStdString(dir.file("flashes.csv")), 0, 1.0));
    ASSERT_TRUE(startFlickering());
    const FlashDetector &detector = form->flashDetector();
    // A full window of steady light first, then one flash of +50 % for
    // 100 ms every second.
    ASSERT_TRUE(waitUntil([&] { return detector.heldSpan() >= 3.9; }));
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(sim.say("flash 50 100").substr(0, 2), "ok");
        settle(1000);
    }
    ASSERT_TRUE(waitUntil([&] { return detector.positive().count >= 5; }, 5000))
        << detector.positive().count;
    settle(600);
    EXPECT_EQ(detector.positive().count, 5);
    EXPECT_EQ(detector.negative().count, 0) << detector.negative().mean;
    // 0.1 s x 50 %: the sensor's smoothing keeps the area.
    EXPECT_NEAR(detector.positive().mean, 5.0, 0.5);
    EXPECT_LT(detector.positive().deviation(), 0.5);
    EXPECT_EQ(form->findChild<QLineEdit *>("linePositiveCount")->text(), "5");

    form->stopFlickering();
    const QList<QByteArray> lines =
        fileBytes(QString::fromStdString(dir.file("flashes.csv"))).trimmed().split('\n');
    ASSERT_EQ(lines.size(), 1 + 5 + 4);
    EXPECT_EQ(lines.at(7), ",,Number of Flashes,5,0");
}

TEST_F(LiveFlickerTest, RangeChangeAndSaturationLightTheirLamps) {
    ASSERT_TRUE(startFlickering());
    EXPECT_FALSE(lit.rangeChanged || lit.saturated);
    ASSERT_EQ(sim.say("range 5").substr(0, 2), "ok");
    EXPECT_TRUE(waitUntil([this] { return lit.rangeChanged; }, 5000));
    ASSERT_EQ(sim.say("saturate on").substr(0, 2), "ok");
    EXPECT_TRUE(waitUntil([this] { return lit.saturated; }, 5000));
    EXPECT_TRUE(form->isFlickering()); // indicators never stop the stream
    EXPECT_EQ(dialogs.count(), 0);
}
