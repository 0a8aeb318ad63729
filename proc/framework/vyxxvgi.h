// The variable retrieval lists: the host get lists that put the values of the current
// observation into the cells of the state block.
#pragma once
#include "host/stmtrec.h"

struct vyxstate;

int vyxxvgi(vyxstate* s);
int setin(vyxstate* s, stmtrec* rec, int index);
int setclass(vyxstate* s, stmtrec* rec, int index);
