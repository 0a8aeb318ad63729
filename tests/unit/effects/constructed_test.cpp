// Constructed effects of EFFECT statements: spline knots and bases (against R's
// splineDesign and the direct formula), polynomial terms (against R's poly), multi-member
// sets, their expansion into pieces and the standardisation by moments.
#include <cmath>
#include "proc/effects/efinfo.h"
#include "proc/effects/splines.h"
#include "tests/support/reference.h"
#include "tests/unit/effects/fixture.h"

namespace efftest {
namespace {

constexpr int32_t CONSTRUCTED = -10000000;

class Constructed : public EffectsHost {
protected:
    // y = the first constructed effect alone.
    void alone() {
        effs.assign(1, parsedeff{});
        effs[0].ncls = 1;
        effs[0].cls = &first;
        effs[0].name = "s";
        effs[0].namelen = 1;
        modeleffects(effs);
    }
    std::vector<parsedeff> effs;
    int32_t first = CONSTRUCTED;
};

TEST_F(Constructed, BSplineColumnsMatchSplineDesignOnTheKnotVector) {
    const RefTable r = readRef("effects/bspline.csv");
    std::string csv = "y,x\n";
    for (size_t i = 0; i < r.rows.size(); ++i) csv += "1," + std::to_string(r.rows[i][0]) + "\n";
    writecsv("d", csv);
    parse("proc vitalyx data=d; model y = x;");
    effectstmt("s", EF_SPLINE, {"x"});
    alone();
    Model& m = model('M');
    ASSERT_EQ(m.ls.ncols, 1 + 7);
    const splinedesc* s = m.ls.efstmt[0].spline;
    ASSERT_EQ(s->knotcounts[0], 9);
    EXPECT_EQ(std::vector<double>(s->knots[0], s->knots[0] + 9),
              (std::vector<double>{-4, -2, -100 * std::ldexp(1.0, -53), 2, 4, 6, 8 + 100 * std::ldexp(1.0, -53), 10, 12}));
    const auto rows = design(m);
    for (size_t i = 0; i < rows.size(); ++i)
        for (int c = 0; c < 7; ++c) EXPECT_NEAR(rows[i][static_cast<size_t>(1 + c)], r.rows[i][static_cast<size_t>(1 + c)], 1e-13) << i << "," << c;
}

TEST_F(Constructed, TruncatedPowerColumnsAndRepeatedKnots) {
    writecsv("d", "y,x\n1,0\n2,5\n3,8\n4,1\n");
    parse("proc vitalyx data=d; model y = x;");
    stmtrec* st = effectstmt("s", EF_SPLINE, {"x"});
    setnum(st, EFS_BASIS, 2);
    alone();
    Model& m = model('M');
    // method 1, n = 3 on data from 0 to 8: knots 2, 4, 6; columns x, x^2, x^3, then (x - t)^3
    EXPECT_EQ(std::vector<double>(m.ls.efstmt[0].spline->knots[0], m.ls.efstmt[0].spline->knots[0] + 3),
              (std::vector<double>{2, 4, 6}));
    auto rows = design(m);
    EXPECT_EQ(rows[1], (std::vector<double>{1, 5, 25, 125, 27, 1, 0}));
    EXPECT_EQ(rows[0], (std::vector<double>{1, 0, 0, 0, 0, 0, 0}));   // below every knot
    // a knot listed twice: (x - t)^3, then (x - t)^2; a constant column with power terms 2
    setnum(st, EFS_KNOTMETHOD, 3);
    setnums(st, EFS_KNOTS, {3, 3});
    setnum(st, EFS_POWERTERMS, 2);
    Model& n = model('M');
    rows = design(n);
    EXPECT_EQ(rows[1], (std::vector<double>{1, 1, 5, 25, 125, 8, 4}));
    // a listed knot outside the data: 174/63 and the model is refused
    setnums(st, EFS_KNOTS, {3, 9});
    model('M', [](Model&) {}, 3);
    EXPECT_TRUE(log.has('E', "spline of x")) << log.all();
}

TEST_F(Constructed, PercentileKnotsWithAndWithoutFrequencies) {
    writecsv("d", "y,x,f\n1,4,1\n2,2,0.5\n3,1,2.7\n4,3,1\n");
    parse("proc vitalyx data=d; model y = x;");
    stmtrec* st = effectstmt("s", EF_SPLINE, {"x"});
    setnum(st, EFS_BASIS, 2);
    setnum(st, EFS_KNOTMETHOD, 5);
    setnum(st, EFS_NKNOTS, 1);
    alone();
    // the values 1, 2, 3, 4: N p = 2 is whole, the knot is (2 + 3) / 2
    EXPECT_EQ(model('M').ls.efstmt[0].spline->knots[0][0], 2.5);
    // frequency 2.7 counts 2, 0.5 leaves its row out: 1, 1, 3, 4, and the knot is 1
    Model& f = model('M', [&](Model& m) { m.ctl.hasfreq = varrec("f"); });
    EXPECT_EQ(f.ls.efstmt[0].spline->knots[0][0], 1.0);
}

TEST_F(Constructed, KnotListsAndBinomialCoefficients) {
    splinedesc s{};
    double k[] = {2, 3, 2, 2, 1, 2, 2};
    s.listed = k;
    s.nlisted = 7;
    s.degree = 3;
    zlevQSort(k, 7);
    EXPECT_EQ(std::vector<double>(k, k + 7), (std::vector<double>{1, 2, 2, 2, 2, 2, 3}));
    EXPECT_EQ(zlevRepeatedKnotCheck(&s), 1);
    EXPECT_EQ(std::vector<double>(k, k + s.nlisted), (std::vector<double>{1, 2, 2, 2, 2, 3}));
    EXPECT_TRUE(log.has('W', "dropped"));
    EXPECT_EQ(zlevBinCoef(40, 20), 2147483647);
    EXPECT_EQ(zlevBinCoef(10, 3), 120);
    EXPECT_EQ(zlevBinCoef(30, 15), 155117520);
}

TEST_F(Constructed, PolynomialTermsMatchRawPoly) {
    const RefTable r = readRef("effects/poly.csv");
    std::string csv = "y,x1,x2\n";
    for (const auto& row : r.rows) csv += "1," + std::to_string(row[0]) + "," + std::to_string(row[1]) + "\n";
    writecsv("d", csv);
    parse("proc vitalyx data=d; model y = x1;");
    stmtrec* st = effectstmt("p", EF_POLY, {"x1", "x2"});
    setnum(st, EFS_DEGREE, 3);
    setstmtflag(st, EFF_COLLECTION);
    alone();
    Model& m = model('M');
    ASSERT_EQ(m.ls.ncols, 1 + 9);
    std::vector<std::string> labels(m.ls.efstmt[0].collabels, m.ls.efstmt[0].collabels + 9);
    EXPECT_EQ(labels, (std::vector<std::string>{"p_x1", "p_x2", "p_x1^2", "p_x1*x2", "p_x2^2", "p_x1^3", "p_x1^2*x2",
                                                "p_x1*x2^2", "p_x2^3"}));
    const char* cols[] = {"p1_0", "p0_1", "p2_0", "p1_1", "p0_2", "p3_0", "p2_1", "p1_2", "p0_3"};
    const auto rows = design(m);
    for (size_t i = 0; i < rows.size(); ++i)
        for (int c = 0; c < 9; ++c) EXPECT_NEAR(rows[i][static_cast<size_t>(1 + c)], r.at(i, cols[c]), 1e-12) << i << "," << c;
}

// Two constructed effects of 2 and 3 pieces named in one effect: 6 records, the last
// reference varying fastest.
TEST_F(Constructed, PiecesOfAnExpandedEffect) {
    writecsv("d", "y,x,z\n1,1,2\n2,3,5\n");
    parse("proc vitalyx data=d; model y = x;");
    setnum(effectstmt("q", EF_POLY, {"z"}), EFS_DEGREE, 3);
    setnum(effectstmt("p", EF_POLY, {"x"}), EFS_DEGREE, 2);   // made second, listed first
    static int32_t refs[2] = {CONSTRUCTED, CONSTRUCTED - 1};
    effs.assign(1, parsedeff{});
    effs[0].ncls = 2;
    effs[0].cls = refs;
    modeleffects(effs);
    Model& m = model('M');
    ASSERT_EQ(m.ls.neffect, 7);
    std::vector<std::string> names;
    for (int k = 1; k < 7; ++k) names.push_back(m.ls.effects[k].effname);
    EXPECT_EQ(names, (std::vector<std::string>{"x*z", "x*z^2", "x*z^3", "x^2*z", "x^2*z^2", "x^2*z^3"}));
    const auto rows = design(m);
    EXPECT_EQ(rows[1], (std::vector<double>{1, 15, 75, 375, 45, 225, 1125}));
}

TEST_F(Constructed, MultiMemberSets) {
    writecsv("d", "y,a,b,u,v\n1,x,y,0.25,0.75\n2,y,z,1,1\n");
    parse("proc vitalyx data=d; class a b; model y = a;");
    stmtrec* st = effectstmt("m", EF_MULTI, {"a", "b"});
    alone();
    Model& m = model('M');
    const efrec& r = m.ls.efstmt[0];
    ASSERT_EQ(r.ncols, 3);
    EXPECT_EQ(std::vector<std::string>(r.collabels, r.collabels + 3), (std::vector<std::string>{"x", "y", "z"}));
    EXPECT_EQ(r.levmap[0][1], 1);   // a's y and b's y share column 1
    EXPECT_EQ(r.levmap[1][0], 1);
    EXPECT_EQ(design(m)[0], (std::vector<double>{1, 1, 1, 0}));
    // weights, divided by their total: a sum of 1e-13 gives zeros, a sum of 0 keeps the values
    static int32_t w[2];
    w[0] = rt::ds::findvar(ds, "u");
    w[1] = rt::ds::findvar(ds, "v");
    st->slots[EFS_WEIGHTS] = optslot{1, SK_VARLIST, 0, 2, {}, w};
    setstmtflag(st, EFF_DIVIDE);
    Model& d = model('M');
    EXPECT_EQ(design(d)[0], (std::vector<double>{1, 0.25, 0.75, 0}));
    d.ctl.contval[d.ls.efstmt[0].contix[0]] = 0.5e-13;
    d.ctl.contval[d.ls.efstmt[0].contix[1]] = 0.5e-13;
    zlevGetEftVarCols(&d.ctl, &d.ls.efstmt[0]);
    EXPECT_EQ(std::vector<double>(d.ls.efstmt[0].values, d.ls.efstmt[0].values + 3), (std::vector<double>{0, 0, 0}));
    d.ctl.contval[d.ls.efstmt[0].contix[1]] = -0.5e-13;
    zlevGetEftVarCols(&d.ctl, &d.ls.efstmt[0]);
    EXPECT_EQ(std::vector<double>(d.ls.efstmt[0].values, d.ls.efstmt[0].values + 3), (std::vector<double>{0, 0.5e-13, -0.5e-13}));
}

TEST_F(Constructed, PolynomialStandardisation) {
    polydesc p{};
    int32_t bounds[] = {0, 1, 2}, start[] = {0, 1}, vars[] = {0};
    double centre = 10, scale = 5, work[1], x[1] = {20}, out[2];
    p.degree = 2;
    p.degbounds = bounds;
    p.startidx = start;
    p.stdmode = 3;
    p.centres = &centre;
    p.scales = &scale;
    p.work = work;
    GetPolyVals(&p, 1, vars, x, out);
    EXPECT_EQ(std::vector<double>(out, out + 2), (std::vector<double>{2, 4}));
    x[0] = hostmissing();
    GetPolyVals(&p, 1, vars, x, out);
    EXPECT_TRUE(std::isnan(out[0]) && std::isnan(out[1]));
    // standardised by moments: one usable observation cannot give a scale (174/71)
    writecsv("d", "y,x,f\n1,3,1\n2,5,0.5\n");
    parse("proc vitalyx data=d; model y = x;");
    setstmtflag(effectstmt("p", EF_POLY, {"x"}), EFF_STANDARDIZE);
    alone();
    model('M', [&](Model& m) { m.ctl.hasfreq = varrec("f"); }, 1);
    EXPECT_TRUE(log.has('E', "cannot be scaled")) << log.all();
}

}  // namespace
}  // namespace efftest
