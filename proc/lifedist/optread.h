// The pieces that the ANALYZE reader (vyxaprm) and the PROBPLOT/RELATIONPLOT reader
// (vyxpprm) share: each reads one group of options of the statement record into the state
// block. Results follow the readers: 0 go on, 1 after a message (the statement is skipped),
// 2000 for a statement whose options contradict each other or its response.
#pragma once
#include <cstdint>

struct vyxstate;
struct stmtrec;

// The start of both readers: every statement starts from the DISTRIBUTION statement's code
// (FITTYPE=WEIBAYES changes it for its own statement only), with no group nodes yet;
// DISTRIBUTION GAMMA gives 510/156 and 1.
int readerstart(vyxstate* s);
// The statement label (8 characters) into stmtlabcell; stmtlabel points there, or is null
// when the label is blank or absent.
void readstmtlabel(vyxstate* s, const stmtrec* r);
// CONFIDENCE= into alpha: 510/904 and 2000 outside (0, 1).
int readconfidence(vyxstate* s, const stmtrec* r);
// FIT=WEIBAYES(CONF=) of option slot `slotno` into wbconf as -ln(1 - CONF); `fallback` (that
// form) when not given. A CONF= of 0 or 1, which gives no Weibayes bound, is 510/2062 and 2000.
int readwbconf(vyxstate* s, const stmtrec* r, int slotno, double fallback);
// MAXIT, CONVERGE, CONVH, SINGULAR, PSTABLE, MAXITEM (both values), TOLLIKE, TOLPROB.
void readfitcrit(vyxstate* s, const stmtrec* r);
// The first and the second response variable; descriptors into rspdesc.
void readresponses(vyxstate* s, const stmtrec* r);
// The plot frame record from the statement pool (xmemmsg and 1 on failure).
int allocframe(vyxstate* s);
// CLASS variables of the statement: their descriptors, names, numeric flags and labels,
// and the drop-missing bytes (the inverses of MISSING1 and MISSING2). With refusemore,
// more than two give 510/506 and 1.
int readclass(vyxstate* s, const stmtrec* r, bool refusemore);
// The response form: READOUT, FMODE and COMBINE checks (ANALYZE with POISSON or BINOMIAL:
// form 4 only), the form bytes, the censoring values and the row layout.
int readform(vyxstate* s, const stmtrec* r, bool analyze);
// The censoring values of a time*censor(values) response.
void readcensvals(vyxstate* s, const stmtrec* r);
// The default probability tick list (30 values) with its indices; xmemmsg and 1 on failure.
int defaultticks(vyxstate* s);
// LOCATION, SCALE and SHAPE with their LINIT/SCINIT/SHINIT flags; with check, SCALE or
// SHAPE below 2^-53 gives 510/11 or 510/12 and 1.
int readgivenparms(vyxstate* s, const stmtrec* r, bool check);
// FITTYPE and the rule that every parameter held at a given value means method 4; the
// Lagrange-table byte and the likelihood-limit bytes. Returns the method chosen.
uint32_t choosefitmethod(vyxstate* s, const stmtrec* r);
// The fit-method label and the Weibayes checks (with maxshape, a given shape above
// 709.78 is refused too); 1 after a message. Methods 8 and 9 are checked by the readers.
int fitmethodlabel(vyxstate* s, const stmtrec* r, bool maxshape);
// After the fit method: only MLE and MODEL print covariances; the threshold, the scales and
// the label length start cleared for the distribution dispatch.
void afterfitmethod(vyxstate* s);
// FMODE COMBINE: notes that the plotted points stand for every failure while the line stands
// for the listed modes, and that PPOUT makes no table.
void combinenotes(const vyxstate* s, bool plot);
// The distribution dispatch for the life distributions: scale, quantile routine, kernels,
// labels, THRESHOLD and the reparametrisation of the given values.
void dispatchdist(vyxstate* s, const stmtrec* r);
// The plotting-position routine of a PPOS code (0 to 5; another code leaves it unchanged).
void setppos(vyxstate* s, int code);
// SURVTIME= values (on a log scale a value not above 0 gives 510/66 and no times).
void readsurvtime(vyxstate* s, const stmtrec* r);
// ORDER1= and ORDER2= into the ordering codes of clsorder.
void readordering(vyxstate* s, const stmtrec* r);
// Fit methods that leave no covariance of the estimates.
bool nocovariance(uint32_t fitmethod);
// The life axis is on a log scale (ln or log10).
bool logaxis(const vyxstate* s);
