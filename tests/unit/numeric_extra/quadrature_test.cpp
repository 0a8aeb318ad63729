// The transformed trapezoidal quadrature.
#include <cfloat>
#include <cmath>

#include "proc/numeric/lgamma.h"
#include "proc/numeric/quadrature.h"
#include "tests/support/reference.h"

namespace {

struct Fn {
    double (*f)(double) = nullptr;
    int calls = 0;
    int failAt = -1;  // fail on this call
};

int plain(double x, void* data, double* out) {
    Fn* fn = static_cast<Fn*>(data);
    if (fn->calls++ == fn->failAt) return 1;
    *out = fn->f(x);
    return 0;
}

quadblk request(int kind, double a, double b, double x0, Fn* fn) {
    quadblk q{};
    q.kind = kind;
    q.a = a;
    q.b = b;
    q.x0 = x0;
    q.h0 = 0.5;
    q.tol = 1e-14;
    q.maxlevels = 12;
    q.mode = 0;
    q.degcode = 77;
    q.fn = plain;
    q.data = fn;
    return q;
}

double integrate(int kind, double a, double b, double x0, double (*f)(double), int* rc = nullptr) {
    Fn fn{f};
    quadblk q = request(kind, a, b, x0, &fn);
    double r = NAN;
    const int c = zhrdys(&q, &r);
    if (rc) *rc = c;
    else EXPECT_EQ(c, 0);
    return r;
}

double integrand(int id, double x) {
    switch (id) {
        case 1: return std::exp(-x * x) * std::cos(3 * x) / (1 + x * x);
        case 2: return std::log1p(x) / (1 + x * x * x);
        case 3: return std::exp(-x) * std::cos(x) * std::sqrt(x);
        case 4: return std::pow(x, -0.7) * std::pow(2 - x, 0.4) * std::exp(x);
        default: return std::pow(1 + x, -2.5);
    }
}
int currentId = 0;
double byId(double x) { return integrand(currentId, x); }

}  // namespace

TEST(Quadrature, ClosedForms) {
    // The Gaussian integral on the line, a gamma function on a half-line, a beta function
    // on an interval with both ends singular.
    EXPECT_NEAR(integrate(QUAD_LINE, 0, 0, 0.3, [](double x) { return std::exp(-x * x / 2); }),
                std::sqrt(2 * M_PI), 1e-14);
    EXPECT_NEAR(integrate(QUAD_HALFLINE, 0, 0, 1.0, [](double x) { return std::pow(x, 2.5) * std::exp(-x); }) /
                    std::exp(zlgamma(3.5)), 1.0, 1e-14);
    EXPECT_NEAR(integrate(QUAD_INTERVAL, 0, 1, 0.5,
                          [](double x) { return std::pow(x, -0.5) * std::pow(1 - x, 0.3); }) /
                    std::exp(zlbeta(0.5, 1.3)), 1.0, 1e-13);
}

// Against R's integrate over the three range kinds; agreement 1e-13 relative.
TEST(Quadrature, AgreesWithR) {
    const RefTable t = readRef("numeric_extra/quadrature.csv");
    Worst w;
    for (size_t r = 0; r < t.rows.size(); ++r) {
        currentId = static_cast<int>(t.at(r, "id"));
        const int kind = static_cast<int>(t.at(r, "kind"));
        const double a = t.at(r, "a");
        const double b = t.at(r, "b");
        const double x0 = kind == QUAD_INTERVAL ? (a + b) / 2 : a + 1;
        const double v = integrate(kind, a, b, x0, byId);
        std::string at = "id ";
        at += std::to_string(currentId);
        at += args({a, b});
        w.add(relDiff(v, t.at(r, "value")), at);
    }
    EXPECT_WORST_BELOW(w, 1e-13);
}

// Scaled mode: log Gamma(2000) = log of the integral of x^1999 e^-x, far beyond the
// doubles, with the integrand returning exp(log f - E) and raising E as it goes.
namespace {
struct Scaled {
    quadblk* q;
    double shape;
};
int scaledGamma(double x, void* data, double* out) {
    Scaled* s = static_cast<Scaled*>(data);
    const double lf = (s->shape - 1) * std::log(x) - x;
    if (lf > s->q->expo) s->q->expo = static_cast<int32_t>(std::lround(lf)) + 1;
    *out = std::exp(lf - s->q->expo);
    return 0;
}
}  // namespace

TEST(Quadrature, ScaledModeFormsIntegralsBeyondTheDoubles) {
    for (double shape : {2000.0, 1e6}) {
        quadblk q{};
        Scaled s{&q, shape};
        q.kind = QUAD_HALFLINE;
        q.a = 0;
        q.x0 = shape;
        q.h0 = 0.5;
        q.tol = 1e-15;
        q.maxlevels = 20;
        q.scaledmode = 1;
        q.base = M_E;
        q.expo = -2147483647;
        q.fn = scaledGamma;
        q.data = &s;
        double r = 0;
        ASSERT_EQ(zhrdys(&q, &r), 0);
        EXPECT_NEAR(std::log(r) + q.expo, zlgamma(shape), 1e-15 * zlgamma(shape)) << shape;
    }
}

TEST(Quadrature, Failures) {
    int rc = 0;
    // Negligible at the start point.
    integrate(QUAD_HALFLINE, 0, 0, 1, [](double) { return 0.0; }, &rc);
    EXPECT_EQ(rc, 1);
    // A failing integrand, at the start and later.
    for (int at : {0, 5, 20}) {
        Fn fn{[](double x) { return std::exp(-x * x); }};
        fn.failAt = at;
        quadblk q = request(QUAD_LINE, 0, 0, 0, &fn);
        double r;
        EXPECT_EQ(zhrdys(&q, &r), 1) << at;
    }
    // A running sum beyond 2^512.
    integrate(QUAD_LINE, 0, 0, 0, [](double) { return 1e200; }, &rc);
    EXPECT_EQ(rc, 1);
    // The line's start point beyond 2^512.
    integrate(QUAD_LINE, 0, 0, 1e160, [](double x) { return std::exp(-x * x); }, &rc);
    EXPECT_EQ(rc, 1);
    // Level and point limits: a mode that never stops runs into them.
    {
        Fn fn{[](double x) { return std::exp(-x * x); }};
        quadblk q = request(QUAD_LINE, 0, 0, 0, &fn);
        q.mode = 2;
        q.maxlevels = 4;
        double r;
        EXPECT_EQ(zhrdys(&q, &r), 1);
        EXPECT_EQ(q.levels, 5);
        q = request(QUAD_LINE, 0, 0, 0, &fn);
        q.mode = 2;
        q.maxlevels = 100;
        EXPECT_EQ(zhrdys(&q, &r), 1);
        EXPECT_LT(q.levels, 20);  // the point limit ended it
    }
}

// A point that collapses onto the lower end while the integrand there is not negligible
// returns the caller's code; a negligible one is passed over.
TEST(Quadrature, DegeneratePoints) {
    int rc = 0;
    // (x - 1)^-0.9999 on (1, 2): the lower side reaches x = 1 at full value.
    integrate(QUAD_INTERVAL, 1, 2, 1.5, [](double x) { return std::pow(x - 1, -0.9999); }, &rc);
    EXPECT_EQ(rc, 77);
    // e^-(x - a) on [1e6, inf): the points collapse onto a while t e^-t is still 1e-10,
    // which is not negligible at tol 1e-14.
    Fn fn{[](double x) { return std::exp(-(x - 1e6)); }};
    quadblk q = request(QUAD_HALFLINE, 1e6, 0, 1e6 + 1, &fn);
    double r = 0;
    EXPECT_EQ(zhrdys(&q, &r), 77);
    EXPECT_EQ(q.degenerate, 1);
    EXPECT_EQ(q.degx, 1e6);
    EXPECT_GT(q.deglast, 1e-12);
    // The same with a tolerance that the lost piece does not matter to.
    q = request(QUAD_HALFLINE, 1e6, 0, 1e6 + 1, &fn);
    q.tol = 1e-8;
    EXPECT_EQ(zhrdys(&q, &r), 0);
    EXPECT_NEAR(r, 1.0, 1e-8);
}

TEST(Quadrature, ModesAndStoppingScale) {
    // Mode 1 without an absolute floor, and the stricter scale tol^(3/4).
    for (int mode : {0, 1})
        for (int32_t acc : {0, QUAD_STRICT}) {
            Fn fn{[](double x) { return 1.0 / (1.0 + x * x); }};
            quadblk q = request(QUAD_HALFLINE, 0, 0, 1, &fn);
            q.mode = mode;
            q.accuracy = acc;
            q.maxlevels = 20;
            double r = 0;
            ASSERT_EQ(zhrdys(&q, &r), 0);
            EXPECT_NEAR(r, M_PI / 2, 1e-13) << mode << " " << acc;
            EXPECT_LT(q.relchange, acc == QUAD_STRICT ? std::pow(1e-14, 0.75) : std::sqrt(1e-14));
        }
}
