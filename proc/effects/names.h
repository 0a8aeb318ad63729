// Level and parameter names: which level combination each design column stands for
// (usecombs), and each parameter's output-variable name (pnames) and label (plabels).
// Every routine taking (ctl, n, list) works on the n effects in list, or on all when n is 0.
#pragma once
#include <cstdint>
#include "proc/effects/effects.h"

// usecombs and combw of each effect (nscombs first in the coded design).
int zlevLevelsAll(levctl* ctl, int n, const int32_t* list);
int zlevLevelsNonSing(levstate* ls, poolobj* pool, int n, const int32_t* list);
// Names and labels of the parameters (labelmode 0: ParmName, else zlevEfParmLabel).
int zlevParmName(levctl* ctl, int n, const int32_t* list);
int ParmName(levctl* ctl);
int zlevEfParmLabel(levstate* ls, poolobj* pool, int32_t effect, int align);
// The level part of one label into buffer; returns its length.
int zlevEfLevelLabel(const levstate* ls, const leveffect* e, char* buffer, const int32_t* combination);
// Makes pnames unique (A, A2, A3 ...); sets lsflags2 0x80 when a name changed.
int UniqDups(levctl* ctl);
// Column labels of the constructed effects.
int zlevEftVarLevNames(levctl* ctl, int n, const int32_t* list);
int zlevEftVarParmLevName(levstate* ls, poolobj* pool, int32_t k);
// All of the above as the data-time driver runs them; 0, or RC_NOMEM after xmemmsg.
int zlevnames(levctl* ctl);
