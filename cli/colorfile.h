#pragma once
// The colour list of the run commands: a batch file read whole, its first
// bad line turned into a CliError that names it.

#include "batchfile.h"

#include <string>

// Throws CliError for a file that cannot be opened, a bad line or no colours.
QList<ColorPatch> readColorFile(const std::string &path);
