// What a reference line reads off where it meets the fitted line beyond an axis, as the
// WARNING that says so writes it (the device road's warnings write it alike).
#pragma once
#include <string>

namespace rt::sgr {

// ln F(z) (upper: ln(1 - F(z))) of the standardized distribution of a probability axis,
// `family` "NORMAL", "EXTREME" or "LOGISTIC" (the request's _ProbScale); NaN for another.
// Without cancellation: 1 - exp(-exp(z)) is 0 in doubles below z = -37.
double logprob(const std::string& family, double z, bool upper);
// The percent from ln F and ln(1 - F): two decimals, or two significant digits where they
// show more ("0.75", "0.012"), below 0.001 in the exponent form ("8.8E-74"); *above set where
// two decimals would read 100.00 (the text is then "99.99"). Empty when either is NaN.
std::string crosspercent(double logp, double logq, bool* above);
// The words in the WARNING's parentheses: "at 0.75 percent", "above 99.99 percent" (a time
// reference of a probability plot, from the row's standardized value y and the axis's
// family), "at 1234.57" (a probability reference: the time x as its label writes it), or "at"
// and the label of the value read off (MCF plots); empty where none is known.
std::string crossingvalue(bool probplot, const std::string& family, bool timeref, double x, double y, const std::string& label);

}  // namespace rt::sgr
