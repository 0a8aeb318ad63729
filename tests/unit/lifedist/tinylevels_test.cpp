// Limits at tiny confidence levels. A likelihood-ratio limit lies where the log-likelihood has
// dropped by q/2; at CONFIDENCE=1e-6 that is 8e-13, below what the log-likelihood's rounding
// resolves, and the search stopped on noise (the exponential fit of the fans data at 1e-9 gave
// a lower limit equal to the estimate and an upper one 4,000 Wald half-widths away). Where the
// drop is resolved the search runs and finds the profile limits; where it is not, the Wald
// limits are shown with a note that says so. A CONFIDENCE whose 1 - CONFIDENCE is 1 is a level
// of 0, which a note says.
#include <cmath>

#include "tests/support/catalogmsg.h"
#include "tests/support/files.h"
#include "tests/unit/regression/programs.h"

using namespace mdlprog;
using testsupport::countmsg;

namespace {

class TinyLevels : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        fans = testsupport::readfile(std::string(VITALYX_TEST_DATA) + "/lifedist/fans.csv");
        writecsv("fans", fans);
    }
    run exponential(const std::string& options) {
        return program("proc vitalyx data=fans;\n distribution exponential;\n make 'ParmEst' out=pe;\n make 'PctEst' out=pct;\n"
                       " analyze hours*status(1) / " + options + ";\nrun;\n",
                       true);
    }
    std::string fans;
};

// The exponential's profile in mu = ln(mean): with r failures in a total time T the
// log-likelihood falls from its maximum at ln(T/r) by r (e^-d - 1 + d) at mu = ln(T/r) + d.
// Both roots of that drop = q/2, by bisection on a series that keeps every digit for small d.
double profileend(double r, double half, double sign) {
    auto drop = [r](double d) { return r * d * d * (0.5 - d / 6 + d * d / 24 - d * d * d / 120 + d * d * d * d / 720); };
    double lo = 0.0, hi = 0.1;
    for (int k = 0; k < 200; ++k) {
        const double mid = 0.5 * (lo + hi);
        (drop(sign * mid) < half ? lo : hi) = mid;
    }
    return sign * 0.5 * (lo + hi);
}

TEST_F(TinyLevels, ResolvedDropsAreSearchedAndMatchTheProfile) {
    double r = 0.0, total = 0.0;
    {
        std::istringstream in(fans);
        std::string line;
        std::getline(in, line);
        while (std::getline(in, line)) {
            const auto c = split(line);
            if (c.size() < 2) continue;
            total += std::stod(c[0]);
            r += c[1] == "0";
        }
    }
    const double muhat = std::log(total / r);
    // qchisq(CONFIDENCE, 1) from R.
    const struct {
        const char* conf;
        double q;
    } levels[] = {{"1e-3", 1.5707971492624904e-06}, {"1e-4", 1.5707963350195706e-08}};
    for (const auto& l : levels) {
        SCOPED_TRACE(l.conf);
        const run out = exponential(std::string("lrcl conf=") + l.conf);
        ASSERT_EQ(out.result.status, 0) << out.result.log.all();
        EXPECT_EQ(countmsg(out.result.log, 510, 2224), 0) << out.result.log.all();
        const table pe = out.get("pe");
        const double lo = muhat + profileend(r, l.q / 2, -1.0), hi = muhat + profileend(r, l.q / 2, 1.0);
        // The search stops within 1/500 of the drop; the estimate itself is 1e-6 short of ln(T/r).
        EXPECT_NEAR(pe.num(0, "Lower"), lo, 2e-3 * (hi - lo) / 2);
        EXPECT_NEAR(pe.num(0, "Upper"), hi, 2e-3 * (hi - lo) / 2);
    }
}

TEST_F(TinyLevels, DropsLostInRoundingGiveWaldLimitsWithANote) {
    // qnorm(0.5 + CONFIDENCE / 2) from R.
    const struct {
        const char* conf;
        double z;
    } levels[] = {{"1e-6", 1.2533141372127222e-06}, {"1e-9", 1.2533142410151772e-09}};
    for (const auto& l : levels) {
        SCOPED_TRACE(l.conf);
        const run out = exponential(std::string("lrcl lrclper conf=") + l.conf);
        ASSERT_EQ(out.result.status, 0) << out.result.log.all();
        EXPECT_EQ(countmsg(out.result.log, 510, 2224), 1) << out.result.log.all();
        EXPECT_EQ(countmsg(out.result.log, 510, 1958), 0) << out.result.log.all();
        const table pe = out.get("pe");
        const double est = pe.num(0, "Estimate"), se = pe.num(0, "Stderr");
        EXPECT_NEAR(pe.num(0, "Lower"), est - l.z * se, 1e-9 * l.z * se);
        EXPECT_NEAR(pe.num(0, "Upper"), est + l.z * se, 1e-9 * l.z * se);
        const table pct = out.get("pct");
        ASSERT_FALSE(pct.rows.empty());
        for (size_t i = 0; i < pct.rows.size(); ++i) {
            EXPECT_LT(pct.num(i, "Lower"), pct.num(i, "Estimate")) << i;
            EXPECT_GT(pct.num(i, "Upper"), pct.num(i, "Estimate")) << i;
        }
    }
    // MODEL's LRCL alike.
    const run m = program("proc vitalyx data=fans;\n distribution exponential;\n make 'Modprmest' out=pe;\n"
                          " model hours*status(1) / lrcl conf=1e-9;\nrun;\n",
                          true);
    ASSERT_EQ(m.result.status, 0) << m.result.log.all();
    EXPECT_EQ(countmsg(m.result.log, 510, 2224), 1) << m.result.log.all();
    const table pe = m.get("pe");
    const double est = pe.num(0, "Estimate"), se = pe.num(0, "Stderr");
    EXPECT_NEAR(pe.num(0, "Lower"), est - 1.2533142410151772e-09 * se, 1e-9 * se);
    EXPECT_NEAR(pe.num(0, "Upper"), est + 1.2533142410151772e-09 * se, 1e-9 * se);
}

// The estimate tables are titled by the limits they show: where 510/2224 says Wald limits stand
// in for the likelihood-ratio ones, the title names them ("Normal Confidence Limits"), in
// ANALYZE (parameters and percentiles) and MODEL alike; a resolved level keeps the
// likelihood-ratio title. The tables of a class analysis are titled once, by the first group;
// a later group whose limits are of the other kind has a note: 510/2224 for Wald limits under
// a likelihood-ratio title, 510/2226 for the converse.
TEST_F(TinyLevels, TablesAreTitledByTheLimitsTheyShow) {
    auto titles = [](const run& r, const char* kind) {
        const std::string l = testsupport::readfile(r.out + "/listing.txt");
        int n = 0;
        for (size_t at = l.find(kind); at != std::string::npos; at = l.find(kind, at + 1)) ++n;
        return n;
    };
    const char* lr = "Likelihood Ratio Confidence Limits";
    const char* wald = "Normal Confidence Limits";
    const run tiny = program("proc vitalyx data=fans;\n distribution weibull;\n analyze hours*status(0) / lrcl lrclper conf=1e-5;\n"
                             " model hours*status(0) / lrcl conf=1e-5;\nrun;\n",
                             true);
    ASSERT_EQ(tiny.result.status, 0) << tiny.result.log.all();
    EXPECT_EQ(countmsg(tiny.result.log, 510, 2224), 2) << tiny.result.log.all();
    EXPECT_EQ(titles(tiny, lr), 0);
    EXPECT_EQ(titles(tiny, wald), 3);   // ParmEst, PctEst, Modprmest
    const run resolved = exponential("lrcl lrclper conf=1e-3");
    EXPECT_EQ(titles(resolved, lr), 2);
    EXPECT_EQ(titles(resolved, wald), 0);

    // Every other row in a group of its own (status(0): 58 failures): at CONFIDENCE=4.44e-5 the
    // drop (1.5e-9) is resolved below a log-likelihood of 26.7 and not above it; the groups'
    // are 26.63 (the second, fourth, ... rows) and 29.21. Labelled the other way round, the
    // group with Wald limits comes first.
    for (const bool lrfirst : {true, false}) {
        SCOPED_TRACE(lrfirst);
        std::istringstream in(fans);
        std::string line;
        std::getline(in, line);
        std::string grouped = line + ",g\n";
        for (int i = 0; std::getline(in, line); ++i)
            if (!line.empty()) grouped += line + ((i % 2 == 1) == lrfirst ? ",A\n" : ",B\n");
        writecsv("grouped", grouped);
        const run r = program("proc vitalyx data=grouped;\n class g;\n distribution weibull;\n"
                              " analyze hours*status(0) = g / lrcl lrclper conf=4.44e-5;\nrun;\n",
                              true);
        ASSERT_EQ(r.result.status, 0) << r.result.log.all();
        EXPECT_EQ(countmsg(r.result.log, 510, 2224), 1) << r.result.log.all();
        EXPECT_EQ(countmsg(r.result.log, 510, 2226), lrfirst ? 0 : 1) << r.result.log.all();
        EXPECT_EQ(titles(r, lr), lrfirst ? 2 : 0);
        EXPECT_EQ(titles(r, wald), lrfirst ? 0 : 2);
    }
}

// Below about 1.1e-16 the level is 0: every limit is its estimate, the title says so, and the
// note on the statement says why (ANALYZE, MODEL and MCFPLOT read CONFIDENCE= each).
TEST_F(TinyLevels, ALevelThatRoundsToZeroIsNoted) {
    const run out = exponential("lrcl conf=1e-17");
    ASSERT_EQ(out.result.status, 0) << out.result.log.all();
    EXPECT_EQ(countmsg(out.result.log, 510, 2223), 1) << out.result.log.all();
    EXPECT_EQ(countmsg(out.result.log, 510, 2224), 0) << out.result.log.all();
    const table pe = out.get("pe");
    EXPECT_EQ(pe.num(0, "Lower"), pe.num(0, "Estimate"));
    EXPECT_EQ(pe.num(0, "Upper"), pe.num(0, "Estimate"));
    EXPECT_NE(testsupport::readfile(out.out + "/listing.txt").find("0% Confidence Limits"), std::string::npos);

    const run m = program("proc vitalyx data=fans;\n distribution weibull;\n model hours*status(1) / conf=1e-17;\nrun;\n", true);
    EXPECT_EQ(countmsg(m.result.log, 510, 2223), 1) << m.result.log.all();
    const run ok = exponential("conf=1e-15");
    EXPECT_EQ(countmsg(ok.result.log, 510, 2223), 0) << ok.result.log.all();
}

}  // namespace
