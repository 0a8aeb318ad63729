// Limits at confidence levels up to 0.9999999999999999: the upper-tail quantile is taken
// from alpha / 2 itself (1 - alpha / 2 rounds from about 1 - 1e-16 on, and 0.9999999999999999
// gave narrower limits than 0.999999999999999), so every limit widens as the level rises:
// parameters, percentiles, the product-limit estimate, MODEL and the MCF (the Poisson and
// binomial limits: the program trust_confidence_levels). The titles print the level given,
// not "100%".
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/files.h"
#include "tests/support/testhost.h"
#include "tests/unit/mcf/mcfrun.h"

TEST(ConfidenceLevels, LimitsWidenUpToTheLastLevelBelowOne) {
    const std::string dir = testsupport::tempdir("conflevels");
    std::filesystem::copy_file(std::string(VITALYX_SOURCE_DIR) + "/examples/fans.csv", dir + "/fans.csv");
    std::ofstream(dir + "/units.csv") << "unit,age,n\na,2,1\na,4,1\na,9,-1\nb,3,1\nb,7,-1\nc,5,1\nc,6,1\nc,8,-1\nd,1,1\nd,10,-1\n";
    const char* const levels[] = {"0.9", "0.99", "0.999999", "0.99999999999", "0.999999999999999", "0.9999999999999998",
                                  "0.9999999999999999"};
    const char* const tables[] = {"parm", "pct", "prob", "mod", "mcf"};
    std::vector<std::vector<mcftest::Table>> got;   // by level, by table
    for (const char* level : levels) {
        const std::string c = level, out = dir + "/out" + std::to_string(got.size());
        const testhost::Run r = testhost::runprogram(
            "proc vitalyx data=fans;\n freq count;\n distribution weibull;\n"
            " make 'ParmEst' out=parm; make 'PctEst' out=pct; make 'ProbabilityEstimates' out=prob;\n"
            " analyze hours*status(0) / conf=" + c + " pctlist=10 50 ppout;\nrun;\n"
            "proc vitalyx data=fans;\n freq count;\n class type;\n distribution lognormal;\n make 'Modprmest' out=mod;\n"
            " model hours*status(0) = type / conf=" + c + ";\nrun;\n"
            "proc vitalyx data=units;\n unitid unit;\n make 'MCFEst' out=mcf;\n mcfplot age*n(-1) / conf=" + c + ";\nrun;\n",
            dir, out);
        ASSERT_EQ(r.status, 0) << level << ": " << (r.log.of('E').empty() ? r.outputs : r.log.of('E').front());
        got.emplace_back();
        for (const char* t : tables) {
            got.back().push_back(mcftest::readcsv(out + "/" + t + ".csv"));
            ASSERT_FALSE(got.back().back().rows.empty()) << t << " at " << level;
        }
    }
    for (size_t t = 0; t < std::size(tables); ++t) {
        for (size_t k = 1; k < got.size(); ++k) {
            const mcftest::Table &a = got[k - 1][t], &b = got[k][t];
            ASSERT_EQ(a.rows.size(), b.rows.size());
            for (size_t i = 0; i < a.rows.size(); ++i) {
                const double lo0 = a.num(i, "Lower"), lo1 = b.num(i, "Lower"), up0 = a.num(i, "Upper"), up1 = b.num(i, "Upper");
                if (std::isnan(lo0) && std::isnan(up0)) continue;   // a row without limits (an MCF end record)
                EXPECT_LE(lo1, lo0) << tables[t] << " row " << i << " from " << levels[k - 1] << " to " << levels[k];
                EXPECT_GE(up1, up0) << tables[t] << " row " << i << " from " << levels[k - 1] << " to " << levels[k];
            }
        }
    }
    const std::string last = testsupport::readfile(dir + "/out6/listing.txt");
    EXPECT_NE(last.find("99.99999999999999% Confidence Limits"), std::string::npos);
    EXPECT_EQ(last.find("100% Confidence Limits"), std::string::npos);
    EXPECT_NE(testsupport::readfile(dir + "/out0/listing.txt").find("90% Confidence Limits"), std::string::npos);
    std::filesystem::remove_all(dir);
}
