#include "datapaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

// A path inside the data folder: relative, and never leaving it.
bool isPlainRelative(const QString &path) {
    if (path.isEmpty() || QDir::isAbsolutePath(path) || path.startsWith(QLatin1Char('~')))
        return false;
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    return !parts.isEmpty() && !parts.contains(QStringLiteral(".."));
}

bool sameFolder(const QString &a, const QString &b) {
    if (a.isEmpty() || b.isEmpty())
        return false;
    const QString ca = QFileInfo(a).canonicalFilePath(), cb = QFileInfo(b).canonicalFilePath();
    return !ca.isEmpty() && ca == cb;
}

QString programDir() {
    // Without an application object (a plain test) the process's own link is the program.
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
}

QStringList dataCandidates(const DataPlaces &p, const QString &relative) {
    QStringList out;
    if (!isPlainRelative(relative))
        return out;
    const auto add = [&out, &relative](const QString &base) {
        if (!base.isEmpty())
            out.append(QDir(base).filePath(relative));
    };
    add(p.overrideDir);
    if (sameFolder(p.programDir, p.buildBinDir))
        add(p.sourceDataDir);
    if (!p.programDir.isEmpty() && !p.relativeData.isEmpty())
        add(QDir::cleanPath(QDir(p.programDir).filePath(p.relativeData)));
    add(p.installDataDir);
    return out;
}

} // namespace

DataPlaces currentDataPlaces() {
    DataPlaces p;
    p.overrideDir = qEnvironmentVariable("TINTWELL_DATA_DIR");
    p.programDir = programDir();
    p.buildBinDir = QStringLiteral(TINTWELL_BUILD_BIN_DIR);
    p.sourceDataDir = QStringLiteral(TINTWELL_SOURCE_DATA_DIR);
    p.relativeData = QStringLiteral(TINTWELL_RELATIVE_DATA_DIR);
    p.installDataDir = QStringLiteral(TINTWELL_INSTALL_DATA_DIR);
    return p;
}

QString resolveDataPath(const DataPlaces &places, const QString &relative, DataKind kind) {
    for (const QString &candidate : dataCandidates(places, relative)) {
        const QFileInfo f(candidate);
        if (kind == DataKind::Folder ? f.isDir() : f.isFile())
            return QDir::cleanPath(f.absoluteFilePath());
    }
    return QString();
}

QString dataDirectory(const QString &sub) {
    return resolveDataPath(currentDataPlaces(), sub, DataKind::Folder);
}

QString dataFile(const QString &relative) {
    return resolveDataPath(currentDataPlaces(), relative, DataKind::File);
}
