// The relation-plot templates: life against stress. The stress axis takes the ticks the
// request gives (_XTicks at transformed positions, _XTickLabels in stress units) or, without
// them, a linear or log axis (_XType) of the data, ending where the user said (_StressMin,
// _StressMax); the life axis is linear or log (_YType),
// its ends those the user gave (_LifeMin, _LifeMax) where given, on the probability panel too.
// The data (PhantomData: XData, YData by DataGroup, the kind of censoring) when _DataPlot is
// 1, the percentile lines (PhantomPcntl: XPcntl, YPcntl by PcntlGroup and CurveLabel) when
// _PcntlPlot is 1, stress reference lines (PhantomSRef), and _FmtVal as a note.
// RegPercentiles3 adds the probability plot of the stress levels (Phantom) beside it, with
// _PPTicks, _PPTickLabels, _VMin, _VMax, _PPXType, _PPXLabel, _PPYLabel, _TransConf, _TransFit.
#include <algorithm>
#include <cmath>

#include "runtime/sgraph/common.h"
#include "runtime/sgraph/page.h"
#include "runtime/sgraph/render.h"

namespace rt::sgr {

namespace {

using rt::out::PhantomData;

// The marker of a kind of observation, by the kind's label.
const gfx::MarkerShape& kindmarker(size_t k) {
    switch (k % 4) {
    case 0: return circle();
    case 1: return triangle();
    case 2: return diamond();
    default: return square();
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

    PageSpec sp;
    sp.width = kPageWidth;
    sp.height = kPageHeight;
    sp.title = g.req->label;
    sp.x = sx;
    sp.y = ly;
    // Legend: the kinds of observations and the percentile lines.
    std::vector<LegendEntry> legend;
    std::vector<std::string> kinds;
    if (data) {
        const int gc = data->find("DataGroup");
        for (size_t r = 0; gc >= 0 && r < data->rows; ++r) {
            std::string k = text(*data, gc, r);
            if (std::find(kinds.begin(), kinds.end(), k) == kinds.end()) kinds.push_back(k);
        }
        for (size_t k = 0; k < kinds.size(); ++k) legend.push_back({kinds[k], groupcolor(static_cast<int>(k)), &kindmarker(k), false});
    }
    // The probability panel takes the right part of the page; its stress levels have a legend
    // of their own under it, titled by the stress variable.
    std::vector<LegendEntry> levels;
    const std::string levtitle = v.text("_XLabel");
    if (prob) {
        sp.right = (sp.width - 20) * 0.42;
        levels = problegend(*prob);
    }
    const double relw = sp.width - 20 - sp.right;
    sp.legend = std::max(legendheight(legend, "", relw - 60), legendheight(levels, levtitle, sp.right - 60));
    PageLayout L = pagelayout(cv, sp);
    const Frame& f = L.frames[0];
    const bool grid = v.text("_Grid") == "AUTO_ON";
    drawframe(cv, f, grid, false, true, true);
    cv.pushclip(f.x0, f.y0, f.x1, f.y1);
    if (sref) {
        const int sc = sref->find("SRef"), lc = sref->find("SRefLabel");
        for (size_t r = 0; r < sref->rows; ++r) vref(cv, f, num(*sref, sc, r), text(*sref, lc, r), static_cast<int>(r));
    }
    if (pct) {
        const int xc = pct->find("XPcntl"), yc = pct->find("YPcntl"), pg = pct->find("PcntlGroup"), cl = pct->find("CurveLabel");
        const double fs = style().font * 0.9;
        std::string cur = "\x01", label;
        Path p(f);
        // The line's last point inside the frame, in points, and the point before it.
        double lx = NAN, lyv = NAN, qx = NAN, qy = NAN, prevx = NAN, prevy = NAN;
        // Several curves (by level or by value) take one percentile, which the note names:
        // each is labelled by its level, or by the variable and its value. Several
        // percentiles on one curve, whose value the note names, are labelled by percentile.
        bool bycurve = false;
        for (size_t r = 1; cl >= 0 && r < pct->rows && !bycurve; ++r) bycurve = text(*pct, cl, r) != text(*pct, cl, 0);
        const std::string rname = trim(v.text("_RName"));
        struct Placed {
            std::string text;
            double x, y, x0, x1;   // baseline start or end (anchor), its horizontal extent
            gfx::Anchor a;
        };
        std::vector<Placed> placed;
        auto finish = [&](const std::string& name) {
            p.draw(cv, gfx::Stroke{Rgb{0.15, 0.15, 0.2}, 1.2, {}});
            const double x = lx, y = lyv;
            if (name.empty() || !std::isfinite(x)) return;
            // The label right of the line's end, clear of the points at the last level; where
            // the frame ends there, left of the end on the side the line leaves free: above a
            // line that rises to its end, below one that falls.
            double bx = x + 8, by = y - fs * 0.35;
            gfx::Anchor a = gfx::Anchor::Start;
            if (bx + textwidth(name, fs, false) > f.x1) {
                const bool falls = std::isfinite(qy) && qy > y;
                bx = x - 2;
                by = falls && y - fs - 2 >= f.y0 ? y - fs - 2 : y + 3;
                a = gfx::Anchor::End;
            }
            // A line that leaves the frame through its bottom or top ends on the edge: its label
            // stays inside the frame, where it is not clipped.
            by = std::clamp(by, f.y0 + 2, std::max(f.y0 + 2, f.y1 - fs - 1));
            const double w = textwidth(name, fs, false);
            placed.push_back({name, bx, by, a == gfx::Anchor::End ? bx - w : bx, a == gfx::Anchor::End ? bx : bx + w, a});
        };
        for (size_t r = 0; r < pct->rows; ++r) {
            const std::string curve = cl >= 0 ? trim(text(*pct, cl, r)) : std::string();
            const std::string key = text(*pct, pg, r) + "\x02" + curve;
            if (key != cur) {
                if (cur != "\x01") finish(label);
                cur = key;
                label = !bycurve ? trim(text(*pct, pg, r)) : rname.empty() ? curve : rname + " = " + curve;
                lx = lyv = qx = qy = prevx = prevy = NAN;
            }
            const double x = num(*pct, xc, r), y = num(*pct, yc, r);
            p.add(x, y);
            double ox, oy;
            if (!f.at(x, y, &ox, &oy)) continue;
            if (ox >= f.x0 && ox <= f.x1 && oy >= f.y0 && oy <= f.y1) qx = prevx, qy = prevy, lx = ox, lyv = oy;
            prevx = ox, prevy = oy;
        }
        if (cur != "\x01") finish(label);
        // Labels of lines that end close together are stacked upwards, one line of text apart.
        std::sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) { return a.y < b.y; });
        for (size_t i = 0; i < placed.size(); ++i)
            for (size_t j = 0; j < i; ++j)
                if (placed[j].x0 < placed[i].x1 && placed[i].x0 < placed[j].x1 && placed[i].y < placed[j].y + 1.15 * fs)
                    placed[i].y = placed[j].y + 1.15 * fs;
        for (const Placed& l : placed) cv.text(l.text, l.x, l.y, 0, l.a, textstyle(fs));
    }
    if (data) {
        const int xc = data->find("XData"), yc = data->find("YData"), gc = data->find("DataGroup");
        std::vector<std::vector<double>> xs(kinds.size()), ys(kinds.size());
        for (size_t r = 0; r < data->rows; ++r) {
            const size_t k = static_cast<size_t>(std::find(kinds.begin(), kinds.end(), text(*data, gc, r)) - kinds.begin());
            if (k >= kinds.size()) continue;
            xs[k].push_back(num(*data, xc, r));
            ys[k].push_back(num(*data, yc, r));
        }
        for (size_t k = 0; k < kinds.size(); ++k)
            marks(cv, f, kindmarker(k), 6, gfx::Stroke{groupcolor(static_cast<int>(k)), 0.9, {}}, xs[k], ys[k]);
    }
    cv.popclip();
    const std::string note = v.text("_FmtVal");
    if (!trim(note).empty()) cv.text(trim(note), f.x0 + 6, f.y1 - style().font * 1.3, 0, gfx::Anchor::Start, textstyle(style().font));
    if (!legend.empty()) rt::sgr::legend(cv, legend, "", L.left, L.right, L.legendtop);

    if (prob) {
        // The probability plot of the stress levels, right of the relation plot.
        Frame pf;
        pf.x = probtimeaxis(*prob, v.text("_PPXType") == "log", v);
        pf.y = probaxis(v.text("_PPTicks"), v.text("_PPTickLabels"), v.number("_VMin", NAN), v.number("_VMax", NAN));
        // Room for the axis title and the tick labels left of the frame, and for half the
        // last time label right of it.
        pf.x0 = L.right + 14 + style().titlefont * 1.4 + ylabelwidth(pf.y);
        pf.x1 = sp.width - 26;
        pf.y0 = f.y0;
        pf.y1 = f.y1;
        drawframe(cv, pf, grid, v.text("_MLGrid") == "ON", true, true);
        xtitle(cv, v.text("_PPXLabel"), pf.x0, pf.x1, f.y0 - xlabelheight() - style().titlefont * 1.1);
        ytitle(cv, v.text("_PPYLabel"), pf.y0, pf.y1, L.right + 14 + style().titlefont * 0.8);
        const double tc = v.number("_TransConf", 0.8);
        probpanel(cv, pf, *prob, true, v.number("_TransFit", 0) < 1, tc < 1, 1 - tc);
        if (!levels.empty()) rt::sgr::legend(cv, levels, levtitle, pf.x0, pf.x1, L.legendtop);
    }
    return true;
}

}  // namespace rt::sgr
