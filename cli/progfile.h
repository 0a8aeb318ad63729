// The program file and the system options given on the command line.
#pragma once
#include <map>
#include <string>
#include "runtime/session.h"

namespace cli {

// The largest program file the command reads.
constexpr long kMaxProgramBytes = 16L << 20;

// Reads the whole program file; false with err set when it is missing, not a regular file
// (a folder, a FIFO, a device), larger than kMaxProgramBytes or unreadable.
bool readprogram(const std::string& path, std::string& text, std::string& err);

// Applies --option NAME=VALUE pairs, checked as the OPTIONS statement checks them; an unknown
// name or a value the option does not take is a usage error.
bool applyoptions(const std::map<std::string, std::string>& options, rt::Options& opts, std::string& err);

}  // namespace cli
