// The relation plot: life against stress. On a probability-plot page (fit methods other
// than REGRESSION) vyxrplt draws the relation panel after the probability panels: data
// markers, boxes (vyxbox) or medians per stress level and the percentile lines through
// the levels' own fits. With FITTYPE=REGRESSION the RELATIONPLOT driver (vyxrplot) scales
// the axes itself, computes the percentile lines of the MODEL fit (regper) and draws one
// page per destination (regplt).
#pragma once
#include <cstdint>

struct vyxstate;
struct descell;
struct levstate;

// What regper leaves for the drawing and the statistical-graphics road: how many curves
// each percentile has and what distinguishes them, and the points of each curve.
struct regpstate {
    uint8_t other;              // curves for values of a second continuous variable
    uint8_t bylevel;            // curves for each level of the MODEL's CLASS variable
    int32_t otherix;            // index of the second continuous variable
    int32_t ncurve;             // curves per percentile
    const double* values;       // the second variable's values
    int32_t npts;               // points per curve: 100 for the model fits, else the levels
    int32_t clsix;              // with bylevel: the MODEL's CLASS variable whose levels the curves are
};

// The variables the MODEL's effects use (the CLASS statement may name more): their counts
// and the first CLASS variable used (-1: none).
struct usedvars {
    int ncls = 0, ncont = 0, cls = -1;
};
usedvars usedvariables(const levstate* ls);

// The relation panel of a probability-plot page. 0; 1 after xmemmsg; 1020 after 510/22.
int vyxrplt(vyxstate* s);
// Boxes of the stress levels (PLOTDATA=BOXES). 0.
int vyxbox(vyxstate* s);

// The percentile lines: pctcount x ncurve x npts (stress, life) pairs, life on the scale of
// the fit (log life for the log-location distributions); null when there is no memory
// (after xmemmsg).
double* regper(vyxstate* s);
// The parameter vector pctl reads, pointed at a pair of the holder's for as long as the
// holder lives and given back when it ends (get_parm writes the pair).
struct ParmPair {
    vyxstate* s;
    double* saved;
    double pair[2] = {0.0, 1.0};
    explicit ParmPair(vyxstate* st);
    ~ParmPair();
    ParmPair(const ParmPair&) = delete;
    ParmPair& operator=(const ParmPair&) = delete;
};
// The index among the MODEL's continuous variables of data-set variable var, or -1.
struct levstate;
int continuousindex(const levstate* ls, int32_t var);
// The index of the statement's stress variable among the continuous variables of the MODEL's
// fit; -1 when there is no fit or the stress variable is not one of them.
int modelstressindex(const vyxstate* s);
// The MODEL's location and scale where every CLASS variable of the MODEL takes level
// `level`, every continuous variable its mean over the MODEL's rows and continuous variable k
// the value x: written into the first two estimates of the parameter block (parmvec.block;
// both missing when the MODEL gives none there). row (optional) receives the design row: one cell
// per MODEL effect, then one per LOGSCALE effect.
void get_parm(vyxstate* s, int level, double x, int k, descell* row);
// One relation-plot page of the REGRESSION fit: data markers, symbol legend and the
// percentile lines. 0, or 1 after xmemmsg (or after 510/15, the step ended).
int regplt(vyxstate* s, const double* pctlines);
// Sorts the plot rows of utilfile (stress, life, code[, frequency]) by stress, then life,
// and makes the sorted file the utilfile. 0, or 1 after a message.
int sortxy(vyxstate* s);
// The frame of the percentile-line legend around the plot area (RPLEGEND), then the
// legend record's pool released.
void pctlegendframe(vyxstate* s);
// Whether the relation panel draws a percentile line through the levels' own fits: two levels
// with a line of their fit, or one whose line the MODEL carries on to the ends of the span.
bool levellinesdrawn(const vyxstate* s);
// The statistical-graphics road of RELATIONPLOT (its result is the statement's).
int vyxrog(vyxstate* s, const double* pctlines);

// The symbol legend in the lower left of the frame: entries of the marker kinds that had
// points (exact, right-, left-censored) by the response form; the exact entry is left out
// when skipexact is set.
struct ggmarkblk;
void symlegend(vyxstate* s, const ggmarkblk* blocks, const int* colors, const bool* seen, bool skipexact);
