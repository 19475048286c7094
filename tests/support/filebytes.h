#pragma once
// TempDir's whole-file read for Qt paths and bytes, and a write to any path
// that says whether every byte landed. A file that cannot be read gives no
// bytes, which no expected content matches.
#include "tempdir.h"

#include <QByteArray>
#include <QFile>
#include <QString>

inline QByteArray fileBytes(const QString &path) {
    return QByteArray::fromStdString(TempDir::read(path.toStdString()));
}

inline bool writeFileBytes(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}
