// FITTYPE=MODEL: a group of a plot statement takes the MODEL fit's location and scale at its
// stress value; with a scale model the scale is exp(psi), and 1 when psi is beyond exp's range.
#include "proc/effects/effects.h"
#include "proc/regression/regression.h"
#include "tests/unit/regression/fixture.h"

using namespace mdltest;

namespace {

TEST_F(ModelTest, GroupScaleFromTheScaleModel) {
    // MODEL: the intercept alone; LOGSCALE: an intercept and the stress x (variable 3).
    levvarinfo xinfo{};
    xinfo.varnum = 3;
    levclass cont[1] = {};
    cont[0].varinfo = &xinfo;
    leveffect meff[1] = {}, leff[2] = {};
    meff[0].ncol = 1;
    leff[0].ncol = 1;
    int32_t contix[1] = {0};
    leff[1].ncont = 1;
    leff[1].contix = contix;
    leff[1].firstcol = 1;
    leff[1].ncol = 1;
    effcell mcells[1] = {}, lcells[2] = {};
    levstate m{}, l{};
    m.ncontv = l.ncontv = 1;
    m.contv = l.contv = cont;
    m.neffect = 1;
    m.effects = meff;
    m.effcols = mcells;
    l.neffect = 2;
    l.effects = leff;
    l.effcols = lcells;
    double mval[1], lval[1];
    levctl mctl{}, lctl{};
    mctl.lstate = &m;
    mctl.contval = mval;
    lctl.lstate = &l;
    lctl.contval = lval;
    s->mdl.mdllev = &mctl;
    s->mdl.logslev = &lctl;
    s->mdl.logscl = &l;
    s->mdl.haslogscl = 1;
    s->work.thrflags[TH_MODELRAN] = 1;
    lay.ncol = 1;
    lay.nls = 2;
    s->mdl.mdllay = &lay;
    s->mdl.ndistp = 1;
    double est[3] = {4.0, 0.0, 1.0};   // location 4, ln sigma = x
    int32_t map[3] = {0, 1, 2};
    double mean[1] = {0.0};
    s->mdl.estdata = est;
    s->mdl.parmmap = map;
    s->mdl.stressvals[0] = mean;
    s->mdl.fit.npar.total = s->mdl.fit.npar.model = 3;
    s->groups.nclass = 1;
    s->groups.clsvars[0] = 3;
    grpnode g{};
    g.numkey = 2.0;
    double loc = 0, scl = 0;
    double xl[3] = {}, xs[3] = {};
    ASSERT_TRUE(mdlgroupfit(s, &g, &loc, &scl, xl, xs));
    EXPECT_EQ(loc, 4.0);
    EXPECT_DOUBLE_EQ(scl, std::exp(2.0));
    EXPECT_DOUBLE_EQ(xs[2], 2.0 * std::exp(2.0));   // d sigma / d gamma_x = sigma x
    g.numkey = 709.782712893384;
    ASSERT_TRUE(mdlgroupfit(s, &g, &loc, &scl, nullptr, nullptr));
    EXPECT_EQ(scl, 1.0);
    // Without a fit of the MODEL statement in the BY group there is nothing to take.
    s->work.thrflags[TH_MODELRAN] = 0;
    EXPECT_FALSE(mdlgroupfit(s, &g, &loc, &scl, nullptr, nullptr));
}

}  // namespace
