#pragma once
// The colour batch file: one patch per line, "name,red,green,blue", the
// values decimal code values 0 to 255, no header. A name holding a comma, a
// quote or a line break is written as a quoted field (quotes doubled inside),
// so it reads back as it was; files without quotes read as plain fields.
// A file of 10-bit code values (0 to 1023) starts with the line "#bits=10",
// which readers of 8-bit files refuse as a line that is not four fields.

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>

struct ColorPatch {
    QString name;
    QColor color; // the code values; for a deeper patch the nearest 8-bit ones
    int bits = 8;
    std::array<int, 3> deep{}; // the code values when bits is above 8

    static ColorPatch withCodes(const QString &name, const std::array<int, 3> &codes, int bits);
    std::array<int, 3> codes() const;
};

constexpr const char *batchDepthMarker = "#bits=";

// The depth of the deepest patch (8 for none).
int deepestBits(const QList<ColorPatch> &patches);
// A patch's code values at a depth at least its own: shallower ones scaled
// to the same place between full-range black and white, rounded.
std::array<int, 3> codesAtBits(const ColorPatch &patch, int bits);

struct BatchRead {
    enum Status {
        Ok,
        BadFormat,  // not four fields
        BadColor,   // a value that is not a whole decimal number
        OutOfRange, // a whole number outside 0 to 255 (1023 for 10 bits)
        BadDepth,   // a depth marker of other than 8 or 10 bits, or not the one asked for
    };
    QList<ColorPatch> patches; // those read before any error
    Status status = Ok;
    int line = 0;        // 1-based line of the error
    int bits = 8;        // the depth the values were read at
    bool marked = false; // the file said its depth
};

// Reads the text of a batch file, stopping at the first bad line. bits 0
// takes the depth the file gives (8 without a marker); 8 or 10 reads the
// values at that depth and refuses a file that says otherwise.
BatchRead readBatch(const QString &text, int bits = 0);

// The fields of one line: quoted fields may hold commas and doubled quotes.
// False for an unterminated quote or text after a closing quote.
bool splitBatchLine(const QString &line, QStringList *fields);

// The file text for a list of patches, one "\n"-ended line each, after the
// depth marker when any patch is deeper than 8 bits.
QString writeBatch(const QList<ColorPatch> &patches);

// A field as written to a comma-separated file: quoted only when it must be.
QString csvQuoted(const QString &field);
