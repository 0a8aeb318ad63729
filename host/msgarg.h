// Substitution values of messages and formatted output texts.
#pragma once
#include <cstdint>
#include <cstring>

struct msgarg {
    enum Kind : int32_t { INT = 0, DBL = 1, TEXT = 2 } kind;
    int32_t len;            // TEXT: number of characters (blank padding is trimmed by the host)
    int64_t i;
    double d;
    const char* s;

    msgarg(int v) : kind(INT), len(0), i(v), d(0), s(nullptr) {}
    msgarg(long v) : kind(INT), len(0), i(v), d(0), s(nullptr) {}
    msgarg(long long v) : kind(INT), len(0), i(v), d(0), s(nullptr) {}
    msgarg(unsigned v) : kind(INT), len(0), i(v), d(0), s(nullptr) {}
    msgarg(unsigned long v) : kind(INT), len(0), i(static_cast<int64_t>(v)), d(0), s(nullptr) {}
    msgarg(double v) : kind(DBL), len(0), i(0), d(v), s(nullptr) {}
    msgarg(const char* v) : kind(TEXT), len(v ? static_cast<int32_t>(std::strlen(v)) : 0), i(0), d(0), s(v) {}
    msgarg(const char* v, int n) : kind(TEXT), len(n), i(0), d(0), s(v) {}
};

// A fixed-width text with an explicit length, as a message argument.
inline msgarg txtarg(const char* s, int n) { return msgarg(s, n); }
