// The RELATIONPLOT statement: a probability plot with a relation panel for the fits of the
// stress levels, or the statistical-graphics road; and the percentile lines through the
// levels' fits (regper).
#include <cstring>

#include "host/hostdefs.h"
#include "proc/devgraph/ppdraw.h"
#include "proc/devgraph/relation.h"
#include "proc/framework/analyses.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/pools.h"
#include "proc/framework/vyxstate.h"
#include "proc/lifedist/lifedist.h"
#include "proc/lifedist/mlfit.h"
#include "proc/lifedist/notyet.h"

namespace {

// The parameter vector pctl reads, pointed at a pair of the caller's for as long as the
// caller lives and given back when it ends.
struct ParmPair {
    vyxstate* s;
    double* saved;
    double pair[2] = {0.0, 1.0};
    explicit ParmPair(vyxstate* st) : s(st), saved(st->parmvec[0]) { s->parmvec[0] = pair; }
    ~ParmPair() { s->parmvec[0] = saved; }
    ParmPair(const ParmPair&) = delete;
    ParmPair& operator=(const ParmPair&) = delete;
};

// The record of this statement's lines. It comes from the statement pool, which is renewed
// after every statement: a record kept from an earlier statement is gone, so each call
// takes a new one.
regpstate* statefor(vyxstate* s) {
    auto* r = static_cast<regpstate*>(vmalcp_handler(s->stmtpool, sizeof(regpstate), 0x2006));
    s->regpstate = r;
    return r;
}

// The relation plot of the MODEL's fit (FITTYPE=REGRESSION), noted once.
int modelroad(vyxstate* s) {
    constexpr uint32_t kNoted = 0x20000;
    if (!(s->pendingnoted & kNoted)) notavailable(s, "the relation plot of the MODEL fit");
    s->pendingnoted |= kNoted;
    return 0;
}

}  // namespace

double* regper(vyxstate* s) {
    regpstate* rp = statefor(s);
    if (!rp) {
        xmemmsg(sizeof(regpstate));
        return nullptr;
    }
    *rp = regpstate{};
    rp->ncurve = 1;
    const int n = static_cast<int>(s->nlev[1]);
    rp->npts = n;
    const int np = static_cast<int>(s->pctcount);
    const int64_t bytes = int64_t(np) * n * 16;
    auto* out = static_cast<double*>(vmalcp_handler(s->bypool, bytes > 0 ? bytes : 16, 0x2004));
    if (!out) {
        xmemmsg(bytes);
        return nullptr;
    }
    ParmPair pv(s);
    for (int i = 0; i < np; ++i) {
        const double q = s->pctvals[i] / 100.0;
        int j = 0;
        for (grpnode* g = s->grplist[0]; g && j < n; g = g->next, ++j) {
            pv.pair[0] = g->loc;
            pv.pair[1] = g->scale;
            double life = hostmissing();
            if (!g->nofit) pctl(s, q, &life);
            const double v = s->levvals[0] ? s->levvals[0][j] : hostmissing();
            double* at = out + 2 * (static_cast<int64_t>(i) * n + j);
            at[0] = s->rplotopt && s->stress_fn ? s->stress_fn(v) : v;
            at[1] = life;
        }
    }
    s->pctlines = out;
    return out;
}

int vyxrplot(vyxstate* s) {
    if (int rc = vyxpprm(s)) return rc;
    if (s->fitmethod == 9) {
        // FITTYPE=REGRESSION: the computations and tables run; the relation plot of the
        // MODEL's fit is not drawn yet.
        const int rc = PPComp(s);
        modelroad(s);
        return rc;
    }
    if (!s->rdxgraph) return vyxpplt(s);
    // The statistical road draws from the fits: a statement whose analysis failed stops here.
    if (int rc = PPComp(s)) return rc;
    double* lines = regper(s);
    if (!lines) return RC_NOMEM;
    return vyxrog(s, lines);
}
