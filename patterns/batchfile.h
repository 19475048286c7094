#pragma once
// The colour batch file: one patch per line, "name,red,green,blue", the
// values decimal code values 0 to 255, no header. A name holding a comma, a
// quote or a line break is written as a quoted field (quotes doubled inside),
// so it reads back as it was; files without quotes read as plain fields.

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>

struct ColorPatch {
    QString name;
    QColor color;
};

struct BatchRead {
    enum Status {
        Ok,
        BadFormat,  // not four fields
        BadColor,   // a value that is not a whole decimal number
        OutOfRange, // a whole number outside 0 to 255
    };
    QList<ColorPatch> patches; // those read before any error
    Status status = Ok;
    int line = 0; // 1-based line of the error
};

// Reads the text of a batch file, stopping at the first bad line.
BatchRead readBatch(const QString &text);

// The fields of one line: quoted fields may hold commas and doubled quotes.
// False for an unterminated quote or text after a closing quote.
bool splitBatchLine(const QString &line, QStringList *fields);

// The file text for a list of patches, one "\n"-ended line each.
QString writeBatch(const QList<ColorPatch> &patches);

// A field as written to a comma-separated file: quoted only when it must be.
QString csvQuoted(const QString &field);
