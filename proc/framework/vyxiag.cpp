// The parse-control block: the procedure's template copied into a pool block, pointing to the
// grammar tables (vyxiag.h).
#include "proc/framework/vyxiag.h"
#include "proc/framework/grammar_tables.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/hostsvc_util.h"
#include "proc/framework/pools.h"


namespace {
// The template of the block; the parser fills the entries and the anchor.
constexpr prsctl ctltemplate = {1, 0, nullptr, nullptr, nullptr, nullptr};
}  // namespace

prsctl* vyxiag() {
    auto* block = poolget<prsctl>(v_global_gcb_anchor->pool, 1, poolflag::raw);
    if (!block) {
        xexit(RC_NOMEM, 0);
        return nullptr;
    }
    *block = ctltemplate;
    block->tables = vyxgrammar();
    if (wztxdotr() != 0) xsfixsym(19, 439, 3350, &block);
    return block;
}
