#pragma once
// Files the simulator is told to read: only regular files, and never more
// than a command could need, so a FIFO, a device or a huge file named by
// mistake costs an error message, not a hang or all the memory.

#include <cstddef>
#include <string>

namespace sim {

// True for a regular file and for a path where nothing is yet (a state
// file made on the first change); false for a FIFO, a device, a directory.
bool isRegularOrAbsent(const std::string &path);

// The whole of a regular file of at most maxBytes; false with the reason.
bool readSmallFile(const std::string &path, std::size_t maxBytes, std::string *text,
                   std::string *why);

} // namespace sim
