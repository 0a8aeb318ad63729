// Confidence limits of a nonparametric estimate F of the distribution function: the
// log-odds limit rule shared by pointwise and simultaneous limits, the critical factor of
// the equal-precision simultaneous band, and exact binomial limits.
#pragma once

struct vyxstate;
struct grpnode;

namespace np {
constexpr double EPS = 1000 * 1.1102230246251565e-16;   // 1000 x 2^-53
constexpr double EPS53 = 1.1102230246251565e-16;        // 2^-53
constexpr double EXP_GUARD = 709.782712893384;          // log of the largest double
}  // namespace np

// Limits of F with standard error se and multiplier m (z for pointwise limits, the band
// factor for simultaneous ones), taken on the log-odds scale. F at or within EPS of 0 or 1
// (or not a number) gives missing limits. When m*se/(F(1-F)) is too large for exp the
// limits are the whole range (0, 1).
void logitlimits(double F, double se, double m, double* lower, double* upper);

// The critical factor c of the equal-precision band over the band range (aL, aU) of the
// band scale K, at confidence 1 - alpha: the root of B c exp(-c^2/2) = alpha/2 with
// B = ln[(1-aL) aU / ((1-aU) aL)] / sqrt(8 pi). The missing value when the range is not
// inside (0, 1), when alpha/2 is not below the largest value of the left side, or when the
// search does not settle.
double simconfact(double aL, double aU, double alpha);

// Exact (Clopper-Pearson) limits of the proportion x/n through the F quantile, each with
// tail probability alpha; the normal approximation where the F quantile is refused.
// Returns upper.
double* bconf(double x, double n, double* lower, double* upper, double alpha);

// The simultaneous band of a group's finished curve: the factor from the band range
// (the NPINTERVALS bounds when given, else kl and ku, K at the first and the last failure)
// into simfactor (1 when it cannot be computed), then monotone simultaneous limits into
// words 12 and 13 of every curve record, in memory or on the curve file. Widens the
// group's probability range to the limits. 0, or a code after a logged message.
int curveband(vyxstate* s, grpnode* g, double kl, double ku);
