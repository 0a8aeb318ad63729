// The placement of reference labels, on crowded panels made here: random ones of the kinds that
// crowd (upright lines that stop at a curve, level lines a fraction of a text height apart,
// several labels on one line, wide texts, an inset). Each is read back with rules written here,
// apart from the placement's code, with glyph boxes of its own (the capitals' height above the
// baseline, a descender's depth below it where the text has one); and each label left out is
// looked for a place of its own beside its line, which the panel must not have.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "common/labelplace.h"

namespace {

namespace lp = labelplace;

constexpr double kH = 2.2;   // text height

// A text's glyphs: DejaVu's capitals and digits reach 0.73 of the size above the baseline, its
// descenders 0.24 below it.
bool hangs(const std::string& t) { return t.find_first_of("gjpqy,;()[]{}|_@$Q") != std::string::npos; }
lp::Box glyphs(const lp::Label& a, const lp::Spot& at) {
    const double x0 = at.end ? at.x - a.w : at.x;
    return {x0, at.y - (hangs(a.text) ? 0.21 : 0.0) * kH, x0 + a.w, at.y + 0.72 * kH};
}
double gap(const lp::Box& b, const lp::Box& l) {
    return std::hypot(std::max({0.0, std::min(l.x0, l.x1) - b.x1, b.x0 - std::max(l.x0, l.x1)}),
                      std::max({0.0, std::min(l.y0, l.y1) - b.y1, b.y0 - std::max(l.y0, l.y1)}));
}
bool level(const lp::Box& l) { return l.y0 == l.y1; }
bool sameplace(const lp::Box& a, const lp::Box& b) { return level(a) == level(b) && (level(a) ? a.y0 == b.y0 : a.x0 == b.x0); }
// Lines of one direction so near each other that no eye tells them apart: a label as near either is its own's.
bool alike(const lp::Box& a, const lp::Box& b) { return level(a) == level(b) && std::fabs(level(a) ? a.y0 - b.y0 : a.x0 - b.x0) < 0.03 * kH; }
double across(const lp::Box& l) { return level(l) ? l.y0 : l.x0; }
bool crossing(const lp::Box& a, const lp::Box& b) {
    auto side = [](const lp::Box& s, double x, double y) { return (s.x1 - s.x0) * (y - s.y0) - (s.y1 - s.y0) * (x - s.x0); };
    return side(a, b.x0, b.y0) * side(a, b.x1, b.y1) < 0 && side(b, a.x0, a.y0) * side(b, a.x1, a.y1) < 0;
}
double segdist(const lp::Box& s, double x, double y) {
    const double dx = s.x1 - s.x0, dy = s.y1 - s.y0, n = dx * dx + dy * dy;
    const double t = n > 0 ? std::clamp(((x - s.x0) * dx + (y - s.y0) * dy) / n, 0.0, 1.0) : 0;
    return std::hypot(x - s.x0 - t * dx, y - s.y0 - t * dy);
}
std::vector<lp::Box> pieces(const std::vector<double>& xy) {
    std::vector<lp::Box> v;
    for (size_t k = 2; k + 1 < xy.size(); k += 2) v.push_back({xy[k - 2], xy[k - 1], xy[k], xy[k + 1]});
    return v;
}

struct Panel {
    std::vector<lp::Label> labels;
    lp::Ground g;
};

// What a text at box b would break, among the labels shown (none: nothing): the room, the
// inset, the panel's texts, the other labels and their boxes and leaders, the lines, fitted
// lines and markers, the row of another level line, and being nearer another line than its
// own. `ground`: the box of the background it stands on (null: none). `slack` (a place looked
// for): how far the box may move; such a place keeps the drawing's margins too (other labels a
// text height away across, the panel's texts two heights across and half a height up and down).
std::string breaks(const Panel& p, const std::vector<lp::Placed>& P, const std::vector<size_t>& shown, size_t i, const lp::Box& b,
                   const lp::Box* ground, bool led, double slack) {
    const lp::Label& a = p.labels[i];
    const lp::Ground& g = p.g;
    if (!b.inside(g.room) || (ground && !ground->inside(g.room))) return "leaves the room";
    if (g.inset && b.grown(kH, kH).overlaps(g.insetbox)) return "within a text height of the inset";
    const bool trial = slack > 0;
    for (const lp::Box& t : g.texts)
        if (b.grown(trial ? 2 * kH : 0, trial ? 0.5 * kH : 0).overlaps(t)) return "over a text of the panel";
    for (size_t j : shown) {
        if (j == i) continue;
        const lp::Box o = glyphs(p.labels[j], P[j].at);
        if (b.grown(trial ? kH : 0, 0).overlaps(o)) return "over '" + p.labels[j].text + "'";
        if (P[j].cover.x1 > P[j].cover.x0 && (P[j].column < 0 || P[j].column != P[i].column) && b.grown(trial ? 0.5 * kH : 0, 0).overlaps(P[j].cover))
            return "over the box of '" + p.labels[j].text + "'";
        for (const lp::Box& s : pieces(P[j].leader))
            if (b.meets(s)) return "crossed by the leader of '" + p.labels[j].text + "'";
    }
    // No other line through its text (one that ends under its box of the background may), no
    // fitted line, no marker under it or its box.
    const lp::Box& under = ground ? *ground : b;
    for (const lp::Box& r : g.refs)
        if (!sameplace(r, a.line) && b.meets(r) && !(ground && (ground->holds(r.x0, r.y0) || ground->holds(r.x1, r.y1))))
            return "crossed by the line at " + std::to_string(across(r));
    for (const lp::Box& r : g.ink)
        if (under.meets(r)) return "crossed by a fitted line";
    for (const lp::Box& m : g.marks)
        if (under.overlaps(m)) return "over a marker";
    // No level line but its own in the middle half of its glyphs where it reaches the label.
    const double q = 0.25 * (b.y1 - b.y0);
    for (const lp::Box& r : g.refs)
        if (level(r) && !sameplace(r, a.line) && r.y0 > b.y0 + q - slack && r.y0 < b.y1 - q + slack && std::max(r.x0, r.x1) >= b.x0 - kH &&
            std::min(r.x0, r.x1) <= b.x1 + kH)
            return "at the height of the line at " + std::to_string(r.y0);
    if (!led) {
        // Beside its own line, nearer it than any other, within a text height and a quarter.
        double own = gap(b.grown(-slack, -slack), a.line);
        for (const lp::Box& r : g.refs)
            if (sameplace(r, a.line)) own = std::min(own, gap(b.grown(-slack, -slack), r));
        if (own > (trial ? 0.9 : 1.25) * kH) return "far from its line";
        for (const lp::Box& r : g.refs)
            if (!alike(r, a.line) && gap(b, r) < own + (trial ? 0.1 : 0.02) * kH) return "as near the line at " + std::to_string(across(r));
    }
    // The order of neighbouring labels across their parallel lines; two labels of close lines
    // without leaders do not share the band between them.
    for (size_t j : shown) {
        const lp::Box& l2 = p.labels[j].line;
        if (j == i || level(l2) != level(a.line) || sameplace(l2, a.line)) continue;
        const lp::Box o = glyphs(p.labels[j], P[j].at);
        const bool up = !level(a.line);
        const double li = across(a.line), lj = across(l2);
        const bool stacked = up ? b.y0 < o.y1 && o.y0 < b.y1 : b.x0 < o.x1 && o.x0 < b.x1;
        const double mine = up ? b.x0 + b.x1 : b.y0 + b.y1, theirs = up ? o.x0 + o.x1 : o.y0 + o.y1;
        if (stacked && std::fabs(mine - theirs) > (trial ? 0 : 0.2) * kH && (mine - theirs) * (li - lj) < 0)
            return "in the other order than its line beside '" + p.labels[j].text + "'";
        const double lo = std::min(li, lj), hi = std::max(li, lj);
        const bool close = up ? hi - lo < std::max(b.x1 - b.x0, o.x1 - o.x0) + kH : hi - lo < 2.5 * kH;
        const double t = trial ? slack + 0.1 * kH : 0;
        const bool between = up ? std::min(b.x0, o.x0) >= lo - t && std::max(b.x1, o.x1) <= hi + t : std::min(b.y0, o.y0) >= lo - t && std::max(b.y1, o.y1) <= hi + t;
        const bool shared = up ? std::min(b.x1, o.x1) > std::max(b.x0, o.x0) : std::min(b.y1, o.y1) > std::max(b.y0, o.y0);
        if (!led && P[j].leader.empty() && close && between && shared) return "in the band it shares with '" + p.labels[j].text + "'";
    }
    return {};
}

// What reads wrong on a panel: each failure named.
std::vector<std::string> misread(const Panel& p, const std::vector<lp::Placed>& P) {
    const std::vector<lp::Label>& L = p.labels;
    const lp::Ground& g = p.g;
    std::vector<std::string> bad;
    auto name = [&](size_t i) { return "'" + L[i].text + "'"; };
    std::vector<size_t> shown;
    for (size_t i = 0; i < P.size(); ++i)
        if (!P[i].omitted && P[i].same < 0) shown.push_back(i);
    // The box a label stands on: its own, or its column's.
    auto ground = [&](size_t i) -> const lp::Box* {
        if (P[i].cover.x1 > P[i].cover.x0) return &P[i].cover;
        if (!P[i].boxed) return nullptr;
        for (size_t j : shown)
            if (P[j].column == P[i].column && P[j].cover.x1 > P[j].cover.x0) return &P[j].cover;
        return nullptr;
    };
    for (size_t i : shown) {
        const lp::Box b = glyphs(L[i], P[i].at);
        const std::string why = breaks(p, P, shown, i, b, ground(i), !P[i].leader.empty(), 0);
        if (!why.empty()) bad.push_back(name(i) + " " + why);
        if (P[i].leader.empty()) continue;
        // A leader: from its text to its own line, inside the room, clear of the inset, through
        // no other text; the text within three text heights of the line, but for a level leader
        // to an upright line.
        const std::vector<lp::Box> s = pieces(P[i].leader);
        const lp::Box &first = s.front(), &end = s.back();
        if (gap({end.x1, end.y1, end.x1, end.y1}, L[i].line) > 1e-6) bad.push_back(name(i) + "'s leader ends off its line");
        if (gap({first.x0, first.y0, first.x0, first.y0}, b) > 0.5 * kH) bad.push_back(name(i) + "'s leader starts away from its text");
        if (!(!level(L[i].line) && end.y0 == end.y1) && gap(b, L[i].line) > 3 * kH + 1e-9)
            bad.push_back(name(i) + " stands more than three text heights from its line");
        for (const lp::Box& piece : s) {
            const lp::Box e{std::min(piece.x0, piece.x1), std::min(piece.y0, piece.y1), std::max(piece.x0, piece.x1), std::max(piece.y0, piece.y1)};
            if (!e.inside(g.inner.x1 > g.inner.x0 ? g.inner : g.room)) bad.push_back(name(i) + "'s leader leaves the frame");
            if (g.inset && g.insetbox.grown(kH, kH).meets(piece)) bad.push_back(name(i) + "'s leader by the inset");
            for (size_t j : shown)
                if (j != i && glyphs(L[j], P[j].at).meets(piece)) bad.push_back(name(i) + "'s leader through " + name(j));
        }
        // Leaders cross no other, and come near another (or end near its end) only where their
        // lines lie closer than half a text height.
        for (size_t j : shown) {
            if (j <= i || P[j].leader.empty() || gap(L[i].line, L[j].line) < 0.5 * kH) continue;
            const std::vector<lp::Box> o = pieces(P[j].leader);
            for (const lp::Box& u : s)
                for (const lp::Box& v : o)
                    if (crossing(u, v) || segdist(v, u.x0, u.y0) < 0.1 * kH || segdist(v, u.x1, u.y1) < 0.1 * kH || segdist(u, v.x0, v.y0) < 0.1 * kH ||
                        segdist(u, v.x1, v.y1) < 0.1 * kH)
                        bad.push_back(name(i) + "'s leader meets " + name(j) + "'s");
            if (std::hypot(o.back().x1 - end.x1, o.back().y1 - end.y1) < 0.5 * kH) bad.push_back(name(i) + "'s leader ends by " + name(j) + "'s");
        }
    }
    // A label left out must have no place beside its line: along it (every half text height of
    // an upright line, every text height of a level one), on either side, at the gap the
    // drawing keeps.
    for (size_t i = 0; i < P.size(); ++i) {
        if (!P[i].omitted || P[i].same >= 0) continue;
        const lp::Label& a = L[i];
        std::vector<lp::Spot> tries;
        const lp::Box& r = g.room;
        if (!level(a.line)) {
            for (double y = r.y0; y <= r.y1; y += 0.5 * kH) tries.push_back({a.line.x0 + g.gap, y, false}), tries.push_back({a.line.x0 - g.gap, y, true});
        } else {
            for (double x = r.x0; x <= r.x1; x += kH) tries.push_back({x, a.line.y0 - kH, false}), tries.push_back({x, a.line.y0 + 0.5 * kH, false});
        }
        for (const lp::Spot& at : tries) {
            const double slack = 0.05 * kH;
            lp::Box b = glyphs(a, at).grown(slack, slack);
            b = level(a.line) ? b.grown(0.5 * kH, 0) : b.grown(0, 0.25 * kH);
            // As the drawing measures a text: its box a little wider than the glyphs.
            if (breaks(p, P, shown, i, b.grown(0.15 * kH, 0.05 * kH), nullptr, false, level(a.line) ? 0.5 * kH : 0.25 * kH).empty()) {
                bad.push_back(name(i) + " is left out, but the place at (" + std::to_string(at.x) + ", " + std::to_string(at.y) + ") beside its line is free");
                break;
            }
        }
    }
    return bad;
}

// A crowded panel: a fitted line with its points, upright lines (some stopping at the line),
// level lines in a tight bunch and a few apart, several labels on some lines.
Panel crowded(std::mt19937& rng, int nup, int nlevel, bool inset, bool strip) {
    Panel p;
    lp::Ground& g = p.g;
    // strip: the labels may stand in a gap right of the frame, which the lines cross; the
    // leaders keep inside the frame.
    g.room = {0, 0, 100, 60};
    if (strip) g.inner = {0, 0, 92, 60};
    g.h = kH, g.gap = 0.5 * kH, g.pitch = kH, g.toprow = 60 - kH, g.footrow = 0.5 * kH;
    std::uniform_real_distribution<double> u(0, 1);
    auto curve = [](double x) { return 5 + 0.5 * x; };
    for (double x = 0; x < 100; x += 5) {
        g.ink.push_back({x, curve(x), x + 5, curve(x + 5)});
        g.marks.push_back({x + 2, curve(x + 2) - 0.6, x + 3.2, curve(x + 2) + 0.6});
    }
    if (inset) g.inset = true, g.insetbox = {70, 2, 98, 16};
    auto text = [&](int n) {
        std::string t;
        for (int k = 0; k < n; ++k) t += static_cast<char>('a' + static_cast<int>(u(rng) * 26));
        return t;
    };
    const double cx = 20 + 50 * u(rng);
    for (int k = 0; k < nup; ++k) {
        const double x = std::round((cx + 12 * (u(rng) - 0.5)) * 4) / 4;
        const bool stop = u(rng) < 0.5;
        const lp::Box line{x, 0, x, stop ? std::min(60.0, curve(x)) : 60};
        g.refs.push_back(line);
        for (int j = u(rng) < 0.3 ? 1 + static_cast<int>(u(rng) * 4) : 1; j > 0; --j) {
            lp::Label a;
            a.line = line;
            a.text = text(1 + static_cast<int>(u(rng) * 12));
            a.w = 0.6 * kH * static_cast<double>(a.text.size());
            a.descends = lp::descends(a.text);
            a.from = stop ? 1 : 0;
            const bool right = x + g.gap + a.w < 100;
            a.first = {right ? x + g.gap : x - g.gap, stop ? g.footrow : g.toprow, !right};
            a.value = stop;
            p.labels.push_back(a);
        }
    }
    const double cy = 15 + 30 * u(rng);
    for (int k = 0; k < nlevel; ++k) {
        const double y = k < nlevel / 2 + 1 ? cy + 3 * kH * u(rng) : 60 * u(rng);
        const lp::Box line{0, y, u(rng) < 0.4 ? std::max(10.0, 2 * (y - 5)) : 100, y};
        g.refs.push_back(line);
        lp::Label a;
        a.line = line;
        a.text = text(2 + static_cast<int>(u(rng) * 6));
        a.w = 0.6 * kH * static_cast<double>(a.text.size());
        a.descends = lp::descends(a.text);
        a.first = {g.gap, y > 30 ? y - kH : y + 0.5 * kH, false};
        p.labels.push_back(a);
    }
    return p;
}

std::string told(const std::vector<std::string>& v) {
    std::string s;
    for (const std::string& t : v) s += "\n  " + t;
    return s;
}

// Crowded panels of every mix (some with a gap beside the frame where labels may stand):
// nothing written over anything, no label at another line's
// height, every label beside its own line or joined to it by a leader that ends on it, stays in
// the room, clear of the inset, through no other label, meeting no other leader; no label left
// out where a place beside its line is free.
TEST(LabelPlacement, CrowdedPanelsReadRight) {
    std::mt19937 rng(20261209);
    size_t labels = 0, left = 0;
    for (int k = 0; k < 120; ++k) {
        const int nup = k % 4 == 0 ? 0 : 2 + (k * 5) % 19, nlevel = k % 4 == 1 ? 0 : 2 + (k * 7) % 19;
        const Panel p = crowded(rng, nup, nlevel, k % 3 == 0, k % 5 == 2);
        const std::vector<lp::Placed> at = lp::place(p.labels, p.g);
        ASSERT_EQ(at.size(), p.labels.size());
        const std::vector<std::string> bad = misread(p, at);
        EXPECT_TRUE(bad.empty()) << "panel " << k << told(bad);
        labels += at.size();
        left += static_cast<size_t>(std::count_if(at.begin(), at.end(), [](const lp::Placed& a) { return a.omitted; }));
    }
    EXPECT_LT(static_cast<double>(left), 0.02 * static_cast<double>(labels)) << left << " of " << labels << " left out";
}

}  // namespace
