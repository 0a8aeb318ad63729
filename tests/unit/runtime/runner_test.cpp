#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/args.h"
#include "tests/support/files.h"
#include "tests/unit/output/htmlcheck.h"
#include "runtime/runner/splitter.h"
#include "../../support/testhost.h"

using rt::runner::split;

TEST(Splitter, StatementsWithCommentsQuotesAndPositions) {
    std::string err;
    std::string t = "/* head */ proc vitalyx data=a;\n  * a comment; with words;\n  title 'x;y' \"q;\";\n run;";
    auto s = split(t, err);
    ASSERT_TRUE(err.empty()) << err;
    // "* a comment;" is a comment statement; " with words;" after it is a statement.
    ASSERT_EQ(s.size(), 4u);
    EXPECT_EQ(s[0].word, "PROC");
    EXPECT_EQ(s[0].line, 1);
    EXPECT_EQ(s[0].column, 12);
    EXPECT_EQ(s[1].word, "WITH");
    EXPECT_EQ(s[2].word, "TITLE");
    EXPECT_EQ(t.substr(s[2].begin, s[2].end - s[2].begin), "title 'x;y' \"q;\";");
    EXPECT_EQ(s[3].word, "RUN");
    EXPECT_EQ(s[3].line, 4);
    auto w = rt::runner::words(t, s[0]);
    ASSERT_EQ(w.size(), 5u);
    EXPECT_EQ(w[2], "DATA");
    EXPECT_EQ(w[3], "=");
}

TEST(Splitter, UnclosedStringsAndCommentsNameTheirLine) {
    std::string err;
    split("proc vitalyx;\n title 'abc;\nrun;", err);
    EXPECT_NE(err.find("Line 2"), std::string::npos) << err;
    err.clear();
    split("proc vitalyx;\n\n /* never closed", err);
    EXPECT_NE(err.find("Line 3"), std::string::npos) << err;
    err.clear();
    auto s = split("proc vitalyx", err);
    ASSERT_EQ(s.size(), 1u);
    EXPECT_FALSE(s[0].terminated);
}

TEST(Arguments, DefaultsAndUsageErrors) {
    auto parse = [](std::vector<std::string> v, cli::Args& a, std::string& err) {
        std::vector<char*> argv;
        static std::string name = "vitalyx";
        argv.push_back(name.data());
        for (auto& s : v) argv.push_back(s.data());
        return cli::parse(static_cast<int>(argv.size()), argv.data(), a, err);
    };
    cli::Args a;
    std::string err;
    ASSERT_TRUE(parse({"dir/prog.vx"}, a, err)) << err;
    EXPECT_EQ(a.datadir, "dir");
    EXPECT_EQ(a.outdir, "dir/vitalyx-out");
    cli::Args b;
    ASSERT_TRUE(parse({"--lib", "mylib=/tmp/x", "--option=cpucount=2", "--out=o", "p.vx"}, b, err)) << err;
    EXPECT_EQ(b.libs["MYLIB"], "/tmp/x");
    EXPECT_EQ(b.options["CPUCOUNT"], "2");
    EXPECT_EQ(b.outdir, "o");
    EXPECT_EQ(b.datadir, ".");
    cli::Args c;
    EXPECT_FALSE(parse({"--frobnicate", "p.vx"}, c, err));
    EXPECT_NE(err.find("--frobnicate"), std::string::npos);
    cli::Args d;
    EXPECT_FALSE(parse({}, d, err));
    cli::Args e;
    EXPECT_FALSE(parse({"--graphics", "pretty", "p.vx"}, e, err));
    cli::Args f;
    EXPECT_FALSE(parse({"--lib", "nodir", "p.vx"}, f, err));
    cli::Args g;
    EXPECT_FALSE(parse({"a.vx", "b.vx"}, g, err));
    cli::Args h;
    EXPECT_FALSE(parse({"p.vx", "--data"}, h, err));
}

TEST(Runner, UnknownProceduresAndHostStatementsAreErrorsNamingLineAndWord) {
    auto r = testhost::runprogram("data x;\nproc means data=a;\n var y;\nrun;\n", ".");
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.log.has('E', "Line 1: 'DATA'")) << r.log.all();
    EXPECT_TRUE(r.log.has('E', "Line 2: the procedure 'MEANS'")) << r.log.all();
    // The program is echoed with line numbers.
    EXPECT_TRUE(r.log.has(' ', "    2  proc means data=a;")) << r.log.all();
}

TEST(Runner, HostOptionsAreCheckedAndApplied) {
    auto r = testhost::runprogram("options nothreads cpucount=0;\noptions frob;\n", ".");
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.log.has('E', "CPUCOUNT= needs a whole number")) << r.log.all();
    EXPECT_TRUE(r.log.has('E', "FROB")) << r.log.all();
    auto ok = testhost::runprogram("options threads cpucount=4 linesize=120 debug=syn;\n", ".");
    EXPECT_EQ(ok.status, 0) << ok.log.all();
}

TEST(Runner, EveryProgramLineIsEchoedOnceInOrder) {
    const std::string program =
        "/* fan life data */\n* a comment statement;\n\noptions nothreads;\n/* between */\nproc means;\nrun;\n"
        "* trailing;\n";
    auto r = testhost::runprogram(program, ".");
    std::vector<std::string> echoed;
    for (const auto& l : r.log.lines)
        if (l.kind == ' ') echoed.push_back(l.text);
    ASSERT_EQ(echoed.size(), 8u) << r.log.all();
    EXPECT_EQ(echoed[0], "    1  /* fan life data */");
    EXPECT_EQ(echoed[1], "    2  * a comment statement;");
    EXPECT_EQ(echoed[2], "    3  ");
    EXPECT_EQ(echoed[4], "    5  /* between */");
    EXPECT_EQ(echoed[7], "    8  * trailing;");
}

namespace {
std::string report(const std::string& out) { return testsupport::readfile(out + "/report.html"); }
}  // namespace

TEST(Runner, TheReportShowsEveryStepWithItsBygroupsAndMessages) {
    const std::string out = testsupport::tempdir("report");
    // a host-statement error, a step that stops at its statements and one without tables
    auto r = testhost::runprogram("options frob;\nproc vitalyx data=life;\n probplot hours / nosuch;\nrun;\n"
                                  "proc vitalyx data=life;\n by plant;\nrun;\n",
                                  VITALYX_TEST_DATA "/framework", out);
    EXPECT_EQ(r.status, 1);
    ASSERT_EQ(r.outputs, "");
    const std::string h = report(out);
    EXPECT_EQ(outtest::checkhtml(h), "");
    const size_t frob = h.find("<p class=\"log error\">ERROR: Line 1: OPTIONS does not know the system option FROB");
    const size_t step1 = h.find("<p class=\"source\">Line 2: proc vitalyx data=life;</p>");
    const size_t nosuch = h.find("<p class=\"log error\">ERROR: Line 3, column 19: PROBPLOT statement: NOSUCH");
    const size_t step2 = h.find("<p class=\"source\">Line 5: proc vitalyx data=life;</p>");
    const size_t by = h.find("<p class=\"byline\">plant=");
    EXPECT_TRUE(frob < step1 && step1 < nosuch && nosuch < step2 && step2 < by && by != std::string::npos) << h;

    // a program without steps or messages still says so
    auto e = testhost::runprogram("/* nothing to run */\n", VITALYX_TEST_DATA "/framework", out);
    EXPECT_EQ(e.status, 0);
    ASSERT_EQ(e.outputs, "");
    EXPECT_NE(report(out).find("The program ran no step"), std::string::npos) << report(out);
    std::filesystem::remove_all(out);
}
