#pragma once
// What sequence and batch say about each patch: the standard its target
// comes from (--standard, --bits and --range over the shared settings) and
// one JSON object or CSV row per patch, with the code values shown, the
// target (cd/m² where the standard is absolute), ΔE2000 and ΔE ITP, then
// every field of the measurement.

#include "batchfile.h"
#include "measurement.h"
#include "patchjudge.h"

#include <QList>
#include <QString>

#include <string>
#include <vector>

struct PatchRunOptions;
struct TextField;

struct RunStandard {
    QString name;
    VideoStandard standard; // its range at the run's depth
};

// Needs the command's Qt application (for the settings). Throws CliError
// for a standard that is not listed.
RunStandard runStandard(const PatchRunOptions &options, int bits);
// "standard REC2100 PQ (ST 2084, peak 1000 cd/m², clipped above), 10-bit
// full range 0-1023"
std::string describeStandard(const RunStandard &s);

class PatchPrinter {
public:
    PatchPrinter(const QList<ColorPatch> &patches, const VideoStandard &standard, bool csv);
    // read false: the run was lost on this patch; the target is given, the
    // differences are null.
    void patch(int index, const Measurement &m, const QString &problem, bool read,
               const ShownCodes &shown);

private:
    std::vector<TextField> lead(int index, const QString &problem) const;
    QList<ColorPatch> m_patches;
    VideoStandard m_standard;
    bool m_csv;
};
