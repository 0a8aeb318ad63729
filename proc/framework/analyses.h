// The analyses the main routine dispatches to, and the device-graphics start-up that
// the initialisation calls.
#pragma once

struct vyxstate;

int vyxanlz(vyxstate* s);      // ANALYZE
int vyxpprm(vyxstate* s);      // options of PROBPLOT and RELATIONPLOT
int vyxpplt(vyxstate* s);      // PROBPLOT
int vyxrplot(vyxstate* s);     // RELATIONPLOT
int vyxcf(vyxstate* s);        // MCFPLOT
int vyxmod(vyxstate* s);       // MODEL
void CleanUpDisk(vyxstate* s); // closes and deletes the statement's utility files

// Device graphics: open the destinations, load the modules, free the context; stop.
struct gdestctx;
int zqidest(gdestctx* ctx);
int ggsload(void* device, int, int);
void zqdfree(gdestctx* ctx);
int ggstop();
