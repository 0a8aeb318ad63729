// The least-squares interface: crossproducts, estimates, sums of squares and a hypothesis
// test against R's lm; the cache; the Cholesky factor and the inverse.
#include <cmath>
#include "proc/effects/fitif.h"
#include "proc/numeric/linalg.h"
#include "tests/support/reference.h"
#include "tests/unit/effects/fixture.h"

namespace efftest {
namespace {

class FitInterface : public EffectsHost {
protected:
    void SetUp() override {
        EffectsHost::SetUp();
        writecsv("d", "y,a,x\n2.1,p,1\n3.9,p,2\n6.2,p,3\n7.1,q,4\n9.4,q,5\n10.8,q,6\n15.2,r,7\n16.1,r,8\n18.3,r,9\n.,q,10\n");
        parse("proc vitalyx data=d; class a; model y = a x;");
    }
    Model& fitmodel() {
        return model('M', [&](Model& m) {
            m.ctl.nresp = 1;
            m.ctl.respv = varrec("y");
            m.ctl.rdnext = [](levctl* c) {
                ++reads;
                return GetNext(c);
            };
        });
    }
    static int reads;
};
int FitInterface::reads = 0;

TEST_F(FitInterface, EstimatesSumsOfSquaresAndATestAgainstLm) {
    const RefTable r = readRef("effects/fit.csv");
    Model& m = fitmodel();
    ASSERT_EQ(m.ls.ncols, 5);   // Intercept, a p, a q, a r, x
    auto get = [&](int kind, int resp = 0) { return static_cast<double*>(zlevfit(&m.ctl, kind, resp)); };
    const double* xpx = get(FIT_XPX);
    ASSERT_NE(xpx, nullptr);
    EXPECT_EQ(m.ctl.fitblk.rows, 9);     // the row without a response is left out
    EXPECT_EQ(xpx[zisub(0, 0)], 9.0);
    EXPECT_EQ(xpx[zisub(4, 1)], 6.0);    // x summed over level p
    const double* b = get(FIT_BETA);
    ASSERT_NE(b, nullptr);
    // the last level of a is dependent: its estimate is 0, the others are lm's with it as base
    EXPECT_NEAR(b[0], r.rows[0][1], 1e-10);
    EXPECT_NEAR(b[1], r.rows[0][2], 1e-10);
    EXPECT_NEAR(b[2], r.rows[0][3], 1e-10);
    EXPECT_EQ(b[3], 0.0);
    EXPECT_NEAR(b[4], r.rows[0][4], 1e-10);
    EXPECT_NEAR(get(FIT_SSE)[0], r.rows[0][0], 1e-10);
    double sst = 0;
    for (double y : {2.1, 3.9, 6.2, 7.1, 9.4, 10.8, 15.2, 16.1, 18.3}) sst += y * y;
    EXPECT_NEAR(get(FIT_SST)[0], sst, 1e-9);
    EXPECT_NEAR(get(FIT_SSDIFF)[0], sst - r.rows[0][0], 1e-9);
    // the second request reads nothing
    const int before = reads;
    EXPECT_EQ(get(FIT_BETA), b);
    EXPECT_EQ(reads, before);
    // level p against level r
    const double L[5] = {0, 1, 0, -1, 0};
    const levhypo h{0, 1, L};
    auto* t = static_cast<levtest*>(zlevfit(&m.ctl, FIT_TEST, 0, nullptr, &h, -1, "dsev"));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->df, 1);
    EXPECT_NEAR(t->ss[0], r.rows[0][5], 1e-9);
    EXPECT_NEAR(t->est[0], r.rows[0][2], 1e-10);
    // emptied, the cache computes again
    zlevfit(&m.ctl, FIT_FREE);
    EXPECT_NE(get(FIT_XPX), nullptr);
    EXPECT_GT(reads, before);
}

TEST_F(FitInterface, FactorInverseAndColumnsMappedOut) {
    Model& m = fitmodel();
    const int n = 6;   // five positions and the response
    const double* x = static_cast<double*>(zlevfit(&m.ctl, FIT_XPX));
    const double* l = static_cast<double*>(zlevfit(&m.ctl, FIT_CHOL));
    // L L' gives back the crossproducts (the dependent column's row of L is 0)
    for (int i = 0; i < n; ++i)
        for (int j = 0; j <= i; ++j) {
            double s = 0;
            for (int k = 0; k <= j; ++k) s += l[zisub(i, k)] * l[zisub(j, k)];
            EXPECT_NEAR(s, x[zisub(i, j)], 1e-9 * (1 + std::fabs(x[zisub(i, j)]))) << i << "," << j;
        }
    // a generalized inverse: A G A = A
    const double* g = static_cast<double*>(zlevfit(&m.ctl, FIT_INV));
    auto at = [](const double* p, int i, int j) { return p[zisub(i, j)]; };
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            double s = 0;
            for (int k = 0; k < n; ++k)
                for (int q = 0; q < n; ++q) s += at(x, i, k) * at(g, k, q) * at(x, q, j);
            EXPECT_NEAR(s, at(x, i, j), 1e-7 * (1 + std::fabs(at(x, i, j)))) << i << "," << j;
        }
    // every column mapped out: the crossproducts of the response alone
    Model& o = fitmodel();
    static int32_t none[5] = {-1, -1, -1, -1, -1};
    o.ctl.fitblk.colmap = none;
    const double* y = static_cast<double*>(zlevfit(&o.ctl, FIT_XPX));
    double sst = 0;
    for (double v : {2.1, 3.9, 6.2, 7.1, 9.4, 10.8, 15.2, 16.1, 18.3}) sst += v * v;
    EXPECT_NEAR(y[0], sst, 1e-9);
}

}  // namespace
}  // namespace efftest
