#pragma once
// Sub-commands of tintwell-cli. Each takes the arguments after its own name
// and returns the process exit code:
//   0 done, 1 no instrument answered, 2 bad arguments, 3 instrument lost
//   (calibrate: 4 when the verification did not pass).

#include <string>
#include <vector>

using CliArgs = std::vector<std::string>;

int cliConvert(const CliArgs &args);
int cliDeltaE(const CliArgs &args);
int cliMeasure(const CliArgs &args);
int cliFlicker(const CliArgs &args);
int cliProfiles(const CliArgs &args);
int cliBlack(const CliArgs &args);
int cliPattern(const CliArgs &args);
int cliSequence(const CliArgs &args);
int cliCalibrate(const CliArgs &args);
int cliBatch(const CliArgs &args);
int cliPorts(const CliArgs &args);
int cliReference(const CliArgs &args);
int cliSpectrum(const CliArgs &args);
int cliChannels(const CliArgs &args);
int cliTemplate(const CliArgs &args);
int cliCharacterize(const CliArgs &args);
int cliVerify(const CliArgs &args);
