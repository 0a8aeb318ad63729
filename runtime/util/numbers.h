// Doubles made integers without undefined behaviour: NaN gives 0, a value beyond the range of
// the integer type the nearer end of that range, any other value is truncated toward zero.
// For values that come from a user's data or options (annotate data sets, message arguments).
#pragma once
#include <cmath>
#include <cstdint>

namespace rt::util {

inline long long tolonglong(double v) {
    if (std::isnan(v)) return 0;
    if (v >= 9223372036854775807.0) return INT64_MAX;
    if (v <= -9223372036854775808.0) return INT64_MIN;
    return static_cast<long long>(v);
}

inline int toint(double v) {
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0) return INT32_MAX;
    if (v <= -2147483648.0) return INT32_MIN;
    return static_cast<int>(v);
}

}  // namespace rt::util
