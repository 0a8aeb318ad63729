// The relation-plot templates: life against stress. The stress axis takes the ticks the
// request gives (_XTicks at transformed positions, _XTickLabels in stress units) or, without
// them, a linear or log axis (_XType) of the data, ending where the user said (_StressMin,
// _StressMax); the life axis is linear or log (_YType),
// its ends those the user gave (_LifeMin, _LifeMax) where given, on the probability panel too.
// The data (PhantomData: XData, YData by DataGroup, the kind of censoring) when _DataPlot is
// 1, the percentile lines (PhantomPcntl: XPcntl, YPcntl by PcntlGroup and CurveLabel) when
// _PcntlPlot is 1, stress reference lines (PhantomSRef; the values as given in _StressRefs, for
// the log), and _FmtVal as a note.
// RegPercentiles3 adds the probability plot of the stress levels (Phantom) on the left, turned
// to share the life axis, as the device road draws it: _PPTicks, _PPTickLabels, _VMin, _VMax
// (rounded out to the ticks that enclose the points), _PPYLabel, _TransConf, _TransFit.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>

#include "runtime/sgraph/common.h"
#include "runtime/sgraph/curvelabels.h"
#include "runtime/sgraph/page.h"
#include "runtime/sgraph/render.h"
#include "runtime/supervisor/messages.h"

namespace rt::sgr {

namespace {

using rt::out::PhantomData;

// The kinds of observations by their texts in DataGroup, the procedure's texts of exact,
// right-, left- and interval-censored lives (510/675 to 678): each kind keeps its marker and
// colour on every page, whichever kinds the page has and in whatever order its rows come. A
// text that is none of them takes a plus in a colour of its own.
constexpr int kKindMessage = 675, kKinds = 4;

int kindof(const std::string& text) {
    for (int k = 0; k < kKinds; ++k) {
        const rt::msg::Entry* e = rt::msg::find(510, kKindMessage + k);
        if (e && trim(e->text) == text) return k;
    }
    return -1;
}

const gfx::MarkerShape& kindmarker(int k) {
    switch (k) {
    case 0: return circle();
    case 1: return triangle();
    case 2: return diamond();
    case 3: return square();
    default: return plus();
    }
}

struct Kind {
    std::string text;
    int look;   // marker and colour
};

// The kinds of the data's rows in the order exact, right, left, interval, then others as
// they come.
std::vector<Kind> kindsof(const PhantomData& data) {
    const int gc = data.find("DataGroup");
    std::vector<std::string> seen;
    for (size_t r = 0; gc >= 0 && r < data.rows; ++r) {
        std::string k = text(data, gc, r);
        if (std::find(seen.begin(), seen.end(), k) == seen.end()) seen.push_back(k);
    }
    std::vector<Kind> kinds;
    int other = kKinds;
    for (const std::string& k : seen) kinds.push_back({k, kindof(k) >= 0 ? kindof(k) : other++});
    std::stable_sort(kinds.begin(), kinds.end(), [](const Kind& a, const Kind& b) { return a.look < b.look; });
    return kinds;
}

// The data's markers, each by its kind.
void datamarks(Canvas& cv, const Frame& f, const PhantomData& data, const std::vector<Kind>& kinds) {
    const int xc = data.find("XData"), yc = data.find("YData"), gc = data.find("DataGroup");
    std::vector<std::vector<double>> xs(kinds.size()), ys(kinds.size());
    for (size_t r = 0; r < data.rows; ++r) {
        const std::string k = text(data, gc, r);
        const size_t j = static_cast<size_t>(std::find_if(kinds.begin(), kinds.end(), [&](const Kind& a) { return a.text == k; }) - kinds.begin());
        if (j >= kinds.size()) continue;
        xs[j].push_back(num(data, xc, r));
        ys[j].push_back(num(data, yc, r));
    }
    for (size_t j = 0; j < kinds.size(); ++j)
        marks(cv, f, kindmarker(kinds[j].look), 6, gfx::Stroke{groupcolor(kinds[j].look), 0.9, {}}, xs[j], ys[j]);
}

// Beside the probability panel (PPLOT) a marker means one thing on the whole page: an exact
// life takes its stress level's marker and colour, as that level's points in the panel do,
// and a censored one, in its level's colour, a marker no level uses: an arrow up the life axis
// (right-censored: the life is longer), down (left-censored: shorter) or a bar (an interval's
// midpoint); a kind of no known text takes a plus.
const gfx::MarkerShape& censoredmarker(int k) {
    switch (k) {
    case 1: return uparrow();
    case 2: return downarrow();
    case 3: return ibeam();
    default: return plus();
    }
}

// The stress level (an index into levels, the probability panel's groups) of each stress value
// of the data; -1 where none is found. The data carry the stress as the axis shows it (through
// the relation and, for an Arrhenius relation, negated), which rises with the level's value
// under every relation: a value equal to a level's is that level (no transform); otherwise,
// when the data have as many stress values as there are levels, the k-th smallest value is
// the k-th smallest level (the k-th group where the levels' texts are not numbers).
std::map<double, int> stresslevels(const PhantomData& data, const std::vector<LegendEntry>& levels) {
    const int xc = data.find("XData");
    std::vector<double> xs;
    data.eachfinite(xc, 0, data.rows, [&](size_t, double x) { xs.push_back(x); });
    std::sort(xs.begin(), xs.end());
    xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
    std::vector<double> vals;
    bool numbers = true;
    for (const LegendEntry& e : levels) {
        char* end = nullptr;
        const double v = std::strtod(e.text.c_str(), &end);
        numbers = numbers && !e.text.empty() && end && *end == '\0' && std::isfinite(v);
        vals.push_back(numbers ? v : NAN);
    }
    std::map<double, int> out;
    for (double x : xs)
        for (size_t k = 0; numbers && k < vals.size(); ++k)
            if (std::fabs(x - vals[k]) <= 1e-9 * std::max(1.0, std::fabs(x))) out[x] = static_cast<int>(k);
    if (out.size() == xs.size()) return out;
    out.clear();
    if (xs.size() != levels.size()) {
        for (double x : xs) out[x] = -1;
        return out;
    }
    std::vector<int> order(levels.size());
    for (size_t k = 0; k < order.size(); ++k) order[k] = static_cast<int>(k);
    if (numbers) std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return vals[a] < vals[b]; });
    for (size_t k = 0; k < xs.size(); ++k) out[xs[k]] = order[k];
    return out;
}

// The data's markers beside the probability panel: each exact life in its level's marker and
// colour, each censored one in its kind's marker (censoredmarker) and its level's colour; a
// stress that is no level's draws in the text colour, exact lives as filled dots.
void levelmarks(Canvas& cv, const Frame& f, const PhantomData& data, const std::vector<LegendEntry>& levels) {
    const int xc = data.find("XData"), yc = data.find("YData"), gc = data.find("DataGroup");
    const std::map<double, int> level = stresslevels(data, levels);
    struct Key {
        int level, kind;
        bool operator<(const Key& o) const { return level != o.level ? level < o.level : kind < o.kind; }
    };
    std::map<Key, std::pair<std::vector<double>, std::vector<double>>> pts;
    for (size_t r = 0; r < data.rows; ++r) {
        const double x = num(data, xc, r);
        const auto it = level.find(x);
        auto& [xs, ys] = pts[{it == level.end() ? -1 : it->second, kindof(text(data, gc, r))}];
        xs.push_back(x);
        ys.push_back(num(data, yc, r));
    }
    for (const auto& [k, xy] : pts) {
        const LegendEntry* lv = k.level >= 0 && static_cast<size_t>(k.level) < levels.size() ? &levels[static_cast<size_t>(k.level)] : nullptr;
        const gfx::MarkerShape* exact = lv && lv->marker ? lv->marker : &dot();
        const gfx::MarkerShape& m = k.kind != 0 ? censoredmarker(k.kind) : *exact;
        // An arrow or a bar is thin beside a circle: a little taller and heavier.
        const bool thin = k.kind != 0;
        marks(cv, f, m, thin ? 8 : 6, gfx::Stroke{lv ? lv->color : style().text, thin ? 1.1 : 0.9, {}}, xy.first, xy.second);
    }
}

// The stress reference lines; their labels wait in labels until the frame is drawn. A line
// off the stress axis is named by the value the user gave (given: _StressRefs, one a row),
// not by its row's place on the relation's scale.
void stresslines(Canvas& c, const Frame& f, const PhantomData& sref, const std::vector<double>& given, RefLabels& labels) {
    const int sc = sref.find("SRef"), lc = sref.find("SRefLabel");
    for (size_t r = 0; r < sref.rows; ++r)
        if (!vref(c, f, num(sref, sc, r), text(sref, lc, r), static_cast<int>(r), NAN, &labels)) {
            const double v = given.size() == sref.rows ? given[r] : num(sref, sc, r);
            warn("The reference line at " + rt::msg::numbertext(v) + " lies outside the stress axis of the graph; it is not drawn.");
        }
}

void range(const PhantomData* d, const char* name, bool log, double* lo, double* hi) {
    if (!d) return;
    const int col = d->find(name);
    if (col < 0) return;
    for (size_t r = 0; r < d->rows; ++r) {
        const double v = d->num(col, r);
        if (std::isfinite(v) && (!log || v > 0)) *lo = std::min(*lo, v), *hi = std::max(*hi, v);
    }
}

// The box of the note of the percentile lines drawn, at the frame's top left.
Rect notebox(const Frame& f, const std::string& note) {
    const double x = f.x0 + 6, y = f.y1 - style().font * 1.3;
    return {x, y - 3, x + textwidth(note, style().font), y + style().font};
}

}  // namespace

bool relplot(const Graph& g, const TemplateSpec& t, Canvas& cv, std::string& why) {
    const Vars v(*g.req);
    const PhantomData* data = v.integer("_DataPlot") ? g.named("PhantomData") : nullptr;
    const PhantomData* pct = v.integer("_PcntlPlot") ? g.named("PhantomPcntl") : nullptr;
    const PhantomData* sref = g.named("PhantomSRef");
    const PhantomData* prob = t.relation == 3 ? g.named("Phantom") : nullptr;
    if (!data && !pct && !prob) {
        why = "the relation plot has neither data nor percentile lines to show";
        return false;
    }
    // Stress axis.
    const bool xlog = v.text("_XType") == "log", ylog = v.text("_YType") == "log";
    const std::vector<double> xt = numberlist(v.text("_XTicks"));
    double xlo = INFINITY, xhi = -INFINITY, ylo = INFINITY, yhi = -INFINITY;
    range(data, "XData", xlog, &xlo, &xhi);
    range(pct, "XPcntl", xlog, &xlo, &xhi);
    range(data, "YData", ylog, &ylo, &yhi);
    range(pct, "YPcntl", ylog, &ylo, &yhi);
    // The probability panel shares the life axis: its points are on it too.
    range(prob, "XPPlot", ylog, &ylo, &yhi);
    Axis sx;
    if (!xt.empty()) {
        double a = xt.front(), b = xt.back();
        if (a > b) std::swap(a, b);
        a = std::min(a, xlo), b = std::max(b, xhi);
        sx = givenaxis(xt, quotedlist(v.text("_XTickLabels")), a - (b - a) * 0.02, b + (b - a) * 0.02);
    } else if (std::isfinite(v.number("_StressMin", NAN)) || std::isfinite(v.number("_StressMax", NAN))) {
        sx = endsaxis(xlog, xlo, xhi, v.number("_StressMin", NAN), v.number("_StressMax", NAN));
    } else if (!xlog && xlo < xhi) {
        // The stress levels are the axis's data: room beside the first and the last level,
        // so that their points and the lines' labels stay clear of the frame.
        const double pad = (xhi - xlo) * 0.06;
        sx = dataaxis(false, xlo - pad, xhi + pad, false);
    } else {
        sx = dataaxis(xlog, xlo, xhi, false);
    }
    sx.title = v.text("_XLabel");
    Axis ly = lifeaxis(v, ylog, ylo, yhi);
    ly.title = v.text("_YLabel");

    // The percentile lines in data units, a break between curves, with their labels. Several
    // curves (by level or by value) take one percentile, which the note names: each is
    // labelled by its level, or by the variable and its value. Several percentiles on one
    // curve, whose value the note names, are labelled by percentile.
    struct Curve {
        std::string label;
        std::vector<std::pair<double, double>> pts;
    };
    std::vector<Curve> curves;
    if (pct) {
        const int xc = pct->find("XPcntl"), yc = pct->find("YPcntl"), pg = pct->find("PcntlGroup"), cl = pct->find("CurveLabel");
        bool bycurve = false;
        for (size_t r = 1; cl >= 0 && r < pct->rows && !bycurve; ++r) bycurve = text(*pct, cl, r) != text(*pct, cl, 0);
        const std::string rname = trim(v.text("_RName"));
        std::string cur = "\x01";
        for (size_t r = 0; r < pct->rows; ++r) {
            const std::string curve = cl >= 0 ? trim(text(*pct, cl, r)) : std::string();
            const std::string key = text(*pct, pg, r) + "\x02" + curve;
            if (key != cur) {
                cur = key;
                curves.push_back({!bycurve ? trim(text(*pct, pg, r)) : rname.empty() ? curve : rname + " = " + curve, {}});
            }
            curves.back().pts.emplace_back(num(*pct, xc, r), num(*pct, yc, r));
        }
    }

    PageSpec sp;
    sp.width = kPageWidth;
    sp.height = kPageHeight;
    sp.byline = g.byline;
    // The page names the distribution as the probability plots' titles do; the relation is not
    // among the request's variables.
    const std::string dname = trim(v.text("_DName"));
    sp.title = dname.empty() || g.req->label.find(dname) != std::string::npos ? g.req->label : dname + " " + g.req->label;
    sp.x = sx;
    sp.y = ly;
    // Legends: the kinds of observations under the relation plot; the stress levels under the
    // probability panel, titled by the stress variable.
    std::vector<LegendEntry> legend;
    const std::vector<Kind> kinds = data ? kindsof(*data) : std::vector<Kind>{};
    const double tc = v.number("_TransConf", 0.8);
    const bool probfit = v.number("_TransFit", 0) < 1;
    std::vector<LegendEntry> levels;
    const std::string levtitle = v.text("_XLabel");
    const double half = (sp.width - 20) / 2;
    if (prob) {
        // The probability panel on the left, turned: the probabilities along the bottom, the
        // life up the shared axis.
        sp.cols = 2;
        sp.xtitles = {v.text("_PPYLabel"), sx.title};
        levels = problegend(*prob, probfit, v.integer("_NoPPos", 0) == 0);
    }
    // The kinds of observations: beside the probability panel an exact life takes its level's
    // marker (the levels' legend says which) and the legend names the censored kinds' markers.
    for (const Kind& k : kinds)
        if (!prob)
            legend.push_back({k.text, groupcolor(k.look), &kindmarker(k.look), false, {}});
        else if (k.look != 0)
            legend.push_back({k.text, style().text, &censoredmarker(k.look < kKinds ? k.look : -1), false, {}});
    sp.legend = std::max(legendheight(legend, "", (prob ? half : sp.width) - 60), legendheight(levels, levtitle, half - 60));

    // The curves as page points of the relation frame (the last one), clipped to it.
    const double fs = style().font * 0.9;
    auto pagecurves = [&](const Frame& f) {
        std::vector<CurveLabel> out;
        const Rect box{f.x0, f.y0, f.x1, f.y1};
        for (const Curve& c : curves) {
            CurveLabel l{c.label, {}};
            std::vector<double> run;
            auto flush = [&] {
                if (run.size() >= 4)
                    for (auto& piece : clippolyline(box, run.data(), run.size() / 2)) l.runs.push_back(std::move(piece));
                run.clear();
            };
            for (auto [x, y] : c.pts) {
                double ox, oy;
                if (!f.at(x, y, &ox, &oy)) {
                    flush();
                    continue;
                }
                run.push_back(ox);
                run.push_back(oy);
            }
            flush();
            out.push_back(std::move(l));
        }
        return out;
    };
    {
        // Room at the ends of the stress and life axes for the markers of the data and of the
        // probability panel's points.
        const Frame g0 = pagegeometry(sp).frames.back();
        Range stress, life;
        onaxes(data, sx, ly, {{"XData", "YData"}}, &stress, &life);
        const Range pp = onaxis(prob, ly, {"XPPlot"});
        if (pp.ok()) life.add(pp.lo), life.add(pp.hi);
        makeroom(sx, stress, markerroom(6, g0.x1 - g0.x0));
        makeroom(ly, life, markerroom(6, g0.y1 - g0.y0));
        sp.x = sx;
        sp.y = ly;
    }
    {
        // Room right of the frame for the labels of lines that end at its right edge.
        Frame f0 = pagegeometry(sp).frames.back();
        f0.x = sx;
        sp.right = labelroom(f0, pagecurves(f0), fs);
    }
    PageLayout L = pagelayout(cv, sp);
    Frame f = L.frames.back();
    f.x = sx;
    const bool grid = v.text("_Grid") == "AUTO_ON", minor = v.text("_MLGrid") == "ON";

    if (prob) {
        Frame pf = L.frames[0];
        double vlo, vhi;
        probends(v, *prob, "_PPTicks", "_PPTickLabels", true, &vlo, &vhi);
        pf.x = probaxis(v.text("_PPTicks"), v.text("_PPTickLabels"), vlo, vhi);
        Range pt, pq;
        onaxes(prob, pf.y, pf.x, {{"XPPlot", "YPPlot"}, {"XPPlot", "Ylower"}, {"XPPlot", "Yupper"}}, &pt, &pq);
        makeroom(pf.x, pq, markerroom(6, pf.x1 - pf.x0));
        drawframe(cv, pf, grid, minor, true, true, INFINITY, 3.0);
        probpanel(cv, pf, *prob, v, true, true, probfit, tc < 1, 1 - tc);
        if (!levels.empty()) rt::sgr::legend(cv, levels, levtitle, pf.x0, pf.x1, L.legendtop);
    }

    drawframe(cv, f, grid, minor, true, !prob, prob ? 3.0 : INFINITY, INFINITY);
    Drawn drawn;   // what the labels keep clear of
    {
        Collect col(cv, drawn);
        cv.pushclip(f.x0, f.y0, f.x1, f.y1);
        RefLabels srefs;
        if (sref) stresslines(col, f, *sref, numberlist(v.text("_StressRefs")), srefs);
        for (const Curve& c : curves) {
            Path p(f);
            for (auto [x, y] : c.pts) p.add(x, y);
            p.draw(cv, gfx::Stroke{Rgb{0.15, 0.15, 0.2}, 1.2, {}});
        }
        if (data && prob) levelmarks(col, f, *data, levels);
        else if (data) datamarks(col, f, *data, kinds);
        // The stress lines' labels clear of the percentile lines and the data too, and of the
        // note of the percentiles drawn (written after them, at the frame's top left).
        Drawn clear = drawn;
        if (const std::string note = trim(v.text("_FmtVal")); !note.empty()) clear.texts.push_back(notebox(f, note));
        for (const CurveLabel& l : pagecurves(f))
            for (const auto& r : l.runs)
                for (size_t k = 0; k + 3 < r.size(); k += 2) clear.segments.push_back({r[k], r[k + 1], r[k + 2], r[k + 3]});
        srefs.place(cv, f, clear);
        drawn.texts = clear.texts;
        cv.popclip();
    }
    if (const std::string note = trim(v.text("_FmtVal")); !note.empty()) {
        const Rect b = notebox(f, note);
        cv.text(note, b.x0, b.y0 + 3, 0, gfx::Anchor::Start, textstyle(style().font));
        drawn.areas.push_back({b.x0, b.y0, b.x1, b.y0, b.x1, b.y1, b.x0, b.y1});
    }
    // The labels at their lines' ends, clear of the other lines, the data and each other.
    writelabels(cv, placelabels(f, sp.right, pagecurves(f), drawn, fs), fs);
    if (!legend.empty()) rt::sgr::legend(cv, legend, "", prob ? f.x0 : L.left, prob ? f.x1 : L.right, L.legendtop);
    return true;
}

}  // namespace rt::sgr
