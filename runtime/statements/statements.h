// The runtime's statement services (vector 31): the table-driven parser of the step's
// statements over the procedure's grammar, and the end of a step's parsed records.
#pragma once
#include "host/vec31_statements.h"

namespace rt::stmt {

// The vector-31 service table.
const vec31* services();

// Frees the records and lists of the step just run and closes the data sets the parser
// opened (DATA= and ANNOTATE=); clears the session's input.
void endstep();

}  // namespace rt::stmt
