// Small helpers the fit routines share: the node's parameter list, the free count, the
// missing value, and the output-object calls every table writer of the fits makes.
#pragma once
#include <cmath>
#include <cstdint>
#include "host/hostdefs.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/pools.h"
#include "proc/vyxstate.h"
#include "proc/framework/wobmth.h"
#include "proc/lifedist/lifedist_internal.h"

namespace fitx {

constexpr double EPS53 = 1.1102230246251565e-16;     // 2^-53
constexpr double TINY = 1000.0 * 1.110223024625157e-16;
constexpr double EXP_OVER = 709.782712893384;      // largest argument of exp
constexpr double EXP_UNDER = -708.3964185;
constexpr double SQRT_MIN = 1.491668147e-154;      // sqrt of the smallest normal double
constexpr double LN10 = 2.302585092994046;

inline double missing() { return hostmissing(); }
inline bool ismiss(double v) { return std::isnan(v); }

// Parameter i of a node: location, scale, then the further parameters.
inline double& nodeparm(grpnode* g, int i) { return i == 0 ? g->loc : i == 1 ? g->scale : g->parm3[i - 2]; }

// The row of the iteration history (ITPRINT): the parameters and three more words, from the
// statement pool. 0 (also when no history is printed), or 1 after xmemmsg.
inline int iterationrow(vyxstate* s) {
    if (!s->life.fit.itprflag.itprint) return 0;
    const int64_t bytes = 8 * int64_t(s->life.fit.npar.total) + 24;
    s->life.fit.itrow = static_cast<double*>(poolbytes(s->pools.stmtpool, bytes, poolflag::raw));
    if (!s->life.fit.itrow) {
        xmemmsg(bytes);
        return 1;
    }
    return 0;
}

inline int countfree(const vyxstate* s) {
    int k = 0;
    for (int i = 0; i < s->life.fit.npar.total; ++i) k += s->life.parmfree[i] == '1';
    return k;
}
inline bool allfree(const vyxstate* s) { return s->life.fit.npar.free == s->life.fit.npar.total; }
// The group's fit is taken over from the MODEL statement (FITTYPE=MODEL, or REGRESSION).
inline bool bymodel(const vyxstate* s) { return s->work.fitmethod == FIT_MODEL || s->work.fitmethod == FIT_REGRESSION; }

inline txthandle pathtext(const char* path) {
    int n = 0;
    while (path[n]) ++n;
    return rdxtxt(path, n);
}
// Binds the table object of slot to the template path; the id goes to the slot.
inline bool bindtable(vyxstate* s, tabpair& slot, const char* path) {
    wobitem it[] = {obout(OBK_POS), obobj(OBK_POS, slot.obj), obtext(OBK_TEMPLATE, pathtext(path))};
    if (!obok(s, wobmth(s->out.outmgr, nullptr, OB_BIND, 3, it))) return false;
    slot.tabid = obid(it[0]);
    return true;
}
inline bool addrow(vyxstate* s, obobject* table) { return obok(s, wobmth(table, nullptr, OB_ADDROW, 0, nullptr)); }
// End of rows: none when last; else the "more groups follow" item when more; else no call.
inline bool endrows(vyxstate* s, obobject* table, bool last, bool more) {
    if (last) return obok(s, wobmth(table, nullptr, OB_ENDROWS, 0, nullptr));
    if (!more) return true;
    wobitem it[] = {obint(OBK_MORE, 1)};
    return obok(s, wobmth(table, nullptr, OB_ENDROWS, 1, it));
}
// Whether the rows of a status or history table end for good: the statement's page byte,
// or the last group (so that a class analysis prints the table in its place, not after
// the next statement's tables).
inline bool lastrows(const vyxstate* s) { return s->work.pageflags.statement || s->groups.lastgrp; }
inline bool publish(vyxstate* s, uint32_t id) {
    wobitem it[] = {obidin(id)};
    return obok(s, wobmth(s->out.outmgr, nullptr, OB_PUBLISH, 1, it));
}

// Blank-fills a fixed-width text cell and copies text into it.
inline void settext(char* cell, int width, const char* text, int len) {
    for (int i = 0; i < width; ++i) cell[i] = i < len ? text[i] : ' ';
}

}  // namespace fitx
