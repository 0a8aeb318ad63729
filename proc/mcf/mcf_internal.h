// What the files of MCFPLOT share that no other folder uses.
#pragma once
#include <cfloat>

#include "proc/framework/grpnode.h"

// The group's extremes of the MCF, its limits, the event times and the end times, cleared
// before its records are walked.
inline void mcfextremes(grpnode* g) {
    g->mcf.mcfmax = g->mcf.uppmax = g->mcf.evtmax = g->mcf.endmax = -DBL_MAX;
    g->mcf.mcfmin = g->mcf.lowmin = g->mcf.evtmin = g->mcf.endmin = DBL_MAX;
}
