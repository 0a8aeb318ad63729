// What the files of proc/regression share that no other folder uses; what other folders use is
// declared in the public header, regression.h, which this one includes.
#pragma once
#include "proc/regression/regression.h"

// Censoring codes of the censoring cell.
enum : int32_t { CEN_EXACT = 0, CEN_RIGHT = -1, CEN_LEFT = -2, CEN_INTERVAL = -3 };

// The layout of the rows of one model. Effect cells come first: the MODEL effects (the
// intercept first), then the LOGSCALE effects; then the response, the upper end of an
// interval, the censoring code (in the index) and, with FREQ, the frequency.
struct mdllayout {
    int32_t ne;                // MODEL effect cells
    int32_t nl;                // LOGSCALE effect cells (0 without LOGSCALE)
    int32_t ncol;              // MODEL design columns (column 0 the intercept)
    int32_t nls;               // LOGSCALE design columns (column ncol its intercept)
    int32_t ncells;            // cells per row
    int32_t hasfreq;           // a frequency cell ends the row
    // Per effect cell (ne + nl): the design column of its index 0 (LOGSCALE columns are
    // numbered from ncol), its number of design columns, whether the cell's value multiplies
    // the coefficient (the effect has continuous variables) and whether it has CLASS variables.
    int32_t* firstcol;
    int32_t* effcols;
    uint8_t* hascont;
    uint8_t* hascls;

    int32_t rsp() const { return ne + nl; }
    int32_t upper() const { return ne + nl + 1; }
    int32_t cens() const { return ne + nl + 2; }
    int32_t freq() const { return ne + nl + 3; }
    int32_t rowbytes() const { return ncells * static_cast<int32_t>(sizeof(descell)); }
};

// Row i of a block of rows.
inline descell* desrowat(char* rows, const mdllayout* lay, int64_t i) {
    return reinterpret_cast<descell*>(rows + i * lay->rowbytes());
}

// ---- driver, options and data pass
int vyxmprm(vyxstate* s);
int seffect(vyxstate* s, levstate* ls, stmtrec* r);
// Zeroes a MODEL level-control record with its level state and data block, keeping the links.
void clearlevels(levctl* ctl);
int vyxmdta(vyxstate* s);
int32_t rlevwel(const leveffect* e, const int32_t* levidx);
int EqIntList(const int32_t* list, const int32_t* values, int n, const int32_t* index);

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
