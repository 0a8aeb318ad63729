// The input summary of a BY group: the model information list and the observation counts.
#include <cstring>

#include "proc/framework/hostsvc.h"
#include "proc/framework/textpad.h"
#include "proc/framework/vyxstate.h"
#include "proc/framework/wobmth.h"
#include "proc/lifedist/lifedist.h"
#include "proc/lifedist/obsrow.h"
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
    return s->rspkind == FORM_INTERVAL || s->distcode == DIST_BINOMIAL || (s->rspkind == FORM_CENSOR && !s->fmresp);
}

int stripped(const char* t, int n) { return wzstrip(t, n); }

}  // namespace

int printmod(vyxstate* s) {
    const bool second = secondvar(s) && s->rspvars[1];
    const vardesc* fmvar = s->fmodeset.nvars > 0 ? &s->fmodeset.desc : nullptr;
    bool labels = s->dslabel.len > 0 || haslabel(s->rspvars[0]);
    if (!labels && second)
        labels = haslabel(s->rspvars[1]) || (s->nfreq > 0 && haslabel(&s->procvars[0])) ||
                 (s->nnenter > 0 && haslabel(&s->procvars[1])) || haslabel(fmvar);

    const char* path = labels ? "kv.vitalyx.infolabel" : "kv.vitalyx.info";
    wobitem create[] = {obstr(OBK_FAMILY, "rdx", 3), obstr(OBK_OBJKIND, "factoid", 7), obout(OBK_CREATED),
                        obtext(OBK_TEMPLATE, text(path, static_cast<int>(std::strlen(path))))};
    obcheck(wobmth(s->outmgr, nullptr, OB_CREATE, 4, create));
    infolist l{static_cast<obobject*>(create[2].v.p), labels};
    wobitem head[] = {obtext(OBK_NAME, text("vyxinfo", 7)), obtext(OBK_TITLE, rdxmsg(0, s->nclass > 0 ? 235 : 215))};
    obcheck(obinfocall(l.obj, 2, head));

    l.entry(257, text(s->dsname.text, s->dsname.len));
    l.label(s->dslabel.text, s->dslabel.len);
    if (s->stmtlabel) l.entry(564, text(s->stmtlabel, 8));
    if (s->rspvars[0]) l.variable(s->distcode == DIST_POISSON ? 537 : s->distcode == DIST_BINOMIAL ? 535 : 218, *s->rspvars[0]);
    if (second) {
        const vardesc& d = *s->rspvars[1];
        l.entry(s->distcode == DIST_BINOMIAL ? 536 : s->rspkind == FORM_INTERVAL ? 218 : 219, text(d.name, d.namelen));
        if (labels && d.labellen > 0) {
            wobitem it[] = {obint(OBK_INFOKIND, 2), obtext(OBK_LABEL, text(d.label, d.labellen)), obtext(OBK_VALUE, text("", 0))};
            obcheck(wobmth(l.obj, nullptr, OB_INFO, 3, it));
        } else {
            l.label("", 0);
        }
    }
    if (s->nfreq > 0) l.variable(220, s->procvars[0]);
    if (s->nnenter > 0) l.variable(221, s->procvars[1]);
    if (fmvar) l.variable(259, *fmvar);

    if (s->distcode == DIST_LOGNORMAL || s->distcode == DIST_LOGNORMAL10) {
        l.entry(216, rdxmsg(510, s->distcode == DIST_LOGNORMAL ? 213 : 214));
    } else {
        l.entry(216, text(s->labels[LB_DIST], stripped(s->labels[LB_DIST], 20)));
    }
    if (s->thrflags[TH_GIVEN]) l.entry(284, obdbl(OBK_VALUE, s->fixedparms[FP_THRESHOLD]));
    // A method without a label (REGRESSION) has no entry rather than an empty one.
    const int mlen = stripped(s->labels[LB_FITMETHOD], 40);
    if (s->fitmethod != FIT_COUNTS && mlen > 0) l.entry(217, text(s->labels[LB_FITMETHOD], mlen));
    if (s->fitmethod == FIT_MLE || s->fitmethod == FIT_COUNTS || s->fitmethod == FIT_WEIBAYES) l.entry(288, rdxmsg(510, 212));
    // What a Weibayes scale and its percentiles are: lower bounds, not estimates.
    if (s->fitmethod == FIT_WEIBAYES) l.entry(288, rdxmsg(510, 2051));
    l.entry(227, obint(OBK_VALUE, s->nobscnt[1]));
    if (s->nobscnt[0] > 0) l.entry(229, obint(OBK_VALUE, s->nobscnt[0]));

    obcheck(wobmth(l.obj, nullptr, OB_ENDROWS, 0, nullptr));
    return obcheck(obrelease(l.obj));
}

int nobstbl(vyxstate* s, const char* name, bool stmtlabel) {
    // The label column is as wide as the longest row label shown.
    const bool freq = s->nfreq > 0;
    int width = 0;
    for (int n = 611; n <= (freq ? 614 : 612); ++n) {
        char buf[256];
        int len = xpmstr(buf, static_cast<int>(sizeof buf), 0, n);
        if (len > width) width = len;
    }
    nobscells& c = s->nobsrow;
    obobject* t = tabcreate(s->outmgr, name, rdxmsg(0, 615));
    s->curtab = t;
    tabhandle(t, "Label", &c.label, width);
    tabdouble(t, "N", &c.n);
    tabdouble(t, "NObsRead", &c.nread);
    tabdouble(t, "NObsUsed", &c.nused);
    tabdouble(t, "SumFreqsRead", &c.sumread);
    tabdouble(t, "SumFreqsUsed", &c.sumused);
    if (stmtlabel && s->tblflags[TF_STMTLABEL]) tabtext(t, "StmtLabel", 8, s->stmtlabcell);
    tabenddef(t);
    s->curtabid = tabbind(s->outmgr, t, "KV.Vitalyx.NObs");

    const double rows[4] = {c.nread, c.nused, c.sumread, c.sumused};
    for (int k = 0; k < (freq ? 4 : 2); ++k) {
        c.n = rows[k];
        c.label = rdxmsg(0, 611 + k);
        tabrow(t);
    }
    tabendrows(t, false);
    tabpublish(s->outmgr, s->curtabid);
    return 0;
}
