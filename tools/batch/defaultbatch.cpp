#include "defaultbatch.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

namespace {
const char *const fileName = "/default.cvs";
}

DefaultBatch::DefaultBatch()
    : DefaultBatch(QCoreApplication::applicationDirPath(),
                   QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)) {}

DefaultBatch::DefaultBatch(const QString &programDir, const QString &dataDir)
    : m_programDir(programDir), m_dataDir(dataDir) {}

bool DefaultBatch::relocated() const {
    return !QFileInfo(m_programDir).isWritable();
}

QString DefaultBatch::writePath() const {
    return (relocated() ? m_dataDir : m_programDir) + QLatin1String(fileName);
}

QString DefaultBatch::readPath() const {
    const QStringList dirs =
        relocated() ? QStringList{m_dataDir, m_programDir} : QStringList{m_programDir};
    for (const QString &dir : dirs) {
        const QString path = dir + QLatin1String(fileName);
        if (QFileInfo(path).isFile())
            return path;
    }
    return QString();
}

bool DefaultBatch::prepareWrite() const {
    return QDir().mkpath(QFileInfo(writePath()).absolutePath());
}
