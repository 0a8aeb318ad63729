// The analyses the main routine dispatches to, as their folders' public headers declare them:
// ANALYZE (vyxanlz), the options of PROBPLOT and RELATIONPLOT (vyxpprm) and the statement's
// utility files (CleanUpDisk) in proc/lifedist; PROBPLOT (vyxpplt) and RELATIONPLOT
// (vyxrplot) in proc/devgraph; MCFPLOT (vyxcf) in proc/mcf; MODEL (vyxmod) in
// proc/regression.
#pragma once
#include "proc/devgraph/devgraph.h"
#include "proc/lifedist/lifedist.h"
#include "proc/mcf/mcf.h"
#include "proc/regression/regression.h"
