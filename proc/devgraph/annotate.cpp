// Annotate data sets: the converted copy and the request to the host.
#include "proc/devgraph/devgraph_internal.h"

#include <cctype>
#include <cmath>
#include <cstring>
#include <vector>

#include "proc/framework/hostgraphics.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/optslots.h"
#include "proc/framework/pools.h"
#include "proc/vyxstate.h"

namespace {

constexpr double kLog10e = 0.4342944819032518;

int32_t findvar(dshandle ds, int nvars, const char* name, vardesc* out) {
    for (int32_t k = 1; k <= nvars; ++k) {
        vardesc d{};
        if (xvname(ds, k, &d) != 0) continue;
        bool same = std::strlen(name) == d.namelen;
        for (int i = 0; same && i < d.namelen; ++i) same = std::toupper(static_cast<unsigned char>(d.name[i])) == name[i];
        if (same) {
            *out = d;
            return k;
        }
    }
    return 0;
}

const vec203* D() { return hostvec<vec203>(VEC_DATASETS); }

dshandle annotateinput(const stmtrec* stmt, dshandle annods) {
    const optslot* o = stmtslot(stmt, slot::plot::ANNOTATE);
    if (o && o->kind == SK_DATASET && o->handle) return static_cast<dshandle>(o->handle);
    return annods;
}

}  // namespace

int vyxatrn(vyxstate* s) {
    dshandle in = annotateinput(s->inwork.curstmt, s->input.annods);
    dsinfo info{};
    if (!in || xoinfo(in, DSI_INFO, &info) != 0) {
        xpmlog(510, W510_ANNOTATE_VARIABLES);
        return 1;
    }
    vardesc dx{}, dy{}, dxs{}, dys{};
    const int32_t vx = findvar(in, info.nvars, "X", &dx), vy = findvar(in, info.nvars, "Y", &dy);
    const int32_t vxs = findvar(in, info.nvars, "XSYS", &dxs), vys = findvar(in, info.nvars, "YSYS", &dys);
    if (!vx || !vy || !vxs || !vys) {
        xpmlog(510, W510_ANNOTATE_VARIABLES);
        return 1;
    }
    // The copy: every other variable first, then X, Y, XSYS and YSYS.
    std::vector<vardesc> vars;
    std::vector<int32_t> from;
    for (int32_t k = 1; k <= info.nvars; ++k) {
        if (k == vx || k == vy || k == vxs || k == vys) continue;
        vardesc d{};
        xvname(in, k, &d);
        vars.push_back(d);
        from.push_back(k);
    }
    auto add = [&](const char* name, uint8_t type, int length) {
        vardesc d{};
        std::strcpy(d.name, name);
        d.namelen = static_cast<uint16_t>(std::strlen(name));
        d.type = type;
        d.length = length;
        vars.push_back(d);
    };
    add("X", 1, 8), add("Y", 1, 8), add("XSYS", 2, 1), add("YSYS", 2, 1);
    const int n = static_cast<int>(vars.size());
    dshandle out = xocreate("_ANNO", n, vars.data());
    if (!out) return 1;
    const int32_t ox = n - 3, oy = n - 2, oxs = n - 1, oys = n;

    const double c = kLog10e;
    const bool rotate = s->popt.pflags.rotate;
    int rc = 0;
    bool stop = false;
    D()->xopnt(in);
    while (!stop && rc == 0 && D()->xoget(in) == 0) {
        for (size_t k = 0; k < from.size(); ++k) {
            if (vars[k].type == 2) {
                char t[257];
                int w = std::min(vars[k].length, 256);
                D()->xvget1c(in, from[k], t, w);
                xvput1c(out, static_cast<int32_t>(k + 1), t, w);
            } else {
                double v = hostmissing();
                D()->xvget1f(in, from[k], &v);
                xvput1f(out, static_cast<int32_t>(k + 1), v);
            }
        }
        double x = hostmissing(), y = hostmissing();
        char xs = ' ', ys = ' ';
        D()->xvget1f(in, vx, &x);
        D()->xvget1f(in, vy, &y);
        // A data set read from text keeps a column of digits numeric: XSYS=2 is then the number 2.
        auto system = [&](int32_t var, const vardesc& d) {
            char c = ' ';
            if (d.type == 1) {
                double v = hostmissing();
                D()->xvget1f(in, var, &v);
                if (v >= 0 && v <= 9 && v == std::floor(v)) c = static_cast<char>('0' + static_cast<int>(v));
            } else {
                D()->xvget1c(in, var, &c, 1);
            }
            return c;
        };
        xs = system(vxs, dxs);
        ys = system(vys, dys);
        if (xs == '8' || ys == '8') {
            xpmlog(510, W510_ANNOTATE_SYSTEM8);
            rc = 1;
            break;
        }
        auto logof = [&](double& v) {
            if (ismissing(v)) return true;
            if (v <= 0) {
                xpmlog(510, W510_ANNOTATE_LOG_VALUE, v);
                return false;
            }
            v = std::log10(v);
            return true;
        };
        auto probof = [&](double& v) {
            if (ismissing(v)) return true;
            if (!(v > 0 && v < 100)) {
                xpmlog(510, W510_ANNOTATE_PROB_OUTSIDE, v);
                return false;
            }
            v = s->opts.quant_fn(v / 100);
            return true;
        };
        bool ok = true;
        switch (s->input.stmtkind) {
        case 3:   // MCFPLOT
            if (xs == '2' && s->plot.axlog[AXLOG_H]) ok = logof(x);
            if (ok && ys == '2' && s->plot.axlog[AXLOG_V]) ok = logof(y);
            break;
        case 4:   // RELATIONPLOT: stress along the bottom, life up the left, as the plot draws them
            if (xs == '2') {
                if (s->popt.pflags.pplot) {
                    xpmlog(510, W510_ANNOTATE_STRESS_PANELS);
                    stop = true;   // the copy ends with the observations written so far
                    continue;
                }
                if (!ismissing(x) && s->opts.stress_fn) {
                    x = s->opts.stress_fn(x);
                    if (s->opts.stressrel == 3) x *= c;
                }
            }
            if (ys == '2' && s->plot.axlog[AXLOG_V]) ok = logof(y);
            break;
        default:  // PROBPLOT
            if (!rotate) {
                if (xs == '2' && s->plot.axlog[AXLOG_H]) ok = logof(x);
                if (ok && ys == '2') ok = probof(y);
            } else {
                if (ys == '2' && s->plot.axlog[AXLOG_V]) ok = logof(y);
                if (ok && xs == '2') ok = probof(x);
            }
            break;
        }
        if (!ok) {
            rc = 1;
            break;
        }
        xvput1f(out, ox, x);
        xvput1f(out, oy, y);
        xvput1c(out, oxs, &xs, 1);
        xvput1c(out, oys, &ys, 1);
        xoadd(out);
    }
    xoclose(in, 0);
    if (rc != 0) {
        xoclose(out, 1);
        return 1;
    }
    s->plot.annolib = out;
    return 0;
}

int vyxanno(vyxstate* s) {
    plotlay* f = s->plot.frame;
    auto* work = static_cast<char*>(poolbytes(s->pools.workpool, 32, poolflag::zeroed));
    ganoaxis h{}, v{};
    h.orgx = v.orgx = f->fx - f->gapl;
    h.orgy = v.orgy = f->fy - f->gapb;
    h.gaplo = f->gapl, h.gaphi = f->gapr, h.length = f->gapl + f->fw + f->gapr;
    v.gaplo = f->gapb, v.gaphi = f->gapt, v.length = f->gapb + f->fh + f->gapt;
    h.dmin = f->hmin, h.dmax = f->hmax, v.dmin = f->vmin, v.dmax = f->vmax;
    h.angle = 0.0, v.angle = 90.0;
    h.factor = f->hfac, h.offset = f->hoff, v.factor = f->vfac, v.offset = f->voff;
    h.kind1 = v.kind1 = 1;
    h.kind2 = v.kind2 = 2;
    h.work = work, v.work = work ? work + 16 : nullptr;
    h.form = v.form = 'F';
    ganoreq r{};
    r.size = 60;
    r.gfile[0] = s->plot.gfilew[0], r.gfile[1] = s->plot.gfilew[1];
    r.dsin = s->input.dsin;
    r.anno = s->plot.annolib;
    r.catent = f->catent;
    r.pagewin = f->pagewin;
    r.haxis = &h;
    r.vaxis = &v;
    return ganotat(&r);
}
