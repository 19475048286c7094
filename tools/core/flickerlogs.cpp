#include "flickerlogs.h"

#include "flashdetector.h"
#include "flicker.h"

#include <QLocale>

#include <algorithm>

namespace {

QByteArray localeText(const QDateTime &when, const char *format) {
    return QLocale::c().toString(when, QString::fromLatin1(format)).toUtf8();
}

double cell(const matrix &m, int r, int c) {
    return r < m.rows() && c < m.cols() ? m(r, c) : 0.0;
}

} // namespace

QByteArray flickerNumber(double value) {
    return QByteArray::number(value, 'g', 6);
}

QByteArrayList peakLogHeader() {
    return {",,Peak,1,Peak,2,Peak,3,Peak,1,Peak,2,Peak,3",
            "Date,Time,Hz,Percent,Hz,Percent,Hz,Percent,Hz,Db,Hz,Db,Hz,Db,BigY,ErrorCode"};
}

QByteArray peakLogLine(const Flicker &record, const QDateTime &when) {
    QByteArray line = localeText(when, "MM/dd/yyyy,hh:mm:ss.zzz ap");
    for (const matrix *peaks : {&record.peaksPercent, &record.peaksDb}) {
        for (int r = 0; r < 3; ++r)
            line +=
                ',' + flickerNumber(cell(*peaks, r, 0)) + ',' + flickerNumber(cell(*peaks, r, 1));
    }
    return line + ',' + flickerNumber(record.y) + ',' + QByteArray::number(record.errorCode);
}

QByteArrayList flashLogHeader() {
    return {"DateTime,Percent*Seconds,Errorcode"};
}

QByteArray flashLogLine(const Flash &flash, uint32_t errorCode) {
    return flickerNumber(flash.time) + ',' + flickerNumber(flash.value) + ',' +
           QByteArray::number(errorCode);
}

QByteArrayList flashLogSummary(const FlashStats &positive, const FlashStats &negative) {
    return {",,Positive,Negative",
            ",,Number of Flashes," + QByteArray::number(positive.count) + ',' +
                QByteArray::number(negative.count),
            ",,Average," + flickerNumber(positive.mean) + ',' + flickerNumber(negative.mean),
            ",,STD," + flickerNumber(positive.deviation()) + ',' +
                flickerNumber(negative.deviation())};
}

QByteArrayList signalLogHeader(const QDateTime &start) {
    return {"Loging Signal VS Time,StartTime," + localeText(start, "MM/dd/yyyy hh:mm:ss.zzz ap"),
            "Time(sec), Counts"};
}

QByteArrayList signalLogLines(const Flicker &record, double *lastTime) {
    QByteArrayList lines;
    const matrix &s = record.signalCounts;
    for (int i = 0; i < s.rows(); ++i) {
        const double t = s(i, 0);
        if (!(t > *lastTime))
            continue;
        lines << flickerNumber(t) + ',' + flickerNumber(s(i, 1));
        *lastTime = t;
    }
    return lines;
}

QByteArray saveFlickerText(const Flicker &record, const QDateTime &when) {
    QByteArray out = "Date," + localeText(when, "ddd MMMM d yy") + "\nTime," +
                     localeText(when, "h:m:s ap") + "\n\n";
    out += "Error," + QByteArray::number(record.errorCode) + ",Range," +
           QByteArray::number(record.range) + ",BigY," + flickerNumber(record.y) + '\n';
    out += "Peak Frequencies\n,Hz,Percent,,Hz,Db\n";
    for (int r = 0; r < 3; ++r)
        out += QByteArray::number(r + 1) + ',' + flickerNumber(cell(record.peaksPercent, r, 0)) +
               ',' + flickerNumber(cell(record.peaksPercent, r, 1)) + ",," +
               flickerNumber(cell(record.peaksDb, r, 0)) + ',' +
               flickerNumber(cell(record.peaksDb, r, 1)) + '\n';
    out += "\n\nData\nTime(sec),Counts,,Hz,Perecent, Db\n";
    const matrix &signal = record.signalCounts;
    const int bins = std::min(record.spectrumPercent.rows(), record.spectrumDb.rows());
    for (int i = 0; i < signal.rows(); ++i) {
        out += flickerNumber(signal(i, 0)) + ',' + flickerNumber(signal(i, 1));
        if (i < bins)
            out += ",," + flickerNumber(record.spectrumPercent(i, 0)) + ',' +
                   flickerNumber(record.spectrumPercent(i, 1)) + ',' +
                   flickerNumber(record.spectrumDb(i, 1));
        out += '\n';
    }
    return out;
}
