// The lookup of a parsed statement by its keyword.
#pragma once
#include "host/stmtrec.h"

// Counts the parsed statements whose keyword begins with keyword; the last match goes to *last.
int fndstmt(const char* keyword, stmtrec** last);
