// Values of the OPTIONS statement are taken whole: a number with a fraction is refused as
// itself, and a quoted DEBUG= text reaches the procedure.
#include <gtest/gtest.h>

#include <filesystem>
#include "../../support/files.h"
#include "../../support/testhost.h"

namespace {
std::string outdir() { return testsupport::tempdir("opts"); }
}  // namespace

TEST(OptionsStatement, ValuesAreTakenWhole) {
    const std::string out = outdir();
    auto r = testhost::runprogram("options cpucount=4.5 linesize=-80;\n", out, out);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.log.has('E', "CPUCOUNT= needs a whole number from 1 to 1024, not '4.5'")) << r.log.all();
    EXPECT_TRUE(r.log.has('E', "LINESIZE= needs a whole number from 64 to 256, not '-80'")) << r.log.all();
    EXPECT_EQ(r.log.count('E'), 2) << r.log.all();
    std::filesystem::remove_all(out);
}

TEST(OptionsStatement, QuotedDebugTextReachesTheProcedure) {
    const std::string out = outdir();
    auto r = testhost::runprogram("options debug='syn sem';\nproc vitalyx data=life;\n analyze hours;\nrun;\n",
                                  VITALYX_TEST_DATA "/framework", out);
    EXPECT_EQ(r.status, 0) << r.log.all();
    EXPECT_TRUE(r.log.has('N', "Syntax trace")) << r.log.all();
    EXPECT_TRUE(r.log.has('N', "Semantic trace")) << r.log.all();
    std::filesystem::remove_all(out);
}

TEST(OptionsStatement, FlagsWordsAndNamesOfTheOptionTable) {
    rt::Session s;
    testsupport::CollectLog log;
    s.log = &log;
    s.outdir = outdir();
    rt::runner::Config cfg;
    cfg.linked = mcn_main;
    int status = rt::runner::run(
        "options nothreads gstyle style=journal linesize=72 graphics=statistical;\noptions nogstyle;\n"
        "options threads=maybe;\noptions nosuch=1;\n",
        s, cfg);
    EXPECT_EQ(status, 1);
    EXPECT_FALSE(s.opts.threads);
    EXPECT_FALSE(s.opts.gstyle);
    EXPECT_EQ(s.opts.style, "JOURNAL");
    EXPECT_EQ(s.opts.linesize, 72);
    EXPECT_TRUE(s.opts.statistical);
    EXPECT_TRUE(log.has('E', "THREADS= takes YES or NO (1 or 0), not 'MAYBE'")) << log.all();
    EXPECT_TRUE(log.has('E', "does not know the system option NOSUCH")) << log.all();
    EXPECT_EQ(log.count('E'), 2) << log.all();
    std::filesystem::remove_all(s.outdir);
}
