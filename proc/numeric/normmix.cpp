// The normal mixture distribution: log probabilities and log density by log-sum-exp.
//
// Algorithm: the project's own.
#include <cmath>

#include "host/hostdefs.h"
#include "proc/numeric/lgamma.h"
#include "proc/numeric/normal.h"
#include "proc/numeric/normmix.h"
#include "proc/numeric/normmix_impl.h"

namespace {

constexpr double kLogZero = -9007199254740992.0;  // -2^53
constexpr double kSdFloor = 1.053671212772351e-08;
constexpr double kLn2 = 0.6931471805599453;

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
