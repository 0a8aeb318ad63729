// Rows on a log scale: an interval from 0 is left-censored on every road (ANALYZE, PROBPLOT,
// MODEL, the Turnbull estimate), and the rows that are skipped for a time at or below 0 are
// counted in one note per BY group, however many statements read them.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/catalogmsg.h"
#include "tests/support/files.h"
#include "tests/unit/regression/programs.h"

using namespace mdlprog;
using testsupport::countmsg;

namespace {

// The breast-cosmesis data by treatment; with zeros the failures before the first inspection
// are intervals from 0 (as R's npsurv writes them), else their lower end is missing.
std::string cosmesis(bool zeros) {
    std::ifstream f(std::string(VITALYX_TEST_DATA) + "/lifedist/cosmesis_groups.csv");
    std::stringstream in;
    in << f.rdbuf();
    std::string out, line;
    while (std::getline(in, line)) out += (zeros && !line.empty() && line[0] == ',' ? "0" : "") + line + "\n";
    return out;
}

class LogScale : public ProgramTest {};

// Weibull fits per treatment agree with survreg's interval2 censoring, where the zeros are
// left-censored (tests/data/inputnotes/cosmesis_zero.R); every road counts them so, and the
// listing of the data written with zeros is the listing of the data with missing lower ends,
// the Turnbull estimate of PROBPLOT included.
TEST_F(LogScale, AnIntervalFromZeroIsLeftCensoredOnEveryRoad) {
    const std::string text =
        "proc vitalyx data=cos;\n by treatment notsorted;\n distribution weibull;\n"
        " make 'ParmEst' out=pe; make 'Modprmest' out=est; make 'Modfitsum' out=fit;\n"
        " analyze (lower upper) / printprobs;\n probplot (lower upper);\n model (lower upper);\nrun;\n";
    writecsv("cos", cosmesis(true));
    run r = program(text, true);
    ASSERT_EQ(r.result.status, 0) << r.result.log.all();
    EXPECT_FALSE(testsupport::hasmsg(r.result.log, 510, 2000)) << r.result.log.all();
    const std::map<std::string, std::pair<double, double>> R = {{"RT", {4.052211523, 0.8925303041}},
                                                                {"RCT", {3.336393747, 0.4926434028}}};
    const table pe = r.get("pe");   // ANALYZE, then PROBPLOT, per BY group
    int seen = 0;
    for (size_t i = 0; i < pe.rows.size(); ++i) {
        const auto& want = R.at(pe.text(i, "treatment"));
        if (pe.text(i, "Parameter") == "EV Location") near(pe.num(i, "Estimate"), want.first, 1e-7, "mu"), ++seen;
        if (pe.text(i, "Parameter") == "EV Scale") near(pe.num(i, "Estimate"), want.second, 1e-6, "sigma"), ++seen;
    }
    EXPECT_EQ(seen, 8);
    const table est = r.get("est");
    for (size_t i = 0; i < est.rows.size(); ++i)
        if (est.text(i, "Parm") == "EV Scale") near(est.num(i, "Estimate"), R.at(est.text(i, "treatment")).second, 1e-6, "MODEL sigma");
    const table fit = r.get("fit");
    std::map<std::string, double> left;
    for (size_t i = 0; i < fit.rows.size(); ++i)
        if (fit.text(i, "Description") == "Left Censored Values") left[fit.text(i, "treatment")] = fit.num(i, "Value");
    EXPECT_EQ(left, (std::map<std::string, double>{{"RT", 3}, {"RCT", 2}}));

    const std::string withzeros = testsupport::readfile(out + "/listing.txt");
    writecsv("cos", cosmesis(false));
    program(text, true);
    EXPECT_EQ(testsupport::readfile(out + "/listing.txt"), withzeros);
}

// RELATIONPLOT reads the rows as ANALYZE does, and its plot of the MODEL's rows
// (FITTYPE=REGRESSION) reads them as the MODEL does: the pictures of the data written with
// zeros are those of the data with missing lower ends.
TEST_F(LogScale, RelationPlotsDrawAnIntervalFromZeroAsLeftCensored) {
    auto withdose = [](const std::string& csv) {
        std::stringstream in(csv);
        std::string out, line;
        for (bool head = true; std::getline(in, line); head = false)
            out += line + (head ? ",dose" : line.find(",RT") != std::string::npos ? ",1" : ",2") + "\n";
        return out;
    };
    const std::string text = "proc vitalyx data=cos;\n distribution weibull;\n model (lower upper) = dose;\n"
                             " relationplot (lower upper) = dose / fittype=regression;\n relationplot (lower upper) = dose;\nrun;\n";
    auto pictures = [&]() {
        std::map<std::string, std::string> files;
        // The PNG pictures (the SVG files number their elements across the runs of a process).
        for (const auto& f : std::filesystem::directory_iterator(out + "/graphics"))
            if (f.path().extension() == ".png") files[f.path().filename().string()] = testsupport::readfile(f.path().string());
        files["listing"] = testsupport::readfile(out + "/listing.txt");
        return files;
    };
    writecsv("cos", withdose(cosmesis(true)));
    run r = program(text, true);
    ASSERT_EQ(r.result.status, 0) << r.result.log.all();
    const auto withzeros = pictures();
    EXPECT_GE(withzeros.size(), 3u);
    writecsv("cos", withdose(cosmesis(false)));
    program(text, true);
    const auto withblanks = pictures();
    for (const auto& [name, text] : withzeros) EXPECT_TRUE(withblanks.count(name) && withblanks.at(name) == text) << name;
}

// A time or an end below 0 (or at 0 where it is not the lower end of an interval) has no
// logarithm: the row is skipped, and one note per BY group counts the rows and names the
// variables, whether one statement or three read them; with THRESHOLD= the note says so. On a
// linear scale nothing is skipped and nothing is said.
TEST_F(LogScale, RowsSkippedAtOrBelowZeroAreCountedOncePerByGroup) {
    writecsv("iv", "g,lo,hi\n1,0,5\n1,-1,8\n1,4,11\n1,6,10\n1,7,16\n1,,9\n1,0,0\n"
                   "2,3,6\n2,5,9\n2,-2,-1\n2,8,12\n2,10,\n2,2,7\n");
    run r = program("proc vitalyx data=iv;\n by g;\n distribution lognormal;\n make 'Nobs' out=nobs;\n"
                    " analyze (lo hi);\n probplot (lo hi);\n model (lo hi);\nrun;\n", true);
    const auto& log = r.result.log;
    EXPECT_EQ(r.result.status, 0) << log.all();
    EXPECT_EQ(countmsg(log, 510, 2000), 2) << log.all();
    EXPECT_TRUE(log.has('N', "2 observation(s) in the BY group g=1 skipped: a value of lo or hi at or below 0")) << log.all();
    EXPECT_TRUE(log.has('N', "1 observation(s) in the BY group g=2 skipped")) << log.all();
    const table nobs = r.get("nobs");   // ANALYZE and PROBPLOT: used = read - skipped
    for (size_t i = 0; i < nobs.rows.size(); ++i)
        EXPECT_EQ(nobs.num(i, "NObsUsed"), 5) << i;

    r = program("proc vitalyx data=iv;\n distribution weibull;\n analyze (lo hi) / threshold=1;\nrun;\n", true);
    EXPECT_EQ(countmsg(r.result.log, 510, 2001), 1) << r.result.log.all();
    EXPECT_TRUE(r.result.log.has('N', "less THRESHOLD=1 is at or below 0")) << r.result.log.all();

    r = program("proc vitalyx data=iv;\n analyze (lo hi);\n model (lo hi);\nrun;\n", true);
    EXPECT_EQ(countmsg(r.result.log, 510, 2000), 0) << r.result.log.all();
}

}  // namespace
