// The request entry of the noncentral chi-square distribution on the log scale (log tails,
// quantile or log density as the record asks), and the chi-square quantile zqcl built on it.
//
// Algorithm: the project's own.
#include <cstdint>

#include "proc/numeric/logbetagamma.h"
#include "proc/numeric/ncchisq.h"
#include "proc/numeric/ncchisq_impl.h"

int zlogcnc(cncreq* r) {
    const uint32_t flags = r->reqflags;
    if (flags == 0 || (flags & ~(LREQ_PROB | LREQ_DENS | LREQ_QUANT)) != 0) return 1;
    if (r->tol < 8.881784197001256e-16) r->tol = 8.881784197001256e-16;
    const double floor = 2.225073858507202e-308 / r->tol;
    if (r->xfloor < floor) r->xfloor = floor;
    if (flags & LREQ_QUANT) {
        const int rc = cncQuantile(r);
        r->reqflags = flags;
        return rc;
    }
    if (flags & LREQ_PROB) {
        const int rc = cncProbability(r);
        if (rc != 0) return rc;
    }
    if (flags & LREQ_DENS) return zldncnc(r->x, r->df, r->ncp, &r->logdens);
    return 0;
}

int zqcl(double p, double df, double* q) {
    if (!(p >= 0.0 && p < 1.0 && df > 0.0)) return 1;
    if (p == 0.0) {
        *q = 0.0;
        return 0;
    }
    cncreq r{};
    r.prob = p;
    r.df = df;
    r.ncp = 0.0;
    r.reqflags = 4;
    if (zlogcnc(&r) != 0) return 1;
    *q = r.x;
    return 0;
}
