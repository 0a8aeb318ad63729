// The parse set-up of a step: parse-control block, parser block, effect-parse record,
// the request with its callback, and the parse itself.
#pragma once
#include "host/vec31_statements.h"

// The 16-byte parser block kept in the module parse block.
struct prsblk {
    prsctl* ctl;              // the parse-control block
    void* w1;
    void* w2;
    void* effentry;           // the effect parser's entry
};

// Returns the parse error word (0 when the statements parsed).
int prssetup();
