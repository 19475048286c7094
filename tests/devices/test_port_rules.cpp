// The rules a scan and a menu apply, over plain lists: which enumerated and
// extra ports are probed or listed busy, and what a menu lists for its masks.
#include "fakemeter.h"
#include "portlisting.h"
#include "portmenulayout.h"
#include "qtprinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

BusyTest noneHeld = [](const QString &) { return false; };

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

TEST(SelectPorts, NamesDifferingInAThreeCharacterPrefixAreProbedOnce) {
    // "cu.x" is seen as "x"; "tty.x" is remembered by its name minus three
    // characters, ".x", which does not stop a later "cu.x".
    const QList<SerialPortEntry> enumerated = {
        {"cu.usbserial", "/dev/cu.usbserial", false},
        {"tty.usbserial", "/dev/tty.usbserial", false},
        {"ttyUSB0", "/dev/ttyUSB0", false},
        {"USB0", "/dev/USB0", false},
        {"COM3", "COM3", false},
        {"COM3", "COM3", false}, // one port is never probed twice at once
    };
    const PortSelection s = selectPorts(enumerated, {}, noneHeld);
    EXPECT_EQ(s.toProbe, QStringList({"/dev/cu.usbserial", "/dev/ttyUSB0", "COM3"}));
    EXPECT_TRUE(s.busy.isEmpty());

    // The other order lets both through: the rule only looks back one way.
    const PortSelection r = selectPorts({{"tty.usbserial", "/dev/tty.usbserial", false},
                                         {"cu.usbserial", "/dev/cu.usbserial", false}},
                                        {}, noneHeld);
    EXPECT_EQ(r.toProbe, QStringList({"/dev/tty.usbserial", "/dev/cu.usbserial"}));
}

TEST(SelectPorts, BusyPortsAreListedNotProbed) {
    QStringList asked;
    BusyTest held = [&](const QString &p) {
        asked << p;
        return p == "/dev/ttyUSB1";
    };
    const PortSelection s = selectPorts({{"ttyUSB0", "/dev/ttyUSB0", true},
                                         {"ttyUSB1", "/dev/ttyUSB1", false},
                                         {"ttyUSB2", "/dev/ttyUSB2", false}},
                                        {}, held);
    EXPECT_EQ(s.toProbe, QStringList({"/dev/ttyUSB2"}));
    ASSERT_EQ(s.busy.size(), 2);
    for (const ConnectionInfo &b : s.busy) {
        EXPECT_EQ(b.type, BusyPort);
        EXPECT_TRUE(b.connected);
        EXPECT_EQ(b.model, "");
        EXPECT_EQ(b.serialNumber, "");
        EXPECT_EQ(b.factory, nullptr);
    }
    EXPECT_EQ(s.busy[0].port, "/dev/ttyUSB0");
    EXPECT_EQ(s.busy[1].port, "/dev/ttyUSB1");
    // Busy by the enumeration's own test: not opened again to find out.
    EXPECT_FALSE(asked.contains("/dev/ttyUSB0"));
}

TEST(SelectPorts, ExtraPortsComeLastOnceAndOnlyWhenTheyExist) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString a = dir.filePath("a");
    const QString b = dir.filePath("b");
    for (const QString &p : {a, b}) {
        QFile f(p);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    const QString missing = dir.filePath("gone");
    BusyTest held = [&](const QString &p) { return p == b; };
    const PortSelection s =
        selectPorts({{"ttyUSB0", "/dev/ttyUSB0", false}}, {a, missing, a, "/dev/ttyUSB0", b}, held);
    EXPECT_EQ(s.toProbe, QStringList({"/dev/ttyUSB0", a}));
    ASSERT_EQ(s.busy.size(), 1);
    EXPECT_EQ(s.busy[0].port, b);
}

TEST(ExtraPorts, SplitOnThePlatformsPathSeparator) {
#ifdef _WIN32
    EXPECT_EQ(parseExtraPorts("COM7;;\\\\.\\COM12;"), QStringList({"COM7", "\\\\.\\COM12"}));
#else
    EXPECT_EQ(parseExtraPorts("/tmp/sim/colorimeter::/dev/pts/4:"),
              QStringList({"/tmp/sim/colorimeter", "/dev/pts/4"}));
#endif
    EXPECT_TRUE(parseExtraPorts("").isEmpty());
}

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
