// Runs the host's statement parser over the step with the procedure's grammar.
#pragma once
#include "host/vec31_statements.h"

// Registers the host's tokenizer and semantic entries on first use, takes the token anchor,
// and returns the parser's result.
int xsparse(prsctl* block, prsreq* request);
