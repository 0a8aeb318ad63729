// The effect list of a model from its parsed statements: one level record per CLASS and
// continuous variable, one effect record per model effect (the intercept first).
#pragma once
#include <cstdint>
#include "host/stmtrec.h"
#include "proc/effects/effects.h"

// Fills ls from the step's statements. contslot and classslot are option slots of the PROC
// record (the head of the step's statements) holding the continuous and CLASS variable
// lists (negative: none); effslot the slot of stmt holding the parsed effects (negative: no
// effect records at all). The caller sets truncln and the lsflags bits it owns first; this
// sets 0x40 from nointercept and 0x10 from nonsingular. Returns 0, the status of the
// EFFECT-statement branch, or RC_NOMEM after xmemmsg when the effect pool is exhausted.
int zlevmod(levstate* ls, dshandle ds, int32_t contslot, int32_t classslot, stmtrec* stmt, int32_t effslot,
            int32_t nointercept, int32_t nonsingular);

// Fills one effect record from one parsed effect (lists copied from the effect pool); the
// LOGSCALE table builder calls it once per effect. Returns 0, or RC_NOMEM.
int zlevglm(leveffect* e, const parsedeff* p);

// The effect's name from its variables and constructed effects ("A*B(C)"), cut to namelen.
int zlevMakeEffectName(levstate* ls, leveffect* e);
// Names the n adjacent pieces of an expanded effect (the last constructed effect varies fastest).
int zlevSeparate(levstate* ls, leveffect* first, int n);
// nglmeff, glmsplit and neffect from the parsed effects.
int zlevNef(levstate* ls, const parsedeff* list, int32_t count, const int32_t* efstlist);

// Variable-list routines over n variable numbers (a variable counts as a CLASS variable
// when its number is the number of some classv record's variable).
int zlevIsOnClassList(const levstate* ls, int n, const int32_t* list);
int zlevMapClassVars(const levstate* ls, int n, int32_t* list);
int zlevValidateClassList(const levstate* ls, int n, int32_t* list, int32_t* index);
int zlevAddContVars(dshandle ds, levstate* ls, int n, int32_t* list, int32_t* index);

// Finds the records made from a parsed effect (uncalled by the procedure).
int zlevMatchGLMEfToEf(const parsedeff* p, const levstate* ls, int32_t* first, int32_t* count);
int zlevEqualGlmEfs(const parsedeff* a, const parsedeff* b);

// The EFFECT statements of the step (docs/effects.md gives their record layout): builds the
// constructed-effect records and efstlist. Without EFFECT statements: 0, nothing made.
int zlevProcessEffectStatements(levstate* ls, dshandle ds, int32_t** efstlist);
