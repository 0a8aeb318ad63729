// The host's statement parser run over the step with the procedure's grammar (xsparse.h).
#include "proc/framework/xsparse.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/xinit.h"
#include "proc/framework/msghost.h"

namespace {
// Makes one host entry callable for the parser; a failure ends the step.
void callable(void* entry, void** slot) {
    if (vir2g(entry, slot, v_global_gcb_anchor->session, v_global_pidb_anchor) != 0) {
        xpmlog(129, E129_PARSER_ENTRIES);
        xexit(RC_SETUP, 0);
    }
}
}  // namespace

int xsparse(prsctl* block, prsreq* request) {
    if (!block->tokenizer) {
        callable(hostvec<vec31>(VEC_STATEMENTS)->xttk(), &block->tokenizer);
        callable(hostvec<vec31>(VEC_STATEMENTS)->xsem(), &block->semantic);
    }
    if (!block->anchor) block->anchor = xtanch();
    modparse* mpb = curparse();
    int flags = (mpb->semtrace ? 1 : 0) + (mpb->syntrace ? 2 : 0);
    return xsproc(block, mpb, flags, request, 0, 0);
}
