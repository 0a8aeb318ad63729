// What a reference line reads off beyond an axis, for the WARNING (crossing.h).
#include "runtime/sgraph/crossing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/sgraph/vars.h"
#include "runtime/supervisor/svcextra.h"

namespace rt::sgr {

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

double logprob(const std::string& family, double z, bool upper) {
    if (std::isnan(z)) return NAN;
    if (family == "NORMAL") return lognormalcdf(upper ? -z : z);
    if (family == "EXTREME") {
        // F = 1 - exp(-exp(z)): below z = -700, F is exp(z) to the last digit.
        if (upper) return -std::exp(z);
        return z < -700 ? z : std::log(-std::expm1(-std::exp(z)));
    }
    if (family == "LOGISTIC") {
        const double u = upper ? -z : z;
        return u < 0 ? u - std::log1p(std::exp(u)) : -std::log1p(std::exp(-u));
    }
    return NAN;
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

std::string crossingvalue(bool probplot, const std::string& family, bool timeref, double x, double y, const std::string& label) {
    if (probplot && timeref) {
        bool above = false;
        const std::string p = crosspercent(logprob(family, y, false), logprob(family, y, true), &above);
        if (!p.empty()) return (above ? "above " : "at ") + p + " percent";
        return label.empty() ? std::string() : "at " + label + " percent";
    }
    if (probplot && std::isfinite(x)) {
        // The time as the row's label writes it: ten characters, two decimals.
        char b[16] = {};
        rt::sup::xpfs(x, -10, 2, b);
        return "at " + trim(std::string_view(b, 10));
    }
    return label.empty() ? std::string() : "at " + label;
}

}  // namespace rt::sgr
