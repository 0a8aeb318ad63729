// The F distribution function, central (incomplete beta) or noncentral (Poisson
// mixture of incomplete beta ratios, summed outward from its largest terms).
//
// Algorithm: the central F through the incomplete beta function; the noncentral F as its
// standard Poisson mixture of incomplete beta functions, summed outward from its largest
// terms in the project's own arrangement (fmixture.h).
#include <cmath>
#include "proc/numeric/fdist.h"
#include "proc/numeric/fmixture.h"
#include "proc/numeric/incbeta.h"

namespace {
constexpr double EPS53 = 1.110223024625157e-16;
constexpr int MAX_TERMS = 1000;
}  // namespace

int zplbfnc(double x, double df1, double df2, double nc, double* P) {
    *P = 0.0;
    if (df1 <= 0.0 || df2 <= 0.0 || nc < 0.0 || x < 0.0) return 1;
    if (x == 0.0) return 0;
    double w, v;
    fmixture::betaArgument(x, df1, df2, &w, &v);
    const double a = df1 / 2.0, b = df2 / 2.0;
    double dens;
    if (nc == 0.0) {
        double I;
        if (zibeta(w, a, b, &I, &dens) != 0) return 1;
        *P = I;
        return 0;
    }

    const double h = nc / 2.0;
    fmixture::Start st;
    if (!fmixture::start(w, v, a, b, h, &st)) return 1;
    double I0;
    if (zibeta(w, a + st.k0, b, &I0, &dens) != 0) return 1;

    // S is the sum of q_k (I_k - I0) over the terms taken; the weights sum to one, so
    // the probability is I0 + S.
    fmixture::Terms t(a, b, w, h, st);
    double S = 0.0, lastb = 0.0, lastf = 0.0;
    bool firstb = true, firstf = true;
    int terms = 0;
    while (terms < MAX_TERMS) {
        bool stepped = false;
        if (t.kb > 0.0 && (firstb || std::fabs(lastb) > EPS53 * std::fabs(S))) {
            lastb = t.back();
            S += lastb;
            firstb = false;
            ++terms;
            stepped = true;
            // Once the series reaches its first term nothing is left behind it.
            if (t.kb <= 0.0) lastb = 0.0;
        }
        if (terms < MAX_TERMS && (firstf || std::fabs(lastf) > EPS53 * std::fabs(S))) {
            lastf = t.forward();
            S += lastf;
            firstf = false;
            ++terms;
            stepped = true;
        }
        const double rest = std::fabs(lastf) + std::fabs(lastb);
        // A round in which neither direction had anything left to add has converged,
        // whatever the sum of the two last contributions.
        if (!stepped || !(EPS53 * std::fabs(S) < rest)) {
            if (terms >= MAX_TERMS || std::isnan(S)) return 1;
            *P = S + I0;
            return 0;
        }
    }
    return 1;
}
