// The runtime's output system: vector 320 and the program lifecycle of the destinations
// (listing.txt and standard output, report.html, the data sets that MAKE asks for).
#pragma once
#include <string>
#include "host/vec320_output.h"
#include "runtime/session.h"

namespace rt::out {

// Vector 320 of the runtime.
const vec320* services();

// A new program of session s (the step runner's; none when s is null): the destinations are
// begun afresh, and the BY groups of data sets are shown as they begin.
void beginprogram(Session* s);
void beginstep();
// Prints every table still open, writes or drops the MAKE data sets of the step (a
// WARNING for a table that never appeared, an ERROR for a data set that cannot be
// written) and forgets the step's objects and texts.
void endstep();
// Completes listing.txt and report.html; 0, or non-zero with err when a destination
// could not be written.
int endprogram(std::string& err);
// A line of the log: notes, warnings and errors are shown in the report too, in the step
// where they happened.
void logged(char kind, const std::string& text);
// A BY group of the step's input data set begins: the report shows its BY line.
void bygroupstarted();

}  // namespace rt::out
