// Temporary files that earlier runs left in the output folder.
#pragma once
#include <string>
#include <vector>

namespace cli {

// Removes from dir (and its graphics/ folder) the temporary files of runs that are no longer
// running: NAME.tmp-PID of a process that does not exist, and log.txt.part of older versions.
// Returns the names removed.
std::vector<std::string> removestale(const std::string& dir);

}  // namespace cli
