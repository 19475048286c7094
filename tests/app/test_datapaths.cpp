// Where the shipped data is found: the source tree's data/ only from the
// build's own bin/, the installed share/tintwell relative to the program
// (a DESTDIR or moved tree) before the configured one, the override first,
// and nothing outside the data folder whatever the caller asks for.
#include "datapaths.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// A made-up machine: a source and build tree, an installed tree under a
// DESTDIR, the configured install folder and an override folder.
class DataTrees : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tmp_.valid());
        root_ = QString::fromStdString(tmp_.path());
        for (const char *dir :
             {"src/data/templates", "build/bin", "stage/usr/bin",
              "stage/usr/share/tintwell/templates", "usr/share/tintwell/templates",
              "usr/share/tintwell/batches", "override/templates", "elsewhere"})
            ASSERT_TRUE(QDir().mkpath(at(dir)));
        QFile batch(at("usr/share/tintwell/batches/default.cvs"));
        ASSERT_TRUE(batch.open(QIODevice::WriteOnly));
    }
    QString at(const QString &relative) const { return root_ + "/" + relative; }
    DataPlaces places(const QString &program, const QString &overrideDir = QString()) const {
        DataPlaces p;
        p.overrideDir = overrideDir.isEmpty() ? QString() : at(overrideDir);
        p.programDir = at(program);
        p.buildBinDir = at("build/bin");
        p.sourceDataDir = at("src/data");
        p.relativeData = "../share/tintwell";
        p.installDataDir = at("usr/share/tintwell");
        return p;
    }

    TempDir tmp_;
    QString root_;
};

TEST_F(DataTrees, EachWayOfRunningFindsItsOwnData) {
    const struct {
        const char *program;
        const char *overrideDir;
        const char *relative;
        DataKind kind;
        const char *expected; // relative to the made-up root; "" for none
    } cases[] = {
        // From the build tree: the source's data, not an installed copy.
        {"build/bin", "", "templates", DataKind::Folder, "src/data/templates"},
        // Installed under a DESTDIR: its own share, not the configured one.
        {"stage/usr/bin", "", "templates", DataKind::Folder, "stage/usr/share/tintwell/templates"},
        // Somewhere else: the configured install folder.
        {"elsewhere", "", "templates", DataKind::Folder, "usr/share/tintwell/templates"},
        {"build/bin", "override", "templates", DataKind::Folder, "override/templates"},
        // What the first places lack comes from the later ones.
        {"build/bin", "", "batches", DataKind::Folder, "usr/share/tintwell/batches"},
        {"stage/usr/bin", "", "batches/default.cvs", DataKind::File,
         "usr/share/tintwell/batches/default.cvs"},
        // A folder is no file and a file no folder.
        {"elsewhere", "", "batches/default.cvs", DataKind::Folder, ""},
        {"elsewhere", "", "templates", DataKind::File, ""},
        {"elsewhere", "", "missing", DataKind::Folder, ""},
        // Nothing outside the data folders, however it is asked for.
        {"elsewhere", "", "", DataKind::Folder, ""},
        {"elsewhere", "", "../tintwell/templates", DataKind::Folder, ""},
        {"elsewhere", "", "templates/../../tintwell/templates", DataKind::Folder, ""},
        {"elsewhere", "", "/usr/share/tintwell", DataKind::Folder, ""},
    };
    for (const auto &c : cases) {
        const QString found = resolveDataPath(places(c.program, c.overrideDir), c.relative, c.kind);
        const QString expected = *c.expected ? at(c.expected) : QString();
        EXPECT_EQ(found.toStdString(), expected.toStdString())
            << "run from " << c.program << ", asked for '" << c.relative << "'";
    }
}

TEST_F(DataTrees, AnInstalledProgramNeverReadsALeftoverSourceTree) {
    // The install's own folders are gone, the source tree is still there.
    ASSERT_TRUE(QDir(at("usr")).removeRecursively());
    ASSERT_TRUE(QDir(at("stage/usr/share")).removeRecursively());
    EXPECT_TRUE(resolveDataPath(places("stage/usr/bin"), "templates", DataKind::Folder).isEmpty());
}

TEST(DataDirectory, TheBuildFindsTheSourceTreesData) {
    // Without the override the test program, run from the build's bin/,
    // must find the source tree's data through the compiled-in places.
    const QByteArray saved = qgetenv("TINTWELL_DATA_DIR");
    if (saved.isEmpty())
        GTEST_SKIP() << "run through ctest, which names the source tree's data folder";
    qunsetenv("TINTWELL_DATA_DIR");
    const QString table = dataFile("cie1931_2deg_1nm.csv");
    qputenv("TINTWELL_DATA_DIR", saved);
    ASSERT_FALSE(table.isEmpty());
    EXPECT_EQ(
        QFileInfo(table).canonicalFilePath(),
        QFileInfo(QString::fromLocal8Bit(saved) + "/cie1931_2deg_1nm.csv").canonicalFilePath());
}

} // namespace
