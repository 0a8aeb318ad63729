// Statement kinds by keyword prefix, in the main routine's order of rules: "PP" or "PROB",
// "RPLOT" or "RELATION", "MCF" or "MPLO", "ANALYZE"; everything else is read by the
// routines that need it. MODEL (with LOGSCALE) is run by the main routine on its own:
// stmtkind never returns Model; the kind names it where statements start (the owners'
// *_start routines).
#pragma once
#include "host/stmtrec.h"

enum class StmtKind { None, Probplot, Relationplot, Mcfplot, Analyze, Model };
StmtKind stmtkind(const char* keyword);
bool isanalysisstmt(const stmtrec* r);   // PROBPLOT, RELATIONPLOT, MCFPLOT or ANALYZE
bool isplotstmt(const stmtrec* r);       // PROBPLOT, RELATIONPLOT or MCFPLOT
bool ismcfstmt(const stmtrec* r);        // MCFPLOT
