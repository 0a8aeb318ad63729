// Small builders for the grammar tables, so that each row reads like the reference.
#pragma once
#include <cstddef>
#include "host/grammar.h"

namespace gb {

// keyword alone: sets a flag
constexpr goption F(const char* n, int flag) {
    goption o{};
    o.names = n;
    o.flag = static_cast<int16_t>(flag);
    return o;
}
// keyword alone: stores a constant (and a flag when flag >= 0)
constexpr goption C(const char* n, int slot, double v, int flag = -1) {
    goption o = F(n, flag);
    o.constslot = static_cast<int16_t>(slot);
    o.constval = v;
    return o;
}
// keyword = value of a kind into a slot
constexpr goption V(const char* n, uint8_t kind, int slot, int slot2 = -1) {
    goption o{};
    o.names = n;
    o.value = kind;
    o.slot = static_cast<int16_t>(slot);
    o.slot2 = static_cast<int16_t>(slot2);
    return o;
}
constexpr goption N(const char* n, int slot) { return V(n, GV_NUMBER, slot); }
constexpr goption NMIN(const char* n, int slot, double lo) {
    goption o = N(n, slot);
    o.check = GC_MIN;
    o.lo = lo;
    return o;
}
constexpr goption NR(const char* n, int slot, double lo, double hi) {
    goption o = N(n, slot);
    o.check = GC_RANGE;
    o.lo = lo;
    o.hi = hi;
    return o;
}
constexpr goption NL(const char* n, int slot) { return V(n, GV_NUMLIST, slot); }
// one number or a list; ranges a TO b only
constexpr goption NOL(const char* n, int slot) {
    goption o = V(n, GV_NUMORLIST, slot);
    o.noby = true;
    return o;
}
constexpr goption NAME(const char* n, int slot) { return V(n, GV_NAME, slot); }
constexpr goption NAMES(const char* n, int slot) { return V(n, GV_NAMELIST, slot); }
constexpr goption TEXT(const char* n, int slot) { return V(n, GV_TEXT, slot); }
constexpr goption QS(const char* n, int slot, int maxlen = 0) {
    goption o = V(n, GV_QSTRING, slot);
    o.maxlen = static_cast<int16_t>(maxlen);
    return o;
}
constexpr goption QSL(const char* n, int slot) { return V(n, GV_QSORLIST, slot); }

// value keywords
constexpr gvalkw K(const char* n, int slot, double v) {
    gvalkw k{};
    k.names = n;
    k.slot = static_cast<int16_t>(slot);
    k.value = v;
    return k;
}
constexpr gvalkw KF(const char* n, int flag) {
    gvalkw k{};
    k.names = n;
    k.flag = static_cast<int16_t>(flag);
    return k;
}
template <std::size_t M>
constexpr gvalkw KS(const char* n, int slot, double v, const goption (&subs)[M]) {
    gvalkw k = K(n, slot, v);
    k.subopts = subs;
    k.nsubopts = static_cast<int16_t>(M);
    return k;
}

// adds value keywords accepted in place of the value (PPLEGEND=NONE)
template <std::size_t M>
constexpr goption withvals(goption o, const gvalkw (&vals)[M]) {
    o.vals = vals;
    o.nvals = static_cast<int16_t>(M);
    return o;
}
// keyword = one of the value keywords
template <std::size_t M>
constexpr goption KW(const char* n, const gvalkw (&vals)[M]) {
    return withvals(V(n, GV_KEYWORD, -1), vals);
}
// adds options allowed right after the value (LINIT, INTERSECT, NLASTCENSOR=)
template <std::size_t M>
constexpr goption withtrail(goption o, const goption (&t)[M]) {
    o.trail = t;
    o.ntrail = static_cast<int16_t>(M);
    return o;
}
// adds sub-options in parentheses after the keyword (OBSTATS(...))
template <std::size_t M>
constexpr goption withsubs(goption o, const goption (&s)[M]) {
    o.subopts = s;
    o.nsubopts = static_cast<int16_t>(M);
    return o;
}
constexpr goption withflag(goption o, int flag) {
    o.flag = static_cast<int16_t>(flag);
    return o;
}
constexpr goption withconst(goption o, int slot, double v) {
    o.constslot = static_cast<int16_t>(slot);
    o.constval = v;
    return o;
}
constexpr goption optional(goption o) {
    o.way = GW_OPTEQ;
    return o;
}
// number ranges a TO b only, without BY
constexpr goption noby(goption o) {
    o.noby = true;
    return o;
}
constexpr goption paren(goption o) {
    o.way = GW_PAREN;
    return o;
}
constexpr goption bounded(goption o, double lo) {
    o.check = GC_MIN;
    o.lo = lo;
    return o;
}

template <std::size_t M>
constexpr goptset set(const goption (&opts)[M], const char* const* only = nullptr, const char* const* except = nullptr) {
    goptset s{};
    s.opts = opts;
    s.n = static_cast<int16_t>(M);
    s.only = only;
    s.except = except;
    return s;
}

}  // namespace gb
