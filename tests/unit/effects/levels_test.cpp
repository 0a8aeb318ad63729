// Levels, their order and the level combinations of a model, found by the data-time driver.
#include "tests/unit/effects/fixture.h"

namespace efftest {
namespace {

class Levels : public EffectsHost {
protected:
    void SetUp() override {
        EffectsHost::SetUp();
        writecsv("d",
                 "y,a,b,x\n"
                 "1,red,3,0.5\n"
                 "2,blue,1,1.5\n"
                 "3,red,2,2.5\n"
                 "4,green,1,\n"
                 "5,blue,10,4.5\n");
        parse("proc vitalyx data=d; class a b; model y = a b a*b x;");
    }
};

TEST_F(Levels, FormattedOrderOfANumberWithoutFormatGoesByValue) {
    Model& m = model('M');
    ASSERT_EQ(m.ls.nclassv, 2);
    // green only appears with a missing x: the observation is incomplete
    EXPECT_EQ(m.levels(0), (std::vector<std::string>{"blue", "red"}));
    EXPECT_EQ(m.levels(1), (std::vector<std::string>{"1", "2", "3", "10"}));
    EXPECT_EQ(m.cls(1).ordchg, 1);
    EXPECT_EQ(m.cls(0).ordchg, 0);
    ASSERT_EQ(m.ls.neffect, 5);
    EXPECT_STREQ(m.ls.effects[0].effname, "Intercept");
    EXPECT_STREQ(m.ls.effects[3].effname, "a*b");
    // a*b: (blue,1) (blue,10) (red,2) (red,3)
    EXPECT_EQ(m.combs(3), (std::vector<std::vector<int32_t>>{{0, 0}, {0, 3}, {1, 1}, {1, 2}}));
    EXPECT_EQ(m.ls.ncols, 1 + 2 + 4 + 4 + 1);
    EXPECT_DOUBLE_EQ(m.ls.contv[0].cloc, 2.5);
    EXPECT_DOUBLE_EQ(m.ls.contv[0].cscale, 2.0);
    std::vector<std::string> names;
    for (int q = 0; q < m.ls.ncols; ++q) names.push_back(m.ls.pnames[q]);
    EXPECT_EQ(names, (std::vector<std::string>{"Intercept", "ablue", "ared", "b1", "b2", "b3", "b10", "ablueb1",
                                               "ablueb10", "aredb2", "aredb3", "x"}));
    const auto f = rows(m);
    EXPECT_EQ(f, (std::vector<int32_t>{0, 0, 0, LEVF_UNUSABLE | LEVF_NOLEVEL | LEVF_CONTMISS | LEVF_EFFECT, 0}));
}

}  // namespace
}  // namespace efftest

namespace efftest {
namespace {

class LevelCases : public EffectsHost {};

// Frequencies of 0.5, missing and above the 32-bit range count 0 but make their levels;
// ORDER=FREQ with equal counts keeps what the Shell sort makes of the text order.
TEST_F(LevelCases, FrequenciesAndTheOrderOfEqualCounts) {
    writecsv("d", "y,a,f\n1,p,0.5\n2,q,.\n3,r,3000000000\n4,s,2\n");
    parse("proc vitalyx data=d; class a; model y = a;");
    Model& m = model('F', [&](Model& mm) { mm.ctl.hasfreq = varrec("f"); });
    EXPECT_EQ(m.levels(0), (std::vector<std::string>{"s", "p", "r", "q"}));
}

TEST_F(LevelCases, RawValuesBlanksAndLookups) {
    writecsv("d",
             "y,b,c,k\n"
             "1,2.0000000000001,x,k01\n2,2,,k02\n3,5,y,k03\n4,5,x,k04\n5,7,x,k05\n6,9,x,k06\n"
             "7,9,x,k07\n8,9,x,k08\n9,9,x,k09\n10,9,x,k10\n11,9,x,k11\n12,9,x,k12\n");
    parse("proc vitalyx data=d; class b c k; model y = b c k;");
    // two raw values print alike: one level with the smaller raw value; the blank c drops row 2
    Model& m = model('M');
    EXPECT_EQ(m.levels(0), (std::vector<std::string>{"2", "5", "7", "9"}));
    EXPECT_EQ(m.cls(0).levval[0].num, 2.0000000000001);
    EXPECT_EQ(m.levels(2).size(), 11u);
    // the blank value is a level of its own when missing values form levels
    Model& n = model('M', [](Model& mm) { mm.ls.classv[1].lvoptb = 1; });
    EXPECT_EQ(n.levels(1), (std::vector<std::string>{"", "x", "y"}));
    EXPECT_EQ(n.cls(0).levval[0].num, 2.0);
    // lookups: a short list by scan, a long one by bisection; a text that is no level gives -1
    for (int var : {1, 2})
        for (int k = 0; k < n.cls(var).nlev; ++k) {
            std::string t = n.level(var, k);
            t.resize(static_cast<size_t>(n.cls(var).fmtlen), ' ');
            EXPECT_EQ(zlevlwh(nullptr, &n.cls(var), t.data()), k) << t;
        }
    std::string none = "k99";
    none.resize(static_cast<size_t>(n.cls(2).fmtlen), ' ');
    EXPECT_EQ(zlevlwh(nullptr, &n.cls(2), none.data()), -1);
    std::string lead = "   5";   // left-justified before the lookup
    lead.resize(static_cast<size_t>(n.cls(0).fmtlen), ' ');
    EXPECT_EQ(zlevlwh(nullptr, &n.cls(0), lead.data()), 1);
}

TEST_F(LevelCases, OrdersReferencesAndOneLevel) {
    writecsv("d", "y,a,o\n1,q,z\n2,p,z\n3,r,z\n4,p,z\n");
    parse("proc vitalyx data=d; class a o; model y = a o;");
    Model& d = model('D', [](Model& m) { m.ls.classv[0].descflag = 1; });
    EXPECT_EQ(d.levels(0), (std::vector<std::string>{"r", "p", "q"}));
    // a reference index beyond the last level is the last level; one level: no coding matrix
    Model& r = model('M', [](Model& m) {
        m.ls.classv[0].reflev = 7;
        m.ls.classv[1].coding = CODE_OEFF;
    });
    EXPECT_EQ(r.cls(0).reflev, 2);
    EXPECT_EQ(r.cls(1).codemat, nullptr);
    zlevchk(&r.ctl);
    EXPECT_TRUE(log.has('W', "variable o has only one level")) << log.all();
    // a reference by value matches after left-justification and without trailing blanks
    Model& v = model('M', [](Model& m) {
        m.ls.classv[0].reflev = REF_VALUE;
        m.ls.classv[0].refval = "  q   ";
    });
    EXPECT_EQ(v.levels(0), (std::vector<std::string>{"p", "q", "r"}));
    EXPECT_EQ(v.cls(0).reflev, 1);
}

TEST_F(LevelCases, AReferenceValueThatIsNoLevel) {
    writecsv("d", "y,a\n1,q\n2,p\n");
    parse("proc vitalyx data=d; class a; model y = a;");
    Model& m = model('M', [](Model& mm) {
        mm.ls.classv[0].reflev = REF_VALUE;
        mm.ls.classv[0].refval = "z";
    }, 2);
    EXPECT_GE(m.ls.lsrc, 112);
    EXPECT_TRUE(log.has('E', "reference level given for the CLASS variable a")) << log.all();
}

// Every BY group starts from the statement's reference code, not from the index the group
// before resolved.
TEST_F(LevelCases, TheNextByGroupStartsFromTheStatementsReference) {
    writecsv("d", "g,y,a\n1,1,p\n1,2,q\n1,3,r\n2,4,p\n2,5,q\n");
    parse("proc vitalyx data=d; by g; class a; model y = a;");
    Model& m = model('M');
    EXPECT_EQ(m.cls(0).reflev, 2);
    ASSERT_NE(rt::ds::services()->xbynext(ds), 0);
    m.cls(0).nlev = 0;
    EXPECT_EQ(zlevrgi(&m.ctl), 0);
    EXPECT_EQ(m.cls(0).nlev, 2);
    EXPECT_EQ(m.cls(0).reflev, 1);
}

// Weights: the mean of several weight variables, missing when one is; a LOGSCALE-like second
// control block is levelized on its own.
TEST_F(LevelCases, SeveralWeightsAndASecondModel) {
    writecsv("d", "y,a,b,w1,w2\n1,p,1,2,4\n2,q,2,.,1\n");
    parse("proc vitalyx data=d; class a b; model y = a;");
    Model& m = model('M', [&](Model& mm) {
        auto* w = static_cast<levclass*>(poolbytes(host->inst.pool, 2 * sizeof(levclass), poolflag::zeroed_marked));
        w[0] = *varrec("w1");
        w[1] = *varrec("w2");
        mm.ctl.haswgt = w;
        mm.ctl.nwgt = 2;
    });
    Model& second = model('M');
    EXPECT_NE(second.d.glraw, m.d.glraw);
    double wt = 0;
    m.ctl.rdrewind(&m.ctl);
    ASSERT_TRUE(m.ctl.rdnext(&m.ctl));
    ASSERT_EQ(m.ctl.rdvals(&m.ctl, "w", &wt), 1);
    EXPECT_EQ(wt, 3.0);
    ASSERT_TRUE(m.ctl.rdnext(&m.ctl));
    ASSERT_EQ(m.ctl.rdvals(&m.ctl, "w", &wt), 1);
    EXPECT_TRUE(ismissing(wt));
    EXPECT_EQ(zlevrgd(&m.ctl, nullptr, &wt, nullptr), LEVF_WEIGHT);
}

// A failed read is reported and ends the model with 1008, where it used to pass as success
// with the values of the observation before; on the level workers too.
TEST_F(LevelCases, AnObservationThatCannotBeReadStopsTheModel) {
    writecsv("d", "y,a\n1,p\n2,q\n");
    parse("proc vitalyx data=d; class a; model y = a;");
    static int calls;
    for (bool threads : {false, true}) {
        calls = 0;
        session.exitcode = 0;
        log.lines.clear();
        session.opts.threads = threads;
        session.opts.cpucount = 2;
        Model& m = model('M', [](Model& mm) {
            mm.ctl.thrflag = 1;
            // a reader that claims one observation more than the group holds
            mm.ctl.rdnext = [](levctl* c) {
                if (GetNext(c)) return 1;
                return calls++ == 0 ? 1 : 0;
            };
        }, RC_INPUT);
        EXPECT_TRUE(zlevreadfailed(&m.ctl));
        EXPECT_EQ(session.exitcode, RC_INPUT);
        EXPECT_EQ(log.count('E'), 1) << log.all();
        EXPECT_TRUE(log.has('E', "could not be read")) << log.all();
    }
}

TEST_F(LevelCases, AFormattedLengthShorterThanTheValuesWarnsOnce) {
    writecsv("d", "y,a\n1,abcdef\n2,abcxyz\n3,q\n");
    parse("proc vitalyx data=d; class a; model y = a;");
    Model& m = model('M', [](Model& mm) { mm.ls.classv[0].fmtlen = 3; });
    EXPECT_EQ(m.levels(0), (std::vector<std::string>{"abc", "q"}));
    EXPECT_EQ(log.count('W'), 1) << log.all();
}

// A level text cut at 16 bytes ends on a whole character only when the value is UTF-8: "...Aé1"
// and "...Aè2" are the level "Ligne-de-prod-A", while Latin-1 "...A\xE9" and "...A\xE8" keep their
// 16 bytes and stay two levels, as does "...B" followed by "é" and a byte that is no UTF-8; on
// the workers as in this thread, and in the design rows.
TEST_F(LevelCases, ALevelTextIsCutBackToAWholeCharacterOnlyInUtf8) {
    writecsv("d", "y,a\n1,Ligne-de-prod-A\xC3\xA9" "1\n2,Ligne-de-prod-A\xC3\xA8" "2\n3,Ligne-de-prod-A\xE9" "1\n"
                  "4,Ligne-de-prod-A\xE8" "2\n5,Ligne-de-prod-B\xC3\xA9\xFF\n");
    parse("proc vitalyx data=d; class a; model y = a;");
    const std::vector<std::string> want = {"Ligne-de-prod-A", "Ligne-de-prod-A\xE8", "Ligne-de-prod-A\xE9", "Ligne-de-prod-B\xC3"};
    for (bool threads : {false, true}) {
        session.opts.threads = threads;
        session.opts.cpucount = 2;
        Model& m = model('M', [](Model& mm) {
            mm.ctl.thrflag = 1;
            mm.ls.truncln = 16;
            mm.ls.classv[0].fmtlen = 16;
        });
        EXPECT_EQ(m.ctl.thrflag, threads ? 1 : 0);
        EXPECT_EQ(m.levels(0), want) << "threads " << threads;
        // the design rows find each observation's level: the first two share one
        std::vector<int> levelof;
        for (const auto& row : design(m))
            levelof.push_back(static_cast<int>(std::find(row.begin() + 1, row.end(), 1.0) - row.begin()) - 1);
        EXPECT_EQ(levelof, (std::vector<int>{0, 0, 2, 1, 3})) << "threads " << threads;
    }
}

}  // namespace
}  // namespace efftest
