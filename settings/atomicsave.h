#pragma once
// Saving a file the user chose: everything is written to a temporary file
// beside it, synced, and renamed into place only when complete, so the file
// is never left half-written by a full disk, a crash or a power cut.

#include <QByteArray>
#include <QString>

#include <functional>

class QIODevice;

enum class SaveResult {
    Saved,
    CannotOpen,  // the place cannot be written (read-only, missing folder)
    WriteFailed, // opened, but the content did not all reach the disk
};

// writer returns false to give up; the old file, if any, stays as it was.
SaveResult saveAtomically(const QString &path, const std::function<bool(QIODevice &)> &writer);
SaveResult saveAtomically(const QString &path, const QByteArray &content);
