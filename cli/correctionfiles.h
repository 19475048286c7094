#pragma once
// What characterize and verify share: the measured patches of a run and the
// files of an output folder (characterization.csv with every measured
// patch, correction.json with the target the correction was made for), the
// model fitted again from them, the PDF report and the JSON summaries.

#include "correctionrun.h"
#include "patchrun.h"

#include <QJsonObject>
#include <QString>

#include <string>
#include <vector>

struct ReportSetup;

namespace correctionfiles {

using correction::MeasuredPatch;

// What a folder's correction was made for.
struct CorrectionInfo {
    QString standard; // the standard's name
    correction::TargetSpec target;
    int lutSize = 33;
    QString patchSet; // quick, normal, thorough
};

// The patches through the run logic of sequence and batch, with a count on
// stderr when it is a terminal. measured gets each patch read (in order);
// outcome as runPatches gives it. started: as runPatches takes it.
RunOutcome measure(const char *command, const PatchRunOptions &options,
                   const std::vector<std::pair<std::string, correction::Patch>> &patches,
                   std::vector<MeasuredPatch> *measured, const RunStarted &started = nullptr);

QString csvPath(const std::string &dir);
QString infoPath(const std::string &dir);
// "set,name,red,green,blue,X,Y,Z"; false when it cannot be written.
bool writeCsv(const QString &path, const std::vector<MeasuredPatch> &rows);
// Throws CliError naming the line for a file that is not one of ours.
std::vector<MeasuredPatch> readCsv(const QString &path);
bool writeInfo(const QString &path, const CorrectionInfo &info);
// Throws CliError for a missing or damaged file.
CorrectionInfo readInfo(const QString &path);

QJsonObject summaryJson(const correction::VerificationSummary &s, bool hdr);

// A QApplication for the report's graphs (offscreen without a display).
void ensureWidgets();
// The report: the correction's standard, then each table (title and its
// patches); false when it cannot be written.
bool writeReport(
    const QString &path, ReportSetup setup, const correction::ResolvedTarget &target,
    const std::vector<std::pair<QString, std::vector<correction::VerifiedPatch>>> &tables);

} // namespace correctionfiles
