// The request entry of the gamma distribution on the log scale: log tails, quantile or log
// density as the record asks.
//
// Algorithm: the project's own.
#include <cstdint>

#include "proc/numeric/logbetagamma.h"
#include "proc/numeric/loggamma_impl.h"

int zloggam(gamreq* r) {
    const uint32_t flags = r->reqflags;
    if (flags == 0 || (flags & ~(LREQ_PROB | LREQ_DENS | LREQ_QUANT)) != 0) return 1;
    if (r->tol < 8.881784197001256e-16) r->tol = 8.881784197001256e-16;
    const double floor = 1000.0 * 2.225073858507202e-308 / r->tol;
    if (r->xfloor < floor) r->xfloor = floor;
    if (flags & LREQ_QUANT) {
        const int rc = gammaQuantile(r);
        r->reqflags = flags;
        return rc;
    }
    if (flags & LREQ_PROB) {
        const int rc = gammaLogProbability(r);
        if (rc != 0) return rc;
    }
    if (flags & LREQ_DENS) return zldngam(r->x, r->a, &r->logdens);
    return 0;
}
