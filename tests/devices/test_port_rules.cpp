// The rules a scan applies, over plain lists: which enumerated and extra
// ports are probed or listed busy, and which kinds a scan offers.
#include "portlisting.h"
#include "portmanager.h"
#include "qtprinters.h"
#include "tempdir.h"

#include <QFile>
#include <QSettings>
#include <gtest/gtest.h>

namespace {

BusyTest noneHeld = [](const QString &) { return false; };

TEST(SelectPorts, NamesDifferingInAThreeCharacterPrefixAreProbedOnce) {
    // "cu.x" is seen as "x"; "tty.x" is remembered as ".x", which does not
    // stop a later "cu.x": the rule only looks back one way.
    const PortSelection s = selectPorts({{"cu.usbserial", "/dev/cu.usbserial", false},
                                         {"tty.usbserial", "/dev/tty.usbserial", false},
                                         {"ttyUSB0", "/dev/ttyUSB0", false},
                                         {"USB0", "/dev/USB0", false},
                                         {"COM3", "COM3", false},
                                         {"COM3", "COM3", false}},
                                        {}, noneHeld);
    EXPECT_EQ(s.toProbe, QStringList({"/dev/cu.usbserial", "/dev/ttyUSB0", "COM3"}));
    const PortSelection r = selectPorts({{"tty.usbserial", "/dev/tty.usbserial", false},
                                         {"cu.usbserial", "/dev/cu.usbserial", false}},
                                        {}, noneHeld);
    EXPECT_EQ(r.toProbe, QStringList({"/dev/tty.usbserial", "/dev/cu.usbserial"}));
}

TEST(SelectPorts, BusyPortsIncludingExtraOnesAreListedNotProbed) {
    TempDir dir;
    const QString a = QString::fromStdString(dir.file("a"));
    const QString b = QString::fromStdString(dir.file("b"));
    for (const QString &p : {a, b}) {
        QFile f(p);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    QStringList asked;
    BusyTest held = [&](const QString &p) {
        asked << p;
        return p == "/dev/ttyUSB1" || p == b;
    };
    const QString missing = QString::fromStdString(dir.file("gone"));
    const PortSelection s =
        selectPorts({{"ttyUSB0", "/dev/ttyUSB0", true}, {"ttyUSB1", "/dev/ttyUSB1", false}},
                    {a, missing, a, "/dev/ttyUSB1", b}, held);
    // Extra ports come last, once, only when they exist, and get the busy test too.
    EXPECT_EQ(s.toProbe, QStringList({a}));
    QStringList busy;
    for (const ConnectionInfo &e : s.busy)
        busy << e.port + (e.type == BusyPort ? "" : " not busy");
    EXPECT_EQ(busy, QStringList({"/dev/ttyUSB0", "/dev/ttyUSB1", b}));
    // Busy by the enumeration's own test: not opened again to find out.
    EXPECT_FALSE(asked.contains("/dev/ttyUSB0"));
}

TEST(ExtraPorts, SplitOnThePlatformsPathSeparator) {
#ifdef _WIN32
    EXPECT_EQ(parseExtraPorts("COM7;;\\\\.\\COM12;"), QStringList({"COM7", "\\\\.\\COM12"}));
#else
    EXPECT_EQ(parseExtraPorts("/tmp/sim/colorimeter::/dev/pts/4:"),
              QStringList({"/tmp/sim/colorimeter", "/dev/pts/4"}));
#endif
}

TEST(ScanSettings, TakenOnceInProbingOrder) {
    QSettings s;
    s.setValue("checkBM7", true);
    s.setValue("checkCS2000", true);
    const ScanSettings snapshot = ScanSettings::fromSettings();
    s.clear(); // a change after the snapshot does not reach the scan under way
    EXPECT_EQ(snapshot.serialKinds(), QStringList({"Torva Devices", "CS-2000", "BM7"}));
    EXPECT_FALSE(snapshot.patternGenerator);
    EXPECT_EQ(ScanSettings::fromSettings().serialKinds(), QStringList({"Torva Devices"}));
}

} // namespace
