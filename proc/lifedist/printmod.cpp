// The input summary of a BY group: the model information list and the observation counts.
#include <cstring>

#include "proc/framework/hostsvc.h"
#include "proc/framework/msg0.h"
#include "proc/framework/msg510.h"
#include "proc/framework/textpad.h"
#include "proc/vyxstate.h"
#include "proc/framework/wobmth.h"
#include "proc/lifedist/lifedist_internal.h"
#include "proc/lifedist/tables.h"

namespace {

txthandle text(const char* s, int n) { return rdxtxt(s, n); }

struct infolist {
    obobject* obj;
    bool labels;    // the list has a label column

    void entry(int label, txthandle value) {
        wobitem it[] = {obtext(OBK_LABEL, rdxmsg(0, label)), obtext(OBK_VALUE, value)};
        obcheck(wobmth(obj, nullptr, OB_INFO, 2, it));
    }
    void entry(int label, wobitem value) {
        value.key = OBK_VALUE;
        wobitem it[] = {obtext(OBK_LABEL, rdxmsg(0, label)), value};
        obcheck(wobmth(obj, nullptr, OB_INFO, 2, it));
    }
    // The label of the thing named by the entry before, in the label column (one blank
    // when it has none).
    void label(const char* t, int n) {
        if (!labels) return;
        wobitem it[] = {obint(OBK_INFOKIND, 2), obtext(OBK_VALUE, n > 0 ? text(t, n) : text(" ", 1))};
        obcheck(wobmth(obj, nullptr, OB_INFO, 2, it));
    }
    void variable(int lab, const vardesc& d) {
        entry(lab, text(d.name, d.namelen));
        label(d.label, d.labellen);
    }
};

bool haslabel(const vardesc* d) { return d && d->labellen > 0; }

// A second response variable is shown for the lower/upper pair, BINOMIAL and a censoring
// variable that the statement names (not one implied by FMODE).
bool secondvar(const vyxstate* s) {
    return s->inwork.rspkind == FORM_INTERVAL || s->opts.distcode == DIST_BINOMIAL || (s->inwork.rspkind == FORM_CENSOR && !s->life.fmresp);
}

int stripped(const char* t, int n) { return wzstrip(t, n); }

}  // namespace

int printmod(vyxstate* s) {
    const bool second = secondvar(s) && s->input.rspvars[RV_SECOND];
    const vardesc* fmvar = s->groups.fmodeset.nvars > 0 ? &s->groups.fmodeset.desc : nullptr;
    bool labels = s->input.dslabel.len > 0 || haslabel(s->input.rspvars[RV_TIME]);
    if (!labels && second)
        labels = haslabel(s->input.rspvars[RV_SECOND]) || (s->input.nfreq > 0 && haslabel(&s->input.procvars[PV_FREQ])) ||
                 (s->input.nnenter > 0 && haslabel(&s->input.procvars[PV_NENTER])) || haslabel(fmvar);

    const char* path = labels ? "kv.vitalyx.infolabel" : "kv.vitalyx.info";
    wobitem create[] = {obstr(OBK_FAMILY, "rdx", 3), obstr(OBK_OBJKIND, "factoid", 7), obout(OBK_CREATED),
                        obtext(OBK_TEMPLATE, text(path, static_cast<int>(std::strlen(path))))};
    obcheck(wobmth(s->out.outmgr, nullptr, OB_CREATE, 4, create));
    infolist l{static_cast<obobject*>(create[2].v.p), labels};
    wobitem head[] = {obtext(OBK_NAME, text("vyxinfo", 7)),
                      obtext(OBK_TITLE, rdxmsg(0, s->groups.nclass > 0 ? T0_MODEL_INFO_CLASS : T0_MODEL_INFO))};
    obcheck(obinfocall(l.obj, 2, head));

    l.entry(T0_INPUT_DATA_SET, text(s->input.dsname.text, s->input.dsname.len));
    l.label(s->input.dslabel.text, s->input.dslabel.len);
    if (s->opts.stmtlabel) l.entry(T0_STATEMENT_LABEL, text(s->opts.stmtlabel, 8));
    if (s->input.rspvars[RV_TIME])
        l.variable(s->opts.distcode == DIST_POISSON    ? T0_COUNT_VARIABLE
                   : s->opts.distcode == DIST_BINOMIAL ? T0_EVENTS_VARIABLE
                                                       : T0_RESPONSE_VARIABLE,
                   *s->input.rspvars[RV_TIME]);
    if (second) {
        const vardesc& d = *s->input.rspvars[RV_SECOND];
        l.entry(s->opts.distcode == DIST_BINOMIAL         ? T0_TRIALS_VARIABLE
                : s->inwork.rspkind == FORM_INTERVAL ? T0_RESPONSE_VARIABLE
                                                    : T0_CENSORING_VARIABLE,
                text(d.name, d.namelen));
        if (labels && d.labellen > 0) {
            wobitem it[] = {obint(OBK_INFOKIND, 2), obtext(OBK_LABEL, text(d.label, d.labellen)), obtext(OBK_VALUE, text("", 0))};
            obcheck(wobmth(l.obj, nullptr, OB_INFO, 3, it));
        } else {
            l.label("", 0);
        }
    }
    if (s->input.nfreq > 0) l.variable(T0_FREQUENCY_VARIABLE, s->input.procvars[PV_FREQ]);
    if (s->input.nnenter > 0) l.variable(T0_ENTRY_COUNT_VARIABLE, s->input.procvars[PV_NENTER]);
    if (fmvar) l.variable(T0_FMODE_VARIABLE, *fmvar);

    if (s->opts.distcode == DIST_LOGNORMAL || s->opts.distcode == DIST_LOGNORMAL10) {
        l.entry(T0_DISTRIBUTION, rdxmsg(510, s->opts.distcode == DIST_LOGNORMAL ? T510_LOGNORMAL_E : T510_LOGNORMAL_10));
    } else {
        l.entry(T0_DISTRIBUTION, text(s->opts.labels[LB_DIST], stripped(s->opts.labels[LB_DIST], 20)));
    }
    if (s->work.thrflags[TH_GIVEN]) l.entry(T0_THRESHOLD, obdbl(OBK_VALUE, s->opts.fixedparms[FP_THRESHOLD]));
    // A method without a label (REGRESSION) has no entry rather than an empty one.
    const int mlen = stripped(s->opts.labels[LB_FITMETHOD], 40);
    if (s->work.fitmethod != FIT_COUNTS && mlen > 0) l.entry(T0_ESTIMATION_METHOD, text(s->opts.labels[LB_FITMETHOD], mlen));
    if (s->work.fitmethod == FIT_MLE || s->work.fitmethod == FIT_COUNTS || s->work.fitmethod == FIT_WEIBAYES)
        l.entry(T0_ESTIMATION_NOTE, rdxmsg(510, T510_ESTIMATES_FROM_DATA));
    // What a Weibayes scale and its percentiles are: lower bounds, not estimates.
    if (s->work.fitmethod == FIT_WEIBAYES) l.entry(T0_ESTIMATION_NOTE, rdxmsgs(510, T510_WEIBAYES_LOWER_BOUNDS, weibayespercent(s)));
    l.entry(T0_OBS_USED, obint(OBK_VALUE, s->inwork.nobscnt[NOB_USED]));
    if (s->inwork.nobscnt[NOB_SKIPPED] > 0) l.entry(T0_OBS_SKIPPED, obint(OBK_VALUE, s->inwork.nobscnt[NOB_SKIPPED]));

    obcheck(wobmth(l.obj, nullptr, OB_ENDROWS, 0, nullptr));
    return obcheck(obrelease(l.obj));
}

int nobstbl(vyxstate* s, const char* name, bool stmtlabel) {
    // The label column is as wide as the longest row label shown.
    const bool freq = s->input.nfreq > 0;
    int width = 0;
    // The row labels follow one another in the catalog, T0_OBS_READ to T0_FREQ_SUM_USED.
    for (int n = T0_OBS_READ; n <= (freq ? T0_FREQ_SUM_USED : T0_OBS_USED_COUNT); ++n) {
        char buf[256];
        int len = xpmstr(buf, static_cast<int>(sizeof buf), 0, n);
        if (len > width) width = len;
    }
    nobscells& c = s->row.nobsrow;
    obobject* t = tabcreate(s->out.outmgr, name, rdxmsg(0, T0_NUMBER_OF_OBS));
    s->out.curtab = t;
    tabhandle(t, "Label", &c.label, width);
    tabdouble(t, "N", &c.n);
    tabdouble(t, "NObsRead", &c.nread);
    tabdouble(t, "NObsUsed", &c.nused);
    tabdouble(t, "SumFreqsRead", &c.sumread);
    tabdouble(t, "SumFreqsUsed", &c.sumused);
    if (stmtlabel && s->work.tblflags[TF_STMTLABEL]) tabtext(t, "StmtLabel", 8, s->life.stmtlabcell);
    tabenddef(t);
    s->out.curtabid = tabbind(s->out.outmgr, t, "KV.Vitalyx.NObs");

    const double rows[4] = {c.nread, c.nused, c.sumread, c.sumused};
    for (int k = 0; k < (freq ? 4 : 2); ++k) {
        c.n = rows[k];
        c.label = rdxmsg(0, T0_OBS_READ + k);
        tabrow(t);
    }
    tabendrows(t, false);
    tabpublish(s->out.outmgr, s->out.curtabid);
    return 0;
}
