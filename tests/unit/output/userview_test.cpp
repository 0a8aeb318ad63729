// What a user sees of whole programs: MAKE NOPRINT on tables of every kind, times written as
// they were read, titled tables, the report's row cap and class-level notes, and the notes
// that say what a table or a plot stands for.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "htmlcheck.h"
#include "runtime/output/program.h"
#include "tests/support/files.h"
#include "tests/support/testhost.h"

namespace {

namespace fs = std::filesystem;

struct UserView : ::testing::Test {
    fs::path dir;
    void SetUp() override {
        char tmpl[] = "/tmp/vxuser-XXXXXX";
        dir = mkdtemp(tmpl);
    }
    void TearDown() override { fs::remove_all(dir); }
    void data(const std::string& name, const std::string& text) { std::ofstream(dir / (name + ".csv")) << text; }
    testhost::Run run(const std::string& program, const std::string& datadir = "",
                      const std::map<std::string, std::string>& libs = {}) {
        fs::remove_all(dir / "out");
        return testhost::runprogram(program, datadir.empty() ? dir.string() : datadir, (dir / "out").string(), libs);
    }
    std::string file(const std::string& name) const {
        std::ifstream f(dir / "out" / name);
        std::stringstream s;
        s << f.rdbuf();
        return s.str();
    }
    // The fields of column col of a MAKE data set, as written.
    std::vector<std::string> column(const std::string& name, const std::string& col) const {
        std::istringstream in(file(name + ".csv"));
        std::string line;
        std::getline(in, line);
        std::vector<std::string> head = split(line);
        size_t k = 0;
        while (k < head.size() && head[k] != col) ++k;
        EXPECT_LT(k, head.size()) << "no column " << col << " in " << name;
        std::vector<std::string> out;
        while (std::getline(in, line)) {
            std::vector<std::string> f = split(line);
            out.push_back(k < f.size() ? f[k] : std::string());
        }
        return out;
    }
    static std::vector<std::string> split(const std::string& line) {
        std::vector<std::string> out(1);
        for (char c : line) {
            if (c == ',') out.emplace_back();
            else out.back() += c;
        }
        return out;
    }
    static size_t count(const std::string& s, const std::string& what) {
        size_t n = 0;
        for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1)) ++n;
        return n;
    }
};

const std::string kExamples = VITALYX_SOURCE_DIR "/examples";

TEST_F(UserView, NoprintKeepsEveryKindOfTableOutOfTheListingAndTheReport) {
    // A table, an information list and a matrix of ANALYZE; the MCF estimates; MODEL's
    // observation statistics. The estimates of each analysis that are not NOPRINT still print.
    auto r = run("proc vitalyx data=dieselfans;\n distribution weibull;\n"
                 " make 'ParmEst' out=pe noprint;\n make 'vyxinfo' out=info noprint;\n make 'Covmat' out=cov noprint;\n"
                 " analyze hours*status(0) / covb;\nrun;\n"
                 "proc vitalyx data=valveseats;\n unitid engine;\n make 'MCFEst' out=mcf noprint;\n"
                 " mcfplot days*event(0);\nrun;\n"
                 "proc vitalyx data=insulation_use;\n distribution lognormal;\n make 'ModObstats' out=obs noprint;\n"
                 " model hours = temp / relation=arr obstats;\nrun;\n",
                 kExamples);
    ASSERT_EQ(r.status, 0) << r.log.all();
    const std::string listing = file("listing.txt"), report = file("report.html");
    for (const char* gone : {"Parameter Estimates for Weibull", "WORK.DIESELFANS", "EV Location  0.2170529723",
                             "Mean Cumulative Function", "Observation Statistics"}) {
        EXPECT_EQ(listing.find(gone), std::string::npos) << gone;
        EXPECT_EQ(report.find(gone), std::string::npos) << gone;
    }
    EXPECT_NE(listing.find("Percentile Estimates for Weibull"), std::string::npos);
    EXPECT_NE(listing.find("Weibull Scale   150097239.25"), std::string::npos) << "the other covariance matrix";
    EXPECT_NE(listing.find("MCF Summary"), std::string::npos);
    EXPECT_NE(listing.find("Parameter Estimates for Lognormal"), std::string::npos);
    EXPECT_NE(report.find("MCF Summary"), std::string::npos);
    // ... and every one is saved whole.
    EXPECT_EQ(column("pe", "Estimate").size(), 4u);
    EXPECT_EQ(column("info", "Label").front(), "Input Data Set");
    EXPECT_EQ(column("cov", "RowName").size(), 2u);
    EXPECT_EQ(column("mcf", "Age").size(), 89u) << "48 replacements and 41 ends";
    EXPECT_EQ(column("obs", "hours").size(), 41u);
    EXPECT_EQ(outtest::checkhtml(report), "");

    // A hidden table between the class groups of a printed one, and the notes of the groups'
    // fits, leave it one table in the listing and in the report.
    r = run("proc vitalyx data=fans;\n class type;\n analyze hours*status(0) = type;\n"
            " make 'ConvergenceStatus' out=cs noprint;\nrun;\n",
            kExamples);
    ASSERT_EQ(r.status, 0) << r.log.all();
    const std::string l2 = file("listing.txt"), r2 = file("report.html");
    EXPECT_EQ(count(l2, "Fit Summary"), 1u);
    EXPECT_EQ(count(l2, "\n                                 Value  Group\n"), 1u) << "the header is not repeated";
    EXPECT_EQ(count(r2, "Fit Summary"), 1u);
    EXPECT_EQ(r2.find("(continued)"), std::string::npos);
    EXPECT_LT(r2.find("<caption>Fit Summary</caption>"), r2.find("satisfied for type=B"));
    EXPECT_EQ(column("cs", "Status").size(), 2u);
    EXPECT_EQ(outtest::checkhtml(r2), "");
}

TEST_F(UserView, AStepWritesADataSetOnceAndWhole) {
    data("lots", "lot,hours,status\nA,10,1\nA,20,1\nA,30,0\nA,25,1\nB,15,1\nB,35,1\nB,40,0\nB,22,1\n");
    // One data set named twice in a step, in other letters or through a library whose folder
    // is the output folder: an ERROR naming both statements, before anything of the step is
    // written. A MAKE giving OUT= twice takes the last; a table of every BY group goes to one
    // file; a later step replaces a data set whole.
    auto r = run("proc vitalyx data=lots;\n distribution weibull;\n analyze hours*status(0) / ppout;\n"
                 " make 'ProbabilityEstimates' out=a;\n make 'PctEst' out=A;\nrun;\n"
                 "proc vitalyx data=lots;\n analyze hours*status(0);\n make 'PctEst' out=work.b; make 'ParmEst' out=mine.B;\nrun;\n"
                 "proc vitalyx data=lots;\n by lot;\n analyze hours*status(0);\n make 'PctEst' out=c out=a;\nrun;\n"
                 "proc vitalyx data=lots;\n analyze hours*status(0);\n make 'PctEst' out=d;\nrun;\n"
                 "proc vitalyx data=lots;\n analyze hours*status(0);\n make 'ParmEst' out=Work.D;\nrun;\n",
                 "", {{"MINE", (dir / "out" / ".").string()}});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.log.has('E', "Line 5, column 20: MAKE statement: OUT=WORK.A names the data set that the MAKE statement of "
                               "line 4 (table 'ProbabilityEstimates') writes already; one step writes a data set once: give "
                               "table 'PctEst' an OUT= data set of its own"))
        << r.log.all();
    EXPECT_TRUE(r.log.has('E', "Line 9, column 47: MAKE statement: OUT=MINE.B is the file")) << r.log.all();
    EXPECT_TRUE(r.log.has('E', "which the MAKE statement of line 9 (table 'PctEst', OUT=WORK.B) writes already")) << r.log.all();
    EXPECT_EQ(r.log.count('E'), 2);
    EXPECT_EQ(file("listing.txt").find("Probability Estimates"), std::string::npos) << "the first step did not run";
    EXPECT_FALSE(fs::exists(dir / "out" / "b.csv"));
    EXPECT_FALSE(fs::exists(dir / "out" / "c.csv"));
    const std::vector<std::string> lots = column("a", "lot");
    ASSERT_EQ(lots.size(), 36u) << "18 percentiles of each lot under one header";
    EXPECT_EQ(lots.front(), "A");
    EXPECT_EQ(lots.back(), "B");
    EXPECT_EQ(file("d.csv").rfind("Parameter,", 0), 0u) << file("d.csv");
    for (const auto& e : fs::directory_iterator(dir / "out"))
        EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
}

// A MAKE name that matches no table says what the step made, so that the right name can be
// taken from the warning: the tables' names, or that there were none.
TEST_F(UserView, AMakeThatMatchesNothingNamesTheTablesMade) {
    data("lots", "hours,status\n10,1\n20,1\n30,0\n25,1\n");
    data("gone", "hours,status\n.,1\n.,0\n");
    auto r = run("proc vitalyx data=lots;\n distribution weibull;\n make 'Parameter Estimates' out=a;\n analyze hours*status(0);\nrun;\n"
                 "proc vitalyx data=gone;\n distribution weibull;\n make 'ParmEst' out=b;\n analyze hours*status(0);\nrun;\n");
    EXPECT_TRUE(r.log.has('W', "MAKE: no table named Parameter Estimates was produced in this step; the data set WORK.A was not "
                               "made. The step made the tables vyxinfo, NObs, ConvergenceStatus, Datsum, ParmEst, ParmOther and PctEst."))
        << r.log.all();
    EXPECT_TRUE(r.log.has('W', "the data set WORK.B was not made. The step made no table.")) << r.log.all();
}

// Whole numbers print whole wherever they fit, in tables and in messages: FREQ totals of
// 300000 and a prediction for 100000 future units, not 3e+05 and 1e+05.
TEST_F(UserView, WholeNumbersPrintWhole) {
    data("big", "t,status,f\n10,0,100000\n20,0,100000\n30,0,100000\n40,1,100000\n50,1,100000\n60,1,100000\n");
    auto r = run("proc vitalyx data=big;\n freq f;\n distribution weibull;\n analyze t*status(1);\nrun;\n"
                 "proc vitalyx;\n distribution poisson;\n analyze / count=100000 exposure=1 predict(100000);\nrun;\n"
                 "proc vitalyx;\n distribution binomial;\n analyze / count=1 2 predict(100000);\nrun;\n");
    const std::string listing = file("listing.txt");
    for (const char* line : {"Failures                        300000", "Right Censored Values           300000",
                             "Sum of Frequencies Read      600000", "Exposure for Prediction               100000",
                             "Predicted Count                  10000000000"})
        EXPECT_NE(listing.find(line), std::string::npos) << line << "\n" << listing;
    EXPECT_EQ(listing.find("e+05"), std::string::npos) << listing;
    EXPECT_TRUE(r.log.has('W', "The prediction limits for 100000 future trials")) << r.log.all();
    EXPECT_FALSE(r.log.has("e+05")) << r.log.all();
}

TEST_F(UserView, TimesAreWrittenAsTheyWereRead) {
    // Times of up to 15 significant digits, on the ln and the log10 scale and with a threshold:
    // the MAKE data sets give back the CSV fields exactly, for exact, interval and readout rows;
    // enough exact rows that the times are gathered in several blocks, and each estimate row's
    // time is its own (the rows' times ascend).
    std::mt19937_64 rng(27);
    std::set<std::string> times;
    std::string exact = "t,c\n", interval = "lo,hi\n";
    auto text = [&](int digits, int exponent) {
        std::string m = std::to_string(1 + rng() % 9);
        for (int k = 1; k < digits; ++k) m += static_cast<char>('0' + rng() % 10);
        // digits before the point: exponent + 1 (at least one, with leading zeros after it)
        if (exponent >= 0) {
            std::string s = m.substr(0, static_cast<size_t>(exponent + 1));
            while (s.size() < static_cast<size_t>(exponent + 1)) s += '0';
            std::string frac = m.size() > static_cast<size_t>(exponent + 1) ? m.substr(static_cast<size_t>(exponent + 1)) : "";
            while (!frac.empty() && frac.back() == '0') frac.pop_back();
            return frac.empty() ? s : s + "." + frac;
        }
        std::string s = "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + m;
        while (s.back() == '0') s.pop_back();
        return s;
    };
    for (int i = 0; i < 9000; ++i) {
        const std::string t = text(1 + static_cast<int>(rng() % 15), static_cast<int>(rng() % 9) - 3);
        times.insert(t);
        exact += t + "," + (rng() % 4 == 0 ? "0" : "1") + "\n";
    }
    for (int i = 0; i < 100; ++i) {
        std::string a = text(1 + static_cast<int>(rng() % 15), 2), b = text(1 + static_cast<int>(rng() % 15), 3);
        if (std::stod(a) > std::stod(b)) std::swap(a, b);
        times.insert(a);
        times.insert(b);
        interval += a + "," + b + "\n";
    }
    data("exact", exact);
    data("interval", interval);
    data("readout", "t,f,n\n10.1,2,50\n20.000000000003,3,48\n31.4159265358979,1,45\n");
    times.insert({"10.1", "20.000000000003", "31.4159265358979"});
    for (const char* dist : {"weibull", "lognormal10"}) {
        SCOPED_TRACE(dist);
        auto r = run(std::string("proc vitalyx data=exact;\n distribution ") + dist +
                     ";\n make 'ProbabilityEstimates' out=pe;\n analyze t*c(0) / ppout threshold=0.0001;\nrun;\n"
                     "proc vitalyx data=interval;\n distribution " + dist +
                     ";\n make 'ProbabilityEstimates' out=ipe;\n make 'TurnbullGrad' out=tg;\n"
                     " analyze (lo hi) / ppout itprintem;\nrun;\n"
                     "proc vitalyx data=readout;\n distribution " + dist +
                     ";\n freq f;\n nenter n;\n make 'ProbabilityEstimates' out=rpe;\n analyze t / readout ppout;\nrun;\n");
        ASSERT_EQ(r.status, 0) << r.log.all();
        size_t checked = 0;
        auto each = [&](const std::string& set, const std::string& col) {
            for (const std::string& v : column(set, col)) {
                if (v.empty()) continue;
                EXPECT_TRUE(times.count(v)) << set << "." << col << " holds " << v << ", which was not read";
                ++checked;
            }
        };
        each("pe", "Lifetime");
        const std::vector<std::string> lifetimes = column("pe", "Lifetime");
        for (size_t i = 1; i < lifetimes.size(); ++i)
            if (!lifetimes[i - 1].empty() && !lifetimes[i].empty()) {
                ASSERT_LE(std::stod(lifetimes[i - 1]), std::stod(lifetimes[i])) << "row " << i;
            }
        each("ipe", "Lifelower");
        each("ipe", "Lifeupper");
        each("tg", "Left");
        each("tg", "Right");
        each("rpe", "Lifeupper");
        EXPECT_GT(checked, 200u);
    }
}

TEST_F(UserView, TheTimeReadFirstStandsForItsPoint) {
    // 1e15 and 1e15 + 0.125 are one value on the ln scale: both rows print the one read first,
    // in either order. 3,000 times within 3e-6 of 1000 beside them share a few buckets of the
    // lookup and still print as read.
    std::string cluster;
    for (int i = 0; i < 3000; ++i) cluster += "1000." + std::string(6 - std::to_string(i).size(), '0') + std::to_string(i) + "001,1\n";
    data("first", "t,c\n" + cluster + "1000000000000000,1\n5,1\n1000000000000000.1,1\n");
    data("second", "t,c\n" + cluster + "1000000000000000.1,1\n5,1\n1000000000000000,1\n");
    auto r = run("proc vitalyx data=first;\n distribution weibull;\n make 'ProbabilityEstimates' out=p1;\n"
                 " analyze t*c(0) / fittype=none ppout;\nrun;\n"
                 "proc vitalyx data=second;\n distribution weibull;\n make 'ProbabilityEstimates' out=p2;\n"
                 " analyze t*c(0) / fittype=none ppout;\nrun;\n");
    ASSERT_EQ(r.status, 0) << r.log.all();
    for (const auto& [set, read] : {std::pair<std::string, std::string>{"p1", "1e+15"}, {"p2", "1000000000000000.1"}}) {
        const std::vector<std::string> t = column(set, "Lifetime");
        ASSERT_EQ(t.size(), 3003u) << set;
        EXPECT_EQ(t[0], "5");
        for (int i = 0; i < 3000; ++i)
            ASSERT_EQ(t[static_cast<size_t>(i) + 1], "1000." + std::string(6 - std::to_string(i).size(), '0') + std::to_string(i) + "001") << set;
        EXPECT_EQ(t[3001], read) << set;
        EXPECT_EQ(t[3002], read) << set;
    }
}

TEST_F(UserView, ReportCapsLongTablesAndTitlesEveryTable) {
    // 6000 units, one event each: MCFEst has 12,000 rows; the report shows 5,000 of them.
    std::string csv = "unit,days,n\n";
    for (int i = 1; i <= 6000; ++i) csv += std::to_string(i) + "," + std::to_string(i) + ",1\n" + std::to_string(i) + "," +
                                           std::to_string(i + 10) + ",-1\n";
    data("fleet", csv);
    data("lots", "lot,hours,status\nA,10,1\nA,20,1\nA,30,0\nA,25,1\nB,15,1\nB,35,1\nB,40,0\nB,22,1\n");
    auto r = run("proc vitalyx data=fleet;\n unitid unit;\n mcfplot days*n(-1);\nrun;\n"
                 "proc vitalyx data=lots;\n distribution weibull;\n class lot;\n analyze hours*status(0) = lot;\nrun;\n");
    ASSERT_EQ(r.status, 0) << r.log.all();
    const std::string report = file("report.html"), listing = file("listing.txt");
    EXPECT_EQ(outtest::checkhtml(report), "");
    EXPECT_NE(report.find("7,000 rows of 12,000 left out of the report here: listing.txt holds the whole table, and "
                          "MAKE 'MCFEst' OUT=name; saves it as a data set."),
              std::string::npos);
    EXPECT_NE(report.find("<td>6010</td>"), std::string::npos) << "the last row is shown";
    EXPECT_EQ(count(listing, "\n        6010 "), 1u) << "the listing keeps every row";
    // Every table has a caption; no header strip is empty.
    EXPECT_EQ(count(report, "<table"), count(report, "<caption>"));
    EXPECT_EQ(report.find("<tr><th class=\"l\"></th></tr>"), std::string::npos);
    EXPECT_NE(listing.find("Mean Cumulative Function"), std::string::npos);
    // The class levels draw nothing here: no section each, and their notes name them, together.
    EXPECT_EQ(report.find("<section class=\"group\">"), std::string::npos);
    const size_t a = report.find("<span class=\"level\">A:</span> NOTE:"), b = report.find("<span class=\"level\">B:</span> NOTE:");
    ASSERT_NE(a, std::string::npos);
    ASSERT_NE(b, std::string::npos);
    EXPECT_LT(b, report.find("<caption>Fit Summary</caption>"));
}

TEST_F(UserView, NotesSayWhatTablesAndPlotsStandFor) {
    // READOUT: the units never seen to fail are in the Fit Summary.
    auto r = run("proc vitalyx data=bearings_readout;\n distribution weibull;\n freq fails;\n nenter ontest;\n"
                 " make 'Datsum' out=ds;\n analyze mrevs / readout;\nrun;\n",
                 kExamples);
    ASSERT_EQ(r.status, 0) << r.log.all();
    std::vector<std::string> labels = column("ds", "Description"), values = column("ds", "Value");
    ASSERT_EQ(labels.size(), values.size());
    bool seen = false;
    for (size_t i = 0; i < labels.size(); ++i)
        if (labels[i] == "Units Never Seen to Fail") seen = values[i] == "5";
    EXPECT_TRUE(seen) << "23 bearings on test, 18 found failed";

    // FMODE COMBINE: what the points and the line are, and no PPOUT table; a SURVTIME at the
    // THRESHOLD gives survival 1 with limits (1, 1) as one mode does.
    data("parts", "hours,status,mode\n100,1,wear\n200,1,crack\n300,1,bolt\n400,1,wear\n500,0,\n600,1,crack\n"
                  "700,1,bolt\n800,1,wear\n900,0,\n1000,1,crack\n");
    r = run("proc vitalyx data=parts;\n distribution weibull;\n fmode combine mode=('wear' 'crack');\n"
            " make 'SurvEst' out=se;\n probplot hours*status(0) / ppout survtime=5 500 threshold=5;\nrun;\n");
    ASSERT_EQ(r.status, 0) << r.log.all();
    EXPECT_TRUE(r.log.has('N', "the line is the combined distribution of the listed modes only")) << r.log.all();
    EXPECT_TRUE(r.log.has('N', "PPOUT makes no ProbabilityEstimates table")) << r.log.all();
    EXPECT_EQ(column("se", "Vitlyx").front(), "1");
    EXPECT_EQ(column("se", "Rlower").front(), "1");
    EXPECT_EQ(column("se", "Cupper").front(), "0");

    // Weibayes: the percentiles are lower bounds, at the confidence used: 1 - 1/e on ANALYZE, 95 % on
    // the plot statements, or CONF=.
    r = run("proc vitalyx data=dieselfans;\n distribution weibull;\n analyze hours*status(0) / fittype=weibayes shape=1;\n"
            " probplot hours*status(0) / fittype=weibayes shape=1;\n analyze hours*status(0) / fittype=weibayes(conf=0.9) shape=1;\nrun;\n",
            kExamples);
    ASSERT_EQ(r.status, 0) << r.log.all();
    const std::string listing = file("listing.txt");
    for (const char* level : {"63.2121%.", "95%.", "90%."})
        EXPECT_NE(listing.find(std::string("Scale and percentiles are lower bounds at the Weibayes confidence level of ") + level),
                  std::string::npos) << level;

    // MODEL: a relation on a CLASS variable, and one naming a variable the model does not use.
    r = run("proc vitalyx data=insulation;\n distribution lognormal;\n class temp;\n"
            " model hours = temp / relation=arr;\nrun;\n",
            kExamples);
    EXPECT_TRUE(r.log.has('N', "the relation Arrhenius is dropped: it applies to continuous variable number 1")) << r.log.all();
    r = run("proc vitalyx data=insulation_use;\n distribution lognormal;\n"
            " model hours = temp / relation=(arr(hours) linear(temp) linear(temp));\nrun;\n",
            kExamples);
    EXPECT_TRUE(r.log.has('N', "names hours, which is not a continuous variable of the MODEL statement")) << r.log.all();
    r = run("proc vitalyx data=insulation_use;\n distribution lognormal;\n"
            " model hours = temp / relation=(arr(temp) linear);\nrun;\n",
            kExamples);
    EXPECT_TRUE(r.log.has('E', "variables can be named only when all three relations are listed")) << r.log.all();
}

}  // namespace

// docs/output.md names every table MAKE takes. Programs that make every table of ANALYZE
// (intervals, counts, FMODE, a fixed shape), MODEL and MCFPLOT are run, and the name of each
// table, information list and matrix bound is looked for in the docs, written as `name`.
TEST_F(UserView, EveryTableMakeTakesIsNamedInTheDocs) {
    std::string csv = "hours,status,lo,hi,temp,lot,mode,unit,age,n,fails,trials\n";
    for (int i = 0; i < 24; ++i) {
        const int h = 50 + (i * 137) % 900, st = i % 5 != 0;
        csv += std::to_string(h) + "," + std::to_string(st) + "," + std::to_string(h) + "," + std::to_string(h + 20 + i) + "," +
               std::to_string(40 + 10 * (i % 3)) + "," + (i / 4 % 2 ? "A" : "B") + "," +
               (st ? (i % 3 == 0 ? "wear" : i % 3 == 1 ? "crack" : "seal") : "") + ",U" + std::to_string(i / 4) + "," +
               std::to_string(10 * (i % 4 + 1) + i) + "," + (i % 4 < 3 ? "1" : "-1") + "," + std::to_string(i % 3) + "," +
               std::to_string(5 + i % 4) + "\n";
    }
    data("d", csv);
    std::set<std::string> names;
    rt::out::tablewatch() = [&names](const std::string& name) { names.insert(name); };
    auto r = run("proc vitalyx data=d;\n distribution weibull;\n class lot;\n"
                 " analyze hours*status(0) = lot / itprint lrcl lrclper covb corrb ppout survtime=100;\n"
                 " analyze (lo hi) / itprintem printprobs;\n analyze hours*status(0) / shape=1.5;\nrun;\n"
                 "proc vitalyx data=d;\n distribution weibull;\n fmode combine mode=('wear' 'crack');\n"
                 " analyze hours*status(0) / covb;\nrun;\n"
                 "proc vitalyx;\n distribution poisson;\n analyze / count=3 exposure=10 predict(2) tolerance(0.5);\nrun;\n"
                 "proc vitalyx data=d;\n distribution binomial;\n class lot;\n"
                 " analyze fails(trials) = lot / predict(5) tolerance(0.1);\nrun;\n"
                 "proc vitalyx data=d;\n distribution weibull;\n class lot;\n"
                 " model hours*status(0) = temp lot / itprint covb corrb lrcl obstats;\n logscale temp;\nrun;\n"
                 "proc vitalyx data=d;\n distribution weibull;\n model hours*status(0) = temp / shape=1.5;\nrun;\n"
                 "proc vitalyx data=d;\n unitid unit;\n mcfplot age*n(-1) = lot / mcfdiff;\n mcfplot age*n(-1);\nrun;\n");
    rt::out::tablewatch() = nullptr;
    EXPECT_EQ(r.log.count('E'), 0) << r.log.all();
    const std::string docs = testsupport::readfile(VITALYX_SOURCE_DIR "/docs/output.md");
    std::string missing, all;
    for (const std::string& n : names) {
        if (docs.find("`" + n + "`") == std::string::npos) missing += " " + n;
        all += " " + n;
    }
    EXPECT_EQ(missing, "") << "tables MAKE takes that docs/output.md does not name";
    EXPECT_GE(names.size(), 45u) << "the programs no longer make every table; they make" << all;
}
