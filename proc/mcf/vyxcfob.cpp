// The MCF tables: their definition once per statement (vyxcfob), the summary and estimates
// of one group (vyxcfpr) and the two difference tables (vyxcfpd).
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "proc/framework/conflevel.h"
#include "proc/framework/memnum.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg0.h"
#include "proc/framework/msg510.h"
#include "proc/vyxstate.h"
#include "proc/framework/wobmth.h"
#include "proc/mcf/mcf_internal.h"
#include "proc/mcf/mcftab.h"
#include "proc/numeric/normal.h"

namespace {

// Cells of rowvals bound to the estimate columns.
enum : int { ROW_YVALUE = 0, ROW_YUPPER = 6, ROW_YLOWER = 7 };

txthandle txt(const char* t) { return rdxtxt(t, static_cast<int>(std::strlen(t))); }

obobject* create(vyxstate* s, const char* name, int label) {
    wobitem it[] = {obstr(OBK_FAMILY, "rdx", 3), obstr(OBK_OBJKIND, "data", 4), obout(OBK_CREATED),
                    obint(OBK_PLACE, -1), obtext(OBK_NAME, txt(name)), obtext(OBK_LABEL, rdxmsg(0, label))};
    if (mcftab::failed(wobmth(s->out.outmgr, nullptr, OB_CREATE, 6, it))) return nullptr;
    return static_cast<obobject*>(it[2].v.p);
}

struct columns {
    obobject* t;
    void add(std::initializer_list<wobitem> items) {
        if (!t) return;
        std::vector<wobitem> v(items);
        if (mcftab::failed(wobmth(t, nullptr, OB_ADDCOL, static_cast<int>(v.size()), v.data()))) t = nullptr;
    }
    void num(const char* name, double* cell) { add({obint(OBK_KIND, COL_DOUBLE), obtext(OBK_NAME, txt(name)), obcell(OBK_CELL, cell)}); }
    void integer(const char* name, void* cell) { add({obint(OBK_KIND, COL_INT), obtext(OBK_NAME, txt(name)), obcell(OBK_CELL, cell)}); }
    void text(const char* name, int width, const void* cell) {
        add({obint(OBK_KIND, COL_TEXT), obtext(OBK_NAME, txt(name)), obint(OBK_WIDTH, width),
             obcell(OBK_CELL, const_cast<void*>(cell))});
    }
    // A numeric column that starts a spanning header over first .. last.
    void spanning(const char* name, double* cell, const char* k1, const char* first, const char* k2, const char* last) {
        add({obint(OBK_KIND, COL_DOUBLE), obtext(OBK_NAME, txt(name)), obtext(OBK_ITEMNAME, txt(k1)),
             obtext(OBK_VALUE, txt(first)), obtext(OBK_ITEMNAME, txt(k2)), obtext(OBK_VALUE, txt(last)),
             obcell(OBK_CELL, cell)});
    }
    void titles(std::initializer_list<wobitem> items) {
        if (!t) return;
        std::vector<wobitem> v(items);
        if (mcftab::failed(wobmth(t, nullptr, OB_TITLES, static_cast<int>(v.size()), v.data()))) t = nullptr;
    }
    void end() {
        if (t && mcftab::failed(wobmth(t, nullptr, OB_ENDDEF, 0, nullptr))) t = nullptr;
    }
};

// The title above the estimates: the confidence level of their limits.
wobitem title2(const vyxstate* s) {
    const int msg = s->inwork.rspkind == MCF_EXACT ? T510_CONFIDENCE_LIMITS : T510_CONFIDENCE_LIMITS_INTERVAL;
    const vx::conftext c = vx::conflevel(s->opts.alpha);
    return obtext(OBK_VALUE, rdxmsgs(510, msg, txtarg(c.text, c.len)));
}

void labelcol(const vyxstate* s, columns& c) {
    if (s->work.tblflags[TF_STMTLABEL] && s->opts.stmtlabel) c.text("Label", 8, s->opts.stmtlabel);
}

}  // namespace

namespace mcftab {

bool failed(int32_t rc) {
    if (rc >= 0) return false;
    xprrlog(0, rc);
    xexit(rc, 0);
    return true;
}

uint32_t bind(vyxstate* s, int tab, const char* path) {
    obobject* t = s->out.tabs[tab].obj;
    if (!t) return 0;
    wobitem it[] = {obout(OBK_POS), obobj(OBK_POS, t), obtext(OBK_TEMPLATE, txt(path))};
    if (failed(wobmth(s->out.outmgr, nullptr, OB_BIND, 3, it))) return 0;
    s->out.tabs[tab].tabid = obid(it[0]);
    return s->out.tabs[tab].tabid;
}

void endrows(vyxstate* s, int tab) {
    obobject* t = s->out.tabs[tab].obj;
    if (!t) return;
    wobitem more[] = {obint(OBK_MORE, 1)};
    const bool last = s->groups.lastgrp || s->groups.nclass == 0;
    failed(wobmth(t, nullptr, OB_ENDROWS, last ? 0 : 1, last ? nullptr : more));
}

void publish(vyxstate* s, int tab) {
    if (!s->out.tabs[tab].obj) return;
    wobitem it[] = {obidin(s->out.tabs[tab].tabid)};
    failed(wobmth(s->out.outmgr, nullptr, OB_PUBLISH, 1, it));
}

void addrow(vyxstate* s, int tab) {
    if (obobject* t = s->out.tabs[tab].obj) failed(wobmth(t, nullptr, OB_ADDROW, 0, nullptr));
}

void summaryrow(vyxstate* s, int tab, int msg, const char* value, int len) {
    xpmstr(s->row.rowtext, 40, 510, msg);
    std::memset(s->mcf.rowvalue, ' ', sizeof s->mcf.rowvalue);
    if (len > static_cast<int>(sizeof s->mcf.rowvalue)) len = sizeof s->mcf.rowvalue;
    if (len > 0) std::memcpy(s->mcf.rowvalue, value, static_cast<size_t>(len));
    addrow(s, tab);
}

}  // namespace mcftab

int vyxcfob(vyxstate* s) {
    switch (s->groups.nclass) {
        case 0: s->mcf.clswidth = 0; break;
        case 1: s->mcf.clswidth = s->groups.grpcolw > 10 ? s->groups.grpcolw : 10; break;
        default: s->mcf.clswidth = s->groups.grpcolw + 1 > 10 ? s->groups.grpcolw + 1 : 10; break;
    }
    const int valw = s->input.dsname.len > 8 ? s->input.dsname.len : 8;
    const bool exact = s->inwork.rspkind == MCF_EXACT;
    const bool lims = s->mcf.mcfopt.wantlims != 0;
    const int uw = static_cast<int>(s->mcf.mcfopt.unitwidth > 0 ? s->mcf.mcfopt.unitwidth : 1);
    for (int k : {TAB_MCFSUM, TAB_MCFEST, TAB_MCFDSUM, TAB_MCFDEST}) s->out.tabs[k] = tabpair{};

    auto summary = [&](int tab, const char* name, int label, bool group) {
        columns c{create(s, name, label)};
        c.text("Description", 24, s->row.rowtext);
        c.text("Value", valw, s->mcf.rowvalue);
        if (group && s->groups.nclass > 0) c.text("Group", static_cast<int>(s->mcf.clswidth), s->row.grplabel);
        labelcol(s, c);
        c.end();
        s->out.tabs[tab].obj = c.t;
    };
    auto limits = [&](columns& c) {
        if (!lims) return;
        c.num("Std", &s->mcf.sevalue);
        c.spanning("Lower", &s->row.rowvals[ROW_YLOWER], "spans", "Lower", "spane", "Upper");
        c.num("Upper", &s->row.rowvals[ROW_YUPPER]);
    };
    auto intervalhead = [&](columns& c) {
        c.integer("fNote", &s->mcf.lastrow);
        c.titles({obtext(OBK_ITEMNAME, txt("pNote")), obflag(OBK_VALUE, 1)});
    };

    if (!s->popt.pflags.mcfdiff) {
        summary(TAB_MCFSUM, "MCFSum", T0_MCF_SUMMARY, true);
        columns c{create(s, "MCFEst", T0_MCF)};
        if (exact) {
            c.num("Age", &s->row.rowlead[0]);
            c.titles({obtext(OBK_ITEMNAME, txt("pNote")), obflag(OBK_VALUE, 0)});
        } else {
            intervalhead(c);
            c.spanning("Age1", &s->row.rowlead[1], "span1", "Age1", "span2", "Age2");
            c.num("Age2", &s->row.rowlead[2]);
        }
        c.num("Mcf", &s->row.rowvals[ROW_YVALUE]);
        limits(c);
        if (exact) c.text("ID", uw, s->row.rowtext);
        if (s->groups.nclass > 0) c.text("Group", static_cast<int>(s->mcf.clswidth), s->row.grplabel);
        labelcol(s, c);
        if (lims) c.titles({obtext(OBK_ITEMNAME, txt("title2")), title2(s)});
        c.end();
        s->out.tabs[TAB_MCFEST].obj = c.t;
    } else {
        summary(TAB_MCFDSUM, "MCFDsum", T0_MCF_DIFF_SUMMARY, false);
        columns c{create(s, "MCFDest", T0_MCF_DIFF_ESTIMATES)};
        if (!exact) intervalhead(c);
        c.num("Age", &s->row.rowlead[0]);
        c.num("Mcfdiff", &s->row.rowvals[ROW_YVALUE]);
        limits(c);
        if (exact) c.text("ID", 2 * uw + 1, s->row.rowtext);
        labelcol(s, c);
        if (lims) c.titles({obtext(OBK_ITEMNAME, txt("title2")), title2(s)});
        c.end();
        s->out.tabs[TAB_MCFDEST].obj = c.t;
    }
    return 0;
}

namespace {

// The formatters fill a blank-padded field of 10 characters; the cell takes the text alone.
void fieldrow(vyxstate* s, int tab, int msg, const char* field) {
    int at = 0, end = 10;
    while (at < end && field[at] == ' ') ++at;
    while (end > at && field[end - 1] == ' ') --end;
    mcftab::summaryrow(s, tab, msg, field + at, end - at);
}
void countrow(vyxstate* s, int tab, int msg, int64_t n) {
    char buf[64];
    xpils(n, 10, buf);
    fieldrow(s, tab, msg, buf);
}
void valuerow(vyxstate* s, int tab, int msg, double v) {
    char buf[64];
    xpfs(v, 10, 99, buf);
    fieldrow(s, tab, msg, buf);
}
void grouprows(vyxstate* s, int tab, const grpnode* g) {
    countrow(s, tab, T510_OBS_USED, g->mcf.nrec);
    valuerow(s, tab, T510_NUMBER_OF_UNITS, g->mcf.nunits);
    valuerow(s, tab, T510_NUMBER_OF_EVENTS, g->mcf.nobs);
}

// One estimate row from a record (exact, interval or difference record).
void estrow(vyxstate* s, int tab, const mcfrec* r, double z, bool loglims, bool last) {
    const bool exact = s->inwork.rspkind == MCF_EXACT;
    const bool end = exact && ismissing(r->value) && tab == TAB_MCFEST;
    double m = hostmissing(), se = hostmissing(), lo = hostmissing(), hi = hostmissing();
    if (!end) {
        m = r->mcf;
        se = s->mcf.mcfopt.wantlims ? r->se : hostmissing();
        if (s->mcf.mcfopt.wantlims) mcflimits(m, se, z, loglims, &lo, &hi);
    }
    s->row.rowvals[ROW_YVALUE] = m;
    s->mcf.sevalue = se;
    s->row.rowvals[ROW_YLOWER] = lo;
    s->row.rowvals[ROW_YUPPER] = hi;
    s->row.rowlead[0] = s->row.rowlead[2] = r->time;
    s->row.rowlead[1] = r->value;
    s->mcf.lastrow = last ? 1 : 0;
    if (exact) {
        std::memset(s->row.rowtext, ' ', sizeof s->row.rowtext);
        std::memcpy(s->row.rowtext, r->unit, 16);
    }
    mcftab::addrow(s, tab);
}

// All estimate rows of a group's records.
int estrows(vyxstate* s, int tab, grpnode* g, bool loglims) {
    const double z = zprobitq(s->opts.alpha / 2);
    mcfwalk w;
    int rc = mcfwalkstart(&w, g, false);
    if (rc) return rc;
    // The last row shown is marked (interval data: fNote): look one record ahead.
    mcfrec held{};
    bool have = false;
    while (mcfrec* r = mcfwalknext(&w, &rc)) {
        if (s->mcf.mcfopt.nocenprt && tab == TAB_MCFEST && s->inwork.rspkind == MCF_EXACT && ismissing(r->value)) continue;
        if (have) estrow(s, tab, &held, z, loglims, false);
        held = *r;
        have = true;
    }
    if (rc) return rc;
    if (have) estrow(s, tab, &held, z, loglims, true);
    return 0;
}

}  // namespace

void mcflimits(double m, double se, double z, bool loglims, double* lower, double* upper) {
    *lower = *upper = hostmissing();
    if (ismissing(m) || ismissing(se)) return;
    if (!loglims) {
        *lower = m - z * se;
        *upper = m + z * se;
        return;
    }
    if (m > MCF_LOGMIN) {
        double w = z * se / m;
        if (w < MCF_LOGWMAX) {
            *lower = m / std::exp(w);
            *upper = m * std::exp(w);
        }
    }
}

int vyxcfpr(vyxstate* s, grpnode* g) {
    if (s->popt.pflags.mcfdiff) return 0;
    mcftab::bind(s, TAB_MCFSUM, "kv.vitalyx.mcfsum");
    mcftab::summaryrow(s, TAB_MCFSUM, T510_INPUT_DATA_SET, s->input.dsname.text, s->input.dsname.len);
    grouprows(s, TAB_MCFSUM, g);
    mcftab::endrows(s, TAB_MCFSUM);
    mcftab::publish(s, TAB_MCFSUM);

    mcftab::bind(s, TAB_MCFEST, "kv.vitalyx.mcfest");
    if (int rc = estrows(s, TAB_MCFEST, g, s->mcf.mcfopt.loglims != 0); rc != 0) return rc;
    mcftab::endrows(s, TAB_MCFEST);
    mcftab::publish(s, TAB_MCFEST);
    return 0;
}

int vyxcfpd(vyxstate* s) {
    grpnode* a = s->groups.grplist.head;
    grpnode* b = a ? a->next : nullptr;
    if (!b) return RC_REPORTED;
    mcftab::bind(s, TAB_MCFDSUM, "kv.vitalyx.mcfdsum");
    mcftab::summaryrow(s, TAB_MCFDSUM, T510_INPUT_DATA_SET, s->input.dsname.text, s->input.dsname.len);
    mcftab::summaryrow(s, TAB_MCFDSUM, T510_GROUP_A, a->key, 16);
    grouprows(s, TAB_MCFDSUM, a);
    mcftab::summaryrow(s, TAB_MCFDSUM, T510_GROUP_B, b->key, 16);
    grouprows(s, TAB_MCFDSUM, b);
    mcftab::endrows(s, TAB_MCFDSUM);
    mcftab::publish(s, TAB_MCFDSUM);

    // The difference records of the root node: one record per read, normal limits.
    grpnode* root = &s->groups.rootgrp;
    mcfrec buf[1];
    root->rowbuf = reinterpret_cast<double*>(buf);
    mcfwalk w;
    int rc = mcfwalkstart(&w, root, false);
    w.perblock = 1;
    mcftab::bind(s, TAB_MCFDEST, "kv.vitalyx.mcfdest");
    const double z = zprobitq(s->opts.alpha / 2);
    mcfrec held{};
    bool have = false;
    while (rc == 0) {
        mcfrec* r = mcfwalknext(&w, &rc);
        if (!r) break;
        if (have) estrow(s, TAB_MCFDEST, &held, z, false, false);
        held = *r;
        have = true;
    }
    root->rowbuf = nullptr;
    if (rc) return rc;
    if (have) estrow(s, TAB_MCFDEST, &held, z, false, true);
    mcftab::endrows(s, TAB_MCFDEST);
    mcftab::publish(s, TAB_MCFDEST);
    return 0;
}
