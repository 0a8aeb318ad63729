// Variable retrieval lists: the host get lists that put the values of the current
// observation into the cells of the state block.
#include <cstring>

#include "proc/framework/anchor.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/pools.h"
#include "proc/framework/msg510.h"
#include "proc/framework/optslots.h"
#include "proc/framework/pooledkeys.h"
#include "proc/framework/stmtkinds.h"
#include "proc/framework/vyxxvgi.h"
#include "proc/vyxstate.h"
#include "proc/framework/fndstmt.h"
#include "proc/framework/xinit.h"

namespace {

constexpr int kMaxClass = 2;   // the cells hold two class variables

int count(const stmtrec* r, int n) {
    const optslot* o = stmtslot(r, n);
    return o && o->kind == SK_VARLIST ? o->count : 0;
}

int32_t firstvar(const stmtrec* r, int n) {
    const optslot* o = stmtslot(r, n);
    return o && o->kind == SK_VARLIST && o->count > 0 ? static_cast<const int32_t*>(o->ptr)[0] : 0;
}

constexpr int kKeyWidth = 16;  // the cells hold the first 16 characters of a text

// Whether a variable's whole formatted value can be longer than its 16-character cell: a
// character variable longer than 16 characters (a number is fetched whole as it is).
bool longtext(const vardesc& d) { return d.type != 1 && d.length > kKeyWidth; }

// Adds the formatted value of var and its raw value (text or number) to list; with whole, the
// whole formatted text of a long character variable as well (longtext: one entry more).
void addboth(dshandle ds, hgetlist* list, int32_t var, char* fmtcell, char* rawcell, double* numcell, uint8_t* type,
             char* whole = nullptr) {
    vardesc d{};
    xvname(ds, var, &d);
    xvgetd(list, var, 0, fmtcell, 16, GET_FORMATTED, 0, 0);
    if (type) *type = d.type;
    if (d.type == 1)
        xvgetd(list, var, 0, numcell, 8, GET_RAW, 0, 0);
    else
        xvgetd(list, var, 0, rawcell, 16, GET_RAW, 0, 0);
    if (whole && longtext(d)) xvgetd(list, var, 0, whole, d.length, GET_FORMATTED, 0, 0);
}

// A cell for the whole text of the variable var when it is a long character variable, at
// least width characters in a block of whole words (pooledkeys.h; a cell already there is
// kept when wide enough); false when memory ran out. *extra counts the get-list entry it needs.
bool wholecellfor(dshandle ds, int32_t var, char** cell, int32_t* width, int* extra) {
    vardesc d{};
    xvname(ds, var, &d);
    if (!longtext(d)) return true;
    ++*extra;
    if (*cell && *width >= d.length) return true;
    *cell = static_cast<char*>(poolbytes(v_global_gcb_anchor->pool, wholebytes(d.length), poolflag::zeroed_marked));
    if (!*cell) {
        xmemmsg(wholebytes(d.length));
        return false;
    }
    *width = d.length;
    return true;
}

int proclist(vyxstate* s) {
    stmtrec* proc = s->inputw.procstmt;
    s->inputw.procget = nullptr;
    if (!proc) return 0;
    int n = count(proc, slot::proc::FREQ) + count(proc, slot::proc::NENTER) + 2 * count(proc, slot::proc::UNITID);
    if (n == 0) return 0;
    obsvalues& v = s->inwork.obsvals;
    int32_t width = 0;
    if (count(proc, slot::proc::UNITID) && !wholecellfor(s->inputw.dsin, firstvar(proc, slot::proc::UNITID), &v.unitwhole, &width, &n))
        return 1;
    hgetlist* list = nullptr;
    if (xvgeti(s->inputw.dsin, n, &list) != 0) return 1;
    if (count(proc, slot::proc::FREQ)) xvgetd(list, firstvar(proc, slot::proc::FREQ), 0, &v.freq, 8, GET_RAW, 0, 0);
    if (count(proc, slot::proc::NENTER)) xvgetd(list, firstvar(proc, slot::proc::NENTER), 0, &v.nenter, 8, GET_RAW, 0, 0);
    if (count(proc, slot::proc::UNITID)) {
        int32_t var = firstvar(proc, slot::proc::UNITID);
        if (xffile(s->inputw.dsin, FF_FORMATS, &var, 1) != 0) {
            xpmlog(510, E510_UNITID_UNREAD);
            return 1;
        }
        addboth(s->inputw.dsin, list, var, v.unitfmt, v.unitraw, &v.unitnum, &s->inputw.unittype, v.unitwhole);
    }
    xvgete(list);
    s->inputw.procget = list;
    return 0;
}

int fmodelist(vyxstate* s) {
    s->inputw.fmodeget = nullptr;
    stmtrec* fm = nullptr;
    if (fndstmt("FMODE", &fm) == 0 || count(fm, slot::fmode::VAR) == 0) return 0;
    int32_t var = firstvar(fm, slot::fmode::VAR);
    obsvalues& v = s->inwork.obsvals;
    int n = 2;
    int32_t width = 0;
    if (!wholecellfor(s->inputw.dsin, var, &v.fmodewhole, &width, &n)) return 1;
    hgetlist* list = nullptr;
    if (xvgeti(s->inputw.dsin, n, &list) != 0) return 1;
    if (xffile(s->inputw.dsin, FF_FORMATS, &var, 1) != 0) {
        xpmlog(510, E510_FMODE_UNREAD);
        return 1;
    }
    addboth(s->inputw.dsin, list, var, v.fmodefmt, v.fmoderaw, &v.fmodenum, &s->groups.fmodeset.type, v.fmodewhole);
    xvgete(list);
    s->inputw.fmodeget = list;
    return 0;
}

}  // namespace

int setin(vyxstate* s, stmtrec* r, int index) {
    hgetlist* list = nullptr;
    double* cells = s->inwork.obsvals.rsp;
    const optslot* kind = stmtslot(r, slot::head::RSPKIND);
    if (ismcfstmt(r) && kind && static_cast<int>(kind->num) == 2) {  // the interval form
        if (xvgeti(s->inputw.dsin, 4, &list) != 0) return 1;
        const int slots[4] = {slot::head::RESP1, slot::head::RESP2, slot::head::CENSVALS, slot::head::MCF_REMOVALS};
        for (int k = 0; k < 4; ++k)
            if (int32_t var = firstvar(r, slots[k])) xvgetd(list, var, 0, &cells[k], 8, GET_RAW, 0, 0);
    } else {
        int n = count(r, slot::head::RESP1) + count(r, slot::head::RESP2);
        if (xvgeti(s->inputw.dsin, n, &list) != 0) return 1;
        if (int32_t var = firstvar(r, slot::head::RESP1)) xvgetd(list, var, 0, &cells[RSP_FIRST], 8, GET_RAW, 0, 0);
        if (int32_t var = firstvar(r, slot::head::RESP2)) xvgetd(list, var, 0, &cells[RSP_SECOND], 8, GET_RAW, 0, 0);
    }
    xvgete(list);
    s->inputw.stmgets[index] = list;
    return 0;
}

namespace {

int classcount(const stmtrec* r) {
    const int c = count(r, slot::head::CLASS);
    return c > kMaxClass ? kMaxClass : c;   // the parser refuses more; the cells hold two
}

// The cells of the whole texts of the long character class variables, each as wide as the
// longest such variable of its place over the analysis statements; false when memory ran out.
bool classwhole(vyxstate* s) {
    int32_t width[kMaxClass] = {0, 0};
    for (stmtrec* r = curparse()->head; r; r = r->next) {
        if (!isanalysisstmt(r)) continue;
        const int c = classcount(r);
        const auto* vars = c > 0 ? static_cast<const int32_t*>(stmtslot(r, slot::head::CLASS)->ptr) : nullptr;
        int extra = 0;
        for (int j = 0; j < c; ++j)
            if (!wholecellfor(s->inputw.dsin, vars[j], &s->inwork.obsvals.clswhole[j], &width[j], &extra)) return false;
    }
    return true;
}

}  // namespace

int setclass(vyxstate* s, stmtrec* r, int index) {
    const int c = classcount(r);
    hgetlist* list = nullptr;
    if (c > 0) {
        const auto* vars = static_cast<const int32_t*>(stmtslot(r, slot::head::CLASS)->ptr);
        int n = 2 * c;
        for (int j = 0; j < c; ++j) {
            vardesc d{};
            xvname(s->inputw.dsin, vars[j], &d);
            if (longtext(d)) ++n;
        }
        if (xvgeti(s->inputw.dsin, n, &list) != 0) return 1;
        if (xffile(s->inputw.dsin, FF_FORMATS, vars, c) != 0) {
            xpmlog(510, E510_CLASS_VARS_UNREAD);
            return 1;
        }
        obsvalues& v = s->inwork.obsvals;
        for (int j = 0; j < c; ++j)
            addboth(s->inputw.dsin, list, vars[j], v.clsfmt[j], v.clsraw[j], &v.clsnum[j], nullptr, v.clswhole[j]);
        xvgete(list);
    }
    s->inputw.stmclgets[index] = list;
    return 0;
}

int vyxxvgi(vyxstate* s) {
    if (!s->inputw.dsin) return 0;   // nothing to read without a data set
    if (proclist(s) != 0 || fmodelist(s) != 0 || !classwhole(s)) return 1;
    int i = 0;
    for (stmtrec* r = curparse()->head; r; r = r->next) {
        if (!isanalysisstmt(r)) continue;
        if (setin(s, r, i) != 0 || setclass(s, r, i) != 0) return 1;
        ++i;
    }
    return 0;
}
