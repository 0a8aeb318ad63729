// Reading CSV files: libraries, typing, precision, quoting and the errors that stop a read.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>
#include "fixture.h"
#include "host/hostdefs.h"

using namespace dstest;

namespace {

// Reads every value of a numeric variable through xvget1f, walking the data set.
std::vector<double> column(const vec203& v, hdataset* d, int32_t var) {
    std::vector<double> out;
    v.xopnt(d);
    while (v.xoget(d) == 0) {
        double x = 0;
        EXPECT_EQ(v.xvget1f(d, var, &x), 0);
        out.push_back(x);
    }
    return out;
}

std::vector<std::string> texts(const vec203& v, hdataset* d, int32_t var, int width) {
    std::vector<std::string> out;
    v.xopnt(d);
    std::vector<char> buf(static_cast<size_t>(width));
    while (v.xoget(d) == 0) {
        EXPECT_EQ(v.xvget1c(d, var, buf.data(), width), 0);
        out.emplace_back(buf.data(), buf.size());
    }
    return out;
}

}  // namespace

TEST_F(DataSets, TypesWidthsAndDescriptors) {
    hdataset* d = open("fans");
    ASSERT_TRUE(d);
    EXPECT_EQ(rt::ds::nobs(d), 6);
    EXPECT_EQ(rt::ds::nvars(d), 6);
    EXPECT_EQ(rt::ds::displayname(d), "WORK.FANS");
    vardesc vd;
    ASSERT_EQ(v.xvname(d, var(d, "HOURS"), &vd), 0);
    EXPECT_STREQ(vd.name, "hours");
    EXPECT_EQ(vd.namelen, 5);
    EXPECT_EQ(vd.type, 1);
    EXPECT_EQ(vd.length, 8);
    EXPECT_EQ(vd.fmtwidth, 12);
    ASSERT_EQ(v.xvname(d, var(d, "id"), &vd), 0);
    EXPECT_EQ(vd.type, 2);
    EXPECT_EQ(vd.length, 9);        // "U3, spare"
    EXPECT_EQ(vd.fmtwidth, 9);
    EXPECT_NE(v.xvname(d, 7, &vd), 0);
    EXPECT_NE(v.xvname(d, 0, &vd), 0);
    EXPECT_EQ(rt::ds::findvar(d, "nosuch"), 0);

    dsinfo info;
    ASSERT_EQ(v.xoinfo(d, DSI_INFO, &info), 0);
    EXPECT_EQ(info.nobs, 6);
    EXPECT_EQ(info.nvars, 6);
    EXPECT_STREQ(info.name, "WORK.FANS");
    EXPECT_EQ(info.labellen, 0);
    int32_t usable = 0;
    ASSERT_EQ(v.xoinfo(d, DSI_USABLE, &usable), 0);
    EXPECT_EQ(usable, 1);
    dsnamerec nm;
    ASSERT_EQ(v.xoinfo(d, DSI_NAME, &nm), 0);
    EXPECT_EQ(std::string(nm.name, nm.namelen), "WORK.FANS");
    int64_t n = 0;
    ASSERT_EQ(v.xoinfo(d, DSI_NOBS, &n), 0);
    EXPECT_EQ(n, 6);
    EXPECT_NE(v.xoinfo(d, 999, &n), 0);
}

TEST_F(DataSets, MissingValuesAndNumbers) {
    hdataset* d = open("fans");
    ASSERT_TRUE(d);
    auto hours = column(v, d, var(d, "hours"));
    ASSERT_EQ(hours.size(), 6u);
    EXPECT_EQ(hours[0], 10.5);
    EXPECT_TRUE(ismissing(hours[2]));        // empty field
    EXPECT_EQ(hours[5], 1000.0);             // 1e3
    auto freq = column(v, d, var(d, "freq"));
    EXPECT_TRUE(ismissing(freq[3]));         // lone "."
    uint64_t bits;
    std::memcpy(&bits, &freq[3], sizeof bits);
    EXPECT_EQ(bits, MISSING_BITS);
    auto id = texts(v, d, var(d, "id"), 10);
    EXPECT_EQ(id[2], "U3, spare ");
    EXPECT_EQ(id[4], "          ");          // missing character value: blanks
}

// Every value must read back to the same double a correctly rounding reader gives.
TEST_F(DataSets, NumbersKeepFullPrecision) {
    hdataset* d = open("precise");
    ASSERT_TRUE(d);
    const char* texts[] = {"3.141592653589793", "0.1", "1e-300", "123456789012345678",
                           "2.2250738585072014e-308", "-0.000123", "7.5", "1.7976931348623157e308"};
    auto x = column(v, d, 1);
    ASSERT_EQ(x.size(), 8u);
    for (size_t i = 0; i < x.size(); ++i) EXPECT_EQ(x[i], std::strtod(texts[i], nullptr)) << texts[i];
}

TEST_F(DataSets, InfinityNanAndHexAreText) {
    hdataset* d = open("notnumbers");
    ASSERT_TRUE(d);
    vardesc vd;
    v.xvname(d, 2, &vd);
    EXPECT_EQ(vd.type, 2);
    int64_t line = 0;
    std::string text;
    ASSERT_TRUE(rt::ds::firstnonnumeric(d, 2, &line, &text));
    EXPECT_EQ(line, 2);
    EXPECT_EQ(text, "inf");
    EXPECT_FALSE(rt::ds::firstnonnumeric(d, 1, &line, &text));
}

TEST_F(DataSets, QuotedFieldsBlanksAndLineEnds) {
    hdataset* d = open("quoted");
    ASSERT_TRUE(d);
    ASSERT_EQ(rt::ds::nobs(d), 4);
    auto name = texts(v, d, 1, 8);
    EXPECT_EQ(name[0], "Smith, J");
    EXPECT_EQ(name[1], "plain   ");       // blanks around an unquoted value are dropped
    EXPECT_EQ(name[2], "        ");       // "" is missing
    auto note = texts(v, d, 2, 10);
    EXPECT_EQ(note[0], "said \"hi\" ");
    EXPECT_EQ(note[1], "two\nlines ");
    EXPECT_EQ(note[2], "  lead    ");     // quoted blanks stay
    EXPECT_EQ(note[3], "          ");     // "." is missing for text too
    EXPECT_EQ(column(v, d, 3), (std::vector<double>{1, 2, 3, 4}));

    hdataset* c = open("crlf");           // byte-order mark, CR LF, an empty line
    ASSERT_TRUE(c);
    EXPECT_EQ(rt::ds::findvar(c, "a"), 1);
    EXPECT_EQ(column(v, c, 1), (std::vector<double>{1, 2}));
    EXPECT_EQ(texts(v, c, 2, 1), (std::vector<std::string>{"x", "y"}));
}

// R's write.csv: an unquoted NA is missing in numeric and character columns (blanks around it
// dropped), a quoted "NA" is the text NA (and makes its column character); a variable may be
// named NA. One note a run names the columns and their counts.
TEST_F(DataSets, RsUnquotedNAIsMissingAQuotedNAIsText) {
    hdataset* d = open("rwritten");
    ASSERT_TRUE(d);
    const double m = hostmissing();
    auto same = [](const std::vector<double>& got, const std::vector<double>& want) {
        ASSERT_EQ(got.size(), want.size());
        for (size_t i = 0; i < got.size(); ++i)
            EXPECT_TRUE(std::isnan(want[i]) ? ismissing(got[i]) : got[i] == want[i]) << i;
    };
    same(column(v, d, var(d, "hours")), {10, m, 30, 40});
    same(column(v, d, var(d, "batch")), {1, 2, m, m});
    same(column(v, d, var(d, "NA")), {1, m, 3, 4});
    EXPECT_EQ(texts(v, d, var(d, "name"), 2), (std::vector<std::string>{"a ", "  ", "NA", "d "}));
    EXPECT_EQ(texts(v, d, var(d, "code"), 2), (std::vector<std::string>{"NA", "7 ", "  ", "8 "}));
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0], "N:Data set WORK.rwritten: 6 fields written NA without quotes are read as missing (hours 1, "
                            "batch 2, name 1, code 1, NA 1); a quoted \"NA\" stays the text NA.");
    open("rwritten");
    EXPECT_EQ(log.lines.size(), 1u);   // noted once a run
}

// A column that turns out to be text after some numbers keeps the texts as written.
TEST_F(DataSets, LateTextColumnKeepsItsOriginalValues) {
    hdataset* d = open("late");
    ASSERT_TRUE(d);
    vardesc vd;
    v.xvname(d, 1, &vd);
    EXPECT_EQ(vd.type, 2);
    EXPECT_EQ(vd.length, 4);
    EXPECT_EQ(texts(v, d, 1, 4), (std::vector<std::string>{"1.50", "2   ", "    ", "007 ", "x1  ", "3   "}));
    EXPECT_EQ(column(v, d, 2), (std::vector<double>{1, 2, 3, 4, 5, 6}));
    int64_t line = 0;
    std::string text;
    ASSERT_TRUE(rt::ds::firstnonnumeric(d, 1, &line, &text));
    EXPECT_EQ(line, 6);
    EXPECT_EQ(text, "x1");
}

// The same on a file large enough to grow the text store several times.
TEST_F(DataSets, LateTextColumnOnManyRows) {
    const std::string dir = ::testing::TempDir();
    {
        std::ofstream f(dir + "/many.csv");
        f << "k,s,t\n";
        for (int i = 0; i < 30000; ++i) f << i * 0.25 << "," << (i == 25000 ? "end" : std::to_string(i)) << ",x" << i << "\n";
    }
    session.datadir = dir;
    hdataset* d = open("many");
    ASSERT_TRUE(d);
    ASSERT_EQ(rt::ds::nobs(d), 30000);
    auto s = texts(v, d, 2, 5);
    auto t = texts(v, d, 3, 6);
    auto k = column(v, d, 1);
    for (int i = 0; i < 30000; ++i) {
        std::string want = i == 25000 ? "end" : std::to_string(i);
        want.resize(5, ' ');
        ASSERT_EQ(s[static_cast<size_t>(i)], want);
        std::string wt = "x";
        wt += std::to_string(i);
        wt.resize(6, ' ');
        ASSERT_EQ(t[static_cast<size_t>(i)], wt);
        ASSERT_EQ(k[static_cast<size_t>(i)], i * 0.25);
    }
    std::remove((dir + "/many.csv").c_str());
}

TEST_F(DataSets, LibrariesAndFileNames) {
    EXPECT_TRUE(open("mixedcase"));                 // MixedCase.csv
    session.libs["MYLIB"] = session.datadir;
    hdataset* d = open("Fans", "mylib");
    ASSERT_TRUE(d);
    EXPECT_EQ(rt::ds::displayname(d), "MYLIB.FANS");
    std::string err = failure("fans", "other");
    EXPECT_NE(err.find("other.fans"), std::string::npos) << err;
    EXPECT_NE(err.find("no library OTHER"), std::string::npos) << err;
    err = failure("absent");
    EXPECT_NE(err.find("WORK.absent"), std::string::npos) << err;
    EXPECT_NE(err.find(session.datadir + "/absent.csv"), std::string::npos) << err;
}

TEST_F(DataSets, HeaderOnlyIsAnEmptyDataSet) {
    hdataset* d = open("headeronly");
    ASSERT_TRUE(d);
    EXPECT_EQ(rt::ds::nobs(d), 0);
    EXPECT_EQ(rt::ds::nvars(d), 2);
    EXPECT_EQ(v.xbynext(d), 0);
}

// Every error names the data set and the file, and the line where there is one.
TEST_F(DataSets, ErrorsNameTheFileAndLine) {
    struct Case {
        const char* member;
        std::vector<std::string> parts;
    } cases[] = {
        {"toofew", {"WORK.toofew", "line 3 of ", "toofew.csv", "has 2 values", "names 3 variables"}},
        {"toomany", {"line 3 of ", "toomany.csv", "has 3 values", "names 2 variables"}},
        {"dupnames", {"TIME is named twice", "line 1 of ", "columns 1 and 3"}},
        {"empty", {"WORK.empty", "empty.csv", "is empty"}},
        {"noname", {"noname.csv", "names no variable"}},
        {"gapname", {"column 2", "gapname.csv", "no variable name"}},
        {"rowcolumn", {"column 1", "rowcolumn.csv", "no variable name", "row.names = FALSE"}},
        {"openquote", {"line 2 of ", "openquote.csv", "not closed"}},
        {"afterquote", {"line 4 of ", "afterquote.csv", "after the closing quote"}},
    };
    for (const Case& c : cases) {
        const std::string err = failure(c.member);
        for (const std::string& p : c.parts) EXPECT_NE(err.find(p), std::string::npos) << c.member << ": " << err;
    }
}

TEST_F(DataSets, UnreadableFileIsReported) {
    const std::string dir = ::testing::TempDir() + "/unreadable";
    mkdir(dir.c_str(), 0700);
    mkdir((dir + "/folder.csv").c_str(), 0700);       // a folder where the file should be
    session.datadir = dir;
    std::string err = failure("folder");
    EXPECT_NE(err.find("cannot read the file " + dir + "/folder.csv"), std::string::npos) << err;
    rmdir((dir + "/folder.csv").c_str());
    if (geteuid() != 0) {                             // root reads every file
        const std::string path = dir + "/locked.csv";
        { std::ofstream(path) << "a\n1\n"; }
        chmod(path.c_str(), 0);
        err = failure("locked");
        EXPECT_NE(err.find("cannot read the file " + path), std::string::npos) << err;
        std::remove(path.c_str());
    }
    rmdir(dir.c_str());
}
