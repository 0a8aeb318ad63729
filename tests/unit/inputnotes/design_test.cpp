// MODEL design columns the data cannot separate, and the variables _NUMERIC_ must not take: a
// column dropped as a linear combination of earlier ones (x2 = 2x, an interaction column lost
// to an empty cell) prints as 0 with standard error 0 like a reference level, so a note names
// it (510/2005); reference levels, dropped by construction, are not named.
#include "tests/support/catalogmsg.h"
#include "tests/unit/regression/programs.h"

using namespace mdlprog;
using testsupport::countmsg;

namespace {

class Design : public ProgramTest {
protected:
    // 36 units over a 3 x 3 grid of a and b with x and x2 = 2x; the cells listed in `empty`
    // hold no unit.
    void data(const std::vector<std::string>& empty) {
        std::string csv = "t,c,x,x2,a,b\n";
        int k = 0;
        for (const char* a : {"p", "q", "r"})
            for (const char* b : {"u", "v", "w"}) {
                if (std::find(empty.begin(), empty.end(), std::string(a) + b) != empty.end()) continue;
                for (int i = 0; i < 4; ++i, ++k) {
                    const double x = 1 + (k * 7 % 11) / 4.0;
                    const double t = 20 + 3 * x + (k * 5 % 13) + (a[0] - 'p') * 4 + (b[0] - 'u') * 2;
                    csv += std::to_string(t) + "," + (k % 5 == 0 ? "1" : "0") + "," + std::to_string(x) + "," +
                           std::to_string(2 * x) + "," + a + "," + b + "\n";
                }
            }
        writecsv("grid", csv);
    }
};

TEST_F(Design, ColumnsDroppedOtherThanReferenceLevelsAreNamed) {
    const std::string text = "proc vitalyx data=grid;\n class a b;\n distribution weibull;\n make 'Modprmest' out=est;\n"
                             " model t*c(1) = x x2 a b a*b;\nrun;\n";
    data({});
    run r = program(text, true);
    EXPECT_EQ(r.result.status, 0) << r.result.log.all();
    // Only x2: a r, b w and the interaction columns of r or w are reference levels.
    EXPECT_EQ(countmsg(r.result.log, 510, 2005), 1) << r.result.log.all();
    EXPECT_TRUE(r.result.log.has('N', "MODEL: the design column x2 (parameter 3) is a linear combination")) << r.result.log.all();
    const table est = r.get("est");
    ASSERT_GT(est.rows.size(), 2u);
    EXPECT_EQ(est.text(2, "Parm"), "x2");
    EXPECT_EQ(est.num(2, "Estimate"), 0.0);   // the table keeps the zeros
    EXPECT_EQ(est.num(2, "Stderr"), 0.0);

    // Without the cells q v and r w the interaction can estimate one column less than its
    // non-reference columns: a*b q u is lost to the empty cells.
    data({"qv", "rw"});
    r = program(text, true);
    EXPECT_EQ(countmsg(r.result.log, 510, 2005), 2) << r.result.log.all();
    EXPECT_TRUE(r.result.log.has('N', "the design column a*b q u (parameter")) << r.result.log.all();
}

// _NUMERIC_ takes every numeric variable but the response, censoring, FREQ and BY variables,
// and says which it left out; the model is then the one written without them.
TEST_F(Design, NumericListLeavesOutTheVariablesWithARole) {
    writecsv("nv", "g,t,c,f,x\n1,10,0,1,1\n1,14,0,2,2\n1,19,1,1,3\n1,25,0,1,4\n1,30,0,1,5\n1,33,0,2,6\n"
                   "2,12,0,1,1\n2,15,0,1,2\n2,21,0,2,3\n2,24,1,1,4\n2,31,0,1,5\n2,35,0,1,6\n");
    run r = program("proc vitalyx data=nv;\n by g;\n freq f;\n distribution weibull;\n make 'Modprmest' out=est;\n"
                    " model t*c(1) = _numeric_;\nrun;\n", true);
    const auto& log = r.result.log;
    EXPECT_EQ(r.result.status, 0) << log.all();
    EXPECT_TRUE(log.has('N', "_NUMERIC_ leaves out the variables the statement or the step gives a role: g (BY), t "
                             "(response), c (censoring), f (FREQ).") ||
                log.has('N', "_NUMERIC_ leaves out the variables the statement or the step gives a role: t (response), c "
                             "(censoring), f (FREQ), g (BY)."))
        << log.all();
    const table est = r.get("est");
    std::vector<std::string> parms;
    for (size_t i = 0; i < est.rows.size(); ++i)
        if (est.text(i, "g") == "1") parms.push_back(est.text(i, "Parm"));
    EXPECT_EQ(parms, (std::vector<std::string>{"Intercept", "x", "EV Scale", "Weibull Shape"}));
}

}  // namespace
