#include "batchfile.h"

#include <QStringList>

namespace {

bool codeValue(const QString &field, int *out) {
    bool ok = false;
    const int v = field.trimmed().toInt(&ok, 10);
    if (!ok || v < 0 || v > 255)
        return false;
    *out = v;
    return true;
}

} // namespace

BatchRead readBatch(const QString &text) {
    BatchRead r;
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the newline that ends the last line
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QStringList fields = line.split(QLatin1Char(','));
        r.line = i + 1;
        if (fields.size() != 4) {
            r.status = BatchRead::BadFormat;
            return r;
        }
        int rgb[3];
        for (int c = 0; c < 3; ++c) {
            if (!codeValue(fields.at(c + 1), &rgb[c])) {
                r.status = BatchRead::BadColor;
                return r;
            }
        }
        r.patches.append({fields.at(0), QColor(rgb[0], rgb[1], rgb[2])});
    }
    r.line = 0;
    return r;
}
