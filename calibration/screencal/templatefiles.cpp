#include "templatefiles.h"

#include "datapaths.h"
#include "templatemodel.h"

#include <QFile>
#include <QFileInfo>

namespace screencal {

QString templateDirectory() {
    const QString env = qEnvironmentVariable("TINTWELL_TEMPLATE_DIR");
    return env.isEmpty() ? dataDirectory(QStringLiteral("templates")) : env;
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
