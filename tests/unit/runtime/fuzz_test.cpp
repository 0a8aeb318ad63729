// A bounded fuzz run: programs generated from the procedure's grammar tables (so a statement
// or option added to the grammar is exercised without further work), with values that are
// plausible, extreme or broken, against generated CSV files with awkward contents, and random
// command lines. Every run must end with a status that agrees with its log, log lines that are
// the system's own (no line end, bounded length), a well-formed report and no temporary file
// left behind. VITALYX_FUZZ_RUNS and VITALYX_FUZZ_SEED make longer or other runs.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cli/args.h"
#include "cli/progfile.h"
#include "tests/support/files.h"
#include "tests/unit/runtime/fuzzgen.h"
#include "tests/unit/output/htmlcheck.h"
#include "../../support/testhost.h"

namespace {

namespace fs = std::filesystem;
using fuzz::Gen;

long envnumber(const char* name, long fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::strtol(v, nullptr, 10) : fallback;
}

std::string readfile(const fs::path& p) { return testsupport::readfile(p.string()); }

}  // namespace

TEST(Fuzz, GeneratedProgramsAndDataEndCleanly) {
    const long runs = envnumber("VITALYX_FUZZ_RUNS", 150);
    const uint64_t seed = static_cast<uint64_t>(envnumber("VITALYX_FUZZ_SEED", 20240611));
    const fs::path root = testsupport::tempdir("fuzz");
    Gen g(seed);
    long clean = 0;   // runs without an ERROR: the generator must not only make broken programs
    for (long run = 0; run < runs; ++run) {
        const fs::path dir = root / std::to_string(run);
        fs::create_directories(dir / "out");
        std::vector<std::string> vars;
        g.tame = g.chance(40);
        std::ofstream(dir / "d.csv", std::ios::binary) << g.csv(vars);
        const std::string program = g.program(vars);
        const auto t0 = std::chrono::steady_clock::now();
        auto r = testhost::runprogram(program, dir.string(), (dir / "out").string());
        const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        const std::string what = "run " + std::to_string(run) + " (seed " + std::to_string(seed) + ") of\n" + program;

        EXPECT_LT(took, 30.0) << what;
        EXPECT_TRUE(r.status == 0 || r.status == 1) << what;
        const bool anyerror = r.log.count('E') > 0;
        clean += anyerror ? 0 : 1;
        EXPECT_EQ(r.status == 1, anyerror || r.log.has('N', "ended with return code")) << what << r.log.all();
        for (const auto& l : r.log.lines) {
            EXPECT_EQ(l.text.find('\n'), std::string::npos) << what;
            EXPECT_EQ(l.text.find('\r'), std::string::npos) << what;
            EXPECT_LT(l.text.size(), 2100u) << what;
        }
        EXPECT_EQ(r.outputs, "") << what;
        EXPECT_EQ(outtest::checkhtml(readfile(dir / "out" / "report.html")), "") << what;
        for (const auto& e : fs::recursive_directory_iterator(dir / "out")) {
            const std::string n = e.path().filename().string();
            EXPECT_TRUE(n.find(".tmp-") == std::string::npos && n.find(".part") == std::string::npos)
                << "left " << n << " after " << what;
        }
        if (::testing::Test::HasFailure()) break;   // one program to look at is enough
        fs::remove_all(dir);
    }
    fs::remove_all(root);
    std::cout << "[ note ] " << runs << " programs, " << clean << " without an error\n";
    EXPECT_GT(clean * 20, runs) << "fewer than one program in twenty runs without an error";
}

TEST(Fuzz, GeneratedCommandLinesAreParsedOrRefused) {
    Gen g(static_cast<uint64_t>(envnumber("VITALYX_FUZZ_SEED", 20240611)));
    const std::vector<std::string> words = {"--data", "--out", "--lib", "--graphics", "--option", "-h", "--frob", "p.vx",
                                            "q.vx", "x=y", "=", "LINESIZE=40", "linesize=100", "THREADS=maybe",
                                            "GRAPHICS=statistical", "device", "nolib=", "--option=CPUCOUNT=3", ""};
    for (int run = 0; run < 2000; ++run) {
        std::vector<std::string> args = {"vitalyx"};
        for (int i = 0, n = g.below(6); i < n; ++i) args.push_back(g.pick(words));
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        cli::Args a;
        std::string err;
        rt::Options o;
        if (cli::parse(static_cast<int>(argv.size()), argv.data(), a, err)) {
            if (!cli::applyoptions(a.options, o, err)) {
                EXPECT_FALSE(err.empty());
            }
        } else {
            EXPECT_FALSE(err.empty());
        }
    }
}
