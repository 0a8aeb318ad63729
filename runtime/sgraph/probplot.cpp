// The probability-plot templates: the time on a linear or log axis, the probability on the
// quantile scale of the fitted distribution with the ticks the request gives (_Ticks,
// _TickLabels) over [_VMin, _VMax]; per group its points with their limits (_NPInterval),
// censored marks in a strip above the frame, the fitted line and its band (of probabilities,
// or of times with PerLim) faded by _TransFit and _TransConf, reference lines with their
// labels, and the inset. OneClass and TwoClass lay the groups out in panels (_NRow, _NCol,
// _PanelN), with OVERLAY they share one frame with a legend; Rotate puts the time on the
// vertical axis; FM draws the combined failure-mode curve and the modes' lines.
#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "runtime/sgraph/common.h"
#include "runtime/sgraph/page.h"
#include "runtime/sgraph/render.h"
#include "runtime/sgraph/vars.h"

namespace rt::sgr {

namespace {

using rt::out::PhantomData;

struct Cols {
    int xp, yp, yup, ylo, x2, y2, yup2, ylo2, xup2, xlo2, cens, idx, xref, yref, xrl, yrl, g1, g2, ovl;
    explicit Cols(const PhantomData& d)
        : xp(d.find("XPPlot")), yp(d.find("YPPlot")), yup(d.find("Yupper")), ylo(d.find("Ylower")), x2(d.find("Xvalue2")),
          y2(d.find("Yvalue2")), yup2(d.find("Yupper2")), ylo2(d.find("Ylower2")), xup2(d.find("Xupper2")),
          xlo2(d.find("Xlower2")), cens(d.find("Censor")), idx(d.find("Index")), xref(d.find("XRef")), yref(d.find("YRef")),
          xrl(d.find("XRefLabel")), yrl(d.find("YRefLabel")), g1(d.find("Group") >= 0 ? d.find("Group") : d.find("Group1")),
          g2(d.find("Group2")), ovl(d.find("OverlayGroup")) {}
};

// The rows of one group (a run of one Index value).
struct Group {
    int index = 0;
    size_t first = 0, last = 0;   // [first, last)
    std::string label;            // for strips: "A" or "A / B"
    std::string overlay;          // for legends
};

std::vector<Group> groups(const PhantomData& d, const Cols& c) {
    std::vector<Group> v;
    // Rows of one Index value come in runs, passed over a block at a time.
    for (size_t r = 0; r < d.rows; r = d.nextother(c.idx, r + 1, d.rows, num(d, c.idx, r))) {
        const int ix = c.idx >= 0 ? static_cast<int>(d.num(c.idx, r)) : 1;
        if (v.empty() || v.back().index != ix) {
            if (!v.empty()) v.back().last = r;
            Group g;
            g.index = ix;
            g.first = r;
            g.label = text(d, c.g1, r);
            if (c.g2 >= 0) g.label += " / " + text(d, c.g2, r);
            g.overlay = text(d, c.ovl, r);
            v.push_back(g);
        }
    }
    if (!v.empty()) v.back().last = d.rows;
    return v;
}

// Whether the group has rows of a fitted line: a group without a fit has none, and its
// legend entry shows no sample of a line.
bool hasline(const PhantomData& d, const Cols& c, const Group& g) { return d.nextfinite(c.x2, g.first, g.last) < g.last; }

// The tick list carries its positions to six significant digits ("%-12g"): a value within
// a few units of the sixth digit of a tick is on that tick (PCTLOWER=0.001 on Weibull paper is
// -11.512925, its tick -11.5129).
double ontick(double p) { return 1e-5 * std::max(1.0, std::fabs(p)); }

}  // namespace

Axis probaxis(std::string_view ticks, std::string_view ticklabels, double lo, double hi) {
    const std::vector<double> pos = numberlist(ticks);
    std::vector<std::string> labels = quotedlist(ticklabels);
    if (!std::isfinite(lo) || !std::isfinite(hi) || !(lo < hi) || std::fabs(lo) > 1e6 || std::fabs(hi) > 1e6) {
        lo = pos.empty() ? -3 : pos.front();
        hi = pos.empty() ? 3 : pos.back();
        if (!(lo < hi)) lo -= 1, hi += 1;
    }
    // Widened to the ticks that enclose the range: an end on a tick (PCTLOWER=0.01) is that
    // tick, not the one after.
    double a = lo, b = hi;
    for (double p : pos)
        if (p <= lo + ontick(p)) a = p;
    for (auto it = pos.rbegin(); it != pos.rend(); ++it)
        if (*it >= hi - ontick(*it)) b = *it;
    // The frame reaches a fiftieth beyond the end ticks, and no tick stands there: the axis
    // reads from its first tick to its last, as on the device road (on Weibull paper the
    // ticks crowd at the top, and 99.999 would stand in the margin above PCTUPPER=99.99).
    std::vector<double> inpos;
    std::vector<std::string> inlabels;
    for (size_t k = 0; k < pos.size(); ++k)
        if (pos[k] >= a && pos[k] <= b) {
            inpos.push_back(pos[k]);
            if (k < labels.size()) inlabels.push_back(labels[k]);
        }
    const double pad = (b - a) * 0.02;
    return givenaxis(inpos, inlabels, a - pad, b + pad, false);
}

Axis probtimeaxis(const PhantomData& d, bool log, const Vars& v) {
    double lo = INFINITY, hi = -INFINITY;
    for (const char* name : {"XPPlot", "Censor", "Xvalue2"}) {
        const int col = d.find(name);
        if (col < 0) continue;
        d.eachfinite(col, 0, d.rows, [&](size_t, double t) {
            if (log && !(t > 0)) return;
            lo = std::min(lo, t);
            hi = std::max(hi, t);
        });
    }
    // A linear time axis is a nice range of about four steps, as on the device road (the ball
    // bearings on normal paper run from 0 to 200 on both): the fitted line, drawn across the
    // frame, reaches the low percentiles at small times.
    return endsaxis(log, lo, hi, v.number("_LifeMin", NAN), v.number("_LifeMax", NAN), !log);
}

namespace {

struct Draw {
    const TemplateSpec& t;
    const PhantomData& d;
    const Cols& c;
    Canvas* cv;
    bool limits, fit, band;
    double bandalpha;
    bool censored = true;   // the strip of censored marks
    std::vector<double> probrefs{};   // the percents of the probability references (_ProbRefs)
    std::string family{};             // the probability axis's distribution (_ProbScale)
    bool points = true;     // the plotted points and their limits (not with NOPPOS)
    // 0 band fills, 1 band edges and fitted lines, 2 points, limits and reference lines (all
    // inside the frame's clip), 3 censored marks (in the strip outside it).
    int layer = 0;
};

// (time, quantile) as the frame's (x, y).
inline void place(bool rotate, double t, double q, double* x, double* y) {
    *x = rotate ? q : t;
    *y = rotate ? t : q;
}

// How a group is drawn among the groups of its frame: its colour, and among overlaid groups
// its marker and the dashes of its line.
struct Look {
    Rgb color;
    const gfx::MarkerShape* marker = &opencircle();
    std::vector<double> dashes;
};

Look look(int k, bool apart) {
    Look l;
    l.color = groupcolor(apart ? k : 0);
    if (apart) l.marker = &groupmarker(k), l.dashes = groupdashes(k);
    return l;
}

// The points (time, quantile) of a fitted line: its rows in order. When across says so and
// the rows lie on one straight line in the plot's coordinates (the quantile against the time,
// or against log10 time on a log axis), as a fit of a location-scale distribution does, they
// are taken in time order and the line goes on through the first and the last to both ends
// of the time axis ta, where the frame cuts it. The rows stop at the data's range (widened to
// whole decades on a log axis); the line is the same fit beyond them.
std::vector<std::pair<double, double>> linepoints(const Axis& ta, const PhantomData& d, const Cols& c, const std::vector<size_t>& rows,
                                                  bool across) {
    std::vector<std::pair<double, double>> v;
    for (size_t r : rows) v.emplace_back(num(d, c.x2, r), num(d, c.y2, r));
    if (!across) return v;
    std::vector<std::pair<double, double>> u;   // (time in axis units, quantile)
    for (auto [t, q] : v) {
        const double a = ta.unit(t);
        if (!std::isfinite(a) || !std::isfinite(q)) return v;   // a row without a place breaks the line: as it is
        u.emplace_back(a, q);
    }
    if (u.size() < 2) return v;
    std::sort(u.begin(), u.end());
    const auto [a0, q0] = u.front();
    const auto [a1, q1] = u.back();
    if (!(a1 > a0)) return v;
    const double b = (q1 - q0) / (a1 - a0);
    const double tol = 1e-6 * std::max(1.0, std::fabs(q1 - q0));
    for (auto [a, q] : u)
        if (std::fabs(q - (q0 + b * (a - a0))) > tol) return v;   // a curve (a threshold): as it is
    if (ta.lo < a0) u.insert(u.begin(), {ta.lo, q0 + b * (ta.lo - a0)});
    if (ta.hi > a1) u.emplace_back(ta.hi, q0 + b * (ta.hi - a0));
    v.clear();
    for (auto [a, q] : u) v.emplace_back(ta.log ? std::pow(10.0, a) : a, q);
    return v;
}

// The band of a curve's rows in the layer of w: a band of probabilities runs along the time
// axis, a band of times (PerLim) along the probability axis (Rotate swaps which of the two
// runs along x). The rows are taken in the order of the value they run along. Layer 0 fills
// the band where both of its ends have values, translucent so that an overlaid group's band
// does not hide another's; layer 1 strokes each end where it has values, over all fills: thin,
// light and dotted, unlike any fitted line.
void drawband(Draw& w, const Frame& f, const std::vector<size_t>& rows, const Rgb& cc) {
    const PhantomData& d = w.d;
    const Cols& c = w.c;
    const bool per = w.t.perlim, rot = w.t.rotate;
    struct At {
        double t, a, b;
    };
    std::vector<At> v;
    v.reserve(rows.size());
    for (size_t r : rows) {
        const At at = per ? At{num(d, c.y2, r), num(d, c.xlo2, r), num(d, c.xup2, r)} : At{num(d, c.x2, r), num(d, c.ylo2, r), num(d, c.yup2, r)};
        if (std::isfinite(at.t)) v.push_back(at);
    }
    std::stable_sort(v.begin(), v.end(), [](const At& x, const At& y) { return x.t < y.t; });
    if (w.layer == 0) {
        Band b(f, rot ? per : !per);
        for (const At& at : v) b.add(at.t, at.a, at.b);
        b.draw(*w.cv, cc, nullptr, true, w.bandalpha);
        return;
    }
    const gfx::Stroke edge = bandstroke(cc);
    for (double At::*end : {&At::a, &At::b}) {
        Path p(f);
        for (const At& at : v) {
            double x, y;
            if (per)
                place(rot, at.*end, at.t, &x, &y);
            else
                place(rot, at.t, at.*end, &x, &y);
            p.add(x, y);
        }
        p.draw(*w.cv, edge);
    }
}

// One layer of a group's rows in a frame. Curves of failure modes are split by OverlayGroup.
void drawgroup(Draw& w, const Frame& f, const Group& g, const Look& lk, RefsDrawn* refs,
               std::map<std::string, Rgb>* fmcolors) {
    const PhantomData& d = w.d;
    const Cols& c = w.c;
    const bool rot = w.t.rotate;
    Canvas& cv = *w.cv;
    const Rgb& col = lk.color;
    if (w.layer <= 1) {
        std::map<std::string, std::vector<size_t>> curves;   // FM: curve rows by their group
        std::vector<size_t> line;
        for (size_t r = d.nextfinite(c.x2, g.first, g.last); r < g.last; r = d.nextfinite(c.x2, r + 1, g.last)) {
            if (w.t.fm)
                curves[text(d, c.ovl, r)].push_back(r);
            else
                line.push_back(r);
        }
        auto curvecolor = [&](const std::string& name) {
            if (!w.t.fm) return col;
            auto it = fmcolors->find(name);
            if (it == fmcolors->end()) it = fmcolors->emplace(name, groupcolor(static_cast<int>(fmcolors->size()))).first;
            return it->second;
        };
        auto drawcurve = [&](const std::vector<size_t>& rows, const std::vector<size_t>& bandrows, const Rgb& cc,
                             const std::vector<double>& dashes) {
            if (w.band) drawband(w, f, bandrows, cc);
            if (w.fit && w.layer == 1) {
                Path p(f);
                // A group's line is carried across the frame; the combined curve of failure
                // modes is drawn where its rows are.
                for (auto [t, q] : linepoints(rot ? f.y : f.x, d, c, rows, !w.t.fm)) {
                    double x, y;
                    place(rot, t, q, &x, &y);
                    p.add(x, y);
                }
                p.draw(cv, gfx::Stroke{cc, 1.3, dashes});
            }
        };
        if (w.t.fm) {
            for (auto& [name, rows] : curves) drawcurve(rows, rows, curvecolor(name), {});
        } else {
            // The band at every row that has its running value, within the line's span or not
            // (a band of times has limits at the percentiles beyond it).
            std::vector<size_t> bandrows;
            if (w.band) d.eachfinite(w.t.perlim ? c.y2 : c.x2, g.first, g.last, [&](size_t r, double) { bandrows.push_back(r); });
            drawcurve(line, bandrows, col, lk.dashes);
        }
        return;
    }

    if (w.layer == 3) {
        // Censored marks in the strip above the frame (right of it with ROTATE), at their
        // time; those along the frame only. Sorted times repeat: a time equal to the one
        // before keeps its place.
        if (!w.censored) return;
        std::vector<double> xy;
        double lastct = NAN, lastu = NAN;
        d.eachfinite(c.cens, g.first, g.last, [&](size_t, double ct) {
            if (ct != lastct) lastct = ct, lastu = rot ? f.y.unit(ct) : f.x.unit(ct);
            if (std::isnan(lastu)) return;
            const double cx = rot ? f.x1 + 5 : f.px(lastu), cy = rot ? f.py(lastu) : f.y1 + 5;
            if (rot ? cy >= f.y0 && cy <= f.y1 : cx >= f.x0 && cx <= f.x1) xy.push_back(cx), xy.push_back(cy);
        });
        if (!xy.empty()) cv.markers(plus(), 5, gfx::Stroke{col, 0.8, {}}, xy.data(), xy.size() / 2);
        return;
    }

    // Points with their limits: rows of points and of censored marks are missing the other's
    // values, in whole blocks that are passed over. Points are stamped once per spot as they
    // come. NOPPOS leaves them out (their rows stay, and the axis still spans them, as on the
    // device road).
    if (!w.points) {
        reflines(cv, f, d, g.first, g.last, rot, *refs);
        return;
    }
    SpotMarks points(f);
    gfx::Stroke bar{col, 0.8, {}};
    d.eachfinite(c.xp, g.first, g.last, [&](size_t r, double t) {
        const double q = num(d, c.yp, r);
        if (!std::isfinite(q)) return;
        double x, y;
        place(rot, t, q, &x, &y);
        points.add(x, y);
        if (w.limits)
            for (double lq : {num(d, c.ylo, r), num(d, c.yup, r)}) {
                double bx, by, ox, oy;
                place(rot, t, lq, &bx, &by);
                if (!f.at(bx, by, &ox, &oy) || oy < f.y0 || oy > f.y1 || ox < f.x0 || ox > f.x1) continue;
                if (rot)
                    cv.line(ox, oy - 3, ox, oy + 3, bar);
                else
                    cv.line(ox - 3, oy, ox + 3, oy, bar);
            }
    });
    points.draw(cv, *lk.marker, 6, gfx::Stroke{col, 0.9, {}});

    // Reference lines: a time at XRef, a probability at YRef, each across the frame; the
    // same line of several groups drawn once.
    reflines(cv, f, d, g.first, g.last, rot, *refs);
}

// The layers 0 to 2 of the groups [first, last) of a frame inside its clip, collecting what is
// drawn; then their censored marks outside it.
void drawframegroups(Draw& w, Canvas& cv, const Frame& f, const std::vector<Group>& gs, size_t first, size_t last, bool apart,
                     std::map<std::string, Rgb>* fmcolors, Drawn* drawn, const InsetBox* box = nullptr, InsetSpot* at = nullptr) {
    Collect col(cv, *drawn);
    RefsDrawn refs;
    refs.probrefs = &w.probrefs;
    refs.family = w.family;
    refs.curve = "fitted line";
    cv.pushclip(f.x0, f.y0, f.x1, f.y1);
    w.cv = &col;
    // Every group's band, then every line, then every point: no group hides another.
    for (w.layer = 0; w.layer < 3; ++w.layer)
        for (size_t j = first; j < last; ++j) drawgroup(w, f, gs[j], look(static_cast<int>(j), apart), &refs, fmcolors);
    // The reference lines' labels where they meet no text, marker or line of any group, and the
    // inset's place with them.
    refs.labels.place(cv, f, *drawn, box, at);
    cv.popclip();
    w.cv = &cv;
    w.layer = 3;
    for (size_t j = first; j < last; ++j) drawgroup(w, f, gs[j], look(static_cast<int>(j), apart), &refs, fmcolors);
}

}  // namespace

bool probplot(const Graph& g, const TemplateSpec& t, Canvas& cv, std::string& why) {
    const PhantomData* d = g.named("Phantom");
    if (!d) {
        why = "the graph has no phantom data named Phantom";
        return false;
    }
    const Vars v(*g.req);
    const Cols c(*d);
    const std::vector<Group> gs = groups(*d, c);
    const bool overlay = t.classes == 0 && c.ovl >= 0 && !t.fm;
    const bool panels = t.classes > 0;

    Draw w{t, *d, c, &cv, v.integer("_NPInterval") != 0, v.number("_TransFit", 0) < 1, v.number("_TransConf", 0.8) < 1,
           1 - v.number("_TransConf", 0.8)};
    w.probrefs = numberlist(v.text("_ProbRefs"));
    w.family = trim(v.text("_ProbScale"));
    w.points = v.integer("_NoPPos", 0) == 0;

    PageSpec sp;
    sp.width = kPageWidth;
    sp.height = kPageHeight;
    sp.byline = g.byline;
    sp.title = g.req->label;
    double vlo, vhi;
    probends(v, *d, "_Ticks", "_TickLabels", w.limits, &vlo, &vhi);
    Axis ta = probtimeaxis(*d, v.text("_XType") == "log", v), pa = probaxis(v.text("_Ticks"), v.text("_TickLabels"), vlo, vhi);
    ta.title = v.text("_XLabel", v.text("_XName"));
    pa.title = v.text("_YLabel");
    sp.x = t.rotate ? pa : ta;
    sp.y = t.rotate ? ta : pa;
    // Censored marks in a strip above each frame, or with Rotate right of it (in the panel's
    // own room, not in the gap before the next panel).
    const bool censored = c.cens >= 0;
    sp.above = censored && !t.rotate ? 10 : 0;
    sp.beside = censored && t.rotate ? 10 : 0;
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
    std::vector<LegendEntry> legend;
    std::string legtitle;
    std::map<std::string, Rgb> fmcolors;
    if (overlay) {
        for (size_t k = 0; k < gs.size(); ++k) {
            const Look lk = look(static_cast<int>(k), true);
            legend.push_back({gs[k].overlay.empty() ? gs[k].label : gs[k].overlay, lk.color, w.points ? lk.marker : nullptr,
                              w.fit && hasline(*d, c, gs[k]), lk.dashes});
        }
        legtitle = v.text("_ClsNam");
    } else if (t.fm && c.ovl >= 0) {
        std::vector<std::string> names;
        for (size_t r = 0; r < d->rows; ++r)
            if (std::isfinite(num(*d, c.x2, r))) {
                std::string n = text(*d, c.ovl, r);
                if (!n.empty() && std::find(names.begin(), names.end(), n) == names.end()) names.push_back(n);
            }
        for (size_t k = 0; k < names.size(); ++k) {
            legend.push_back({names[k], groupcolor(static_cast<int>(k)), nullptr, w.fit, {}});
            fmcolors[names[k]] = groupcolor(static_cast<int>(k));
        }
    }
    sp.legend = legendheight(legend, legtitle, sp.width - 80);
    {
        // Room at the axes' ends for the markers of points (with their limits) and censored marks.
        const Frame f0 = pagegeometry(sp).frames.front();
        Axis& tax = t.rotate ? sp.y : sp.x;
        Axis& pax = t.rotate ? sp.x : sp.y;
        const double tlen = t.rotate ? f0.y1 - f0.y0 : f0.x1 - f0.x0, plen = t.rotate ? f0.x1 - f0.x0 : f0.y1 - f0.y0;
        Range tr = onaxis(d, tax, {"Censor"}), pr;
        if (w.points && w.limits)
            onaxes(d, tax, pax, {{"XPPlot", "YPPlot"}, {"XPPlot", "Ylower"}, {"XPPlot", "Yupper"}}, &tr, &pr);
        else if (w.points)
            onaxes(d, tax, pax, {{"XPPlot", "YPPlot"}}, &tr, &pr);
        makeroom(tax, tr, markerroom(6, tlen));
        makeroom(pax, pr, markerroom(6, plen));
    }
    PageLayout L = pagelayout(cv, sp);

    const bool grid = v.text("_Grid") == "AUTO_ON";
    const bool minor = v.text("_MLGrid") == "ON";
    const PhantomData* insetvals = g.named("InsetPhantom");
    for (size_t k = 0; k < L.frames.size(); ++k) {
        const Frame& f = L.frames[k];
        const int col = static_cast<int>(k) % sp.cols;
        const bool used = !panels || static_cast<int>(k) < count;
        if (!used) continue;
        // Tick labels on the outer edges: the bottom frame of each column that is used.
        const bool lastinrow = !panels || static_cast<int>(k) + sp.cols >= count;
        drawframe(cv, f, grid, minor, lastinrow, col == 0, col > 0 ? 3.0 : INFINITY, col + 1 < sp.cols ? 3.0 : INFINITY);
        if (censored && !t.rotate) {
            const double xy[] = {f.x0, f.y1, f.x1, f.y1, f.x1, f.y1 + sp.above, f.x0, f.y1 + sp.above};
            cv.fill(xy, 4, Rgb{0.97, 0.97, 0.98});
        } else if (censored) {
            const double xy[] = {f.x1, f.y0, f.x1 + sp.beside, f.y0, f.x1 + sp.beside, f.y1, f.x1, f.y1};
            cv.fill(xy, 4, Rgb{0.97, 0.97, 0.98});
        }
        Drawn drawn;
        InsetSpot at;
        if (panels) {
            const size_t j = static_cast<size_t>(first + static_cast<int>(k));
            const InsetBox box = insetvals ? insetbox(v, insetvals, static_cast<size_t>(first) + k) : InsetBox{};
            drawframegroups(w, cv, f, gs, j, j + 1, false, &fmcolors, &drawn, &box, &at);
            strip(cv, Frame{f.x0, f.y1 + sp.above, f.x1, f.y1 + sp.above, f.x, f.y}, gs[j].label, stripheight());
            if (at.size > 0) inset(cv, box, at);
            insetnote(at, text(*d, c.g1, gs[j].first), text(*d, c.g2, gs[j].first));
        } else {
            const InsetBox box = !overlay ? insetbox(v, nullptr, 0) : InsetBox{};
            drawframegroups(w, cv, f, gs, 0, gs.size(), overlay, &fmcolors, &drawn, &box, &at);
            if (at.size > 0) inset(cv, box, at);
            insetnote(at, {}, {});
        }
    }
    legend.empty() ? void() : rt::sgr::legend(cv, legend, legtitle, L.left, L.right, L.legendtop);
    return true;
}

std::vector<LegendEntry> problegend(const PhantomData& d, bool lines, bool markers) {
    std::vector<LegendEntry> legend;
    const Cols c(d);
    const std::vector<Group> gs = groups(d, c);
    for (size_t k = 0; k < gs.size(); ++k) {
        const Look lk = look(static_cast<int>(k), true);
        legend.push_back({gs[k].overlay.empty() ? gs[k].label : gs[k].overlay, lk.color, markers ? lk.marker : nullptr,
                          lines && hasline(d, c, gs[k]), lk.dashes});
    }
    return legend;
}

void probpanel(Canvas& cv, const Frame& f, const PhantomData& d, const Vars& v, bool rotate, bool limits, bool fit,
               bool band, double alpha) {
    static const TemplateSpec plain{"", Family::Probability, 0, false, false, false, -1, 0};
    static const TemplateSpec turned{"", Family::Probability, 0, false, true, false, -1, 0};
    const Cols c(d);
    Draw w{rotate ? turned : plain, d, c, &cv, limits, fit, band, alpha};
    w.probrefs = numberlist(v.text("_ProbRefs"));
    w.family = trim(v.text("_ProbScale"));
    // The device road draws no censored marks on the probability panel of a relation plot.
    w.censored = false;
    w.points = v.integer("_NoPPos", 0) == 0;
    const std::vector<Group> gs = groups(d, c);
    std::map<std::string, Rgb> none;
    Drawn drawn;
    drawframegroups(w, cv, f, gs, 0, gs.size(), true, &none, &drawn);
}

namespace {

void probrange(const PhantomData& d, std::string_view tickstext, bool limits, bool keeplo, bool keephi, double* vlo, double* vhi) {
    // From the tick at or below the lowest plotted point to the tick at or above the highest
    // (their limits too when they are drawn), as the device road takes the range from its tick
    // list; the fitted line and its band are cut there. An end the user gave stays; without
    // points the range the request gives stays.
    const std::vector<double> ticks = numberlist(tickstext);
    const Cols c(d);
    double plo = INFINITY, phi = -INFINITY;
    auto take = [&](int col) {
        d.eachfinite(col, 0, d.rows, [&](size_t, double q) { plo = std::min(plo, q), phi = std::max(phi, q); });
    };
    take(c.yp);
    if (limits) take(c.ylo), take(c.yup);
    if (!(plo <= phi) || ticks.empty()) return;
    double a = ticks.front(), b = ticks.back();
    for (double p : ticks)
        if (p <= plo + ontick(p)) a = p;
    for (auto it = ticks.rbegin(); it != ticks.rend(); ++it)
        if (*it >= phi - ontick(*it)) b = *it;
    if (a == b) {
        // Points on one tick (a single failure at 50 %): from the tick below to the tick above,
        // as on the device road.
        const auto at = std::find(ticks.begin(), ticks.end(), a);
        if (at != ticks.begin()) a = *(at - 1);
        if (at + 1 != ticks.end()) b = *(at + 1);
    }
    if (!(a < b)) return;
    if (!keeplo || !std::isfinite(*vlo)) *vlo = a;
    if (!keephi || !std::isfinite(*vhi)) *vhi = b;
}

// The first and last entries of a PCTLIST the user gave (positions on the quantile scale): such
// a list comes with the entries 0 and 100, the default list starts at 1e-10. False otherwise.
bool givenlist(std::string_view tickstext, std::string_view labeltext, double* lo, double* hi) {
    const std::vector<double> pos = numberlist(tickstext);
    const std::vector<std::string> labels = quotedlist(labeltext);
    std::vector<double> pct;
    for (const std::string& l : labels) {
        const std::vector<double> n = numberlist(l);
        pct.push_back(n.size() == 1 ? n[0] : NAN);
    }
    if (pos.size() < 3 || pct.size() != pos.size() || pct.front() != 0 || pct.back() != 100) return false;
    size_t a = 0, b = pos.size() - 1;
    while (a < b && !(pct[a] > 0)) ++a;
    while (b > a && !(pct[b] < 100)) --b;
    if (!(pos[a] < pos[b])) return false;
    *lo = pos[a];
    *hi = pos[b];
    return true;
}

}  // namespace

void probends(const Vars& v, const PhantomData& d, std::string_view ticks, std::string_view labels, bool limits, double* vlo,
              double* vhi) {
    *vlo = v.number("_VMin", NAN);
    *vhi = v.number("_VMax", NAN);
    bool keeplo = v.has("_PctMin"), keephi = v.has("_PctMax");
    const std::string tickstext = v.text(ticks);
    double lo, hi;
    if (givenlist(tickstext, v.text(labels), &lo, &hi)) {
        if (!keeplo) *vlo = lo, keeplo = true;
        if (!keephi) *vhi = hi, keephi = true;
    }
    probrange(d, tickstext, limits, keeplo, keephi, vlo, vhi);
}

}  // namespace rt::sgr
