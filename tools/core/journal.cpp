#include "journal.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

#include <array>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

const QByteArray magic = "@tintwell-journal=1";
constexpr qint64 syncIntervalMs = 1000; // ms
constexpr qint64 maxLineLength = 1 << 16;
const char *const suffix = ".journal";

QString lockPath(const QString &path) {
    return path + QStringLiteral(".lock");
}

QByteArray noteLine(const QString &key, const QString &value) {
    QString v = value;
    v.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\t'), QLatin1Char(' '));
    return '@' + key.toUtf8() + '=' + v.toUtf8();
}

// The payload of an intact line, or false.
bool checkedPayload(const QByteArray &line, QByteArray *payload) {
    if (!line.endsWith('\n') || line.size() < 11)
        return false;
    const int tab = line.size() - 10;
    if (line.at(tab) != '\t')
        return false;
    bool ok = false;
    const quint32 sum = line.mid(tab + 1, 8).toUInt(&ok, 16);
    *payload = line.left(tab);
    return ok && sum == crc32(*payload);
}

} // namespace

quint32 crc32(const QByteArray &data) {
    static const auto table = [] {
        std::array<quint32, 256> t{};
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    quint32 c = 0xFFFFFFFFu;
    for (char ch : data)
        c = table[(c ^ static_cast<quint8>(ch)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

LogJournal::LogJournal() = default;

LogJournal::~LogJournal() {
    release();
}

QString LogJournal::directory() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/journals");
}

bool LogJournal::lock(const QString &path) {
    m_lock = std::make_unique<QLockFile>(lockPath(path));
    // Never stale by age: a week-long log keeps its lock; only a lock whose
    // process is gone is stale.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return true;
    m_lock.reset();
    return false;
}

bool LogJournal::create(const QString &kind, const QList<JournalNote> &notes) {
    release();
    const QString dir = directory();
    if (!QDir().mkpath(dir))
        return false;
    static int serial = 0;
    const QString path =
        QStringLiteral("%1/%2-%3-%4-%5%6")
            .arg(dir, kind,
                 QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss-zzz")))
            .arg(QCoreApplication::applicationPid())
            .arg(++serial)
            .arg(QLatin1String(suffix));
    if (!lock(path))
        return false;
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        m_lock.reset();
        return false;
    }
    m_records = 0;
    bool ok = writeLine(magic) && writeLine(noteLine(QStringLiteral("kind"), kind));
    for (const JournalNote &n : notes)
        ok = ok && writeLine(noteLine(n.key, n.value));
    if (!ok) {
        discard();
        return false;
    }
    sync();
    return true;
}

bool LogJournal::adopt(const QString &path) {
    release();
    if (!lock(path))
        return false;
    JournalContents contents;
    if (readJournal(path, &contents, false) != JournalRead::Ok) {
        m_lock.reset();
        return false;
    }
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::Append | QIODevice::Unbuffered)) {
        m_lock.reset();
        return false;
    }
    // A torn last line is ended, so the next line starts clean.
    if (m_file.size() > 0) {
        QFile check(path);
        if (check.open(QIODevice::ReadOnly) && check.seek(check.size() - 1)) {
            char last = 0;
            if (check.getChar(&last) && last != '\n')
                m_file.write("\n");
        }
    }
    m_records = contents.recordCount;
    return true;
}

bool LogJournal::writeLine(const QByteArray &payload) {
    const QByteArray line =
        payload + '\t' + QByteArray::number(crc32(payload), 16).rightJustified(8, '0') + '\n';
    if (m_file.write(line) != line.size())
        return false;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (now - m_lastSync >= syncIntervalMs)
        sync();
    return true;
}

bool LogJournal::append(const QByteArray &record) {
    if (!m_file.isOpen() || (m_maxRecords >= 0 && m_records >= m_maxRecords))
        return false;
    if (record.startsWith('@') || record.contains('\n') || record.contains('\t') ||
        !writeLine(record))
        return false;
    ++m_records;
    return true;
}

bool LogJournal::note(const QString &key, const QString &value) {
    return m_file.isOpen() && writeLine(noteLine(key, value));
}

void LogJournal::sync() {
    m_lastSync = QDateTime::currentMSecsSinceEpoch();
    if (!m_file.isOpen())
        return;
#ifdef Q_OS_UNIX
    ::fdatasync(m_file.handle());
#else
    m_file.flush();
#endif
}

void LogJournal::discard() {
    const QString path = m_file.fileName();
    m_file.close();
    if (!path.isEmpty())
        QFile::remove(path);
    m_lock.reset(); // removes the lock file
    m_records = 0;
}

void LogJournal::release() {
    if (m_file.isOpen()) {
        sync();
        m_file.close();
    }
    m_lock.reset();
}

bool JournalContents::has(const QString &key) const {
    return lastNote(key) != nullptr;
}

QString JournalContents::value(const QString &key) const {
    const JournalNote *n = lastNote(key);
    return n ? n->value : QString();
}

const JournalNote *JournalContents::lastNote(const QString &key) const {
    for (int i = notes.size() - 1; i >= 0; --i) {
        if (notes.at(i).key == key)
            return &notes.at(i);
    }
    return nullptr;
}

namespace {

// Reads the journal line by line; onRecord gets each intact record.
JournalRead scan(const QString &path, JournalContents *out,
                 const std::function<bool(const QByteArray &)> &onRecord) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return JournalRead::Unreadable;
    *out = JournalContents();
    out->path = path;
    QByteArray payload;
    bool first = true;
    while (!file.atEnd()) {
        QByteArray line = file.readLine(maxLineLength);
        if (line.size() >= maxLineLength - 1 && !line.endsWith('\n')) {
            // Far too long for any record: skip to the next line end.
            while (!file.atEnd() && !line.endsWith('\n'))
                line = file.readLine(maxLineLength);
            ++out->damagedLines;
            continue;
        }
        if (!checkedPayload(line, &payload)) {
            if (first)
                return JournalRead::NotAJournal;
            ++out->damagedLines;
            continue;
        }
        if (first) {
            if (payload != magic)
                return JournalRead::NotAJournal;
            first = false;
            continue;
        }
        if (payload.startsWith('@')) {
            const int eq = payload.indexOf('=');
            if (eq < 2) {
                ++out->damagedLines;
                continue;
            }
            JournalNote n{QString::fromUtf8(payload.mid(1, eq - 1)),
                          QString::fromUtf8(payload.mid(eq + 1)), out->recordCount};
            if (n.key == QLatin1String("kind") && out->kind.isEmpty())
                out->kind = n.value;
            else
                out->notes.append(n);
            continue;
        }
        ++out->recordCount;
        if (onRecord && !onRecord(payload))
            return JournalRead::TooLarge;
    }
    return first ? JournalRead::NotAJournal : JournalRead::Ok;
}

} // namespace

JournalRead readJournal(const QString &path, JournalContents *out, bool keepRecords,
                        qint64 maxRecords) {
    if (!keepRecords)
        return scan(path, out, nullptr);
    QVector<QByteArray> records;
    const JournalRead result = scan(path, out, [&](const QByteArray &r) {
        if (maxRecords >= 0 && records.size() >= maxRecords)
            return false;
        records.append(r);
        return true;
    });
    out->records = records;
    return result;
}

bool forEachJournalRecord(const QString &path,
                          const std::function<bool(const QByteArray &)> &sink) {
    JournalContents contents;
    return scan(path, &contents, sink) == JournalRead::Ok;
}

QStringList orphanJournals(const QString &dir) {
    QStringList found;
    const QStringList names =
        QDir(dir).entryList({QStringLiteral("*") + QLatin1String(suffix)}, QDir::Files, QDir::Name);
    for (const QString &name : names) {
        const QString path = dir + QLatin1Char('/') + name;
        QLockFile lock(lockPath(path));
        lock.setStaleLockTime(0);
        if (lock.tryLock(0))
            found << path; // unlocked again when lock goes
    }
    return found;
}

bool removeOrphanJournal(const QString &path) {
    QLockFile lock(lockPath(path));
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0))
        return false;
    return QFile::remove(path);
}
