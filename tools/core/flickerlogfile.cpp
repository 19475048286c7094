#include "flickerlogfile.h"

#include "flashdetector.h"

#include <QIODevice>

const char *const flashSummaryNote = "summary";

namespace {

const char *const kindNames[flickerLogKindCount] = {"peaks", "flashes", "signal"};

// The value field of a flash line "time,value,code"; false for anything else.
bool flashValue(const QByteArray &line, double *value) {
    const QList<QByteArray> fields = line.split(',');
    if (fields.size() != 3)
        return false;
    bool ok = false;
    *value = fields.at(1).toDouble(&ok);
    return ok;
}

} // namespace

QString flickerJournalKind(FlickerLogKind kind) {
    return QString::fromLatin1(kindNames[static_cast<int>(kind)]);
}

bool flickerLogKindOf(const QString &journalKind, FlickerLogKind *kind) {
    for (int i = 0; i < flickerLogKindCount; ++i) {
        if (journalKind == QLatin1String(kindNames[i])) {
            *kind = static_cast<FlickerLogKind>(i);
            return true;
        }
    }
    return false;
}

QList<JournalNote> flickerJournalNotes(FlickerLogKind, const QString &target,
                                       const QByteArrayList &header) {
    QList<JournalNote> notes{{QStringLiteral("target"), target, 0}};
    for (const QByteArray &line : header)
        notes.append({QStringLiteral("header"), QString::fromUtf8(line), 0});
    return notes;
}

SaveResult writeFlickerLog(const QString &journalPath, const QString &target) {
    JournalContents contents;
    FlickerLogKind kind;
    if (readJournal(journalPath, &contents, false) != JournalRead::Ok ||
        !flickerLogKindOf(contents.kind, &kind))
        return SaveResult::WriteFailed;
    const bool addSummary = kind == FlickerLogKind::Flashes && !contents.has(flashSummaryNote);
    return saveAtomically(target, [&](QIODevice &out) {
        for (const JournalNote &n : contents.notes) {
            if (n.key == QLatin1String("header") && out.write(n.value.toUtf8() + '\n') < 0)
                return false;
        }
        FlashStats positive, negative;
        bool ok = forEachJournalRecord(journalPath, [&](const QByteArray &line) {
            double value = 0;
            if (addSummary && flashValue(line, &value))
                (value < 0 ? negative : positive).add(value);
            return out.write(line + '\n') == line.size() + 1;
        });
        if (ok && addSummary) {
            for (const QByteArray &line : flashLogSummary(positive, negative))
                ok = ok && out.write(line + '\n') == line.size() + 1;
        }
        return ok;
    });
}
