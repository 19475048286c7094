#include "templatefiles.h"

#include "templatemodel.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace screencal {

QString templateDirectory() {
    const QString env = qEnvironmentVariable("TINTWELL_TEMPLATE_DIR");
    if (!env.isEmpty())
        return env;
    if (QCoreApplication::instance()) {
        const QString installed =
            QDir(QCoreApplication::applicationDirPath())
                .absoluteFilePath(QStringLiteral("../share/tintwell/templates"));
        if (QFileInfo(installed).isDir())
            return QDir::cleanPath(installed);
    }
    return QStringLiteral(TINTWELL_SOURCE_TEMPLATE_DIR);
}

bool readTemplateFile(const QString &path, QByteArray *bytes, QString *error) {
    QFile file(path);
    if (!QFileInfo(path).isFile()) {
        *error = QStringLiteral("%1 does not exist").arg(path);
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1 cannot be read: %2").arg(path, file.errorString());
        return false;
    }
    // Read one byte past the limit: the size on disk can change under us.
    *bytes = file.read(maxTemplateBytes + 1);
    if (bytes->size() > maxTemplateBytes) {
        bytes->clear();
        *error = QStringLiteral("%1 is larger than %2 MB; no template is that large")
                     .arg(path)
                     .arg(maxTemplateBytes / (1024 * 1024));
        return false;
    }
    return true;
}

} // namespace screencal
