// Least-squares means by level on a hand-built effect: one CLASS variable of three levels
// crossed with a multi-member effect (value rows {5, 9}, {7, 9}) and a collection (rows
// {3, 5}, {4, 6}), so 3 x 2 x 2 = 12 parameters in the order zlevLevelsAll gives them
// (the level combination fastest, the collection next, the multi-member effect slowest).
#include <cmath>
#include <limits>
#include "proc/effects/lsmeans.h"
#include "proc/effects/names.h"
#include "tests/unit/effects/fixture.h"

namespace efftest {
namespace {

class LevelMeans : public EffectsHost {
protected:
    Model m;
    char lev[3][4] = {"lo ", "mid", "hi "};
    char* levels[3] = {lev[0], lev[1], lev[2]};
    levclass cls[2] = {};
    int32_t rows1[4] = {5, 9, 7, 9}, rows2[4] = {3, 5, 4, 6};
    char lab[4][2] = {"A", "B", "C", "D"};
    char* labs1[2] = {lab[0], lab[1]};
    char* labs2[2] = {lab[2], lab[3]};
    int32_t lablens[2] = {1, 1};
    efrec ef[2] = {};
    int32_t efref[2] = {0, 1}, clsall[1] = {0}, extra[2] = {9, 100};
    leveffect e[2] = {};

    void SetUp() override {
        EffectsHost::SetUp();
        m.d.ldpool = host->inst.pool;
        cls[0].nlev = 3;
        cls[0].fmtlen = 3;
        cls[0].levels = levels;
        cls[1].nlev = 4;
        ef[0] = efrec{};
        ef[0].kind = EF_MULTI;
        ef[0].ncols = 2;
        ef[0].nvals = 2;
        ef[0].vallist = rows1;
        ef[0].collabels = labs1;
        ef[0].lablens = lablens;
        ef[1].kind = EF_COLLECTION;
        ef[1].ncols = 2;
        ef[1].nvals = 2;
        ef[1].vallist = rows2;
        ef[1].collabels = labs2;
        ef[1].lablens = lablens;
        e[0].ncol = e[0].ncomb = 1;  // the intercept
        e[0].nextra = 2;
        e[0].extra = extra;
        e[1].firstcol = 1;
        e[1].ncomb = 3;
        e[1].ncol = 12;
        e[1].nseen = 3;
        e[1].ncls = e[1].nclsall = 1;
        e[1].clsall = e[1].clsix = clsall;
        e[1].nefref = 2;
        e[1].efref = efref;
        e[1].nextra = 2;
        e[1].extra = extra;
        e[1].combs = poolints({0, 1, 2});
        for (auto& x : e) x.levback = &m.ls;
        m.ls.classv = cls;
        m.ls.nclassv = 2;
        m.ls.efstmt = ef;
        m.ls.nefstmt = 2;
        m.ls.effects = e;
        m.ls.neffect = 2;
        m.ls.ncols = 13;
        ASSERT_EQ(zlevLevelsAll(&m.ctl, 0, nullptr), 0);
    }
    int32_t* poolints(std::initializer_list<int32_t> v) {
        auto* p = static_cast<int32_t*>(poolbytes(host->inst.pool, 4 * static_cast<int64_t>(v.size()), poolflag::zeroed_marked));
        std::copy(v.begin(), v.end(), p);
        return p;
    }
};

TEST_F(LevelMeans, ParameterMappedBackToValuesAndLevels) {
    EXPECT_EQ(zlevEftClValN(&e[1], 0), 1);
    EXPECT_EQ(zlevEftClValN(&e[1], 1), 2);
    EXPECT_EQ(zlevEftClValN(&e[1], 2), 1);
    EXPECT_EQ(zlevEfClValN(&e[1]), 4);
    int32_t out[4] = {};
    // column 10 = multi-member piece 1, collection piece 1, level 1
    ASSERT_EQ(zlevGetEfClassLevels(&e[1], 10, out), 4);
    EXPECT_EQ(std::vector<int32_t>(out, out + 4), (std::vector<int32_t>{7, 4, 6, 1}));
    ASSERT_EQ(zlevGetEfClassLevels(&e[1], 2, out), 4);
    EXPECT_EQ(std::vector<int32_t>(out, out + 4), (std::vector<int32_t>{5, 3, 5, 2}));
    EXPECT_EQ(zlevGetEfClassLevels(&e[1], 12, out), -1);

    // texts back to the first column holding them, blanks around them ignored
    const char* mid[] = {"  mid "};
    const char* b[] = {" B"};
    const char* d[] = {"D"};
    const char* none[] = {"medium"};
    EXPECT_EQ(zlevEftClValParm(&e[1], 2, mid, 1), 1);
    EXPECT_EQ(zlevEftClValParm(&e[1], 0, b, 1), 6);
    EXPECT_EQ(zlevEftClValParm(&e[1], 1, d, 1), 3);
    EXPECT_EQ(zlevEftClValParm(&e[1], 2, none, 1), -1);
    EXPECT_EQ(strjscmp("  ab  ", 6, "ab", 2), 0);
    EXPECT_LT(strjscmp(" ab", 3, "ac", 2), 0);
}

TEST_F(LevelMeans, LevelListsTakeEachValueOnceBeforeTheExtraList) {
    ASSERT_EQ(zlevPrepLevList(&m.ctl), 0);
    // a multi-member effect gives the first value of its rows (5, 7), the collection whole
    // rows (3, 5, 4, 6); 5 once; 9 only from the extra list; one slot of the eight left -1
    ASSERT_EQ(e[1].nlevlist, 7);
    EXPECT_EQ(std::vector<int32_t>(e[1].levlist, e[1].levlist + 8), (std::vector<int32_t>{5, 7, 3, 4, 6, 9, 100, -1}));
    EXPECT_EQ(e[0].levlist, extra);
    EXPECT_EQ(e[0].nlevlist, 2);
}

TEST_F(LevelMeans, MeansOfEffectsAndOfTheirLevelCombinations) {
    std::vector<double> est(13);
    for (int i = 0; i < 13; ++i) est[static_cast<size_t>(i)] = i + 1;
    const double div[2] = {std::numeric_limits<double>::quiet_NaN(), 4.0};
    std::vector<double> means(2 + 1 + 3);
    zlevEfMeans(&m.ctl, est.data(), means.data(), div, 2.0);
    // effect 1: 2 x (2 + ... + 13) / 4; combination c: 2 x (4 (2 + c) + 18) / 4
    EXPECT_EQ(means, (std::vector<double>{2, 45, 2, 13, 15, 17}));
    const double zero[2] = {0.0, 0.0};
    zlevEfMeans(&m.ctl, est.data(), means.data(), zero, 1.0);
    EXPECT_EQ(means, (std::vector<double>{1, 90, 1, 26, 30, 34}));
}

TEST_F(LevelMeans, CurrentLevelsOfARequest) {
    uint8_t seen[16] = {};
    int32_t out[8] = {};
    const int32_t efs[2] = {0, 1}, at[2] = {1, 0};
    const lsmrequest values{1, 2, efs, at};
    ASSERT_EQ(zlevLSMBylevel(&m.ls, &values, out, seen), 3);
    EXPECT_EQ(std::vector<int32_t>(out, out + 3), (std::vector<int32_t>{7, 3, 5}));
    EXPECT_EQ(zlevLSMBylevel(&m.ls, &values, out, seen), 0);  // all seen already

    const int32_t vars[2] = {0, 1}, cur1[2] = {-1, 2}, cur2[2] = {1, 2};
    const lsmrequest cols1{2, 2, vars, cur1}, cols2{2, 2, vars, cur2}, other{3, 2, vars, cur2};
    ASSERT_EQ(zlevLSMBylevel(&m.ls, &cols1, out, seen), 1);
    EXPECT_EQ(out[0], 5);  // 3 levels of the first variable, then level 2
    ASSERT_EQ(zlevLSMBylevel(&m.ls, &cols2, out, seen), 2);
    EXPECT_EQ(std::vector<int32_t>(out, out + 2), (std::vector<int32_t>{1, 5}));
    EXPECT_EQ(zlevLSMBylevel(&m.ls, &other, out, seen), -1);
}

}  // namespace
}  // namespace efftest
