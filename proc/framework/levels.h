// Levelization records of the MODEL statement, owned by the effects library
// (proc/effects/levrec.h); the state block carries one set for MODEL.
#pragma once
#include "proc/effects/levrec.h"
