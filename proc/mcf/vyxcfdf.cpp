// The difference of the MCFs of two groups, D(t) = M_A(t) - M_B(t), with its standard error,
// as records of the root node; then printing and drawing treat it as the one group.
#include <cfloat>
#include <cmath>
#include <cstring>

#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/textpad.h"
#include "proc/vyxstate.h"
#include "proc/mcf/mcf_internal.h"
#include "proc/numeric/normal.h"

namespace {

// One side of the merge: its records as a walk, skipping end-of-observation records.
struct side {
    grpnode* g = nullptr;
    mcfwalk w;
    mcfrec* cur = nullptr;      // the next record, null once exhausted
    double lastm = 0, lastse = 0;

    int next(bool skipends) {
        int rc = 0;
        do {
            cur = mcfwalknext(&w, &rc);
        } while (cur && skipends && ismissing(cur->value));
        return rc;
    }
    double t() const { return cur ? cur->time : DBL_MAX; }
};

// The root's file of difference records, written one record at a time.
struct diffout {
    vyxstate* s;
    grpnode* root;
    double z;

    int put(double t, double start, double d, double sea, double seb, const char* id) {
        mcfrec r{};
        r.time = t;
        r.value = start;
        r.mcf = d;
        const bool lims = s->mcf.mcfopt.wantlims != 0;
        const double se = lims ? std::sqrt(sea * sea + seb * seb) : 0.0;
        r.se = se;
        if (id) std::memcpy(r.unit, id, 16);
        else std::memset(r.unit, ' ', 16);
        if (xcwrite(root->ufile, &r, MCF_RECLEN) != 0) {
            xpmlog(510, E510_FILE_WRITE);
            return RC_REPORTED;
        }
        root->mcf.nrec += 1;
        grpnode::mcfdata& x = root->mcf;
        if (d > x.mcfmax) x.mcfmax = d;
        if (d < x.mcfmin) x.mcfmin = d;
        if (t > x.evtmax) x.evtmax = t;
        if (t < x.evtmin) x.evtmin = t;
        if (lims) {
            if (d + z * se > x.uppmax) x.uppmax = d + z * se;
            if (d - z * se < x.lowmin) x.lowmin = d - z * se;
        }
        return 0;
    }
};

// The id of a time both groups share: both ids joined by a comma, cut from the left of
// each when together they do not fit 16 characters.
void joinids(mcfstate& mcf, const char* a, const char* b, char* out) {
    int la = wzstrip(a, 16), lb = wzstrip(b, 16);
    char buf[40];
    int n;
    if (la + lb < 16) {
        std::memcpy(buf, a, static_cast<size_t>(la));
        buf[la] = ',';
        std::memcpy(buf + la + 1, b, static_cast<size_t>(lb));
        n = la + 1 + lb;
    } else {
        int ka = la < 8 ? la : 8;
        int kb = 15 - ka;
        if (kb > lb) kb = lb;
        std::memcpy(buf, a + la - ka, static_cast<size_t>(ka));
        buf[ka] = ',';
        std::memcpy(buf + ka + 1, b + lb - kb, static_cast<size_t>(kb));
        n = ka + 1 + kb;
    }
    vzmp(buf, n, out, 16);
    int len = wzstrip(out, 16);
    if (static_cast<uint32_t>(len) > mcf.mcfopt.unitwidth) mcf.mcfopt.unitwidth = static_cast<uint32_t>(len);
}

int opensides(vyxstate* s, side& a, side& b, diffout& out) {
    a.g = s->groups.grplist.head;
    b.g = a.g ? a.g->next : nullptr;
    if (!b.g) {
        xpmlog(510, E510_MCFDIFF_TWO_LEVELS, a.g ? 1 : 0);
        return RC_REPORTED;
    }
    int rc = mcfwalkstart(&a.w, a.g, false);
    if (!rc) rc = mcfwalkstart(&b.w, b.g, false);
    if (rc) return rc;
    grpnode* root = &s->groups.rootgrp;
    mcfextremes(root);
    root->mcf.nrec = 0;
    if (xcopen(&root->ufile, XC_SCRATCH) != 0) {
        root->ufile = nullptr;
        xpmlog(510, E510_FILE_OPEN);
        return RC_REPORTED;
    }
    out = diffout{s, root, zprobitq(s->opts.alpha / 2)};
    return 0;
}

void finish(vyxstate* s, const side& a, const side& b) {
    grpnode* root = &s->groups.rootgrp;
    root->mcf.nunita = a.g->mcf.nunits;
    root->mcf.nunitb = b.g->mcf.nunits;
    root->mcf.nevta = a.g->mcf.nobs;
    root->mcf.nevtb = b.g->mcf.nobs;
    if (root->ufile) xcpoint(root->ufile, 0);
    s->groups.nclass = 0;
    defh(s, a.g->key, b.g->key);
}

}  // namespace

int vyxcfdf(vyxstate* s) { return s->inwork.rspkind == MCF_EXACT ? vyxcfdf1(s) : vyxcfdf2(s); }

int vyxcfdf1(vyxstate* s) {
    side a, b;
    diffout out{};
    int rc = opensides(s, a, b, out);
    if (rc) return rc;
    if ((rc = a.next(true)) || (rc = b.next(true))) return rc;
    while (a.cur || b.cur) {
        const double ta = a.t(), tb = b.t();
        if (tb < ta) {
            if (tb > a.g->mcf.endmax) break;
            rc = out.put(tb, 0, a.lastm - b.cur->mcf, a.lastse, b.cur->se, b.cur->unit);
            b.lastm = b.cur->mcf;
            b.lastse = b.cur->se;
            if (!rc) rc = b.next(true);
        } else if (ta < tb) {
            if (ta > b.g->mcf.endmax) break;
            rc = out.put(ta, 0, a.cur->mcf - b.lastm, a.cur->se, b.lastse, a.cur->unit);
            a.lastm = a.cur->mcf;
            a.lastse = a.cur->se;
            if (!rc) rc = a.next(true);
        } else {
            char id[16];
            joinids(s->mcf, a.cur->unit, b.cur->unit, id);
            rc = out.put(ta, 0, a.cur->mcf - b.cur->mcf, a.cur->se, b.cur->se, id);
            a.lastm = a.cur->mcf;
            a.lastse = a.cur->se;
            b.lastm = b.cur->mcf;
            b.lastse = b.cur->se;
            if (!rc) rc = a.next(true);
            if (!rc) rc = b.next(true);
        }
        if (rc) return rc;
    }
    finish(s, a, b);
    return 0;
}

int vyxcfdf2(vyxstate* s) {
    side a, b;
    diffout out{};
    int rc = opensides(s, a, b, out);
    if (rc) return rc;
    if ((rc = a.next(false)) || (rc = b.next(false))) return rc;
    bool warned = false;
    auto misaligned = [&] {
        if (!warned) xpmlog(510, W510_MCF_INTERVALS_MISALIGNED, txtarg(a.g->key, 16), txtarg(b.g->key, 16));
        warned = true;
    };
    while (a.cur || b.cur) {
        const double ta = a.t(), tb = b.t();
        if (tb < ta) {
            if (tb > a.g->mcf.endmax) break;
            misaligned();
            rc = out.put(tb, b.cur->value, a.lastm - b.cur->mcf, a.lastse, b.cur->se, nullptr);
            b.lastm = b.cur->mcf;
            b.lastse = b.cur->se;
            if (!rc) rc = b.next(false);
        } else if (ta < tb) {
            if (ta > b.g->mcf.endmax) break;
            misaligned();
            rc = out.put(ta, a.cur->value, a.cur->mcf - b.lastm, a.cur->se, b.lastse, nullptr);
            a.lastm = a.cur->mcf;
            a.lastse = a.cur->se;
            if (!rc) rc = a.next(false);
        } else {
            if (a.cur->value != b.cur->value) misaligned();
            rc = out.put(ta, a.cur->value, a.cur->mcf - b.cur->mcf, a.cur->se, b.cur->se, nullptr);
            a.lastm = a.cur->mcf;
            a.lastse = a.cur->se;
            b.lastm = b.cur->mcf;
            b.lastse = b.cur->se;
            if (!rc) rc = a.next(false);
            if (!rc) rc = b.next(false);
        }
        if (rc) return rc;
    }
    finish(s, a, b);
    return 0;
}

void defh(vyxstate* s, char* keya, char* keyb) {
    s->work.defhdr.given = 1;
    std::memset(s->work.defhdr.text, ' ', sizeof s->work.defhdr.text);
    int la = wzstjus(keya, 16, 'l');
    int lb = wzstjus(keyb, 16, 'l');
    int len = xpmstr(s->work.defhdr.text, 80, 510, T510_MCF_DIFF_HEADER, txtarg(keya, la), txtarg(keyb, lb));
    if (len > 40) len = xpmstr(s->work.defhdr.text, 80, 510, T510_MCF_DIFF_HEADER_SHORT, txtarg(keya, la), txtarg(keyb, lb));
    s->work.defhdr.len = len;
}
