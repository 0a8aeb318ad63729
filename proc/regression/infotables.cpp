// What the MODEL analysis was given, printed before the fit: the model information list, the
// observation counts, the CLASS levels and the parameter information.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "proc/framework/hostsvc.h"
#include "proc/framework/msg0.h"
#include "proc/framework/msg510.h"
#include "proc/framework/stepend.h"
#include "proc/effects/effects.h"
#include "proc/framework/pools.h"
#include "proc/framework/textpad.h"
#include "proc/lifedist/lifedist.h"
#include "proc/regression/fitcommon.h"
#include "proc/regression/regression_internal.h"
#include "proc/vyxstate.h"
#include "proc/regression/mtable.h"

namespace {

// A level text without the blanks around it.
void trimmed(const char* t, int len, const char** start, int* n) {
    int a = 0;
    while (a < len && (t[a] == ' ' || t[a] == '\0')) ++a;
    int b = len;
    while (b > a && (t[b - 1] == ' ' || t[b - 1] == '\0')) --b;
    *start = t + a;
    *n = b - a;
}

bool haslabel(const vardesc* d) { return d && d->labellen > 0; }

// The information list: entries of a label and a value, and the label of what an entry names.
struct infolist {
    vyxstate* s;
    mtable t;
    obobject* obj = nullptr;
    bool labels = false;

    void entry(int label, txthandle value) {
        wobitem it[] = {obtext(OBK_LABEL, rdxmsg(0, label)), obtext(OBK_VALUE, value)};
        t.call(obj, OB_INFO, 2, it);
    }
    void varlabel(const char* text, int n) {
        if (!labels) return;
        wobitem it[] = {obint(OBK_INFOKIND, 2), obtext(OBK_VALUE, n > 0 ? rdxtxt(text, n) : rdxtxt(" ", 1))};
        t.call(obj, OB_INFO, 2, it);
    }
    void variable(int label, const vardesc& d) {
        entry(label, rdxtxt(d.name, d.namelen));
        varlabel(d.label, d.labellen);
    }
};

}  // namespace

int modhdr(vyxstate* s) {
    const bool form2 = s->inwork.rspkind == 2;
    const bool censor = s->inwork.rspkind == 1;
    const vardesc* fm = s->groups.fmodeset.nvars > 0 ? &s->groups.fmodeset.desc : nullptr;
    const vardesc* freq = s->input.nfreq > 0 ? &s->input.procvars[PV_FREQ] : nullptr;
    const vardesc* nenter = s->input.nnenter > 0 ? &s->input.procvars[PV_NENTER] : nullptr;
    const bool labels = s->input.dslabel.len > 0 || haslabel(s->input.rspvars[RV_TIME]) ||
                        ((censor || form2) && haslabel(s->input.rspvars[RV_SECOND])) || haslabel(freq) || haslabel(nenter) ||
                        haslabel(fm);
    const char* path = labels ? "kv.vitalyx.infolabel" : "kv.vitalyx.info";
    infolist l{s, mtable(s)};
    l.labels = labels;
    wobitem create[] = {obstr(OBK_FAMILY, "rdx", 3), obstr(OBK_OBJKIND, "factoid", 7), obout(OBK_CREATED),
                        obtext(OBK_TEMPLATE, mtext(path))};
    if (!l.t.call(s->out.outmgr, OB_CREATE, 4, create)) return -1;
    l.obj = static_cast<obobject*>(create[2].v.p);
    wobitem head[] = {obtext(OBK_NAME, mtext("Modinfo")), obtext(OBK_TITLE, rdxmsg(0, T0_MODEL_INFO))};
    const int32_t hrc = obinfocall(l.obj, 2, head);
    if (hrc < 0) return callfailed(s, hrc);

    l.entry(T0_INPUT_DATA_SET, rdxtxt(s->input.dsname.text, s->input.dsname.len));
    l.varlabel(s->input.dslabel.text, s->input.dslabel.len);
    if (s->input.rspvars[RV_TIME]) l.variable(T0_RESPONSE_VARIABLE, *s->input.rspvars[RV_TIME]);
    if (form2 && s->input.rspvars[RV_SECOND]) l.variable(T0_RESPONSE_VARIABLE, *s->input.rspvars[RV_SECOND]);
    for (int k = 0; k < 3; ++k) {
        if (!s->mdl.relcodes[k]) continue;
        const vardesc& d = s->mdl.relvardesc[k];
        static constexpr int kLabel[3] = {LB_RELATION, LB_RELATION2, LB_RELATION3};
        const char* lab = s->opts.labels[kLabel[k]];
        char text[160];
        const int n = std::snprintf(text, sizeof text, "%.*s( %.*s )", d.namelen, d.name, wzstrip(lab, 40), lab);
        l.entry(T0_RELATION, rdxtxt(text, std::min<int>(n, static_cast<int>(sizeof text) - 1)));
    }
    if (censor && s->input.rspvars[RV_SECOND]) l.variable(T0_CENSORING_VARIABLE, *s->input.rspvars[RV_SECOND]);
    if (freq) l.variable(T0_FREQUENCY_VARIABLE, *freq);
    if (nenter) l.variable(T0_ENTRY_COUNT_VARIABLE, *nenter);
    if (fm) l.variable(T0_FMODE_VARIABLE, *fm);
    if (s->opts.distcode == DIST_LOGNORMAL || s->opts.distcode == DIST_LOGNORMAL10) {
        const char* d = s->opts.labels[LB_DIST];
        l.entry(T0_DISTRIBUTION,
                rdxmsgs(510, s->opts.distcode == DIST_LOGNORMAL ? T510_LOGNORMAL_E : T510_LOGNORMAL_10, txtarg(d, wzstrip(d, 20))));
    } else {
        const char* d = s->opts.labels[LB_DIST];
        l.entry(T0_DISTRIBUTION, rdxtxt(d, wzstrip(d, 20)));
    }
    l.t.call(l.obj, OB_ENDROWS, 0, nullptr);
    if (s->step.stepend) return -1;
    const int32_t rc = obrelease(l.obj);
    return rc < 0 ? callfailed(s, rc) : rc;
}

int modnobs(vyxstate* s) { return nobstbl(s, "ModNObs", false); }

int classtbl(vyxstate* s) {
    const levstate* ls = s->mdl.mdllev->lstate;
    int namew = 1, valw = 1;
    for (int i = 0; i < ls->nclassv; ++i) {
        const levclass& c = ls->classv[i];
        if (c.varinfo) namew = std::max<int>(namew, c.varinfo->d.namelen);
        int sum = 0;
        for (int k = 0; k < c.nlev; ++k) {
            const char* t;
            int n;
            trimmed(c.levels[k], c.fmtlen, &t, &n);
            sum += n + 1;
        }
        valw = std::max(valw, sum);
    }
    char* values = static_cast<char*>(poolbytes(s->pools.stmtpool, valw + 1, poolflag::raw));
    char name[33];
    int32_t nlev = 0;
    if (!values) {
        xmemmsg(valw + 1);
        return -1;
    }
    mtable t(s);
    t.create("ModClassLevels", rdxmsg(0, T0_CLASS_LEVEL_INFO));
    t.coltext("Name", namew, name, nullptr, rdxmsg(0, T0_CLASS));
    wobitem lev[] = {obint(OBK_KIND, COL_INT), obtext(OBK_NAME, mtext("Levels")), obtext(OBK_LABEL, rdxmsg(0, T0_LEVELS)),
                     obcell(OBK_CELL, &nlev)};
    t.call(t.object(), OB_ADDCOL, 4, lev);
    t.coltext("Values", valw, values, nullptr, rdxmsg(0, T0_VALUES));
    t.enddef();
    t.bind("kv.vitalyx.classlevels");
    for (int i = 0; i < ls->nclassv && t.ok(); ++i) {
        const levclass& c = ls->classv[i];
        std::memset(name, ' ', sizeof name);
        if (c.varinfo) std::memcpy(name, c.varinfo->d.name, std::min<size_t>(32, c.varinfo->d.namelen));
        nlev = c.nlev;
        std::memset(values, ' ', static_cast<size_t>(valw));
        int at = 0;
        for (int k = 0; k < c.nlev; ++k) {
            const char* tx;
            int n;
            trimmed(c.levels[k], c.fmtlen, &tx, &n);
            std::memcpy(values + at, tx, static_cast<size_t>(n));
            at += n + 1;
        }
        t.row();
    }
    t.endrows();
    t.publish();
    return s->step.stepend ? -1 : 0;
}

namespace {

// The level text of CLASS variable v in row `comb` of an effect's combinations.
bool combtext(const levstate* ls, const leveffect& e, int comb, int v, const char** text, int* n) {
    if (e.nclsall == 0 || !e.combs || comb >= e.nseen) return false;
    for (int k = 0; k < e.nclsall; ++k) {
        if (e.clsall[k] != v) continue;
        const int idx = e.combs[static_cast<size_t>(comb) * e.nclsall + k];
        const levclass& c = ls->classv[v];
        if (idx < 0 || idx >= c.nlev) return false;
        trimmed(c.levels[idx], c.fmtlen, text, n);
        return true;
    }
    return false;
}

}  // namespace

int procprm(vyxstate* s) {
    const levstate* m = s->mdl.mdllev->lstate;
    const levstate* l = s->mdl.haslogscl ? static_cast<const levstate*>(s->mdl.logscl) : nullptr;
    const int nc = m->nclassv;
    std::vector<int> width(static_cast<size_t>(nc), 0);
    int effw = 1;
    for (const levstate* ls : {m, l}) {
        if (!ls) continue;
        for (int k = 0; k < ls->neffect; ++k) {
            const leveffect& e = ls->effects[k];
            effw = std::max<int>(effw, static_cast<int>(std::strlen(e.effname ? e.effname : "")));
            for (int c = 0; c < e.nseen; ++c)
                for (int v = 0; v < nc; ++v) {
                    const char* t;
                    int n;
                    if (combtext(m, e, c, v, &t, &n)) width[v] = std::max(width[v], std::max(n, 1));
                }
        }
    }
    if (l) effw += 10;
    const int slice = std::max(m->fmtmax, 1);
    char* levbuf = static_cast<char*>(poolbytes(s->pools.stmtpool, static_cast<int64_t>(slice) * (nc + 1), poolflag::raw));
    char* effbuf = static_cast<char*>(poolbytes(s->pools.stmtpool, effw + 40, poolflag::raw));
    if (!levbuf || !effbuf) {
        xmemmsg(static_cast<int64_t>(slice) * (nc + 1) + effw + 40);
        return -1;
    }
    char parm[16];
    mtable t(s);
    t.create("ModParmInfo", rdxmsg(0, T0_PARM_INFO));
    t.coltext("Parameter", 12, parm, "Values", rdxmsg(0, T0_PARAMETER));
    t.coltext("Effect", effw, effbuf, "Values", rdxmsg(0, T0_EFFECT));
    for (int v = 0; v < nc; ++v) {
        const levclass& c = m->classv[v];
        if (width[v] == 0 || !c.varinfo) continue;
        t.coltext(rdxtxt(c.varinfo->d.name, c.varinfo->d.namelen), std::min(width[v], slice), levbuf + static_cast<size_t>(v) * slice,
                  "Values", nullptr);
    }
    t.enddef();
    t.bind("Kv.Vitalyx.Parminfo");
    int n = 1;
    auto row = [&](const char* effect, int len) {
        std::memset(parm, ' ', sizeof parm);
        std::snprintf(parm, sizeof parm, "Prm%d", n++);
        parm[std::strlen(parm)] = ' ';
        std::memset(effbuf, ' ', static_cast<size_t>(effw));
        std::memcpy(effbuf, effect, static_cast<size_t>(std::min(len, effw)));
        return t.row();
    };
    for (const levstate* ls : {m, l}) {
        if (!ls) continue;
        for (int k = 0; k < ls->neffect && t.ok(); ++k) {
            const leveffect& e = ls->effects[k];
            const char* name = e.effname ? e.effname : "";
            char scaled[41];
            int len = static_cast<int>(std::strlen(name));
            if (ls == l) {
                std::memset(scaled, ' ', 30);
                len = xpmstr(scaled, 30, 510, T510_SCALE_OF, txtarg(name, len));
                name = scaled;
            }
            for (int c = 0; c < e.ncol && t.ok(); ++c) {
                std::memset(levbuf, ' ', static_cast<size_t>(slice) * nc);
                for (int v = 0; v < nc; ++v) {
                    const char* tx;
                    int tn;
                    if (combtext(m, e, c, v, &tx, &tn)) std::memcpy(levbuf + static_cast<size_t>(v) * slice, tx, static_cast<size_t>(std::min(tn, slice)));
                }
                row(name, len);
            }
        }
    }
    std::memset(levbuf, ' ', static_cast<size_t>(slice) * nc);
    if (!l && s->mdl.ndistp > 0 && t.ok()) row(s->opts.labels[LB_PARM2], wzstrip(s->opts.labels[LB_PARM2], 8));
    if (s->mdl.ndistp > 1 && t.ok()) row(s->opts.labels[LB_PARM3], wzstrip(s->opts.labels[LB_PARM3], 8));
    t.endrows();
    t.publish();
    return s->step.stepend ? -1 : 0;
}
