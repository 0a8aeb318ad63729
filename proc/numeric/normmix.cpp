// The normal mixture distribution: verification of the components, log probabilities
// and log density by log-sum-exp, and the quantile search.
//
// Algorithm: the project's own.
#include <cmath>

#include "host/hostdefs.h"
#include "proc/numeric/lgamma.h"
#include "proc/numeric/normal.h"
#include "proc/numeric/normmix.h"

namespace {

constexpr double kLogZero = -9007199254740992.0;  // -2^53
constexpr double kSdFloor = 1.053671212772351e-08;
constexpr double kLn2 = 0.6931471805599453;

int verifyQ(mxnreq* r) {
    const int k = r->k;
    const double e = 10.0 * 1.110223024625157e-16;
    double s = 0.0;
    for (int i = 0; i < k; ++i) {
        const double w = r->weights[i];
        if (!(w > 0.0 && w <= 1.0)) return k + i;
        s += w;
        if (s > 1.0 + e) return 10 * k;
        if (!(r->sds[i] >= 0.0)) return 2 * k + i;
    }
    if (s < 1.0 - e || s > 1.0 + e) return 10 * k;
    if (r->request & MXN_QUANTILE) {
        // Shell sort by ascending mean, moving the three values together.
        for (int gap = k / 2; gap > 0; gap /= 2)
            for (int i = gap; i < k; ++i)
                for (int j = i - gap; j >= 0 && r->means[j] > r->means[j + gap]; j -= gap) {
                    std::swap(r->means[j], r->means[j + gap]);
                    std::swap(r->sds[j], r->sds[j + gap]);
                    std::swap(r->weights[j], r->weights[j + gap]);
                }
    }
    r->state |= MXN_VERIFIED;
    return 0;
}

// r = log(e^r + e^t).
inline void logAdd(double& r, double t) {
    if (r == t) {
        r = t + kLn2;
        return;
    }
    const double mx = std::fmax(r, t);
    const double mn = std::fmin(r, t);
    r = mx + zln1px(std::exp(mn - mx));
}

}  // namespace

int mixtureProbOrDens(mxnreq* r) {
    r->logcdf = r->logsurv = r->logdens = kLogZero;
    for (int i = 0; i < r->k; ++i) {
        const double s = std::fmax(r->sds[i], kSdFloor);
        const double z = (r->x - r->means[i]) / s;
        double lc, ls, ld;
        if (zlognrm(z, &lc, &ls, &ld) != 0) {
            r->logcdf = r->logsurv = r->logdens = hostmissing();
            return 1;
        }
        const double lw = std::log(r->weights[i]);
        logAdd(r->logcdf, lc + lw);
        logAdd(r->logsurv, ls + lw);
        logAdd(r->logdens, ld + lw - std::log(s));
        r->logcdf = std::fmin(r->logcdf, 0.0);
        r->logsurv = std::fmin(r->logsurv, 0.0);
    }
    return 0;
}

int mixtureQuantile(mxnreq* r);

int zmxnorm(mxnreq* r) {
    if (!(r->state & MXN_VERIFIED)) {
        const int rc = verifyQ(r);
        if (rc != 0) return rc;
    }
    if (r->request & MXN_QUANTILE) return mixtureQuantile(r);
    return mixtureProbOrDens(r);
}
