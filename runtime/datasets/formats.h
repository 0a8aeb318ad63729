// Formatted values of the data sets: the best-width numeric format, 12 wide, and the
// blank-padded copies that get lists hand out.
#pragma once
#include <cstdint>
#include <string_view>

namespace rt::ds {

constexpr int BEST_WIDTH = 12;

// A formatted numeric value without its leading blanks (at most BEST_WIDTH characters).
struct FmtText {
    char s[15];
    uint8_t len;
    std::string_view view() const { return {s, len}; }
};

// The best-width text of v in at most 12 characters: integers as integers, otherwise the
// most significant digits that fit (fixed or E notation, trailing zeros cut); missing is
// ".". Right-aligned in 12 columns it is the variable's formatted value.
FmtText best12(double v);

// Copies text into dst left-aligned (leading blanks dropped), blank padded or cut to width.
void padleft(char* dst, int width, std::string_view text);

}  // namespace rt::ds
