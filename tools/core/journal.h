#pragma once
// A log that survives a crash: every record is appended to a journal file in
// the application's data directory as it is taken and handed to the system
// at once (synced to disk at most a second later), each line carrying its own
// checksum, so a torn or damaged line is recognised and dropped. A lock file
// beside it says the journal's program is alive; a journal whose lock is
// stale belongs to a run that ended without finishing and can be recovered.
//
// Line format: payload, a tab, 8 hex digits of the payload's CRC-32, "\n".
// Lines starting with "@" are notes ("@key=value"); the first is
// "@tintwell-journal=1", the second "@kind=<kind>".

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QVector>

#include <functional>
#include <memory>

class QIODevice;
class QLockFile;

struct JournalNote {
    QString key;
    QString value;
    qint64 atRecord = 0; // records written before the note
};

class LogJournal {
public:
    LogJournal();
    ~LogJournal(); // releases: the file stays for recovery
    LogJournal(const LogJournal &) = delete;
    LogJournal &operator=(const LogJournal &) = delete;

    // <application data>/journals
    static QString directory();

    // A new journal with its notes; false when it cannot be written.
    bool create(const QString &kind, const QList<JournalNote> &notes);
    // Takes over a journal left by an ended run, to keep appending to it.
    bool adopt(const QString &path);

    // Refused past the record limit, or when the file cannot take it.
    bool append(const QByteArray &record);
    bool note(const QString &key, const QString &value);
    // At most this many records; negative: no limit.
    void setMaxRecords(qint64 max) { m_maxRecords = max; }
    qint64 records() const { return m_records; }
    bool isOpen() const { return m_file.isOpen(); }
    QString path() const { return m_file.fileName(); }

    // Forces what was written onto the disk.
    void sync();
    // The run's data is safe elsewhere (or unwanted): deletes the journal.
    void discard();
    // Closes and unlocks, keeping the file.
    void release();

private:
    bool writeLine(const QByteArray &payload);
    bool lock(const QString &path);

    QFile m_file;
    std::unique_ptr<QLockFile> m_lock;
    qint64 m_records = 0;
    qint64 m_maxRecords = -1;
    qint64 m_lastSync = 0; // ms since the epoch
};

struct JournalContents {
    QString path;
    QString kind;
    QList<JournalNote> notes;
    QVector<QByteArray> records; // kept only when asked for
    qint64 recordCount = 0;
    int damagedLines = 0;

    bool has(const QString &key) const;
    QString value(const QString &key) const; // the last note with the key
    const JournalNote *lastNote(const QString &key) const;
};

enum class JournalRead { Ok, Unreadable, NotAJournal, TooLarge };

// Checks every line. keepRecords: keep up to maxRecords records (more is
// TooLarge); otherwise only count them.
JournalRead readJournal(const QString &path, JournalContents *out, bool keepRecords,
                        qint64 maxRecords = -1);
// Hands each intact record to sink in order, without keeping them; stops
// when sink returns false. True when every record was handed over.
bool forEachJournalRecord(const QString &path, const std::function<bool(const QByteArray &)> &sink);

// Journals in the directory whose program is no longer running.
QStringList orphanJournals(const QString &dir = LogJournal::directory());
// Deletes a journal that no one holds (and its lock).
bool removeOrphanJournal(const QString &path);

quint32 crc32(const QByteArray &data);
