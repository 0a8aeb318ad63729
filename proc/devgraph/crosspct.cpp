// The percent at which a reference line meets a fitted line that the probability axis does
// not reach, as the WARNING that says so writes it (devgraph_internal.h).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "proc/devgraph/devgraph_internal.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/steplog.h"
#include "proc/numeric/distributions.h"
#include "proc/vyxstate.h"

namespace {

constexpr double kLn10 = 2.302585092994046;
constexpr double kLnSqrt2Pi = 0.9189385332046728;   // ln(sqrt(2 pi))

// ln of the standard normal distribution function at z. Below z = -37 it is 0 in doubles:
// there the asymptotic series of Mills' ratio (four terms: a relative error below 1e-12).
double lognormalcdf(double z) {
    if (z > -37) return std::log(0.5 * std::erfc(-z / std::sqrt(2.0)));
    const double r = 1 / (z * z);
    return -0.5 * z * z - std::log(-z) - kLnSqrt2Pi + std::log1p(r * (-1 + r * (3 + r * (-15 + 105 * r))));
}

}  // namespace

double logprob(uint32_t distcode, double z, bool upper) {
    if (std::isnan(z)) return NAN;
    switch (familyof(distcode)) {
        case FAM_NORMAL: return lognormalcdf(upper ? -z : z);
        case FAM_EXTREME:
            // F = 1 - exp(-exp(z)): below z = -700, F is exp(z) to the last digit.
            if (upper) return -std::exp(z);
            return z < -700 ? z : std::log(-std::expm1(-std::exp(z)));
        case FAM_LOGISTIC: {
            const double u = upper ? -z : z;
            return u < 0 ? u - std::log1p(std::exp(u)) : -std::log1p(std::exp(-u));
        }
        default: return NAN;
    }
}

std::string crosspercent(double logp, double logq, bool* above) {
    *above = false;
    if (std::isnan(logp) || std::isnan(logq)) return std::string();
    char b[40];
    // Two decimals read 100.00: above 99.99.
    std::snprintf(b, sizeof b, "%.2f", 100 - 100 * std::exp(logq));
    if (std::string(b) == "100.00") {
        *above = true;
        return "99.99";
    }
    const double lg = logp / kLn10 + 2;   // log10 of the percent
    if (lg >= -3) {
        // Two decimals, or two significant digits where they show more (0.012).
        const double p = std::pow(10.0, lg);
        std::snprintf(b, sizeof b, "%.1e", p);
        const int e = std::atoi(std::strchr(b, 'e') + 1);
        std::snprintf(b, sizeof b, "%.*f", std::max(2, 1 - e), p);
        return b;
    }
    // Below a thousandth of a percent: two significant digits in the exponent form (8.8E-74),
    // also beyond the range of doubles.
    int e = static_cast<int>(std::floor(lg));
    double m = std::round(std::pow(10.0, lg - e) * 10) / 10;
    if (m >= 10) m /= 10, ++e;
    std::snprintf(b, sizeof b, "%.1fE%c%02d", m, e < 0 ? '-' : '+', std::abs(e));
    return b;
}

void crosswarn(vyxstate* s, bool vertical, double v, double written, double z, double value) {
    if (std::isnan(z) && std::isnan(value)) return;
    const bool percent = vertical != (s->popt.pflags.rotate != 0);   // off the probability axis
    const uint32_t dist = s->opts.distcode;
    if (percent) {
        // A time reference: the percent of the fit there (FMODE COMBINE: of the combined curve).
        const bool fromz = !std::isnan(z);
        const double F = value / 100;
        bool above = false;
        const std::string t = fromz ? crosspercent(logprob(dist, z, false), logprob(dist, z, true), &above)
                                    : crosspercent(std::log(F), std::log1p(-F), &above);
        if (t.empty()) return;
        // The time as the statement gave it: ten to the axis's log10 of it need not read back
        // as it (90000.0000000001 for 90000).
        const double given = !std::isnan(written) ? written : s->opts.logscale[LSC_LN] || s->opts.logscale[LSC_LOG10] ? std::pow(10.0, v) : v;
        const int msg = vertical ? (above ? W510_CROSS_ABOVE_VAXIS : W510_CROSS_PCT_OFF_VAXIS)
                                 : (above ? W510_CROSS_ABOVE_HAXIS : W510_CROSS_PCT_OFF_HAXIS);
        steplog(s, 510, msg, given, txtarg(t.c_str(), static_cast<int>(t.size())));
        return;
    }
    // A probability reference: the time read off, as the statistical road labels it.
    char b[10];
    int nd = 0, w = 2;
    const int len = shwylab(b, value, &nd, &w, 0);
    const double given = !std::isnan(written) ? written : 100 * std::exp(logprob(dist, v, false));
    steplog(s, 510, vertical ? W510_CROSS_TIME_OFF_VAXIS : W510_CROSS_TIME_OFF_HAXIS, given, txtarg(b, len));
}
