// The Poisson mixture of incomplete beta functions of the noncentral F distribution, shared
// by the plain routine (fdist.cpp) and the log-scale series (logfdist_series.cpp): the beta
// argument, the start of the sum at the index k0 near its largest terms, and the terms
// taken one at a time away from k0 in each direction. Each routine keeps its own rule for
// when a direction stops.
//
// Algorithm: the project's own arrangement of the standard Poisson mixture.
#pragma once

#include <cmath>

#include "proc/numeric/lgamma.h"

namespace fmixture {

// w = df1 x / (df1 x + df2) and v = 1 - w, each without cancellation.
inline void betaArgument(double x, double df1, double df2, double* w, double* v) {
    if (df2 <= df1) {
        const double c = df2 / df1;
        *v = c / (c + x);
        *w = x / (c + x);
    } else {
        const double t = df1 / df2 * x;
        *v = 1.0 / (t + 1.0);
        *w = t * *v;
    }
}

// The start of the sum for the shapes a = df1/2, b = df2/2 and h = nc/2: the index k0,
// the beta term t0 = w^(a+k0) v^b / ((a+k0) B(a+k0, b)) and the Poisson weight q0 of k0.
struct Start {
    double k0, t0, q0;
};
// false when k0 passes the 32-bit range or a start term leaves the doubles.
inline bool start(double w, double v, double a, double b, double h, Start* s) {
    const double m = 1.16 * h;
    if (!(m < 2147483647.0)) return false;
    const double k0 = m < 1.0 ? 0.0 : std::trunc(m);
    const double lw = w <= v ? std::log(w) : zln1px(-v);
    const double lv = w <= v ? zln1px(-w) : std::log(v);
    const double l = (a + k0) * lw + b * lv - std::log(a + k0) - zlbeta(a + k0, b);
    if (!(l >= -708.3964185 && l < 709.782712893384)) return false;
    const double lq = k0 * std::log(h) - h - zlgamma(k0 + 1.0);
    if (!(lq >= -708.3964185)) return false;
    s->k0 = k0;
    s->t0 = std::exp(l);
    s->q0 = std::exp(lq);
    return true;
}

// The terms q_k (I_k - I_k0) of the sum, from k0 downward (back) and upward (forward);
// each call returns the next term.
struct Terms {
    double a, b, w, h;
    double kb, tb, db, qb;  // downward: index, beta term, their running sum, Poisson weight
    double kf, tf, df, qf;  // upward

    Terms(double a_, double b_, double w_, double h_, const Start& s)
        : a(a_), b(b_), w(w_), h(h_), kb(s.k0), tb(s.t0), db(0.0), qb(s.q0), kf(s.k0), tf(s.t0), df(0.0), qf(s.q0) {}

    double back() {
        tb = tb * (a + kb) / ((a + b + kb - 1.0) * w);
        db += tb;
        qb = qb * kb / h;
        kb -= 1.0;
        return qb * db;
    }
    double forward() {
        df -= tf;
        qf = qf * h / (kf + 1.0);
        const double term = qf * df;
        tf = tf * w * (a + b + kf) / (a + kf + 1.0);
        kf += 1.0;
        return term;
    }
};

}  // namespace fmixture
