// The group's MODEL design row for a fit taken over from the MODEL statement.
#include "proc/lifedist/mlfit.h"

// The effects library's level state does not yet carry the cells of the current
// observation (effcols) nor the effects' first design columns: until it does, a group fitted
// with FITTYPE=MODEL has no covariance of its own (missing, never a silent zero).
bool modeldesign(const vyxstate*, double*, int) { return false; }
