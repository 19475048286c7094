#include "correctionfiles.h"

#include "atomicsave.h"
#include "batchfile.h"
#include "cliargs.h"
#include "labmath.h"
#include "reports.h"

#include <QApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTextStream>

#include <cmath>
#include <cstdio>
#include <unistd.h>

namespace correctionfiles {

using namespace correction;

namespace {

// A characterisation of 17³ plus ramps is about 5,100 rows.
constexpr qint64 maxCsvBytes = 8 * 1024 * 1024;
constexpr qint64 maxInfoBytes = 64 * 1024;

QByteArray readSmall(const QString &path, qint64 limit) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw CliError("cannot open '" + path.toStdString() + "'");
    if (f.size() > limit)
        throw CliError("'" + path.toStdString() + "' is larger than a correction's file can be");
    return f.readAll();
}

const char *transferName(Transfer t) {
    switch (t) {
    case Transfer::Bt1886:
        return "bt1886";
    case Transfer::Pq:
        return "pq";
    case Transfer::Hlg:
        return "hlg";
    default:
        return "gamma";
    }
}

double round4(double v) {
    return std::round(v * 1e4) / 1e4;
}

} // namespace

RunOutcome measure(const char *command, const PatchRunOptions &options,
                   const std::vector<std::pair<std::string, Patch>> &patches,
                   std::vector<MeasuredPatch> *measured, const RunStarted &started) {
    QList<ColorPatch> list;
    for (const auto &[set, p] : patches) {
        ColorPatch c;
        c.name = QString::fromStdString(p.name);
        c.color = QColor(p.code[0], p.code[1], p.code[2]);
        list << c;
    }
    const bool terminal = ::isatty(2);
    int done = 0;
    const RunOutcome outcome = runPatches(
        command, options, list,
        [&](int index, const Measurement &m, const QString &problem, bool read,
            const ShownCodes &) {
            if (terminal)
                std::fprintf(stderr, "\rtintwell-cli %s: %d of %d patches", command, ++done,
                             int(patches.size()));
            if (!problem.isEmpty())
                std::fprintf(stderr, "%stintwell-cli %s: %s: %s\n", terminal ? "\n" : "", command,
                             list.value(index).name.toUtf8().constData(),
                             problem.trimmed().toUtf8().constData());
            if (!read || index < 0 || index >= int(patches.size()))
                return;
            measured->push_back(
                {patches[index].first, patches[index].second, {m.bigX, m.bigY, m.bigZ}});
        },
        started, CodeRange::full(8));
    if (terminal && done)
        std::fprintf(stderr, "\n");
    return outcome;
}

QString csvPath(const std::string &dir) {
    return QString::fromStdString(dir) + QStringLiteral("/characterization.csv");
}

QString infoPath(const std::string &dir) {
    return QString::fromStdString(dir) + QStringLiteral("/correction.json");
}

bool writeCsv(const QString &path, const std::vector<MeasuredPatch> &rows) {
    QByteArray text = "set,name,red,green,blue,X,Y,Z\n";
    for (const MeasuredPatch &r : rows) {
        QString line =
            QString::fromStdString(r.set) + ',' + csvQuoted(QString::fromStdString(r.patch.name));
        for (int c : r.patch.code)
            line += ',' + QString::number(c);
        for (double v : r.xyz)
            line += ',' + QString::number(v, 'g', 8);
        text += line.toUtf8() + '\n';
    }
    return saveAtomically(path, text) == SaveResult::Saved;
}

std::vector<MeasuredPatch> readCsv(const QString &path) {
    const QStringList lines = QString::fromUtf8(readSmall(path, maxCsvBytes)).split('\n');
    std::vector<MeasuredPatch> rows;
    const std::string where = path.toStdString() + " line ";
    for (int i = 1; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty())
            continue;
        QStringList f;
        if (!splitBatchLine(line, &f) || f.size() != 8)
            throw CliError(where + std::to_string(i + 1) + ": not 'set,name,red,green,blue,X,Y,Z'");
        MeasuredPatch r;
        r.set = f[0].toStdString();
        r.patch.name = f[1].toStdString();
        bool ok = r.set == characterisationSet || r.set == verificationSet;
        for (int c = 0; c < 3 && ok; ++c) {
            r.patch.code[c] = f[2 + c].toInt(&ok);
            ok = ok && r.patch.code[c] >= 0 && r.patch.code[c] <= 255;
        }
        for (int c = 0; c < 3 && ok; ++c) {
            r.xyz[c] = f[5 + c].toDouble(&ok);
            ok = ok && std::isfinite(r.xyz[c]) && std::fabs(r.xyz[c]) < Readings::limit;
        }
        if (!ok)
            throw CliError(where + std::to_string(i + 1) +
                           ": a set, codes 0 to 255 and finite X, Y, Z are expected");
        rows.push_back(r);
    }
    return rows;
}

bool writeInfo(const QString &path, const CorrectionInfo &info) {
    const GamutSpec &p = info.target.primaries;
    const TargetCurve &c = info.target.curve;
    QJsonObject o;
    o["standard"] = info.standard;
    o["primaries"] = QJsonArray{p.redX, p.redY, p.greenX, p.greenY, p.blueX, p.blueY};
    o["white"] = QJsonArray{p.whiteX, p.whiteY};
    o["transfer"] = transferName(c.transfer);
    o["gamma"] = c.gamma;
    o["masteringPeak"] = c.masteringPeak;
    o["black"] = info.target.black == BlackHandling::Native ? "native" : "zero";
    o["lutSize"] = info.lutSize;
    o["patchSet"] = info.patchSet;
    return saveAtomically(path, QJsonDocument(o).toJson()) == SaveResult::Saved;
}

CorrectionInfo readInfo(const QString &path) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(readSmall(path, maxInfoBytes), &error);
    const std::string bad = "'" + path.toStdString() + "' is not a correction's description";
    if (!doc.isObject())
        throw CliError(bad);
    const QJsonObject o = doc.object();
    const QJsonArray pr = o["primaries"].toArray(), w = o["white"].toArray();
    if (pr.size() != 6 || w.size() != 2)
        throw CliError(bad);
    double v[8];
    for (int i = 0; i < 8; ++i) {
        const QJsonValue x = i < 6 ? pr[i] : w[i - 6];
        v[i] = x.toDouble(-1);
        if (!x.isDouble() || !(v[i] > 0 && v[i] < 1))
            throw CliError(bad + ": a chromaticity is not between 0 and 1");
    }
    CorrectionInfo info;
    info.standard = o["standard"].toString();
    info.target.primaries = GamutSpec(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], 1.0);
    const QString transfer = o["transfer"].toString();
    TargetCurve &c = info.target.curve;
    c.transfer = transfer == "bt1886" ? Transfer::Bt1886
                 : transfer == "pq"   ? Transfer::Pq
                 : transfer == "hlg"  ? Transfer::Hlg
                                      : Transfer::Gamma;
    c.gamma = o["gamma"].toDouble(2.4);
    c.masteringPeak = o["masteringPeak"].toDouble(0);
    if (!(c.gamma >= 1 && c.gamma <= 4) || !(c.masteringPeak >= 0 && c.masteringPeak <= 10000))
        throw CliError(bad + ": the curve's values are out of range");
    info.target.black =
        o["black"].toString() == "zero" ? BlackHandling::Zero : BlackHandling::Native;
    info.lutSize = o["lutSize"].toInt(33);
    info.patchSet = o["patchSet"].toString();
    return info;
}

QJsonObject summaryJson(const VerificationSummary &s, bool hdr) {
    QJsonObject o;
    o["patches"] = s.patches;
    o["meanDeltaE2000"] = round4(s.meanDeltaE);
    o["maxDeltaE2000"] = round4(s.maxDeltaE);
    o["worst"] = QString::fromStdString(s.worst);
    if (hdr) {
        o["meanDeltaITP"] = round4(s.meanDeltaItp);
        o["maxDeltaITP"] = round4(s.maxDeltaItp);
    }
    o["greyMaxDuv"] = std::round(s.greyMaxDuv * 1e6) / 1e6;
    o["greyMaxLuminancePercent"] = round4(s.greyMaxLuminancePercent);
    return o;
}

void ensureWidgets() {
    static int argc = 1;
    static char name[] = "tintwell-cli";
    static char *argv[] = {name, nullptr};
    if (QCoreApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(argc, argv); // lives as long as the command
}

bool writeReport(const QString &path, ReportSetup setup, const ResolvedTarget &target,
                 const std::vector<std::pair<QString, std::vector<VerifiedPatch>>> &tables) {
    const GamutSpec &spec = target.standard().spec;
    for (const auto &[title, patches] : tables) {
        PatchTable t;
        t.title = title;
        for (const VerifiedPatch &p : patches) {
            PatchResult r;
            r.name = QString::fromStdString(p.patch.name);
            r.code = QColor(p.patch.code[0], p.patch.code[1], p.patch.code[2]);
            r.codes = p.patch.code;
            r.target = Measurement::fromXYZ(p.target[0], p.target[1], p.target[2], spec);
            r.measured = Measurement::fromXYZ(p.measured[0], p.measured[1], p.measured[2], spec);
            r.deltaE = p.deltaE;
            r.deltaItp = p.deltaItp;
            t.rows << r;
        }
        setup.tables << t;
    }
    if (setup.texts.title.isEmpty())
        setup.texts.title = QStringLiteral("Display Correction Report");
    QWidget holder;
    const QList<QWidget *> graphs =
        Reports::patchGraphs(setup.tables.last(), setup.standard, &holder);
    return Reports::exportPdf(path, graphs, setup, Reports::patchGraphsAcross,
                              Reports::patchGraphsDown);
}

} // namespace correctionfiles
