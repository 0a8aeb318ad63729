// Numerical thresholds shared by the likelihood kernels.
#pragma once

namespace kern {
constexpr double LOG_SQRT_2PI = 0.9189385332046728;
constexpr double INV_SQRT_2PI = 0.3989422804014327;
constexpr double DBL_MAXV = 1.7976931348623157e308;
constexpr double DBL_MINV = 2.225073858507202e-308;
constexpr double PENALTY = DBL_MAXV / 1000.0;       // value written with a refused interval
constexpr double EXP_OVER = 709.782712893384;      // log DBL_MAX
constexpr double EPS53 = 1.110223024625157e-16;    // 2^-53
constexpr double FLOOR26 = 1.053671212772351e-08;  // 2^-26.5
constexpr double BIG154 = 1.3407807929943e154;     // 2^512
constexpr double TINY154 = 1.491668147e-154;       // about 2^-511
}  // namespace kern
