// The MCF templates: the mean cumulative function of each group against time (_XType and
// _YType linear or log), as points (type 0), steps (1: Xvalue2, Yvalue2 with the limits as
// steps; risers when _Join is 1) or joined points (2), the limits of points as bars, the
// end-of-observation marks (Censor) in a strip above the frame, reference lines, the inset.
// NoClass draws one frame; OneClassPanel and TwoClassPanel a frame per class level or grid
// cell (_NRow, _NCol, _PanelN); Overlay all groups in one frame with a legend, the type from
// _IType.
#include <algorithm>
#include <cmath>
#include <set>

#include "runtime/sgraph/common.h"
#include "runtime/sgraph/page.h"
#include "runtime/sgraph/render.h"

namespace rt::sgr {

namespace {

using rt::out::PhantomData;

struct Cols {
    int x, y, yup, ylo, cens, x2, y2, yup2, ylo2, g1, g2, ovl;
    explicit Cols(const PhantomData& d)
        : x(d.find("Xvalue")), y(d.find("Yvalue")), yup(d.find("Yupper")), ylo(d.find("Ylower")), cens(d.find("Censor")),
          x2(d.find("Xvalue2")), y2(d.find("Yvalue2")), yup2(d.find("Yupper2")), ylo2(d.find("Ylower2")),
          g1(d.find("Group") >= 0 ? d.find("Group") : d.find("Group1")), g2(d.find("Group2")), ovl(d.find("OverlayGroup")) {}
};

struct Group {
    std::string a, b;             // the group's class values
    size_t first = 0, last = 0;
};

// Runs of rows of one group, in order.
std::vector<Group> runs(const PhantomData& d, const Cols& c) {
    std::vector<Group> v;
    for (size_t r = 0; r < d.rows; ++r) {
        std::string a = text(d, c.g1 >= 0 ? c.g1 : c.ovl, r), b = text(d, c.g2, r);
        if (v.empty() || v.back().a != a || v.back().b != b) {
            if (!v.empty()) v.back().last = r;
            v.push_back({a, b, r, r});
        }
    }
    if (!v.empty()) v.back().last = d.rows;
    return v;
}

// The cells of the plot in their order: the levels of the first class variable, or the
// grid of both (levels in the order they first come); an empty cell has no rows.
std::vector<Group> cells(const std::vector<Group>& rs, int classes) {
    if (classes != 2) return rs;
    std::vector<std::string> as, bs;
    for (auto& g : rs) {
        if (std::find(as.begin(), as.end(), g.a) == as.end()) as.push_back(g.a);
        if (std::find(bs.begin(), bs.end(), g.b) == bs.end()) bs.push_back(g.b);
    }
    std::vector<Group> v;
    for (auto& a : as)
        for (auto& b : bs) {
            Group cell{a, b, 0, 0};
            for (auto& g : rs)
                if (g.a == a && g.b == b) cell = g;
            v.push_back(cell);
        }
    return v;
}

// How a group is drawn among the groups of its frame.
struct Look {
    Rgb color;
    const gfx::MarkerShape* marker;
    std::vector<double> dashes;
};

Look look(int k, bool apart) {
    return apart ? Look{groupcolor(k), &groupmarker(k), groupdashes(k)} : Look{groupcolor(0), &opencircle(), {}};
}

// A group's curve, limits and points inside the frame; its end-of-observation marks (page x)
// into marks, drawn in the strip outside the frame's clip.
void drawgroup(Canvas& cv, const Frame& f, const PhantomData& d, const Cols& c, const Group& g, int type, bool join,
               const Look& lk, std::vector<double>& marks) {
    const Rgb& col = lk.color;
    // Step curve and its limits.
    if (type == 1 && c.x2 >= 0) {
        Path p(f), lo(f), hi(f);
        double px = NAN, py = NAN, pl = NAN, ph = NAN;
        for (size_t r = g.first; r < g.last; ++r) {
            const double x = num(d, c.x2, r);
            if (!std::isfinite(x)) continue;
            const double y = num(d, c.y2, r), l = num(d, c.ylo2, r), h = num(d, c.yup2, r);
            if (std::isfinite(px)) {
                // The level before carried to this time; the riser only when joined.
                p.add(x, py);
                lo.add(x, pl);
                hi.add(x, ph);
                if (!join) p.brk(), lo.brk(), hi.brk();
            }
            p.add(x, y);
            lo.add(x, l);
            hi.add(x, h);
            px = x, py = y, pl = l, ph = h;
        }
        const gfx::Stroke lim = bandstroke(col);
        lo.draw(cv, lim);
        hi.draw(cv, lim);
        p.draw(cv, gfx::Stroke{col, 1.3, lk.dashes});
    }
    if (type == 2) {
        Path p(f);
        for (size_t r = g.first; r < g.last; ++r) {
            const double x = num(d, c.x, r);
            if (std::isfinite(x)) p.add(x, num(d, c.y, r));
        }
        p.draw(cv, gfx::Stroke{col, 1.3, lk.dashes});
    }
    std::vector<double> xs, ys;
    gfx::Stroke bar{col, 0.8, {}};
    for (size_t r = g.first; r < g.last; ++r) {
        const double x = num(d, c.x, r), y = num(d, c.y, r);
        if (std::isfinite(x) && std::isfinite(y)) {
            xs.push_back(x);
            ys.push_back(y);
            if (type != 1)
                for (double l : {num(d, c.ylo, r), num(d, c.yup, r)}) {
                    double ox, oy;
                    if (!f.at(x, l, &ox, &oy) || oy < f.y0 || oy > f.y1 || ox < f.x0 || ox > f.x1) continue;
                    cv.line(ox - 3, oy, ox + 3, oy, bar);
                }
        }
        const double u = f.x.unit(num(d, c.cens, r));
        if (std::isfinite(u) && u >= f.x.lo && u <= f.x.hi) marks.push_back(f.px(u)), marks.push_back(f.y1 + 5);
    }
    rt::sgr::marks(cv, f, *lk.marker, 5, gfx::Stroke{col, 0.9, {}}, xs, ys);
}

// The groups [first, last) of a frame: the zero line of a difference, curves, limits, points
// and reference lines inside the frame's clip, collecting what is drawn; then the end marks.
void drawframegroups(Canvas& cv, const Frame& f, const PhantomData& d, const Cols& c, const std::vector<Group>& gs, size_t first,
                     size_t last, int type, bool join, bool apart, bool zero, Drawn* drawn, const InsetBox* box, InsetSpot* at) {
    Collect col(cv, *drawn);
    RefsDrawn refs;
    cv.pushclip(f.x0, f.y0, f.x1, f.y1);
    // A difference of MCFs has its reference at no difference, under the curve.
    if (zero) href(col, f, 0.0, std::string(), 0);
    std::vector<std::vector<double>> marks(last - first);
    for (size_t j = first; j < last; ++j) {
        drawgroup(col, f, d, c, gs[j], type, join, look(static_cast<int>(j), apart), marks[j - first]);
        reflines(col, f, d, gs[j].first, gs[j].last, false, refs);
    }
    // The reference lines' labels where they meet no text, point or line of any group, and the
    // inset's place with them.
    refs.labels.place(cv, f, *drawn, box, at);
    cv.popclip();
    for (size_t j = first; j < last; ++j) {
        const std::vector<double>& m = marks[j - first];
        if (!m.empty()) cv.markers(plus(), 5, gfx::Stroke{look(static_cast<int>(j), apart).color, 0.8, {}}, m.data(), m.size() / 2);
    }
}

}  // namespace

bool mcfplot(const Graph& g, const TemplateSpec& t, Canvas& cv, std::string& why) {
    const PhantomData* d = g.named("Phantom");
    if (!d) {
        why = "the graph has no phantom data named Phantom";
        return false;
    }
    const Vars v(*g.req);
    const Cols c(*d);
    const int type = t.mcftype >= 0 ? t.mcftype : v.integer("_IType", 1);
    const bool join = v.integer("_Join") == 1;
    const bool xlog = v.text("_XType") == "log", ylog = v.text("_YType") == "log";

    // The time axis over the event times and the units' end times, as the device road takes
    // it (the step curve's first and last rows, at 0 and at its end, are cut at the frame);
    // the MCF axis over every plotted value.
    double xlo = INFINITY, xhi = -INFINITY, ylo = INFINITY, yhi = -INFINITY, curvelo = INFINITY;
    for (size_t r = 0; r < d->rows; ++r) {
        for (int col : {c.x, c.cens}) {
            const double x = num(*d, col, r);
            if (std::isfinite(x) && (!xlog || x > 0)) xlo = std::min(xlo, x), xhi = std::max(xhi, x);
        }
        for (int col : {c.y, c.ylo, c.yup, c.y2, c.ylo2, c.yup2}) {
            const double y = num(*d, col, r);
            if (std::isfinite(y) && (!ylog || y > 0)) ylo = std::min(ylo, y), yhi = std::max(yhi, y);
            if (std::isfinite(y) && (col == c.y || col == c.y2)) curvelo = std::min(curvelo, y);
        }
    }
    // Curves that do not go below 0 have their axis start at 0: normal limits below 0 near
    // the start (a few events among many units) are cut at the frame.
    if (!ylog && curvelo >= 0 && ylo < 0) ylo = 0;

    if (!(xlo <= xhi))   // no event and no end mark: the step rows alone
        for (size_t r = 0; r < d->rows; ++r) {
            const double x = num(*d, c.x2, r);
            if (std::isfinite(x) && (!xlog || x > 0)) xlo = std::min(xlo, x), xhi = std::max(xhi, x);
        }
    PageSpec sp;
    sp.width = kPageWidth;
    sp.height = kPageHeight;
    sp.byline = g.byline;
    sp.title = g.req->label;
    // The ends the user gave (HLOWER, HUPPER, VLOWER, VUPPER) end the axes; otherwise both
    // are nice ranges of about four steps, and a linear MCF axis starts at 0.
    sp.x = endsaxis(xlog, xlo, xhi, v.number("_LifeMin", NAN), v.number("_LifeMax", NAN), true);
    if (!ylog && ylo <= yhi) ylo = std::min(ylo, 0.0), yhi = std::max(yhi, 0.0);
    sp.y = endsaxis(ylog, ylo, yhi, v.number("_MCFMin", NAN), v.number("_MCFMax", NAN), true);
    sp.x.title = v.text("_XLabel", v.text("_XName"));
    sp.y.title = v.text("_YLabel");
    const bool censored = c.cens >= 0;
    sp.above = censored ? 10 : 0;
    const bool zero = v.integer("_MCFDiff") == 1 && !ylog;

    const std::vector<Group> rs = runs(*d, c);
    const bool panels = t.classes > 0;
    const std::vector<Group> gs = panels ? cells(rs, t.classes) : rs;
    int first = 0, count = static_cast<int>(gs.size());
    if (panels) {
        sp.rows = std::max(v.integer("_NRow", 1), 1);
        sp.cols = std::max(v.integer("_NCol", 1), 1);
        sp.strips = true;
        const int per = sp.rows * sp.cols;
        first = (std::max(v.integer("_PanelN", 1), 1) - 1) * per;
        count = std::min(per, std::max(0, static_cast<int>(gs.size()) - first));
        sp.used = count;
    }
    const bool overlay = t.classes < 0;
    std::vector<LegendEntry> legend;
    if (overlay)
        for (size_t k = 0; k < gs.size(); ++k) {
            const Look lk = look(static_cast<int>(k), true);
            legend.push_back({gs[k].a, lk.color, lk.marker, type != 0, lk.dashes});
        }
    sp.legend = legendheight(legend, "", sp.width - 80);
    {
        // Room at the axes' ends for the markers of the estimates, their limit bars and the
        // end-of-observation marks.
        const Frame g0 = pagegeometry(sp).frames.front();
        Range xr = onaxis(d, sp.x, {"Censor"}), yr;
        if (type == 1)
            onaxes(d, sp.x, sp.y, {{"Xvalue", "Yvalue"}}, &xr, &yr);
        else
            onaxes(d, sp.x, sp.y, {{"Xvalue", "Yvalue"}, {"Xvalue", "Ylower"}, {"Xvalue", "Yupper"}}, &xr, &yr);
        makeroom(sp.x, xr, markerroom(5, g0.x1 - g0.x0));
        makeroom(sp.y, yr, markerroom(5, g0.y1 - g0.y0));
    }
    PageLayout L = pagelayout(cv, sp);
    const bool grid = v.text("_Grid") == "AUTO_ON";
    const PhantomData* insetvals = g.named("InsetPhantom");
    for (size_t k = 0; k < L.frames.size(); ++k) {
        if (panels && static_cast<int>(k) >= count) continue;
        const Frame& f = L.frames[k];
        const bool bottom = !panels || static_cast<int>(k) + sp.cols >= count;
        const int col = static_cast<int>(k) % sp.cols;
        drawframe(cv, f, grid, false, bottom, col == 0, col > 0 ? 3.0 : INFINITY, col + 1 < sp.cols ? 3.0 : INFINITY);
        if (censored) {
            const double xy[] = {f.x0, f.y1, f.x1, f.y1, f.x1, f.y1 + sp.above, f.x0, f.y1 + sp.above};
            cv.fill(xy, 4, Rgb{0.97, 0.97, 0.98});
        }
        Drawn drawn;
        InsetSpot at;
        if (panels) {
            const size_t j = static_cast<size_t>(first) + k;
            const InsetBox box = insetvals ? insetbox(v, insetvals, j) : InsetBox{};
            drawframegroups(cv, f, *d, c, gs, j, j + 1, type, join, false, zero, &drawn, &box, &at);
            strip(cv, Frame{f.x0, f.y1 + sp.above, f.x1, f.y1 + sp.above, f.x, f.y}, gs[j].b.empty() ? gs[j].a : gs[j].a + " / " + gs[j].b,
                  stripheight());
            if (at.size > 0) inset(cv, box, at);
            insetnote(at, gs[j].a, gs[j].b);
        } else {
            const InsetBox box = t.classes == 0 ? insetbox(v, nullptr, 0) : insetvals ? insetbox(v, insetvals, 0) : InsetBox{};
            drawframegroups(cv, f, *d, c, gs, 0, gs.size(), type, join, overlay, zero, &drawn, &box, &at);
            if (at.size > 0) inset(cv, box, at);
            insetnote(at, {}, {});
        }
    }
    if (!legend.empty()) rt::sgr::legend(cv, legend, "", L.left, L.right, L.legendtop);
    return true;
}

}  // namespace rt::sgr
