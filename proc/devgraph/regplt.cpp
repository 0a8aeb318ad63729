// The relation plot of the MODEL's fit (FITTYPE=REGRESSION): on a page whose frame and axes
// are drawn, the legend frame of the percentile lines, the grid, one marker per observation
// at (stress, life) by its censoring, the counts of coinciding markers (SHOWMULTIPLES), the
// symbol legend and the percentile lines with a label per curve (regplt); the sort of the
// plot rows that brings coinciding markers together (sortxy).
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <string>

#include "host/hostdefs.h"
#include "host/vec472_sort.h"
#include "proc/devgraph/devgraph_internal.h"
#include "proc/framework/optslots.h"
#include "proc/devgraph/pagebox.h"
#include "proc/devgraph/ppdraw.h"
#include "proc/framework/hostsvc.h"
#include "proc/framework/msg510.h"
#include "proc/framework/hostsvc_util.h"
#include "proc/effects/effects.h"
#include "proc/framework/pools.h"
#include "proc/framework/sortwrap.h"
#include "proc/framework/textpad.h"
#include "proc/lifedist/lifedist.h"
#include "proc/vyxstate.h"

namespace {

constexpr double kLog10e = 0.43429448190325182765;
constexpr double kTol = 1000.0 * GZ_UNIT;   // coinciding markers, in page percent

bool missing(double v) { return std::isnan(v); }

// The plot rows live in a utility file of their own for the page: the MODEL's rows keep
// theirs. The file is the state's utilfile while the page is drawn (sortxy replaces it by
// the sorted one) and is deleted when the page is done.
struct RowsFile {
    vyxstate* s;
    xchandle saved;
    explicit RowsFile(vyxstate* st) : s(st), saved(st->pools.utilfile) { s->pools.utilfile = nullptr; }
    ~RowsFile() {
        ufdrop(&s->pools.utilfile);
        s->pools.utilfile = saved;
    }
    RowsFile(const RowsFile&) = delete;
    RowsFile& operator=(const RowsFile&) = delete;
};

// The bytes the page clears before its grid, given back when it is done: a later
// destination draws with them again.
struct GridBytes {
    vyxstate* s;
    uint8_t grid, cens, bnd;
    explicit GridBytes(vyxstate* st) : s(st), grid(st->plot.gridsave), cens(st->work.nocenplot), bnd(st->work.lifebnd) {}
    ~GridBytes() {
        s->plot.gridsave = grid;
        s->work.nocenplot = cens;
        s->work.lifebnd = bnd;
    }
};

// A stress value on the page: through the relation when the statement gives one (POW in
// log10 units), mapped; missing when the relation refuses it.
double stresspage(const vyxstate* s, double v) {
    double x = s->popt.rplotopt && s->opts.stress_fn ? s->opts.stress_fn(v) : v;
    if (missing(x)) return x;
    if (s->opts.stressrel == code::relation::POWER) x *= kLog10e;
    return x * s->plot.frame->hfac + s->plot.frame->hoff;
}

// One plot row of an observation row of a group: its life on the page and its censoring
// code (0 exact, -1 right-, -2 left-, -3 interval-censored); false when it is not plotted.
bool plotrow(const vyxstate* s, const double* r, double* y, int* code) {
    const bool ln = s->opts.logscale[LSC_LN] != 0, logs = ln || s->opts.logscale[LSC_LOG10];
    double v;
    int c = 0;
    if (s->input.rspform[RF_INTERVAL]) {
        const double lo = r[OBS_LOWER], hi = r[OBS_UPPER];
        if (missing(lo) && missing(hi)) return false;
        if (missing(lo)) v = hi, c = -2;
        else if (missing(hi)) v = lo, c = -1;
        else if (hi < lo) return false;
        else if (hi == lo) v = lo;
        else c = -3;
        if (c == -3) {
            // The midpoint in time units.
            const double k = ln ? 1.0 : std::log(10.0);
            v = logs ? std::log10(0.5 * (std::exp(k * lo) + std::exp(k * hi))) : 0.5 * (lo + hi);
        } else if (ln) {
            v *= kLog10e;
        }
    } else {
        v = r[OBS_TIME];
        if (s->input.rspform[RF_CENSOR]) c = static_cast<int>(r[OBS_CENS]);
        if (ln) v *= kLog10e;
    }
    if (missing(v) || c == CENS_OTHERMODE) return false;
    *y = v * s->plot.frame->vfac + s->plot.frame->voff;
    *code = c;
    return true;
}

// The plot rows of every stress level into the utility file, R rows to a record. The number
// of rows, or -1 after a message (510/15 ends the step).
int64_t writerows(vyxstate* s, double* buf, int R, int W) {
    const bool freq = s->input.nfreq != 0;
    const int wcol = obsweightcol(s->inwork.rspkind);
    int inbuf = 0;
    int64_t rows = 0;
    auto flush = [&]() {
        if (inbuf == 0) return true;
        if (xcwrite(s->pools.utilfile, buf, int64_t(inbuf) * W * 8) != 0) {
            xpmlog(510, E510_FILE_WRITE);
            xexit(RC_WRITE, 0);
            return false;
        }
        inbuf = 0;
        return true;
    };
    auto put = [&](double x, double y, int code, double count) {
        double* at = buf + int64_t(inbuf) * W;
        if (freq) at[3] = count;
        at[0] = x;
        at[1] = y;
        at[2] = code;
        ++rows;
        return ++inbuf == R && !flush() ? 1 : 0;
    };
    if (plotsmodelrows(s)) {
        const bool ln = s->opts.logscale[LSC_LN] != 0, logs = ln || s->opts.logscale[LSC_LOG10];
        const int rc = eachmodelobs(s, [&](const modelobs& o) {
            const double x = stresspage(s, o.stress);
            if (missing(x)) return 0;
            const double y = logs ? std::log10(o.life) : o.life;
            return put(x, y * s->plot.frame->vfac + s->plot.frame->voff, o.code, o.count);
        });
        if (rc) return -1;
        return flush() ? rows : -1;
    }
    const int n = static_cast<int>(s->groups.nlev[NLEV_FIRST]);
    int j = 0;
    for (grpnode* g = s->groups.grplist.head; g && j < n && s->groups.levvals[CV_FIRST]; g = g->next, ++j) {
        const double x = stresspage(s, s->groups.levvals[CV_FIRST][j]);
        if (missing(x)) continue;
        const int rc = eachrow(s, g, [&](const double* r) {
            double y;
            int code;
            if (!plotrow(s, r, &y, &code)) return 0;
            double count = 1.0;
            if (freq) {
                const double w = r[wcol];
                if (missing(w) || !(w > 0.0)) return 0;
                count = std::round(w);
            }
            return put(x, y, code, count);
        });
        if (rc) return -1;
    }
    return flush() ? rows : -1;
}

// The markers of the plot rows, kind by kind, with the counts of coinciding markers.
int drawrows(vyxstate* s, double* buf, int R, int W, int64_t rows, Marks* m, const symrec* const* styles, bool* seen, LabelRoom* room) {
    const bool freq = s->input.nfreq != 0, mult = s->work.showmult;
    double rx[3], ry[3];
    int rn[3] = {};
    for (int k = 0; k < 3; ++k) rx[k] = ry[k] = DBL_MAX;
    auto label = [&](int k) {
        if (rn[k] > 1) symb_label(s, styles[k], rn[k], rx[k], ry[k], s->popt.multpos, room);
    };
    xcpoint(s->pools.utilfile, 0);
    for (int64_t done = 0; done < rows; done += R) {
        if (xcread(s->pools.utilfile, buf, int64_t(R) * W * 8) != 0) {
            xpmlog(510, E510_FILE_ENDS_EARLY);
            return RC_READ;
        }
        const int n = static_cast<int>(std::min<int64_t>(R, rows - done));
        for (int i = 0; i < n; ++i) {
            const double* r = buf + int64_t(i) * W;
            const double x = r[0], y = r[1];
            const int code = static_cast<int>(r[2]);
            const int k = code == -1 ? 1 : code == -2 ? 2 : 0;
            if (mult) {
                if (freq) {
                    const int c = static_cast<int>(r[3]);
                    if (c > 1) symb_label(s, styles[k], c, x, y, s->popt.multpos, room);
                } else if (std::fabs(y - ry[k]) >= kTol || std::fabs(x - rx[k]) >= kTol) {
                    label(k);
                    rx[k] = x, ry[k] = y, rn[k] = 1;
                } else {
                    ++rn[k];
                }
            }
            m[k].add(x, y);
            seen[k] = true;
        }
    }
    if (mult && !freq)
        for (int k = 0; k < 3; ++k) label(k);
    for (int k = 0; k < 3; ++k) m[k].flush();
    return 0;
}

// The label of curve j: the level of the MODEL's CLASS variable, or the value of the second
// variable (at most two decimals).
std::string curvelabel(const vyxstate* s, const regpstate* rp, int j) {
    char buf[40];
    if (rp->bylevel) {
        const levstate* ls = s->mdl.mdllev->lstate;
        if (rp->clsix < 0 || rp->clsix >= ls->nclassv) return {};
        const levclass& c = ls->classv[rp->clsix];
        if (j >= c.nlev || !c.levels) return {};
        const char* t = c.levels[j];
        int b = 0, e = wzstrip(t, c.fmtlen);
        while (b < e && t[b] == ' ') ++b;
        return std::string(t + b, static_cast<size_t>(e - b));
    }
    if (!rp->values) return {};
    const double v = rp->values[j];
    std::memset(buf, ' ', sizeof buf);
    xpfs(v, -16, 99, buf);
    std::string t(buf, static_cast<size_t>(wzstrip(buf, 16)));
    const size_t dot = t.find('.');
    if (dot != std::string::npos && t.size() - dot - 1 > 2 && t.find_first_of("Ee") == std::string::npos) {
        std::memset(buf, ' ', sizeof buf);
        xpfs(v, -16, 2, buf);
        t.assign(buf, static_cast<size_t>(wzstrip(buf, 16)));
    }
    return t;
}

// The heading of the curve labels: the label of the MODEL's CLASS variable or of the second
// variable, else its name.
std::string curveheading(const modelstate& mdl, const regpstate* rp) {
    const levstate* ls = mdl.mdllev->lstate;
    const levclass* c = rp->bylevel ? (rp->clsix >= 0 && rp->clsix < ls->nclassv ? &ls->classv[rp->clsix] : nullptr)
                                    : (rp->otherix >= 0 && rp->otherix < ls->ncontv ? &ls->contv[rp->otherix] : nullptr);
    if (!c || !c->varinfo) return {};
    const vardesc& d = c->varinfo->d;
    if (d.labellen > 0) return std::string(d.label, d.labellen);
    return std::string(d.name, d.namelen);
}

// The percentile lines, one polyline per percentile and curve, and the curves' labels. A
// label stands at the last point of its curve inside the frame; one that would run into a
// label placed before or be crossed by another line moves by the smallest step (up, right,
// left or down) that clears it, within two text heights, and is left out when none does;
// the heading above the labels likewise.
int percentilelines(vyxstate* s, const double* lines, LabelRoom* room) {
    const plotlay* f = s->plot.frame;
    const auto* rp = static_cast<const regpstate*>(s->plot.regpstate);
    if (!rp || !lines || rp->npts <= 0) return 0;
    const int np = static_cast<int>(s->opts.pctcount), nc = std::max(rp->ncurve, 1), npts = rp->npts;
    const int64_t ncurves = int64_t(np) * nc, bytes = ncurves * npts * 16;
    auto* all = static_cast<double*>(poolbytes(s->pools.stmtpool, bytes, poolflag::raw));
    if (!all) {
        xmemmsg(bytes);
        return 1;
    }
    const bool labelled = (rp->other || rp->bylevel) && s->mdl.mdllev && s->mdl.mdllev->lstate;
    const bool ln = s->opts.logscale[LSC_LN] != 0, pow = s->opts.stressrel == code::relation::POWER;
    ggtext t = plottext(s, f->txth);
    double W = 0.0, h = f->txth;
    if (labelled) {
        for (int j = 0; j < nc; ++j) {
            const std::string l = curvelabel(s, rp, j);
            W = std::max(W, textwidth(t, l.data(), static_cast<int>(l.size())));
        }
        const double lo = s->work.axlim[AX_STRESSLOWER], hi = s->work.axlim[AX_STRESSUPPER];
        const double room = f->fx + f->fw + f->gapr - stresspage(s, hi - (hi - lo) * s->popt.pctopts[PCL_UPPER]);
        if (W < GZ_UNIT) h = 0.0;
        else if (room < W) h *= std::max(room, 0.0) / W;
        t.height = static_cast<float>(h);
    }
    // Every curve on the page first: a label keeps off the lines drawn after it too.
    for (int64_t c = 0; c < ncurves; ++c) {
        const double* from = lines + 2 * c * npts;
        double* pts = all + 2 * c * npts;
        for (int k = 0; k < npts; ++k) {
            double x = from[2 * k], y = from[2 * k + 1];
            if (!missing(x)) x = (pow ? x * kLog10e : x) * f->hfac + f->hoff;
            if (!missing(y)) y = (ln ? y * kLog10e : y) * f->vfac + f->voff;
            pts[2 * k] = x;
            pts[2 * k + 1] = y;
        }
        room->keepoff(pts, npts);
    }
    room->setarea(PageBox{f->fx - f->gapl, f->fy - f->gapb, f->fx + f->fw + f->gapr, f->fy + f->fh + f->gapt});
    // A text's box from its baseline's left end, with a little room round it; the steps.
    const double pv = 0.1 * h, px = pv * f->chdiv, sv = 0.25 * h, sx = sv * f->chdiv;
    auto textbox = [&](double x, double y, double w) { return PageBox{x - px, y - 0.22 * h - pv, x + w + px, y + 0.78 * h + pv}; };
    const double dirs[4][2] = {{0.0, sv}, {sx, 0.0}, {-sx, 0.0}, {0.0, -sv}};
    const symrec* st = static_cast<const symrec*>(s->plot.gstyles);
    const float clip[4] = {static_cast<float>(f->fx), static_cast<float>(f->fy), static_cast<float>(f->fx + f->fw), static_cast<float>(f->fy + f->fh)};
    double topx = 0.0, topy = -DBL_MAX;
    for (int i = 0; i < np; ++i) {
        const symrec* line = st ? st + GS_PCT + i : nullptr;
        for (int j = 0; j < nc; ++j) {
            const int c = i * nc + j;
            double* pts = all + 2 * int64_t(c) * npts;
            ggpolyblk b{npts, line ? line->ltype : int16_t(1), 0, GGP_LINE, 0, pts};
            ggpline(0, &b, line ? ggcnum(0, line->color) : 1, clip);
            if (!labelled || h <= 0.0) continue;
            for (int k = npts - 1; k >= 0; --k) {
                const double x = pts[2 * k], y = pts[2 * k + 1];
                if (missing(x) || missing(y) || y < f->fy || y > f->fy + f->fh) continue;
                const std::string l = curvelabel(s, rp, j);
                const PageBox at = textbox(x, y, textwidth(t, l.data(), static_cast<int>(l.size())));
                double ox, oy;
                if (!room->place(at, dirs, 4, 8, &ox, &oy, c, px, pv)) break;
                room->take(at.moved(ox, oy));
                drawtext(t, l.data(), static_cast<int>(l.size()), x + ox, y + oy);
                if (y + oy > topy) topy = y + oy, topx = x + ox;
                break;
            }
        }
    }
    if (labelled && topy > -DBL_MAX) {
        const std::string head = curveheading(s->mdl, rp);
        const double hw = textwidth(t, head.data(), static_cast<int>(head.size()));
        const double x = hw >= W ? topx - (hw - W) : topx;
        const double y = topy + 2.0 * 1.5 * h <= f->fy + f->fh ? topy + 1.5 * h : topy - 1.5 * h;
        const PageBox at = textbox(x, y, hw);
        double ox, oy;
        if (room->place(at, dirs, 4, 8, &ox, &oy)) {
            room->take(at.moved(ox, oy));
            drawtext(t, head.data(), static_cast<int>(head.size()), x + ox, y + oy);
        }
    }
    return 0;
}

}  // namespace

int sortxy(vyxstate* s) {
    xcpoint(s->pools.utilfile, 0);
    auto* c = poolget<sortctl>(s->pools.stmtpool, 1, poolflag::zeroed);
    auto* keys = static_cast<sortkey*>(poolbytes(s->pools.stmtpool, 2 * sizeof(sortkey), poolflag::zeroed));
    const int W = 3 + (s->input.nfreq ? 1 : 0);
    auto* rec = static_cast<double*>(poolbytes(s->pools.stmtpool, int64_t(W) * 8, poolflag::zeroed));
    if (!c || !keys || !rec) {
        xmemmsg(int64_t(sizeof(sortctl)));
        return 1;
    }
    *c = sortctl{};
    keys[0] = sortkey{0, 8, SORTK_NUM, SORTO_ASC, 0};
    keys[1] = sortkey{8, 8, SORTK_NUM, SORTO_ASC, 0};
    c->start = zsorxci();
    c->compare = zsorxct();
    c->infile = s->pools.utilfile;
    c->nkeys = 2;
    c->keys = keys;
    c->reclen = W * 8;
    c->nrecs = -1;
    c->workcap = -1;
    c->recbuf = rec;
    c->exits[SORTX_GET] = zxcget();
    c->exits[SORTX_PUT] = zxcput();
    c->exits[SORTX_END] = zxcrtn();
    c->pool = s->pools.stmtpool;
    const int rc = zsort(c);
    if (rc != 0) {
        xprrlog(0, rc);
        ufdrop(&c->outfile);
        return 1;
    }
    ufdrop(&s->pools.utilfile);
    s->pools.utilfile = c->outfile;
    xcpoint(s->pools.utilfile, 0);
    return 0;
}

int regplt(vyxstate* s, const double* pctlines) {
    plotlay* f = s->plot.frame;
    const auto& p = s->popt.pflags;
    GridBytes keep(s);
    pctlegendframe(s);
    if (p.nogrid == 1) {
        s->plot.gridsave = 0;
        s->work.nocenplot = 0;
        s->work.lifebnd = 0;
        vyxggrd(s);
    }
    const symrec* st = static_cast<const symrec*>(s->plot.gstyles);
    // The labels of the page keep clear of each other: the counts of coinciding markers may
    // stand anywhere on the page, the curves' labels within the axes.
    LabelRoom room(PageBox{0.0, 0.0, 100.0, 100.0});
    // PLOTDATA=NONE leaves the observations out; READOUT counts have no single stress and
    // life to mark.
    const optslot* pd = stmtslot(s->inwork.curstmt, slot::plot::PLOTDATA);
    const bool data = st && !s->input.rspform[RF_READOUT] && !(pd && static_cast<int>(pd->num) == code::plotdata::NONE);
    if (data) {
        const float clip[4] = {static_cast<float>(f->fx), static_cast<float>(f->fy), static_cast<float>(f->fx + f->fw), static_cast<float>(f->fy + f->fh)};
        const symrec* styles[3] = {st + GS_EXACT, st + GS_RIGHT, st + GS_LEFT};
        Marks m[3];
        const int cap = static_cast<int>(std::max<uint32_t>(s->opts.rowlay[RL_BUFROWS], 1));
        const int W = 3 + (s->input.nfreq ? 1 : 0);
        const int R = std::max(1, 4096 / (W * 8));
        auto* buf = static_cast<double*>(poolbytes(s->pools.stmtpool, int64_t(R) * W * 8, poolflag::raw));
        if (!buf) {
            xmemmsg(int64_t(R) * W * 8);
            return 1;
        }
        for (int k = 0; k < 3; ++k) {
            m[k].style(styles[k]);
            m[k].cap = cap;
            m[k].clip = clip;
            m[k].pts = static_cast<double*>(poolbytes(s->pools.stmtpool, int64_t(cap) * 16, poolflag::raw));
            if (!m[k].pts) {
                xmemmsg(int64_t(cap) * 16);
                return 1;
            }
        }
        RowsFile file(s);
        if (ufopen(&s->pools.utilfile) != 0) {
            xpmlog(510, E510_FILE_OPEN);
            return 1;
        }
        const int64_t rows = writerows(s, buf, R, W);
        if (rows < 0) return 1;
        if (s->work.showmult && !s->input.nfreq && sortxy(s) != 0) s->work.showmult = 0;
        bool seen[3] = {};
        if (int rc = drawrows(s, buf, R, W, rows, m, styles, seen, &room)) return rc;
        if (p.noinset) {
            ggmarkblk blocks[3];
            int colors[3];
            for (int k = 0; k < 3; ++k) blocks[k] = m[k].blk, colors[k] = m[k].color;
            symlegend(s, blocks, colors, seen, false);
        }
    }
    if (s->work.pageflags.fitlines) return percentilelines(s, pctlines, &room);
    return 0;
}
