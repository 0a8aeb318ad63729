// The MODEL fit seen from a group of a plot statement (FITTYPE=MODEL and REGRESSION): the
// group's class levels and stress values made the MODEL's current observation, and the
// location and scale the fit gives it.
#include <cmath>
#include <cstring>

#include "proc/effects/effects.h"
#include "proc/framework/textpad.h"
#include "proc/regression/fitcommon.h"
#include "proc/regression/regression.h"

using namespace mfit;

namespace {

// The level of a MODEL CLASS variable whose formatted text is the group's text, or -1.
int findlevel(const levclass& c, const char* text, int len) {
    const int n = wzstrip(text, len);
    int a = 0;
    while (a < n && text[a] == ' ') ++a;
    for (int k = 0; k < c.nlev; ++k) {
        const char* t = c.levels[k];
        int b = 0, e = wzstrip(t, c.fmtlen);
        while (b < e && t[b] == ' ') ++b;
        if (e - b == n - a && std::memcmp(t + b, text + a, static_cast<size_t>(n - a)) == 0) return k;
    }
    return -1;
}

// The group's value of the statement's class variable k: its formatted text and number.
void groupvalue(const groupstate& groups, const grpnode* g, int k, const char** text, double* num) {
    if (groups.nclass == 1) {
        *text = g->key;
        *num = g->numkey;
        return;
    }
    const int at = k == 0 ? groups.grprowix : groups.grpcolix;
    *text = groups.levkeys[k] ? groups.levkeys[k] + 16 * at : g->key;
    *num = groups.levvals[k] ? groups.levvals[k][at] : g->numkey;
}

// One control block's current observation: CLASS levels and continuous values for the group.
bool setblock(const vyxstate* s, const grpnode* g, levctl* ctl) {
    levstate* ls = ctl->lstate;
    if (!ls || (ls->nclassv > 0 && !ctl->levidx) || (ls->ncontv > 0 && !ctl->contval)) return false;
    for (int i = 0; i < ls->nclassv; ++i) {
        ctl->levidx[i] = 0;
        const levclass& c = ls->classv[i];
        for (int k = 0; k < s->groups.nclass && k < 2; ++k) {
            if (!c.varinfo || c.varinfo->varnum != s->groups.clsvars[k]) continue;
            const char* text;
            double num;
            groupvalue(s->groups, g, k, &text, &num);
            const int idx = findlevel(c, text, 16);
            if (idx < 0) return false;
            ctl->levidx[i] = idx;
        }
    }
    for (int j = 0; j < ls->ncontv; ++j) {
        const levclass& c = ls->contv[j];
        // The stress value: the variable's mean over the MODEL's rows, or the group's own
        // value when the variable is a class variable of the statement.
        double v = s->mdl.stressvals[SV_MEAN] ? s->mdl.stressvals[SV_MEAN][j] : 0.0;
        for (int k = 0; k < s->groups.nclass && k < 2; ++k) {
            if (!c.varinfo || c.varinfo->varnum != s->groups.clsvars[k]) continue;
            const char* text;
            groupvalue(s->groups, g, k, &text, &v);
        }
        ctl->contval[j] = v;
    }
    return true;
}

}  // namespace

// The linear predictor of a control block's effect cells; row (optional) receives the design
// values at their columns (offset by off).
double mdllinear(const vyxstate* s, const levstate* ls, int off, double* row) {
    double sum = 0.0;
    for (int k = 0; k < ls->neffect; ++k) {
        const leveffect& e = ls->effects[k];
        const effcell& c = ls->effcols[k];
        if (c.col < 0 || c.col >= e.ncol) continue;
        const int col = off + e.firstcol + c.col;
        if (s->mdl.parmmap[col] < 0) continue;
        const double x = e.ncont > 0 ? c.value : 1.0;
        sum += x * s->mdl.estdata[col];
        if (row) row[col] = x;
    }
    return sum;
}

bool mdlgroupfit(vyxstate* s, const grpnode* g, double* loc, double* scl, double* xloc, double* xscl) {
    if (!s->work.thrflags[TH_MODELRAN] || !s->mdl.mdllay || !s->mdl.estdata || !s->mdl.parmmap) return false;
    if (!setblock(s, g, s->mdl.mdllev)) return false;
    const bool logscl = s->mdl.haslogscl;
    if (logscl && !setblock(s, g, s->mdl.logslev)) return false;
    if (ismiss(transx(s))) return false;
    const mdlcounts n = mdlsizes(s);
    *loc = mdllinear(s, s->mdl.mdllev->lstate, 0, xloc);
    if (!logscl) {
        // The scale is the first distribution parameter after the MODEL's columns (a shape,
        // when the distribution has one, follows it).
        *scl = s->mdl.estdata[n.ncol];
        if (xscl) xscl[n.ncol] = 1.0;
        return true;
    }
    // A scale model: sigma = exp(psi), 1 when psi is beyond the range of exp; the scale's
    // design row is d sigma / d gamma = sigma u.
    const double psi = mdllinear(s, static_cast<const levstate*>(s->mdl.logscl), n.ncol, xscl);
    *scl = psi < EXP_OVER ? std::exp(psi) : 1.0;
    if (xscl)
        for (int j = n.ncol; j < n.ntot; ++j) xscl[j] = psi < EXP_OVER ? xscl[j] * *scl : 0.0;
    return true;
}
