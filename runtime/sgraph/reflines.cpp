// Reference lines and their labels, placed clear of what the frame shows.
#include "runtime/sgraph/reflines.h"

#include <algorithm>
#include <array>

#include "runtime/sgraph/common.h"
#include "runtime/sgraph/crossing.h"
#include "runtime/sgraph/render.h"

namespace rt::sgr {

namespace {

// The box of a label of width w and text height h at p, with a little room round it.
Rect labelbox(const LabelAt& p, double w, double h) {
    const double x0 = p.end ? p.x - w : p.x;
    return {x0 - 1.5, p.y - 0.25 * h, x0 + w + 1.5, p.y + 0.85 * h};
}

bool overlap(const Rect& a, const Rect& b) { return a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1; }
bool meets(const Drawn::Mark& m, const Rect& r) {
    return m.x >= r.x0 - m.r && m.x <= r.x1 + m.r && m.y >= r.y0 - m.r && m.y <= r.y1 + m.r;
}
bool meets(const std::array<double, 4>& s, const Rect& r) {
    double a = s[0], b = s[1], c = s[2], d = s[3];
    return clipsegment(r, &a, &b, &c, &d);
}

// What of the frame's drawing lies where a label may go (the union of its places).
struct Near {
    std::vector<Rect> texts;
    std::vector<Drawn::Mark> marks;
    std::vector<std::array<double, 4>> segments;
    std::vector<std::array<double, 4>> refs;
    Near(const Drawn& d, const std::vector<std::array<double, 4>>& reflines, const Rect& r) {
        for (const Rect& t : d.texts)
            if (overlap(t, r)) texts.push_back(t);
        for (const Drawn::Mark& m : d.marks)
            if (meets(m, r)) marks.push_back(m);
        for (const auto& s : d.segments)
            if (meets(s, r)) segments.push_back(s);
        for (const auto& s : reflines)
            if (meets(s, r)) refs.push_back(s);
    }
    // What a label's box meets: a text over a text cannot be read, a marker under a text hides
    // a point, a reference line through a text makes it read as that line's, another line
    // strikes it out; they weigh in that order.
    double cost(const Rect& b) const {
        double c = 0;
        for (const Rect& t : texts) c += overlap(t, b) ? 1e6 : 0;
        for (const Drawn::Mark& m : marks) c += meets(m, b) ? 1e3 : 0;
        for (const auto& s : refs) c += meets(s, b) ? 10 : 0;
        for (const auto& s : segments) c += meets(s, b) ? 1 : 0;
        return c;
    }
};

const gfx::Stroke& refstroke() {
    static const gfx::Stroke s{style().reference, 0.8, {4, 3}};
    return s;
}

void writeat(Canvas& c, const std::string& label, const LabelAt& p) {
    c.text(label, p.x, p.y, 0, p.end ? gfx::Anchor::End : gfx::Anchor::Start, textstyle(style().font, style().reference));
}

}  // namespace

void RefLabels::place(Canvas& c, const Frame& f, Drawn& drawn) {
    const double h = style().font;
    for (const Pending& p : pending_) {
        if (p.at.empty()) continue;
        const double w = textwidth(p.text, h);
        std::vector<Rect> boxes;
        Rect all{INFINITY, INFINITY, -INFINITY, -INFINITY};
        for (const LabelAt& a : p.at) {
            const Rect b = labelbox(a, w, h);
            boxes.push_back(b);
            all = {std::min(all.x0, b.x0), std::min(all.y0, b.y0), std::max(all.x1, b.x1), std::max(all.y1, b.y1)};
        }
        const Near near(drawn, lines_, all);
        size_t pick = 0;
        double best = INFINITY;
        for (size_t k = 0; k < p.at.size() && best > 0; ++k) {
            const LabelAt& a = p.at[k];
            const double x0 = a.end ? a.x - w : a.x;
            if (x0 < f.x0 || x0 + w > f.x1 || a.y - 0.25 * h < f.y0 || a.y + 0.85 * h > f.y1) continue;   // the text inside the frame
            const double cost = near.cost(boxes[k]);
            if (cost < best) best = cost, pick = k;
        }
        if (!std::isfinite(best)) best = near.cost(boxes[0]);   // no place inside: the first
        const Rect& b = boxes[pick];
        if (best > 0) {
            // No free place: the text on the frame's background, over what lies beneath.
            const double xy[] = {b.x0, b.y0, b.x1, b.y0, b.x1, b.y1, b.x0, b.y1};
            c.fill(xy, 4, Rgb{1, 1, 1});
        }
        writeat(c, p.text, p.at[pick]);
        drawn.texts.push_back(b);
    }
    pending_.clear();
    lines_.clear();
}

bool vref(Canvas& c, const Frame& f, double dx, const std::string& label, int slot, double stopy, RefLabels* labels) {
    const double u = f.x.unit(dx);
    if (std::isnan(u) || u < f.x.lo || u > f.x.hi) return false;
    const double x = f.px(u);
    const double us = f.y.unit(stopy);
    const bool stop = !std::isnan(us);
    const double top = stop ? std::clamp(f.py(us), f.y0, f.y1) : f.y1;
    c.line(x, f.y0, x, top, refstroke());
    if (labels) labels->line(x, f.y0, x, top);
    if (label.empty()) return true;
    const double h = style().font, w = textwidth(label, h);
    const bool right = x + 3 + w < f.x1;
    std::vector<LabelAt> at;
    auto sides = [&](double y) {
        at.push_back({right ? x + 3 : x - 3, y, !right});
        at.push_back({right ? x - 3 : x + 3, y, right});
    };
    // A line that stops at the curve has its label at its foot, a whole line near the top;
    // rows of labels step up from the foot or down from the top.
    for (int k = 0; k < 4; ++k) {
        const int row = (slot + k) % 4;
        sides(stop ? f.y0 + 3 + h * 1.1 * row : f.y1 - h * (1.1 + 1.1 * row));
    }
    // Then along the line (a line that stops: up to that point, or over the first rows).
    if (stop)
        for (double y = f.y0 + 3; y + 0.85 * h <= std::max(top, f.y0 + 3 + 4.3 * h); y += 0.5 * h) sides(y);
    else
        for (double y = f.y1 - 1.1 * h; y - 0.25 * h >= f.y0; y -= 0.5 * h) sides(y);
    if (labels)
        labels->add(label, std::move(at));
    else
        writeat(c, label, at.front());
    return true;
}

bool href(Canvas& c, const Frame& f, double dy, const std::string& label, int slot, double stopx, RefLabels* labels) {
    (void)slot;
    const double u = f.y.unit(dy);
    if (std::isnan(u) || u < f.y.lo || u > f.y.hi) return false;
    const double y = f.py(u);
    const double us = f.x.unit(stopx);
    const bool stop = !std::isnan(us);
    const double right = stop ? std::clamp(f.px(us), f.x0, f.x1) : f.x1;
    c.line(f.x0, y, right, y, refstroke());
    if (labels) labels->line(f.x0, y, right, y);
    if (label.empty()) return true;
    const double h = style().font, w = textwidth(label, h);
    const bool below = y - h - 2 > f.y0 && y > (f.y0 + f.y1) / 2;
    const double first = below ? y - h : y + 3, second = below ? y + 3 : y - h;
    std::vector<LabelAt> at = {{f.x0 + 4, first, false}, {f.x0 + 4, second, false}};
    if (!stop) at.insert(at.end(), {{f.x1 - 4, first, true}, {f.x1 - 4, second, true}});
    // Then along the line, up to the point where it stops.
    for (double x = f.x0 + 4 + h; x + w <= right - 2; x += h) at.insert(at.end(), {{x, first, false}, {x, second, false}});
    if (labels)
        labels->add(label, std::move(at));
    else
        writeat(c, label, at.front());
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
    auto line = [&](bool ofx, double v, double stop, const std::string& l) {
        std::string key(ofx ? "x" : "y");
        key += l;
        if (std::isfinite(stop)) key.append("@").append(numlabel(stop));
        if (!drawn.lines.insert({v, key}).second) return true;
        const bool across = ofx != swap;
        const std::string written = l.empty() || drawn.labelled.insert({v, std::string(ofx ? "x" : "y") + l}).second ? l : std::string();
        const bool ok = across ? vref(c, f, v, written, slot, stop, &drawn.labels) : href(c, f, v, written, slot, stop, &drawn.labels);
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
    // A value as the user wrote it: a probability reference by its percent.
    auto named = [&](bool ofx, double v, size_t k) {
        if (!ofx && k >= firstprob && k - firstprob < drawn.probrefs->size()) return numlabel((*drawn.probrefs)[k - firstprob]) + " percent";
        return numlabel(v);
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
            line(true, x, y, lx);
            line(false, y, x, ly);
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
