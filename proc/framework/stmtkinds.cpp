// Statement kinds by the prefix of their keyword: the rules of the main routine's dispatch,
// written once for the dispatch, the statement counts and the variable lists.
#include <cstring>

#include "proc/framework/stmtkinds.h"

StmtKind stmtkind(const char* kw) {
    auto prefix = [kw](const char* p) { return std::strncmp(kw, p, std::strlen(p)) == 0; };
    if (prefix("PP") || prefix("PROB")) return StmtKind::Probplot;
    if (prefix("RPLOT") || prefix("RELATION")) return StmtKind::Relationplot;
    if (prefix("MCF") || prefix("MPLO")) return StmtKind::Mcfplot;
    if (prefix("ANALYZE")) return StmtKind::Analyze;
    return StmtKind::None;
}

bool isplotstmt(const stmtrec* r) {
    StmtKind k = stmtkind(r->keyword);
    return k == StmtKind::Probplot || k == StmtKind::Relationplot || k == StmtKind::Mcfplot;
}
bool isanalysisstmt(const stmtrec* r) { return stmtkind(r->keyword) != StmtKind::None; }
bool ismcfstmt(const stmtrec* r) { return stmtkind(r->keyword) == StmtKind::Mcfplot; }
