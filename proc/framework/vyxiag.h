// The parse-control block: the procedure's template, copied into a pool block, pointing to
// the grammar tables.
#pragma once
#include "host/vec31_statements.h"

// Allocates and fills the parse-control block (no memory: the step ends with exit 1016).
prsctl* vyxiag();
