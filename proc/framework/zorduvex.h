// The main routine of the procedure and the statement lookup.
#pragma once
#include "host/stmtrec.h"

// Runs one step; its result is the value of the host's exit service.
int zorduvex();
// Module start-up of a step: the module parse block, printing, the DEBUG option.
void xinit();
// Counts the parsed statements whose keyword begins with keyword; the last match goes to *last.
int fndstmt(const char* keyword, stmtrec** last);
// The module parse block of the current step.
struct modparse* curparse();
