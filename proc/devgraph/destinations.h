// The segments of a plot's pages on its destinations (zqdest.cpp; zqidest and zqdfree, which
// the main routine calls too, are declared in devgraph.h).
#pragma once
#include "proc/framework/destctx.h"

// Appends one segment record for the page just closed to the current destination's list.
int zqsgmt(destctx* c);
// Hands the segments of every destination to the output manager.
int zqpdest(destctx* c);
