#pragma once
// Where the data Tintwell ships lives: screen-calibration templates, the
// default test-colour batch and whatever else sits in the source tree's data/
// folder. One lookup for every part of the program, so the same code finds
// the data when run from a build tree and when installed.
//
//   QString dir = dataDirectory(QStringLiteral("templates"));  // data/templates
//   if (dir.isEmpty()) ... // nothing shipped under that name
//   QString batch = dataFile(QStringLiteral("batches/default.cvs"));
//
// Every file and folder under data/ is installed (new ones need no install
// rule), except the colour-matching table, which is compiled in.
//
// data/SUB in the source tree is installed as SHARE/tintwell/SUB (SHARE being
// CMAKE_INSTALL_FULL_DATADIR, /usr/share for the package). dataDirectory(SUB)
// returns the absolute path of the first of these folders that exists:
//   1. $TINTWELL_DATA_DIR/SUB, when the variable is set (tests point it at
//      the source tree's data/);
//   2. the source tree's data/SUB, only when the program runs from its build
//      tree's bin/ folder, so an installed program never reads a source tree
//      that happens to be left on the machine;
//   3. SHARE/tintwell/SUB found relative to the program (bin/../share/...), so
//      a tree installed under DESTDIR or moved elsewhere finds its own data;
//   4. SHARE/tintwell/SUB as configured at build time.
// It returns an empty string when none exists or SUB is not a plain relative
// path (empty, absolute, or climbing out with ".."). The folders are read-only
// for the user: files the user changes (a default batch of their own) belong
// under QStandardPaths::AppDataLocation, with the shipped copy as fallback.

#include <QString>
#include <QStringList>

QString dataDirectory(const QString &sub);

// The path of a shipped file, such as dataFile("batches/default.cvs"): the
// first candidate folder (in the order above) that holds it; empty if none.
QString dataFile(const QString &relative);

// The places the lookup tries, apart from the system so the order can be
// checked with made-up trees.
struct DataPlaces {
    QString overrideDir;    // $TINTWELL_DATA_DIR, empty when unset
    QString programDir;     // the running program's folder
    QString buildBinDir;    // the build tree's bin/ folder
    QString sourceDataDir;  // the source tree's data/ folder
    QString relativeData;   // from the program's folder to SHARE/tintwell ("../share/tintwell")
    QString installDataDir; // SHARE/tintwell
};
DataPlaces currentDataPlaces();
enum class DataKind { Folder, File };
// The first candidate (in the order above) that exists as that kind; empty if none.
QString resolveDataPath(const DataPlaces &places, const QString &relative, DataKind kind);
