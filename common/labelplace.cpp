// The labels of reference lines beside their own lines, and the rounds that gather the labels
// without such a place into columns (labelcolumns.cpp).
#include "common/labelplace.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "common/labelplanner.h"

namespace labelplace {

namespace {

constexpr int kRounds = 4;   // placings after the first, each with more columns

}  // namespace

Box glyphbox(const Label& a, const Spot& at, double h) {
    const double x0 = at.end ? at.x - a.w : at.x;
    return {x0, at.y - kDescent * h, x0 + a.w, at.y + kAscent * h};
}

bool descends(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        return static_cast<unsigned char>(c) >= 0x80 || std::string_view("gjpqyQ,;()[]{}|_@$").find(c) != std::string_view::npos;
    });
}

// ---- the grid of cells

void Cells::build(const std::vector<Box>& items, const Box& over, double cell) {
    items_ = &items;
    over_ = over;
    cell_ = std::max({cell, (over.x1 - over.x0) / 256, (over.y1 - over.y0) / 256, 1e-9});
    nx_ = std::max(1, static_cast<int>(std::ceil((over.x1 - over.x0) / cell_)));
    ny_ = std::max(1, static_cast<int>(std::ceil((over.y1 - over.y0) / cell_)));
    const size_t n = static_cast<size_t>(nx_) * static_cast<size_t>(ny_);
    start_.assign(n + 1, 0);
    // Counted, then filled: one array of indices, no list per cell.
    auto each = [&](auto&& f) {
        for (size_t k = 0; k < items.size(); ++k) {
            const Box& b = items[k];
            const Box e{std::min(b.x0, b.x1), std::min(b.y0, b.y1), std::max(b.x0, b.x1), std::max(b.y0, b.y1)};
            if (!(e.x1 >= over.x0 && e.x0 <= over.x1 && e.y1 >= over.y0 && e.y0 <= over.y1)) continue;
            int i0, j0, i1, j1;
            span(e, &i0, &j0, &i1, &j1);
            for (int j = j0; j <= j1; ++j)
                for (int i = i0; i <= i1; ++i) f(static_cast<size_t>(j) * static_cast<size_t>(nx_) + static_cast<size_t>(i), k);
        }
    };
    each([&](size_t c, size_t) { ++start_[c + 1]; });
    for (size_t c = 0; c < n; ++c) start_[c + 1] += start_[c];
    index_.assign(start_[n], 0);
    std::vector<uint32_t> fill(start_.begin(), start_.end() - 1);
    each([&](size_t c, size_t k) { index_[fill[c]++] = static_cast<uint32_t>(k); });
}

void Cells::span(const Box& b, int* i0, int* j0, int* i1, int* j1) const {
    auto at = [&](double v, double lo, int n) {
        const double c = std::floor((v - lo) / cell_);
        return c < 0 ? 0 : c >= n - 1 ? n - 1 : static_cast<int>(c);
    };
    *i0 = at(std::min(b.x0, b.x1), over_.x0, nx_), *i1 = at(std::max(b.x0, b.x1), over_.x0, nx_);
    *j0 = at(std::min(b.y0, b.y1), over_.y0, ny_), *j1 = at(std::max(b.y0, b.y1), over_.y0, ny_);
}

// ---- the planner

Planner::Planner(const std::vector<Label>& labels, const Ground& ground)
    : L(labels), g(ground), h(ground.h), d(ground.gap), column(labels.size(), -1), twin(labels.size(), -1) {
    const Box over = g.room.grown(h, h);
    marks.build(g.marks, over, 2 * h);
    ink.build(g.ink, over, 2 * h);
    for (const Box& r : g.refs) refat.push_back(placeof(r));
    for (const Label& a : L) labat.push_back(placeof(a.line));
    for (size_t i = 0; i < L.size(); ++i)
        for (size_t j = 0; j < i && twin[i] < 0; ++j)
            if (twin[j] < 0 && L[j].text == L[i].text && labat[j] == labat[i]) twin[i] = static_cast<int>(j);
    for (const bool values : {false, true})
        for (size_t i = 0; i < L.size(); ++i)
            if (L[i].value == values && twin[i] < 0) order.push_back(i);
}

// The place of a line: lines of one direction at one place across (a value's lines drawn for
// several groups) share one.
int Planner::placeof(const Box& l) {
    const bool up = upright(l);
    const double a = across(l);
    for (size_t k = 0; k < places.size(); ++k)
        if (placeup[k] == up && std::fabs(places[k] - a) <= 1e-9 * (1 + std::fabs(a))) return static_cast<int>(k);
    places.push_back(a);
    placeup.push_back(up);
    return static_cast<int>(places.size() - 1);
}

Box Planner::inked(size_t i, const Spot& s) const {
    Box b = glyph(i, s);
    if (!L[i].descends) b.y0 = s.y;
    return b;
}

double Planner::gap(const Box& b, const Box& l) {
    const double lx0 = std::min(l.x0, l.x1), lx1 = std::max(l.x0, l.x1), ly0 = std::min(l.y0, l.y1), ly1 = std::max(l.y0, l.y1);
    return std::hypot(std::max({0.0, lx0 - b.x1, b.x0 - lx1}), std::max({0.0, ly0 - b.y1, b.y0 - ly1}));
}

std::vector<size_t> Planner::sorted(bool up) const {
    std::vector<size_t> v;
    for (size_t i : order)
        if (upright(L[i].line) == up) v.push_back(i);
    std::stable_sort(v.begin(), v.end(), [&](size_t a, size_t b) { return across(L[a].line) < across(L[b].line); });
    return v;
}

// Clear of the texts placed (a text height apart on a row); of the panel's own texts by two
// text heights across and half a height up and down, so that a label does not read as a word
// or a row of theirs; of the inset by a text height, so that it does not read as a row of the
// inset.
bool Planner::textfree(const Box& b) const {
    const Box p = b.grown(0.5 * h, 0), wide = b.grown(2 * h, 0.5 * h), clear = b.grown(h, h);
    return std::none_of(taken.begin(), taken.end(), [&](const Box& o) { return p.overlaps(o); }) &&
           std::none_of(g.texts.begin(), g.texts.end(), [&](const Box& o) { return wide.overlaps(o); }) && !(g.inset && clear.overlaps(g.insetbox));
}

bool Planner::leaderfree(const Box& b) const {
    return std::none_of(leaders.begin(), leaders.end(), [&](const Box& l) { return b.meets(l); });
}

// A leader inside the room, a text height clear of the inset, meeting no text and crossing no
// leader placed.
bool Planner::leadfree(const Box& s) const {
    const Box e{std::min(s.x0, s.x1), std::min(s.y0, s.y1), std::max(s.x0, s.x1), std::max(s.y0, s.y1)};
    if (!e.inside(g.room) || (g.inset && g.insetbox.grown(h, h).meets(s))) return false;
    if (std::any_of(taken.begin(), taken.end(), [&](const Box& o) { return o.meets(s); })) return false;
    if (std::any_of(g.texts.begin(), g.texts.end(), [&](const Box& o) { return o.meets(s); })) return false;
    return std::none_of(leaders.begin(), leaders.end(), [&](const Box& o) { return touches(s, o, kTouch * h); });
}

// Whether two segments cross, or come within gap of each other anywhere but near ends that lie
// within twice gap of each other (leaders that run into one place).
bool Planner::touches(const Box& a, const Box& b, double gap) {
    auto side = [](const Box& s, double px, double py) { return (s.x1 - s.x0) * (py - s.y0) - (s.y1 - s.y0) * (px - s.x0); };
    if (side(a, b.x0, b.y0) * side(a, b.x1, b.y1) < 0 && side(b, a.x0, a.y0) * side(b, a.x1, a.y1) < 0) return true;
    auto topoint = [](const Box& s, double px, double py) {
        const double dx = s.x1 - s.x0, dy = s.y1 - s.y0, n = dx * dx + dy * dy;
        const double t = n > 0 ? std::clamp(((px - s.x0) * dx + (py - s.y0) * dy) / n, 0.0, 1.0) : 0;
        return std::hypot(px - s.x0 - t * dx, py - s.y0 - t * dy);
    };
    auto shared = [&](double px, double py, const Box& o) {
        return std::hypot(px - o.x0, py - o.y0) <= 2 * gap || std::hypot(px - o.x1, py - o.y1) <= 2 * gap;
    };
    const double d[4] = {topoint(b, a.x0, a.y0), topoint(b, a.x1, a.y1), topoint(a, b.x0, b.y0), topoint(a, b.x1, b.y1)};
    const bool end[4] = {shared(a.x0, a.y0, b), shared(a.x1, a.y1, b), shared(b.x0, b.y0, a), shared(b.x1, b.y1, a)};
    for (int k = 0; k < 4; ++k)
        if (d[k] < gap && !end[k]) return true;
    return false;
}

// Nearer its own line than any other reference line, and within a text height of it.
bool Planner::nearest(size_t i, const Box& ink) const {
    double own = gap(ink, L[i].line);
    for (size_t k = 0; k < g.refs.size(); ++k)
        if (ownref(i, k)) own = std::min(own, gap(ink, g.refs[k]));
    if (own > 0.9 * h) return false;
    for (size_t k = 0; k < g.refs.size(); ++k)
        if (!ownref(i, k) && gap(ink, g.refs[k]) <= own + 0.1 * h) return false;
    return true;
}

// No level line but its own holds the middle half of the glyphs' height where it reaches the
// row (across [x0, x1] and a text height beyond): the label would read as that line's.
bool Planner::rowfree(size_t i, const Box& ink, double x0, double x1) const {
    const double q = 0.25 * (ink.y1 - ink.y0) - 0.05 * h, lo = ink.y0 + q, hi = ink.y1 - q;
    for (size_t k = 0; k < g.refs.size(); ++k) {
        const Box& r = g.refs[k];
        if (r.y0 == r.y1 && r.y0 >= lo && r.y0 <= hi && std::max(r.x0, r.x1) >= x0 - h && std::min(r.x0, r.x1) <= x1 + h && !ownref(i, k)) return false;
    }
    return true;
}

// What may meet the text's box b: nothing; on a box of the background (under), the ends of
// reference lines, never a line that runs on beyond the box (hidden under the text it shows on
// both sides and reads as the label's), nor a marker (it would hide a point).
bool Planner::linesfree(size_t i, const Box& b, const Box* under) const {
    const Box wide = under ? b : b.grown(0.15 * h, 0.05 * h);
    for (size_t k = 0; k < g.refs.size(); ++k) {
        const Box& r = g.refs[k];
        if (std::max(r.x0, r.x1) < wide.x0 || std::min(r.x0, r.x1) > wide.x1 || std::max(r.y0, r.y1) < wide.y0 || std::min(r.y0, r.y1) > wide.y1) continue;
        if (ownref(i, k) || !wide.meets(r)) continue;
        if (!under || (!under->holds(r.x0, r.y0) && !under->holds(r.x1, r.y1))) return false;
    }
    if (ink.any(wide, [&](const Box& s) { return wide.meets(s); })) return false;
    const Box& m = under ? *under : wide;
    return !marks.any(m, [&](const Box& k) { return m.overlaps(k); });
}

// Beside the labels of neighbouring parallel lines in the order of the lines; and two labels of
// close lines without leaders do not share the band between them (which line each belongs to
// would be a guess).
bool Planner::inorder(size_t i, const Box& ink, bool led) const {
    const bool up = upright(L[i].line);
    const double li = across(L[i].line);
    for (const Written& o : written) {
        const Box& ol = L[o.label].line;
        if (upright(ol) != up || labat[o.label] == labat[i]) continue;
        const double lj = across(ol);
        const Box& b = o.ink;
        const double lo = std::min(li, lj), hi = std::max(li, lj);
        const bool close = up ? hi - lo < std::max(ink.x1 - ink.x0, b.x1 - b.x0) + h : hi - lo < 2.5 * h;
        const bool between = up ? std::min(ink.x0, b.x0) >= lo - 0.05 * h && std::max(ink.x1, b.x1) <= hi + 0.05 * h
                                : std::min(ink.y0, b.y0) >= lo - 0.05 * h && std::max(ink.y1, b.y1) <= hi + 0.05 * h;
        const bool shared = up ? std::min(ink.x1, b.x1) - std::max(ink.x0, b.x0) > 0 : std::min(ink.y1, b.y1) - std::max(ink.y0, b.y0) > 0;
        if (!led && !o.led && close && between && shared) return false;
        const bool stacked = up ? ink.y0 < b.y1 && b.y0 < ink.y1 : ink.x0 < b.x1 && b.x0 < ink.x1;
        const double mine = up ? ink.x0 + ink.x1 : ink.y0 + ink.y1, theirs = up ? b.x0 + b.x1 : b.y0 + b.y1;
        if (stacked && std::fabs(mine - theirs) > 0.1 * h && (mine - theirs) * (li - lj) < 0) return false;
    }
    return true;
}

void Planner::write(size_t i, const Placed& p, bool led) {
    out[i] = p;
    written.push_back({i, inked(i, p.at), led});
    taken.push_back(glyph(i, p.at).grown(0.5 * h, 0));
    if (p.boxed && p.cover.x1 > p.cover.x0) taken.push_back(p.cover);
}

// ---- labels beside their lines

// The places of label i: where the drawing puts it, the other side, then further along its
// line, both sides each time (nearest first, away from the line's end first).
std::vector<Spot> Planner::spots(size_t i) const {
    const Label& a = L[i];
    std::vector<Spot> v{a.first};
    const Box& r = g.room;
    if (upright(a.line)) {
        const double X = a.line.x0, dd = std::fabs(a.first.x - X);
        const Spot other{a.first.end ? X + dd : X - dd, a.first.y, !a.first.end};
        v.push_back(other);
        const double step = 0.25 * h, mid = 0.5 * (r.y0 + r.y1), centre = 0.5 * (kAscent - kDescent) * h;
        const int away = a.from == 0 ? -1 : 1;
        for (int k = 1; k * step <= r.y1 - r.y0; ++k)
            for (const int dir : {away, -away}) {
                const double y = a.first.y + dir * k * step;
                if (y + kAscent * h > r.y1 || y - kDescent * h < r.y0) continue;
                if (a.given && (a.from == 0 ? y + centre < mid : y + centre > mid)) continue;
                v.push_back({a.first.x, y, a.first.end});
                v.push_back({other.x, y, other.end});
            }
        return v;
    }
    const double Y = a.line.y0;
    std::vector<double> sides{a.first.y};
    if (!a.online) sides.push_back(a.first.y < Y ? Y + 0.5 * h : Y - h);
    if (sides.size() > 1) v.push_back({a.first.x, sides[1], a.first.end});
    // The line's other end, unless the user gave its end.
    if (!a.given && a.from != 2 && a.line.x1 >= r.x1 - d - a.w && a.line.x0 <= r.x0 + d + a.w) {
        const Spot far{a.from == 0 ? a.line.x1 - d : a.line.x0 + d, 0, a.from == 0};
        for (const double y : sides) v.push_back({far.x, y, far.end});
    }
    const double step = 0.5 * h, width = r.x1 - r.x0;
    std::vector<int> dirs{a.from == 1 ? -1 : 1};
    if (a.from == 2) dirs.push_back(-1);
    for (int k = 1; k * step <= width; ++k)
        for (const int dir : dirs) {
            const Spot s{a.first.x + dir * k * step, 0, a.first.end};
            const Box b = glyph(i, s);
            if (b.x0 < r.x0 || b.x1 > r.x1) continue;
            const double c = 0.5 * (b.x0 + b.x1);
            if (a.given && (a.from == 0 ? c > r.x0 + 0.5 * width : a.from == 1 ? c < r.x0 + 0.5 * width : std::fabs(c - r.x0 - 0.5 * width) > 0.25 * width))
                continue;
            for (const double y : sides) v.push_back({s.x, y, s.end});
        }
    return v;
}

// The first place that keeps the rules at the lowest tier: nothing in the way, then on a box
// over markers and the ends of lines.
bool Planner::placesingle(size_t i) {
    const std::vector<Spot> v = spots(i);
    for (int tier = 0; tier < 2; ++tier)
        for (const Spot& s : v) {
            const Box b = glyph(i, s), k = inked(i, s);
            if (!fitsroom(b) || !textfree(b) || !leaderfree(b) || !nearest(i, k) || !rowfree(i, k, b.x0, b.x1) || !inorder(i, k, false)) continue;
            const Box cover = boxof(b);
            if (!linesfree(i, b, tier > 0 ? &cover : nullptr)) continue;
            if (tier > 0 && !cover.inside(g.room)) continue;
            Placed p;
            p.at = s;
            p.boxed = tier > 0;
            if (p.boxed) p.cover = cover;
            write(i, p, false);
            return true;
        }
    return false;
}

std::vector<Placed> Planner::run() {
    for (int round = 0;; ++round) {
        taken.clear();
        leaders.clear();
        written.clear();
        out.assign(L.size(), Placed{});
        // The columns first, by their first label in the order of placing.
        std::vector<size_t> rank(L.size(), L.size());
        for (size_t k = 0; k < order.size(); ++k) rank[order[k]] = k;
        std::vector<size_t> cs(columns.size());
        std::iota(cs.begin(), cs.end(), size_t{0});
        auto firstof = [&](size_t c) {
            size_t best = L.size();
            for (size_t i : columns[c]) best = std::min(best, rank[i]);
            return best;
        };
        std::stable_sort(cs.begin(), cs.end(), [&](size_t a, size_t b) { return firstof(a) < firstof(b); });
        for (size_t c : cs) placecolumn(c);
        std::vector<size_t> failed;
        for (size_t i : order)
            if (column[i] < 0 && !placesingle(i)) failed.push_back(i);
        if (failed.empty() || round == kRounds) {
            // A label with no place left is left out rather than written over another.
            for (size_t i : failed) out[i].omitted = true;
            for (size_t i = 0; i < L.size(); ++i)
                if (twin[i] >= 0) out[i] = out[static_cast<size_t>(twin[i])], out[i].same = twin[i];
            return out;
        }
        grow(failed);
    }
}

std::vector<Placed> place(const std::vector<Label>& labels, const Ground& ground) {
    if (labels.empty()) return {};
    Planner p(labels, ground);
    return p.run();
}

}  // namespace labelplace
