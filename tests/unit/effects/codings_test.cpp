// Codings of the coded design against model matrices made in R (tests/data/effects/
// references.R): every coding of two CLASS variables, in main effects, their crossing and a
// nesting; and the edge cases of the coding vectors.
#include <cmath>
#include <map>
#include "proc/effects/designcols.h"
#include "tests/support/reference.h"
#include "tests/unit/effects/fixture.h"

namespace efftest {
namespace {

class Codings : public EffectsHost {
protected:
    void SetUp() override {
        EffectsHost::SetUp();
        std::string s = "y,A,B\n";
        int i = 0;
        for (const char* a : {"a", "b", "c"})
            for (int b : {1, 2, 4, 8}) s += std::to_string(i++) + "," + a + "," + std::to_string(b) + "\n";
        writecsv("d", s);
        parse("proc vitalyx data=d; class A B; model y = A B A*B B(A);");
    }
    // The coding rows of variable var (0 A, 1 B) for one coding, from R.
    static std::vector<std::vector<double>> reference(int coding, int var) {
        static const RefTable t = readRef("effects/codings.csv");
        std::vector<std::vector<double>> m(var == 0 ? 3 : 4);
        for (size_t r = 0; r < t.rows.size(); ++r)
            if (t.at(r, "coding") == coding && t.at(r, "var") == var)
                m[static_cast<size_t>(t.at(r, "level"))].push_back(t.at(r, "value"));
        return m;
    }
};

std::vector<double> kron(const std::vector<double>& a, const std::vector<double>& b) {
    std::vector<double> out;
    for (double x : a)
        for (double y : b) out.push_back(x * y);
    return out;
}

TEST_F(Codings, CrossedAndNestedEffectsOfEveryCodingMatchR) {
    for (int coding : {0, 1, 2, 3, 4, 5, 7, 8, 9, 10}) {
        const auto ca = reference(coding, 0), cb = reference(coding, 1);
        ASSERT_EQ(ca[0].size(), 2u) << coding;
        Model& m = model('M', [&](Model& mm) {
            for (int v = 0; v < 2; ++v) mm.ls.classv[v].coding = coding;
        }, 0, false, true);
        ASSERT_EQ(m.ls.ncols, 1 + 2 + 3 + 6 + 9) << coding;
        std::vector<double> row(static_cast<size_t>(m.ls.ncols));
        m.ctl.rdrewind(&m.ctl);
        int obs = 0;
        while (m.ctl.rdnext(&m.ctl)) {
            ASSERT_EQ(zlevrgd(&m.ctl, nullptr, nullptr, nullptr), 0);
            zlevrgx(&m.ctl, nullptr, nullptr, row.data());
            const int a = obs / 4, b = obs % 4;
            std::vector<double> want = {1.0};
            want.insert(want.end(), ca[a].begin(), ca[a].end());
            want.insert(want.end(), cb[b].begin(), cb[b].end());
            const auto ab = kron(ca[a], cb[b]);
            want.insert(want.end(), ab.begin(), ab.end());
            std::vector<double> nest(9, 0.0);
            for (int j = 0; j < 3; ++j) nest[static_cast<size_t>(3 * a + j)] = cb[b][static_cast<size_t>(j)];
            want.insert(want.end(), nest.begin(), nest.end());
            for (size_t c = 0; c < want.size(); ++c)
                ASSERT_NEAR(row[c], want[c], 1e-12) << "coding " << coding << ", observation " << obs << ", column " << c;
            ++obs;
        }
        EXPECT_EQ(obs, 12);
    }
}

TEST_F(Codings, EdgeCasesOfTheCodingVectors) {
    levclass c{};
    c.nlev = 3;
    c.reflev = 2;
    double v[4];
    auto vec = [&](int coding, int level, int w) {
        c.coding = coding;
        zlevflr(&c, v, level, w, 1.0);
        return std::vector<double>(v, v + w);
    };
    EXPECT_EQ(vec(0, 0, 2), (std::vector<double>{1, 0}));
    EXPECT_EQ(vec(0, 1, 2), (std::vector<double>{0, 1}));
    EXPECT_EQ(vec(0, 2, 2), (std::vector<double>{-1, -1}));
    EXPECT_EQ(vec(2, 2, 2), (std::vector<double>{0, 0}));
    EXPECT_EQ(vec(2, -1, 2), (std::vector<double>{0, 0}));   // no level: nothing is addressed
    c.nlev = 2;
    EXPECT_EQ(vec(9, 0, 1), (std::vector<double>{-1}));
    EXPECT_EQ(vec(9, 1, 1), (std::vector<double>{1}));
    double a[6] = {1, 2, 0, 0, 0, 0};
    const double b[3] = {10, 20, 30};
    zlevCrossMultiply(a, 2, b, 3);   // the old index varies slowest
    EXPECT_EQ(std::vector<double>(a, a + 6), (std::vector<double>{10, 20, 30, 20, 40, 60}));
    double e[6] = {1, 2, 0, 0, 0, 0};
    zlevEffCrossMultiply(e, 2, b, 3);   // the new index varies slowest
    EXPECT_EQ(std::vector<double>(e, e + 6), (std::vector<double>{10, 20, 20, 40, 30, 60}));
}

// A*B with 3 and 2 levels: 2 x 1 columns with A varying slowest; without an intercept the
// first effect's first variable keeps all its levels.
TEST_F(Codings, CrossingWidthsAndTheModelWithoutIntercept) {
    writecsv("e", "y,A,B\n1,a,1\n2,b,2\n3,c,1\n4,a,2\n");
    src = rt::StepSource{};
    rt::stmt::endstep();
    mpb = modparse{};
    parse("proc vitalyx data=e; class A B; model y = A*B B;");
    Model& m = model('M', [](Model&) {}, 0, false, true);
    EXPECT_EQ(m.ls.effects[1].ncol, 2);
    Model& n = model('M', [](Model&) {}, 0, true, true);
    EXPECT_EQ(n.ls.effects[0].ncol, 3);
    std::vector<double> row(static_cast<size_t>(n.ls.ncols));
    n.ctl.rdrewind(&n.ctl);
    n.ctl.rdnext(&n.ctl);
    ASSERT_EQ(zlevrgd(&n.ctl, nullptr, nullptr, nullptr), 0);
    zlevrgx(&n.ctl, nullptr, nullptr, row.data());
    // A=a (all levels, full), B=1 (effect coding against the last level): (1, 0, 0) x (1)
    EXPECT_EQ(row, (std::vector<double>{1, 0, 0, 1}));
}

}  // namespace
}  // namespace efftest
