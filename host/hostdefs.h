// Basic types, return codes and the missing value shared by the procedure and its host.
#pragma once
#include <cmath>
#include <cstdint>
#include <cstring>

// Return codes of the procedure's routines (0 success, 1 failure already reported).
enum : int {
    RC_OK = 0,
    RC_REPORTED = 1,
    RC_EMPTYLEVELS = 108,   // an empty class-level list
    RC_WRITE = 120,         // utility-file write error
    RC_INPUT = 1008,        // input, utility-file or data error
    RC_SETUP = 1012,        // no usable data set, parse, tree or host set-up failure
    RC_NOMEM = 1016,        // out of memory (reported with xmemmsg)
    RC_READ = 1020,         // utility-file read error
    RC_SPEC = 2000,         // invalid statement or option values
    RC_EFFECTS = 3000,      // internal failure of the effects library
};

// The result an output object returns when no class on its chain has the method.
constexpr int32_t OB_NOMETHOD = static_cast<int32_t>(0x80008001u);
// The result of a request the output system refused after logging why (a MAKE request whose
// library is not assigned): the step ends.
constexpr int32_t OB_REFUSED = -6;

// The double of a bit pattern.
inline double bitsdouble(uint64_t b) {
    double d;
    std::memcpy(&d, &b, sizeof d);
    return d;
}

// The host's missing value: the NaN with bits FFFFFE0000000000 hex.
constexpr uint64_t MISSING_BITS = 0xFFFFFE0000000000ull;
inline double hostmissing() { return bitsdouble(MISSING_BITS); }
// The host's alternate missing value (special-missing code 1, FFFFFF0000000000 hex): a cell
// left empty on purpose, such as the separator row between the failure modes of a table.
// The listing and the report print it blank; a MAKE data set writes it as an empty field.
constexpr uint64_t ALTMISSING_BITS = 0xFFFFFF0000000000ull;
inline double hostaltmissing() { return bitsdouble(ALTMISSING_BITS); }
inline bool isaltmissing(double d) {
    uint64_t b;
    std::memcpy(&b, &d, sizeof b);
    return b == ALTMISSING_BITS;
}
// Every test for a missing value goes by the NaN class of the value.
inline bool ismissing(double d) { return std::isnan(d); }
