// BY groups: grouping in data order, the order check, NOTSORTED, BY lines and values.
#include "fixture.h"

using namespace dstest;
using rt::ds::ByVar;

namespace {
// Sizes of the BY groups, walking each with rewind and reads as the procedure does.
std::vector<int> groupsizes(const vec203& v, hdataset* d, std::vector<std::string>* lines = nullptr) {
    std::vector<int> sizes;
    while (v.xbynext(d)) {
        int n = 0;
        EXPECT_EQ(v.xbyrwnd(d, 66), 0);
        while (v.xybyget(d) == 0) ++n;
        // A second pass over the same group sees the same observations.
        EXPECT_EQ(v.xbyrwnd(d, 66), 0);
        int again = 0;
        while (v.xybyget(d) == 0) ++again;
        EXPECT_EQ(again, n);
        if (lines) {
            char buf[80];
            v.xbyline(d, buf, sizeof buf);
            lines->push_back(buf);
        }
        sizes.push_back(n);
    }
    return sizes;
}
}  // namespace

TEST_F(DataSets, WithoutByVariablesTheDataSetIsOneGroup) {
    hdataset* d = open("fans");
    ASSERT_TRUE(d);
    std::vector<std::string> lines;
    EXPECT_EQ(groupsizes(v, d, &lines), std::vector<int>{6});
    EXPECT_EQ(lines, std::vector<std::string>{""});
    EXPECT_EQ(v.xbynext(d), 0);
    EXPECT_EQ(v.xbynext(nullptr), 0);             // no data set: no group
    EXPECT_NE(v.xbyrwnd(nullptr, 66), 0);
    EXPECT_EQ(v.xybyget(nullptr), -1);
}

TEST_F(DataSets, GroupsFollowTheDataOrder) {
    hdataset* d = open("fans");
    ASSERT_TRUE(d);
    rt::ds::setby(d, {{var(d, "batch"), false}}, false);
    std::vector<std::string> lines;
    EXPECT_EQ(groupsizes(v, d, &lines), (std::vector<int>{3, 2, 1}));
    EXPECT_EQ(lines, (std::vector<std::string>{"batch=1", "batch=2", "batch=3"}));
    EXPECT_TRUE(log.lines.empty());

    // A new BY statement starts again from the first observation.
    rt::ds::setby(d, {{var(d, "batch"), false}, {var(d, "lot"), false}}, true);
    lines.clear();
    EXPECT_EQ(groupsizes(v, d, &lines), (std::vector<int>{1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(lines[2], "batch=1 lot=A");
    ASSERT_EQ(v.xbynext(d), 0);
}

TEST_F(DataSets, ByValuesAndTypes) {
    hdataset* d = open("desc");
    ASSERT_TRUE(d);
    rt::ds::setby(d, {{var(d, "g"), true}, {var(d, "h"), false}}, false);
    EXPECT_TRUE(rt::ds::byvalues(d).empty());     // no group yet
    ASSERT_EQ(v.xbynext(d), 1);
    using P = std::pair<std::string, std::string>;
    EXPECT_EQ(rt::ds::byvalues(d), (std::vector<P>{{"g", "3"}, {"h", "a"}}));
    EXPECT_TRUE(rt::ds::byisnumeric(d, 0));
    EXPECT_FALSE(rt::ds::byisnumeric(d, 1));
    EXPECT_FALSE(rt::ds::byisnumeric(d, 2));
    char small[6];
    EXPECT_EQ(v.xbyline(d, small, sizeof small), 5);   // cut to the buffer
    EXPECT_STREQ(small, "g=3 h");
}

// DESCENDING is honoured; a missing value sorts below every number.
TEST_F(DataSets, DescendingAndMissingValuesInOrder) {
    hdataset* d = open("desc");
    ASSERT_TRUE(d);
    rt::ds::setby(d, {{var(d, "g"), true}, {var(d, "h"), false}}, false);
    std::vector<std::string> lines;
    EXPECT_EQ(groupsizes(v, d, &lines), (std::vector<int>{1, 1, 2, 1}));
    EXPECT_EQ(lines.back(), "g=. h=z");
    EXPECT_TRUE(log.lines.empty());

    hdataset* m = open("missfirst");              // ".", "", -1, -1, 2 ascending
    ASSERT_TRUE(m);
    rt::ds::setby(m, {{1, false}}, false);
    EXPECT_EQ(groupsizes(v, m), (std::vector<int>{2, 2, 1}));
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(DataSets, TrailingBlanksDoNotSplitAGroup) {
    hdataset* d = open("padded");
    ASSERT_TRUE(d);
    rt::ds::setby(d, {{1, false}}, false);
    EXPECT_EQ(groupsizes(v, d), (std::vector<int>{2, 1}));
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(DataSets, UnsortedDataIsAnErrorBeforeAnyGroup) {
    hdataset* d = open("unsorted");
    ASSERT_TRUE(d);
    rt::ds::setby(d, {{var(d, "g"), false}}, false);
    EXPECT_EQ(v.xbynext(d), 0);
    EXPECT_EQ(v.xbynext(d), 0);
    ASSERT_EQ(log.lines.size(), 1u);
    const std::string& e = log.lines[0];
    EXPECT_EQ(e.substr(0, 2), "E:");
    for (const char* part : {"WORK.UNSORTED", "not sorted by g", "observation 4 (g=1)", "observation 3 (g=2)"})
        EXPECT_NE(e.find(part), std::string::npos) << e;
    EXPECT_EQ(session.errors, 1);

    // Sorted ascending, the same data are out of order for DESCENDING at once.
    hdataset* f = open("fans");
    rt::ds::setby(f, {{var(f, "batch"), true}}, false);
    EXPECT_EQ(v.xbynext(f), 0);
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_NE(log.lines[1].find("DESCENDING batch: observation 4 (batch=2)"), std::string::npos) << log.lines[1];

    // NOTSORTED: consecutive equal values form a group.
    rt::ds::setby(d, {{var(d, "g"), false}}, true);
    EXPECT_EQ(groupsizes(v, d), (std::vector<int>{2, 1, 1}));
    EXPECT_EQ(session.errors, 2);
}

TEST_F(DataSets, ReadingAcrossGroups) {
    hdataset* d = open("fans");
    ASSERT_TRUE(d);
    rt::ds::setby(d, {{var(d, "batch"), false}}, false);
    ASSERT_EQ(v.xbynext(d), 1);
    ASSERT_EQ(v.xbynext(d), 1);                   // second group: observations 4 and 5
    ASSERT_EQ(v.xopnt(d), 0);
    int n = 0;
    while (v.xoget(d) == 0) ++n;
    EXPECT_EQ(n, 6);
    EXPECT_EQ(v.xbyrwnd(d, 66), 0);
    ASSERT_EQ(v.xybyget(d), 0);
    EXPECT_EQ(v.xobsnum(d), 4);
    ASSERT_EQ(v.xybyget(d), 0);
    EXPECT_EQ(v.xybyget(d), -1);
    EXPECT_EQ(v.xobsnum(d), 0);
}
