// MCF estimates, standard errors, limits and group differences through the whole command,
// against values computed directly from the textbook formulas with exact fractions
// (tests/data/mcf/make_reference.py): the valve-seat replacements of 41 engines (Nelson
// 1995; row for row R's survival::valveSeat; with the replacements as counts, with costs,
// and with unit frequencies), and the two
// treatment groups of the bladder-tumour recurrence study (R's survival::bladder2; the
// LAWLESS values also agree with survfit's robust variance, check_survfit.R).
#include <cmath>
#include <string>

#include "tests/support/reference.h"
#include "tests/unit/mcf/mcfrun.h"

namespace {

using mcftest::McfRun;
using mcftest::Table;

struct Case {
    const char* data;       // data set (tests/data/mcf)
    const char* response;   // MCFPLOT response
    const char* options;
    const char* ref;        // reference file
    const char* extra;      // further PROC-level statements
};

class Reference : public McfRun {
protected:
    // Runs one MCFPLOT and compares every estimate row with the reference rows in order.
    void compare(const Case& c, bool logl = false) {
        shipped(std::string(c.data) + ".csv");
        std::string unit = std::string(c.data).rfind("bladder", 0) == 0 ? "unit" : "engine";
        std::string prog = "proc vitalyx data=" + std::string(c.data) + "; unitid " + unit + "; " + c.extra +
                           " mcfplot " + c.response + " / nocenprint " + c.options + "; make 'MCFEst' out=est; run;";
        const auto& r = run(prog);
        ASSERT_EQ(r.status, 0) << r.log.all();
        Table got = made("est");
        RefTable want = readRef(std::string("mcf/") + c.ref);
        ASSERT_EQ(got.rows.size(), want.rows.size()) << c.ref;
        Worst mcf, se, lim;
        for (size_t i = 0; i < want.rows.size(); ++i) {
            const std::string at = std::string(c.ref) + " row " + std::to_string(i + 1);
            ASSERT_EQ(got.num(i, "Age"), want.at(i, "Age")) << at;
            mcf.add(relDiff(got.num(i, "Mcf"), want.at(i, "Mcf")), at);
            se.add(relDiff(got.num(i, "Std"), want.at(i, "Std"), 1e-300), at);
            const char* lo = logl ? "LogLower" : "Lower";
            const char* hi = logl ? "LogUpper" : "Upper";
            lim.add(relDiff(got.num(i, "Lower"), want.at(i, lo), 1e-3), at);
            lim.add(relDiff(got.num(i, "Upper"), want.at(i, hi), 1e-3), at);
        }
        EXPECT_WORST_BELOW(mcf, 1e-12);
        EXPECT_WORST_BELOW(se, 1e-10);
        EXPECT_WORST_BELOW(lim, 1e-10);
    }
};

TEST_F(Reference, ValveSeatStyleDataEachVarianceMethod) {
    for (const char* m : {"nelson", "indinc", "lawless", "poisson"}) {
        SCOPED_TRACE(m);
        std::string opt = std::string("variance=") + m;
        std::string ref = std::string("valve_") + m + "_ref.csv";
        compare({"valve", "days*n(-1)", opt.c_str(), ref.c_str(), ""});
    }
}

TEST_F(Reference, CostsAsValuesAndLogLimits) {
    for (const char* m : {"nelson", "indinc", "lawless", "poisson"}) {
        SCOPED_TRACE(m);
        std::string opt = std::string("variance=") + m + " logintervals";
        std::string ref = std::string("valve_cost_") + m + "_ref.csv";
        compare({"valve_cost", "days*cost(-1)", opt.c_str(), ref.c_str(), ""}, true);
    }
}

TEST_F(Reference, UnitFrequenciesWeighEachUnit) {
    // With FREQ the default variance becomes LAWLESS (with a warning); POISSON stays.
    compare({"valve_freq", "days*n(-1)", "", "valve_freq_lawless_ref.csv", "freq w;"});
    EXPECT_TRUE(last.log.has('W', "LAWLESS")) << last.log.all();
    compare({"valve_freq", "days*n(-1)", "variance=poisson", "valve_freq_poisson_ref.csv", "freq w;"});
}

TEST_F(Reference, BladderGroupsAndTheirDifference) {
    shipped("bladder.csv");
    for (const char* m : {"nelson", "lawless"}) {
        SCOPED_TRACE(m);
        std::string prog = std::string("proc vitalyx data=bladder; unitid unit; mcfplot age*n(-1) = rx / nocenprint variance=") +
                           m + "; mcfplot age*n(-1) = rx / mcfdiff variance=" + m +
                           "; make 'MCFEst' out=est; make 'MCFDest' out=diff; run;";
        const auto& r = run(prog);
        ASSERT_EQ(r.status, 0) << r.log.all();
        Table est = made("est");
        size_t row = 0;
        Worst w;
        for (const char* g : {"placebo", "thiotepa"}) {
            RefTable want = readRef(std::string("mcf/bladder_") + g + "_" + m + "_ref.csv");
            for (size_t i = 0; i < want.rows.size(); ++i, ++row) {
                ASSERT_LT(row, est.rows.size());
                ASSERT_EQ(est.text(row, "Group"), g);
                ASSERT_EQ(est.num(row, "Age"), want.at(i, "Age"));
                w.add(relDiff(est.num(row, "Mcf"), want.at(i, "Mcf")), std::string(g) + " mcf");
                w.add(relDiff(est.num(row, "Std"), want.at(i, "Std"), 1e-300), std::string(g) + " se");
            }
        }
        EXPECT_EQ(row, est.rows.size());
        Table diff = made("diff");
        RefTable want = readRef(std::string("mcf/bladder_diff_") + m + "_ref.csv");
        ASSERT_EQ(diff.rows.size(), want.rows.size());
        for (size_t i = 0; i < want.rows.size(); ++i) {
            ASSERT_EQ(diff.num(i, "Age"), want.at(i, "Age")) << i;
            w.add(relDiff(diff.num(i, "Mcfdiff"), want.at(i, "Mcfdiff"), 1e-12), "difference");
            w.add(relDiff(diff.num(i, "Std"), want.at(i, "Std")), "difference se");
            w.add(relDiff(diff.num(i, "Lower"), want.at(i, "Lower"), 1e-12), "difference lower");
        }
        EXPECT_WORST_BELOW(w, 1e-10);
    }
}

}  // namespace
