#pragma once
// What the run commands (sequence, batch) share: the network pattern
// generator at a host and the instrument on a port opened as a scan would
// find them, and a run of the colour list through the same sequence logic as
// the pattern manager window, with doubtful readings reported and Ctrl-C
// stopping after the patches measured so far.

#include "batchfile.h"
#include "measurement.h"
#include "patchdepth.h"

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
    std::string standard; // the target standard by name; empty: the current one
    int bits = 0;         // 8 or 10; 0: as the colour file says
    std::string range;    // "full" or "limited"; empty: the settings' video range
    double window = 0;    // percent of the screen's area; 0: the generator's own box
    int profile = -1;     // colorimeter profile slot the run reads through; -1 as it is
};

// --generator H, --device PORT, --stable SECONDS, --avg N, --standard NAME,
// --bits 8|10, --range full|limited and --window PERCENT, as sequence and
// batch take them; false when arg is none of them.
bool takePatchRunOption(ArgCursor &c, const std::string &arg, PatchRunOptions &options);

// Called for every patch measured (problem empty when the reading is
// sound), and for the patch the run was lost on: an instrument or the
// generator gone, read false (the record then holds only its errorCode).
// shown: the code values the generator was given for the patch.
using PatchSink = std::function<void(int index, const Measurement &m, const QString &problem,
                                     bool read, const ShownCodes &shown)>;

// Told the opened devices before the first patch.
using RunStarted = std::function<void(GenMeasure &instrument, GenPattern &generator)>;

// Exit code 5: every patch was measured, but what the instrument saw may not
// be what was asked for: the generator did not confirm a patch, or the
// display did not change between patches that cannot look alike.
constexpr int exitNotShown = 5;

struct RunOutcome {
    int code = 0;       // 0 done or stopped by an interrupt, 1 nothing answered,
                        // 3 aborted (generator or instrument lost), exitNotShown
    std::string reason; // why it is not 0, for the last line on stderr
};

// Needs the command's Qt application. Patches deeper than 8 bits are shown
// as codes of `range` (CodeRange::full(bits) unless the run says limited).
RunOutcome runPatches(const char *command, const PatchRunOptions &options,
                      const QList<ColorPatch> &patches, const PatchSink &sink,
                      const RunStarted &started = nullptr, const CodeRange &range = {});
