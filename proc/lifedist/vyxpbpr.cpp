// The tables of the binomial and Poisson analysis, once per BY group: the pooled summary
// (Pbsum), the prediction (Pbpred), the sample size for a tolerance (Pbtol) and, with one
// class variable, the estimates (Pbest) and the predictions and sample sizes (Pbpredtol)
// per level with a total row.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "host/hostdefs.h"
#include "proc/framework/conflevel.h"
#include "proc/framework/memnum.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg0.h"
#include "proc/framework/msg510.h"
#include "proc/framework/textpad.h"
#include "proc/vyxstate.h"
#include "proc/lifedist/lifedist_internal.h"
#include "proc/lifedist/pbrec.h"
#include "proc/lifedist/tables.h"
#include "proc/numeric/quantiles.h"

namespace {

// A description table (Pbsum, Pbpred, Pbtol): one text and one value per row.
class desctable {
public:
    desctable(vyxstate* s, const char* name, int label, int textwidth, int buflen)
        : s_(s), buflen_(buflen), t_(tabcreate(s->out.outmgr, name, rdxmsg(0, label))) {
        tabtext(t_, "Description", textwidth, s->row.rowtext);
        tabdouble(t_, "Value", &s->row.rowvals[0]);
    }
    void title(txthandle h) { tabtitles(t_, {{"title1", h}}); }
    void bind(const char* path) {
        tabenddef(t_);
        id_ = tabbind(s_->out.outmgr, t_, path);
    }
    void row(int msg, double v) {
        xpmstr(s_->row.rowtext, buflen_, 510, msg);
        s_->row.rowvals[0] = v;
        tabrow(t_);
    }
    void publish() {
        tabendrows(t_, false);
        tabpublish(s_->out.outmgr, id_);
    }

private:
    vyxstate* s_;
    int buflen_;
    obobject* t_;
    uint32_t id_ = 0;
};

// What every table of one BY group reads.
struct pbview {
    bool binomial;
    double ap;
    vx::conftext conf;
    double xtot, ntot;          // event (count) total and trials (exposure) total
    const double* pooled;       // pooled estimate block
    const double* poolpred;     // pooled prediction block
    bool tol;                   // TOLERANCE given and not 0
};

pbview view(vyxstate* s) {
    pbview v{};
    v.binomial = s->opts.distcode == DIST_BINOMIAL;
    v.ap = pbaprime(s);
    v.conf = vx::conflevel(s->opts.alpha);
    if (s->popt.pflags.pbonly) {
        v.xtot = s->life.pbcount;
        v.ntot = v.binomial ? s->life.pbtrials : s->life.pbexposure;
    } else if (s->groups.nclass == 0) {
        v.xtot = s->groups.rootgrp.loc;
        v.ntot = s->groups.rootgrp.scale;
    } else {
        v.xtot = s->life.wsums[WS_COUNT];
        v.ntot = s->life.wsums[WS_TRIALS];
    }
    const bool root = !s->popt.pflags.pbonly && s->groups.nclass == 0;
    v.pooled = root ? s->groups.rootgrp.pbest : s->life.pbpooled;
    v.poolpred = root ? s->groups.rootgrp.pbpred : s->life.pbpoolpred;
    v.tol = s->life.pbtolgiven && s->life.pbtolval != 0;
    return v;
}

double word(const double* block, int w) { return block ? block[w] : hostmissing(); }

void pbsum(vyxstate* s, const pbview& v) {
    const bool cls = s->groups.nclass > 0;
    desctable t(s, "Pbsum", T0_SUMMARY, 30, 40);
    const char* dist = s->opts.labels[LB_DIST];
    t.title(rdxmsgs(510, T510_ANALYSIS_SUMMARY, txtarg(dist, wzstrip(dist, 40))));
    t.bind("kv.vitalyx.pbsum");
    if (v.binomial) {
        t.row(cls ? T510_TOTAL_EVENTS : T510_EVENTS, v.xtot);
        t.row(cls ? T510_TOTAL_TRIALS : T510_TRIALS, v.ntot);
        t.row(T510_PROPORTION, word(v.pooled, PB_EST));
        t.row(T510_PROPORTION_LOWER, word(v.pooled, PB_LOWER));
        t.row(T510_PROPORTION_UPPER, word(v.pooled, PB_UPPER));
    } else {
        t.row(cls ? T510_TOTAL_COUNT : T510_COUNT, v.xtot);
        t.row(cls ? T510_TOTAL_EXPOSURE : T510_EXPOSURE, v.ntot);
        t.row(T510_RATE, word(v.pooled, PB_EST));
        t.row(T510_RATE_LOWER, word(v.pooled, PB_LOWER));
        t.row(T510_RATE_UPPER, word(v.pooled, PB_UPPER));
    }
    if (cls) {
        const double chi = word(v.pooled, PB_CHISQ);
        const int df = static_cast<int>(s->groups.nlev[NLEV_FIRST]) - 1;
        t.row(T510_CHISQ_ACROSS_LEVELS, chi);
        t.row(T510_PROB_CHISQ, ismissing(chi) || df < 1 ? hostmissing() : zpgx2(chi, df));
    }
    t.publish();
}

void pbpred(vyxstate* s, const pbview& v) {
    desctable t(s, "Pbpred", T0_PREDICTION, 30, 40);
    t.title(rdxmsg(510, T510_PREDICTION_TITLE));
    t.bind("kv.vitalyx.pbpred");
    t.row(v.binomial ? T510_PRED_TRIALS : T510_PRED_EXPOSURE, s->life.pbpredict);
    t.row(T510_PRED_COUNT, word(v.poolpred, PB_EST));
    t.row(T510_PRED_LOWER, word(v.poolpred, PB_LOWER));
    t.row(T510_PRED_UPPER, word(v.poolpred, PB_UPPER));
    t.publish();
}

// The trials (exposure) needed for the TOLERANCE at an estimate; at an estimate the normal
// approximation cannot use (a proportion of 0 or 1, a rate of 0) they are missing, and a note
// says why, naming the level (null: the pooled estimate).
double tolsize(vyxstate* s, const pbview& v, double est, const grpnode* g) {
    const double n = pbtolsize(v.binomial, est, s->life.pbtolval, s->opts.alpha);
    if (ismissing(n) && !ismissing(est)) {
        char of[40] = "";
        if (g) {
            const int len = wzstrip(g->key, 16);
            std::snprintf(of, sizeof of, " of level %.*s", len, g->key);
        }
        xpmlog(510, v.binomial ? N510_TOLERANCE_NO_TRIALS : N510_TOLERANCE_NO_EXPOSURE, of, est);
    }
    return n;
}

void pbtol(vyxstate* s, const pbview& v) {
    desctable t(s, "Pbtol", T0_TOLERANCE_SAMPLE_SIZE, 25, 60);
    t.title(rdxmsg(510, v.binomial ? T510_TOLERANCE_PROPORTION_TITLE : T510_TOLERANCE_RATE_TITLE));
    t.bind("kv.vitalyx.pbtol");
    t.row(T510_TOLERANCE, s->life.pbtolval);
    t.row(v.binomial ? T510_TRIALS_NEEDED : T510_EXPOSURE_NEEDED, tolsize(s, v, word(v.pooled, PB_EST), nullptr));
    t.publish();
}

// The Group cell: the level's key, or the total row's text.
void groupcell(outputrow& row, const grpnode* g) {
    std::memset(row.grplabel, ' ', 40);
    if (g)
        std::memcpy(row.grplabel, g->key, sizeof g->key);
    else
        xpmstr(row.grplabel, 16, 510, T510_TOTAL_LEVEL);
}

void pbest(vyxstate* s, const pbview& v) {
    obobject* t = tabcreate(s->out.outmgr, "Pbest", rdxmsg(0, T0_ESTIMATES_BY_LEVEL));
    double* c = s->row.rowvals;
    tabtext(t, "Group", std::max<int>(static_cast<int>(s->groups.grpcolw), 6), s->row.grplabel);
    tabdouble(t, v.binomial ? "Events" : "Count", &c[0]);
    tabdouble(t, v.binomial ? "Trials" : "Exposure", &c[1]);
    tabdouble(t, v.binomial ? "Prop" : "Rate", &c[2]);
    tabspan(t, "Lower", &c[3], "Lower", "Upper");
    tabdouble(t, "Upper", &c[4]);
    tabdouble(t, "X2", &c[5]);
    tabtitles(t, {{"title1", rdxmsg(0, T0_ESTIMATES_BY_LEVEL)},
                  {"title2", rdxmsgs(510, T510_CONFIDENCE_LIMITS, txtarg(v.conf.text, v.conf.len))}});
    tabenddef(t);
    const uint32_t id = tabbind(s->out.outmgr, t, "kv.vitalyx.pbest");
    auto row = [&](const grpnode* g, double x, double n, const double* est, double chi) {
        groupcell(s->row, g);
        c[0] = x;
        c[1] = n;
        c[2] = est[PB_EST];
        c[3] = est[PB_LOWER];
        c[4] = est[PB_UPPER];
        c[5] = chi;
        tabrow(t);
    };
    for (const grpnode* g = s->groups.grplist.head; g; g = g->next) row(g, g->loc, g->scale, g->pbest, g->pbest[PB_CHISQ]);
    double total[PB_WORDS];
    pbestimate(pbcounts{v.binomial, s->life.wsums[WS_COUNT], s->life.wsums[WS_TRIALS]}, v.ap, total);
    row(nullptr, s->life.wsums[WS_COUNT], s->life.wsums[WS_TRIALS], total, s->life.pbaccum);
    tabendrows(t, false);
    tabpublish(s->out.outmgr, id);
}

void pbpredtol(vyxstate* s, const pbview& v) {
    obobject* t = tabcreate(s->out.outmgr, "Pbpredtol", rdxmsg(0, T0_PREDICTIONS_BY_LEVEL));
    double* c = s->row.rowvals;
    const bool pred = s->life.pbpredgiven;
    tabtext(t, "Group", std::max<int>(static_cast<int>(s->groups.grpcolw), 6), s->row.grplabel);
    if (pred) {
        tabdouble(t, "Pcount", &c[0]);
        tabspan(t, "Lower", &c[1], "Lower", "Upper");
        tabdouble(t, "Upper", &c[2]);
    }
    if (v.tol) tabdouble(t, v.binomial ? "Tsamp" : "Texpo", &c[3]);
    if (pred)
        tabtitles(t, {{"title1", rdxmsg(0, T0_PREDICTIONS_BY_LEVEL)},
                      {"title2", rdxmsgs(510, T510_PRED_LIMITS, txtarg(v.conf.text, v.conf.len))}});
    else
        tabtitles(t, {{"title1", rdxmsg(0, T0_PREDICTIONS_BY_LEVEL)}});
    tabenddef(t);
    const uint32_t id = tabbind(s->out.outmgr, t, "kv.vitalyx.pbpredtol");
    // The pooled row's note has come with the Pbtol table already.
    auto row = [&](const grpnode* g, const double* predblk, double est) {
        groupcell(s->row, g);
        c[0] = word(predblk, PB_EST);
        c[1] = word(predblk, PB_LOWER);
        c[2] = word(predblk, PB_UPPER);
        c[3] = !v.tol ? hostmissing() : g ? tolsize(s, v, est, g) : pbtolsize(v.binomial, est, s->life.pbtolval, s->opts.alpha);
        tabrow(t);
    };
    for (const grpnode* g = s->groups.grplist.head; g; g = g->next) row(g, g->pbpred, g->pbest[PB_EST]);
    row(nullptr, v.poolpred, word(v.pooled, PB_EST));
    tabendrows(t, false);
    tabpublish(s->out.outmgr, id);
}

}  // namespace

int vyxpbpr(vyxstate* s) {
    const pbview v = view(s);
    pbsum(s, v);
    if (s->life.pbpredgiven) pbpred(s, v);
    if (v.tol) pbtol(s, v);
    if (s->groups.nclass == 1 && !s->popt.pflags.pbonly) {
        pbest(s, v);
        if (s->life.pbpredgiven || v.tol) pbpredtol(s, v);
    }
    return 0;
}
