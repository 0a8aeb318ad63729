// EFFECT statements: constructed effects from statement records. The procedure's grammar has
// no EFFECT statement, so the layout of its record is the library's own (docs/effects.md):
// the slots and flags below, named once here.
#pragma once
#include <cstdint>
#include "host/stmtrec.h"
#include "proc/effects/effects_internal.h"

enum : int {
    EFS_NAME = 0,          // text: the effect's name (its label)
    EFS_KIND = 1,          // number: 1 multi-member, 2 collection, 3 spline, 4 polynomial
    EFS_VARS = 2,          // variable list (data-set variable numbers)
    EFS_DEGREE = 3,        // number: spline degree (3), polynomial degree (1)
    EFS_MAXPOWER = 4,      // number: polynomial: largest power of one variable (the degree)
    EFS_BASIS = 5,         // number: spline: 1 B-splines (default), 2 truncated power functions
    EFS_KNOTMETHOD = 6,    // number: 1 even, 2 even for B-splines, 3 list, 4 fractions, 5 percentiles, 6 as listed
    EFS_NKNOTS = 7,        // number: interior knots of methods 1 and 5 (3)
    EFS_METHOD2 = 8,       // number list: the two numbers of method 2 (0 and 7); 2^first interior knots
    EFS_KNOTS = 9,         // number list: knots (3, 6) or fractions (4)
    EFS_LOWER = 10,        // number: lower bound of a B-spline
    EFS_UPPER = 11,        // number: upper bound
    EFS_POWERTERMS = 12,   // number: truncated power functions: 0 none, 1 x..x^d, 2 also a constant
    EFS_STDMETHOD = 13,    // number: polynomial standardisation: 1 centre, 2 scale, 3 both (3)
    EFS_STDSOURCE = 14,    // number: 1 moments, 2 weighted moments, 3 ranges (1)
    EFS_PREFIX = 15,       // text: prefix of standardised variables ("s_")
    EFS_POWERTEXT = 16,    // text: power text ("^", one character)
    EFS_SEPTEXT = 17,      // text: separator ("*", one character)
    EFS_WEIGHTS = 18,      // variable list: multi-member weights (continuous, one per member)
    EFS_HIGHEST = 18,
};
enum : int {
    EFF_SEPARATE = 0,      // spline: every column a constructed effect of its own
    EFF_NOBOUNDS = 1,      // spline: the bounds are excluded
    EFF_REPBOUND = 2,      // B-spline: repeat the boundary knots
    EFF_STANDARDIZE = 3,   // polynomial: standardise the variables
    EFF_NOSTANDARDIZE = 4, // polynomial: do not (wins over EFF_STANDARDIZE, 174/72)
    EFF_NOSEPARATOR = 5,   // polynomial: labels without a separator
    EFF_PRODUCTS = 6,      // polynomial: labels as repeated products instead of powers
    EFF_COLLECTION = 7,    // polynomial: one collection effect instead of one per term
    EFF_ALLMISSING = 8,    // multi-member: all members missing is allowed
    EFF_DIVIDE = 9,        // multi-member: divide by the total weight
};

// Binomial coefficient, capped at 2147483647.
int32_t zlevBinCoef(int32_t n, int32_t k);
// Constructed effects of a polynomial statement: 1 for a collection, else its terms.
int32_t zlevPolyNefts(const stmtrec* st);
// The term tables of a polynomial over nvars variables (degree bounds, start indexes, terms).
int zlevParsePoly(int32_t nvars, polydesc* p, poolobj* pool, const stmtrec* st);
// One label per term (collection: each preceded by the effect label and "_"); labels[t].
int zlevPolyLabel(levstate* ls, const efrec* r, const polydesc* p, const char* label, int labellen, char** labels,
                  int32_t* lens, int32_t* longest, poolobj* pool);
int32_t zlevPolyTermLen(const levstate* ls, const efrec* r, const polydesc* p, int32_t t);
// Spline settings: 1 when the spline would have no column.
int zlevPartialParseSpline(levstate* ls, splinedesc* s, const stmtrec* st, int32_t nvars);
// Spline settings and knots with their checks (warnings raise lsrc to 4); 0, or 1 after 174/61.
int zlevParseSpline(levstate* ls, splinedesc* s, const stmtrec* st, poolobj* pool);
// Ascending Shell sort of doubles.
void zlevQSort(double* v, int32_t n);
// Drops knots repeated beyond the degree: 1 after 174/62, else 0.
int zlevRepeatedKnotCheck(splinedesc* s);
// Columns of one variable of a spline before its knots are placed (n + d + 1 for a B-spline).
int32_t zlevSplineCols(const splinedesc* s);
