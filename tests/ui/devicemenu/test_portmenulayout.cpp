// What a port menu lists for its masks, over plain lists, and how it labels
// a device.
#include "fakemeter.h"
#include "portmenulayout.h"
#include "qdeviceaction.h"
#include "qtprinters.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

ConnectionInfo entry(const QString &port, DeviceType type, GenFactory *f, bool connected = false,
                     const QString &model = "M", const QString &serial = "S") {
    ConnectionInfo e;
    e.port = port;
    e.type = type;
    e.factory = f;
    e.connected = connected;
    e.model = model;
    e.serialNumber = serial;
    return e;
}

QStringList ports(const QList<PortMenuItem> &items) {
    QStringList out;
    for (const PortMenuItem &i : items)
        out << (i.separator ? QString("|") : i.info.port);
    return out;
}

} // namespace

TEST(MenuLayout, TypesInAscendingOrderEachClosedBySeparator) {
    RolesFactory pattern(RolePattern, PatternGenerator);
    RolesFactory cs2000(RoleReference | RoleSpectral, CS2000Device);
    RolesFactory torva(RoleColorimeter | RoleReference, TorvaDevice);
    RolesFactory bm7(RoleReference, BM7Device);
    const QList<ConnectionInfo> entries = {
        entry("screen0", PatternGenerator, &pattern), entry("/dev/c", CS2000Device, &cs2000),
        entry("/dev/t1", TorvaDevice, &torva),        entry("/dev/busy", BusyPort, nullptr, true),
        entry("/dev/none", NoDevice, nullptr),        entry("/dev/b", BM7Device, &bm7),
        entry("/dev/t2", TorvaDevice, &torva),
    };
    const QList<PortMenuItem> all = portMenuLayout(entries, 0xff & ~RoleManual, 0, nullptr);
    EXPECT_EQ(ports(all), QStringList({"/dev/t1", "/dev/t2", "|", "/dev/b", "|", "/dev/c", "|",
                                       "screen0", "|"}));
    for (const PortMenuItem &i : all) {
        EXPECT_TRUE(i.enabled);
        EXPECT_FALSE(i.checked);
    }

    // The main window's colorimeter menu: colorimeters to pick, reference and
    // spectral devices greyed; pattern generators not at all.
    const QList<PortMenuItem> main =
        portMenuLayout(entries, RoleColorimeter, RoleReference | RoleSpectral, nullptr);
    EXPECT_EQ(ports(main), QStringList({"/dev/t1", "/dev/t2", "|", "/dev/b", "|", "/dev/c", "|"}));
    EXPECT_TRUE(main[0].enabled);
    EXPECT_FALSE(main[3].enabled);
    EXPECT_FALSE(main[5].enabled);

    EXPECT_TRUE(portMenuLayout(entries, 0, 0, nullptr).isEmpty());
}

TEST(MenuLayout, OpenDevicesAreCheckedAndOnlyTheMenusOwnIsSelectable) {
    RolesFactory torva(RoleColorimeter | RoleReference, TorvaDevice);
    FakeMeter mine; // port /dev/fake0, FM-1, FM1-0042
    const QList<ConnectionInfo> entries = {
        entry("/dev/fake0", TorvaDevice, &torva, true, "FM-1", "FM1-0042"),
        entry("/dev/other", TorvaDevice, &torva, true),
        entry("/dev/free", TorvaDevice, &torva, false),
    };
    const QList<PortMenuItem> items = portMenuLayout(entries, RoleColorimeter, 0, &mine);
    ASSERT_EQ(items.size(), 4);
    EXPECT_TRUE(items[0].checked);
    EXPECT_TRUE(items[0].enabled); // this menu's device
    EXPECT_TRUE(items[1].checked);
    EXPECT_FALSE(items[1].enabled); // open in another menu
    EXPECT_FALSE(items[2].checked);
    EXPECT_TRUE(items[2].enabled);

    // Greyed role: disabled, checked exactly when open.
    const QList<PortMenuItem> greyed = portMenuLayout(entries, 0, RoleReference, &mine);
    ASSERT_EQ(greyed.size(), 4);
    EXPECT_FALSE(greyed[0].enabled);
    EXPECT_TRUE(greyed[0].checked);
    EXPECT_FALSE(greyed[2].checked);
}

TEST(MenuLayout, ManualDevicesHaveTheirOwnSectionFirst) {
    RolesFactory manual(RoleManual, ManualDevice);
    RolesFactory torva(RoleColorimeter | RoleReference, TorvaDevice);
    FakeMeter manualOpen;
    manualOpen.port = "";
    const QList<ConnectionInfo> entries = {
        entry("/dev/t1", TorvaDevice, &torva),
        entry("", ManualDevice, &manual, true, "FM-1", "FM1-0042"),
    };
    // The profile window's reference menu (35).
    const QList<PortMenuItem> items =
        portMenuLayout(entries, RoleColorimeter | RoleReference | RoleManual, 0, &manualOpen);
    EXPECT_EQ(ports(items), QStringList({"", "|", "/dev/t1", "|"}));
    EXPECT_TRUE(items[0].checked);
    EXPECT_FALSE(items[0].enabled); // already this menu's device

    const QList<PortMenuItem> notHeld = portMenuLayout(entries, RoleManual, 0, nullptr);
    EXPECT_EQ(ports(notHeld), QStringList({"", "|"}));
    EXPECT_TRUE(notHeld[0].enabled);
    EXPECT_TRUE(notHeld[0].checked);

    // Without the manual bit the section is absent even with other bits.
    EXPECT_EQ(ports(portMenuLayout(entries, RoleColorimeter, 0, nullptr)),
              QStringList({"/dev/t1", "|"}));
}

TEST(DeviceLabel, ModelPaddedToTheNextMultipleOfEight) {
    ConnectionInfo e;
    e.model = "BM-7";
    e.serialNumber = "S1";
    EXPECT_EQ(deviceLabel(e), "BM-7    S1");
    e.model = "TV-40";
    e.serialNumber = "TV40-6012";
    EXPECT_EQ(deviceLabel(e), "TV-40   TV40-6012");
    e.model = "Manual ";
    e.serialNumber = "Entry";
    EXPECT_EQ(deviceLabel(e), "Manual  Entry");
    e.model = "CS-2000A"; // a full eight still gets a whole pad
    e.serialNumber = "7";
    EXPECT_EQ(deviceLabel(e), "CS-2000A        7");
    e.model = "";
    e.serialNumber = "";
    EXPECT_EQ(deviceLabel(e), "        ");

    QDeviceAction action(e);
    EXPECT_TRUE(action.isCheckable());
    QSignalSpy picked(&action, &QDeviceAction::Connected);
    action.activate(QAction::Trigger);
    ASSERT_EQ(picked.count(), 1);
    EXPECT_TRUE(picked.at(0).at(0).value<ConnectionInfo>().sameAction(e));
}
