// The log probabilities of the (noncentral) F distribution for any degrees of freedom:
// zlogfnc, else the limiting chi-square and normal forms.
//
// Algorithm: the project's own.
#include <cmath>

#include "proc/numeric/logbetagamma.h"
#include "proc/numeric/logfdist.h"
#include "proc/numeric/ncchisq.h"
#include "proc/numeric/normal.h"

// Limits used when zlogfnc refuses or fails: df2 huge, F -> X1/df1 with X1 noncentral
// chi-square(df1, nc); df1 huge, F -> (1 + nc/df1) df2/X2 with X2 chi-square(df2), whose
// two tails change places; otherwise the normal form with the distribution's mean and
// standard deviation.
int zlogFNCApproxLarge(double x, double df1, double df2, double nc, double* logcdf, double* logsurv) {
    if (!(x >= 0.0 && df1 > 0.0 && df2 > 0.0 && nc >= 0.0)) return 1234567;
    if (x == 0.0) {
        *logsurv = 0.0;
        *logcdf = -1.3407807929943e154;
        return 0;
    }
    fncreq f{};
    f.x = x;
    f.df1 = df1;
    f.df2 = df2;
    f.nc = nc;
    f.request = LREQ_PROB;
    if (zlogfnc(&f) == 0) {
        *logcdf = f.logcdf;
        *logsurv = f.logsurv;
        return 0;
    }
    constexpr double big = 10000000.0;
    cncreq c{};
    c.reqflags = LREQ_PROB;
    if (df2 >= big && df1 < big) {
        c.x = df1 * x;
        c.df = df1;
        c.ncp = nc;
        if (zlogcnc(&c) == 0) {
            *logcdf = c.logp;
            *logsurv = c.logq;
            return 0;
        }
    } else if (df1 >= big && df2 < big) {
        c.x = df2 * (df1 + nc) / (df1 * x);
        c.df = df2;
        c.ncp = 0.0;
        if (zlogcnc(&c) == 0) {
            *logcdf = c.logq;
            *logsurv = c.logp;
            return 0;
        }
    }
    if (!(df2 > 4.0)) return 1;
    const double m = (df2 / df1) * (df1 + nc) / (df2 - 2.0);
    const double s = 1.4142135623730951 * m *
                     std::sqrt((1.0 + (df2 - 2.0) * (df1 + 2.0 * nc) / ((df1 + nc) * (df1 + nc))) / (df2 - 4.0));
    double lpdf;
    return zlognrm((x - m) / s, logcdf, logsurv, &lpdf);
}
