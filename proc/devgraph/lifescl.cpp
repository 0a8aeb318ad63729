// The life and stress axes of the life-distribution plots: their ranges from the data and the
// axis options, and tick values by the nice axis scaling (devgraph.h).
#include "proc/devgraph/devgraph.h"

#include <cmath>

#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/memnum.h"
#include "proc/framework/pools.h"
#include "proc/vyxstate.h"

namespace {

constexpr double kEps53 = 1.110223024625157e-16;
constexpr double kT = 1000 * kEps53;                 // end tolerance
constexpr double kFloor = 1.053671212772351e-08;     // 2^-26.5
constexpr double kNice[5] = {1, 2, 2.5, 5, 10};

template <class T>
T* take(vyxstate* s, int64_t n) {
    const int64_t bytes = n > 0 ? n * int64_t(sizeof(T)) : int64_t(sizeof(T));
    auto* p = static_cast<T*>(poolbytes(s->pools.stmtpool, bytes, poolflag::raw));
    if (!p) xmemmsg(bytes);
    return p;
}

// Ticks and boundaries of a log axis in decades from k0 to k1 (log10 units).
int logaxisticks(vyxstate* s, double lo, double top, double** ticks, int* n, double** bounds, int* nb) {
    double k0 = std::floor(lo + kT);
    if (!s->work.llowgiven && std::fabs(lo - k0) <= kT) k0 -= 1;
    double k1 = std::ceil(top - kT);
    if (!s->work.lupgiven && std::fabs(k1 - top) <= kT) k1 += 1;
    if (k0 >= k1) k1 = k0 + 1;
    s->plot.lifescale[LAX_START] = k0;
    s->plot.lifescale[LAX_END] = k1;
    s->plot.lifescale[LAX_STEP] = 1.0;
    *n = static_cast<int>(k1 - k0);
    s->plot.lifelin = 0;
    double* t = take<double>(s, *n + 1);
    if (!t) return 1;
    for (int i = 0; i <= *n; ++i) t[i] = k0 + i;
    double* b = nullptr;
    int count = 0;
    if (s->work.lifebnd) {
        b = take<double>(s, 2 * int64_t(*n) + 1);
        if (!b) return 1;
        const double half = std::log10(5.0);
        for (int i = 0; i <= *n; ++i) {
            b[count++] = k0 + i;
            if (!s->popt.lifebnd1 && i < *n) b[count++] = k0 + i + half;
        }
    }
    if (s->work.llowgiven) {
        t[0] = lo;
        if (b) {
            b[0] = lo;
            if (!s->popt.lifebnd1 && count > 1) {
                for (int i = 1; i + 1 < count; ++i) b[i] = b[i + 1];
                --count;
            }
        }
    }
    if (s->work.lupgiven) {
        t[*n] = top;
        if (b) {
            if (!s->popt.lifebnd1 && count > 1) {
                b[count - 2] = b[count - 1];
                --count;
            }
            b[count - 1] = top;
        }
    }
    s->plot.lifescale[LAX_START] = t[0];
    s->plot.lifescale[LAX_END] = t[*n];
    *ticks = t;
    *bounds = b;
    *nb = count;
    return 0;
}

int linaxisticks(vyxstate* s, double lo, double top, double** ticks, int* n, double** bounds, int* nb) {
    int& ntick = s->work.axopt[AO_NTICK];
    scale sc{};
    if (s->work.llowgiven && s->work.lupgiven) {
        const int m = s->work.ntickset ? ntick : 4;
        sc.min = lo;
        sc.max = top;
        sc.incr = (top - lo) / m;
        *n = m;
    } else if (s->work.llowgiven || s->work.lupgiven) {
        *n = zqscale(lo, top, -ntick, 5, kNice, &sc, 'S', s->work.llowgiven ? 'L' : 'U');
    } else {
        *n = zqscale(lo, top, ntick, 5, kNice, &sc, 'S', 'X');
    }
    if (*n < 0) {
        s->work.ntickset = 1;
        ntick = 4;
    }
    if (s->work.ntickset) {
        *n = ntick;
        sc.incr = (sc.max - sc.min) / ntick;
    }
    s->plot.lifescale[LAX_START] = sc.min;
    s->plot.lifescale[LAX_END] = sc.max;
    s->plot.lifescale[LAX_STEP] = sc.incr;
    s->plot.lifelin = 1;
    const double E = std::fmax(std::fabs(sc.min), std::fabs(sc.max)) * kFloor * 1000;
    double* t = take<double>(s, *n + 1);
    if (!t) return 1;
    double* b = nullptr;
    if (s->work.lifebnd) {
        b = take<double>(s, 2 * int64_t(*n) + 1);
        if (!b) return 1;
    }
    int count = 0, nbounds = 0;
    for (double v = sc.min; count < *n + 1 && v <= sc.max + E; v += sc.incr) {
        t[count++] = v;
        if (b) {
            b[nbounds++] = v;
            if (!s->popt.lifebnd1 && count < *n + 1) b[nbounds++] = v + sc.incr / 2;
        }
        if (!(sc.incr > 0)) break;   // a zero step would never end
    }
    *n = count - 1;
    *ticks = t;
    *bounds = b;
    *nb = nbounds;
    return 0;
}

// The value of a life-axis option on the axis's scale; false when a log axis cannot show it.
bool onaxis(double v, bool logs, double* out) {
    if (!logs) {
        *out = v;
        return true;
    }
    if (!(v > 0)) return false;
    *out = std::log10(v);
    return true;
}

}  // namespace

int lifescl(vyxstate* s, double lo, double hi) {
    const double log10e = std::log10(std::exp(1.0));
    if (s->opts.logscale[LSC_LN]) {
        lo *= log10e;
        hi *= log10e;
    }
    const bool logs = s->opts.logscale[LSC_LN] || s->opts.logscale[LSC_LOG10];
    s->plot.axlog[AXLOG_H] = s->plot.axlog[AXLOG_V] = 0;
    double v;
    if (s->work.llowgiven) {
        if (!onaxis(s->work.axlim[AX_LIFELOWER], logs, &v)) {
            s->work.llowgiven = 0;
            xpmlog(510, W510_LIFELOWER_IGNORED, s->work.axlim[AX_LIFELOWER]);
        } else if (s->work.lupgiven) {
            lo = v;
        } else if (hi <= v) {
            s->work.llowgiven = 0;
            xpmlog(510, W510_LIFELOWER_IGNORED, s->work.axlim[AX_LIFELOWER]);
        } else {
            lo = v;
        }
    }
    if (s->work.lupgiven) {
        // On a log axis an upper end not above 0 has no place: dropped like one below the data.
        if (!onaxis(s->work.axlim[AX_LIFEUPPER], logs, &v)) {
            s->work.lupgiven = 0;
            xpmlog(510, W510_LIFEUPPER_IGNORED, s->work.axlim[AX_LIFEUPPER]);
        } else if (s->work.llowgiven) {
            hi = v;
        } else if (v <= lo) {
            s->work.lupgiven = 0;
            xpmlog(510, W510_LIFEUPPER_IGNORED, s->work.axlim[AX_LIFEUPPER]);
        } else {
            hi = v;
        }
    }
    const double top = lo > hi ? lo : hi;
    double* ticks = nullptr;
    double* bounds = nullptr;
    int n = 0, nb = 0;
    const int rc = logs ? logaxisticks(s, lo, top, &ticks, &n, &bounds, &nb) : linaxisticks(s, lo, top, &ticks, &n, &bounds, &nb);
    if (rc) return rc;
    if (s->work.lifebnd) {
        s->plot.lifeticks = bounds;
        s->plot.tickinfo[TI_NBOUNDS] = static_cast<uint32_t>(nb);
        s->plot.lifecounts = take<int32_t>(s, nb > 1 ? nb - 1 : 1);
        if (!s->plot.lifecounts) return 1;
        for (int i = 0; i + 1 < nb; ++i) s->plot.lifecounts[i] = 0;
    }
    s->plot.lifetickv = ticks;
    s->plot.tickinfo[TI_NLIFETICKS] = static_cast<uint32_t>(n + 1);
    s->work.axopt[AO_NTICK] = n;
    return 0;
}

int stressscl(vyxstate* s, double smin, double smax) {
    const auto& p = s->popt.pflags;
    const uint32_t rel = s->opts.stressrel;
    const int nlev = static_cast<int>(s->groups.nlev[NLEV_FIRST]);
    for (int i = 0; i < nlev; ++i) {
        if (!ismissing(s->opts.stress_fn(s->groups.levvals[CV_FIRST][i]))) continue;
        const int msg = rel == 1 || rel == 4 ? E510_ARRHENIUS_UNDEFINED
                        : rel == 3           ? E510_POW_STRESS_NOT_POSITIVE
                        : rel == 5           ? E510_LOGISTIC_STRESS_RANGE
                                             : 0;
        if (msg == 0) continue;
        xpmlog(510, msg, txtarg(s->groups.clsnames[CV_FIRST], s->groups.clsnamelen[CV_FIRST]), s->groups.levvals[CV_FIRST][i]);
        return 1;
    }
    int& nst = s->work.axopt[AO_NSTRESSTICK];
    scale sc{};
    int n = 0;
    double lo = 0, hi = 0, k0 = 0, k1 = 0;
    const bool linear = rel == 1 || rel == 2 || rel == 4 || rel == 5;
    if (linear) {
        lo = p.slowgiven ? s->work.axlim[AX_STRESSLOWER] : smin;
        hi = p.supgiven ? s->work.axlim[AX_STRESSUPPER] : smax;
        if (p.slowgiven && p.supgiven) {
            const int m = s->work.nstickset ? nst : 4;
            sc = scale{lo, hi, (hi - lo) / m, {0, 0}, 0};
            n = m;
        } else if (p.supgiven) {
            n = zqscale(lo, hi, -nst, 4, kNice, &sc, 'S', 'U');
            if (std::fabs(sc.min - smin) <= kT) sc.min -= sc.incr, ++n;
        } else if (p.slowgiven) {
            n = zqscale(lo, hi, -nst, 4, kNice, &sc, 'S', 'L');
            if (std::fabs(sc.max - smax) <= kT) sc.max += sc.incr, ++n;
        } else {
            n = zqscale(lo, hi, nst, 4, kNice, &sc, 'S', 'X');
            if (std::fabs(sc.max - smax) <= kT) sc.max += sc.incr, ++n;
            if (std::fabs(sc.min - smin) <= kT) sc.min -= sc.incr, ++n;
        }
        if (n < 0) {
            s->work.nstickset = 1;
            nst = 4;
        }
        if (s->work.nstickset) {
            n = nst;
            sc.incr = (sc.max - sc.min) / n;
        }
    } else if (rel == 3) {
        if (smin <= kEps53 || smax <= kEps53) {
            xpmlog(510, E510_POW_NOT_POSITIVE);
            return 1;
        }
        if (p.slowgiven && s->work.axlim[AX_STRESSLOWER] <= kEps53) {
            xpmlog(510, E510_POW_NOT_POSITIVE);
            return 1;
        }
        if (p.supgiven && s->work.axlim[AX_STRESSUPPER] <= kEps53) {
            xpmlog(510, E510_POW_NOT_POSITIVE);
            return 1;
        }
        lo = std::log10(p.slowgiven ? s->work.axlim[AX_STRESSLOWER] : smin);
        hi = std::log10(p.supgiven ? s->work.axlim[AX_STRESSUPPER] : smax);
        k0 = std::floor(lo);
        k1 = std::ceil(hi);
        n = static_cast<int>(k1 - k0);
    }
    if (hi <= lo) {
        xpmlog(510, E510_STRESS_AXIS_NO_RANGE);
        return 1;
    }
    plotlay* f = s->plot.frame;
    double* rt = take<double>(s, 2 * (int64_t(n) + 1));
    if (!rt) return 1;
    f->rticks = rt;
    f->nrtickv = n + 1;
    double* pos = rt;
    double* lab = rt + n + 1;
    int status = 0;
    if (linear) {
        for (int i = 0; i <= n; ++i) {
            const double x = sc.min + i * sc.incr;
            pos[i] = s->opts.stress_fn(x);
            if (!std::isfinite(pos[i])) {
                xpmlog(510, E510_STRESS_AXIS_NOT_FINITE, x);
                return 1;
            }
            lab[i] = x;
        }
        for (int i = 0; i < s->work.refs.counts[REF_SREF]; ++i) s->work.refs.vals[REF_SREF][i] = s->opts.stress_fn(s->work.refs.vals[REF_SREF][i]);
        s->work.axlim[AX_STRESSLOWER] = sc.min;
        s->work.axlim[AX_STRESSUPPER] = sc.max;
    } else {
        pos[0] = p.slowgiven ? lo : k0;
        lab[0] = vx::zpower(10.0, pos[0], &status);
        s->work.axlim[AX_STRESSLOWER] = lab[0];
        for (int i = 1; i < n; ++i) {
            pos[i] = k0 + i;
            lab[i] = vx::zpower(10.0, k0 + i, &status);
        }
        pos[n] = p.supgiven ? hi : k1;
        lab[n] = vx::zpower(10.0, pos[n], &status);
        s->work.axlim[AX_STRESSUPPER] = lab[n];
    }
    f->smin = pos[0];
    f->smax = pos[n];
    f->nsint = n;
    return status;
}
