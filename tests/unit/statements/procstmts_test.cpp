// The PROC statement and the statements that store into the PROC record.
#include <gtest/gtest.h>
#include "proc/framework/optslots.h"
#include "parsehelp.h"

using namespace vxtest;

TEST(ProcStatements, NamelenTakesWholeNumbersFrom20To200) {
    {
        Parsed p("proc vitalyx data=fans namelen=10;");
        EXPECT_EQ(p.rc, 1012);
        EXPECT_NE(p.errors().find("NAMELEN"), std::string::npos) << p.errors();
        EXPECT_NE(p.errors().find("10"), std::string::npos);
    }
    for (const char* ok : {"20", "200", "64"}) {
        Parsed p(std::string("proc vitalyx data=fans namelen=") + ok + ";");
        EXPECT_EQ(p.rc, 0) << p.errors();
        ASSERT_NE(stmtslot(p.proc(), slot::proc::NAMELEN), nullptr);
        EXPECT_EQ(stmtslot(p.proc(), slot::proc::NAMELEN)->num, std::stod(ok));
    }
    for (const char* bad : {"201", "25.5", "-20"}) {
        Parsed p(std::string("proc vitalyx data=fans namelen=") + bad + ";");
        EXPECT_EQ(p.rc, 1012) << bad;
    }
}

TEST(ProcStatements, ProcRecordComesFirstWithDataAndGout) {
    Parsed p("proc vitalyx data=fans gout=gl.plots;");
    ASSERT_EQ(p.rc, 0) << p.errors();
    EXPECT_EQ(keyword(p.proc()), "VITALYX");
    EXPECT_EQ(p.proc()->highest, 14);
    const optslot* d = stmtslot(p.proc(), slot::proc::DATA);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->kind, SK_DATASET);
    EXPECT_EQ(d->handle, p.session.input);
    EXPECT_NE(p.session.input, nullptr);
    EXPECT_EQ(name8(stmtslot(p.proc(), slot::proc::GOUT_LIB)), "GL      ");
    EXPECT_EQ(text(stmtslot(p.proc(), slot::proc::GOUT_CAT)), "PLOTS");
}

TEST(ProcStatements, DistributionWithOrWithoutEqualsAndEveryAlias) {
    const std::pair<const char*, double> cases[] = {
        {"NORMAL", 0}, {"LNORM", 1}, {"LOGNORMAL", 1}, {"WEIBULL", 2}, {"EXTREME", 3}, {"EV", 3},
        {"EXPONENTIAL", 4}, {"LOGISTIC", 6}, {"LOGIT", 6}, {"LLOGISTIC", 7}, {"LLOGIT", 7},
        {"LOGLOGISTIC", 7}, {"GAMMA", 8}, {"POISSON", 9}, {"BINOMIAL", 10}, {"LNORM10", 11},
        {"LOGNORMAL10", 11}};
    for (const auto& [kw, code] : cases) {
        for (const char* form : {"distribution = ", "dist ", "d="}) {
            Parsed p(std::string("proc vitalyx data=fans;\n ") + form + kw + ";");
            ASSERT_EQ(p.rc, 0) << form << kw << p.errors();
            const optslot* s = stmtslot(p.proc(), slot::proc::DIST);
            ASSERT_NE(s, nullptr) << form << kw;
            EXPECT_EQ(s->num, code) << form << kw;
            EXPECT_EQ(p.count(), 1) << "DISTRIBUTION makes no record of its own";
        }
    }
    Parsed bad("proc vitalyx data=fans; dist weibul;");
    EXPECT_EQ(bad.rc, 1012);
    EXPECT_NE(bad.errors().find("WEIBULL"), std::string::npos) << bad.errors();
}

TEST(ProcStatements, ByTakesDescendingAndNotsorted) {
    Parsed p("proc vitalyx data=fans; by descending lot plant notsorted;");
    ASSERT_EQ(p.rc, 0) << p.errors();
    EXPECT_EQ(vars(stmtslot(p.proc(), slot::proc::BY)), (std::vector<int32_t>{V_LOT, V_PLANT}));
    Parsed q("proc vitalyx data=fans; by lot descending;");
    EXPECT_EQ(q.rc, 1012) << "DESCENDING must stand before a variable";
}

TEST(ProcStatements, ClassAndTruncate) {
    {
        Parsed p("proc vitalyx data=fans; class lot plant / truncate = 8;");
        ASSERT_EQ(p.rc, 0) << p.errors();
        EXPECT_EQ(vars(stmtslot(p.proc(), slot::proc::CLASS)), (std::vector<int32_t>{V_LOT, V_PLANT}));
        EXPECT_TRUE(stmtflag(p.proc(), flag::proc::TRUNCATE));
        ASSERT_NE(stmtslot(p.proc(), slot::proc::TRUNCATE), nullptr);
        EXPECT_EQ(stmtslot(p.proc(), slot::proc::TRUNCATE)->num, 8);
    }
    {
        Parsed p("proc vitalyx data=fans; classes lot / truncate;");
        ASSERT_EQ(p.rc, 0) << p.errors();
        EXPECT_TRUE(stmtflag(p.proc(), flag::proc::TRUNCATE));
        EXPECT_EQ(stmtslot(p.proc(), slot::proc::TRUNCATE), nullptr);
    }
    {
        Parsed p("proc vitalyx data=fans; class lot;");
        EXPECT_FALSE(stmtflag(p.proc(), flag::proc::TRUNCATE));
    }
    {
        // The CLASS statement serves the model effects: any number of variables.
        Parsed p("proc vitalyx data=fans; class lot plant unit;");
        EXPECT_EQ(p.rc, 0) << p.errors();
        EXPECT_EQ(stmtslot(p.proc(), slot::proc::CLASS)->count, 3);
    }
}

TEST(ProcStatements, FreqNenterExposureUnitid) {
    Parsed p("proc vitalyx data=fans; freq freq; nenter fails; exposure trials; unitid unit;");
    ASSERT_EQ(p.rc, 0) << p.errors();
    EXPECT_EQ(vars(stmtslot(p.proc(), slot::proc::FREQ)), (std::vector<int32_t>{V_FREQ}));
    EXPECT_EQ(vars(stmtslot(p.proc(), slot::proc::NENTER)), (std::vector<int32_t>{V_FAILS}));
    EXPECT_EQ(vars(stmtslot(p.proc(), slot::proc::EXPOSURE)), (std::vector<int32_t>{V_TRIALS}));
    EXPECT_EQ(vars(stmtslot(p.proc(), slot::proc::UNITID)), (std::vector<int32_t>{V_UNIT}));
    EXPECT_EQ(p.count(), 1);
    // FREQ must be numeric and single
    Parsed q("proc vitalyx data=fans; frequency lot;");
    EXPECT_EQ(q.rc, 1012);
    EXPECT_NE(q.errors().find("must be numeric"), std::string::npos) << q.errors();
    EXPECT_NE(q.errors().find("FANS"), std::string::npos) << q.errors();
    Parsed r("proc vitalyx data=fans; freq freq fails;");
    EXPECT_EQ(r.rc, 1012);
}

TEST(ProcStatements, RepeatedProcLevelStatementLastWinsWithANote) {
    Parsed p("proc vitalyx data=fans; dist weibull; dist lognormal;");
    ASSERT_EQ(p.rc, 0) << p.errors();
    EXPECT_EQ(stmtslot(p.proc(), slot::proc::DIST)->num, 1);
    EXPECT_NE(p.notes().find("DISTRIBUTION"), std::string::npos) << p.notes();
}
