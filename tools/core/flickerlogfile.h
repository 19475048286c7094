#pragma once
// A flicker log's file, written from its journal: the header lines kept as
// notes, every record in order, and for a flash log that ended without its
// summary (a crash) the summary recomputed from the flashes it holds. The
// file is replaced atomically, so it is complete or untouched.

#include "atomicsave.h"
#include "flickerlogs.h"
#include "journal.h"

#include <QList>
#include <QString>

// Journal kinds and the notes a flicker log's journal carries.
QString flickerJournalKind(FlickerLogKind kind);
bool flickerLogKindOf(const QString &journalKind, FlickerLogKind *kind);
QList<JournalNote> flickerJournalNotes(FlickerLogKind kind, const QString &target,
                                       const QByteArrayList &header);

// Marks a flash journal whose summary has been appended.
extern const char *const flashSummaryNote;

SaveResult writeFlickerLog(const QString &journalPath, const QString &target);
