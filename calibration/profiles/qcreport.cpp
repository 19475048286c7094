#include "qcreport.h"

#include "atomicsave.h"
#include "profileverify.h"

#include <QStringList>
#include <QTextStream>

namespace profiles {

namespace {

QString g(double v) {
    return QString::number(v, 'g', 6);
}

QString pass(bool ok) {
    return ok ? QStringLiteral("Pass") : QStringLiteral("No Pass");
}

} // namespace

bool qcReportComplete(const QcReport &r) {
    return r.reference.size() >= patchCount && r.preCal.size() >= patchCount &&
           r.postCal.size() >= patchCount;
}

QString qcReportText(const QcReport &r) {
    QString out;
    QTextStream s(&out);
    s << r.when.toString(QStringLiteral("M/d/yyyy h:m:s AP")) << "\n\n";
    s << ",,Profile Matrix";
    const bool square = r.colorMatrix.rows() == 3 && r.colorMatrix.cols() == 3;
    for (int column = 0; column < 3; ++column) {
        s << "\n,";
        for (int row = 0; row < 3; ++row)
            s << ',' << g(square ? r.colorMatrix(row, column) : 0.0);
    }
    s << "\n\n\n";
    s << ",,Reference Device, Torva Device,,Reference Device, Torva Device\n";
    s << QStringLiteral("Model,,%1,%2,,%1,%2\n").arg(r.referenceModel, r.model);
    s << QStringLiteral("Serial,,%1,%2,,%1,%2\n").arg(r.referenceSerial, r.serial);
    s << QStringLiteral("Profile,,%1: %2,0: Factory Cal File,,%1: %2,%3: %4\n")
             .arg(r.referenceProfileId, r.referenceProfileName, QString::number(r.slot),
                  r.slotName);
    s << ",,Pre-Cal,Pre-Cal,,Post-Cal,Post-Cal,Error,Pass/Fail\n";
    for (int c = 0; c < patchCount && qcReportComplete(r); ++c) {
        const Measurement &ref = r.reference.at(c), &pre = r.preCal.at(c), &post = r.postCal.at(c);
        const PatchError e = patchError(ref, post);
        // Built with a list rather than chained arg(): a value's text may
        // itself hold a "%1".
        auto line = [&s](const QString &lead, double refValue, double preValue, double postValue,
                         const QString &error, bool ok) {
            s << QStringList{lead,        g(refValue),  g(preValue), QString(),
                             g(refValue), g(postValue), error,       pass(ok)}
                     .join(QLatin1Char(','))
              << '\n';
        };
        line(patchNames().at(c) + QStringLiteral(",x"), ref.x, pre.x, post.x, g(e.x), e.xPass);
        line(QStringLiteral(",y"), ref.y, pre.y, post.y, g(e.y), e.yPass);
        line(QStringLiteral(",Y"), ref.bigY, pre.bigY, post.bigY, g(e.yPercent) + '%', e.bigYPass);
    }
    s << "\n";
    s.flush();
    return out;
}

QString qcReportFileName(const QString &serial, int slot) {
    return QStringLiteral("%1-%2.csv").arg(serial).arg(slot);
}

bool saveQcReport(const QString &path, const QcReport &r) {
    return saveAtomically(path, qcReportText(r).toUtf8()) == SaveResult::Saved;
}

} // namespace profiles
