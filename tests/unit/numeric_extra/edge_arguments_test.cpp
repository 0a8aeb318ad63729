// The log-scale beta, gamma and noncentral chi-square entries at the edges of their
// arguments: shapes far below 1 (whose raised value 1 + a keeps only the leading digits
// of a), shapes without a log gamma, and infinite arguments, which are refused rather
// than answered with logs that are not numbers.
#include <array>
#include <cfloat>
#include <cmath>

#include "proc/numeric/logbetagamma.h"
#include "proc/numeric/ncchisq.h"
#include "tests/support/reference.h"

TEST(LogEdges, BetaTailsOfTinyShapesAgreeWithR) {
    // The grid of the plain incomplete beta function's edge test, on the log scale.
    const RefTable t = readRef("numeric_functions/edge_pbeta.csv");
    Worst w;
    for (size_t i = 0; i < t.rows.size(); ++i) {
        betareq r{};
        r.reqflags = LREQ_PROB;
        r.x = t.at(i, "x");
        r.a = t.at(i, "a");
        r.b = t.at(i, "b");
        const std::string at = args({r.x, r.a, r.b});
        ASSERT_EQ(zlogbet(&r), 0) << at;
        w.add(logDiff(r.logp, t.at(i, "logp")), at);
        w.add(logDiff(r.logq, t.at(i, "logq")), at);
    }
    // The log tail is the log density plus log y plus log t: for a = b = 1e-300 terms
    // near 690 that cancel to log 1/2, 1.7e-13 absolutely.
    EXPECT_WORST_BELOW(w, 3e-13);
}

TEST(LogEdges, SubnormalShapesAndInfiniteArgumentsAreRefused) {
    for (double tiny : {5e-324, 1e-310}) {
        betareq r{};
        r.reqflags = LREQ_PROB;
        r.x = 0.3;
        r.a = 2.0;
        r.b = tiny;
        EXPECT_EQ(zlogbet(&r), 1) << tiny;
    }
    for (const auto& xa : {std::array<double, 2>{INFINITY, 2.0}, {3.0, INFINITY}}) {
        gamreq g{};
        g.reqflags = LREQ_PROB;
        g.x = xa[0];
        g.a = xa[1];
        EXPECT_EQ(zloggam(&g), 1) << xa[0] << " " << xa[1];
    }
    for (const auto& v : {std::array<double, 3>{INFINITY, 3.0, 0.0}, {INFINITY, 3.0, 2.0}, {4.0, INFINITY, 2.0},
                          {4.0, 3.0, INFINITY}}) {
        cncreq c{};
        c.reqflags = LREQ_PROB;
        c.x = v[0];
        c.df = v[1];
        c.ncp = v[2];
        EXPECT_EQ(zlogcnc(&c), 1) << v[0] << " " << v[1] << " " << v[2];
    }
}
