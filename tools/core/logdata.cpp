#include "logdata.h"

#include "appsettings.h"

#include <QDateTime>
#include <QList>
#include <QLocale>

#include <cmath>
#include <limits>

namespace {

constexpr double blank = std::numeric_limits<double>::quiet_NaN();
constexpr int luminanceValues = 3; // X, Y, Z carry the unit

const char *const valueNames[logValueCount] = {
    "X",  "Y",        "Z",     "x",     "y",     "u'",  "v'",         "K",    "K duv",
    "nm", "nm du'v'", "R (%)", "G (%)", "B (%)", "Hue", "Saturation", "Value"};

double displayed(int valueIndex, double value, bool nits) {
    return valueIndex < luminanceValues && !nits ? nitsToFootLamberts(value) : value;
}

} // namespace

LogRow logRowFrom(const Measurement &m, qint64 timeMs) {
    LogRow row;
    row.timeMs = timeMs;
    const bool hasTemp = m.temp != 0;
    const bool hasNm = m.nm != 0;
    row.values = {m.bigX,
                  m.bigY,
                  m.bigZ,
                  m.x,
                  m.y,
                  m.uPrime,
                  m.vPrime,
                  hasTemp ? m.temp : blank,
                  hasTemp ? m.tempDuv : blank,
                  hasNm ? m.nm : blank,
                  hasNm ? m.nmDuv : blank,
                  m.redPercent,
                  m.greenPercent,
                  m.bluePercent,
                  m.hue < 0 ? blank : m.hue,
                  m.saturation < 0 ? blank : m.saturation,
                  m.value};
    return row;
}

LogFormat LogFormat::current() {
    LogFormat f;
    f.nits = isNits();
    f.sigFigs = appSettings().value("sigFigs", 3).toInt() == 4 ? 4 : 3;
    return f;
}

QStringList statisticsHeaders(bool nits) {
    QStringList headers;
    const QString unit = nits ? QStringLiteral(" (nits)") : QStringLiteral(" (fL)");
    for (int i = 0; i < logValueCount; ++i)
        headers << QString::fromLatin1(valueNames[i]) + (i < luminanceValues ? unit : QString());
    return headers;
}

QStringList logHeaders(bool nits) {
    return QStringList{QStringLiteral("Date/Time")} + statisticsHeaders(nits);
}

QString logTimeText(qint64 ms) {
    // The C locale: "am"/"pm" and digits must not follow the user's locale.
    return QLocale::c().toString(QDateTime::fromMSecsSinceEpoch(ms),
                                 QStringLiteral("MM/dd/yyyy hh:mm:ss.zzz ap"));
}

QString logValueText(int valueIndex, double value, const LogFormat &format) {
    if (std::isnan(value))
        return QString();
    const double v = displayed(valueIndex, value, format.nits);
    if (format.sigFigs <= 0)
        return QString::number(v, 'g', 6);
    return QString::number(v, 'f', sigFigDecimals(v, format.sigFigs));
}

QString logCellText(const LogRow &row, int column, const LogFormat &format) {
    if (column == 0)
        return logTimeText(row.timeMs);
    if (column < 1 || column > logValueCount)
        return QString();
    return logValueText(column - 1, row.values[column - 1], format);
}

void LogStatistics::add(const LogRow &row) {
    for (int i = 0; i < logValueCount; ++i) {
        const double v = row.values[i];
        if (std::isnan(v))
            continue;
        if (m_count[i] == 0) {
            m_min[i] = m_max[i] = m_sum[i] = v;
        } else {
            m_min[i] = std::min(m_min[i], v);
            m_max[i] = std::max(m_max[i], v);
            m_sum[i] += v;
        }
        ++m_count[i];
    }
}

void LogStatistics::clear() {
    *this = LogStatistics();
}

double LogStatistics::average(int valueIndex) const {
    return m_count[valueIndex] ? m_sum[valueIndex] / m_count[valueIndex] : blank;
}

QString statisticsText(const LogStatistics &s, int statRow, int valueIndex,
                       const LogFormat &format) {
    if (!s.has(valueIndex))
        return QString();
    const double v = statRow == 0   ? s.minimum(valueIndex)
                     : statRow == 1 ? s.maximum(valueIndex)
                                    : s.average(valueIndex);
    return logValueText(valueIndex, v, format);
}

QByteArray loggingCsv(const LogData &data, const LogFormat &shown) {
    LogFormat format = shown;
    format.sigFigs = 0; // a file is read by programs: all the digits measured
    QByteArray out;
    auto line = [&out](const QString &text) { out += text.toUtf8() + '\n'; };
    const QString first = data.rows.isEmpty() ? QString() : logTimeText(data.rows.first().timeMs);
    const QString last = data.rows.isEmpty() ? QString() : logTimeText(data.rows.last().timeMs);
    line(QStringLiteral("Model,") + data.meta.model);
    line(QStringLiteral("Serial Number,") + data.meta.serialNumber);
    line(QStringLiteral("Start Time,") + first);
    line(QStringLiteral("End Time,") + last);
    line(QString());

    QString header;
    for (const QString &h : statisticsHeaders(format.nits))
        header += QLatin1Char(',') + h;
    line(header);
    const char *const statNames[3] = {"Min", "Max", "Avg"};
    for (int r = 0; r < 3; ++r) {
        QString text = QString::fromLatin1(statNames[r]);
        for (int i = 0; i < logValueCount; ++i)
            text += QLatin1Char(',') + statisticsText(data.statistics, r, i, format);
        line(text);
    }
    line(QString());

    header.clear();
    for (const QString &h : logHeaders(format.nits))
        header += QLatin1Char(',') + h;
    line(header);
    out.reserve(out.size() + data.rows.size() * 160);
    for (int r = 0; r < data.rows.size(); ++r) {
        QString text = QString::number(r + 1);
        for (int c = 0; c < logColumnCount; ++c)
            text += QLatin1Char(',') + logCellText(data.rows.at(r), c, format);
        line(text);
    }
    return out;
}

QByteArray encodeLogRow(const LogRow &row) {
    QByteArray line = QByteArray::number(row.timeMs);
    for (double v : row.values) {
        line += ',';
        if (!std::isnan(v))
            line += QByteArray::number(v, 'g', 17);
    }
    return line;
}

bool decodeLogRow(const QByteArray &line, LogRow *row) {
    const QList<QByteArray> fields = line.split(',');
    if (fields.size() != logColumnCount)
        return false;
    bool ok = false;
    LogRow r;
    r.timeMs = fields.at(0).toLongLong(&ok);
    if (!ok)
        return false;
    for (int i = 0; i < logValueCount; ++i) {
        const QByteArray &f = fields.at(i + 1);
        if (f.isEmpty()) {
            r.values[i] = blank;
            continue;
        }
        r.values[i] = f.toDouble(&ok);
        if (!ok || !std::isfinite(r.values[i]))
            return false;
    }
    *row = r;
    return true;
}
