// Initialisation of a step and the variable retrieval lists.
#pragma once
#include <cstdint>
#include "host/stmtrec.h"

struct vyxstate;
struct makeblk;

int vyxinit(vyxstate* s);
// One MAKE request: the table name and the OUT= data set.
int OutData(makeblk* block, const char* name, int length, void* target);

int vyxxvgi(vyxstate* s);
int setin(vyxstate* s, stmtrec* rec, int index);
int setclass(vyxstate* s, stmtrec* rec, int index);

// Statement kinds by keyword prefix, in the main routine's order of rules: "PP" or "PROB",
// "RPLOT" or "RELATION", "MCF" or "MPLO", "ANALYZE"; everything else is read by the
// routines that need it. MODEL (with LOGSCALE) is run by the main routine on its own:
// stmtkind never returns Model; the kind names it where statements start (poolscope.h).
enum class StmtKind { None, Probplot, Relationplot, Mcfplot, Analyze, Model };
StmtKind stmtkind(const char* keyword);
bool isanalysisstmt(const stmtrec* r);   // PROBPLOT, RELATIONPLOT, MCFPLOT or ANALYZE
bool isplotstmt(const stmtrec* r);       // PROBPLOT, RELATIONPLOT or MCFPLOT
bool ismcfstmt(const stmtrec* r);        // MCFPLOT
