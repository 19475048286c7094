// Where the shipped data is found: the source tree's data/ only from the
// build's own bin/, an installed share/tintwell beside the program (a DESTDIR
// or moved tree) before the configured one, and nothing outside the data.
#include "datapaths.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

TEST(DataPaths, EachWayOfRunningFindsItsOwnData) {
    TempDir tmp;
    const QString root = QString::fromStdString(tmp.path()) + "/";
    for (const char *dir :
         {"src/data/templates", "build/bin", "stage/usr/bin", "stage/usr/share/tintwell/templates",
          "usr/share/tintwell/batches", "usr/share/tintwell/templates", "elsewhere"})
        ASSERT_TRUE(QDir().mkpath(root + dir));
    QFile(root + "usr/share/tintwell/batches/default.cvs").open(QIODevice::WriteOnly);
    const DataPlaces made{"",
                          "",
                          root + "build/bin",
                          root + "src/data",
                          "../share/tintwell",
                          root + "usr/share/tintwell"};
    const struct {
        const char *program, *relative;
        DataKind kind;
        const char *expected; // "" for none
    } cases[] = {
        {"build/bin", "templates", DataKind::Folder, "src/data/templates"},
        {"stage/usr/bin", "templates", DataKind::Folder, "stage/usr/share/tintwell/templates"},
        {"elsewhere", "templates", DataKind::Folder, "usr/share/tintwell/templates"},
        {"build/bin", "batches/default.cvs", DataKind::File,
         "usr/share/tintwell/batches/default.cvs"},
        {"elsewhere", "batches/default.cvs", DataKind::Folder, ""},
        {"elsewhere", "", DataKind::Folder, ""},
        {"elsewhere", "templates/../../tintwell/templates", DataKind::Folder, ""},
        {"elsewhere", "/usr/share/tintwell", DataKind::Folder, ""},
    };
    for (const auto &c : cases) {
        DataPlaces p = made;
        p.programDir = root + c.program;
        EXPECT_EQ(resolveDataPath(p, c.relative, c.kind),
                  *c.expected ? root + c.expected : QString())
            << c.program << " asking for '" << c.relative << "'";
    }
    // An installed program never falls back on a source tree left behind.
    ASSERT_TRUE(QDir(root + "usr").removeRecursively());
    ASSERT_TRUE(QDir(root + "stage/usr/share").removeRecursively());
    DataPlaces installed = made;
    installed.programDir = root + "stage/usr/bin";
    EXPECT_EQ(resolveDataPath(installed, "templates", DataKind::Folder), QString());
}

TEST(DataPaths, TheBuildFindsTheSourceTreesData) {
    // Without the override, through the places compiled into this build.
    const QByteArray saved = qgetenv("TINTWELL_DATA_DIR");
    ASSERT_FALSE(saved.isEmpty()) << "ctest names the source tree's data folder";
    qunsetenv("TINTWELL_DATA_DIR");
    const QString table = dataFile("cie1931_2deg_1nm.csv");
    qputenv("TINTWELL_DATA_DIR", saved);
    EXPECT_EQ(QFileInfo(table).canonicalFilePath(),
              QFileInfo(saved + "/cie1931_2deg_1nm.csv").canonicalFilePath());
}
