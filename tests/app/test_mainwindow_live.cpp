// End to end: simulated colorimeters on real pseudo-terminals, found by the
// port manager's scan and reconnected by the main window from "lastTDevice":
// live readouts, the profile remembered across windows, switching to another
// colorimeter in the menu, the aiming lights interrupting measuring, and the
// open tool windows following the colorimeter through an unplug, a replug
// and a reconnection.
#include "devicetesting.h" // first: the simulator before any Qt header

#include "windowtesting.h"

#include "createcal.h"
#include "mainwindow.h"
#include "qdeviceaction.h"
#include "qgraphbox.h"
#include "qportmenu.h"
#include "screencal.h"
#include "scripteddialogs.h"
#include "testcolorbatch.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <gtest/gtest.h>

#include <cmath>

namespace {

double number(const QString &text) {
    return text.section(QLatin1Char(' '), 0, 0).toDouble();
}

class LiveWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        isolatePortManager();
        setExtraPorts({sim.port(), other.port()});
        QSettings().setValue("mainwindow/lastTDevice", QStringLiteral("TV-40:") + sim.serial());
        QSettings().remove("mainwindow/lastCalIndex");
        openWindow();
    }
    void TearDown() override {
        window.reset();
        setExtraPorts({});
    }
    // A fresh window reconnects the remembered colorimeter after the next scan.
    void openWindow() {
        window = std::make_unique<MainWindow>();
        window->show();
        PortManager *manager = PortManager::instance();
        if (!manager->isScanning())
            manager->findPorts();
        ASSERT_TRUE(waitUntil([this] { return window->isDemoReady(); }, 20000));
        measure = child<QPushButton>(window.get(), "pushMeasure");
    }
    // The window shows x, y and Y; the simulated instrument has a calibration
    // error of its own, a few thousandths in x and y.
    bool shows(double x, double y, double bigY) {
        return waitUntil([&] {
            return std::fabs(number(window->readoutText(0)) - x) <= 0.008 &&
                   std::fabs(number(window->readoutText(1)) - y) <= 0.008 &&
                   std::fabs(number(window->readoutText(2)) - bigY) <= 0.03 * bigY;
        });
    }
    std::string seen() const {
        return (window->readoutText(0) + " " + window->readoutText(1) + " " +
                window->readoutText(2))
            .toStdString();
    }
    QString profileField() const { return child<QLineEdit>(window.get(), "lineCalFile")->text(); }

    SimColorimeter sim{"TV-40"};
    SimColorimeter other{"T-40"};
    ScriptedDialogs dialogs;
    std::unique_ptr<MainWindow> window;
    QPushButton *measure = nullptr;
};

} // namespace

TEST_F(LiveWindowTest, ReadoutsFollowTheSimulatedLight) {
    EXPECT_EQ(window->statusText(), "Connected to port to: TV-40");
    measure->click();
    EXPECT_TRUE(measure->isChecked());
    // What measuring greys out says why.
    auto *change = child<QPushButton>(window.get(), "pushChangeProfile");
    EXPECT_FALSE(change->isEnabled());
    EXPECT_EQ(change->toolTip(), "Stop measuring (Measure Color) to use this");
    ASSERT_EQ(sim.say("light xyY 0.64 0.33 30").substr(0, 2), "ok");
    ASSERT_TRUE(shows(0.64, 0.33, 30)) << seen();
    EXPECT_EQ(window->temperatureText(), "--"); // a red has no colour temperature
    const QPointF plotted =
        child<QGraphBox>(window.get(), "graphBox")->plots().value(0).points.value(0);
    EXPECT_NEAR(plotted.x(), number(window->readoutText(0)), 0.0006); // the point shown
    measure->click();
    EXPECT_FALSE(window->device()->isMeasuring());
    EXPECT_TRUE(change->isEnabled() && change->toolTip().isEmpty());
    EXPECT_EQ(dialogs.count(), 0);
    window->close(); // remembers the instrument for the next start
    EXPECT_EQ(QSettings().value("mainwindow/lastTDevice").toString(),
              QStringLiteral("TV-40:") + sim.serial());
}

TEST_F(LiveWindowTest, TheProfileInForceIsRememberedForTheNextWindow) {
    EXPECT_TRUE(profileField().startsWith("0: "));
    window->device()->setCalFile(1);
    EXPECT_EQ(profileField(), "1: Studio D65");
    EXPECT_EQ(QSettings().value("mainwindow/lastCalIndex").toInt(), 1);
    window.reset(); // closes the colorimeter
    openWindow();
    EXPECT_EQ(profileField(), "1: Studio D65");
    EXPECT_EQ(window->device()->calFileIndex(), 1);
}

TEST_F(LiveWindowTest, PickingAnotherColorimeterInTheMenuSwitchesToIt) {
    ASSERT_EQ(other.say("light xyY 0.3 0.6 50").substr(0, 2), "ok");
    QDeviceAction *second = nullptr;
    for (QDeviceAction *a : window->colorimeterMenu()->deviceActions())
        if (a->info().port == other.port())
            second = a;
    ASSERT_NE(second, nullptr);
    second->trigger();
    ASSERT_TRUE(waitUntil([this] { return window->device()->model() == "T-40"; }, 10000));
    ASSERT_TRUE(waitUntil([this] { return window->isDemoReady(); }));
    EXPECT_EQ(window->statusText(), "Connected to port to: T-40");
    EXPECT_FALSE(portIsHeld(sim.port())); // the first one was closed and let go
    EXPECT_EQ(PortManager::instance()->openDevices().size(), 1);
    measure->click();
    ASSERT_TRUE(shows(0.3, 0.6, 50)) << seen();
    measure->click();
    window->close();
    EXPECT_EQ(QSettings().value("mainwindow/lastTDevice").toString(),
              QStringLiteral("T-40:") + other.serial());
}

TEST_F(LiveWindowTest, AimingLightsInterruptMeasuring) {
    measure->click();
    ASSERT_TRUE(waitUntil([this] { return window->hasMeasurement(); })) << seen();
    child<QPushButton>(window.get(), "pushONAim")->click();
    // The command has no reply: the instrument acts on it a moment later.
    EXPECT_TRUE(waitUntil([this] { return sim.say("aim") == "ok on"; }, 3000));
    EXPECT_EQ(dialogs.last().title, "Aiming Lights");
    EXPECT_EQ(dialogs.last().text, "Measurement has been interrupted by aiming light activation.");
    EXPECT_FALSE(window->device()->isMeasuring());
    EXPECT_FALSE(measure->isChecked());
    child<QPushButton>(window.get(), "pushOFFAim")->click();
    EXPECT_TRUE(waitUntil([this] { return sim.say("aim") == "ok off"; }, 3000));
}

TEST_F(LiveWindowTest, OpenWindowsFollowTheColorimeterThroughUnplugAndReconnect) {
    for (const char *slot :
         {"on_actionCreate_Cal_File_triggered", "on_actionScreen_Calibration_triggered",
          "on_actionTest_Color_Batch_triggered"})
        ASSERT_TRUE(QMetaObject::invokeMethod(window.get(), slot)) << slot;
    auto *create = window->findChild<CreateCal *>();
    auto *screen = window->findChild<ScreenCal *>();
    auto *batch = window->findChild<TestColorBatch *>();
    ASSERT_TRUE(create && screen && batch);
    const QList<QPortMenu *> menus = {create->torvaMenu(), screen->portMenu(),
                                      batch->colorimeterMenu()};
    // What each window offers only with a colorimeter.
    auto ready = [&] {
        return child<QPushButton>(create, "pushTorvaMeasure")->isEnabled() &&
               child<QPushButton>(batch, "pushCalfile")->isEnabled() &&
               child<QLineEdit>(screen, "lineModel")->text().contains(sim.serial());
    };
    auto allHold = [&](GenMeasure *device) {
        for (QPortMenu *m : menus)
            if (m->currentDevice() != device)
                return false;
        return true;
    };
    ASSERT_TRUE(allHold(window->colorimeterMenu()->currentDevice()));
    EXPECT_TRUE(ready());

    measure->click(); // a measuring instrument notices its port go at once
    ASSERT_EQ(sim.say("unplug").substr(0, 2), "ok");
    ASSERT_TRUE(waitUntil([&] { return allHold(nullptr) && !window->isDemoReady(); }, 10000));
    EXPECT_FALSE(child<QPushButton>(create, "pushTorvaMeasure")->isEnabled());
    EXPECT_EQ(child<QLineEdit>(screen, "lineModel")->text(), "Not Connected");

    ASSERT_EQ(sim.say("replug").substr(0, 2), "ok");
    ASSERT_TRUE(scanNow());
    QDeviceAction *entry = nullptr;
    for (QDeviceAction *a : window->colorimeterMenu()->deviceActions())
        if (a->info().port == sim.port())
            entry = a;
    ASSERT_NE(entry, nullptr);
    entry->trigger(); // reconnected from the main window
    ASSERT_TRUE(waitUntil([this] { return window->isDemoReady(); }, 10000));
    GenMeasure *device = window->colorimeterMenu()->currentDevice();
    ASSERT_TRUE(waitUntil([&] { return allHold(device) && ready(); }, 5000));
    // Each window's own menu offers the device as its own: ticked, enabled,
    // and "Close Device" not ticked.
    for (QPortMenu *m : menus) {
        QDeviceAction *own = nullptr;
        for (QDeviceAction *a : m->deviceActions())
            if (a->info().port == sim.port())
                own = a;
        ASSERT_NE(own, nullptr);
        EXPECT_TRUE(own->isChecked() && own->isEnabled() && !own->isLoading());
        EXPECT_FALSE(m->closeAction()->isChecked());
    }
}
