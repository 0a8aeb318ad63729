// Interval data far from the starting values: with the scale given, intervals whose
// probability underflows there (while minus its logarithm is finite) ended the step with
// 510/913 at iteration 0. The derivative kernels now carry such an interval's quantities with
// a common factor, and the fits that R's survreg makes are made here too. The data: 20
// inspection intervals from 38 to 3588 hours; the reference values from
//   survreg(Surv(lo, hi, type = "interval2") ~ 1, dist = d, scale = s,
//           control = survreg.control(rel.tolerance = 1e-12))
#include "tests/support/catalogmsg.h"
#include "tests/support/files.h"
#include "tests/unit/regression/programs.h"

using namespace mdlprog;

namespace {

class FarIntervals : public ProgramTest {};

const char* const kIntervals =
    "lo,hi\n38,100\n100,250\n250,500\n500,700\n500,700\n600,740\n700,745\n720,750\n730,760\n735,752\n"
    "740,770\n742,748\n745,800\n750,900\n760,1000\n800,1500\n1000,2000\n2000,3000\n3000,3588\n3300,3588\n";

struct survreg {
    const char* dist;
    const char* scale;
    double location, se, loglik;
};

TEST_F(FarIntervals, FitsWithTheScaleGivenMatchSurvreg) {
    writecsv("iv", kIntervals);
    const survreg fits[] = {
        {"extreme", "300", 2548.15642534131, 72.2339993888, -140.661018554927},
        {"normal", "70", 1019.64119899319, 16.5534269376, -1332.34203297597},
        {"logistic", "5", 747.026406234856, 3.41276013914, -1579.24414860674},
    };
    for (const survreg& f : fits) {
        SCOPED_TRACE(f.dist);
        const run r = program(std::string("proc vitalyx data=iv;\n distribution ") + f.dist +
                                  ";\n make 'ParmEst' out=pe;\n make 'Datsum' out=ds;\n analyze (lo hi) / scale=" + f.scale +
                                  " converge=1e-10;\nrun;\n",
                              true);
        ASSERT_EQ(r.result.status, 0) << r.result.log.all();
        EXPECT_EQ(testsupport::countmsg(r.result.log, 510, 913), 0) << r.result.log.all();
        EXPECT_TRUE(r.result.log.has('N', "The convergence criterion is satisfied")) << r.result.log.all();
        const table pe = r.get("pe"), ds = r.get("ds");
        ASSERT_FALSE(pe.rows.empty());
        // The optimiser takes no step whose predicted gain is below 10,000 roundings of the
        // log-likelihood, which leaves the location within 1e-7 of survreg's whatever CONVERGE=:
        // the printed digits.
        near(pe.num(0, "Estimate"), f.location, 1e-7, "location");
        near(pe.num(0, "Stderr"), f.se, 1e-6, "standard error");
        bool seen = false;
        for (size_t i = 0; i < ds.rows.size(); ++i) {
            if (ds.text(i, "Description") != "Log Likelihood") continue;
            near(ds.num(i, "Value"), f.loglik, 1e-10, "log-likelihood");
            seen = true;
        }
        EXPECT_TRUE(seen);
    }
}

// The extreme value with SCALE=30: at the start (910.66) the last intervals lie 80 scales above
// the location, where the derivative kernel built its curvatures from terms of size e^(2b) that
// cancelled (and were NaN from a centre of 356 on). Newton's step on that exponential tail is
// one scale an iteration, so the default MAXIT=50 ends on its way, saying so; with room the
// fit reaches the maximum. survreg does not find it (500 iterations, a log-likelihood of
// -742.75 that is not this model's); the reference maximises the log-likelihood in log space,
// sum(-a + log(-expm1(a - b))) with a, b = exp((lo - mu)/30), exp((hi - mu)/30): R's optimize()
// gives 3213.2909, a 50-digit Newton iteration (mpmath) the digits below.
TEST_F(FarIntervals, AnExtremeValueFitEightyScalesAwayWalksToItsMaximum) {
    writecsv("iv", kIntervals);
    const std::string head = "proc vitalyx data=iv;\n distribution extreme;\n make 'ParmEst' out=pe;\n make 'Datsum' out=ds;\n";
    const run capped = program(head + " analyze (lo hi) / scale=30;\nrun;\n", true);
    EXPECT_EQ(capped.result.status, 0) << capped.result.log.all();
    EXPECT_TRUE(capped.result.log.has('W', "did not converge within MAXIT=50 iterations")) << capped.result.log.all();
    EXPECT_EQ(testsupport::countmsg(capped.result.log, 510, 913), 0) << capped.result.log.all();
    const double walked = capped.get("pe").num(0, "Estimate");
    EXPECT_GT(walked, 2000.0);
    EXPECT_LT(walked, 3213.3);

    const run r = program(head + " analyze (lo hi) / scale=30 maxit=200 converge=1e-10;\nrun;\n", true);
    ASSERT_EQ(r.result.status, 0) << r.result.log.all();
    EXPECT_TRUE(r.result.log.has('N', "The convergence criterion is satisfied")) << r.result.log.all();
    const table pe = r.get("pe"), ds = r.get("ds");
    near(pe.num(0, "Estimate"), 3213.2908900976543, 1e-7, "location");
    near(pe.num(0, "Stderr"), 7.0710678227949, 1e-5, "standard error");
    int seen = 0;
    for (size_t i = 0; i < ds.rows.size(); ++i)
        if (ds.text(i, "Description") == "Log Likelihood") near(ds.num(i, "Value"), -1393.3177928469033, 1e-12, "log-likelihood"), ++seen;
    EXPECT_EQ(seen, 1);
}

// Normal intervals far out with the scale given: from about 38 scales out an interval's
// probability underflows, and the value kernel refused it, so that the fits stopped at their
// start (or the last point they could compute) and printed it with the log-likelihood missing.
// The value kernel now takes the log-probability form there, and the fits reach their maxima.
// The reference maximises the same log-likelihood in log space (farfits/farfits_reference.R,
// pnorm(log.p = TRUE) at both ends; survreg fails on all of them); the figures below are its
// 40-digit check (farfits_reference.py), which R's agree with to 3e-10.
TEST_F(FarIntervals, NormalFitsFarOutReachTheirMaxima) {
    struct farfit {
        const char* data;
        const char* options;
        double location, loglik;
    };
    const farfit fits[] = {
        {"d3", "scale=5", 894.108041747571, -334195.16403288},
        {"d1", "scale=20 maxit=500", 1023.27015461767, -10325.7177975869},
        {"d6", "scale=3", 520.775015287943, -366538.533191953},
        {"outlier", "scale=80.5", 1596.29349976494, -3953.73401198272},
        {"two", "scale=10", 550.0, -2034.4521884839},
        {"iv", "scale=30", 1026.07747607341, -7039.64559304362},
    };
    for (const farfit& f : fits) {
        SCOPED_TRACE(f.data);
        writecsv(f.data, testsupport::readfile(std::string(VITALYX_TEST_DATA) + "/lifedist/farfits/" + f.data + ".csv"));
        const std::string options = std::string(f.options) + " converge=1e-10";
        const run r = program(std::string("proc vitalyx data=") + f.data +
                                  ";\n distribution normal;\n make 'ParmEst' out=pe;\n make 'Datsum' out=ds;\n"
                                  " make 'Modprmest' out=me;\n make 'Modfitsum' out=ms;\n analyze (lo hi) / " + options +
                                  ";\n model (lo hi) / " + options + ";\nrun;\n",
                              true);
        ASSERT_EQ(r.result.status, 0) << r.result.log.all();
        EXPECT_EQ(testsupport::countmsg(r.result.log, 510, 720), 2) << r.result.log.all();   // both converged
        EXPECT_FALSE(r.result.log.has('W', "")) << r.result.log.all();
        const table pe = r.get("pe"), ds = r.get("ds"), me = r.get("me"), ms = r.get("ms");
        near(pe.num(0, "Estimate"), f.location, 1e-6, "ANALYZE location");
        near(me.num(0, "Estimate"), f.location, 1e-6, "MODEL intercept");
        int seen = 0;
        for (const table* t : {&ds, &ms})
            for (size_t i = 0; i < t->rows.size(); ++i)
                if (t->text(i, "Description") == "Log Likelihood") near(t->num(i, "Value"), f.loglik, 1e-10, "log-likelihood"), ++seen;
        EXPECT_EQ(seen, 2);
    }
}

// The normal with SCALE=30 has its log-likelihood at the estimates (it stopped where the far
// intervals' could not be computed, and 510/2225 said that there was nothing to drop from):
// the likelihood-ratio limits of ANALYZE and MODEL are those of the profile likelihood, here
// the likelihood in the location itself (farfits/farfits_reference.R, uniroot on the drop).
TEST_F(FarIntervals, LikelihoodRatioLimitsOfAFarFitMatchTheProfile) {
    writecsv("iv", kIntervals);
    const run r = program("proc vitalyx data=iv;\n distribution normal;\n make 'ParmEst' out=pe;\n make 'Modprmest' out=me;\n"
                          " analyze (lo hi) / scale=30 lrcl;\n model (lo hi) / scale=30 lrcl;\nrun;\n",
                          true);
    EXPECT_EQ(r.result.status, 0) << r.result.log.all();
    EXPECT_EQ(testsupport::countmsg(r.result.log, 510, 2225), 0) << r.result.log.all();
    EXPECT_EQ(testsupport::countmsg(r.result.log, 510, 2224), 0) << r.result.log.all();
    for (const char* member : {"pe", "me"}) {
        SCOPED_TRACE(member);
        const table t = r.get(member);
        near(t.num(0, "Lower"), 1012.2413732022, 1e-9, "lower limit");
        near(t.num(0, "Upper"), 1039.9285736220, 1e-9, "upper limit");
    }
}

// Two class levels whose intervals do not overlap: the model with a class effect has no
// maximum (each level's location inside its interval, the scale tending to 0). The fit runs
// into underflowing intervals on its way and now says where it stopped, with no standard
// errors, instead of ending the step. (The extreme value's value kernel refuses centres
// beyond half the exp bound, and there the step still ends: see the next test.)
TEST_F(FarIntervals, AModelWithoutAMaximumStopsWithoutEndingTheStep) {
    writecsv("two", "lo,hi,g\n300,500,A\n800,1000,B\n");
    for (const char* dist : {"normal", "logistic"}) {
        SCOPED_TRACE(dist);
        const run r = program(std::string("proc vitalyx data=two;\n class g;\n distribution ") + dist +
                                  ";\n make 'Modprmest' out=pe;\n model (lo hi) = g;\nrun;\n",
                              true);
        EXPECT_EQ(r.result.status, 0) << r.result.log.all();
        EXPECT_EQ(testsupport::countmsg(r.result.log, 510, 913), 0) << r.result.log.all();
        EXPECT_FALSE(r.result.log.has('N', "The convergence criterion is satisfied")) << r.result.log.all();
        const table pe = r.get("pe");
        ASSERT_FALSE(pe.rows.empty());
        EXPECT_TRUE(std::isnan(pe.num(0, "Stderr"))) << pe.text(0, "Stderr");
    }
}

// A derivative pass that fails ends the step. 510/913 says that the log-likelihood could be
// computed there; where it could not either (the optimiser asks for the derivatives at its
// starting values and at its last trial point whatever their value was), 510/2300 says so. A
// fit that ends where the log-likelihood cannot be computed ends the step too (510/2305). None
// prints estimates.
TEST_F(FarIntervals, AnEndedStepSaysWhetherTheLogLikelihoodCouldBeComputed) {
    struct ended {
        const char* what;
        const char* data;
        const char* body;
        int msg;
    };
    const ended cases[] = {
        // The extreme-value model without a maximum: its start puts the centres far beyond
        // where the value kernel refuses them.
        {"extreme-value model", "two", " class g;\n distribution extreme;\n model (lo hi) = g;\n", 2300},
        {"Weibull model", "two", " class g;\n distribution weibull;\n model (lo hi) = g;\n", 2300},
        // FREQ 1e15 beside 1e-15: the Weibull starting scale comes out near 1e-15.
        {"weights far apart", "em", " freq f;\n distribution weibull;\n analyze (lo hi);\n", 2300},
        // An interval of half a standardized width of about 1e-163: its log-probability is
        // computed, its derivatives, whose ends cannot be told apart, are not.
        {"interval of no width", "nw", " distribution logistic;\n analyze (lo hi) / scale=1e150;\n", 913},
        {"model, interval of no width", "nw",
         " distribution logistic;\n model (lo hi) = x;\n logscale x / intercept=345.4;\n", 913},
        // The normal's log-probability form gives that interval a value (-log 2h phi(c)), but its
        // d2f/dh2 = 1/h^2 is beyond the range of double precision.
        {"normal interval of no width", "nw", " distribution normal;\n analyze (lo hi) / scale=1e150;\n", 913},
        // A fit that stops where the log-likelihood cannot be computed has found nothing. The
        // extreme value stayed at its start, 450, where the interval 1200-1250 lies 700 scales
        // above the centre (beyond what the value kernel takes), and printed it as converged;
        // its maximum, near 1200, gives the interval 150-200 a probability of about e^-909.
        {"extreme value that cannot leave its start", "far_ev", " distribution extreme;\n analyze (lo hi) / scale=1.1;\n", 2305},
        // MODEL's start on these data lies where neither can be computed (510/2300); with the
        // far interval at 1100-1150 it lies where the derivatives can.
        {"extreme-value model that cannot leave its start", "far_ev2", " distribution extreme;\n model (lo hi) / scale=1.1;\n", 2305},
    };
    writecsv("two", "lo,hi,g\n300,500,A\n800,1000,B\n");
    writecsv("em", "lo,hi,f\n1,3,1e15\n2,5,1e-15\n4,6,1e-15\n");
    writecsv("nw", "lo,hi,x\n1000,1000.0000000000002,0\n500,2000,1\n700,900,2\n");
    writecsv("far_ev", testsupport::readfile(std::string(VITALYX_TEST_DATA) + "/lifedist/farfits/far_ev.csv"));
    writecsv("far_ev2", "lo,hi\n200,\n150,200\n150,\n1100,1150\n500,\n");
    for (const ended& c : cases) {
        SCOPED_TRACE(c.what);
        const run r = program(std::string("proc vitalyx data=") + c.data + ";\n" + c.body + "run;\n", true);
        EXPECT_NE(r.result.status, 0) << r.result.log.all();
        EXPECT_EQ(testsupport::readfile(r.out + "/listing.txt").find("Parameter Estimates"), std::string::npos);
        EXPECT_EQ(testsupport::countmsg(r.result.log, 510, c.msg), 1) << r.result.log.all();
        EXPECT_EQ(testsupport::countmsg(r.result.log, 510, c.msg == 913 ? 2300 : 913), 0) << r.result.log.all();
        EXPECT_TRUE(r.result.log.has("The VITALYX step ended with return code 1008")) << r.result.log.all();
    }
}

// Four intervals with the scale held far below their spread (SCALE=0.1: the last lies 29,000
// scales from the maximum): the maximum lies where the four nearest ends balance, near 1700,
// with the curvature 4/scale^2. Formed as P''/P - (P'/P)^2 the far intervals' curvatures lost
// their digits (799.31 for 400.00): ANALYZE stopped at 1702.0991 with the standard error 0.0354,
// and MODEL where the Hessian was not positive definite; at SCALE=0.05 log Phi passes -2^31 and
// the step ended at the start. The references maximise the log-likelihood at 40 digits
// (farfits/farfits_reference.py).
TEST_F(FarIntervals, ANormalFitThousandsOfScalesOutHasItsCurvature) {
    writecsv("d4", testsupport::readfile(std::string(VITALYX_TEST_DATA) + "/lifedist/farfits/d4.csv"));
    const struct {
        const char* scale;
        double location, se, loglik;
    } fits[] = {
        {"0.1", 1699.99998858934, 0.05000000078, -598000040.8786289},
        {"0.05", 1699.99999714734, 0.0250000001, -2392000043.651218},
        {"1", 1699.99885894962, 0.5000007813, -5980031.668298366},
    };
    for (const auto& f : fits) {
        for (const char* converge : {"", " converge=1e-10"}) {
            SCOPED_TRACE(std::string(f.scale) + converge);
            const std::string options = std::string("scale=") + f.scale + converge;
            const run r = program("proc vitalyx data=d4;\n distribution normal;\n make 'ParmEst' out=pe;\n make 'Datsum' out=ds;\n"
                                  " make 'Modprmest' out=me;\n make 'Modfitsum' out=ms;\n analyze (lo hi) / " + options +
                                      ";\n model (lo hi) / " + options + ";\nrun;\n",
                                  true);
            ASSERT_EQ(r.result.status, 0) << r.result.log.all();
            EXPECT_EQ(testsupport::countmsg(r.result.log, 510, 720), 2) << r.result.log.all();
            EXPECT_FALSE(r.result.log.has('W', "")) << r.result.log.all();
            for (const char* t : {"pe", "me"}) {
                const table est = r.get(t);
                near(est.num(0, "Estimate"), f.location, 1e-6, "location");
                near(est.num(0, "Stderr"), f.se, 1e-6, "standard error");
            }
            int seen = 0;
            for (const char* t : {"ds", "ms"}) {
                const table sum = r.get(t);
                for (size_t i = 0; i < sum.rows.size(); ++i)
                    if (sum.text(i, "Description") == "Log Likelihood") near(sum.num(i, "Value"), f.loglik, 1e-6, "log-likelihood"), ++seen;
            }
            EXPECT_EQ(seen, 2);
        }
    }
}

// Logistic intervals with the scale held: from the start (1171 hours) the nearest data lie
// hundreds of scales away, where the log-likelihood is linear in the location to double
// precision. Its curvature, e^-|z|, is 0 or subnormal there, and a Newton direction built on
// 2.7e-317 is infinite: the fit ended 550 hours short of its maximum with the log-likelihood
// missing. Steps along the gradient take it to where Newton's steps work. References at 40
// digits (farfits/farfits_reference.py).
TEST_F(FarIntervals, LogisticFitsFarOutStepAlongTheGradient) {
    writecsv("ivl", testsupport::readfile(std::string(VITALYX_TEST_DATA) + "/lifedist/farfits/iv_logistic.csv"));
    const struct {
        const char* scale;
        double location, se, loglik;
    } fits[] = {
        {"0.48", 600.138087394777, 0.3666060556, -21254.7803567329},
        {"0.1", 600.028768207245, 0.07637626158, -102004.7803567329},
    };
    // At the default CONVERGE= too: the steps of a fit that came along the gradient measure no
    // distance to the maximum (the default stopped SCALE=0.1 at 599.9021, 1.7 standard errors short).
    for (const char* converge : {"", " converge=1e-10"})
    for (const auto& f : fits) {
        SCOPED_TRACE(std::string(f.scale) + converge);
        const run r = program(std::string("proc vitalyx data=ivl;\n distribution logistic;\n make 'ParmEst' out=pe;\n"
                                          " make 'Datsum' out=ds;\n analyze (lo hi) /") + converge + " scale=" + f.scale +
                                  ";\nrun;\n",
                              true);
        ASSERT_EQ(r.result.status, 0) << r.result.log.all();
        EXPECT_TRUE(r.result.log.has('N', "The convergence criterion is satisfied")) << r.result.log.all();
        EXPECT_FALSE(r.result.log.has('W', "")) << r.result.log.all();
        const table pe = r.get("pe"), ds = r.get("ds");
        near(pe.num(0, "Estimate"), f.location, 1e-7, "location");
        near(pe.num(0, "Stderr"), f.se, 2e-6, "standard error");
        for (size_t i = 0; i < ds.rows.size(); ++i)
            if (ds.text(i, "Description") == "Log Likelihood") near(ds.num(i, "Value"), f.loglik, 1e-10, "log-likelihood");
    }
}

// A step that ends in one group's fit says which group, as that fit's warnings would: here the
// least-squares start of lot B has an extreme-value scale of 0.0002, and its censored unit lies
// 5,350 scales out, where the log-likelihood cannot be computed.
TEST_F(FarIntervals, AnEndedStepNamesItsGroup) {
    writecsv("lots", "t,c,g,b\n146.514,1,A,1\n249.844,1,A,1\n339.624,0,A,1\n222.009,1,A,1\n698.019,1,B,1\n2090.93,0,B,1\n"
                     "697.828,1,B,1\n488.066,1,C,1\n525.633,1,C,1\n");
    const run r = program("proc vitalyx data=lots;\n by b;\n distribution weibull;\n analyze t*c(0) = g;\nrun;\n", true);
    EXPECT_NE(r.result.status, 0) << r.result.log.all();
    EXPECT_EQ(testsupport::countmsg(r.result.log, 510, 2300), 1) << r.result.log.all();
    EXPECT_TRUE(r.result.log.has('E', "could be computed for g=B in the BY group b=1 at the parameter values")) << r.result.log.all();
}

}  // namespace
