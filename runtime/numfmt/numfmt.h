// Number formats of printed tables. Every format writes into a caller buffer without
// allocating: a million-row table formats each cell once, quickly (std::to_chars).
#pragma once
#include <cstddef>
#include <string>

namespace rt::num {

enum class Fmt : unsigned char {
    Best,     // shortest exact text that fits the width, else fewer significant digits
    Fixed,    // fixed decimals; tiny or huge values switch to scientific notation
    Pvalue,   // 4 decimals, "<.0001" below 0.0001
    Count,    // whole numbers without decimals, else as Best
    Full,     // shortest text that reads back exactly (data sets)
};

struct NumFormat {
    Fmt kind = Fmt::Best;
    int width = 12;
    int decimals = 4;
};

// Writes the value into buf; returns the length. buf must hold 64 bytes. A value that is not
// a finite number (infinite, or a missing value) is written as ".".
size_t formatnum(const NumFormat& f, double x, char* buf);
std::string formatnum(const NumFormat& f, double x);

}  // namespace rt::num
