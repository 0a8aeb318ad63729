// Levelization records of the MODEL statement, owned by the effects library
// (proc/effects/effects.h); the state block carries one set for MODEL.
#pragma once
#include "proc/effects/effects.h"
