#pragma once
// Whole-file reads and writes for tests. A file that cannot be read gives no
// bytes, which no expected content matches.
#include <QByteArray>
#include <QFile>
#include <QString>

inline QByteArray fileBytes(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeFileBytes(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}
