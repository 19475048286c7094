// The rules a scan applies, over plain lists: which enumerated and extra
// ports are probed or listed busy.
#include "portlisting.h"
#include "qtprinters.h"
#include "tempdir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

BusyTest noneHeld = [](const QString &) { return false; };

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
    TempDir dir;
    const QString a = QString::fromStdString(dir.file("a"));
    const QString b = QString::fromStdString(dir.file("b"));
    for (const QString &p : {a, b}) {
        QFile f(p);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    const QString missing = QString::fromStdString(dir.file("gone"));
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
