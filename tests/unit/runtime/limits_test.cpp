// Numbers that do not fit: options that size memory or loops are read within a stated limit
// (a warning names the statement, the option and the limit: 510/1900, 510/1901, 510/1902), no
// value too large for an int is converted to one, and a count from data too large for a
// whole number is printed as a number. The runs are of this sanitizer build, which stops at
// a conversion out of range.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "runtime/supervisor/messages.h"
#include "tests/support/files.h"
#include "../../support/testhost.h"

namespace {

namespace fs = std::filesystem;

// Four failures and a censored value, three stresses, two classes and recurrence records.
const char* const kData =
    "hours,status,temp,lot,unit,age,n,freq,mode\n"
    "120,1,40,A,u1,5,1,1,wear\n"
    "340,1,40,B,u1,9,-1,2,crack\n"
    "560,1,50,A,u2,3,1,1,wear\n"
    "780,0,50,B,u2,8,-1,1,\n"
    "900,1,60,A,u3,4,-1,1e300,crack\n";

struct LimitRun {
    int status = 0;
    testsupport::CollectLog log;
    double seconds = 0;
    std::string report;
};

LimitRun run(const std::string& program) {
    const std::string dir = testsupport::tempdir("limits");
    std::ofstream(dir + "/d.csv") << kData;
    const auto t0 = std::chrono::steady_clock::now();
    ::testing::internal::CaptureStdout();
    auto r = testhost::runprogram(program, dir, dir + "/out");
    ::testing::internal::GetCapturedStdout();
    LimitRun out;
    out.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    out.status = r.status;
    out.log = r.log;
    out.report = testsupport::readfile(dir + "/out/report.html");
    fs::remove_all(dir);
    return out;
}

// Whether the log holds message n of catalog 510 with these values, of this kind (after the
// statement and line that a run-time message names first).
template <class... A>
bool logged(const LimitRun& r, char kind, int n, A... a) {
    const msgarg args[] = {msgarg(a)...};
    const std::string want = rt::msg::text(510, n, static_cast<int>(sizeof...(A)), args);
    for (const auto& l : r.log.lines)
        if (l.kind == kind && l.text.size() >= want.size() && l.text.compare(l.text.size() - want.size(), want.size(), want) == 0)
            return true;
    return false;
}

std::string step(const std::string& statements, const std::string& dist = "normal") {
    return "proc vitalyx data=d;\n  unitid unit;\n  distribution " + dist + ";\n" + statements + "run;\n";
}

}  // namespace

// Tick counts at most 1,000 and NPOINTS at most 100,000: a run of four rows ends at once.
TEST(Limits, CountOptionsTakeTheirLimitWithAWarning) {
    LimitRun r = run(step("  probplot hours*status(0) / ntick=1e9;\n"));
    EXPECT_EQ(r.status, 0) << r.log.all();
    EXPECT_TRUE(logged(r, 'W', 1900, "PROBPLOT", "NTICK", 1e9, 1000)) << r.log.all();
    EXPECT_LT(r.seconds, 10.0);

    r = run(step("  relationplot hours*status(0) = temp / ntick=1e6 nstresstick=1e6;\n"));
    EXPECT_EQ(r.status, 0) << r.log.all();
    EXPECT_TRUE(logged(r, 'W', 1900, "RELATIONPLOT", "NTICK", 1e6, 1000)) << r.log.all();
    EXPECT_TRUE(logged(r, 'W', 1900, "RELATIONPLOT", "NSTRESSTICK", 1e6, 1000)) << r.log.all();
    EXPECT_LT(r.seconds, 10.0);

    r = run("proc vitalyx data=d;\n  distribution weibull;\n  fmode combine mode=('wear' 'crack');\n"
            "  probplot hours*status(0) / npoints=1e8;\nrun;\n");
    EXPECT_EQ(r.status, 0) << r.log.all();
    EXPECT_TRUE(logged(r, 'W', 1900, "PROBPLOT", "NPOINTS", 1e8, 100000)) << r.log.all();

    r = run(step("  mcfplot age*n(-1) / nhtick=1e9 nvtick=2e9;\n"));
    EXPECT_EQ(r.status, 0) << r.log.all();
    EXPECT_TRUE(logged(r, 'W', 1900, "MCFPLOT", "NHTICK", 1e9, 1000)) << r.log.all();
    EXPECT_TRUE(logged(r, 'W', 1900, "MCFPLOT", "NVTICK", 2e9, 1000)) << r.log.all();

    // An axis list of more values than ticks may be: its ends with 1,000 intervals between.
    r = run(step("  probplot hours*status(0) / laxis=0 to 5000 by 1;\n  mcfplot age*n(-1) / haxis=0 to 2000 by 1;\n"));
    EXPECT_EQ(r.status, 0) << r.log.all();
    EXPECT_TRUE(logged(r, 'W', 1902, "PROBPLOT", "LAXIS", 5000, 1000)) << r.log.all();
    EXPECT_TRUE(logged(r, 'W', 1902, "MCFPLOT", "HAXIS", 2000, 1000)) << r.log.all();

    // A count below 1 has no axis to give: the default.
    r = run(step("  probplot hours*status(0) / ntick=-3;\n"));
    EXPECT_EQ(r.status, 0) << r.log.all();
    EXPECT_TRUE(logged(r, 'W', 1901, "PROBPLOT", "NTICK", -3.0, 1, 4)) << r.log.all();
}

// MAXIT and MAXITEM take any whole number an int holds; beyond that, the largest int, on every
// statement that reads them. MAXITEM=2000000 with TOLLIKE=0 runs the Turnbull estimate that far.
TEST(Limits, IterationLimitsBeyondTheRangeOfAnInt) {
    constexpr int kMost = 2147483647;
    LimitRun r = run(step("  analyze hours*status(0) / maxit=3e9;\n  probplot hours*status(0) / maxit=1e300;\n"
                     "  relationplot hours*status(0) = temp / maxit=2147483648;\n", "weibull"));
    EXPECT_EQ(r.status, 0) << r.log.all();
    EXPECT_TRUE(logged(r, 'W', 1900, "ANALYZE", "MAXIT", 3e9, kMost)) << r.log.all();
    EXPECT_TRUE(logged(r, 'W', 1900, "PROBPLOT", "MAXIT", 1e300, kMost)) << r.log.all();
    EXPECT_TRUE(logged(r, 'W', 1900, "RELATIONPLOT", "MAXIT", 2147483648.0, kMost)) << r.log.all();

    r = run(step("  model hours*status(0) = temp / maxit=1e300;\n", "weibull"));
    EXPECT_EQ(r.status, 0) << r.log.all();
    EXPECT_TRUE(logged(r, 'W', 1900, "MODEL", "MAXIT", 1e300, kMost)) << r.log.all();

    r = run("proc vitalyx data=d;\n  analyze (hours temp) / maxitem=3e9 1e300;\nrun;\n");
    EXPECT_TRUE(logged(r, 'W', 1900, "ANALYZE", "MAXITEM", 3e9, kMost)) << r.log.all();
    EXPECT_TRUE(logged(r, 'W', 1900, "ANALYZE", "MAXITEM", 1e300, kMost)) << r.log.all();

    r = run(step("  analyze (temp hours) / maxit=20000 maxitem=2000000 tollike=0;\n  probplot hours*status(0) / maxit=20000;\n"
                 "  model hours*status(0) = temp / maxit=20000;\n", "weibull"));
    EXPECT_EQ(r.status, 0) << r.log.all();
    EXPECT_FALSE(r.log.has("is larger than the limit")) << r.log.all();
    EXPECT_TRUE(logged(r, 'W', 542, 1999999)) << r.log.all();
}

// Panel counts and line widths beyond their limits: the limit. A thousand rows of panels do
// not fit a page, which the layout then says.
TEST(Limits, PanelCountsAndLineWidths) {
    LimitRun r = run(step("  probplot hours*status(0) = lot / nrows=1e300;\n"));
    EXPECT_TRUE(logged(r, 'W', 1900, "PROBPLOT", "NROWS", 1e300, 1000)) << r.log.all();
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(logged(r, 'E', 34)) << r.log.all();

    r = run(step("  mcfplot age*n(-1) = lot / ncols=3e9;\n"));
    EXPECT_TRUE(logged(r, 'W', 1900, "MCFPLOT", "NCOLS", 3e9, 1000)) << r.log.all();

    r = run(step("  probplot hours*status(0) / waxis=1e300 wfit=1e300;\n  mcfplot age*n(-1) / waxis=-1e300;\n"));
    EXPECT_EQ(r.status, 0) << r.log.all();
    EXPECT_TRUE(logged(r, 'W', 1900, "PROBPLOT", "WAXIS", 1e300, 100)) << r.log.all();
    EXPECT_TRUE(logged(r, 'W', 1900, "PROBPLOT", "WFIT", 1e300, 100)) << r.log.all();
    EXPECT_EQ(r.log.count('W'), 2) << r.log.all();
}
