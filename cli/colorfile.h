#pragma once
// The colour list of the run commands: a batch file read whole, its first
// bad line turned into a CliError that names it.

#include "batchfile.h"

#include <string>

// Throws CliError for a file that cannot be opened, a bad line or no colours.
// bits 0 takes the depth the file gives (8 without its "#bits=10" line); 8
// or 10 reads at that depth and refuses a file that says otherwise.
QList<ColorPatch> readColorFile(const std::string &path, int bits = 0);
