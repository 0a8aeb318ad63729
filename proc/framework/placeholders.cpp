// Device graphics are not available yet: no destination opens.
#include "host/hostdefs.h"
#include "proc/framework/analyses.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/vyxstate.h"

int zqidest(gdestctx*) { return RC_SETUP; }
int ggsload(void*, int, int) { return 1; }
void zqdfree(gdestctx*) {}
int ggstop() { return 0; }
