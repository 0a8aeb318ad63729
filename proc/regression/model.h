// The MODEL statement: a life distribution whose location is a linear function of effects
// (and whose log scale may be one too, LOGSCALE), fitted by maximum likelihood.
//
// Every routine takes the state block first. Results: 0 success; 1 after a logged message;
// or an exit code (1008 data or file, 1016 memory, 2000 the statement as written). A failing output-object
// call ends the step: the routine reports it (xprrlog), calls xexit, sets stepend and returns.
#pragma once
#include <cstdint>
#include "proc/vyxstate.h"
#include "proc/numeric/shapequant.h"
#include "proc/regression/desrow.h"

struct levctl;
struct levstate;
struct leveffect;

// ---- driver, options and data pass
int vyxmod(vyxstate* s);
int vyxmprm(vyxstate* s);
int seffect(vyxstate* s, levstate* ls, stmtrec* r);
// Zeroes a MODEL level-control record with its level state and data block, keeping the links.
void clearlevels(levctl* ctl);
int vyxmdta(vyxstate* s);
double transx(vyxstate* s);                 // 0.0, or the missing value when a relation transform fails
int32_t rlevwel(const leveffect* e, const int32_t* levidx);
int EqIntList(const int32_t* list, const int32_t* values, int n, const int32_t* index);
// The current observation's failure-mode value, left-justified in obsvals; false when it is
// missing (a numeric variable) or blank (a character one).
bool fmodevalue(vyxstate* s);
// Whether the current observation (its failure-mode value read by fmodevalue) is of another
// failure mode (KEEP: not listed; ELIMINATE: listed): the MODEL takes its exact failure as
// right-censored.
bool othermode(const vyxstate* s);

// ---- information tables (each returns the result of its closing call)
int modhdr(vyxstate* s);
int modnobs(vyxstate* s);
int classtbl(vyxstate* s);
int procprm(vyxstate* s);

// ---- fit
int vyxmfit(vyxstate* s);                   // 0, or 1 when an array cannot be allocated
void setupit(vyxstate* s, int label, txthandle name);
void mitprnt(vyxstate* s);
void vyxmls(vyxstate* s);
void init0(vyxstate* s);
void init1(vyxstate* s);
int zlnull(int mode, const double* z, const double* shape, double* out);
int zwnull(int mode, const double* z, const double* shape, double* out);
int vyxmlik(vyxstate* s, int mode);         // 0: log-likelihood; 1: gradient and Hessian
// The log-likelihood together with the gradient and Hessian at the same point, the latter kept
// in the cache (mlikcache) for vyxmderiv; a derivative kernel that fails here is not fatal.
constexpr int MLIK_BOTH = 2;
// The gradient and Hessian: from the cache when it holds the current estimates, else vyxmlik(1).
int vyxmderiv(vyxstate* s);
int loglike0(vyxstate* s, int mode);
int loglike1(vyxstate* s, int mode);

// Notes naming the design columns the starting values dropped, other than reference levels.
void droppednotes(vyxstate* s);

// The optimiser's and the limit search's callbacks of the MODEL fit (the life-distribution
// fits have their own under the same names).
namespace mdl {
int centry(void* s);
double fentry(void* s);
int gentry(void* s);
double lfentry(void* s, int32_t* flag);
int32_t lghntry(void* s);
}  // namespace mdl

// ---- after the fit
void vyxmxup(vyxstate* s);
void fixup0(vyxstate* s);
void fixup1(vyxstate* s);
void vyxmcov(vyxstate* s);
double getstat(const double* v, const double* packed, int i);
int vyxmcl(vyxstate* s);
void prtcl(void* s);
void setcl(vyxstate* s, txthandle name);
void vyxmput(vyxstate* s);
void vyxmout(vyxstate* s);

// ---- shared by the fit routines
// Counts of the parameter vector: design columns of MODEL and LOGSCALE, the total, p.
struct mdlcounts {
    int ncol, nls, ntot, ndist, p;
};
mdlcounts mdlsizes(const vyxstate* s);
