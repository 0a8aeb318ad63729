// Graphics modules and device descriptions: loading the graphics modules and starting
// device graphics (ggsload), the description of a device with a cache kept in the host's
// named storage (ggdvget), and the routines of the same group that nothing calls.
// (ggsload, which the main routine calls, is declared in devgraph.h.)
#pragma once
#include "host/vec116_graphics.h"
#include "proc/devgraph/devgraph.h"

// The description of the named device (8 characters), or null for a blank or unknown name.
const ggdevice* ggdvget(const char name[8]);
// A value of the device's description: its type, 1 for an ordinary device; 0 when unknown.
int ggtdvmd(const char name[8]);
// Releases the host's parsed-statement chains: the runtime frees them with the step.
void gpspnot();

// Graphics-memory entries of the group: they do nothing.
void gmemget();
void gmemzer();
void gmemex();
void gmemfre();
void gmsize();
void gmemmsg();
void gmemdef();
void gmpoolc();
void gmalloc();
void gmpoold();
void gmrealc();
void gmfree();
void gymzer();
void gymfre();
