// Initialisation of a step.
#pragma once

struct vyxstate;
struct makeblk;

int vyxinit(vyxstate* s);
// One MAKE request: the table name and the OUT= data set.
int OutData(makeblk* block, const char* name, int length, void* target);
