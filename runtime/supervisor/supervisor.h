// Vector 30 of the runtime: pools, messages, exit, printing handles, options, debug log.
#pragma once
#include <string>
#include "host/vec30_supervisor.h"
#include "runtime/session.h"

namespace rt::sup {
const vec30* services();
// Logs a line of the given kind into the session's log and counts its errors and warnings.
void logline(Session* s, char kind, const std::string& text);
// The same for the current session: for the service entries, which get no session.
void logline(char kind, const std::string& text);
// Logs an ERROR that names the statement being run and its line, as the procedure's own errors
// do ("Line 12: MCFPLOT statement: ..."); the text alone when no statement runs.
void logstatementerror(Session* s, const std::string& text);
}  // namespace rt::sup
