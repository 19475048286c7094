#include "measurementcsv.h"

#include <QFile>
#include <QLocale>
#include <QTextStream>

const char *const measurementCsvHeader =
    "Date/Time,X,Y,Z,x,y,u',v',Temp,Temp duv,wavelenght(nm),wavelenght du'v,Red %,Green %,"
    "Blue %,Hue,Saturation,Value,Error Code";

QString measurementCsvRow(const Measurement &m, const QDateTime &when) {
    QString row;
    QTextStream out(&row);
    // The C locale: "am"/"pm" and digits must not change with the user's locale.
    out << QLocale::c().toString(when, QStringLiteral("MM/dd/yyyy hh:mm:ss.zzz ap"));
    out.setLocale(QLocale::c());
    for (double v :
         {m.bigX, m.bigY, m.bigZ, m.x, m.y, m.uPrime, m.vPrime, m.temp, m.tempDuv, m.nm, m.nmDuv,
          m.redPercent, m.greenPercent, m.bluePercent, m.hue, m.saturation, m.value})
        out << ',' << v;
    out << ',' << m.errorCode;
    out.flush();
    return row;
}

CsvAppendResult appendMeasurementCsv(const QString &path, const Measurement &m,
                                     const QDateTime &when) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return CsvAppendResult::CannotOpenReadWrite;
    QByteArray first = file.readLine();
    while (first.endsWith('\n') || first.endsWith('\r'))
        first.chop(1);
    const bool hasHeader = first == measurementCsvHeader;
    // A file that does not end its last line would glue the new row onto it.
    bool needsLineEnd = false;
    if (file.size() > 0 && file.seek(file.size() - 1)) {
        char last = 0;
        needsLineEnd = file.getChar(&last) && last != '\n';
    }
    file.close();

    if (!file.open(QIODevice::Append | QIODevice::Text))
        return CsvAppendResult::CannotOpenAppend;
    QTextStream out(&file);
    if (needsLineEnd)
        out << '\n';
    if (!hasHeader)
        out << measurementCsvHeader << '\n';
    out << measurementCsvRow(m, when) << QLatin1Char('\n');
    out.flush();
    const bool streamed = out.status() == QTextStream::Ok;
    file.close(); // flushes; a failure shows in error()
    const bool written = streamed && file.error() == QFileDevice::NoError;
    return written ? CsvAppendResult::Appended : CsvAppendResult::WriteFailed;
}
