// The shared fit set-up (tests/support/fitfixture.h) with the state the option readers and
// the group input leave for a life-distribution fit, so that one group can be fitted and
// tabulated in-process: the group's rows are given by the test, the table objects are made
// with the columns and cells the table writers fill.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "proc/devgraph/devgraph.h"
#include "proc/lifedist/lifedist_internal.h"
#include "proc/vyxstate.h"
#include "proc/numeric/kernels.h"
#include "proc/numeric/normal.h"
#include "proc/numeric/stdquant.h"
#include "tests/support/fitfixture.h"

namespace fittest {

using testsupport::readfile;

// One observation: lower and upper ends on the time scale (equal for an exact failure, NaN
// for an open end), and its weight.
struct obs {
    double lo, hi, w = 1.0;
};

// A data set of tests/data/lifedist: "cycles" (exact), "hours,status" (status 1
// censored) or "lower,upper" (empty ends open).
inline std::vector<obs> dataset(const std::string& name) {
    std::ifstream f(std::string(VITALYX_TEST_DATA) + "/lifedist/" + name + ".csv");
    std::string line;
    std::getline(f, line);
    const std::string header = line;
    std::vector<obs> out;
    const double nan = std::nan("");
    while (std::getline(f, line)) {
        if (line.empty()) continue;
        const auto comma = line.find(',');
        if (comma == std::string::npos) {
            const double t = std::stod(line);
            out.push_back({t, t});
            continue;
        }
        const std::string a = line.substr(0, comma), b = line.substr(comma + 1);
        if (header == "hours,status") {
            const double t = std::stod(a);
            out.push_back({t, std::stod(b) == 1.0 ? nan : t});
        } else {
            out.push_back({a.empty() ? nan : std::stod(a), b.empty() ? nan : std::stod(b)});
        }
    }
    return out;
}

// Reference values written by tests/data/lifedist/survreg_reference.R.
class reference {
public:
    reference() {
        std::ifstream f(std::string(VITALYX_TEST_DATA) + "/lifedist/survreg_reference.csv");
        std::string line;
        std::getline(f, line);
        while (std::getline(f, line)) {
            std::stringstream ss(line);
            std::string d, dist, key, v;
            std::getline(ss, d, ',');
            std::getline(ss, dist, ',');
            std::getline(ss, key, ',');
            std::getline(ss, v, ',');
            values_[d + "/" + dist + "/" + key] = std::stod(v);
        }
    }
    bool has(const std::string& d, const std::string& dist, const std::string& key) const {
        return values_.count(d + "/" + dist + "/" + key) > 0;
    }
    double operator()(const std::string& d, const std::string& dist, const std::string& key) const {
        auto it = values_.find(d + "/" + dist + "/" + key);
        EXPECT_NE(it, values_.end()) << d << "/" << dist << "/" << key;
        return it == values_.end() ? std::nan("") : it->second;
    }

private:
    std::map<std::string, double> values_;
};

struct distinfo {
    const char* name;
    uint32_t code;
    kernfn value, slope;
    int scale;   // 0 time, 1 ln, 2 log10
};
inline distinfo distribution(const std::string& name) {
    if (name == "weibull") return {"Weibull", DIST_WEIBULL, zprblwb, zprbwwb, 1};
    if (name == "exponential") return {"Exponential", DIST_EXPONENTIAL, zprblwb, zprbwwb, 1};
    if (name == "extreme") return {"Extreme", DIST_EXTREME, zprblwb, zprbwwb, 0};
    if (name == "lognormal") return {"Lognormal", DIST_LOGNORMAL, zprblnm, zprbwnm, 1};
    if (name == "lognormal10") return {"Lognormal10", DIST_LOGNORMAL10, zprblnm, zprbwnm, 2};
    if (name == "normal") return {"Normal", DIST_NORMAL, zprblnm, zprbwnm, 0};
    if (name == "logistic") return {"Logistic", DIST_LOGISTIC, zprbllg, zprbwlg, 0};
    return {"Loglogistic", DIST_LOGLOGISTIC, zprbllg, zprbwlg, 1};
}

class FitTest : public testsupport::FitFixture {
protected:
    grpnode* g = nullptr;
    plotlay frame{};
    std::vector<double> pcts = {1, 10, 50, 90};
    std::vector<double> survtimes;
    std::vector<double> rowstore;
    std::vector<double> itrowstore = std::vector<double>(16);
    txthandle parmnames[3] = {};

    void SetUp() override {
        FitFixture::SetUp();
        if (HasFatalFailure()) return;
        s->pools.workpool = xmpoolc(8192, 8192, 4);
        s->life.fit.npar.total = 2;
        std::memcpy(s->life.parmfree, "11", 2);
        s->work.fitmethod = FIT_MLE;
        s->life.fit.itrow = itrowstore.data();
        s->plot.frame = &frame;
        s->poptw.pflags.pcttab = 1;
        s->groups.lastgrp = 1;
        s->life.fit.parmnames = parmnames;
        g = &s->groups.rootgrp;
    }
    void TearDown() override {
        if (g && g->ufile) xcclose(g->ufile, 1);
        if (g) g->ufile = nullptr;
        FitFixture::TearDown();
    }

    static void setlabel(char* cell, const char* text) {
        std::memset(cell, ' ', 40);
        std::memcpy(cell, text, std::strlen(text));
    }

    // The distribution of the statement: routines, labels, and the held scale of the
    // exponential.
    void usedist(const std::string& name) {
        const distinfo d = distribution(name);
        s->optsw.distcode = d.code;
        s->life.fit.prob_fn[0] = d.value;
        s->life.fit.prob_fn[1] = d.slope;
        s->optsw.quant_fn = d.code == DIST_NORMAL || d.code == DIST_LOGNORMAL || d.code == DIST_LOGNORMAL10 ? vyxinm
                      : d.code == DIST_LOGISTIC || d.code == DIST_LOGLOGISTIC                   ? vyxilg
                                                                                                : vyxiwb;
        setlabel(s->optsw.labels[LB_DIST], d.name);
        setlabel(s->optsw.labels[LB_PARM1], "Location");
        setlabel(s->optsw.labels[LB_PARM2], "Scale");
        parmnames[0] = rdxtxt("Location", -1);
        parmnames[1] = rdxtxt("Scale", -1);
        if (d.code == DIST_EXPONENTIAL) std::memcpy(s->life.parmfree, "1C", 2);
    }
    double toscale(double t) const {
        const int sc = distribution(distname).scale;
        return std::isnan(t) ? t : sc == 1 ? std::log(t) : sc == 2 ? std::log10(t) : t;
    }

    // The group's rows on the analysis scale, in the layout of the response form: times only
    // when every observation is exact, time and code with right censoring, else lower/upper.
    void userows(const std::vector<obs>& data, bool freq = false) {
        bool exact = true, right = true;
        for (const obs& o : data) {
            exact = exact && o.lo == o.hi;
            right = right && !std::isnan(o.lo) && (o.lo == o.hi || std::isnan(o.hi));
        }
        s->inwork.rspkind = exact ? FORM_TIME : right ? FORM_CENSOR : FORM_INTERVAL;
        s->inputw.nfreq = freq ? 1 : 0;
        const int width = (exact ? 1 : 2) + (freq ? 1 : 0);
        s->optsw.rowlay[0] = 100;
        s->optsw.rowlay[1] = static_cast<uint32_t>(width);
        rowstore.clear();
        g->wfail = 0.0;
        for (const obs& o : data) {
            rowstore.push_back(toscale(s->inwork.rspkind == FORM_INTERVAL || !std::isnan(o.lo) ? o.lo : o.hi));
            if (s->inwork.rspkind == FORM_CENSOR) rowstore.push_back(std::isnan(o.hi) ? -1.0 : 0.0);
            if (s->inwork.rspkind == FORM_INTERVAL) rowstore.push_back(toscale(o.hi));
            if (freq) rowstore.push_back(o.w);
            if (o.lo == o.hi) g->wfail += o.w;
        }
        g->nobs = static_cast<int32_t>(data.size());
        g->nrows = g->nobs;
        g->rowbuf = rowstore.data();
        g->ufile = nullptr;
    }
    // Moves the rows into a utility file in blocks of rowlay[0] rows, as the group input
    // does for a group of more than one buffer.
    void spillrows() {
        ASSERT_EQ(xcopen(&g->ufile, XC_SCRATCH), 0);
        const size_t per = s->opts.rowlay[0] * s->opts.rowlay[1];
        for (size_t i = 0; i < rowstore.size(); i += per) {
            std::vector<double> block(per, 0.0);
            std::copy(rowstore.begin() + static_cast<long>(i),
                      rowstore.begin() + static_cast<long>(std::min(rowstore.size(), i + per)), block.begin());
            ASSERT_EQ(xcwrite(g->ufile, block.data(), static_cast<int64_t>(per * sizeof(double))), 0);
        }
        bufstore.assign(per, 0.0);
        g->rowbuf = bufstore.data();
    }
    std::vector<double> bufstore;

    // Starting values as the least-squares step leaves them: the percentile at p in place
    // of the location.
    void start(double mu, double sigma, double p = 0.5) {
        g->prob = p;
        g->quant = s->opts.quant_fn(p);
        g->scale = sigma;
        g->loc = mu + g->quant * sigma;
    }
    // A crude start from the data: mean and standard deviation of the usable values.
    void crudestart(const std::vector<obs>& data) {
        double n = 0, m = 0, q = 0;
        for (const obs& o : data) {
            const double y = std::isnan(o.lo) ? toscale(o.hi) : std::isnan(o.hi) ? toscale(o.lo)
                                                                                 : 0.5 * (toscale(o.lo) + toscale(o.hi));
            n += 1;
            m += y;
            q += y * y;
        }
        m /= n;
        const double sd = std::sqrt(std::max(q / n - m * m, 1e-6));
        start(m, s->opts.distcode == DIST_EXPONENTIAL ? 1.0 : sd, 0.5);
    }

    void usepcts() {
        s->poptw.panels.npct = static_cast<int32_t>(pcts.size());
        s->poptw.panels.pctlist = pcts.data();
        frame.pfirst = frame.pfirst2 = 0;
        frame.plast = frame.plast2 = static_cast<int32_t>(pcts.size()) - 1;
    }
    void usesurvtimes(std::vector<double> t) {
        survtimes = std::move(t);
        s->poptw.panels.survtime = survtimes.data();
        s->work.axopt[4] = static_cast<int32_t>(survtimes.size());
    }

    // Table objects as the statement's table builder makes them (the columns the writers fill).
    obobject* table(int slot, const char* name, int label) {
        wobitem it[] = {obstr(OBK_FAMILY, "rdx", 3), obstr(OBK_OBJKIND, "data", 4), obout(OBK_CREATED),
                        obint(OBK_PLACE, -1), obtext(OBK_NAME, rdxtxt(name, -1)), obtext(OBK_LABEL, rdxmsg(0, label))};
        EXPECT_EQ(wobmth(s->out.outmgr, nullptr, OB_CREATE, 6, it), 0);
        s->out.tabs[slot].obj = static_cast<obobject*>(it[2].v.p);
        return s->out.tabs[slot].obj;
    }
    void numcol(obobject* t, const char* name, double* cell, const char* role = nullptr) {
        wobitem it[4] = {obint(OBK_KIND, COL_DOUBLE), obtext(OBK_NAME, rdxtxt(name, -1))};
        int n = 2;
        if (role) it[n++] = obtext(OBK_TEMPLATE, rdxtxt(role, -1));
        it[n++] = obcell(OBK_CELL, cell);
        EXPECT_EQ(wobmth(t, nullptr, OB_ADDCOL, n, it), 0);
    }
    void textcol(obobject* t, const char* name, int width, char* cell) {
        wobitem it[] = {obint(OBK_KIND, COL_TEXT), obtext(OBK_NAME, rdxtxt(name, -1)), obint(OBK_WIDTH, width),
                        obcell(OBK_CELL, cell)};
        EXPECT_EQ(wobmth(t, nullptr, OB_ADDCOL, 4, it), 0);
    }
    void enddef(obobject* t) { EXPECT_EQ(wobmth(t, nullptr, OB_ENDDEF, 0, nullptr), 0); }
    void maketables() {
        obobject* t = table(TAB_DATSUM, "Datsum", 225);
        textcol(t, "Description", 24, s->row.rowtext);
        numcol(t, "Value", &s->row.rowlead[0]);
        enddef(t);
        t = table(TAB_PARMEST, "ParmEst", 237);
        textcol(t, "Parameter", 10, s->row.rowtext);
        numcol(t, "Estimate", &s->row.rowvals[0]);
        numcol(t, "Stderr", &s->row.rowvals[3]);
        numcol(t, "Lower", &s->row.rowvals[9]);
        numcol(t, "Upper", &s->row.rowvals[8]);
        enddef(t);
        t = table(TAB_PARMOTHER, "ParmOther", 533);
        textcol(t, "Parameter", 20, s->row.rowtext);
        numcol(t, "Value", &s->row.rowvals[0]);
        enddef(t);
        t = table(TAB_LAGRANGE, "Lagrange", 296);
        textcol(t, "Parameter", 11, s->row.rowtext);
        numcol(t, "Chisq", &s->row.rowvals[0]);
        numcol(t, "Pval", &s->row.rowvals[3]);
        enddef(t);
        t = table(TAB_PCTEST, "PctEst", 251);
        numcol(t, "Pct", &s->row.rowlead[0]);
        numcol(t, "Estimate", &s->row.rowvals[0]);
        numcol(t, "Stderr", &s->row.rowvals[3]);
        numcol(t, "Lower", &s->row.rowvals[9]);
        numcol(t, "Upper", &s->row.rowvals[8]);
        enddef(t);
        t = table(TAB_SURVEST, "SurvEst", 550);
        numcol(t, "Life", &s->row.rowlead[0]);
        numcol(t, "CDF", &s->row.rowvals[0]);
        numcol(t, "Clower", &s->row.rowvals[9]);
        numcol(t, "Cupper", &s->row.rowvals[8]);
        numcol(t, "Vitlyx", &s->row.survcells[0]);
        numcol(t, "Rlower", &s->row.survcells[9]);
        numcol(t, "Rupper", &s->row.survcells[8]);
        enddef(t);
        for (int slot : {TAB_ITERPARMS, TAB_ITERLRPARM, TAB_ITERLRPER}) {
            t = table(slot, slot == TAB_ITERPARMS ? "IterParms" : slot == TAB_ITERLRPARM ? "IterLRparm" : "IterLRper",
                      slot == TAB_ITERPARMS ? 200 : 210);
            if (slot != TAB_ITERPARMS) textcol(t, "Parameter", 17, s->row.rowtext);
            numcol(t, "Iter", &s->life.fit.itrow[0]);
            if (slot == TAB_ITERPARMS) numcol(t, "Ridge", &s->life.fit.itrow[1]);
            numcol(t, "Loglike", &s->life.fit.itrow[2]);
            numcol(t, "Location", &s->life.fit.itrow[3], "Value");
            numcol(t, "Scale", &s->life.fit.itrow[4], "Value");
            enddef(t);
        }
        t = table(TAB_CONVSTATUS, "ConvergenceStatus", 700);
        wobitem reason[] = {obint(OBK_KIND, COL_HANDLE), obtext(OBK_NAME, rdxtxt("Reason", -1)), obcell(OBK_CELL, &s->row.convmsg)};
        EXPECT_EQ(wobmth(t, nullptr, OB_ADDCOL, 3, reason), 0);
        wobitem status[] = {obint(OBK_KIND, COL_INT), obtext(OBK_NAME, rdxtxt("Status", -1)), obcell(OBK_CELL, &s->life.fit.itstatus[1])};
        EXPECT_EQ(wobmth(t, nullptr, OB_ADDCOL, 3, status), 0);
        enddef(t);
    }

    // The whole fit of one group on a data set with a distribution.
    std::string distname;
    void prepare(const std::string& data, const std::string& dist) {
        distname = dist;
        usedist(dist);
        const auto rows = dataset(data);
        userows(rows);
        crudestart(rows);
        usepcts();
        maketables();
    }
};

}  // namespace fittest
