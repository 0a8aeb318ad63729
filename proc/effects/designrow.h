// The design row of one observation: level indexes, standardised continuous values, one cell
// per effect (product of its continuous values, column of its level combination), and flags
// that say whether and why the observation cannot be used.
#pragma once
#include <cstdint>
#include "proc/effects/effects.h"

// Flags of zlevrgd.
enum : int32_t {
    LEVF_WEIGHT = 1,           // weight or frequency unusable
    LEVF_UNUSABLE = 2,         // the observation cannot be used for the design (callers drop it)
    LEVF_RESPONSE = 4,         // a response value missing
    LEVF_NOLEVEL = 8,          // a CLASS value is no level
    LEVF_CONTMISS = 16,        // a continuous value missing
    LEVF_EFFECT = 32,          // an effect unusable
    LEVF_ALLMISS = 64,         // an all-missing member set accepted
    LEVF_READFAIL = 256,       // our own: the values could not be read (with 2; the reader has
                               // logged the failure and set the step's exit code 1008)
};

// Reads the current observation (positioned by rdnext) and fills levidx, contval and effcols.
// y receives nresp responses, w the weight, f the frequency; each may be null (that value is
// then neither read nor checked). Returns the flags; the caller drops an observation with 2.
int32_t zlevrgd(levctl* ctl, double* y, double* w, double* f);

// Where zlevrgd takes the level indexes from when raw values are read first: find returns the
// level index of CLASS variable i for its raw value (key: the 8 bytes of a numeric value, or
// the stored length of a character one), -1 when the value is no level, or -2 when the source
// does not know it (its formatted value is then read and looked up). note (optional) learns
// a looked-up index.
struct rgdsource {
    int (*find)(void* ctx, int i, const char* key);
    void (*note)(void* ctx, int i, const char* key, int index);
    void* ctx;
};
// zlevrgd with the level indexes found through src (null: by formatted value only). The flags
// and every value left behind are those of zlevrgd.
int32_t zlevrgdfrom(levctl* ctl, double* y, double* w, double* f, const rgdsource* src);

// Column of the observation's level combination in effect e (rows 0..nseen-1 of combs);
// nseen when the combination is not in the table, -1 for an effect without a table, 0 for an
// effect without CLASS variables.
int32_t zlevwel(const leveffect* e, const int32_t* levidx);
// Row k of the effect's combinations against the observation: nesting part first, then
// crossed; -1, 0 or 1.
int eCompare(const leveffect* e, int32_t k, const int32_t* levidx);
// Warns (172/398) of every CLASS variable with exactly one level; returns 0.
int zlevchk(levctl* ctl);
// keylen/4 signed 32-bit integers from keyoff, in order: -1, 0 or 1 (trees of combinations).
int Compare(const void* a, const void* b, int32_t keylen, int32_t keyoff);
// NUL-terminated blank-padded texts at off, compared ignoring trailing blanks: -1, 0 or 1.
int clcmp(const void* a, const void* b, int32_t len, int32_t off);
// 1 when the observation is usable with its responses (weight), else 0.
int FitGetY(levctl* ctl, double* y);
int FitGetW(levctl* ctl, double* w);
// The checks of the constructed effects named by effect: 1 passed, 0 failed (flags 2|32 set).
int zlevCheckEftEXMISS(int32_t* flags, levctl* ctl, levstate* ls, int32_t effect);

// The raw-value map of a model (levctl::rawmap): made by zlevrgi after the level pass, it lets
// zlevrgd read raw values and format only those it has not met. Null when the model's reader
// is not the default one (a caller's reader need not keep raw and formatted values in step).
levrawmap* zlevrawmapmake(levctl* ctl);
