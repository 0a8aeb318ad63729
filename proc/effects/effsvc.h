// Small helpers the effects library shares: the kernel instance, pool blocks of the
// library's pools, and fixed-width text moves.
#pragma once
#include <cstdint>
#include <cstring>
#include "host/hostdefs.h"
#include "host/kernel.h"
#include "proc/effects/effects.h"
#include "proc/framework/anchor.h"
#include "proc/framework/pools.h"

// The kernel instance: the one the module kept at load time, else the host instance's.
inline const kernelinst* qxkernel() {
    if (Exported_QXHandle) return static_cast<const kernelinst*>(Exported_QXHandle);
    return v_global_gcb_anchor ? static_cast<const kernelinst*>(v_global_gcb_anchor->kernel) : nullptr;
}

// The host anchor's pool (parse-time records, the thread control).
inline poolobj* effpool() { return v_global_gcb_anchor->effpool; }

// A copy of len bytes of text with a NUL behind it.
inline char* pooltext(poolobj* pool, const char* s, int len) {
    if (len < 0) len = 0;
    char* p = poolget<char>(pool, len + 1, poolflag::raw_marked);
    if (!p) return nullptr;
    if (len) std::memcpy(p, s, static_cast<size_t>(len));
    p[len] = '\0';
    return p;
}

// The variable's name as a NUL-terminated text ("" for a record without a variable).
inline const char* levvarname(const levclass* c) { return c && c->varinfo ? c->varinfo->d.name : ""; }
inline int levvarnamelen(const levclass* c) { return c && c->varinfo ? c->varinfo->d.namelen : 0; }
inline bool levisnumeric(const levclass* c) { return c && c->varinfo && c->varinfo->d.type == 1; }
inline bool levhasformat(const levclass* c) {
    return c && c->varinfo && (c->varinfo->fmtnamelen[0] != 0 || c->varinfo->fmtnamelen[1] != 0);
}
// The width a CLASS variable's formatted values need: its format's, else its stored length.
inline int levformatwidth(const levclass* c) { return levhasformat(c) ? c->varinfo->fmtw : c->varinfo->d.length; }
// Whether its level texts (fmtlen bytes) are cut from longer formatted values.
inline bool levcut(const levclass* c) { return c->fmtlen < levformatwidth(c); }

// Left-justifies a text inside its blank-padded field.
inline void leftjust(char* s, int len) {
    int i = 0;
    while (i < len && s[i] == ' ') ++i;
    if (i == 0 || i == len) return;
    std::memmove(s, s + i, static_cast<size_t>(len - i));
    std::memset(s + len - i, ' ', static_cast<size_t>(i));
}

// Whether a fixed-width text is all blanks.
inline bool blanktext(const char* s, int len) {
    for (int i = 0; i < len; ++i)
        if (s[i] != ' ') return false;
    return true;
}

// Length of a fixed-width text without its trailing blanks.
inline int striplen(const char* s, int len) {
    while (len > 0 && (s[len - 1] == ' ' || s[len - 1] == '\0')) --len;
    return len;
}

// The frequency count of one observation in the level passes: the value truncated toward
// zero; 0 when it is missing, below 1 or above the largest 32-bit integer.
inline int32_t levfreqcount(double f) {
    if (ismissing(f) || f < 1.0 || f > 2147483647.0) return 0;
    return static_cast<int32_t>(f);
}
