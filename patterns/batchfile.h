#pragma once
// Reading the colour batch file: one patch per line, "name,red,green,blue", the
// values decimal code values 0 to 255, no header.

#include <QColor>
#include <QList>
#include <QString>

struct ColorPatch {
    QString name;
    QColor color;
};

struct BatchRead {
    enum Status { Ok, BadFormat, BadColor };
    QList<ColorPatch> patches; // those read before any error
    Status status = Ok;
    int line = 0; // 1-based line of the error
};

// Reads the text of a batch file. A line that is not four fields stops with
// BadFormat, a value that is not a code value with BadColor.
BatchRead readBatch(const QString &text);
