// The data-time driver of the effects library and the observation readers of a model.
#pragma once
#include <cstdint>
#include "proc/effects/levelize.h"
#include "proc/effects/effects.h"

// Once per model and BY group, after zlevmod (and, for LOGSCALE, after its effect table):
// installs the default readers into empty slots, finds the levels of every CLASS variable and
// the range of every continuous variable (on worker threads when thrflag or "_testthread"
// asks for them), orders and codes the levels, collects each effect's level combinations,
// runs the effect-information pass, counts the design columns (firstcol, ncol, ncols), names
// the parameters (pnames, plabels) and installs the least-squares interface.
// Returns 0; 1 a CLASS variable without level or a continuous variable without value; 2 a
// reference level given by value is not a level (172/394 logged); RC_INPUT when the data
// could not be read (message logged, exit code 1008 set); RC_NOMEM after xmemmsg; any other
// value is the effect-information pass's. The caller reports a nonzero result (510/80).
int zlevrgi(levctl* ctl);

// Default readers (host-callable entries made with vir2g).
// Rewind: 0, or 1 when the rewind fails. Next: 1 when an observation was read, 0 at the end.
int GetInit(levctl* ctl);
int GetNext(levctl* ctl);
int GetInitAcrossBy(levctl* ctl);
int GetNextAcrossBy(levctl* ctl);
// Copies values of the current observation: each letter of roles takes the next pointer
// argument (z continuous values, y responses, w weight, f frequency, c formatted CLASS
// values, u numeric raw CLASS values, b character raw CLASS values as levrawtext pairs); a
// null pointer skips its role. Returns 1; 0 when the observation could not be read (then the
// failure is logged once per model, the step's exit code becomes 1008, and ctl is marked).
int GetVals(levctl* ctl, const char* roles, ...);
// Whether a read of this model failed (GetVals returned 0 at least once).
bool zlevreadfailed(const levctl* ctl);

// Design columns of effect k: its combinations (or the coded product) times the columns of
// the constructed effects it names; sets ncomb.
int32_t zlevedf(levstate* ls, int32_t k);

// Forwarding readers of the level pass (installed into the level work block by zlevrgi).
int LevGetInit(levwork* w, levstate* ls);
int LevGetNext(levwork* w, levstate* ls);
int LevGetVals(levwork* w, levstate* ls);
int LevGetLevIndex(levwork* w);
