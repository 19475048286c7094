#pragma once
// What the run commands (sequence, batch) share: the network pattern
// generator at a host and the instrument on a port opened as a scan would
// find them, and a run of the colour list through the same sequence logic as
// the pattern manager window, with doubtful readings reported and Ctrl-C
// stopping after the patches measured so far.

#include "batchfile.h"
#include "measurement.h"

#include <QString>

#include <functional>
#include <string>

class ArgCursor;
class GenMeasure;
class GenPattern;

struct PatchRunOptions {
    std::string generator; // host
    std::string device;    // port
    double stable = 1.0;   // seconds
    int averages = 8;
};

// --generator H, --device PORT, --stable SECONDS and --avg N, as sequence
// and batch take them; false when arg is none of them.
bool takePatchRunOption(ArgCursor &c, const std::string &arg, PatchRunOptions &options);

// Called for every patch measured (problem empty when the reading is
// sound), and for the patch an instrument was lost on (its errorCode set).
using PatchSink = std::function<void(int index, const Measurement &m, const QString &problem)>;

// Told the opened devices before the first patch.
using RunStarted = std::function<void(GenMeasure &instrument, GenPattern &generator)>;

// Needs the command's Qt application. Returns the exit code: 0 done or
// stopped by an interrupt, 1 nothing answered, 3 aborted (generator or
// instrument lost).
int runPatches(const char *command, const PatchRunOptions &options,
               const QList<ColorPatch> &patches, const PatchSink &sink,
               const RunStarted &started = nullptr);
