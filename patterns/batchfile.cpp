#include "batchfile.h"

namespace {

constexpr QChar quote = QLatin1Char('"');
constexpr QChar comma = QLatin1Char(',');

BatchRead::Status codeValue(const QString &field, int *out) {
    bool ok = false;
    const qlonglong v = field.trimmed().toLongLong(&ok, 10);
    if (!ok)
        return BatchRead::BadColor;
    if (v < 0 || v > 255)
        return BatchRead::OutOfRange;
    *out = int(v);
    return BatchRead::Ok;
}

// Splits the text into records; a line break inside a quoted field stays in
// that field. A quote opens a quoted field only at the start of a field, so
// a bare quote inside an unquoted name reads as it always did.
QStringList records(const QString &text) {
    QStringList out;
    QString current;
    bool inQuotes = false;
    bool fieldStart = true;
    for (int i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (inQuotes) {
            if (ch == quote && i + 1 < text.size() && text.at(i + 1) == quote) {
                current.append(ch);
                ++i;
            } else if (ch == quote) {
                inQuotes = false;
            }
            current.append(ch);
            continue;
        }
        if (ch == QLatin1Char('\n')) {
            if (current.endsWith(QLatin1Char('\r')))
                current.chop(1);
            out.append(current);
            current.clear();
            fieldStart = true;
            continue;
        }
        if (ch == quote && fieldStart)
            inQuotes = true;
        fieldStart = ch == comma;
        current.append(ch);
    }
    if (current.endsWith(QLatin1Char('\r')))
        current.chop(1);
    if (!current.isEmpty())
        out.append(current);
    return out;
}

} // namespace

bool splitBatchLine(const QString &line, QStringList *fields) {
    fields->clear();
    QString field;
    bool inQuotes = false;
    bool wasQuoted = false; // the current field was a quoted one, now closed
    for (int i = 0; i < line.size(); ++i) {
        const QChar ch = line.at(i);
        if (inQuotes) {
            if (ch != quote) {
                field.append(ch);
            } else if (i + 1 < line.size() && line.at(i + 1) == quote) {
                field.append(quote);
                ++i;
            } else {
                inQuotes = false;
                wasQuoted = true;
            }
        } else if (ch == comma) {
            fields->append(field);
            field.clear();
            wasQuoted = false;
        } else if (ch == quote && field.isEmpty() && !wasQuoted) {
            inQuotes = true;
        } else if (wasQuoted) {
            return false; // text after the closing quote
        } else {
            field.append(ch);
        }
    }
    if (inQuotes)
        return false;
    fields->append(field);
    return true;
}

BatchRead readBatch(const QString &text) {
    BatchRead r;
    const QStringList lines = records(text);
    for (int i = 0; i < lines.size(); ++i) {
        r.line = i + 1;
        QStringList fields;
        if (!splitBatchLine(lines.at(i), &fields) || fields.size() != 4) {
            r.status = BatchRead::BadFormat;
            return r;
        }
        int rgb[3];
        for (int c = 0; c < 3; ++c) {
            r.status = codeValue(fields.at(c + 1), &rgb[c]);
            if (r.status != BatchRead::Ok)
                return r;
        }
        r.patches.append({fields.at(0), QColor(rgb[0], rgb[1], rgb[2])});
    }
    r.line = 0;
    return r;
}

QString csvQuoted(const QString &field) {
    const bool needs = field.contains(comma) || field.contains(quote) ||
                       field.contains(QLatin1Char('\n')) || field.contains(QLatin1Char('\r'));
    if (!needs)
        return field;
    QString escaped = field;
    escaped.replace(quote, QStringLiteral("\"\""));
    return quote + escaped + quote;
}

QString writeBatch(const QList<ColorPatch> &patches) {
    QString out;
    for (const ColorPatch &p : patches)
        out += QStringLiteral("%1,%2,%3,%4\n")
                   .arg(csvQuoted(p.name))
                   .arg(p.color.red())
                   .arg(p.color.green())
                   .arg(p.color.blue());
    return out;
}
