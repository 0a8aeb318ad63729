// The nonparametric curve of one class group: plotting positions, the product-limit (or
// READOUT life-table) estimate with its standard error and limits, the Nelson-Aalen
// cumulative hazard, and the group values the fits and plots need (curve.h).
#include "proc/lifedist/curve.h"

#include <cfloat>
#include <cmath>
#include <cstring>

#include "host/hostdefs.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/pools.h"
#include "proc/framework/stepend.h"
#include "proc/vyxstate.h"
#include "proc/lifedist/bands.h"
#include "proc/lifedist/lifedist_internal.h"
#include "proc/lifedist/riskset.h"
#include "proc/numeric/normal.h"
#include "proc/numeric/quantiles.h"

using namespace np;

void kmacc(double n, double natrisk, double* S, double* F, double* gsum, double* se, double* K, double d) {
    *S = survstep(*S, natrisk, d);
    *F = 1 - *S;
    if (d < natrisk) {
        *gsum += d / (natrisk * (natrisk - d));
        *se = *S * std::sqrt(*gsum);
    } else {
        *se = 0;
    }
    *K = *gsum / (1 / n + *gsum);
}

namespace {

constexpr double LOG10E = 0.43429448190325182765;

// One of the three quantile statistics of the box plot: (1 - blend) t(k) + blend t(k + 1),
// where t(j) is the summary time of the first record row whose running failure weight
// reaches j.
struct orderstat {
    double k = 0, blend = 0, value = 0;
    bool first = false, second = false;
    void add(double cw, double tol, double t) {
        if (!first && cw + tol >= k) {
            first = true;
            value += (1 - blend) * t;
        }
        if (!second && cw + tol >= k + 1) {
            second = true;
            value += blend * t;
        }
    }
};

orderstat quartile(double r, double level) {
    orderstat q;
    double k;
    double f = std::modf(r * level, &k);
    if (1 - f < EPS) {
        k += 1;
        f = 0;
    }
    q.k = k;
    q.blend = f < EPS ? 0.5 : 1.0;
    return q;
}

orderstat median(double r) {
    orderstat q;
    std::modf((r + 1) / 2, &q.k);
    q.blend = std::fmod(r, 2) < EPS ? 0.5 : 0.0;
    return q;
}

// The time of the stored scale taken back to the time scale.
double timescale(const stmtopts& opts, double x) {
    if (opts.logscale[LSC_LN]) return std::exp(x);
    if (opts.logscale[LSC_LOG10]) return std::pow(10.0, x);
    return x;
}

// Everything the row loop carries from one row to the next.
struct curvepass {
    vyxstate* s;
    grpnode* g;
    // settings
    bool readout, form1, hasfreq, weibayes, summary, ptcount, na, lsppos;
    int wcol;
    double n, z, sigma;
    // product limit and plotting positions
    double S = 1, F = 0, G = 0, K = 0, carry, R = 0, delta = 1, natrisk, V = 0;
    // With FREQ weights the number at risk is the sum of the weights still to come (a
    // running difference would lose small weights after large ones); without, a count.
    riskset* atrisk = nullptr;
    // READOUT life table
    double P = 1, m0 = 0, remaining = 0;
    bool nowithdrawal = true;
    int32_t readoutrows = 0;
    // band range
    double failw = 0, kl = 0, ku = 0;
    bool klset = false, kuset = false;
    // sums
    bool firstrow = true;
    double x0 = 0, s1 = 0, s2 = 0, wbsum = 0;
    double lsq = 0, lsx = 0, lsw = 0;
    int32_t lscount = 0;
    // summary statistics
    double sumw = 0, tol = 0, meanbase = 0, meansum = 0, tsmall = 0, tlarge = 0;
    bool baseset = false, smallset = false, largeset = false;
    orderstat lq, med, uq;
    // records
    int32_t count = 0, inblock = 0;
    bool inmem = true;
};

int writeblock(curvepass& c, int64_t records) {
    if (xcwrite(c.g->ufile2, c.g->crvbuf, records * CR_BYTES) != 0) {
        xpmlog(510, E510_FILE_WRITE);
        return endstep(c.s, RC_INPUT);
    }
    return 0;
}

int onerow(curvepass& c, const double* row) {
    vyxstate* s = c.s;
    grpnode* g = c.g;
    const double x = row[0];
    const double v = c.hasfreq ? row[c.wcol] : 1.0;
    const double w = c.readout ? 1.0 : v;
    const double stime = s->opts.logscale[LSC_LN] ? x * LOG10E : x;

    double d = 0, m = 0;
    if (c.atrisk) c.natrisk = c.atrisk->next(row);
    if (c.readout) {
        d = row[1];
        m = row[2];
        if (c.firstrow) {
            if (m < c.n) {
                xpmlog(510, E510_READOUT_FEW_ON_TEST);
                return RC_REPORTED;
            }
            // Kept in a field of its own: wright stays the right-censored weight that the
            // data summary shows.
            c.m0 = m;
            g->rdontest = m;
            g->rdfirst = d;
            c.remaining = m;
        } else {
            g->rdlater += d;
        }
    }
    if (c.firstrow) c.x0 = x;
    c.s1 += v * (x - c.x0);
    c.s2 += v * (x - c.x0) * (x - c.x0);
    if (c.weibayes) {
        const double u = (x - c.x0) / c.sigma;
        if (u > EXP_GUARD) {
            xpmlog(510, E510_WEIBAYES_OVERFLOW);
            return RC_REPORTED;
        }
        c.wbsum += v * std::exp(u);
    }
    c.firstrow = false;

    bool record = false;
    double p = 0, pos = 0, se = 0, H = 0, hsd = 0;
    if (c.readout) {
        record = true;
        if (c.nowithdrawal && c.remaining - m > EPS) c.nowithdrawal = false;
        c.P *= m > 1 ? 1 - d / (m - 1) : 0.0;
        if (m > 0) c.S *= 1 - d / m;   // no unit on test: nothing can change
        c.F = 1 - c.S;
        p = c.F;
        if (d < m) c.G += d / (m * (m - d));
        c.K = c.G / (1 / c.m0 + c.G);
        ++c.readoutrows;
        if (c.readoutrows == 1) {
            c.kl = c.K;
            c.klset = true;
        }
        if (c.readoutrows == g->nobs) {
            c.ku = c.K;
            c.kuset = true;
        }
        const double rad = c.nowithdrawal ? c.F * (1 - c.F) / c.m0 : c.S * (c.S - c.P);
        se = rad > 0 ? std::sqrt(rad) : 0.0;
        c.remaining = m - d;
        pos = c.F;
    } else if (!c.form1 || static_cast<int>(row[1]) == 0) {
        record = true;
        c.R += c.delta * w;
        p = s->life.ppos_fn(c.natrisk, c.R, c.n, &c.carry, w);
        const double sold = c.S;
        kmacc(c.n, c.natrisk, &c.S, &c.F, &c.G, &se, &c.K, w);
        pos = c.lsppos ? p : 1 - (sold + c.S) / 2;
        if (c.na) {
            c.V += w / (c.natrisk * c.natrisk);
            H = c.carry;
            hsd = std::sqrt(c.V);
            se = std::exp(-H) * hsd;
        }
        // Band range: K at the first failure row and where the failure weight reaches its
        // total (weights compared as they are, so fractional FREQ values work too).
        c.failw += w;
        if (!c.klset) {
            c.kl = c.K;
            c.klset = true;
        }
        if (!c.kuset && c.failw + c.tol >= g->wfail) {
            c.ku = c.K;
            c.kuset = true;
        }
    } else {
        c.delta = rankstep(c.n, c.R, c.natrisk, w);
    }

    double lower = 0, upper = 0;
    if (record) logitlimits(c.F, se, c.z, &lower, &upper);

    if (!c.atrisk) c.natrisk -= w;
    if (x < g->tmin) g->tmin = x;
    if (x > g->tmax) g->tmax = x;
    if (!record) return 0;

    if (p >= EPS) {
        if (p < g->pmin) g->pmin = p;
        if (p < g->pmin2) g->pmin2 = p;
        if (x < g->ptmin) g->ptmin = x;
    }
    if (p <= 1 - EPS) {
        if (p > g->pmax) g->pmax = p;
        if (p > g->pmax2) g->pmax2 = p;
        if (x > g->ptmax) g->ptmax = x;
    }
    if (c.ptcount) {
        if (!std::isnan(lower)) {
            if (lower < g->pmin) g->pmin = lower;
            if (lower < g->pmin2) g->pmin2 = lower;
        }
        if (!std::isnan(upper)) {
            if (upper > g->pmax) g->pmax = upper;
            if (upper > g->pmax2) g->pmax2 = upper;
        }
    }
    if (pos > 0 && pos < 1) {
        c.lsq += w * s->opts.quant_fn(pos);
        c.lsx += w * x;
        c.lsw += w;
        ++c.lscount;
    }

    double* rec = g->crvbuf + static_cast<int64_t>(c.inblock) * CR_WORDS;
    rec[CR_PPOS] = p;
    rec[CR_F] = c.F;
    rec[CR_SE] = se;
    rec[CR_UPPER] = upper;
    rec[CR_LOWER] = lower;
    rec[CR_TIME] = x;
    rec[CR_WEIGHT] = w;
    if (c.na) {
        rec[CR_CUMHAZ] = H;
        rec[CR_CUMHAZSD] = hsd;
    }
    ++c.count;
    ++c.inblock;
    if (!c.inmem && c.inblock == CR_PERBLOCK) {
        if (int rc = writeblock(c, CR_PERBLOCK)) return rc;
        c.inblock = 0;
    }

    if (c.summary) {
        c.sumw += w;
        if (!c.smallset) {
            c.tsmall = stime;
            c.smallset = true;
        }
        if (!c.largeset && c.sumw + c.tol >= g->wfail) {
            c.tlarge = stime;
            c.largeset = true;
        }
        c.lq.add(c.sumw, c.tol, stime);
        c.med.add(c.sumw, c.tol, stime);
        c.uq.add(c.sumw, c.tol, stime);
        if (!c.baseset) {
            c.meanbase = timescale(s->opts, c.x0);
            c.baseset = true;
        }
        c.meansum += w * (timescale(s->opts, x) - c.meanbase);
    }
    return 0;
}

void store(double* where, double value) {
    if (where) *where = value;
}

}  // namespace

int vyxcrv(vyxstate* s, grpnode* g) {
    g->crvdone = 1;
    curvepass c;
    c.s = s;
    c.g = g;
    c.readout = s->input.rspform[RF_READOUT] != 0;
    c.form1 = s->input.rspform[RF_CENSOR] != 0;
    c.hasfreq = s->input.nfreq != 0;
    c.weibayes = s->work.fitmethod == FIT_WEIBAYES;
    c.sigma = s->life.givenparms[GP_SCALE];
    c.summary = s->work.pageflags.boxes || s->work.pageflags.medians;
    c.ptcount = s->popt.plotcodes[PC_NPINTERVALS] == 2 || s->popt.pflags.pconfplt;
    c.na = s->life.pposcode == 5;
    c.lsppos = s->work.fitmethod == FIT_LSYX || s->work.fitmethod == FIT_LSXY;
    c.wcol = c.form1 ? 2 : 1;
    c.n = g->totw;
    c.natrisk = c.n;
    c.carry = c.na ? 0.0 : 1.0;
    c.z = zprobitq(s->opts.alpha / 2);

    g->tmin = g->ptmin = DBL_MAX;
    g->tmax = g->ptmax = -DBL_MAX;
    g->pmin = g->pmin2 = 1;
    g->pmax = g->pmax2 = 0;

    if (c.readout) g->nfail = g->nobs;
    // The records stay in one buffer when it can be had within the memory a curve may take;
    // a larger curve goes to the curve file block by block (the same records, in the same
    // order), which the host keeps in memory or on disk as it grows.
    const int64_t want = static_cast<int64_t>(g->nfail) * CR_BYTES;
    g->crvbuf = want <= CR_MEMBYTES ? static_cast<double*>(poolbytes(s->pools.stmtpool, want, poolflag::zeroed)) : nullptr;
    g->crvinmem = g->crvbuf != nullptr;
    if (!g->crvbuf) {
        c.inmem = false;
        if (xcopen(&g->ufile2, XC_SCRATCH) != 0 || !g->ufile2) {
            g->ufile2 = nullptr;
            xpmlog(510, E510_FILE_OPEN);
            return RC_REPORTED;
        }
        xcpoint(g->ufile2, 0);
        g->crvbuf = static_cast<double*>(poolbytes(s->pools.stmtpool, CR_BLOCKBYTES, poolflag::zeroed));
        if (!g->crvbuf) {
            xmemmsg(CR_BLOCKBYTES);
            return RC_REPORTED;
        }
    }

    const double r = g->wfail;
    c.tol = EPS * (r > 1 ? r : 1.0);
    if (c.summary) {
        c.lq = quartile(r, 0.25);
        c.uq = quartile(r, 0.75);
        c.med = median(r);
    }
    if (c.readout) g->rdsurv = g->rdlater = g->rdfirst = 0;

    double wbq = 0;
    if (c.weibayes) {
        const double conf = weibayesconf(s);
        if (zqc(conf, 2 * r + 2, &wbq) != 0 || !(wbq > 0)) {
            xpmlog(510, E510_WEIBAYES_NO_QUANTILE, conf, 2 * r + 2);
            return RC_REPORTED;
        }
    }

    riskset weights;
    if (c.hasfreq && !c.readout) {
        if (int rc = weights.start(s, g, c.wcol)) return rc;
        c.atrisk = &weights;
    }
    if (int rc = eachrow(s, g, [&c](const double* row) { return onerow(c, row); })) return rc;

    g->ncurve = c.count;
    if (c.count == 0) {
        g->ptmin = g->tmin;
        g->ptmax = g->tmax;
    }
    if (!c.inmem) {
        if (int rc = writeblock(c, c.inblock)) return rc;
    }
    if (c.readout) g->rdsurv = c.m0 - g->rdlater - g->rdfirst;

    // Centres of a least-squares fit: the means over the points that entered the sums.
    if (c.lsw > 0) {
        g->lsqbar = c.lsq / c.lsw;
        g->lsxbar = c.lsx / c.lsw;
    }

    if (s->popt.plotcodes[PC_NPINTERVALS] == 1) {
        if (int rc = curveband(s, g, c.kl, c.ku)) return rc;
    }

    const double W = c.n;
    double off = c.s1;
    if (W > 0) off /= W;
    const double mean = off + c.x0;
    const double ss = c.s2 - W * (mean - c.x0) * (mean - c.x0);
    g->wmean = mean;
    g->wsd = (ss < EPS53 || W <= 1) ? 1.0 : std::sqrt(ss / (W - 1));

    if (c.weibayes) g->wbloc = std::log(2 * c.wbsum / wbq) + c.x0 / c.sigma;

    if (c.summary) {
        const bool any = r > 0 && c.count > 0;
        const double miss = hostmissing();
        store(g->ppcslot[PPC_LARGEST], any && c.largeset ? c.tlarge : miss);
        store(g->ppcslot[PPC_UPPERQ], any ? c.uq.value : miss);
        store(g->ppcslot[PPC_MEDIAN], any ? c.med.value : miss);
        store(g->ppcslot[PPC_LOWERQ], any ? c.lq.value : miss);
        store(g->ppcslot[PPC_SMALLEST], any ? c.tsmall : miss);
        store(g->ppcslot[PPC_NFAIL], r);
        if (c.baseset) {
            double ms = c.meansum;
            if (r > 0) ms /= r;
            const bool logsc = s->opts.logscale[LSC_LN] || s->opts.logscale[LSC_LOG10];
            store(g->ppcslot[PPC_MEAN], logsc ? std::log10(c.meanbase + ms) : c.meanbase + ms);
        }
    }
    return 0;
}
