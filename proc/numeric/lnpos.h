// The natural logarithm of a positive, normal, finite double without branches, so that a
// loop over many values vectorizes: the classic reduction x = 2^k m with m in
// [sqrt(2)/2, sqrt(2)), then log(m) = f - f^2/2 + s (f^2/2 + R(s^2)), s = f/(2 + f), f = m - 1,
// with the minimax polynomial R of the fdlibm logarithm. Error below 1 ulp, as that of the
// library's log. Zero, negative, subnormal, infinite and NaN arguments give meaningless
// results: callers test their arguments.
//
// Algorithm: the logarithm of fdlibm (Sun Microsystems, e_log.c) without its branches.
#pragma once
#include <cstdint>
#include <cstring>

inline double lnpos(double x) {
    constexpr double ln2hi = 6.93147180369123816490e-01, ln2lo = 1.90821492927058770002e-10;
    constexpr double Lg1 = 6.666666666666735130e-01, Lg2 = 3.999999999940941908e-01, Lg3 = 2.857142874366239149e-01,
                     Lg4 = 2.222219843214978396e-01, Lg5 = 1.818357216161805012e-01, Lg6 = 1.531383769920937332e-01,
                     Lg7 = 1.479819860511658591e-01;
    uint64_t b;
    std::memcpy(&b, &x, 8);
    const uint64_t hx = b >> 32;
    const uint64_t mant = hx & 0x000fffffu;
    // i = 0x100000 when the mantissa is at least sqrt(2): m is then halved and k raised.
    const uint64_t i = (mant + 0x95f64u) & 0x100000u;
    const uint64_t mb = ((mant | (i ^ 0x3ff00000u)) << 32) | (b & 0xffffffffu);
    double m;
    std::memcpy(&m, &mb, 8);
    // k = exponent - 1023 + (i >> 20), converted through the 2^52 bias.
    const uint64_t kb = 0x4330000000000000ull | ((hx >> 20) + (i >> 20));
    double kd;
    std::memcpy(&kd, &kb, 8);
    kd -= 4503599627370496.0 + 1023.0;
    const double f = m - 1.0;
    const double s = f / (2.0 + f);
    const double z = s * s;
    const double w = z * z;
    const double t1 = w * (Lg2 + w * (Lg4 + w * Lg6));
    const double t2 = z * (Lg1 + w * (Lg3 + w * (Lg5 + w * Lg7)));
    const double R = t2 + t1;
    const double hfsq = 0.5 * f * f;
    return kd * ln2hi - ((hfsq - (s * (hfsq + R) + kd * ln2lo)) - f);
}
