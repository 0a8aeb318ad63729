// The rules a label's place keeps. Those of what the panel draws (the room, the lines, fitted
// lines, markers, the panel's own texts, the inset) fail a place for good; those of the labels
// placed before, asked with `who`, name the labels in the way instead, so that the moves can
// try to make room.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "common/labelplanner.h"

namespace labelplace {

// The glyphs' ink: without a descender, from just under the baseline (round letters and
// digits reach a little below it).
Box Planner::inked(size_t i, const Spot& s) const {
    Box b = glyph(i, s);
    if (!L[i].descends) b.y0 = s.y - kOvershoot * h;
    return b;
}

double Planner::gap(const Box& b, const Box& l) {
    const double lx0 = std::min(l.x0, l.x1), lx1 = std::max(l.x0, l.x1), ly0 = std::min(l.y0, l.y1), ly1 = std::max(l.y0, l.y1);
    const double dx = std::max({0.0, lx0 - b.x1, b.x0 - lx1}), dy = std::max({0.0, ly0 - b.y1, b.y0 - ly1});
    // (apart one way only, as a text and an upright or level line mostly are: that distance,
    // as hypot gives it)
    return dy == 0 ? dx : dx == 0 ? dy : std::hypot(dx, dy);
}

// Whether two segments cross, or come within gap of each other anywhere (with `ends`, anywhere
// but near ends that lie within twice gap of each other: leaders that run into one place).
bool Planner::touches(const Box& a, const Box& b, double gap, bool ends) {
    auto side = [](const Box& s, double px, double py) { return (s.x1 - s.x0) * (py - s.y0) - (s.y1 - s.y0) * (px - s.x0); };
    if (side(a, b.x0, b.y0) * side(a, b.x1, b.y1) < 0 && side(b, a.x0, a.y0) * side(b, a.x1, a.y1) < 0) return true;
    // (each end of either within gap of the other; an end near an end of the other is asked only then)
    auto near = [&](const Box& s, double px, double py) {
        const double dx = s.x1 - s.x0, dy = s.y1 - s.y0, n = dx * dx + dy * dy;
        const double t = n > 0 ? std::clamp(((px - s.x0) * dx + (py - s.y0) * dy) / n, 0.0, 1.0) : 0;
        return hypotcmp(px - s.x0 - t * dx, py - s.y0 - t * dy, gap, std::less<double>());
    };
    auto shared = [&](double px, double py, const Box& o) {
        return hypotcmp(px - o.x0, py - o.y0, 2 * gap, std::less_equal<double>()) ||
               hypotcmp(px - o.x1, py - o.y1, 2 * gap, std::less_equal<double>());
    };
    auto touchesat = [&](const Box& s, double px, double py, const Box& o) { return near(s, px, py) && !(ends && shared(px, py, o)); };
    return touchesat(b, a.x0, a.y0, b) || touchesat(b, a.x1, a.y1, b) || touchesat(a, b.x0, b.y0, a) || touchesat(a, b.x1, b.y1, a);
}

// Nearer its own line than any other reference line, and within a text height of it. The ink
// of a text may stop short of its box (a letter's or a digit's side bearing at either end, the
// capitals under the ascent): it is nearer its own line however its ink lies in the box.
bool Planner::nearest(size_t i, const Box& box) const {
    const double a = across(L[i].line), eps = 1e-9 * (1 + std::fabs(a)), b = kBearing * h;
    auto ownline = [&](const Box& ink) {
        double own = gap(ink, L[i].line);
        auto mine = [&](size_t k) {
            if (ownref(i, k)) own = std::min(own, gap(ink, g.refs[k]));
            return false;
        };
        upright(L[i].line) ? lines.upright(a - eps, a + eps, mine) : lines.level(a - eps, a + eps, mine);
        return own;
    };
    if (ownline(box) > 0.9 * h) return false;
    // No other line as near as its own, or nearer by less than a twentieth of a text height (a
    // line of its direction a hair from its own, where no eye tells them apart, is as its own).
    const bool up = upright(L[i].line);
    auto nearer = [&](const Box& ink) {
        const double r = ownline(ink) + 0.05 * h;
        auto closer = [&](size_t k) {
            const Box& l = g.refs[k];
            return !ownref(i, k) && !(upright(l) == up && std::fabs(across(l) - a) < kSame * h) && gap(ink, l) <= r;
        };
        return lines.level(ink.y0 - r, ink.y1 + r, closer) || lines.upright(ink.x0 - r, ink.x1 + r, closer);
    };
    // The ink's sides as the road measured them, or each as far in as they may be, or not: every
    // way it may lie; its top and foot likewise.
    const Label& t = L[i];
    // (the top of a text with an accent may be that of an accent on a small letter, at the
    // ascent's height)
    const double top = (t.rises ? kRise - kAscent : 0) + 0.04;
    for (int m = 0; m < 16; ++m) {
        if (t.inked && (m & 3)) continue;
        const double x0 = t.inked ? box.x0 + t.inkleft : box.x0 + (m & 1 ? b : 0);
        const double x1 = std::max(x0, t.inked ? box.x1 - t.inkright : box.x1 - (m & 2 ? b : 0));
        const double y0 = box.y0 + (m & 4 ? 0.05 * h : 0), y1 = std::max(y0, box.y1 - (m & 8 ? top * h : 0));
        if (nearer({x0, y0, x1, y1})) return false;
    }
    return true;
}

// A text joined to its line by a leader stands within kReach text heights of it. A row of a
// column beside upright lines may stand further across, beside the run of lines it labels, at
// the end of a level leader that crosses no marker and no fitted line or limit.
bool Planner::reach(size_t i, const Box& glyph, const std::vector<double>& lead, bool row) const {
    const Box& l = L[i].line;
    // Measured from the letters' body (the baseline to the capitals' height, short of the box
    // the rules keep clear, and a side bearing in from its ends), so that no glyph's ink stands
    // further off.
    const double base = glyph.y0 + kDescent * h, b = std::min(kBearing * h, 0.5 * (glyph.x1 - glyph.x0));
    if (gap({glyph.x0 + b, base, glyph.x1 - b, base + kCapital * h}, l) <= kReach * h) return true;
    const size_t n = lead.size();
    if (!row || !upright(l) || n != 4 || lead[1] != lead[3]) return false;
    // Beside the run: another line within kReach text heights and the gap of the text, on its
    // leader's way to its own line, or under its text (on the column's box). Measured from the
    // ink where the road told it (a digit one's side bearing is wide), as the eye measures it.
    const Label& t = L[i];
    const double x0 = t.inked ? glyph.x0 + std::max(0.0, t.inkleft) : glyph.x0;
    const double x1 = std::max(x0, t.inked ? glyph.x1 - std::max(0.0, t.inkright) : glyph.x1);
    const double far = kReach * h + d, lo = l.x0 < glyph.x0 ? x0 - far : x0, hi = l.x0 < glyph.x0 ? x1 : x1 + far;
    if (!lines.upright(lo, hi, [&](size_t k) { return !ownref(i, k); })) return false;
    const Box seg{lead[0], lead[1], lead[2], lead[3]};
    const Box e{std::min(seg.x0, seg.x1) - 0.1 * h, seg.y0 - 0.1 * h, std::max(seg.x0, seg.x1) + 0.1 * h, seg.y0 + 0.1 * h};
    if (marks.any(e, [&](const Box& k) { return e.overlaps(k); })) return false;
    // (A side of the frame that runs along its own line, where the leader ends, is no data.)
    return !ink.any(e, [&](const Box& s) { return e.meets(s) && !(s.x0 == s.x1 && std::fabs(s.x0 - l.x0) < 0.15 * h); });
}

// A leader leaves its text before it crosses another line: a text within kBeside text heights of
// a line its leader runs straight across, or crosses at the text's own height (a level leader
// that rises a little to its line's end), stands where that line's labels stand, and its leader
// seems to start from that line. So for a line across its own too (a leader along its own
// line's direction, from under a text over a level line), unless the leader only meets it where
// it ends on its own line (a value read off there starts from that point). Measured from the
// ink where it reaches past the text's box (the eye reads the ink).
bool Planner::leaves(size_t i, const Box& glyph, const std::vector<double>& lead) const {
    const bool up = upright(L[i].line);
    Box t = glyph;
    if (L[i].inked) t.x0 += std::min(0.0, L[i].inkleft), t.x1 -= std::min(0.0, L[i].inkright);
    const double near = kBeside * h, ex = lead.size() >= 2 ? lead[lead.size() - 2] : 0, ey = lead.empty() ? 0 : lead.back();
    // a box's extent across x (xs) or y, ends in order
    auto span = [](const Box& b, bool xs) {
        return xs ? std::pair{std::min(b.x0, b.x1), std::max(b.x0, b.x1)} : std::pair{std::min(b.y0, b.y1), std::max(b.y0, b.y1)};
    };
    for (size_t j = 2; j + 1 < lead.size(); j += 2) {
        const Box s{lead[j - 2], lead[j - 1], lead[j], lead[j + 1]};
        // (a leader's ends are computed apart from its line's: a rise of a hair is none)
        const double dx = std::fabs(s.x1 - s.x0), dy = std::fabs(s.y1 - s.y0), hair = 0.002 * h;
        const bool along = (up ? dx : dy) <= hair;   // along its own line's direction
        // where the segment runs within kBeside heights of the text (only lines there stand beside
        // it): across x for a level run beside an upright line's text, or an upright one along it
        const bool xs = up != along;
        const auto [slo, shi] = span(s, xs);
        const auto [tlo, thi] = span(t, xs);
        const double lo = std::max(slo, tlo - near), hi = std::min(shi, thi + near);
        if (lo > hi) continue;
        if (along) {
            // the lines across it
            auto across = [&](size_t k) {
                if (ownref(i, k)) return false;
                const Box& r = g.refs[k];
                const double at = up ? s.x0 : s.y0;   // where the leader meets the line
                const auto [a0, a1] = span(r, up);
                if (at < a0 || at > a1 || gap(t, r) >= near) return false;
                return std::fabs((up ? r.y0 - ey : r.x0 - ex)) > 0.05 * h || std::fabs(at - (up ? ex : ey)) > 0.05 * h;
            };
            if (up ? lines.level(lo, hi, across) : lines.upright(lo, hi, across)) return false;
            continue;
        }
        const bool straight = (up ? dy : dx) <= hair;
        const double run = up ? s.x1 - s.x0 : s.y1 - s.y0, rise = up ? s.y1 - s.y0 : s.x1 - s.x0;
        auto beside = [&](size_t k) {
            if (ownref(i, k)) return false;
            const Box& r = g.refs[k];
            // a line a hair from the one the leader ends on is that line to the eye: the leader ends on both
            if (std::fabs(up ? r.x0 - ex : r.y0 - ey) <= 0.05 * h) return false;
            // where the leader meets the line
            const double at = (up ? s.y0 : s.x0) + rise * ((up ? r.x0 - s.x0 : r.y0 - s.y0) / run);
            const auto [a0, a1] = span(r, !up);
            if (!straight && (up ? at < t.y0 || at > t.y1 : at < t.x0 || at > t.x1)) return false;
            return at >= a0 && at <= a1 && gap(t, r) < near;
        };
        if (up ? lines.upright(lo, hi, beside) : lines.level(lo, hi, beside)) return false;
    }
    return true;
}

// No level line but its own holds the middle half of the glyphs' height where it reaches the
// row (across [x0, x1] and a text height beyond): the label would read as that line's.
bool Planner::rowfree(size_t i, const Box& ink, double x0, double x1) const {
    const double q = 0.25 * (ink.y1 - ink.y0) - 0.05 * h, lo = ink.y0 + q, hi = ink.y1 - q;
    return !lines.level(lo, hi, [&](size_t k) {
        const Box& r = g.refs[k];
        return std::max(r.x0, r.x1) >= x0 - h && std::min(r.x0, r.x1) <= x1 + h && !ownref(i, k);
    });
}

// Whether another upright line that runs the room's whole height lies across [x0, x1] (a text
// there is crossed at any height).
bool Planner::blockedacross(size_t i, double x0, double x1) const {
    const size_t n = wholex.size();
    for (size_t p = static_cast<size_t>(std::lower_bound(wholex.begin(), wholex.end(), x0 - 0.15 * h) - wholex.begin()); p < n && wholex[p] <= x1 + 0.15 * h; ++p)
        if (whole[p].second != labat[i]) return true;
    return false;
}

// What may meet the text's box b: nothing; on a box of the background (under), the ends of
// reference lines, never a line that runs on beyond the box (hidden under the text it shows on
// both sides and reads as the label's), nor a fitted line or a marker (it would hide data).
// The reference lines' part (the quick one on a page of many lines):
bool Planner::refsfree(size_t i, const Box& b, const Box* under) const {
    const Box m = under ? *under : b.grown(0.15 * h, 0.05 * h);
    auto blocks = [&](size_t k) {
        const Box& r = g.refs[k];
        if (ownref(i, k)) return false;
        if (std::max(r.x0, r.x1) < m.x0 || std::min(r.x0, r.x1) > m.x1 || std::max(r.y0, r.y1) < m.y0 || std::min(r.y0, r.y1) > m.y1) return false;
        return !under || (!under->holds(r.x0, r.y0) && !under->holds(r.x1, r.y1));
    };
    return !lines.level(m.y0, m.y1, blocks) && !lines.upright(m.x0, m.x1, blocks);
}

// Its part of fitted lines, limits, curves, the frame and markers. (A box of the background is
// asked once: every label of a column's run asks the same boxes of its rows.)
bool Planner::drawnfree(const Box& b, const Box* under) const {
    const Box m = under ? *under : b.grown(0.15 * h, 0.05 * h);
    auto clear = [&] {
        if (!nearframe ? ink.any(m, [&](const Box& s) { return m.meets(s); }) : ink.any(m, [&](const Box& s) { return m.meets(s) && !framed(s); }))
            return false;
        return !marks.any(m, [&](const Box& k) { return m.overlaps(k); });
    };
    if (!under || !std::isfinite(m.x0 + m.y0 + m.x1 + m.y1)) return clear();
    return known(boxesclear[nearframe], m, [&](char& v) { v = clear() ? 1 : 0; });
}

// No level line but its own runs just above the top of a text's ground, nor just under its foot,
// within kSame of its letters (one with them to the eye): its stroke would lie on them, as though
// it struck the text.
// The letters stand inside the ground's edges by as much as their ink falls short of the ascent
// and descent the ground is drawn to (where the road tells how far they reach; else they reach
// the ascent, and the foot is asked where a letter descends). (A line on the ground's edge meets
// it: refsfree asks it.)
bool Planner::edgefree(size_t i, const Box& cover) const {
    const Label& a = L[i];
    const double up = kSame * h - (a.above > 0 ? (a.rises ? kRise : kAscent) * h - a.above : 0);
    const double down = kSame * h - (a.below > 0 ? kDescent * h - a.below : 0);
    auto grazes = [&](size_t k) {
        const Box& r = g.refs[k];
        return !ownref(i, k) && std::max(r.x0, r.x1) > cover.x0 && std::min(r.x0, r.x1) < cover.x1 && (r.y0 < cover.y0 || r.y0 > cover.y1);
    };
    return !(up > 0 && lines.level(cover.y1, cover.y1 + up, grazes)) &&
           !((a.below > 0 || a.descends) && down > 0 && lines.level(cover.y0 - down, cover.y0, grazes));
}

// Clear of the panel's own texts by two text heights across and half a height up and down, so
// that a label does not read as a word or a row of theirs; of the inset by a text height, so
// that it does not read as a row of the inset (b: the text's ink).
bool Planner::textclear(const Box& b) const {
    const Box wide = b.grown(2 * h, 0.5 * h);
    if (texts.any(wide, [&](const Box& o) { return wide.overlaps(o); })) return false;
    return !insetby(b);
}

// Whether no item of the grid that meets(item) holds stands at the probe's extent; with `who`,
// their labels are gathered instead (and true is given).
template <class F>
bool Planner::nonein(const Grid& grid, const Box& probe, F&& meets, std::vector<int>* who) {
    bool clear = true;
    grid.any(probe, [&](const Grid::Item& o) {
        if (!meets(o.b)) return false;
        clear = false;
        if (!who) return true;
        who->push_back(o.owner);
        return false;
    });
    return clear || who;
}

// Clear of the texts placed, a text height apart on a row.
bool Planner::textfree(const Box& b, std::vector<int>* who) const {
    const Box p = b.grown(0.5 * h, 0);
    return nonein(taken, p, [&](const Box& o) { return p.overlaps(o); }, who);
}

bool Planner::leaderfree(const Box& b, std::vector<int>* who) const {
    return nonein(leads, b, [&](const Box& o) { return b.meets(o); }, who);
}

// A leader of label i inside the frame (where the labels may stand in the gap beside it, a
// leader enters the gap only to reach its own line drawn there: a value past the axis' end), a
// text height clear of the inset, meeting none of the panel's texts.
bool Planner::leadclear(size_t i, const Box& s) const {
    const Box e{std::min(s.x0, s.x1), std::min(s.y0, s.y1), std::max(s.x0, s.x1), std::max(s.y0, s.y1)};
    Box in = g.room;
    if (g.inner.x1 > g.inner.x0) {
        const double a = across(L[i].line);
        in = g.inner;
        if (upright(L[i].line)) in.x0 = std::max(g.room.x0, std::min(in.x0, a)), in.x1 = std::min(g.room.x1, std::max(in.x1, a));
        else in.y0 = std::max(g.room.y0, std::min(in.y0, a)), in.y1 = std::min(g.room.y1, std::max(in.y1, a));
    }
    if (!e.inside(in) || insetacross(s)) return false;
    return !texts.any(e, [&](const Box& o) { return o.meets(s); });
}

// A leader of label i meeting no label placed and crossing no leader placed; two leaders come
// near each other only where both end on lines closer than kEnds text heights (they run into
// one place).
bool Planner::leadfree(size_t i, const Box& s, std::vector<int>* who) const {
    const Box e{std::min(s.x0, s.x1), std::min(s.y0, s.y1), std::max(s.x0, s.x1), std::max(s.y0, s.y1)};
    bool clear = true;
    auto in_way = [&](int owner) {
        clear = false;
        if (who) who->push_back(owner);
        return !who;
    };
    taken.any(e, [&](const Grid::Item& o) { return o.owner != static_cast<int>(i) && o.b.meets(s) && in_way(o.owner); });
    leads.any(e.grown(kTouch * h, kTouch * h), [&](const Grid::Item& o) {
        if (o.owner == static_cast<int>(i)) return false;
        const Box& ol = L[static_cast<size_t>(o.owner)].line;
        const bool close = upright(L[i].line) == upright(ol) && gap(L[i].line, ol) < kEnds * h;
        return touches(s, o.b, kTouch * h, close) && in_way(o.owner);
    });
    return clear || who;
}

// Where label i's leader ends on its line, (x, y): kEnds text heights from where any other
// label's leader ends, unless their lines run side by side closer than that (lines across each
// other meet: leaders that end together at the crossing would leave it a guess which is whose).
bool Planner::endsfree(size_t i, double x, double y, std::vector<int>* who) const {
    bool clear = true;
    const double r = kEnds * h;
    for (size_t o : shown) {
        if (!on[o] || o == i || out[o].leader.size() < 4) continue;
        const std::vector<double>& p = out[o].leader;
        if (hypotcmp(p[p.size() - 2] - x, p[p.size() - 1] - y, r, std::greater_equal<double>())) continue;
        if (upright(L[i].line) == upright(L[o].line) && gap(L[i].line, L[o].line) < r) continue;
        clear = false;
        if (!who) return false;
        who->push_back(static_cast<int>(o));
    }
    return clear || who;
}

// Whether the inked texts of labels i (at ink) and o (at b) of parallel lines share the band
// between their lines, the lines close: without leaders, which line each belongs to would be a
// guess. A text's ink may stop a side bearing short of its box's ends.
bool Planner::shareband(size_t i, const Box& ink, size_t o, const Box& b) const {
    const bool up = upright(L[i].line);
    const double li = across(L[i].line), lj = across(L[o].line);
    const double lo = std::min(li, lj), hi = std::max(li, lj), e = kBearing * h;
    const bool close = up ? hi - lo < std::max(ink.x1 - ink.x0, b.x1 - b.x0) + h : hi - lo < 2.5 * h;
    const bool between = up ? std::min(ink.x0, b.x0) + e >= lo - 0.05 * h && std::max(ink.x1, b.x1) - e <= hi + 0.05 * h
                            : std::min(ink.y0, b.y0) >= lo - 0.05 * h && std::max(ink.y1, b.y1) <= hi + 0.05 * h;
    const bool shared = up ? std::min(ink.x1, b.x1) - std::max(ink.x0, b.x0) > 0 : std::min(ink.y1, b.y1) - std::max(ink.y0, b.y0) > 0;
    return close && between && shared;
}

// Beside the labels of neighbouring parallel lines in the order of the lines; and two labels of
// close lines without leaders do not share the band between them (which line each belongs to
// would be a guess).
bool Planner::inorder(size_t i, const Box& ink, bool led, std::vector<int>* who) const {
    const bool up = upright(L[i].line);
    const double li = across(L[i].line);
    bool clear = true;
    for (size_t o : shownby[up]) {
        if (!on[o] || o == i || labat[o] == labat[i]) continue;
        const double lj = across(L[o].line);
        const Box& b = inkat[o];
        const bool oled = !out[o].leader.empty();
        bool bad = !led && !oled && shareband(i, ink, o, b);
        const bool stacked = up ? ink.y0 < b.y1 && b.y0 < ink.y1 : ink.x0 < b.x1 && b.x0 < ink.x1;
        const double mine = up ? ink.x0 + ink.x1 : ink.y0 + ink.y1, theirs = up ? b.x0 + b.x1 : b.y0 + b.y1;
        bad = bad || (stacked && std::fabs(mine - theirs) > 0.1 * h && (mine - theirs) * (li - lj) < 0);
        if (!bad) continue;
        clear = false;
        if (!who) return false;
        who->push_back(static_cast<int>(o));
    }
    return clear || who;
}

// Every rule at once: label i at s. With `who`, the labels placed that are in the way are
// gathered (true unless what the panel draws forbids the place).
// The rules of what the panel draws: label i at s (row: a row of a column, which its
// column's leader joins to its line).
bool Planner::staticfree(size_t i, const Site& s, bool row) const {
    ++work;
    const Box b = glyph(i, s.at), k = inked(i, s.at);
    const bool boxed = s.boxed();
    if (!fitsroom(b) || (boxed && !fitsroom(s.cover))) return false;
    if (!rowfree(i, k, b.x0, b.x1)) return false;
    // (every rule is asked; the order only puts first those that fail most often on a crowded
    // page for the least work: beside its line, the other lines; else the leader's way)
    const Box* under = boxed ? &s.cover : nullptr;
    const bool led = !s.lead.empty() || row;
    if (!led && !refsfree(i, b, under)) return false;
    for (size_t j = 2; j + 1 < s.lead.size(); j += 2) {
        const Box seg{s.lead[j - 2], s.lead[j - 1], s.lead[j], s.lead[j + 1]};
        // A leader leaves its text from its edge; one through its own text is no leader.
        if (!leadclear(i, seg) || b.grown(-0.05 * h, -0.05 * h).meets(seg)) return false;
    }
    if (led ? !reach(i, b, s.lead, row) : !nearest(i, k)) return false;
    if ((led && !refsfree(i, b, under)) || !drawnfree(b, under)) return false;
    // a leader does not free a text on its ground from a line along its box (a row of a column
    // has its column's leader)
    if (boxed && led && !edgefree(i, s.cover)) return false;
    if (!textclear(k) || (boxed && !textclear(s.cover))) return false;
    return leaves(i, b, s.lead);
}

// Whether the inset reaches label i at s: within a text height of its ink, its box or its
// leader (where the rules above ask of the inset).
bool Planner::insetreaches(size_t i, const Site& s) const {
    if (!g.inset) return false;
    if (insetby(inked(i, s.at)) || (s.boxed() && insetby(s.cover))) return true;
    for (size_t j = 2; j + 1 < s.lead.size(); j += 2)
        if (insetacross({s.lead[j - 2], s.lead[j - 1], s.lead[j], s.lead[j + 1]})) return true;
    return false;
}

// The rules of the labels placed. With `who`, the labels in the way are gathered instead.
bool Planner::placedfree(size_t i, const Site& s, std::vector<int>* who, bool) const {
    ++work;
    const Box b = glyph(i, s.at), k = inked(i, s.at);
    const bool boxed = s.boxed();
    // (where the box holds the text and no one in the way is gathered, the box alone is asked:
    // whatever meets the text meets it)
    const bool text = !boxed || who != nullptr || !b.inside(s.cover);
    if ((text && !textfree(b, who)) || (boxed && !textfree(s.cover, who))) return false;
    if ((text && !leaderfree(b, who)) || (boxed && !leaderfree(s.cover, who))) return false;
    for (size_t j = 2; j + 1 < s.lead.size(); j += 2)
        if (!leadfree(i, {s.lead[j - 2], s.lead[j - 1], s.lead[j], s.lead[j + 1]}, who)) return false;
    if (s.lead.size() >= 4 && !endsfree(i, s.lead[s.lead.size() - 2], s.lead.back(), who)) return false;
    return inorder(i, k, !s.lead.empty(), who);
}

bool Planner::fits(size_t i, const Site& s, std::vector<int>* who, bool row) const {
    return staticfree(i, s, row) && placedfree(i, s, who, row);
}

}  // namespace labelplace
