// Statement kinds by the prefix of their keyword.
#include <cstring>

#include "proc/framework/vyxinit.h"

namespace {
bool prefix(const stmtrec* r, const char* p) { return std::strncmp(r->keyword, p, std::strlen(p)) == 0; }
}  // namespace

bool isplotstmt(const stmtrec* r) {
    return prefix(r, "PP") || prefix(r, "PROB") || prefix(r, "RPLO") || prefix(r, "RELATION") || prefix(r, "MPLO") ||
           prefix(r, "MCF");
}
bool isanalysisstmt(const stmtrec* r) { return isplotstmt(r) || prefix(r, "ANALYZE"); }
bool ismcfstmt(const stmtrec* r) { return prefix(r, "MCF") || prefix(r, "MPLO"); }
