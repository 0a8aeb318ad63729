// Statement heads: response forms, class and stress variables, labels, INSET, FMODE, MAKE.
#include <gtest/gtest.h>
#include "proc/framework/optslots.h"
#include "parsehelp.h"
#include "proc/lifedist/lifedist_internal.h"

using namespace vxtest;

namespace {
double num(const stmtrec* r, int n) {
    const optslot* s = stmtslot(r, n);
    return s ? s->num : -999;
}
}  // namespace

TEST(Heads, ResponseFormsOfTheAnalysisStatements) {
    for (const char* st : {"analyze", "probplot", "pplot", "relationplot", "rplot"}) {
        const bool rel = st[0] == 'r';
        const std::string cls = rel ? " = temp" : " = lot plant";
        {
            Parsed p(std::string("proc vitalyx data=fans; ") + st + " hours" + cls + ";");
            ASSERT_EQ(p.rc, 0) << st << p.errors();
            const stmtrec* r = p.rec(1);
            EXPECT_EQ(num(r, slot::head::RSPKIND), 0) << st;
            EXPECT_EQ(vars(stmtslot(r, slot::head::RESP1)), (std::vector<int32_t>{V_HOURS}));
            const std::vector<int32_t> want = rel ? std::vector<int32_t>{V_TEMP} : std::vector<int32_t>{V_LOT, V_PLANT};
            EXPECT_EQ(vars(stmtslot(r, slot::head::CLASS)), want);
        }
        {
            Parsed p(std::string("proc vitalyx data=fans; ") + st + " hours*status(0 2 to 4)" + cls + ";");
            ASSERT_EQ(p.rc, 0) << st << p.errors();
            const stmtrec* r = p.rec(1);
            EXPECT_EQ(num(r, slot::head::RSPKIND), 1);
            EXPECT_EQ(vars(stmtslot(r, slot::head::RESP2)), (std::vector<int32_t>{V_STATUS}));
            EXPECT_EQ(numbers(stmtslot(r, slot::head::CENSVALS)), (std::vector<double>{0, 2, 3, 4}));
        }
        for (const char* iv : {"(lo hi)", "(lo, hi)"}) {
            Parsed p(std::string("proc vitalyx data=fans; ") + st + " " + iv + cls + ";");
            ASSERT_EQ(p.rc, 0) << st << p.errors();
            const stmtrec* r = p.rec(1);
            EXPECT_EQ(num(r, slot::head::RSPKIND), 2);
            EXPECT_EQ(vars(stmtslot(r, slot::head::RESP1)), (std::vector<int32_t>{V_LO}));
            EXPECT_EQ(vars(stmtslot(r, slot::head::RESP2)), (std::vector<int32_t>{V_HI}));
        }
        {
            Parsed p(std::string("proc vitalyx data=fans; ") + st + " fails(trials)" + cls + ";");
            if (rel) {
                EXPECT_EQ(p.rc, 1012) << "events(trials) is not a RELATIONPLOT response";
            } else {
                ASSERT_EQ(p.rc, 0) << st << p.errors();
                EXPECT_EQ(num(p.rec(1), slot::head::RSPKIND), 4);
                EXPECT_EQ(vars(stmtslot(p.rec(1), slot::head::RESP1)), (std::vector<int32_t>{V_FAILS}));
                EXPECT_EQ(vars(stmtslot(p.rec(1), slot::head::RESP2)), (std::vector<int32_t>{V_TRIALS}));
            }
        }
    }
}

TEST(Heads, KeywordAsWrittenAndHighestSlot) {
    Parsed p("proc vitalyx data=fans; pplot hours; probplot hours; rplot hours=temp; analyze hours; mplot hours*nrec; "
             "model hours = temp; logscale temp; inset n; fmode mode=('seal'); make 'ParameterEstimates' out=pe;");
    ASSERT_EQ(p.rc, 0) << p.errors();
    const char* kws[] = {"VITALYX", "PPLOT", "PROBPLOT", "RPLOT", "ANALYZE", "MPLOT", "MODEL", "LOGSCALE", "INSET",
                         "FMODE", "MAKE"};
    const int highest[] = {14, 130, 130, 130, 110, 130, 35, 5, 17, 15, 3};
    ASSERT_EQ(p.count(), 11);
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(keyword(p.rec(i)), kws[i]);
        EXPECT_EQ(p.rec(i)->highest, highest[i]) << kws[i];
        EXPECT_EQ(p.rec(i)->keyword[STMT_KEYLEN - 1], ' ') << "blank padded";
    }
}

TEST(Heads, RecordsKnowWhereTheyWereWritten) {
    Parsed p("proc vitalyx data=fans;\n  dist weibull;\n   probplot hours;");
    ASSERT_EQ(p.rc, 0) << p.errors();
    EXPECT_EQ(p.rec(0)->line, 1);
    EXPECT_EQ(p.rec(1)->line, 3);
    EXPECT_EQ(p.rec(1)->column, 4);
}

TEST(Heads, RelationplotNeedsTheStressVariable) {
    Parsed p("proc vitalyx data=fans; relationplot hours;");
    EXPECT_EQ(p.rc, 1012);
    EXPECT_NE(p.errors().find("stress"), std::string::npos) << p.errors();
}

TEST(Heads, AnalyzeWithoutResponse) {
    Parsed p("proc vitalyx; distribution poisson; analyze / count=3;");
    ASSERT_EQ(p.rc, 0) << p.errors();
    EXPECT_EQ(stmtslot(p.rec(1), slot::head::RESP1), nullptr);
    EXPECT_EQ(num(p.rec(1), 24), 3);
}

TEST(Heads, ModelResponsesUseSlotFiveForTheUpperEnd) {
    Parsed p("proc vitalyx data=fans; class lot; model (lo hi) = lot temp;");
    ASSERT_EQ(p.rc, 0) << p.errors();
    const stmtrec* m = p.rec(1);
    EXPECT_EQ(num(m, slot::head::RSPKIND), 2);
    EXPECT_EQ(vars(stmtslot(m, slot::head::RESP1)), (std::vector<int32_t>{V_LO}));
    EXPECT_EQ(vars(stmtslot(m, slot::head::MODEL_UPPER)), (std::vector<int32_t>{V_HI}));
    EXPECT_EQ(stmtslot(m, slot::head::RESP2), nullptr);
    ASSERT_NE(stmtslot(m, slot::head::MODEL_EFFECTS), nullptr);
    EXPECT_EQ(stmtslot(m, slot::head::MODEL_EFFECTS)->count, 2);
    Parsed q("proc vitalyx data=fans; model hours*status(0) = temp;");
    ASSERT_EQ(q.rc, 0) << q.errors();
    EXPECT_EQ(num(q.rec(1), slot::head::RSPKIND), 1);
    EXPECT_EQ(vars(stmtslot(q.rec(1), slot::head::RESP2)), (std::vector<int32_t>{V_STATUS}));
}

TEST(Heads, McfplotExactAndIntervalForms) {
    {
        Parsed p("proc vitalyx data=fans; unitid unit; mcfplot hours*nrec(0) = lot;");
        ASSERT_EQ(p.rc, 0) << p.errors();
        const stmtrec* r = p.rec(1);
        EXPECT_EQ(num(r, slot::head::RSPKIND), 1);
        EXPECT_EQ(vars(stmtslot(r, slot::head::RESP1)), (std::vector<int32_t>{V_HOURS}));
        EXPECT_EQ(vars(stmtslot(r, slot::head::RESP2)), (std::vector<int32_t>{V_NREC}));
        EXPECT_EQ(numbers(stmtslot(r, slot::head::CENSVALS)), (std::vector<double>{0}));
        EXPECT_EQ(vars(stmtslot(r, slot::head::CLASS)), (std::vector<int32_t>{V_LOT}));
    }
    {
        Parsed p("proc vitalyx data=fans; mplot (interval=lo hi recurrences=nrec censored=nrem);");
        ASSERT_EQ(p.rc, 0) << p.errors();
        const stmtrec* r = p.rec(1);
        EXPECT_EQ(num(r, slot::head::RSPKIND), 2);
        EXPECT_EQ(vars(stmtslot(r, slot::head::RESP1)), (std::vector<int32_t>{V_LO}));
        EXPECT_EQ(vars(stmtslot(r, slot::head::RESP2)), (std::vector<int32_t>{V_HI}));
        EXPECT_EQ(vars(stmtslot(r, slot::head::CENSVALS)), (std::vector<int32_t>{V_NREC}));
        EXPECT_EQ(vars(stmtslot(r, slot::head::MCF_REMOVALS)), (std::vector<int32_t>{V_NREM}));
    }
    {
        Parsed p("proc vitalyx data=fans; mcfplot (endpoints=lo, hi recurrence=nrec censor=nrem) = lot plant;");
        ASSERT_EQ(p.rc, 0) << p.errors();
        EXPECT_EQ(vars(stmtslot(p.rec(1), slot::head::CLASS)), (std::vector<int32_t>{V_LOT, V_PLANT}));
    }
    {
        Parsed p("proc vitalyx data=fans; mcfplot (interval=lo hi recurrences=nrec);");
        EXPECT_EQ(p.rc, 1012) << "all parts of the interval form are needed";
    }
}

TEST(Heads, StatementLabels) {
    Parsed p("proc vitalyx data=fans; first: probplot hours; Lab2 : analyze hours; m: mcfplot hours*nrec; "
             "r: rplot hours=temp;");
    ASSERT_EQ(p.rc, 0) << p.errors();
    EXPECT_EQ(name8(stmtslot(p.rec(1), slot::head::LABEL)), "FIRST   ");
    EXPECT_EQ(name8(stmtslot(p.rec(2), slot::head::LABEL)), "LAB2    ");
    EXPECT_EQ(name8(stmtslot(p.rec(3), slot::head::LABEL)), "M       ");
    EXPECT_EQ(name8(stmtslot(p.rec(4), slot::head::LABEL)), "R       ");
    Parsed q("proc vitalyx data=fans; m1: model hours = temp;");
    EXPECT_EQ(q.rc, 1012) << "MODEL takes no label";
    Parsed l("proc vitalyx data=fans; toolonglabel: probplot hours;");
    EXPECT_EQ(l.rc, 1012);
    EXPECT_NE(l.errors().find("8 characters"), std::string::npos) << l.errors();
}

TEST(Heads, ClassVariablesAfterEqualsAtMostTwo) {
    Parsed p("proc vitalyx data=fans; probplot hours = lot plant unit;");
    EXPECT_EQ(p.rc, 1012);
    EXPECT_NE(p.errors().find("PROBPLOT"), std::string::npos) << p.errors();
    EXPECT_NE(p.errors().find("at most 2"), std::string::npos) << p.errors();
}

TEST(Heads, InsetItemsCodesAndLabels) {
    Parsed p("proc vitalyx data=fans; probplot hours; inset n nfail='Failures' weibull(scale shape='Beta') "
             "confidence / position=ne header='Fit';");
    ASSERT_EQ(p.rc, 0) << p.errors();
    const stmtrec* r = p.rec(2);
    EXPECT_EQ(numbers(stmtslot(r, slot::inset::ITEMS)),
              (std::vector<double>{13, 0, 100, 54, 2, 3, 100, 54, 2, 300}));
    EXPECT_EQ(strings(stmtslot(r, slot::inset::LABELS)), (std::vector<std::string>{"Failures", "Beta"}));
    EXPECT_EQ(name8(stmtslot(r, slot::inset::POSITION)), "NE      ");
    EXPECT_EQ(text(stmtslot(r, slot::inset::HEADER)), "Fit");
    Parsed q("proc vitalyx data=fans; probplot hours; inset n='abcdefghijklmnopqrstuvwxy';");
    EXPECT_EQ(q.rc, 1012) << "a label of 25 characters";
    EXPECT_NE(q.errors().find("24"), std::string::npos) << q.errors();
    Parsed w("proc vitalyx data=fans; probplot hours; inset normal(shape);");
    EXPECT_EQ(w.rc, 1012) << "NORMAL has no shape item";
}

TEST(Heads, FmodeRecord) {
    Parsed p("proc vitalyx data=fans; fmodes combine mode = ('bearing' 'seal') / plotmodes legend=none parm;");
    ASSERT_EQ(p.rc, 0) << p.errors();
    const stmtrec* r = p.rec(1);
    EXPECT_EQ(keyword(r), "FMODES");
    EXPECT_TRUE(stmtflag(r, flag::fmode::COMBINE));
    EXPECT_FALSE(stmtflag(r, flag::fmode::ELIMINATE));
    EXPECT_FALSE(stmtflag(r, flag::fmode::KEEP));
    EXPECT_EQ(vars(stmtslot(r, slot::fmode::VAR)), (std::vector<int32_t>{V_MODE}));
    EXPECT_EQ(strings(stmtslot(r, slot::fmode::VALUES)), (std::vector<std::string>{"bearing", "seal"}));
    EXPECT_TRUE(stmtflag(r, flag::fmode::PLOTMODES));
    EXPECT_TRUE(stmtflag(r, flag::fmode::NOLEGEND));
    EXPECT_TRUE(stmtflag(r, flag::fmode::PARM));
    EXPECT_EQ(stmtslot(r, slot::fmode::LEGEND), nullptr) << "LEGEND=NONE stores no name";
    Parsed q("proc vitalyx data=fans; fmode keep mode=('seal') / parms covs;");
    ASSERT_EQ(q.rc, 0) << q.errors();
    EXPECT_TRUE(stmtflag(q.rec(1), flag::fmode::KEEP));
    EXPECT_FALSE(stmtflag(q.rec(1), flag::fmode::PARM));
    EXPECT_FALSE(stmtflag(q.rec(1), flag::fmode::COV));
}

TEST(Heads, MakeRecords) {
    Parsed p("proc vitalyx data=fans; make 'ParameterEstimates' out=work.pe noprint; make ModObstats out=obs;");
    ASSERT_EQ(p.rc, 0) << p.errors();
    const stmtrec* a = p.rec(1);
    EXPECT_EQ(text(stmtslot(a, slot::make::TABLE)), "ParameterEstimates");
    const dsspec* d = static_cast<const dsspec*>(stmtslot(a, slot::make::OUT)->handle);
    EXPECT_STREQ(d->lib, "WORK");
    EXPECT_STREQ(d->mem, "PE");
    EXPECT_TRUE(stmtflag(a, flag::make::NOPRINT));
    const stmtrec* b = p.rec(2);
    EXPECT_EQ(text(stmtslot(b, slot::make::TABLE)), "MODOBSTATS");
    EXPECT_FALSE(stmtflag(b, flag::make::NOPRINT));
}
