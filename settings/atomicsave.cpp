#include "atomicsave.h"

#include <QSaveFile>

SaveResult saveAtomically(const QString &path, const std::function<bool(QIODevice &)> &writer) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return SaveResult::CannotOpen;
    if (!writer(file) || file.error() != QFileDevice::NoError) {
        file.cancelWriting();
        return SaveResult::WriteFailed;
    }
    // commit() syncs the temporary file and renames it over the target.
    return file.commit() ? SaveResult::Saved : SaveResult::WriteFailed;
}

SaveResult saveAtomically(const QString &path, const QByteArray &content) {
    return saveAtomically(
        path, [&content](QIODevice &out) { return out.write(content) == content.size(); });
}
