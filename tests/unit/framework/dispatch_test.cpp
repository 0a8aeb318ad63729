// The main routine's walk: BY groups, statement order, MODEL first, the analysis
// index, and the step-level checks of the initialisation. The analyses are replaced
// here by recorders.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "proc/main/analyses.h"
#include "proc/framework/hostsvc.h"
#include "proc/vyxstate.h"
#include "../../support/files.h"
#include "../../support/testhost.h"

namespace {

struct Call {
    std::string what;
    uint32_t idx;
    std::string by;
    int line;
};
std::vector<Call> calls;
int pprmresult = 0;
std::function<void(vyxstate*)> onanalyze;   // a test's look at the state when ANALYZE runs

int record(vyxstate* s, const char* what) {
    char by[256] = "";
    if (s->input.dsin) hostvec<vec203>(VEC_DATASETS)->xbyline(s->input.dsin, by, sizeof by);
    calls.push_back({what, s->inwork.stmtidx, by, s->inwork.curstmt ? s->inwork.curstmt->line : 0});
    return 0;
}

std::string trace() {
    std::string t;
    for (const auto& c : calls) t += c.what + "#" + std::to_string(c.idx) + (c.by.empty() ? "" : "@" + c.by) + " ";
    return t;
}

testhost::Run run(const std::string& program) {
    calls.clear();
    return testhost::runprogram(program, VITALYX_TEST_DATA "/framework");
}

}  // namespace

int vyxanlz(vyxstate* s) {
    if (onanalyze) onanalyze(s);
    return record(s, "A");
}
int vyxpprm(vyxstate* s) {
    record(s, "opts");
    return pprmresult;
}
int vyxpplt(vyxstate* s) { return record(s, "P"); }
int vyxrplot(vyxstate* s) { return record(s, "R"); }
int vyxcf(vyxstate* s) {
    if (onanalyze) onanalyze(s);
    return record(s, "M");
}
int vyxmod(vyxstate* s) { return record(s, "MODEL"); }

TEST(MainRoutine, ModelRunsFirstInEveryGroupAndStatementsInOrder) {
    auto r = run("proc vitalyx data=life;\n by plant;\n probplot hours*status(0);\n analyze hours;\n"
                 " class type;\n model hours = type;\n rplot hours = count;\n mplot hours*status(0);\nrun;\n");
    EXPECT_EQ(r.status, 0) << r.log.all();
    EXPECT_EQ(trace(),
              "MODEL#0@plant=North opts#0@plant=North P#0@plant=North A#1@plant=North R#2@plant=North M#3@plant=North "
              "MODEL#0@plant=South opts#0@plant=South P#0@plant=South A#1@plant=South R#2@plant=South M#3@plant=South "
              "MODEL#0@plant=West opts#0@plant=West P#0@plant=West A#1@plant=West R#2@plant=West M#3@plant=West ");
}

TEST(MainRoutine, KeywordsDispatchByPrefix) {
    auto r = run("proc vitalyx data=life;\n pplot hours;\n probplot hours;\n relationplot hours = count;\n"
                 " rplot hours = count;\n mcfplot hours*status(0);\n mplot hours*status(0);\nrun;\n");
    EXPECT_EQ(r.status, 0) << r.log.all();
    EXPECT_EQ(trace(), "opts#0 P#0 opts#1 P#1 R#2 R#3 M#4 M#5 ");
}

TEST(MainRoutine, ASkippedProbplotStillAdvancesTheIndex) {
    pprmresult = 1;
    auto r = run("proc vitalyx data=life;\n probplot hours;\n analyze hours;\nrun;\n");
    pprmresult = 0;
    EXPECT_EQ(trace(), "opts#0 A#1 ");
}

TEST(MainRoutine, ThreeGroupsTwoAnalyzeStatementsIndexRestartsInEachGroup) {
    auto r = run("proc vitalyx data=life;\n by plant;\n analyze hours;\n analyze hours*status(0);\nrun;\n");
    EXPECT_EQ(trace(), "A#0@plant=North A#1@plant=North A#0@plant=South A#1@plant=South A#0@plant=West A#1@plant=West ");
}

TEST(MainRoutine, TwoModelStatementsWarnAndTheLastRuns) {
    auto r = run("proc vitalyx data=life;\n class type;\n model hours = type;\n model hours*status(0) = type;\nrun;\n");
    ASSERT_EQ(calls.size(), 1u) << trace();
    EXPECT_EQ(calls[0].line, 4);
    EXPECT_TRUE(r.log.has('W', "MODEL")) << r.log.all();
}

TEST(MainRoutine, WithoutDataOnlyTheLastAnalyzeRunsOnce) {
    auto r = run("proc vitalyx;\n distribution binomial;\n analyze / count=3;\n analyze / count=4;\nrun;\n");
    ASSERT_EQ(calls.size(), 1u) << trace() << r.log.all();
    EXPECT_EQ(calls[0].line, 4);
    EXPECT_TRUE(r.log.has('W', "ANALYZE")) << r.log.all();
    auto none = run("proc vitalyx;\n distribution binomial;\nrun;\n");
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(none.status, 0) << none.log.all();
}

TEST(Initialisation, WeibullWithoutDataIsRefusedBinomialAndPoissonPass) {
    auto r = run("proc vitalyx;\n distribution weibull;\n analyze / count=3;\nrun;\n");
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.log.has('E', "DATA=")) << r.log.all();
    auto nodist = run("proc vitalyx;\n analyze / count=3;\nrun;\n");
    EXPECT_EQ(nodist.status, 1);
    auto poisson = run("proc vitalyx;\n dist poisson;\n analyze / count=3;\nrun;\n");
    EXPECT_EQ(poisson.status, 0) << poisson.log.all();
}

TEST(Initialisation, FmodeWithTwoVariablesOrNoValuesIsRefused) {
    auto two = run("proc vitalyx data=life;\n fmode keep mode type = ('fan');\n analyze hours;\nrun;\n");
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(two.status, 1) << two.log.all();
    EXPECT_TRUE(two.log.has('E', "more than one variable")) << two.log.all();
    auto none = run("proc vitalyx data=life;\n fmode keep mode = ();\n analyze hours;\nrun;\n");
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(none.status, 1) << none.log.all();
    EXPECT_TRUE(none.log.has('E', "lists no failure-mode values")) << none.log.all();
    auto one = run("proc vitalyx data=life;\n fmode keep mode = ('fan' 'seal');\n analyze hours;\nrun;\n");
    EXPECT_EQ(calls.size(), 1u);
    EXPECT_EQ(one.status, 0) << one.log.all();
}

TEST(Initialisation, AnEmptyStepRunsNothing) {
    auto r = run("proc vitalyx data=life;\nrun;\n");
    EXPECT_EQ(r.status, 0) << r.log.all();
    EXPECT_TRUE(calls.empty());
}

TEST(Initialisation, UnsortedByGroupsStopTheStep) {
    auto r = run("proc vitalyx data=unsorted;\n by plant;\n analyze hours;\nrun;\n");
    EXPECT_TRUE(calls.empty()) << trace();
    EXPECT_EQ(r.status, 1);
    auto ok = run("proc vitalyx data=unsorted;\n by plant notsorted;\n analyze hours;\nrun;\n");
    EXPECT_EQ(trace(), "A#0@plant=North A#0@plant=South A#0@plant=North ");
}

TEST(Initialisation, SeveralStepsRunInOrder) {
    auto r = run("proc vitalyx data=life;\n analyze hours;\nrun;\nproc vitalyx data=life;\n by plant;\n"
                 " analyze hours;\nquit;\n");
    EXPECT_EQ(r.status, 0) << r.log.all();
    EXPECT_EQ(calls.size(), 4u) << trace();
}

namespace {

// Reads the first observation of the group through the statement's lists.
void readfirst(vyxstate* s) {
    const vec203* d = hostvec<vec203>(VEC_DATASETS);
    ASSERT_EQ(d->xybyget(s->input.dsin), 0);
    if (s->input.stmgets[s->inwork.stmtidx]) d->xyvget(s->input.stmgets[s->inwork.stmtidx], nullptr);
    if (s->input.stmclgets[s->inwork.stmtidx]) d->xyvget(s->input.stmclgets[s->inwork.stmtidx], nullptr);
    if (s->input.procget) d->xyvget(s->input.procget, nullptr);
    if (s->input.fmodeget) d->xyvget(s->input.fmodeget, nullptr);
}

std::string text16(const char* p) { return std::string(p, 16); }

}  // namespace

TEST(VariableLists, ResponseClassFreqAndCharacterUnitid) {
    std::vector<std::string> seen;
    onanalyze = [&](vyxstate* s) {
        readfirst(s);
        const obsvalues& v = s->inwork.obsvals;
        EXPECT_EQ(v.rsp[0], 120);
        EXPECT_EQ(v.rsp[1], 1);
        EXPECT_EQ(v.freq, 2);
        EXPECT_EQ(text16(v.clsfmt[0]), "North           ");
        EXPECT_EQ(text16(v.clsraw[0]), "North           ");
        EXPECT_EQ(text16(v.unitfmt), "u1              ");
        EXPECT_EQ(text16(v.unitraw), "u1              ");
        EXPECT_NE(s->input.unittype, 1);
        EXPECT_EQ(text16(v.fmodefmt), "fan             ");
        seen.push_back("ok");
    };
    auto r = run("proc vitalyx data=units;\n freq count;\n unitid unit;\n fmode keep mode = ('fan');\n"
                 " analyze hours*status(0) = plant;\nrun;\n");
    onanalyze = nullptr;
    EXPECT_EQ(seen.size(), 1u) << r.log.all();
}

TEST(VariableLists, NumericUnitidAndNoProcList) {
    onanalyze = [&](vyxstate* s) {
        readfirst(s);
        EXPECT_EQ(s->inwork.obsvals.unitnum, 101);
        EXPECT_EQ(s->input.unittype, 1);
        EXPECT_EQ(std::string(s->inwork.obsvals.unitfmt, 16), "101             ");
    };
    run("proc vitalyx data=units;\n unitid num;\n analyze hours;\nrun;\n");
    onanalyze = [&](vyxstate* s) { EXPECT_EQ(s->input.procget, nullptr); };
    run("proc vitalyx data=units;\n analyze hours;\nrun;\n");
    onanalyze = nullptr;
}

TEST(VariableLists, IndicesFollowTheAnalysisStatementsInOrder) {
    std::vector<hgetlist*> lists;
    onanalyze = [&](vyxstate* s) {
        if (s->inwork.stmtidx == 2) lists.assign(s->input.stmgets, s->input.stmgets + 3);
    };
    run("proc vitalyx data=units;\n analyze hours;\n fmode keep mode = ('fan');\n probplot hours;\n"
        " analyze hours*status(0);\nrun;\n");
    onanalyze = nullptr;
    ASSERT_EQ(lists.size(), 3u);
    EXPECT_NE(lists[0], lists[1]);
    EXPECT_NE(lists[1], lists[2]);
    EXPECT_NE(lists[0], nullptr);
}

TEST(VariableLists, EachAnalysisStatementReadsItsOwnResponseByIndex) {
    // ANALYZE, FMODE (not an analysis statement), PROBPLOT, ANALYZE: indices 0, 1, 2, each
    // list filling the first response cell with its own statement's variable.
    std::vector<double> got;
    onanalyze = [&](vyxstate* s) {
        if (s->inwork.stmtidx != 2) return;
        const vec203* d = hostvec<vec203>(VEC_DATASETS);
        ASSERT_EQ(d->xybyget(s->input.dsin), 0);
        for (int k = 0; k < 3; ++k) {
            s->inwork.obsvals.rsp[0] = -1;
            d->xyvget(s->input.stmgets[k], nullptr);
            got.push_back(s->inwork.obsvals.rsp[0]);
        }
    };
    auto r = run("proc vitalyx data=units;\n analyze hours;\n fmode keep mode = ('fan');\n probplot hi;\n"
                 " analyze num;\nrun;\n");
    onanalyze = nullptr;
    EXPECT_EQ(r.status, 0) << r.log.all();
    EXPECT_EQ(got, (std::vector<double>{120, 100, 101}));
}

TEST(VariableLists, IntervalMcfplotFetchesFourValues) {
    std::vector<double> got;
    onanalyze = [&](vyxstate* s) {
        readfirst(s);
        got.assign(s->inwork.obsvals.rsp, s->inwork.obsvals.rsp + 4);
    };
    auto r = run("proc vitalyx data=units;\n mplot (interval=lo hi recurrences=ev censored=rem);\nrun;\n");
    onanalyze = nullptr;
    EXPECT_EQ(r.status, 0) << r.log.all();
    EXPECT_EQ(got, (std::vector<double>{0, 100, 1, 0}));
}

TEST(Initialisation, StatisticalGraphicsKeepDeviceGraphicsOff) {
    bool checked = false;
    onanalyze = [&](vyxstate* s) {
        EXPECT_EQ(s->opts.rdxgraph, 1);
        EXPECT_EQ(s->plot.gstarted, 0);
        EXPECT_EQ(s->step.nplots, 1);
        EXPECT_EQ(s->step.nanalysis, 2);
        checked = true;
    };
    calls.clear();
    testhost::Run r;
    rt::Session sess;
    sess.datadir = VITALYX_TEST_DATA "/framework";
    // The report and listing go to a folder of the test's own, never into the tracked data.
    const std::string out = testsupport::tempdir("dispatch");
    sess.outdir = out;
    sess.log = &r.log;
    sess.opts.statistical = true;
    rt::runner::Config cfg;
    cfg.linked = mcn_main;
    r.status = rt::runner::run("proc vitalyx data=units;\n probplot hours;\n analyze hours;\nrun;\n", sess, cfg);
    onanalyze = nullptr;
    EXPECT_TRUE(checked);
    EXPECT_TRUE(r.log.has('N', "Statistical graphics are on")) << r.log.all();
    std::filesystem::remove_all(out);
}

TEST(Initialisation, OnlyAnalyzeStatementsCountNoPlots) {
    onanalyze = [&](vyxstate* s) {
        EXPECT_EQ(s->step.nplots, 0);
        EXPECT_EQ(s->step.nanalysis, 2);
        EXPECT_EQ(s->plot.gstarted, 0);
        EXPECT_EQ(s->work.tblflags[0], 1);   // a statement label is given
        EXPECT_EQ(std::string(s->input.dsname.text, s->input.dsname.len), "WORK.UNITS");
        EXPECT_EQ(s->opts.distcode, 0u);
    };
    run("proc vitalyx data=units;\n analyze hours;\n first: analyze hours;\nrun;\n");
    onanalyze = nullptr;
}

TEST(Initialisation, FmodeKeepWithPlotmodesLeavesThePlotFlagsOff) {
    bool checked = false;
    onanalyze = [&](vyxstate* s) {
        EXPECT_EQ(s->groups.fmodeset.mode, 0);
        EXPECT_EQ(s->groups.fmodeset.plotmodes, 0);
        EXPECT_EQ(s->groups.fmodeset.nvals, 2);
        EXPECT_EQ(std::string(s->groups.fmodeset.vals[1]), "seal");
        EXPECT_EQ(s->groups.fmodeset.lens[1], 4);
        EXPECT_EQ(s->groups.fmodeset.maxlen, 4);
        checked = true;
    };
    run("proc vitalyx data=units;\n fmode keep mode = ('fan' 'seal') / plotmodes;\n analyze hours;\nrun;\n");
    onanalyze = [&](vyxstate* s) {
        EXPECT_EQ(s->groups.fmodeset.mode, 2);
        EXPECT_EQ(s->popt.pflags.fmcombine, 1);
        EXPECT_EQ(s->groups.fmodeset.plotmodes, 1);
        EXPECT_EQ(s->groups.fmodeset.legend, 0);   // NOLEGEND
    };
    run("proc vitalyx data=units;\n fmode combine mode = ('fan') / plotmodes nolegend;\n analyze hours;\nrun;\n");
    onanalyze = nullptr;
    EXPECT_TRUE(checked);
}
