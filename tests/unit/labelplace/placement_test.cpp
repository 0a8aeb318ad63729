// The placement of reference labels, on crowded panels made here: random ones of the kinds that
// crowd (upright lines that stop at a curve, level lines a fraction of a text height apart,
// several labels on one line, wide texts, an inset), each read back with rules written here
// apart from the placement's own code.
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

lp::Box inkbox(const lp::Label& a, const lp::Placed& p) {
    lp::Box b = lp::glyphbox(a, p.at, kH);
    if (!a.descends) b.y0 = p.at.y;
    return b;
}
double gap(const lp::Box& b, const lp::Box& l) {
    return std::hypot(std::max({0.0, std::min(l.x0, l.x1) - b.x1, b.x0 - std::max(l.x0, l.x1)}),
                      std::max({0.0, std::min(l.y0, l.y1) - b.y1, b.y0 - std::max(l.y0, l.y1)}));
}
bool level(const lp::Box& l) { return l.y0 == l.y1; }
bool sameplace(const lp::Box& a, const lp::Box& b) { return level(a) == level(b) && (level(a) ? a.y0 == b.y0 : a.x0 == b.x0); }
bool crossing(const lp::Box& a, const lp::Box& b) {
    auto side = [](const lp::Box& s, double x, double y) { return (s.x1 - s.x0) * (y - s.y0) - (s.y1 - s.y0) * (x - s.x0); };
    return side(a, b.x0, b.y0) * side(a, b.x1, b.y1) < 0 && side(b, a.x0, a.y0) * side(b, a.x1, a.y1) < 0;
}
std::vector<lp::Box> pieces(const std::vector<double>& xy) {
    std::vector<lp::Box> v;
    for (size_t k = 2; k + 1 < xy.size(); k += 2) v.push_back({xy[k - 2], xy[k - 1], xy[k], xy[k + 1]});
    return v;
}

// What reads wrong on a panel: each failure named.
std::vector<std::string> misread(const std::vector<lp::Label>& L, const lp::Ground& g, const std::vector<lp::Placed>& P) {
    std::vector<std::string> bad;
    auto name = [&](size_t i) { return "'" + L[i].text + "'"; };
    std::vector<size_t> shown;
    for (size_t i = 0; i < P.size(); ++i)
        if (!P[i].omitted && P[i].same < 0) shown.push_back(i);
    for (size_t i : shown) {
        const lp::Box b = lp::glyphbox(L[i], P[i].at, kH), ink = inkbox(L[i], P[i]);
        if (!b.inside(g.room)) bad.push_back(name(i) + " leaves the room");
        if (g.inset && b.grown(kH, kH).overlaps(g.insetbox)) bad.push_back(name(i) + " within a text height of the inset");
        for (const lp::Box& t : g.texts)
            if (b.overlaps(t)) bad.push_back(name(i) + " over a text of the panel");
        for (size_t j : shown)
            if (j > i && b.overlaps(lp::glyphbox(L[j], P[j].at, kH))) bad.push_back(name(i) + " over " + name(j));
        // a box of the background over another label
        if (P[i].cover.x1 > P[i].cover.x0)
            for (size_t j : shown)
                if (j != i && (P[j].column != P[i].column || P[i].column < 0) && P[i].cover.overlaps(lp::glyphbox(L[j], P[j].at, kH)))
                    bad.push_back(name(i) + "'s box over " + name(j));
        // no other line through its text (one that ends under its box of the background may), no
        // fitted line, no marker under it or its box
        const lp::Box& under = P[i].cover.x1 > P[i].cover.x0 ? P[i].cover : b;
        for (const lp::Box& r : g.refs)
            if (!sameplace(r, L[i].line) && b.meets(r) && !(P[i].boxed && (under.holds(r.x0, r.y0) || under.holds(r.x1, r.y1))))
                bad.push_back(name(i) + " crossed by the line at " + std::to_string(level(r) ? r.y0 : r.x0));
        for (const lp::Box& r : g.ink)
            if (b.meets(r)) bad.push_back(name(i) + " crossed by a fitted line");
        for (const lp::Box& m : g.marks)
            if (under.overlaps(m) || b.overlaps(m)) bad.push_back(name(i) + " over a marker");
        // no level line but its own in the middle half of its glyphs where it reaches the label
        const double q = 0.25 * (ink.y1 - ink.y0);
        for (const lp::Box& r : g.refs)
            if (level(r) && !sameplace(r, L[i].line) && r.y0 > ink.y0 + q && r.y0 < ink.y1 - q && std::max(r.x0, r.x1) >= b.x0 - kH &&
                std::min(r.x0, r.x1) <= b.x1 + kH)
                bad.push_back(name(i) + " at the height of the line at " + std::to_string(r.y0));
        if (P[i].leader.empty()) {
            // beside its own line, nearer it than any other
            double own = gap(ink, L[i].line);
            for (const lp::Box& r : g.refs)
                if (sameplace(r, L[i].line)) own = std::min(own, gap(ink, r));
            if (own > 1.25 * kH) bad.push_back(name(i) + " far from its line");
            for (const lp::Box& r : g.refs)
                if (!sameplace(r, L[i].line) && gap(ink, r) < own + 0.02 * kH) bad.push_back(name(i) + " as near another line");
        } else {
            const std::vector<lp::Box> s = pieces(P[i].leader);
            const lp::Box &a = s.front(), &z = s.back();
            if (std::min(gap({a.x0, a.y0, a.x0, a.y0}, L[i].line), gap({z.x1, z.y1, z.x1, z.y1}, L[i].line)) > 1e-6)
                bad.push_back(name(i) + "'s leader ends off its line");
            for (const lp::Box& piece : s) {
                const lp::Box e{std::min(piece.x0, piece.x1), std::min(piece.y0, piece.y1), std::max(piece.x0, piece.x1), std::max(piece.y0, piece.y1)};
                if (!e.inside(g.room)) bad.push_back(name(i) + "'s leader leaves the room");
                if (g.inset && g.insetbox.grown(kH, kH).meets(piece)) bad.push_back(name(i) + "'s leader by the inset");
                for (size_t j : shown)
                    if (j != i && lp::glyphbox(L[j], P[j].at, kH).meets(piece)) bad.push_back(name(i) + "'s leader through " + name(j));
                for (size_t j : shown)
                    if (j > i)
                        for (const lp::Box& o : pieces(P[j].leader))
                            if (crossing(piece, o)) bad.push_back(name(i) + "'s leader crosses " + name(j) + "'s");
            }
        }
    }
    return bad;
}

// A crowded panel: a fitted line with its points, upright lines (some stopping at the line),
// level lines in a tight bunch and a few apart, several labels on some lines.
struct Panel {
    std::vector<lp::Label> labels;
    lp::Ground g;
};
Panel crowded(std::mt19937& rng, int nup, int nlevel, bool inset) {
    Panel p;
    lp::Ground& g = p.g;
    g.room = {0, 0, 100, 60};
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
            a.descends = a.text.find_first_of("gjpqy") != std::string::npos;
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

// Crowded panels of every mix: nothing written over anything, no label at another line's
// height, every label beside its own line or joined to it by a leader that stays in the room,
// clear of the inset, through no other label, crossing no other leader. The labels left out
// are few: the room has rows for most.
TEST(LabelPlacement, CrowdedPanelsReadRight) {
    std::mt19937 rng(20261209);
    size_t labels = 0, left = 0;
    for (int k = 0; k < 120; ++k) {
        const int nup = k % 4 == 0 ? 0 : 2 + (k * 5) % 19, nlevel = k % 4 == 1 ? 0 : 2 + (k * 7) % 19;
        const Panel p = crowded(rng, nup, nlevel, k % 3 == 0);
        const std::vector<lp::Placed> at = lp::place(p.labels, p.g);
        ASSERT_EQ(at.size(), p.labels.size());
        EXPECT_EQ(misread(p.labels, p.g, at), std::vector<std::string>{}) << "panel " << k << told(misread(p.labels, p.g, at));
        labels += at.size();
        left += static_cast<size_t>(std::count_if(at.begin(), at.end(), [](const lp::Placed& a) { return a.omitted; }));
    }
    EXPECT_LT(static_cast<double>(left), 0.15 * static_cast<double>(labels)) << left << " of " << labels << " left out";
}

}  // namespace
