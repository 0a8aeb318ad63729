// The row writers of the listing, the HTML report and MAKE data sets on the cells that
// move things about: texts wider than their column, numbers that fall back to scientific
// notation, missing values, empty trailing cells, characters to escape or quote.
#include <gtest/gtest.h>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>
#include "fixture.h"
#include "htmlcheck.h"
#include "runtime/output/html.h"
#include "runtime/output/layout.h"
#include "runtime/output/listing.h"
#include "runtime/output/makeds.h"

namespace {

using namespace rt::out;
using rt::num::Fmt;
using rt::num::NumFormat;

class RowWriters : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/vxrows-XXXXXX";
        dir = mkdtemp(tmpl);
        auto col = [](int src, int kind, const char* header, int width, NumFormat f) {
            LayoutCol c;
            c.src = src;
            c.kind = kind;
            c.header = header;
            c.width = width;
            c.right = kind == 5 || kind == 3;
            c.fmt = f;
            return c;
        };
        layout.cols = {col(0, 6, "Name", 6, {}), col(1, 5, "Value", 8, {Fmt::Fixed, 8, 2}),
                       col(2, 3, "N", 4, {Fmt::Count, 4, 0}), col(3, 6, "Note", 5, {})};
        auto row = [](const char* name, double d, bool missing, int32_t i, const char* note) {
            std::vector<CellValue> v(4);
            v[0].s = name;
            v[1].d = d;
            v[1].missing = missing;
            v[2].i = i;
            v[2].d = i;
            v[3].s = note;
            return v;
        };
        rows = {row("a<b&c>", 3.14159, false, 12, "x,y"), row("longername", 0, true, -5, ""),
                row("", 123456.789, false, 0, " q"), row("q\"t", 0.1 + 0.2, false, 2147483647, "a\nb")};
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string dir;
    Layout layout;
    std::vector<std::vector<CellValue>> rows;
};

const char* const kListingRows =
    "a<b&c>      3.14    12  x,y\n"
    "longername         .    -5\n"
    "         1.2e+05     0   q\n"
    "q\"t         0.30  2147483647  a\nb\n";

TEST_F(RowWriters, ListingStreamedOrSpooled) {
    for (bool spooled : {false, true}) {
        std::string sub = dir + (spooled ? "/spooled" : "/direct"), err;
        std::filesystem::create_directories(sub);
        Listing out;
        ASSERT_TRUE(out.open(sub, false, err)) << err;
        ListingTable t(layout, 100);
        if (spooled) ASSERT_TRUE(t.open(sub, err)) << err;
        else t.begin(out, false);
        RowTexts texts;
        for (auto& r : rows) {
            texts.format(layout, r);
            t.row(texts);
        }
        ASSERT_TRUE(t.publish(out));
        ASSERT_TRUE(out.commit(err)) << err;
        EXPECT_EQ(outtest::readfile(sub + "/listing.txt"),
                  std::string("Name       Value     N  Note\n") + kListingRows + "\n")
            << (spooled ? "spooled" : "direct");
    }
}

TEST_F(RowWriters, HtmlRowsEscapeEveryCell) {
    for (bool spooled : {false, true}) {
        std::string sub = dir + (spooled ? "/spooled" : "/direct"), err;
        std::filesystem::create_directories(sub);
        Html out;
        ASSERT_TRUE(out.open(sub, err)) << err;
        HtmlTable t(layout);
        if (spooled) ASSERT_TRUE(t.open(sub, err)) << err;
        else t.begin(out, "t1", false);
        RowTexts texts;
        for (auto& r : rows) {
            texts.format(layout, r);
            t.row(texts);
        }
        ASSERT_TRUE(t.publish(out, "t1"));
        ASSERT_TRUE(out.commit(err)) << err;
        std::string html = outtest::readfile(sub + "/report.html");
        size_t from = html.find("<tbody>\n");
        ASSERT_NE(from, std::string::npos);
        EXPECT_EQ(html.substr(from + 8, html.find("</tbody>") - from - 8),
                  "<tr><td class=\"l\">a&lt;b&amp;c&gt;</td><td>3.14</td><td>12</td><td class=\"l\">x,y</td></tr>\n"
                  "<tr><td class=\"l\">longername</td><td>.</td><td>-5</td><td class=\"l\"></td></tr>\n"
                  "<tr><td class=\"l\"></td><td>1.2e+05</td><td>0</td><td class=\"l\"> q</td></tr>\n"
                  "<tr><td class=\"l\">q\"t</td><td>0.30</td><td>2147483647</td><td class=\"l\">a\nb</td></tr>\n")
            << (spooled ? "spooled" : "direct");
    }
    // a number text with a character to escape: the p-value below 0.0001
    Layout pl;
    LayoutCol pc;
    pc.kind = 5;
    pc.header = "Pr";
    pc.width = 6;
    pc.right = true;
    pc.fmt = {Fmt::Pvalue, 6, 4};
    pl.cols = {pc};
    std::vector<CellValue> pv(1);
    pv[0].d = 1e-6;
    RowTexts texts;
    texts.format(pl, pv);
    std::string err;
    Html out;
    ASSERT_TRUE(out.open(dir, err)) << err;
    HtmlTable t(pl);
    t.begin(out, "t2", false);
    t.row(texts);
    ASSERT_TRUE(t.publish(out, "t2"));
    ASSERT_TRUE(out.commit(err)) << err;
    const std::string html = outtest::readfile(dir + "/report.html");
    EXPECT_NE(html.find("<tr><td>&lt;.0001</td></tr>"), std::string::npos) << html;
    EXPECT_EQ(outtest::checkhtml(html), "");
}

TEST_F(RowWriters, MakeRowsQuoteAndKeepFullPrecision) {
    DataObject obj;
    const char* names[] = {"Name", "Value", "N", "Note"};
    const int kinds[] = {6, 5, 3, 6};
    for (int k = 0; k < 4; ++k) {
        Column c;
        c.name = names[k];
        c.kind = kinds[k];
        obj.cols.push_back(c);
    }
    MakeRequest r;
    r.path = dir + "/m.csv";
    MakeWriter w;
    std::string err;
    ASSERT_TRUE(w.start(r, obj, {{"plant", "A,1"}}, err)) << err;
    for (auto& row : rows) w.row(r, row);
    ASSERT_TRUE(r.sink.commit(err)) << err;
    EXPECT_EQ(outtest::readfile(r.path),
              "plant,Name,Value,N,Note\n"
              "\"A,1\",a<b&c>,3.14159,12,\"x,y\"\n"
              "\"A,1\",longername,,-5,\n"
              "\"A,1\",,123456.789,0,\" q\"\n"
              "\"A,1\",\"q\"\"t\",0.30000000000000004,2147483647,\"a\nb\"\n");
    EXPECT_EQ(r.rows, 4);
}

// A data set of many rows is composed and written on threads of their own past its first
// rows: the same bytes as on the procedure's thread, with one worker or three, for the rows of
// two BY groups in turn.
TEST_F(RowWriters, MakeRowsOnAThreadOfTheirOwnAreTheSame) {
    DataObject obj;
    const char* names[] = {"Name", "Value", "N", "Note"};
    const int kinds[] = {6, 5, 3, 6};
    for (int k = 0; k < 4; ++k) {
        Column c;
        c.name = names[k];
        c.kind = kinds[k];
        obj.cols.push_back(c);
    }
    std::string files[3];
    for (int threads : {0, 1, 3}) {
        const int at = threads == 3 ? 2 : threads;
        MakeRequest r;
        r.path = dir + "/m" + std::to_string(threads) + ".csv";
        r.threads = threads;
        std::string err;
        for (const char* group : {"A,1", "B"}) {
            MakeWriter w;
            ASSERT_TRUE(w.start(r, obj, {{"plant", group}}, err)) << err;
            for (int i = 0; i < 90000; ++i) {
                std::vector<CellValue> row = rows[static_cast<size_t>(i) % rows.size()];
                row[1].d += i;
                w.row(r, row);
            }
        }
        EXPECT_EQ(r.lines != nullptr, threads > 0);
        if (r.lines) r.lines->finish();
        ASSERT_TRUE(r.sink.commit(err)) << err;
        EXPECT_EQ(r.rows, 180000);
        files[at] = outtest::readfile(r.path);
    }
    EXPECT_GT(files[0].size(), 4000000u);   // several batches for the workers
    EXPECT_TRUE(files[0] == files[1]);
    EXPECT_TRUE(files[0] == files[2]);
}

}  // namespace
