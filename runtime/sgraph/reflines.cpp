// Reference lines: their rows drawn as lines across the frame or up to a curve.
#include "runtime/sgraph/reflines.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "runtime/sgraph/common.h"
#include "runtime/sgraph/crossing.h"
#include "runtime/sgraph/render.h"
#include "runtime/supervisor/messages.h"

namespace rt::sgr {

namespace {

// Whether a label is the number v as a value read off is written (its leading digits).
bool numberat(const std::string& label, double v) {
    char* end = nullptr;
    const std::string t = trim(label);
    if (t.empty()) return false;
    const double n = std::strtod(t.c_str(), &end);
    return end && *end == '\0' && std::isfinite(n) && std::fabs(n - v) <= 5e-4 * std::max(std::fabs(v), 1e-300) + 1e-12;
}

const gfx::Stroke& refstroke() {
    static const gfx::Stroke s{style().reference, 0.8, {4, 3}};
    return s;
}

// A line's place across the frame from lo to hi: a line that falls on a side of the frame (a
// value at an axis's end, within a quarter of the line's width), under its border, is drawn
// inside, a line's width of the background between it and the border (which is as wide as the
// line), where it shows. A line off the side stays at its value.
double inside(double at, double lo, double hi) {
    const double w = refstroke().width;
    if (hi - lo <= 4 * w) return at;
    if (std::fabs(at - lo) < 0.25 * w) return lo + 2 * w;
    if (std::fabs(at - hi) < 0.25 * w) return hi - 2 * w;
    return at;
}

}  // namespace

bool vref(Canvas& c, const Frame& f, double dx, const std::string& label, int slot, double stopy, RefLabels* labels, bool value) {
    const double u = f.x.unit(dx);
    if (std::isnan(u) || u < f.x.lo || u > f.x.hi) return false;
    const double x = inside(f.px(u), f.x0, f.x1);
    const double us = f.y.unit(stopy);
    const bool stop = !std::isnan(us);
    const double top = stop ? std::clamp(f.py(us), f.y0, f.y1) : f.y1;
    c.line(x, f.y0, x, top, refstroke());
    if (labels) labels->add(x, f.y0, x, top, label, stop, slot, value);
    return true;
}

bool href(Canvas& c, const Frame& f, double dy, const std::string& label, int slot, double stopx, RefLabels* labels, bool value) {
    const double u = f.y.unit(dy);
    if (std::isnan(u) || u < f.y.lo || u > f.y.hi) return false;
    const double y = inside(f.py(u), f.y0, f.y1);
    const double us = f.x.unit(stopx);
    const bool stop = !std::isnan(us);
    const double right = stop ? std::clamp(f.px(us), f.x0, f.x1) : f.x1;
    c.line(f.x0, y, right, y, refstroke());
    if (labels) labels->add(f.x0, y, right, y, label, stop, slot, value);
    return true;
}

void reflines(Canvas& c, const Frame& f, const rt::out::PhantomData& d, size_t first, size_t last, bool swap, RefsDrawn& drawn) {
    const int xr = d.find("XRef"), yr = d.find("YRef"), xl = d.find("XRefLabel"), yl = d.find("YRefLabel");
    if (xr < 0 && yr < 0) return;
    // The rows that carry a reference: rows with neither value (a plot's points) are passed
    // over a block at a time.
    auto nextref = [&](size_t r) { return std::min(d.nextfinite(xr, r, last), d.nextfinite(yr, r, last)); };
    // With a probability plot's list, the last rows of the group are its probability references.
    size_t nrefs = 0, firstprob = SIZE_MAX;
    if (drawn.probrefs) {
        for (size_t r = nextref(first); r < last; r = nextref(r + 1)) ++nrefs;
        firstprob = nrefs - std::min(nrefs, drawn.probrefs->size());
    }
    int slot = 0;
    // A line once per value, label and stop; its label once per value.
    auto line = [&](bool ofx, double v, double stop, const std::string& l, bool value = false) {
        std::string key(ofx ? "x" : "y");
        key += l;
        if (std::isfinite(stop)) key.append("@").append(numlabel(stop));
        if (!drawn.lines.insert({v, key}).second) return true;
        const bool across = ofx != swap;
        const std::string written = l.empty() || drawn.labelled.insert({v, std::string(ofx ? "x" : "y") + l}).second ? l : std::string();
        const bool ok = across ? vref(c, f, v, written, slot, stop, &drawn.labels, value) : href(c, f, v, written, slot, stop, &drawn.labels, value);
        if (ok) ++slot;
        else drawn.lines.erase({v, key});
        return ok;
    };
    // The axis a value of XRef (ofx) or YRef lies on.
    auto axisof = [&](bool ofx) -> const Axis& { return ofx != swap ? f.x : f.y; };
    auto axisname = [&](bool ofx) { return std::string(ofx != swap ? "horizontal" : "vertical"); };
    auto onaxis = [&](bool ofx, double v) {
        const Axis& a = axisof(ofx);
        const double u = a.unit(v);
        return !std::isnan(u) && u >= a.lo && u <= a.hi;
    };
    // A value as the user wrote it, as the log writes numbers (not cut to a tick label's six
    // digits: 2000.123456 is not 2000.12): a probability reference by its percent.
    auto named = [&](bool ofx, double v, size_t k) {
        if (!ofx && k >= firstprob && k - firstprob < drawn.probrefs->size())
            return rt::msg::numbertext((*drawn.probrefs)[k - firstprob]) + " percent";
        return rt::msg::numbertext(v);
    };
    auto outside = [&](bool ofx, const std::string& name) {
        warn("The reference line at " + name + " lies outside the " + axisname(ofx) + " axis of the graph; it is not drawn.");
    };
    // MCF rows: a row with the time alone right after a row with both is a further crossing of
    // the same level, which the rows carry once.
    double level = NAN;
    size_t k = 0;
    for (size_t r = nextref(first); r < last; r = nextref(r + 1), ++k) {
        if (r > first && std::isnan(num(d, xr, r - 1)) && std::isnan(num(d, yr, r - 1))) level = NAN;
        double x = num(d, xr, r), y = num(d, yr, r);
        const bool hasx = std::isfinite(x), hasy = std::isfinite(y);
        bool repeat = false;
        if (!drawn.probrefs) {
            if (hasx && hasy)
                level = y;
            else if (hasx && std::isfinite(level))
                y = level, repeat = true;
            else if (!hasx)
                level = NAN;
        }
        const std::string lx = text(d, xl, r), ly = repeat ? std::string() : text(d, yl, r);
        if (!(std::isfinite(x) && std::isfinite(y))) {
            if (hasx && !line(true, x, NAN, lx)) outside(true, named(true, x, k));
            if (hasy && !line(false, y, NAN, ly)) outside(false, named(false, y, k));
            continue;
        }
        const bool xon = onaxis(true, x), yon = onaxis(false, y);
        if (xon && yon) {
            // Which label is the value read off: a probability plot's rows say; an MCF plot's
            // value is written as the number at its line, the user's label may be any text.
            bool xvalue = false, yvalue = false;
            if (drawn.probrefs) {
                xvalue = k >= firstprob, yvalue = k < firstprob;
            } else {
                const bool xnum = numberat(lx, x), ynum = numberat(ly, y);
                xvalue = xnum && !ynum, yvalue = ynum && !xnum;
            }
            line(true, x, y, lx, xvalue);
            line(false, y, x, ly, yvalue);
            continue;
        }
        // The point where the lines meet the curve lies beyond an axis's end. The user's value
        // is the time of a time reference, the probability of a probability reference; where
        // the rows do not say, the one on its axis.
        const bool userx = drawn.probrefs ? k < firstprob : xon || !yon;
        const double uv = userx ? x : y;
        const std::string name = named(userx, uv, k);
        if (!(userx ? xon : yon)) {
            outside(userx, name);
            continue;
        }
        // The user's line across the frame with its own label; the value read off there has no
        // place on the page.
        line(userx, uv, NAN, userx ? lx : ly);
        const std::string value = crossingvalue(drawn.probrefs != nullptr, drawn.family, userx, x, y, userx ? ly : lx);
        warn("The reference line at " + name + " meets the " + drawn.curve + " outside the " + axisname(!userx) + " axis of the graph" +
             (value.empty() ? std::string() : " (" + value + ")") + "; it is drawn across the frame without the value read off there.");
    }
}

}  // namespace rt::sgr
