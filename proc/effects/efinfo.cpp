#include "proc/effects/efinfo.h"
int zlevefti(levctl* ctl) { return ctl->lstate->nefstmt == 0 ? 0 : 0; }
