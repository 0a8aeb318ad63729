// Get lists: raw and formatted values into fixed cells or into a caller's buffer.
#include <algorithm>
#include <cstring>
#include <string>
#include "fixture.h"
#include "host/hostdefs.h"
#include "runtime/datasets/dataset.h"
#include "runtime/datasets/textcopy.h"

using namespace dstest;

namespace {
// The cells a reader keeps, like the procedure's observation cells.
struct Cells {
    char lotfmt[16];
    char lotraw[16];
    char hoursfmt[16];
    double hours;
    double batch;
    char idraw[4];
};
}  // namespace

TEST_F(DataSets, ListFillsFixedCellsPerObservation) {
    hdataset* d = open("fans");
    ASSERT_TRUE(d);
    Cells c;
    std::memset(&c, 'z', sizeof c);
    hgetlist* l = nullptr;
    ASSERT_EQ(v.xvgeti(d, 6, &l), 0);
    const int32_t vars[] = {var(d, "lot"), var(d, "hours")};
    ASSERT_EQ(v.xffile(d, FF_FORMATS, vars, 2), 0);
    ASSERT_EQ(v.xvgetd(l, var(d, "lot"), 0, c.lotfmt, 16, GET_FORMATTED, 0, 0), 0);
    ASSERT_EQ(v.xvgetd(l, var(d, "lot"), 0, c.lotraw, 16, GET_RAW, 0, 0), 0);
    ASSERT_EQ(v.xvgetd(l, var(d, "hours"), 0, c.hoursfmt, 16, GET_FORMATTED, 0, 0), 0);
    ASSERT_EQ(v.xvgetd(l, var(d, "hours"), 0, &c.hours, 8, GET_RAW, 0, 0), 0);
    ASSERT_EQ(v.xvgetd(l, var(d, "batch"), 0, &c.batch, 8, GET_RAW, 0, 0), 0);
    ASSERT_EQ(v.xvgetd(l, var(d, "id"), 0, c.idraw, 4, GET_RAW, 0, 0), 0);
    ASSERT_EQ(v.xvgete(l), 0);

    // Before any observation is read nothing is copied.
    EXPECT_NE(v.xyvget(l, nullptr), 0);
    EXPECT_EQ(c.lotfmt[0], 'z');

    ASSERT_EQ(v.xbynext(d), 1);
    ASSERT_EQ(v.xbyrwnd(d, 66), 0);
    ASSERT_EQ(v.xybyget(d), 0);
    ASSERT_EQ(v.xyvget(l, nullptr), 0);
    EXPECT_EQ(cell(c.lotfmt, 16), "A               ");
    EXPECT_EQ(cell(c.lotraw, 16), "A               ");
    EXPECT_EQ(cell(c.hoursfmt, 16), "10.5            ");
    EXPECT_EQ(c.hours, 10.5);
    EXPECT_EQ(c.batch, 1.0);
    EXPECT_EQ(cell(c.idraw, 4), "U1  ");
    EXPECT_EQ(v.xofprc(d), 0);
    EXPECT_EQ(v.xobsnum(d), 1);

    ASSERT_EQ(v.xybyget(d), 0);
    ASSERT_EQ(v.xybyget(d), 0);
    ASSERT_EQ(v.xyvget(l, nullptr), 0);
    EXPECT_EQ(cell(c.hoursfmt, 16), ".               ");
    EXPECT_TRUE(ismissing(c.hours));
    EXPECT_EQ(cell(c.idraw, 4), "U3, ");     // cut to the cell
    EXPECT_EQ(v.xobsnum(d), 3);
}

TEST_F(DataSets, ListWithoutCellsWritesAtOffsetsInTheBuffer) {
    hdataset* d = open("fans");
    ASSERT_TRUE(d);
    hgetlist* l = nullptr;
    ASSERT_EQ(v.xvgeti(d, 3, &l), 0);
    ASSERT_EQ(v.xvgetd(l, var(d, "hours"), 0, nullptr, 8, GET_RAW, 0, 0), 0);
    ASSERT_EQ(v.xvgetd(l, var(d, "id"), 8, nullptr, 12, GET_FORMATTED, 0, 0), 0);
    ASSERT_EQ(v.xvgetd(l, var(d, "freq"), 20, nullptr, 6, GET_FORMATTED, 0, 0), 0);
    ASSERT_EQ(v.xvgete(l), 0);
    ASSERT_EQ(v.xbynext(d), 1);
    std::vector<std::string> rows;
    char buf[26];
    while (v.xybyget(d) == 0) {
        ASSERT_EQ(v.xyvget(l, buf), 0);
        double h;
        std::memcpy(&h, buf, 8);
        rows.push_back((ismissing(h) ? std::string("M") : std::to_string(static_cast<int>(h * 100))) + "|" +
                       cell(buf + 8, 12) + "|" + cell(buf + 20, 6));
    }
    EXPECT_EQ(rows, (std::vector<std::string>{"1050|U1          |1     ", "2000|U2          |2     ",
                                               "M|U3, spare   |1     ", "1525|U4          |.     ",
                                               "3000|            |3     ", "100000|U6          |1     "}));
    EXPECT_NE(v.xyvget(l, buf), 0);          // past the end of the group
}

// Raw texts into cells of 4 to 8 characters (copied as words): blank padded or cut, and not a
// byte written outside the cell.
TEST_F(DataSets, ShortRawTextCellsArePaddedOrCutWithinTheirBytes) {
    hdataset* d = open("fans");
    ASSERT_TRUE(d);
    ASSERT_EQ(v.xbynext(d), 1);
    for (int w = 4; w <= 8; ++w) {
        hgetlist* l = nullptr;
        ASSERT_EQ(v.xvgeti(d, 1, &l), 0);
        ASSERT_EQ(v.xvgetd(l, var(d, "id"), 1, nullptr, w, GET_RAW, 0, 0), 0);
        ASSERT_EQ(v.xvgete(l), 0);
        ASSERT_EQ(v.xbyrwnd(d, 66), 0);
        std::vector<std::string> cells;
        char buf[16];
        while (v.xybyget(d) == 0) {
            std::memset(buf, 'z', sizeof buf);
            ASSERT_EQ(v.xyvget(l, buf), 0);
            EXPECT_EQ(buf[0], 'z');
            EXPECT_EQ(buf[1 + w], 'z') << w;
            cells.push_back(cell(buf + 1, w));
        }
        ASSERT_EQ(cells.size(), 6u);
        EXPECT_EQ(cells[0], std::string("U1").append(static_cast<size_t>(w - 2), ' '));
        EXPECT_EQ(cells[2], std::string("U3, spare").substr(0, static_cast<size_t>(w)));
        EXPECT_EQ(cells[4], std::string(static_cast<size_t>(w), ' '));
    }
}

// Cells of 17 to 32 characters (the whole values of longer class, failure-mode and unit
// variables) are written as two overlapping pieces of 16: every width and length gives the text,
// blank padded or cut, and not a byte outside the cell.
TEST(CopyPadded, EveryWidthHoldsTheTextPaddedOrCutWithinItsBytes) {
    const std::string arena = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789" + std::string(rt::ds::TEXT_SLACK, ' ');
    for (int w = 1; w <= 40; ++w)
        for (uint32_t n = 0; n <= 46; ++n) {
            char buf[64];
            std::memset(buf, 'z', sizeof buf);
            rt::ds::copypadded(buf + 1, w, arena.data(), n);
            const size_t k = std::min<size_t>(n, static_cast<size_t>(w));
            EXPECT_EQ(std::string(buf + 1, static_cast<size_t>(w)), arena.substr(0, k) + std::string(static_cast<size_t>(w) - k, ' '))
                << w << " " << n;
            EXPECT_EQ(buf[0], 'z');
            EXPECT_EQ(buf[1 + w], 'z') << w << " " << n;
        }
}

TEST_F(DataSets, ListsRefuseWhatTheyCannotServe) {
    hdataset* d = open("fans");
    ASSERT_TRUE(d);
    hgetlist* l = nullptr;
    double x;
    char t[16];
    EXPECT_NE(v.xvgeti(nullptr, 1, &l), 0);
    ASSERT_EQ(v.xvgeti(d, 2, &l), 0);
    EXPECT_NE(v.xvgetd(l, 0, 0, &x, 8, GET_RAW, 0, 0), 0);           // no variable 0
    EXPECT_NE(v.xvgetd(l, 7, 0, &x, 8, GET_RAW, 0, 0), 0);           // nor 7
    EXPECT_NE(v.xvgetd(l, 3, 0, &x, 4, GET_RAW, 0, 0), 0);           // a double needs 8
    EXPECT_NE(v.xvgetd(l, 3, 0, &x, 8, 5, 0, 0), 0);                 // unknown mode
    EXPECT_EQ(v.xvgetd(l, 3, 0, &x, 8, GET_RAW, 0, 0), 0);
    EXPECT_EQ(v.xvgetd(l, 2, 0, t, 16, GET_RAW, 0, 0), 0);
    EXPECT_NE(v.xvgetd(l, 1, 0, &x, 8, GET_RAW, 0, 0), 0);           // more than announced
    EXPECT_EQ(v.xvgete(l), 0);
    ASSERT_EQ(v.xvgeti(d, 2, &l), 0);
    EXPECT_EQ(v.xvgete(l), 0);
    EXPECT_NE(v.xvgetd(l, 3, 0, &x, 8, GET_RAW, 0, 0), 0);           // the list is ended
    const int32_t bad[] = {1, 9};
    EXPECT_NE(v.xffile(d, FF_FORMATS, bad, 2), 0);
    EXPECT_NE(v.xffile(d, 71, bad, 1), 0);
}

TEST_F(DataSets, SingleValuesOfTheCurrentObservation) {
    hdataset* d = open("fans");
    ASSERT_TRUE(d);
    double x = 0;
    char t[6];
    EXPECT_NE(v.xvget1f(d, 3, &x), 0);            // no observation yet
    ASSERT_EQ(v.xbynext(d), 1);
    ASSERT_EQ(v.xybyget(d), 0);
    ASSERT_EQ(v.xybyget(d), 0);
    EXPECT_EQ(v.xvget1f(d, 3, &x), 0);
    EXPECT_EQ(x, 20.0);
    EXPECT_NE(v.xvget1f(d, 2, &x), 0);            // lot is text
    EXPECT_TRUE(ismissing(x));
    EXPECT_EQ(v.xvget1v(d, 3, t, 6), 0);
    EXPECT_EQ(cell(t, 6), "20    ");
    EXPECT_EQ(v.xvget1v(d, 2, t, 6), 0);
    EXPECT_EQ(cell(t, 6), "B     ");
    EXPECT_EQ(v.xvget1c(d, 2, t, 3), 0);
    EXPECT_EQ(cell(t, 3), "B  ");
    EXPECT_NE(v.xvget1c(d, 3, t, 3), 0);          // hours has no text
}

// A formatted text value is left-aligned; its raw value keeps its leading blanks.
TEST_F(DataSets, FormattedTextIsLeftAligned) {
    hdataset* d = open("quoted");
    ASSERT_TRUE(d);
    char key[16], raw[16], narrow[3];
    hgetlist* l = nullptr;
    ASSERT_EQ(v.xvgeti(d, 3, &l), 0);
    ASSERT_EQ(v.xvgetd(l, 2, 0, key, 16, GET_FORMATTED, 0, 0), 0);
    ASSERT_EQ(v.xvgetd(l, 2, 0, raw, 16, GET_RAW, 0, 0), 0);
    ASSERT_EQ(v.xvgetd(l, 2, 0, narrow, 3, GET_FORMATTED, 0, 0), 0);
    ASSERT_EQ(v.xvgete(l), 0);
    ASSERT_EQ(v.xbynext(d), 1);
    std::vector<std::string> keys, raws, narrows;
    while (v.xybyget(d) == 0) {
        ASSERT_EQ(v.xyvget(l, nullptr), 0);
        keys.push_back(cell(key, 16));
        raws.push_back(cell(raw, 16));
        narrows.push_back(cell(narrow, 3));
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"said \"hi\"       ", "two\nlines       ", "lead            ",
                                               "                "}));
    EXPECT_EQ(raws[2], "  lead          ");
    EXPECT_EQ(narrows, (std::vector<std::string>{"sai", "two", "lea", "   "}));
}
