#include "batchfile.h"

#include "patchdepth.h"

#include <algorithm>

namespace {

constexpr QChar quote = QLatin1Char('"');
constexpr QChar comma = QLatin1Char(',');

BatchRead::Status codeValue(const QString &field, int maxCode, int *out) {
    bool ok = false;
    const qlonglong v = field.trimmed().toLongLong(&ok, 10);
    if (!ok)
        return BatchRead::BadColor;
    if (v < 0 || v > maxCode)
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

ColorPatch ColorPatch::withCodes(const QString &name, const std::array<int, 3> &codes, int bits) {
    ColorPatch p;
    p.name = name;
    p.bits = bits;
    if (bits > 8) {
        p.deep = codes;
        p.color = previewColor(codes, bits);
    } else {
        p.color = QColor(codes[0], codes[1], codes[2]);
    }
    return p;
}

std::array<int, 3> ColorPatch::codes() const {
    if (bits > 8)
        return deep;
    return {color.red(), color.green(), color.blue()};
}

BatchRead readBatch(const QString &text, int bits) {
    BatchRead r;
    QStringList lines = records(text);
    const QString marker = QLatin1String(batchDepthMarker);
    int first = 0;
    r.bits = bits > 0 ? bits : 8;
    if (!lines.isEmpty() && lines.first().startsWith(marker)) {
        r.line = 1;
        bool ok = false;
        const int said = lines.first().mid(marker.size()).trimmed().toInt(&ok);
        if (!ok || (said != 8 && said != 10) || (bits > 0 && said != bits)) {
            r.status = BatchRead::BadDepth;
            return r;
        }
        r.bits = said;
        r.marked = true;
        first = 1;
    } else if (bits != 0 && bits != 8 && bits != 10) {
        r.status = BatchRead::BadDepth;
        r.line = 1;
        return r;
    }
    const int maxCode = (1 << r.bits) - 1;
    for (int i = first; i < lines.size(); ++i) {
        r.line = i + 1;
        QStringList fields;
        if (!splitBatchLine(lines.at(i), &fields) || fields.size() != 4) {
            r.status = BatchRead::BadFormat;
            return r;
        }
        std::array<int, 3> rgb;
        for (int c = 0; c < 3; ++c) {
            r.status = codeValue(fields.at(c + 1), maxCode, &rgb[c]);
            if (r.status != BatchRead::Ok)
                return r;
        }
        r.patches.append(ColorPatch::withCodes(fields.at(0), rgb, r.bits));
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

int deepestBits(const QList<ColorPatch> &patches) {
    int bits = 8;
    for (const ColorPatch &p : patches)
        bits = std::max(bits, p.bits);
    return bits;
}

std::array<int, 3> codesAtBits(const ColorPatch &patch, int bits) {
    std::array<int, 3> codes = patch.codes();
    if (patch.bits < bits) {
        const CodeRange to = CodeRange::full(bits);
        for (int &c : codes)
            c = to.nearestFrom(c, CodeRange::full(patch.bits));
    }
    return codes;
}

QString writeBatch(const QList<ColorPatch> &patches) {
    const int bits = deepestBits(patches);
    QString out;
    if (bits > 8)
        out += QLatin1String(batchDepthMarker) + QString::number(bits) + QLatin1Char('\n');
    for (const ColorPatch &p : patches) {
        const std::array<int, 3> codes = codesAtBits(p, bits);
        out += QStringLiteral("%1,%2,%3,%4\n")
                   .arg(csvQuoted(p.name))
                   .arg(codes[0])
                   .arg(codes[1])
                   .arg(codes[2]);
    }
    return out;
}
