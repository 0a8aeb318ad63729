// Failure modes combined as competing risks (FMODE COMBINE): each listed mode is fitted by
// itself, the failures of the other modes counting as censored, and the unit survives t
// only if it survives every usable mode: S(t) = product of the modes' S_i(t), F = 1 - S.
//
// The fits of the modes live in the state block (fmloc, fmscale, fmcov, fmused; the mode
// being fitted is fmodeset.curmode). Curve records are 24 doubles with the words below.
#pragma once
#include <cstdint>

struct vyxstate;
struct grpnode;
struct tabpair;

enum : int {
    FM_F = 0,        // the combined distribution function F(t)
    FM_SPREAD = 3,   // sqrt(V S), V the delta-method variance of -ln S(t); not the standard error of F
    FM_UPPER = 8,    // upper limit of F
    FM_LOWER = 9,    // lower limit of F
    FM_X = 14,       // abscissa of a curve point
    FM_WORDS = 24,
};

// The fits of the listed modes of group g (the whole data), then the combined estimate
// (fmode). 0; nonzero when no mode could be fitted or fmode failed (the data are then shown
// without a fit: fitmethod 3, no fitted line); 1020 when the group's rows end early.
int vyxpfitfm(vyxstate* s, grpnode* g);

// Starting values (maximum likelihood) or the estimates (least squares, Weibayes, given
// values, the MODEL fit) of the mode fmodeset.curmode of group g; the group's failure
// weight becomes the mode's own. 0; 1 after 510/692, 510/903, 510/9030 or 510/524 (no fit
// of this mode); 1020 after 510/22.
int vyxfmi(vyxstate* s, grpnode* g);

// Whether there is a combined estimate: the statement fits (FITTYPE is not NONE) and at
// least one listed mode could be fitted. Without one the plots show the plotting positions
// only: no combined curve, no reference-line crossings with it.
bool fmcombined(const vyxstate* s);

// F(t) of the usable modes at t on the fitting scale, with logit-type limits from the
// delta method unless noconf is set (then the limit words are missing). A log hazard too
// large for exp logs 510/573 once and sets noconf. 0, or 1 when a kernel fails or there is
// no combined estimate.
int fmest(vyxstate* s, double t, double* rec);

// The SurvEst table of the combined estimate at the SURVTIME values. 0, or 1 when fmest fails.
int fmode(vyxstate* s);

// fmcurve: npoints + 1 curve records of the combined estimate over the life axis, for the
// statistical graphics (from the data range) or the device plot (from the drawn axis);
// null without a combined estimate. 0, or 1 when fmest fails.
int fmcdf(vyxstate* s);

// Ends the rows of a failure-mode table (ParmEst, SurvEst) as the group loop needs and
// publishes it.
void fmclose(vyxstate* s, tabpair& tab);

// Linear interpolation in n >= 2 curve records (abscissa FM_X, ordinate FM_F): mode 0 *y
// from *x, mode 1 *x from *y, other modes nothing (0). -1 below the first point (its other
// value given), 0 inside, 1 at or beyond the last point (its other value given), 2 when
// there is no curve (recs null).
int fmint(vyxstate* s, double* x, double* y, const double* recs, int n, int mode);
