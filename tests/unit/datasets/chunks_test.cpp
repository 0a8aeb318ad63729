// The body of a CSV file parsed in chunks on several threads against the one-pass read: the
// same observations, types, texts, widths and first non-numbers, and the same error with the
// same line, with chunks cut everywhere (quoted values with line ends, empty lines, CR LF
// and bad records falling on the cuts).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>

#include "runtime/datasets/csvchunks.h"
#include "runtime/datasets/dataset.h"
#include "runtime/datasets/library.h"
#include "tests/unit/datasets/fixture.h"

using namespace dstest;

namespace {

class Chunks : public DataSets {
protected:
    void SetUp() override {
        DataSets::SetUp();
        session.datadir = ::testing::TempDir();
        rt::ds::setminchunkbytes(16);
    }
    void TearDown() override {
        rt::ds::setminchunkbytes(0);
        std::remove(path().c_str());
        DataSets::TearDown();
    }
    // A file of this test's own (the tests may run at the same time in other processes).
    std::string member() const {
        return std::string("chunked_") + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
               std::to_string(getpid());
    }
    std::string path() const { return session.datadir + "/" + member() + ".csv"; }
    void write(const std::string& text) {
        std::ofstream f(path(), std::ios::binary);
        f << text;
    }
    // Reads the file on threads (1: the one-pass read); the error text when it fails.
    hdataset* read(int threads, std::string& err) {
        session.opts.threads = threads > 1;
        session.opts.cpucount = threads;
        err.clear();
        hdataset* d = rt::ds::open(session, "", member(), err);
        if (d) opened.push_back(d);
        return d;
    }
    static void same(const hdataset* a, const hdataset* b) {
        ASSERT_EQ(a->nobs, b->nobs);
        ASSERT_EQ(a->cols.size(), b->cols.size());
        for (size_t j = 0; j < a->cols.size(); ++j) {
            const rt::ds::Column& x = a->cols[j];
            const rt::ds::Column& y = b->cols[j];
            SCOPED_TRACE(x.name);
            ASSERT_EQ(x.numeric, y.numeric);
            EXPECT_EQ(x.width, y.width);
            EXPECT_EQ(x.leadblank, y.leadblank);
            EXPECT_EQ(x.badline, y.badline);
            EXPECT_EQ(x.badtext, y.badtext);
            EXPECT_EQ(x.nafields, y.nafields);
            for (int64_t r = 0; r < a->nobs; ++r) {
                if (x.numeric) {
                    ASSERT_EQ(std::memcmp(&x.num[size_t(r)], &y.num[size_t(r)], sizeof(double)), 0) << r;
                } else {
                    ASSERT_EQ(x.text(r), y.text(r)) << r;
                    ASSERT_EQ(x.txt[size_t(r)].len == 0, y.txt[size_t(r)].len == 0) << r;
                }
            }
        }
    }
};

// Some 1,500 records of every kind the reader knows.
std::string mixed(uint64_t seed) {
    std::mt19937_64 gen(seed);
    std::string t = "id,time,note,late,code\n";
    for (int i = 0; i < 1500; ++i) {
        const unsigned u = static_cast<unsigned>(gen() % 100);
        t += std::to_string(i) + ",";
        t += u < 5 ? "." : u < 8 ? "" : u < 10 ? "NA" : std::to_string(static_cast<double>(gen() % 100000) / 8);
        t += ",";
        if (u % 7 == 0) t += "\"two\nlines, \"\"quoted\"\"\"";
        else if (u % 29 == 0) t += u % 2 ? "NA" : "\"NA\"";
        else if (u % 11 == 0) t += "\"  lead\"";
        else if (u % 13 == 0) t += "\"\n\n\"";
        else t.append("n").append(std::to_string(u));
        t += ",";
        if (i == 1100) t += "x";
        t += u % 31 == 1 ? "NA" : std::to_string(u);
        t += ",";
        t += i >= 700 && i < 720 ? "t" : std::to_string(u % 3);
        t += u % 17 == 0 ? "\r\n" : "\n";
        if (u % 19 == 0) t += "\n";
        if (u % 23 == 0) t += "\r\n";
    }
    return t;
}

}  // namespace

// Quoted values with line ends, doubled quotes, blanks, empty lines, CR LF, missing values (R's
// NA too, and its quoted text NA), a column that turns to texts late and one with texts in a few records only: the same data
// from every cut of the chunks.
TEST_F(Chunks, SameDataWhereverTheChunksAreCut) {
    for (uint64_t seed : {1, 2, 3}) {
        write(mixed(seed));
        std::string err;
        hdataset* one = read(1, err);
        ASSERT_NE(one, nullptr) << err;
        EXPECT_FALSE(one->cols[2].numeric);
        EXPECT_FALSE(one->cols[3].numeric);
        EXPECT_EQ(one->cols[3].badtext.substr(0, 1), "x");
        EXPECT_TRUE(one->cols[1].numeric);   // its NA fields are missing values
        EXPECT_GT(one->cols[1].nafields, 0);
        EXPECT_GT(one->cols[3].nafields, 0);
        for (int threads : {2, 3, 8, 33}) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << ", threads " << threads);
            hdataset* more = read(threads, err);
            ASSERT_NE(more, nullptr) << err;
            same(one, more);
        }
    }
}

// A bad record (too few values, too many, an unclosed quote, text after a closing quote) on
// every line of a stretch: the message and its line are the one-pass read's.
TEST_F(Chunks, SameErrorWhereverTheBadRecordFalls) {
    const char* bad[] = {"1,2", "1,2,3,4", "\"open,2,3", "\"q\"x,2,3"};
    for (const char* b : bad) {
        for (int at = 40; at < 120; at += 3) {
            std::string t = "a,b,c\n";
            for (int i = 0; i < 200; ++i) {
                if (i == at) t += b;
                else if (i % 9 == 0) t += "\"multi\nline\",2,3";
                else t += std::to_string(i) + ",2,3";
                t += "\n";
            }
            write(t);
            std::string one, more;
            ASSERT_EQ(read(1, one), nullptr);
            for (int threads : {2, 5, 16}) {
                SCOPED_TRACE(testing::Message() << b << " at " << at << ", threads " << threads);
                ASSERT_EQ(read(threads, more), nullptr);
                EXPECT_EQ(more, one);
            }
        }
    }
}

// Chunks that hold no text of a character column: a remark filled on the first records only
// (every later chunk has nothing to add to its column), and a quoted value whose line ends
// run over whole chunks (the chunks inside it hold no record at all). Both run under the
// sanitizers, where copying nothing from a null place is a fault.
TEST_F(Chunks, ChunksWithoutTextsOfAColumn) {
    std::string early = "id,time,remark\n";
    for (int i = 0; i < 2000; ++i)
        early += std::to_string(i) + "," + std::to_string(i * 3) + "," + (i < 10 ? "seen " + std::to_string(i) : "") + "\n";
    std::string spanning = "id,note\n1,a\n2,\"";
    for (int i = 0; i < 40; ++i) spanning += "line " + std::to_string(i) + " of one value\n";
    spanning += "\"\n3,b\n";
    for (const std::string& t : {early, spanning}) {
        write(t);
        std::string err;
        hdataset* one = read(1, err);
        ASSERT_NE(one, nullptr) << err;
        EXPECT_FALSE(one->cols.back().numeric);
        for (int threads : {2, 4, 16}) {
            SCOPED_TRACE(testing::Message() << t.substr(0, 20) << ", threads " << threads);
            hdataset* more = read(threads, err);
            ASSERT_NE(more, nullptr) << err;
            same(one, more);
        }
    }
}
