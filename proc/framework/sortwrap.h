// The procedure's call of the host sort: the caller's start, compare and exit routines are
// made callable for the host around the call.
#pragma once
#include "host/vec472_sort.h"

// Runs one sort of the control block through the host's zsortap; returns its status.
int zsort(sortctl* c);
// The start exit handed to the host: runs the caller's start routine, then makes the
// caller's exits callable. Returns the start routine's result.
int init_wrapper(sortctl* c, void* unused);
// Clears the eight host-callable exit entries.
void wrapper_cleanup(sortexit* entries);
