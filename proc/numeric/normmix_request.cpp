// The request entry of the normal mixture distribution: the components verified (and, for
// a quantile, sorted by their means) once, then log probabilities and density or the
// quantile.
//
// Algorithm: the project's own.
#include <utility>

#include "proc/numeric/normmix.h"
#include "proc/numeric/normmix_impl.h"

namespace {

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

}  // namespace

int zmxnorm(mxnreq* r) {
    if (!(r->state & MXN_VERIFIED)) {
        const int rc = verifyQ(r);
        if (rc != 0) return rc;
    }
    if (r->request & MXN_QUANTILE) return mixtureQuantile(r);
    return mixtureProbOrDens(r);
}
