// The binomial and Poisson analysis of one class level (or of the whole BY group), and of
// the counts given as options when ANALYZE has no response variable.
#include "host/hostdefs.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/pools.h"
#include "proc/vyxstate.h"
#include "proc/lifedist/lifedist_internal.h"
#include "proc/lifedist/pbrec.h"
#include "proc/numeric/kernconst.h"

namespace {

constexpr int PB_BYTES = PB_WORDS * 8;

void estimate(const pbcounts& c, double ap, double* rec) {
    if (!pbestimate(c, ap, rec)) xpmlog(510, c.binomial ? W510_PROPORTION_NO_LIMITS : W510_RATE_NO_LIMITS, c.x, c.n);
}
void predict(const vyxstate* s, const pbcounts& c, double est, double ap, double* pred, bool zeroblock) {
    if (!pbpredict(c, s->life.pbpredict, est, ap, pred, zeroblock)) xpmlog(510, W510_NO_PREDICTION_LIMITS, s->life.pbpredict, c.x, c.n);
}

double* pbblock(poolset& pools) {
    auto* b = static_cast<double*>(poolbytes(pools.stmtpool, PB_BYTES, poolflag::zeroed_marked));
    if (!b) xmemmsg(PB_BYTES);
    return b;
}

// The pooled blocks; false after the memory message.
bool pooledblocks(vyxstate* s) {
    s->life.pbpooled = pbblock(s->pools);
    s->life.pbpoolpred = s->life.pbpooled ? pbblock(s->pools) : nullptr;
    return s->life.pbpoolpred != nullptr;
}

// The counts given as options: events of trials, or a count in an exposure.
int optioncounts(vyxstate* s, bool binomial) {
    if (!pooledblocks(s)) return RC_NOMEM;
    pbcounts c{binomial, s->life.pbcount, binomial ? s->life.pbtrials : s->life.pbexposure};
    // An exposure given as an option must be a usable positive number.
    if (!binomial && (ismissing(c.n) || c.n <= kern::EPS53)) c.n = hostmissing();
    const double ap = pbaprime(s);
    estimate(c, ap, s->life.pbpooled);
    if (!pbvalid(c))
        xpmlog(510, binomial ? W510_PROPORTION_NOT_ESTIMABLE : W510_RATE_NOT_ESTIMABLE, s->life.pbcount,
               binomial ? s->life.pbtrials : s->life.pbexposure);
    s->life.pbpooled[PB_CHISQ] = hostmissing();
    if (s->life.pbpredgiven) predict(s, c, s->life.pbpooled[PB_EST], ap, s->life.pbpoolpred, false);
    return 0;
}

}  // namespace

int vyxpb(vyxstate* s, grpnode* g) {
    const bool binomial = s->opts.distcode == DIST_BINOMIAL;
    if (!g) {
        if (s->opts.distcode != DIST_POISSON && s->opts.distcode != DIST_BINOMIAL) {
            xpmlog(510, E510_NO_RESPONSE_NO_COUNTS);
            return 1;
        }
        return optioncounts(s, binomial);
    }

    // The level's totals: events (count) and trials (exposure), weighted by FREQ. The input
    // stores a row it cannot use (a negative count, more events than trials, no positive
    // trials or exposure) as 0 in 0: those rows are counted for the log.
    if (g == &s->groups.rootgrp || g == s->groups.grplist.head) s->life.pbbadrows = 0;
    const int wcol = s->input.nfreq > 0 ? obslayout(s).weight : -1;
    double x = 0, n = 0;
    if (int rc = eachrow(s, g, [&](const double* r) {
            const double w = wcol >= 0 ? r[wcol] : 1.0;
            x += w * r[OBS_EVENTS];
            n += w * r[OBS_TRIALS];
            s->life.pbbadrows += r[OBS_TRIALS] == 0;
            return 0;
        }))
        return rc;
    g->loc = x;
    g->scale = n;

    g->pbest = pbblock(s->pools);
    g->pbpred = g->pbest ? pbblock(s->pools) : nullptr;
    if (!g->pbpred) return RC_NOMEM;
    const double ap = pbaprime(s);
    const pbcounts c{binomial, x, n};
    estimate(c, ap, g->pbest);
    if (s->life.pbpredgiven) predict(s, c, g->pbest[PB_EST], ap, g->pbpred, false);

    const double rbar = s->life.wsums[WS_TRIALS] > 0 ? s->life.wsums[WS_COUNT] / s->life.wsums[WS_TRIALS] : hostmissing();
    const double chi = pbchisq(c, rbar);
    g->pbest[PB_CHISQ] = chi;
    if (!ismissing(chi)) s->life.pbaccum += chi;

    if (g->next) return 0;
    // After the last level: the pooled value of the BY group.
    if (s->life.pbbadrows > 0) xpmlog(510, W510_COUNTS_BAD_ROWS, s->life.pbbadrows);
    if (!pooledblocks(s)) return RC_NOMEM;
    s->life.pbpooled[PB_EST] = rbar;
    s->life.pbpooled[PB_CHISQ] = s->life.pbaccum;
    if (s->groups.nclass >= 1) {
        const pbcounts pooled{binomial, s->life.wsums[WS_COUNT], s->life.wsums[WS_TRIALS]};
        estimate(pooled, ap, s->life.pbpooled);
        if (s->life.pbpredgiven) predict(s, pooled, s->life.pbpooled[PB_EST], ap, s->life.pbpoolpred, binomial);
    }
    return 0;
}
