// The request entry of the beta distribution on the log scale: log tails, quantile or log
// density as the record asks.
//
// Algorithm: the project's own.
#include "proc/numeric/logbeta_impl.h"
#include "proc/numeric/logbetagamma.h"

int zlogbet(betareq* r) {
    if (r->reqflags == 0) r->reqflags = LREQ_PROB;
    if (!(r->a > 0.0 && r->b > 0.0)) return 1;
    if ((r->reqflags & LREQ_PROB) && !(r->x >= 0.0 && r->x <= 1.0)) return 1;
    if ((r->reqflags & LREQ_QUANT) && !(r->prob >= 0.0 && r->prob <= 1.0)) return 1;
    if (r->reqflags & LREQ_PROB) return betaLogProbability(r, r->x, &r->logp, &r->logq, &r->logdens);
    if (r->reqflags & LREQ_QUANT) return betaQuantile(r);
    if (r->reqflags & LREQ_DENS) return zldnbet(r->x, r->a, r->b, &r->logdens);
    return 0;
}
