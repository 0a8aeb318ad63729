// The number at risk of each of a group's sorted rows from the sums of the weights still to
// come (riskset.h).
#include "proc/lifedist/riskset.h"

#include "host/hostdefs.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/pools.h"
#include "proc/vyxstate.h"

int riskset::start(vyxstate* s, grpnode* g, int wcol) {
    s_ = s;
    nobs_ = g->nobs;
    dpr_ = s->opts.rowlay[RL_ROWLEN];
    span_ = g->ufile ? s->opts.rowlay[RL_BUFROWS] : nobs_;
    if (span_ < 1) span_ = 1;
    wcol_ = wcol;
    const int64_t bytes = tailsum::chunks(nobs_, span_) * static_cast<int64_t>(sizeof(double));
    store_ = static_cast<double*>(poolbytes(s->pools.stmtpool, bytes, poolflag::raw));
    if (!store_) {
        xmemmsg(bytes);
        return RC_REPORTED;
    }
    sums_.begin(store_);
    i_ = inspan_ = 0;
    if (int rc = eachrow(s, g, [this](const double* r) {
            sums_.add(r + wcol_, avail(), dpr_);
            return 0;
        }))
        return rc;
    sums_.finish();
    i_ = inspan_ = 0;
    return 0;
}

riskset::~riskset() {
    if (store_) poolput(s_->pools.stmtpool, store_);
}
