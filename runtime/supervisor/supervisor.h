// Vector 30 of the runtime: pools, messages, exit, printing handles, options, debug log.
#pragma once
#include <string>
#include "host/vec30_supervisor.h"

namespace rt::sup {
const vec30* services();
// Logs a line of the given kind through the current session and counts errors and warnings.
void logline(char kind, const std::string& text);
}  // namespace rt::sup
