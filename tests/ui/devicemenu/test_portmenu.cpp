// Port menus against simulated colorimeters: listing by role, connecting in a
// pool thread and closing, a vanished or mute device, linked menus, and a
// colorimeter unplugged while measuring.
#include "devicetesting.h"

#include "qdeviceaction.h"
#include "qportmenu.h"
#include "qrescan.h"
#include "qtprinters.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

QStringList texts(const QPortMenu &menu) {
    QStringList out;
    for (QAction *a : menu.actions())
        out << (a->isSeparator() ? QString("|") : a->text());
    return out;
}

QDeviceAction *actionFor(const QPortMenu &menu, const QString &port) {
    for (QDeviceAction *a : menu.deviceActions()) {
        if (a->info().port == port)
            return a;
    }
    return nullptr;
}

// What a click does.
void click(QAction *a) {
    ASSERT_NE(a, nullptr);
    a->activate(QAction::Trigger);
}

} // namespace

class PortMenuTest : public ManagerTest {
protected:
    void SetUp() override {
        ManagerTest::SetUp();
        setExtraPorts({sim.port()});
        ASSERT_TRUE(scanNow());
    }
    // Opens the simulator's colorimeter from the menu and waits for it.
    void connectFrom(QPortMenu &menu) {
        click(actionFor(menu, sim.port()));
        ASSERT_TRUE(waitUntil([&] { return menu.currentDevice() != nullptr; }, 10000));
    }

    SimColorimeter sim{"TV-40"};
};

TEST_F(PortMenuTest, ListsDevicesForItsMasksAndRescans) {
    QPortMenu menu; // built by the first mask or the next scan
    EXPECT_TRUE(menu.actions().isEmpty());
    menu.setEnabledMask(RoleColorimeter);
    EXPECT_EQ(texts(menu),
              QStringList({"Rescan Devices", "Close Device", "|", "TV-40   TV40-6012", "|"}));
    click(menu.rescanAction()); // only the fixed entries until the scan ends, with the spinner
    EXPECT_EQ(texts(menu), QStringList({"Rescan Devices", "Close Device"}));
    EXPECT_TRUE(menu.rescanAction()->isLoading());
    ASSERT_TRUE(waitUntil([&] { return !manager->isScanning(); }));
    EXPECT_FALSE(menu.rescanAction()->isLoading());
    EXPECT_NE(actionFor(menu, sim.port()), nullptr);
}

TEST_F(PortMenuTest, ConnectsInAPoolThreadAndCloses) {
    QPortMenu menu;
    menu.setEnabledMask(RoleColorimeter);
    GenMeasurePntWrapper *w = menu.device();
    QSignalSpy wrapperConnected(w, &GenDevice::connected);
    QSignalSpy wrapperClosed(w, &GenDevice::closed);
    QSignalSpy starting(&menu, &QPortMenu::startingConnection);

    QDeviceAction *a = actionFor(menu, sim.port());
    click(a);
    EXPECT_TRUE(menu.isConnecting());
    EXPECT_EQ(starting.count(), 1);
    EXPECT_TRUE(a->isLoading());
    EXPECT_TRUE(a->signalsBlocked()); // clicks are ignored meanwhile
    ASSERT_TRUE(waitUntil([&] { return menu.currentDevice() != nullptr; }, 10000));

    EXPECT_GE(wrapperConnected.count(), 1);
    EXPECT_EQ(w->serialNumber(), sim.serial());
    a = actionFor(menu, sim.port());
    ASSERT_NE(a, nullptr);
    EXPECT_TRUE(a->isChecked() && !a->isLoading() && !a->signalsBlocked());

    const int closedBefore = wrapperClosed.count();
    click(menu.closeAction());
    EXPECT_EQ(menu.currentDevice(), nullptr);
    EXPECT_GT(wrapperClosed.count(), closedBefore);
    EXPECT_TRUE(menu.closeAction()->isChecked());
    EXPECT_TRUE(manager->openDevices().isEmpty());
    settle(50);
    EXPECT_FALSE(portIsHeld(sim.port()));
}

TEST_F(PortMenuTest, AMuteOrVanishedDeviceResetsTheMenu) {
    QPortMenu menu;
    menu.setEnabledMask(RoleColorimeter);
    sim.say("silence on");
    click(actionFor(menu, sim.port()));
    EXPECT_TRUE(menu.isConnecting());
    ASSERT_TRUE(waitUntil([&] { return !menu.isConnecting(); }, 10000));
    EXPECT_EQ(menu.currentDevice(), nullptr);
    QDeviceAction *a = actionFor(menu, sim.port());
    ASSERT_NE(a, nullptr);
    EXPECT_FALSE(a->isChecked() || a->isLoading() || a->signalsBlocked());
    sim.say("silence off"); // the next click works
    connectFrom(menu);
    click(menu.closeAction());

    sim.say("unplug");
    click(actionFor(menu, sim.port()));
    EXPECT_FALSE(menu.isConnecting());
    EXPECT_EQ(actionFor(menu, sim.port()), nullptr); // its entry was dropped
    EXPECT_TRUE(menu.closeAction()->isChecked());
    for (QAction *action : menu.actions())
        EXPECT_FALSE(action->signalsBlocked());
}

TEST_F(PortMenuTest, LinkedMenusMirrorEachOther) {
    QPortMenu main;
    main.setEnabledMask(RoleColorimeter);
    main.setDisabledMask(RoleReference | RoleSpectral);
    QPortMenu tool;
    tool.linkTo(&main);
    EXPECT_EQ(tool.disabledMask(), RoleReference | RoleSpectral);

    // Connecting in one shows the spinner in both, then the device in both.
    click(actionFor(main, sim.port()));
    ASSERT_NE(actionFor(tool, sim.port()), nullptr);
    EXPECT_TRUE(actionFor(tool, sim.port())->isLoading());
    ASSERT_TRUE(waitUntil([&] { return main.currentDevice() != nullptr; }, 10000));
    EXPECT_EQ(tool.currentDevice(), main.currentDevice());
    EXPECT_TRUE(actionFor(tool, sim.port())->isChecked());

    // Closing in the linked menu clears the other.
    QSignalSpy mainClosed(main.device(), &GenDevice::closed);
    click(tool.closeAction());
    EXPECT_EQ(tool.currentDevice(), nullptr);
    EXPECT_EQ(main.currentDevice(), nullptr);
    EXPECT_GE(mainClosed.count(), 1);

    // A menu linked to one that already holds a device takes it at once.
    connectFrom(main);
    QPortMenu late;
    QSignalSpy lateConnected(late.device(), &GenDevice::connected);
    late.linkTo(&main);
    EXPECT_EQ(late.currentDevice(), main.currentDevice());
    EXPECT_GE(lateConnected.count(), 1);
}

TEST_F(PortMenuTest, UnpluggedWhileMeasuringTheMenuReturnsToNoDevice) {
    QPortMenu menu;
    menu.setEnabledMask(RoleColorimeter);
    connectFrom(menu);
    GenMeasurePntWrapper *w = menu.device();
    QSignalSpy deviceClosed(menu.currentDevice(), &GenDevice::closed);
    QList<uint32_t> codes;
    QObject::connect(w, &GenMeasure::measured, &menu,
                     [&](const Measurement &m) { codes.append(m.errorCode); });
    w->startMeasuring();
    ASSERT_TRUE(waitUntil([&] { return !codes.isEmpty(); }, 5000));

    sim.say("unplug");
    ASSERT_TRUE(waitUntil([&] { return menu.currentDevice() == nullptr; }, 5000));
    EXPECT_TRUE(codes.last() & 0x1u); // the window hears why first
    EXPECT_EQ(deviceClosed.count(), 1);
    EXPECT_TRUE(manager->openDevices().isEmpty());
    settle(100);
    // Its entry no longer claims the port, so once back it can be picked again.
    ConnectionInfo e;
    ASSERT_TRUE(findEntry(sim.port(), &e));
    EXPECT_FALSE(e.connected);
    ASSERT_EQ(sim.say("replug"), "ok colorimeter " + sim.port().toStdString());
    ASSERT_TRUE(scanNow());
    connectFrom(menu);
    EXPECT_TRUE(w->isConnected());
}
