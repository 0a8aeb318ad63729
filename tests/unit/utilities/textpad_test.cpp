// Blank-padded text routines.
#include <cstring>
#include <string>

#include "tests/support/hostfixture.h"
#include "host/hostdefs.h"
#include "host/vec10_trees.h"
#include "proc/framework/textpad.h"

namespace {
std::string field(const char* s, int n) { return std::string(s, static_cast<size_t>(n)); }
}  // namespace

using Text = HostTest;

TEST_F(Text, ComparisonIgnoresTrailingBlanks) {
    EXPECT_EQ(wzstcom("AB ", 3, "AB", 2), 0);
    EXPECT_EQ(wzstcom("AB", 2, "AC", 2), -2);
    EXPECT_EQ(wzstcom("AC", 2, "AB", 2), 2);
    EXPECT_EQ(wzstcom("AB", 2, "ABC", 3), -3);
    EXPECT_EQ(wzstcom(nullptr, 0, "  ", 2), 0);
    EXPECT_EQ(wzstcom("\xe9", 1, "z", 1), 1) << "bytes compare unsigned";
}

TEST_F(Text, CollatingComparisonFoldsCase) {
    EXPECT_EQ(wzstcmn("Intercept", 9, "INTERCEPT  ", 11, 0), 0);
    EXPECT_EQ(wzstcmn("any", 3, "ANY", 3, 0), 0);
    EXPECT_EQ(wzstcmn("V6", 2, "v7", 2, 0), -2);
    EXPECT_EQ(wzstcmn("ab", 2, "abX", 3, 0), -3) << "the longer field's rest must be blanks";
}

TEST_F(Text, Justification) {
    char s[6] = "  X  ";
    int len = -1, start = -1;
    wzstjls(s, 5, 'r', &len, &start);
    EXPECT_EQ(field(s, 5), "    X");
    EXPECT_EQ(len, 1);
    EXPECT_EQ(start, 4);

    char t[8] = " ab    ";
    wzstjls(t, 7, 'C', &len, &start);
    EXPECT_EQ(field(t, 7), "  ab   ");
    EXPECT_EQ(start, 2);
    EXPECT_EQ(wzstjus(t, 7, 'L'), 2);
    EXPECT_EQ(field(t, 7), "ab     ");

    char u[5] = "    ";
    wzstjls(u, 4, 'l', &len, &start);
    EXPECT_EQ(len, 0);
    EXPECT_EQ(start, 0);

    char v[6] = " a b ";
    wzstjls(v, 5, 'n', &len, &start);
    EXPECT_EQ(field(v, 5), " a b ") << "another mode only measures";
    EXPECT_EQ(len, 3);
    EXPECT_EQ(start, 1);
    wzstjls(v, 5, 'r', nullptr, nullptr);
    EXPECT_EQ(field(v, 5), "  a b");
}

TEST_F(Text, ConcatenationClipsToTheField) {
    char d[5];
    EXPECT_EQ(wzstcat(d, 5, ',', 2, "ABC", 3, "DEF", 3), 5);
    EXPECT_EQ(field(d, 5), "ABC,D");
    char e[8];
    EXPECT_EQ(wzstcat(e, 8, -1, 2, "AB", 2, "C", 1), 3);
    EXPECT_EQ(field(e, 8), "ABC     ");
    char z[8];
    EXPECT_EQ(wzstcat(z, -(6 + 1), ' ', 2, "AB", 2, "CD", 2), 5);
    EXPECT_STREQ(z, "AB CD");
}

TEST_F(Text, IntegerIntoAField) {
    char f[4];
    EXPECT_EQ(wzclchr(12345, f, 4), WZ_NOFIT);
    EXPECT_EQ(field(f, 4), "****");
    EXPECT_EQ(wzclchr(-12, f, 4), 0);
    EXPECT_EQ(field(f, 4), " -12");
    EXPECT_EQ(wzclchr(0, f, 4), 0);
    EXPECT_EQ(field(f, 4), "   0");
}

TEST_F(Text, StripAndBlankTests) {
    std::string blank(30, ' ');
    EXPECT_EQ(wzstrip(blank.data(), 30), 0);
    std::string t = "abc" + std::string(27, ' ');
    EXPECT_EQ(wzstrip(t.data(), 30), 3);
    std::string u = std::string(29, ' ') + "x";
    EXPECT_EQ(wzstrip(u.data(), 30), 30);
    EXPECT_EQ(wzstrip("ab   ", 5), 2);
    EXPECT_EQ(vzatl(' ', "        ", 8), 1);
    EXPECT_EQ(vzatl(' ', "   x    ", 8), 0);
    EXPECT_EQ(vzatl(' ', nullptr, 0), 1);
}

TEST_F(Text, MovesPadWithBlanks) {
    char d[6];
    EXPECT_EQ(wzstmov("abcdefgh", 8, d, 6), 6);
    EXPECT_EQ(field(d, 6), "abcdef");
    EXPECT_EQ(wzstmov("ab", 2, d, 6), 2);
    EXPECT_EQ(field(d, 6), "ab    ");
    EXPECT_EQ(wzstmov(nullptr, 3, d, 6), 0);
    EXPECT_EQ(field(d, 6), "      ");
    char z[8];
    EXPECT_EQ(wzstmov("abc", 3, z, -(7 + 1)), 3);
    EXPECT_STREQ(z, "abc");

    char o[10] = "abcdefghi";
    vzmp(o + 2, 5, o, 6);   // destination overlaps the source
    EXPECT_EQ(field(o, 9), "cdefg ghi");
    char b[4];
    vzmp("xyz", 0, b, 4);
    EXPECT_EQ(field(b, 4), "    ");
}

TEST_F(Text, SearchesAndDeletions) {
    EXPECT_EQ(wzstndx("hello world", 11, "wor", 3), 6);
    EXPECT_EQ(wzstndx("hello", 5, "xyz", 0), -1);
    EXPECT_EQ(wzstndx("hello", 5, "llo", -1), 2) << "a length below 1 takes the terminated needle";
    EXPECT_EQ(wzstndx("hello", 5, nullptr, 0), 0);
    EXPECT_EQ(wzstpos("abc", 3, 'c'), 2);
    EXPECT_EQ(wzstpos(nullptr, 3, 'c'), -1);
    EXPECT_EQ(wzstver("  ab", 4, " ", 1), 2);
    EXPECT_EQ(wzstver("    ", 4, " ", 1), -1);
    EXPECT_EQ(wzstlen(nullptr), 0);
    EXPECT_EQ(wzstlen("abc"), 3);

    char s[9] = "a,b$c%d)";
    EXPECT_EQ(wzstdel(s, 8, ",$%)", 4), 4);
    EXPECT_EQ(field(s, 8), "abcd    ");
    char z[9] = "a-b-c";
    EXPECT_EQ(wzstdel(z, -1, "-", -1), 3);
    EXPECT_STREQ(z, "abc");

    char t[6] = "a.b,c";
    wzstrns(t, 5, ",.", ".,", 2);
    EXPECT_EQ(field(t, 5), "a,b.c");
}

TEST_F(Text, TranslationTables) {
    char out[5];
    EXPECT_EQ(wztxxlt(2, "aBc1", out, 4), 0);
    EXPECT_EQ(field(out, 4), "ABC1");
    EXPECT_EQ(wztxxlt(1, "aBc1", out, 4), 0);
    EXPECT_EQ(field(out, 4), "abc1");
    EXPECT_EQ(wztxxlt(5, "aBc1", out, 4), WZ_BADTABLE);
}

TEST_F(Text, RecordComparisonsAndMissingValues) {
    const double miss = hostmissing();
    double dotz;   // .Z: a special missing value above the ordinary one
    uint64_t bits = 0xFFFFE50000000000ull;
    std::memcpy(&dotz, &bits, 8);
    double a[2] = {0, -1e300}, b[2] = {0, miss}, c[2] = {0, dotz};
    EXPECT_EQ(wzbcoff(a, b, -1, 8), 1) << "a number is above every missing value";
    EXPECT_EQ(wzbcoff(b, a, -1, 8), -1);
    EXPECT_EQ(wzbcoff(b, c, -1, 8), -1) << "missing values by their codes";
    EXPECT_EQ(wzbcoff(c, c, -1, 8), 0);
    int32_t i[2] = {-5, 3};
    EXPECT_EQ(wzbcoff(&i[0], &i[1], 0, 0), -1);
    EXPECT_EQ(wzbcoff("ab", "aa", 2, 0), 1);
    EXPECT_EQ(missingcode(miss), 2);

    double v[3] = {1, 2, 3};
    EXPECT_EQ(wzmisn(v, 3), 0);
    v[2] = miss;
    EXPECT_EQ(wzmisn(v, 3), 1);
    EXPECT_EQ(wzmisn(v, 2), 0);
    vzfdl(7.5, v, 3);
    EXPECT_EQ(v[0] + v[1] + v[2], 22.5);
}
