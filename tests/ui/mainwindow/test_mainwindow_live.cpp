// End to end: a simulated colorimeter on a real pseudo-terminal, found by the
// port manager's scan, reconnected by the main window from "lastTDevice",
// measured live; the readouts follow a change of the simulated light, the
// aiming lights interrupt measuring, and an unplugged instrument is reported
// and released.
#include "devicetesting.h" // first: the simulator before any Qt header

#include "windowtesting.h"

#include "mainwindow.h"
#include "qgraphbox.h"
#include "qportmenu.h"
#include "scripteddialogs.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <gtest/gtest.h>

namespace {

double number(const QString &text) {
    return text.section(QLatin1Char(' '), 0, 0).toDouble();
}

class LiveWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        isolatePortManager();
        setExtraPorts({sim.port()});
        QSettings().setValue("mainwindow/lastTDevice", QStringLiteral("TV-40:") + sim.serial());
        QSettings().remove("mainwindow/lastCalIndex");
        window = std::make_unique<MainWindow>();
        window->show();
        // The manager outlives each test's window: after the process's first
        // scan a fresh window reconnects on the next one, as after a rescan.
        PortManager *manager = PortManager::instance();
        if (!manager->isScanning())
            manager->findPorts();
        // The scan finds the simulator and the window reconnects it.
        ASSERT_TRUE(waitUntil([this] { return window->isDemoReady(); }, 20000));
        measure = child<QPushButton>(window.get(), "pushMeasure");
    }
    void TearDown() override {
        window.reset();
        setExtraPorts({});
    }
    // Waits until the window shows x, y and Y: the simulated instrument has a
    // calibration error of its own, a few thousandths in x and y.
    bool shows(double x, double y, double bigY, int ms = 10000) {
        return waitUntil(
            [&] {
                return std::fabs(number(window->readoutText(0)) - x) <= 0.008 &&
                       std::fabs(number(window->readoutText(1)) - y) <= 0.008 &&
                       std::fabs(number(window->readoutText(2)) - bigY) <= 0.03 * bigY;
            },
            ms);
    }
    std::string seen() const {
        return (window->readoutText(0) + " " + window->readoutText(1) + " " +
                window->readoutText(2))
            .toStdString();
    }

    SimColorimeter sim{"TV-40"};
    ScriptedDialogs dialogs;
    std::unique_ptr<MainWindow> window;
    QPushButton *measure = nullptr;
};

} // namespace

TEST_F(LiveWindowTest, ReadoutsFollowTheSimulatedLight) {
    EXPECT_EQ(window->statusText(), "Connected to port to: TV-40");
    EXPECT_TRUE(child<QLineEdit>(window.get(), "lineCalFile")->text().startsWith("0: "));
    EXPECT_TRUE(window->colorimeterMenu()->currentDevice() != nullptr);

    measure->click();
    EXPECT_TRUE(measure->isChecked());
    ASSERT_EQ(sim.say("light xyY 0.3127 0.329 100").substr(0, 2), "ok");
    ASSERT_TRUE(shows(0.3127, 0.329, 100)) << seen();
    EXPECT_EQ(window->temperatureText().right(2), " K");

    ASSERT_EQ(sim.say("light xyY 0.64 0.33 30").substr(0, 2), "ok");
    ASSERT_TRUE(shows(0.64, 0.33, 30)) << seen();
    EXPECT_EQ(window->temperatureText(), "--"); // a red has no colour temperature
    const QPointF plotted =
        child<QGraphBox>(window.get(), "graphBox")->plots().value(0).points.value(0);
    EXPECT_NEAR(plotted.x(), number(window->readoutText(0)), 0.0006); // the point shown
    EXPECT_NEAR(plotted.y(), number(window->readoutText(1)), 0.0006);
    EXPECT_EQ(dialogs.count(), 0);

    measure->click();
    EXPECT_FALSE(measure->isChecked());
    EXPECT_FALSE(window->device()->isMeasuring());

    // Closing remembers the instrument for the next start.
    window->close();
    EXPECT_EQ(QSettings().value("mainwindow/lastTDevice").toString(),
              QStringLiteral("TV-40:") + sim.serial());
}

TEST_F(LiveWindowTest, AimingLightsInterruptMeasuring) {
    measure->click();
    ASSERT_TRUE(waitUntil([this] { return window->hasMeasurement(); })) << seen();
    child<QPushButton>(window.get(), "pushONAim")->click();
    // The command has no reply: the instrument acts on it a moment later.
    EXPECT_TRUE(waitUntil([this] { return sim.say("aim") == "ok on"; }, 3000));
    ASSERT_GE(dialogs.count(), 1);
    EXPECT_EQ(dialogs.last().title, "Aiming Lights");
    EXPECT_EQ(dialogs.last().text, "Measurement has been interrupted by aiming light activation.");
    EXPECT_FALSE(window->device()->isMeasuring());
    EXPECT_FALSE(measure->isChecked());

    child<QPushButton>(window.get(), "pushOFFAim")->click();
    EXPECT_TRUE(waitUntil([this] { return sim.say("aim") == "ok off"; }, 3000));
}

TEST_F(LiveWindowTest, UnpluggedInstrumentIsReportedAndReleased) {
    measure->click();
    ASSERT_TRUE(waitUntil([this] { return window->hasMeasurement(); })) << seen();
    ASSERT_EQ(sim.say("unplug").substr(0, 2), "ok");
    ASSERT_TRUE(waitUntil([this] { return !measure->isEnabled(); }, 15000));
    ASSERT_GE(dialogs.count(), 1);
    EXPECT_EQ(dialogs.last().title, "Measurement Error");
    EXPECT_TRUE(dialogs.last().text.contains("The Torva device has been unplugged\n"))
        << dialogs.last().text.toStdString();
    EXPECT_EQ(window->readoutText(0), "");
    EXPECT_EQ(window->colorimeterMenu()->currentDevice(), nullptr);
}
