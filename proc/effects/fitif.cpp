#include "proc/effects/fitif.h"
int zlevfx(levctl*) { return 0; }
