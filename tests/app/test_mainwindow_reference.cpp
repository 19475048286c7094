// The main window connects a simulated CS-2000 from its "Connect Reference"
// menu, names it in the status bar, and forgets it when it is closed. With
// TINTWELL_TEST_SCREENSHOT=path the connected window is saved as a picture.
#include "devicetesting.h" // first: the simulator before any Qt header

#include "windowtesting.h"

#include "mainwindow.h"
#include "qdeviceaction.h"
#include "qportmenu.h"

#include <QLabel>
#include <QSettings>
#include <QStatusBar>
#include <gtest/gtest.h>

namespace {

TEST(MainWindowReference, ConnectsASimulatedCS2000FromItsMenu) {
    isolatePortManager();
    TempDir dir;
    sim::SimulatorOptions o;
    o.dir = dir.path();
    o.colorimeter.timeScale = 0.05;
    sim::ReferenceConfig cs2000;
    cs2000.model = "CS-2000";
    cs2000.timeScale = 0;
    o.references.push_back(cs2000);
    sim::Simulator bench(o);
    std::string error;
    ASSERT_TRUE(bench.start(&error)) << error;
    const QString port = QString::fromStdString(dir.file("cs2000"));
    QSettings().setValue("checkCS2000", true);
    setExtraPorts({port});

    MainWindow window;
    window.resize(1400, 900);
    window.show();
    PortManager *manager = PortManager::instance();
    if (!manager->isScanning())
        manager->findPorts();
    QDeviceAction *entry = nullptr;
    ASSERT_TRUE(waitUntil(
        [&] {
            for (QDeviceAction *a : window.referenceMenu()->findChildren<QDeviceAction *>()) {
                if (a->info().port == port && a->isEnabled())
                    entry = a;
            }
            return entry != nullptr;
        },
        20000));
    // The colorimeter menu lists it greyed out: not a colorimeter.
    bool greyed = false;
    for (QDeviceAction *a : window.colorimeterMenu()->findChildren<QDeviceAction *>())
        greyed |= a->info().port == port && !a->isEnabled();
    EXPECT_TRUE(greyed);

    entry->trigger();
    auto statusText = [&] {
        QString all;
        for (QLabel *l : window.statusBar()->findChildren<QLabel *>())
            all += l->text() + "|";
        return all;
    };
    ASSERT_TRUE(
        waitUntil([&] { return statusText().contains("Reference: CS-2000 1001234"); }, 20000))
        << statusText().toStdString();
    EXPECT_EQ(window.referenceMenu()->device()->model(), "CS-2000");
    const QByteArray shot = qgetenv("TINTWELL_TEST_SCREENSHOT");
    if (!shot.isEmpty())
        window.grab().save(QString::fromLocal8Bit(shot));

    window.referenceMenu()->closePort();
    EXPECT_TRUE(waitUntil([&] { return !statusText().contains("Reference:"); }, 5000));
    setExtraPorts({});
    QSettings().remove("checkCS2000");
}

} // namespace
