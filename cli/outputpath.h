#pragma once
// The files a command will write, checked before any instrument is touched:
// a measurement run is long, and a profile stored into an instrument cannot
// be taken back, so a report that could not be written must be known first.

#include <string>
#include <vector>

// Throws CliError (exit 2) when path names a folder, lies in a folder this
// account cannot write into, or is the same file as one of inputs (however
// it is named: links and relative paths count as the same file).
void checkOutputPath(const std::string &path, const std::string &option,
                     const std::vector<std::string> &inputs);
