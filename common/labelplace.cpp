// The labels of a panel's reference lines placed: each label's places in the order they are
// preferred, and the rounds that place them (beside their lines, then in columns, then any place
// of their own with a leader, then with room made by moving others).
#include "common/labelplace.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>

#include "common/labelplanner.h"

namespace labelplace {

namespace {
// The most work the columns laid out again around labels left out may do (a page of hundreds of
// labels has as much as one of seventy: each try lays out whole columns, more work than it counts)
constexpr long kRegroupWork = 20000;
}  // namespace

Box glyphbox(const Label& a, const Spot& at, double h) { return glyphat(a, at, h); }

bool descends(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        return static_cast<unsigned char>(c) >= 0x80 || std::string_view("gjpqyQ,;()[]{}|_@$").find(c) != std::string_view::npos;
    });
}

// ---- the planner

Planner::Planner(const std::vector<Label>& labels, const Ground& ground, const Found* before)
    : L(labels), g(ground), h(ground.h), d(ground.gap), twin(labels.size(), -1), prior(before) {
    const Box over = g.room.grown(h, h);
    marks.build(g.marks, over, 2 * h);
    ink.build(g.ink, over, 2 * h, true);
    texts.build(g.texts, over, 2 * h);
    lines.build(g.refs);
    taken.init(over, 2 * h);
    leads.init(over, 2 * h);
    for (const Box& r : g.refs) refat.push_back(placeof(r));
    for (const Label& a : L) labat.push_back(placeof(a.line));
    for (size_t k = 0; k < g.refs.size(); ++k) {
        const Box& l = g.refs[k];
        if (upright(l) && std::min(l.y0, l.y1) <= g.room.y0 + h && std::max(l.y0, l.y1) >= g.room.y1 - h) whole.push_back({l.x0, refat[k]});
    }
    std::sort(whole.begin(), whole.end());
    for (const auto& [x, at] : whole) wholex.push_back(x);
    for (size_t i = 0; i < L.size(); ++i)
        for (size_t j = 0; j < i && twin[i] < 0; ++j)
            if (twin[j] < 0 && L[j].text == L[i].text && labat[j] == labat[i]) twin[i] = static_cast<int>(j);
    for (const bool values : {false, true})
        for (size_t i = 0; i < L.size(); ++i)
            if (L[i].value == values && twin[i] < 0) order.push_back(i);
    out.assign(L.size(), Placed{});
    on.assign(L.size(), false);
    live.assign(L.size(), std::vector<Verdicts>(6));
    // (a label's places are the same with the inset or without)
    enumerated.assign(L.size(), Enumerated{});
    nearby.assign(L.size(), NearFrame{});
    inkat.assign(L.size(), Box{});
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

std::vector<size_t> Planner::sorted(bool up) const {
    std::vector<size_t> v;
    for (size_t i : order)
        if (upright(L[i].line) == up) v.push_back(i);
    std::stable_sort(v.begin(), v.end(), [&](size_t a, size_t b) { return across(L[a].line) < across(L[b].line); });
    return v;
}

// ---- the places of one label

// Beside its line: where the drawing puts it, the other side, then further along its line,
// both sides each time (nearest first, away from the line's end first). Calls f with each in
// turn until it returns true; whether it did (enumerate keeps them, as a grid).
template <class F>
bool Planner::eachspot(size_t i, F&& f) const {
    const Label& a = L[i];
    if (f(a.first)) return true;
    const Box& r = g.room;
    if (upright(a.line)) {
        const double X = a.line.x0, dd = std::fabs(a.first.x - X);
        const Spot other{a.first.end ? X + dd : X - dd, a.first.y, !a.first.end};
        if (f(other)) return true;
        const double step = 0.25 * h, mid = 0.5 * (r.y0 + r.y1), centre = 0.5 * (kAscent - kDescent) * h;
        const int away = a.from == 0 ? -1 : 1;
        for (int k = 1; k * step <= r.y1 - r.y0; ++k)
            for (const int dir : {away, -away}) {
                const double y = a.first.y + dir * k * step;
                if (y + kAscent * h > r.y1 || y - kDescent * h < r.y0) continue;
                if (a.given && (a.from == 0 ? y + centre < mid : y + centre > mid)) continue;
                if (f(Spot{a.first.x, y, a.first.end}) || f(Spot{other.x, y, other.end})) return true;
            }
        return false;
    }
    const double Y = a.line.y0;
    double sides[2] = {a.first.y, 0};
    int n = 1;
    if (!a.online) sides[n++] = a.first.y < Y ? Y + 0.5 * h : Y - h;
    if (n > 1 && f(Spot{a.first.x, sides[1], a.first.end})) return true;
    // The line's other end, unless the user gave its end.
    if (!a.given && a.from != 2 && a.line.x1 >= r.x1 - d - a.w && a.line.x0 <= r.x0 + d + a.w) {
        const Spot far{a.from == 0 ? a.line.x1 - d : a.line.x0 + d, 0, a.from == 0};
        for (int k = 0; k < n; ++k)
            if (f(Spot{far.x, sides[k], far.end})) return true;
    }
    const double step = 0.5 * h, width = r.x1 - r.x0;
    for (int k = 1; k * step <= width; ++k)
        for (const int dir : {1, -1}) {
            const Spot s{a.first.x + dir * k * step, 0, a.first.end};
            const Box b = glyph(i, s);
            if (b.x0 < r.x0 || b.x1 > r.x1) continue;
            const double c = 0.5 * (b.x0 + b.x1);
            if (a.given && (a.from == 0 ? c > r.x0 + 0.5 * width : a.from == 1 ? c < r.x0 + 0.5 * width : std::fabs(c - r.x0 - 0.5 * width) > 0.25 * width))
                continue;
            for (int q = 0; q < n; ++q)
                if (f(Spot{s.x, sides[q], s.end})) return true;
        }
    return false;
}

// Label i's spots, the places along its line they take (once each) and every other of those:
// what its places are made from, the same whatever is placed; found once.
const Planner::Enumerated& Planner::enumerate(size_t i) const {
    if (prior && prior->enumerated[i].known) return prior->enumerated[i];
    Enumerated& e = enumerated[i];
    if (e.known) return e;
    e.known = true;
    const bool up = upright(L[i].line);
    e.up = up;
    e.sides = up || !L[i].online ? 2 : 1;
    size_t n = 0;
    std::vector<double> seen;   // the places along, in order along the line
    eachspot(i, [&](const Spot& at) {
        const size_t k = n % static_cast<size_t>(e.sides);
        if (n++ < static_cast<size_t>(e.sides)) e.side[k] = at;
        if (k == 0) {
            e.at.push_back(up ? at.y : at.x);
            if (!up) e.ends.push_back(at.end);
        }
        const double p = up ? at.y : 0.5 * (glyph(i, at).x0 + glyph(i, at).x1), tol = 1e-9 * h;
        const auto it = std::upper_bound(seen.begin(), seen.end(), p - tol);
        if (it != seen.end() && *it < p + tol) return false;
        seen.insert(it, p);
        e.along.push_back(p);
        return false;
    });
    const double coarse = up ? 0.5 * h : h;
    for (const double p : e.along) {
        const double k = std::fabs(p - e.along.front()) / coarse;
        if (std::fabs(k - std::round(k)) < 1e-6) e.every.push_back(p);
    }
    // (kept for the whole placement, and lent: no room to spare)
    e.at.shrink_to_fit(), e.ends.shrink_to_fit(), e.along.shrink_to_fit(), e.every.shrink_to_fit();
    return e;
}

// Calls f with each place of label i of the kinds asked, in the order they are preferred, until
// f returns true: beside its line with nothing in the way; then on a box of the background over
// the ends of lines; then written on its own line, on a box that hides the line under it; then
// off its line, within kReach text heights across (a level line's: above or below it, at places
// along it; an upright line's: beside it, further out), joined to it by a short leader. Asked
// apart (ENDS): above or below an end of a level line inside the room, a leader to that end.
bool Planner::eachplace(size_t i, int kinds, const std::function<bool(const Site&, int, size_t)>& f) const {
    return placesof<false>(i, kinds, f);
}

template <bool NearOnly>
bool Planner::placesof(size_t i, int kinds, const std::function<bool(const Site&, int, size_t)>& f) const {
    const Enumerated& e = enumerate(i);
    const std::vector<double>& along = e.along;
    const Label& a = L[i];
    const bool up = upright(a.line);
    constexpr bool nearonly = NearOnly;
    // (a place that the rules of what the panel draws ruled out when asked before is not offered
    // again: every caller asks those first, staticat)
    auto ruledout = [&](int kind, size_t n) {
        if (nearonly) return false;   // (asked again: the frame's lines ruled out some of those)
        return live[i][kindat(kind)][n] == 2;
    };
    // (asked for places near the frame's lines alone: whether a text at `at` keeps its margin
    // from the room's edges, where those lines run; such a place is passed by, counted)
    auto inner = [&](const Spot& at) {
        const Box m = glyph(i, at).grown(0.15 * h, 0.05 * h);
        return m.x0 > g.room.x0 && m.x1 < g.room.x1 && m.y0 > g.room.y0 && m.y1 < g.room.y1;
    };
    Site s;
    size_t n = 0;
    const size_t spots = e.spots();
    // (the next place of a kind from n on, before end, that was not ruled out before)
    auto open = [&](int kind, size_t n, size_t end) { return nearonly ? n : live[i][kindat(kind)].skip(n, 2, end); };
    if (kinds & BESIDE)
        for (n = open(BESIDE, 0, spots); n < spots; n = open(BESIDE, n + 1, spots)) {
            s.at = e.spot(n);
            if (nearonly && inner(s.at)) continue;
            if (f(s, BESIDE, n)) return true;
        }
    if (kinds & BOXED)
        for (n = open(BOXED, 0, spots); n < spots; n = open(BOXED, n + 1, spots)) {
            s.at = e.spot(n);
            s.cover = boxof(glyph(i, s.at));
            if (f(s, BOXED, n)) return true;
        }
    s.cover = Box{};
    if (kinds & ONLINE)
        for (n = open(ONLINE, 0, along.size()); n < along.size(); n = open(ONLINE, n + 1, along.size())) {
            const double p = along[n];
            s.at = up ? Spot{a.line.x0 - 0.5 * a.w, p, false} : Spot{p - 0.5 * a.w, a.line.y0 - 0.5 * (kAscent - kDescent) * h, false};
            s.cover = boxof(glyph(i, s.at));
            if (f(s, ONLINE, n)) return true;
        }
    s.cover = Box{};
    if (!(kinds & (LED | ENDS | FAR))) return false;
    // Off its line, every other of those places.
    const std::vector<double>& every = e.every;
    const Box& l = a.line;
    n = 0;
    if (up) {
        // Beside it, half a text height further out at a time, a level leader across to it: place
        // n at every[n / (2 K)], k = 1 + n % (2 K) / 2, on the first side or the other by n % 2.
        int K = 0;
        while (d + 0.5 * h * (K + 1) + kBearing * h <= kReach * h) ++K;
        const int sides[2] = {a.first.end ? -1 : 1, a.first.end ? 1 : -1};
        const size_t per = 2 * static_cast<size_t>(K), led = (kinds & LED) ? every.size() * per : 0;
        for (n = open(LED, 0, led); n < led; n = open(LED, n + 1, led)) {
            const double y = every[n / per];
            const int k = 1 + static_cast<int>(n % per / 2), side = sides[n % 2];
            if (nearonly && inner({l.x0 + side * (d + 0.5 * h * k), y, side < 0})) continue;
            const double mid = y + kMiddle * h, x = l.x0 + side * (d + 0.5 * h * k);
            s.at = {x, y, side < 0};
            const Box b = glyph(i, s.at);
            const double from = side > 0 ? b.x0 - 0.25 * d : b.x1 + 0.25 * d;
            leadto(s.lead, from, mid, l.x0, std::clamp(mid, std::min(l.y0, l.y1), std::max(l.y0, l.y1)));
            if (f(s, LED, n)) return true;
        }
        if (kinds & FAR) {
            // As far out as the reach lets the letters' body stand (past the last half height):
            // place n at every[n / 2], on the first side or the other by n % 2.
            const double off = (kReach - kBearing) * h * (1 - 1e-9);
            const size_t far = off > d + 0.5 * h * K + 0.01 * h ? 2 * every.size() : 0;
            for (n = open(FAR, 0, far); n < far; n = open(FAR, n + 1, far)) {
                const double y = every[n / 2];
                const int side = sides[n % 2];
                const double x = l.x0 + side * off;
                if (nearonly && inner({x, y, side < 0})) continue;
                s.at = {x, y, side < 0};
                const Box b = glyph(i, s.at);
                const double mid = y + kMiddle * h, from = side > 0 ? b.x0 - 0.25 * d : b.x1 + 0.25 * d;
                leadto(s.lead, from, mid, l.x0, std::clamp(mid, std::min(l.y0, l.y1), std::max(l.y0, l.y1)));
                if (f(s, FAR, n)) return true;
            }
        }
        return false;
    }
    // Above or below it, half a text height further off at a time, a leader from the text's
    // side to the line a little further along.
    const double Y = l.y0;
    for (const double p : every)
        for (double off = 0.5 * h; (kinds & LED) && off <= kReach * h + 1e-9 * h; off += 0.5 * h)
            for (const int side : {a.first.y < Y ? -1 : 1, a.first.y < Y ? 1 : -1}) {
                const double y = side > 0 ? Y + off + kDescent * h : Y - off - kAscent * h;
                const double mid = y + kMiddle * h, len = std::max(0.6 * h, 0.6 * std::fabs(mid - Y));
                for (const int dir : {a.from == 1 ? -1 : 1, a.from == 1 ? 1 : -1}) {
                    const double x0 = p - 0.5 * a.w;
                    s.at = {x0, y, false};
                    const double from = dir > 0 ? x0 + a.w + 0.25 * d : x0 - 0.25 * d, to = from + dir * len;
                    if (to < std::min(l.x0, l.x1) || to > std::max(l.x0, l.x1)) continue;
                    if (ruledout(LED, n) || (nearonly && inner({x0, y, false}))) {
                        ++n;
                        continue;
                    }
                    leadto(s.lead, from, mid, to, Y);
                    if (f(s, LED, n++)) return true;
                }
            }
    // As far off as the reach lets the letters' body stand (past the last half height), at the
    // same places along it.
    n = 0;
    if (kinds & FAR)
        for (const double p : every)
            for (const int side : {a.first.y < Y ? -1 : 1, a.first.y < Y ? 1 : -1}) {
                const double off = (kReach - (side > 0 ? kDescent : kAscent - kCapital)) * h * (1 - 1e-9);
                const double y = side > 0 ? Y + off + kDescent * h : Y - off - kAscent * h;
                const double mid = y + kMiddle * h, len = std::max(0.6 * h, 0.6 * std::fabs(mid - Y));
                for (const int dir : {a.from == 1 ? -1 : 1, a.from == 1 ? 1 : -1}) {
                    const double x0 = p - 0.5 * a.w;
                    const double from = dir > 0 ? x0 + a.w + 0.25 * d : x0 - 0.25 * d, to = from + dir * len;
                    if (to < std::min(l.x0, l.x1) || to > std::max(l.x0, l.x1)) continue;
                    if (ruledout(FAR, n) || (nearonly && inner({x0, y, false}))) {
                        ++n;
                        continue;
                    }
                    s.at = {x0, y, false};
                    leadto(s.lead, from, mid, to, Y);
                    if (f(s, FAR, n++)) return true;
                }
            }
    if (!(kinds & ENDS)) return false;
    // Above or below an end of it inside the room (a value's line ends where it meets the fitted
    // line), the text over the line a gap short of that end, a leader from its side to the end.
    n = 0;
    for (const int e : {0, 1}) {
        const double X = e == 0 ? std::min(l.x0, l.x1) : std::max(l.x0, l.x1);
        if (X <= g.room.x0 + d || X >= g.room.x1 - d) continue;
        for (double off = 0.5 * h; off <= kReach * h + 1e-9 * h; off += 0.25 * h)
            for (const int side : {a.first.y < Y ? -1 : 1, a.first.y < Y ? 1 : -1}) {
                const double y = side > 0 ? Y + off + kDescent * h : Y - off - kAscent * h;
                if (ruledout(ENDS, n) || (nearonly && inner(e == 0 ? Spot{X + d, y, false} : Spot{X - d, y, true}))) {
                    ++n;
                    continue;
                }
                s.at = e == 0 ? Spot{X + d, y, false} : Spot{X - d, y, true};
                leadto(s.lead, e == 0 ? X + 0.75 * d : X - 0.75 * d, y + kMiddle * h, X, Y);
                if (f(s, ENDS, n++)) return true;
            }
    }
    return false;
}

void Planner::put(size_t i, const Site& s, const Placed* as) {
    ++changes;
    if (journaling) journal.push_back({i, false, Placed{}});
    Placed p;
    p.at = s.at;
    p.boxed = s.boxed();
    p.cover = s.cover;
    p.leader = s.lead;
    if (as) p.boxed = as->boxed, p.cover = as->cover, p.column = as->column;
    out[i] = p;
    on[i] = true;
    inkat[i] = inked(i, s.at);
    taken.add(glyph(i, s.at).grown(0.5 * h, 0), static_cast<int>(i));
    if (p.cover.x1 > p.cover.x0) taken.add(p.cover, static_cast<int>(i));
    for (size_t j = 2; j + 1 < p.leader.size(); j += 2) leads.add({p.leader[j - 2], p.leader[j - 1], p.leader[j], p.leader[j + 1]}, static_cast<int>(i));
    if (std::find(shown.begin(), shown.end(), i) == shown.end()) shown.push_back(i), shownby[upright(L[i].line)].push_back(i);
}

void Planner::lift(size_t i) {
    if (!on[i]) return;
    ++changes;
    if (journaling) journal.push_back({i, true, out[i]});
    on[i] = false;
    taken.remove(static_cast<int>(i));
    leads.remove(static_cast<int>(i));
    const Box at = takes(i);
    ++liftsof[upright(L[i].line) ? 1 : 0];
    const Box& r = g.room;
    const double cw = (r.x1 - r.x0) / kGridCells, ch = (r.y1 - r.y0) / kGridCells;
    auto cell = [](double v, double lo, double size) { return std::clamp(static_cast<int>(std::floor((v - lo) / size)), 0, kGridCells - 1); };
    for (int y = cell(at.y0, r.y0, ch); y <= cell(at.y1, r.y0, ch); ++y)
        for (int x = cell(at.x0, r.x0, cw); x <= cell(at.x1, r.x0, cw); ++x) ++liftcells[static_cast<size_t>(y * kGridCells + x)];
    out[i] = Placed{};
}

// Where label i, placed, stands: its text (widened across as the texts placed are), its box and
// its leader.
Box Planner::takes(size_t i) const {
    Box at = glyph(i, out[i].at).grown(0.5 * h, 0);
    if (out[i].cover.x1 > out[i].cover.x0) at = at.with(out[i].cover);
    const std::vector<double>& p = out[i].leader;
    for (size_t k = 0; k + 1 < p.size(); k += 2) at = at.with({p[k], p[k + 1], p[k], p[k + 1]});
    return at;
}

// Where label i's places lie: kReach text heights, a gap and its text's width about its line.
Box Planner::zoneof(size_t i) const {
    const Box& l = L[i].line;
    const double r = (kReach + 2) * h + d + L[i].w;
    return upright(l) ? Box{l.x0 - r, g.room.y0, l.x0 + r, g.room.y1} : Box{g.room.x0, l.y0 - r, g.room.x1, l.y0 + r};
}

long Planner::liftsin(const Box& zone) const {
    const Box& r = g.room;
    const double cw = (r.x1 - r.x0) / kGridCells, ch = (r.y1 - r.y0) / kGridCells;
    auto cell = [](double v, double lo, double size) { return std::clamp(static_cast<int>(std::floor((v - lo) / size)), 0, kGridCells - 1); };
    long n = 0;
    for (int y = cell(zone.y0, r.y0, ch); y <= cell(zone.y1, r.y0, ch); ++y)
        for (int x = cell(zone.x0, r.x0, cw); x <= cell(zone.x1, r.x0, cw); ++x) n += liftcells[static_cast<size_t>(y * kGridCells + x)];
    return n;
}

// Whether label i still finds no place of any kind: it found none before, and since then no
// label has left from where its places lie, nor one of its direction (the order of labels).
bool Planner::stillnone(size_t i) const {
    const Tried& t = tried[i];
    return t.dir >= 0 && t.dir == liftsof[upright(L[i].line) ? 1 : 0] && t.zone == liftsin(zoneof(i));
}

bool Planner::staticat(size_t i, int kind, size_t n, const Site& s) {
    const size_t k = kindat(kind);
    Verdicts& v = live[i][k];
    char now = v[n];
    if (now == 0) v.set(n, now = staticnow(prior ? prior->live[i][k][n] : 0, i, s));
    return now == 1;
}

bool Planner::placeone(size_t i, int kinds) {
    if (kinds == ALL && stillnone(i)) return false;
    const bool found = eachplace(i, kinds, [&](const Site& s, int kind, size_t n) {
        if (!staticat(i, kind, n, s) || !placedfree(i, s)) return false;
        put(i, s);
        return true;
    });
    if (!found && kinds == ALL) tried[i] = {liftsof[upright(L[i].line) ? 1 : 0], liftsin(zoneof(i))};
    return found;
}

const Planner::NearFrame& Planner::nearplaces(size_t i) const {
    if (prior && prior->nearby[i].known) return prior->nearby[i];
    NearFrame& f = nearby[i];
    if (f.known) return f;
    f.known = true;
    placesof<true>(i, BESIDE | LED | ENDS, [&](const Site& s, int kind, size_t n) {
        f.places.push_back({kind, n, s});
        return false;
    });
    return f;
}

bool Planner::placenearframe(size_t i) {
    std::vector<const NearPlace*> blocked;   // the places only labels placed stand in the way of
    for (const NearPlace& q : nearplaces(i).places) {
        // (only a place that the rules of what the panel draws ruled out may now keep them)
        if (live[i][kindat(q.kind)][q.n] == 1) continue;
        nearframe = true;
        const bool kept = staticfree(i, q.s, false);
        nearframe = false;
        if (kept && placedfree(i, q.s)) {
            put(i, q.s);
            return true;
        }
        if (kept) blocked.push_back(&q);
    }
    // Where one label placed stands in the way there, it takes another place of its own.
    for (const NearPlace* q : blocked) {
        std::vector<int> who;
        placedfree(i, q->s, &who);
        std::sort(who.begin(), who.end());
        who.erase(std::unique(who.begin(), who.end()), who.end());
        if (who.size() != 1 || sharesbox(static_cast<size_t>(who[0]))) continue;
        const size_t j = static_cast<size_t>(who[0]);
        const Places was = placesof({j});
        lift(j);
        put(i, q->s);
        if (placeone(j, ALL)) return true;
        lift(i);
        putback(was);
    }
    return false;
}

std::vector<Placed> Planner::run() {
    tried.assign(L.size(), Tried{});
    rowless.assign(L.size(), -1);
    rowsacross.assign(L.size(), RowPlaces{});
    columnless.assign(L.size(), -1);
    rowsknown.assign(L.size(), 0);
    runkey.assign(L.size(), 0);
    rowstatic.assign(L.size(), {});
    rowsof.assign(L.size(), {});
    liftcells.assign(static_cast<size_t>(kGridCells) * kGridCells, 0);
    // Each label beside its line, the lines' own labels first.
    std::vector<size_t> failed;
    for (size_t i : order)
        if (!placeone(i, BESIDE | BOXED | ONLINE)) failed.push_back(i);
    // The labels of close lines in columns, where a column keeps more of them.
    if (!failed.empty()) columns(failed);
    // Any place of its own, then room made by moving others, for every label still without one.
    for (size_t i : order)
        if (!on[i]) placeanywhere(i);
    const long moves = 4000 + 400 * static_cast<long>(L.size());   // the work the moves may do
    budget = moves;
    for (size_t i : order)
        if (!on[i] && budget > 0) makeroom(i, false);
    // The wider moves, with half as much work again.
    budget += moves / 2;
    for (size_t i : order)
        if (!on[i] && budget > 0) makeroom(i, true);
    // The moves change what stands where: a label the user wrote still without a place asks
    // for room once more (with a quarter of the moves' work at most), then every label tries its
    // places again.
    budget = std::min(budget, moves / 4);
    for (size_t i : order)
        if (!on[i] && !L[i].value && budget > 0 && !stillnone(i)) makeroom(i, true);
    for (size_t i : order)
        if (!on[i]) placeanywhere(i);
    // Labels placed in the way of more of the user's labels left out leave them their room
    // (with twice the work of the moves, up to what they may do for seventy-five labels: each
    // exchange walks every place of the label and of those that leave, and on a page of
    // hundreds, few labels stand alone in another's way).
    exchanges(std::min(2 * moves, 4000L + 400L * 75));
    // Last, for a label of a level line still without a place: above or below an end of its line
    // with a leader to that end (it takes no place another label could use first).
    for (size_t i : order)
        if (!on[i]) placeone(i, ENDS);
    // At the very last, a label still without a place may stand nearer the frame's lines than
    // it keeps from other lines, its glyphs inside the room (as a box of the background may).
    if (g.framelines > 0)
        for (size_t i : order)
            if (!on[i]) placenearframe(i);
    // Then the columns that alone stand in the way of a place of a label left out are laid out
    // again around it, where more stand so (with half the moves' work and a little more, at most
    // kRegroupWork); where any was, labels still left out try the rows of their run's column,
    // which that may have freed.
    budget = std::min(moves / 2 + 4000, kRegroupWork);
    bool regrouped = false;
    for (size_t i : order)
        if (!on[i] && budget > 0) {
            const long start = work;
            regrouped = besidecolumn(i, start + budget) || regrouped;
            budget -= work - start;
        }
    if (regrouped) rowsfreed();
    return finish();
}

// The places at the end of the reach, for every label still without a place (asked after all
// the others: they take no place another label could use first), and what is placed.
std::vector<Placed> Planner::finish() {
    if (far)
        for (size_t i : order)
            if (!on[i]) placeone(i, FAR);
    for (size_t i = 0; i < L.size(); ++i) {
        // A label with no place left is left out rather than written over another.
        if (twin[i] < 0 && !on[i]) out[i] = Placed{}, out[i].omitted = true;
    }
    for (size_t i = 0; i < L.size(); ++i)
        if (twin[i] >= 0) out[i] = out[static_cast<size_t>(twin[i])], out[i].same = twin[i];
    return out;
}

// What run gives, from what it gave without the places at the end of the reach (was): those
// placed stand again, then the rest try those places.
std::vector<Placed> Planner::resume(const std::vector<Placed>& was) {
    for (size_t i = 0; i < L.size() && i < was.size(); ++i)
        if (twin[i] < 0 && !was[i].omitted) put(i, Site{was[i].at, was[i].cover, was[i].leader}, &was[i]);
    return finish();
}

namespace {

// A digest of everything a placement is made from: a drawing that asks the same placement more
// than once (for the labels under what its groups draw, then for those over it; for an inset's
// corners) is answered from the last few.
class Digest {
public:
    void add(double v) {
        uint64_t b;
        std::memcpy(&b, &v, sizeof b);
        mix(b);
    }
    void add(const Box& b) { add(b.x0), add(b.y0), add(b.x1), add(b.y1); }
    void add(const std::vector<Box>& v) {
        mix(v.size());
        for (const Box& b : v) add(b);
    }
    void mix(uint64_t v) {
        h_ ^= v + 0x9e3779b97f4a7c15ULL + (h_ << 6) + (h_ >> 2);
        h_ = (h_ ^ (h_ >> 31)) * 0xbf58476d1ce4e5b9ULL;
    }
    uint64_t value() const { return h_; }

private:
    uint64_t h_ = 0x2545f4914f6cdd1dULL;
};

// (inset: whether the ground's inset is counted; without it, the digest of the same ground
// without the inset)
uint64_t digest(const std::vector<Label>& labels, const Ground& g, bool inset = true) {
    Digest d;
    for (const Label& a : labels) {
        d.add(a.line);
        d.mix(std::hash<std::string>{}(a.text));
        d.add(a.w), d.add(a.first.x), d.add(a.first.y), d.add(a.inkleft), d.add(a.inkright);
        d.mix(static_cast<uint64_t>(a.descends) | static_cast<uint64_t>(a.value) << 1 | static_cast<uint64_t>(a.first.end) << 2 |
              static_cast<uint64_t>(a.given) << 3 | static_cast<uint64_t>(a.online) << 4 | static_cast<uint64_t>(a.rises) << 5 | static_cast<uint64_t>(a.inked) << 6 | static_cast<uint64_t>(a.from + 1) << 8);
    }
    d.add(g.room), d.add(g.inner), d.add(g.h), d.add(g.gap), d.add(g.pitch), d.add(g.toprow), d.add(g.footrow);
    d.add(g.texts), d.add(g.marks), d.add(g.ink), d.add(g.refs);
    d.mix(g.framelines);
    d.mix(g.inset && inset);
    if (g.inset && inset) d.add(g.insetbox);
    return d.value();
}

}  // namespace

std::unique_ptr<Planner::Found> Planner::lend() {
    auto f = std::make_unique<Found>();
    f->live = std::move(live);
    f->rowstatic = std::move(rowstatic);
    f->levelstatic = std::move(levelstatic);
    f->enumerated = std::move(enumerated);
    f->rowsacross = std::move(rowsacross);
    f->nearby = std::move(nearby);
    return f;
}

constexpr uint64_t kNotFar = 0x5bd1e9955bd1e995ULL;   // (mixed into the digest of a placement without them)

std::vector<Placed> place(const std::vector<Label>& labels, const Ground& ground, bool far) {
    if (labels.empty()) return {};
    struct Kept {
        uint64_t key;
        size_t n;
        std::vector<Placed> answer;
    };
    thread_local std::vector<Kept> kept;
    // (what it finds without the last places is another answer, though the rules' verdicts it
    // lends are the same)
    const uint64_t base = digest(labels, ground), key = base ^ (far ? 0 : kNotFar);
    for (const Kept& k : kept)
        if (k.key == key && k.n == labels.size()) return k.answer;
    // (an inset's place is chosen without the places at the end of the reach: the placement
    // with the inset where it was chosen then only adds those)
    const Kept* without = nullptr;
    if (far)
        for (const Kept& k : kept)
            if (k.key == (base ^ kNotFar) && k.n == labels.size()) without = &k;
    // What the last placement without an inset found: a placement of the same labels and panel
    // with the inset somewhere (an inset's places tried in turn, then the one chosen) takes it.
    struct Lent {
        uint64_t key = 0;
        size_t n = 0;
        std::unique_ptr<Planner::Found> found;
    };
    thread_local Lent lent;
    const Planner::Found* prior = nullptr;
    if (ground.inset && lent.found && lent.n == labels.size() && lent.key == digest(labels, ground, false)) prior = lent.found.get();
    Planner p(labels, ground, prior);
    p.far = far;
    p.lends = !ground.inset && !without;
    std::vector<Placed> r = without ? p.resume(without->answer) : p.run();
    if (kept.size() >= 4) kept.erase(kept.begin());
    kept.push_back({key, labels.size(), r});
    if (p.lends) lent = {base, labels.size(), p.lend()};
    return r;
}

}  // namespace labelplace
