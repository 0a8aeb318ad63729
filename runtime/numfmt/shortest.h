// The shortest text that reads back as the same double, byte for byte as
// std::to_chars(first, last, x) writes it (fixed or scientific notation, whichever is
// shorter, fixed on a tie), at a fraction of its cost: data sets and tables write millions.
#pragma once
#include <cstddef>
#include <cstdint>

namespace rt::num {

// The shortest decimal digits·10^exp10 that reads back as x (digits without trailing
// zeros). False for zero, infinities, NaN, |x| >= 2^53 and the rare value whose digits the
// 128-bit products cannot decide: std::to_chars writes those.
bool shortestdigits(double x, uint64_t& digits, int& exp10);

// Writes the text into buf, which must hold 64 bytes (the bytes after the text are
// scratch); returns the length. plain: fixed notation whenever the first digit lies between
// 10^-5 and 10^14 (MAKE data sets: 100000 as read, not 1e+05), the shortest text otherwise.
size_t shortesttext(double x, char* buf, bool plain = false);

}  // namespace rt::num
