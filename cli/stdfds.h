// The standard descriptors of the process.
#pragma once

namespace cli {

// Opens /dev/null on any of the descriptors 0, 1 and 2 that is closed, so that no file the
// run opens later (the log, the report) takes the place of standard output or standard error.
void ensurestandardfds();

// Standard output that is no terminal gets a large buffer (before anything is written to it).
void bufferstandardoutput();

}  // namespace cli
