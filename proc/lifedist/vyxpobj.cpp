// The table objects of an ANALYZE, PROBPLOT or RELATIONPLOT statement: made once per
// statement before any group is fitted, their columns bound to the row cells of the state
// block. The writers bind a template per group, fill the cells and append rows.
#include <cstdio>
#include <cstring>

#include "proc/framework/conflevel.h"
#include "proc/framework/memnum.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg0.h"
#include "proc/framework/msg510.h"
#include "proc/framework/pools.h"
#include "proc/framework/textpad.h"
#include "proc/vyxstate.h"
#include "proc/framework/wobmth.h"
#include "proc/lifedist/fitshared.h"
#include "proc/lifedist/lifedist_internal.h"
#include "proc/lifedist/tables.h"

namespace {

struct maker {
    vyxstate* s;
    int groupwidth;   // 0: no Group column
    bool limits;      // MLE or MODEL: standard errors and confidence limits

    obobject* create(int slot, const char* name, int label) {
        obobject* t = tabcreate(s->out.outmgr, name, rdxmsg(0, label));
        s->out.tabs[slot].obj = t;
        s->out.tabs[slot].tabid = 0;
        return t;
    }
    void group(obobject* t) {
        if (groupwidth > 0) tabtext(t, "Group", groupwidth, s->row.grplabel);
    }
    void label(obobject* t) {
        if (s->work.tblflags[TF_STMTLABEL]) tabtext(t, "Label", 8, s->life.stmtlabcell);
    }
    void mode(obobject* t) {
        if (s->popt.pflags.fmcombine) tabtext(t, "Mode", s->groups.fmodeset.maxlen > 0 ? s->groups.fmodeset.maxlen : 1, s->life.fmlabel);
    }
    void estimates(obobject* t) {
        tabdouble(t, "Estimate", &s->row.rowvals[0]);
        if (!limits) return;
        tabdouble(t, "Stderr", &s->row.rowvals[3]);
        tabspan(t, "Lower", &s->row.rowvals[9], "Lower", "Upper");
        tabdouble(t, "Upper", &s->row.rowvals[8]);
    }
    // A text of catalog 510 with the distribution name as its argument.
    txthandle withdist(int n) {
        const char* d = s->opts.labels[LB_DIST];
        return rdxmsgs(510, n, txtarg(d, wzstrip(d, 40)));
    }
    txthandle confidence(int n) {
        const vx::conftext c = vx::conflevel(s->opts.alpha);
        return rdxmsgs(510, n, txtarg(c.text, c.len));
    }
    // The titles of an estimates table: what it estimates, and with limits their kind (lr:
    // likelihood ratio, else Wald) and level.
    void estimatetitle(obobject* t, int what, bool withlimits, bool lr) {
        if (withlimits)
            tabtitles(t, {{"title1", withdist(what)},
                          {"title2", rdxmsg(0, lr ? T0_LR_LIMITS : T0_NORMAL_LIMITS)},
                          {"title3", confidence(T510_CONFIDENCE_LIMITS)}});
        else
            tabtitles(t, {{"title1", withdist(what)}});
    }
    // The history tables: their class's first method marks them as histories.
    void history(obobject* t) {
        wobitem it[] = {obint(OBK_HIDDEN, 0), obint(OBK_LISTED, 1)};
        obcheck(obinfocall(t, 2, it));
    }
    void parmcolumns(obobject* t, const char* role) {
        for (int j = 0; j < s->life.fit.npar.total; ++j) {
            const char* lab = s->opts.labels[LB_PARM1 + (j < 2 ? j : 1)];
            char name[41] = {};
            std::memcpy(name, lab, static_cast<size_t>(wzstrip(lab, 16)));
            if (j >= 2) std::snprintf(name, sizeof name, "Parm%d", j + 1);
            tabdouble(t, name, &s->life.fit.itrow[IH_PARMS + j], role);
        }
    }
};

}  // namespace

void estimatetitles(vyxstate* s, int slot) {
    const int which = slot == TAB_PARMEST ? LR_PARMS : LR_PERCENTILES;
    obobject* t = s->out.tabs[slot].obj;
    if (!t || s->life.lrtitle[which] != LRT_PENDING) return;
    // The rows of the group bound first show likelihood-ratio limits only where they were
    // computed: not after a fit that did not converge (510/565) nor at a level whose drop the
    // log-likelihood's rounding hides (510/2224), where Wald limits stand in their place.
    const bool lr = s->life.lrshown[which] != 0;
    s->life.lrtitle[which] = lr ? LRT_LR : LRT_WALD;
    maker m{s, 0, true};
    m.estimatetitle(t, slot == TAB_PARMEST ? T510_PARM_ESTIMATES_FOR : T510_PCT_ESTIMATES_FOR, true, lr);
    tabenddef(t);
}

void vyxpobj(vyxstate* s) {
    // Slots a statement does not make must not hold the objects of an earlier statement.
    for (int k = TAB_DATSUM; k <= TAB_CONVSTATUS; ++k) s->out.tabs[k] = tabpair{};
    maker m{s, 0, s->work.fitmethod == FIT_MLE || fitx::bymodel(s)};
    // Where likelihood-ratio limits are asked for, the title that names the kind of the limits
    // waits for the first group's rows (the combined failure modes never ask for them).
    for (int k : {LR_PARMS, LR_PERCENTILES}) s->life.lrtitle[k] = m.limits && s->life.fit.lrflags[k] ? LRT_PENDING : LRT_WALD;
    const int w = static_cast<int>(s->groups.grpcolw);
    if (s->groups.nclass == 1) m.groupwidth = w > 10 ? w : 10;
    if (s->groups.nclass == 2) m.groupwidth = w + 1 > 10 ? w + 1 : 10;

    obobject* t = m.create(TAB_DATSUM, "Datsum", T0_FIT_SUMMARY);
    tabtext(t, "Description", 24, s->row.rowtext);
    tabdouble(t, "Value", &s->row.rowlead[0]);
    m.group(t);
    m.label(t);
    tabtitles(t, {{"title", rdxmsg(0, T0_FIT_SUMMARY)}});
    tabenddef(t);

    t = m.create(TAB_PARMEST, "ParmEst", T0_PARM_ESTIMATES);
    // At least 10 wide, and wide enough for the longest parameter label (the Weibull and
    // exponential forms: maxlablen), so that no row name is cut.
    tabtext(t, "Parameter", s->life.maxlablen > 10 ? s->life.maxlablen : 10, s->row.rowtext);
    m.estimates(t);
    m.mode(t);
    m.group(t);
    m.label(t);
    // The titles that name the kind and level of the limits only where the limits are shown
    // (least squares, Weibayes and given values have none), as for the survival table. Where
    // likelihood-ratio limits are asked for, the table is titled when first bound (estimatetitles).
    if (s->life.lrtitle[LR_PARMS] != LRT_PENDING) {
        if (s->popt.pflags.fmcombine && m.limits)
            tabtitles(t, {{"title0", rdxmsg(510, T510_ESTIMATES_BY_MODE)},
                          {"title1", m.withdist(T510_PARM_ESTIMATES_FOR)},
                          {"title2", rdxmsg(0, T0_NORMAL_LIMITS)},
                          {"title3", m.confidence(T510_CONFIDENCE_LIMITS)}});
        else if (s->popt.pflags.fmcombine)
            tabtitles(t, {{"title0", rdxmsg(510, T510_ESTIMATES_BY_MODE)}, {"title1", m.withdist(T510_PARM_ESTIMATES_FOR)}});
        else
            m.estimatetitle(t, T510_PARM_ESTIMATES_FOR, m.limits, false);
        tabenddef(t);
    }

    t = m.create(TAB_PARMOTHER, "ParmOther", T0_OTHER_QUANTITIES);
    tabtext(t, "Parameter", 20, s->row.rowtext);
    tabdouble(t, "Value", &s->row.rowvals[0]);
    m.group(t);
    m.label(t);
    tabtitles(t, {{"title1", m.withdist(T510_OTHER_VALUES_FOR)}});
    tabenddef(t);

    if (s->work.tblflags[TF_LAGRANGE]) {
        t = m.create(TAB_LAGRANGE, "Lagrange", T0_LAGRANGE_STATS);
        tabtext(t, "Parameter", 11, s->row.rowtext);
        tabdouble(t, "Chisq", &s->row.rowvals[0]);
        tabdouble(t, "Pval", &s->row.rowvals[3]);
        m.group(t);
        m.label(t);
        // Its label as its title, so that the statistics are not printed unnamed.
        tabtitles(t, {{"title", rdxmsg(0, T0_LAGRANGE_STATS)}});
        tabenddef(t);
    }

    if (s->popt.pflags.pcttab) {
        t = m.create(TAB_PCTEST, "PctEst", T0_PERCENTILE_ESTIMATES);
        tabdouble(t, "Pct", &s->row.rowlead[0]);
        m.estimates(t);
        m.group(t);
        m.label(t);
        if (s->life.lrtitle[LR_PERCENTILES] != LRT_PENDING) {   // else titled when first bound
            m.estimatetitle(t, T510_PCT_ESTIMATES_FOR, m.limits, false);
            tabenddef(t);
        }
    }

    if (s->work.axopt[AO_NSURV] > 0) {
        t = m.create(TAB_SURVEST, "SurvEst", T0_SURVIVAL_ESTIMATES);
        tabdouble(t, "Life", &s->row.rowlead[0]);
        tabdouble(t, "CDF", &s->row.rowvals[0]);
        if (m.limits) {
            tabdouble(t, "Clower", &s->row.rowvals[9]);
            tabdouble(t, "Cupper", &s->row.rowvals[8]);
        }
        tabdouble(t, "Vitlyx", &s->row.survcells[0]);
        if (m.limits) {
            tabdouble(t, "Rlower", &s->row.survcells[9]);
            tabdouble(t, "Rupper", &s->row.survcells[8]);
        }
        m.group(t);
        m.label(t);
        if (s->popt.pflags.fmcombine && m.limits)
            tabtitles(t, {{"title0", rdxmsg(510, T510_COMBINED_MODES)},
                          {"title1", m.withdist(T510_SURV_ESTIMATES_FOR)},
                          {"title2", m.confidence(T510_CONFIDENCE_LIMITS_SURV)}});
        else if (s->popt.pflags.fmcombine)
            tabtitles(t, {{"title0", rdxmsg(510, T510_COMBINED_MODES)}, {"title1", m.withdist(T510_SURV_ESTIMATES_FOR)}});
        else if (m.limits)
            tabtitles(t, {{"title1", m.withdist(T510_SURV_ESTIMATES_FOR)}, {"title2", m.confidence(T510_CONFIDENCE_LIMITS_SURV)}});
        else
            tabtitles(t, {{"title1", m.withdist(T510_SURV_ESTIMATES_FOR)}});
        tabenddef(t);
    }

    if (s->life.fit.itprflag.itprint && s->life.fit.itrow) {
        t = m.create(TAB_ITERPARMS, "IterParms", T0_ITER_HISTORY);
        tabdouble(t, "Iter", &s->life.fit.itrow[IH_ITER]);
        tabdouble(t, "Ridge", &s->life.fit.itrow[IH_RIDGE]);
        tabdouble(t, "Loglike", &s->life.fit.itrow[IH_LOGLIK]);
        m.parmcolumns(t, "Value");
        m.group(t);
        m.label(t);
        m.mode(t);
        tabtitles(t, {{"Title", rdxmsg(0, T0_ITER_HISTORY)}});
        m.history(t);
        tabenddef(t);
        for (int k = 0; k < 2; ++k) {
            if (!s->life.fit.lrflags[k]) continue;
            t = m.create(k == 0 ? TAB_ITERLRPARM : TAB_ITERLRPER, k == 0 ? "IterLRparm" : "IterLRper", T0_LR_LIMIT_ITERATIONS);
            tabtext(t, "Parameter", 17, s->row.rowtext);
            tabdouble(t, "Iter", &s->life.fit.itrow[IH_ITER]);
            tabdouble(t, "Loglike", &s->life.fit.itrow[IH_LOGLIK]);
            m.parmcolumns(t, "value");
            tabtitles(t, {{"Title", k == 0 ? rdxmsg(0, T0_ITER_HISTORY_LR) : rdxmsg(510, T510_ITER_HISTORY_LR_PCT)}});
            m.group(t);
            m.label(t);
            m.history(t);
            tabenddef(t);
        }
    }

    if (s->popt.pflags.ppout) {
        const bool ends = s->input.rspform[RF_INTERVAL] || s->input.rspform[RF_READOUT];
        t = m.create(TAB_PROBEST, "ProbabilityEstimates", T0_PROB_ESTIMATES);
        if (ends) {
            tabdouble(t, "Lifelower", &s->row.rowlead[1]);
            tabdouble(t, "Lifeupper", &s->row.rowlead[2]);
        } else {
            tabdouble(t, "Lifetime", &s->row.rowlead[2]);
        }
        tabdouble(t, "Prob", &s->row.rowvals[0]);
        if (s->inwork.rspkind == FORM_TIME || s->inwork.rspkind == FORM_CENSOR) {
            if (s->life.pposcode == 5) {
                tabdouble(t, "stderr", &s->row.rowvals[3]);
                tabdouble(t, "cumhaz", &s->row.rowvals[21]);
                tabdouble(t, "cumhazsd", &s->row.rowvals[22]);
            } else {
                tabdouble(t, "KM", &s->row.rowvals[2]);
                tabdouble(t, "SeKM", &s->row.rowvals[3]);
            }
        }
        tabspan(t, "Lower", &s->row.rowvals[9], "Lower", "Upper");
        tabdouble(t, "Upper", &s->row.rowvals[8]);
        if (ends) tabdouble(t, "Stderr", &s->row.rowvals[3]);
        m.group(t);
        m.label(t);
        tabtitles(t, {{"title1", rdxmsg(0, T0_PROB_ESTIMATES_TITLE)},
                      {"title2", rdxmsgs(510, T510_NONPARAM_ESTIMATES_FOR,
                                         txtarg(s->opts.labels[LB_DIST], wzstrip(s->opts.labels[LB_DIST], 40)))},
                      {"title3", m.confidence(T510_POINTWISE_LIMITS)}});
        tabenddef(t);
    }

    if (s->input.rspform[RF_INTERVAL] && s->life.emflags[EMF_ITPRINTEM]) {
        if (!s->life.emgrad) {
            s->life.emgrad = static_cast<double*>(poolbytes(s->pools.stmtpool, 5 * sizeof(double), poolflag::zeroed));
            if (!s->life.emgrad) {
                xmemmsg(5 * sizeof(double));
                xexit(RC_NOMEM, 0);
                return;
            }
        }
        t = m.create(TAB_TURNBULLGRAD, "TurnbullGrad", T0_TURNBULL_GRADIENT);
        tabspan(t, "Left", &s->life.emgrad[EG_LEFT], "Left", "Right");
        tabdouble(t, "Right", &s->life.emgrad[EG_RIGHT]);
        tabdouble(t, "Prob", &s->life.emgrad[EG_PROB]);
        tabdouble(t, "Grad", &s->life.emgrad[EG_GRAD]);
        tabdouble(t, "Mult", &s->life.emgrad[EG_MULT]);
        m.group(t);
        m.label(t);
        tabtitles(t, {{"title1", rdxmsg(0, T0_TURNBULL_PROBABILITIES)}, {"title2", rdxmsg(0, T0_TURNBULL_CONVERGENCE)}});
        tabenddef(t);
    }

    if (s->work.fitmethod == FIT_MLE) {
        t = m.create(TAB_CONVSTATUS, "ConvergenceStatus", T0_CONVERGENCE_STATUS);
        tabhandle(t, "Reason", &s->row.convmsg);
        tabint(t, "Status", &s->life.fit.itstatus[ITS_STATUS]);
        m.label(t);
        tabenddef(t);
    }
}
