// A label of an upright line that neither its own places nor a column kept: a row of its own, as
// a column's row stands, beside another upright line that its level leader crosses (a text
// height out from the gap beside that line at least, so that the leader leaves the text before
// it crosses a line, and kReach heights at most), the nearest to its own line first, at the
// heights its line reaches from the end where its labels start; the leader crosses no data.
#include <algorithm>
#include <cmath>

#include "common/labelplanner.h"

namespace labelplace {

bool Planner::placerow(size_t i) {
    const Box& l = L[i].line;
    if (!upright(l)) return false;
    // Where no row was found, none is until a label placed leaves.
    const long lifts = liftsof[0] + liftsof[1];
    if (rowless[i] == lifts) return false;
    rowless[i] = lifts;
    const Box& r = g.room;
    const double X = l.x0, lo = std::min(l.y0, l.y1), hi = std::max(l.y0, l.y1), w = L[i].w;
    // The places across, each by the text's end nearer its line: right of a line right of its
    // own (the leader runs left across it) or left of one left of it.
    struct Across {
        double near;   // where the text starts (right of the line) or ends (left of it)
        bool end;
    };
    std::vector<Across> xs;
    lines.upright(r.x0, r.x1, [&](size_t k) {
        if (ownref(i, k)) return false;
        const double at = g.refs[k].x0;
        for (int n = 1; n <= static_cast<int>(kReach); ++n) {
            const Across p = at > X ? Across{at + d + n * h, false} : Across{at - d - n * h, true};
            const double x0 = p.end ? p.near - w : p.near;
            // (a line of the whole height under the text, or right beside it where the leader
            // leaves it, rules the place out at every height)
            const double b0 = p.end ? p.near : p.near - (kBeside - 0.15) * h, b1 = p.end ? p.near + (kBeside - 0.15) * h : p.near;
            if (x0 >= r.x0 && x0 + w <= r.x1 && !blockedacross(i, x0, x0 + w) && !blockedacross(i, b0, b1)) xs.push_back(p);
        }
        return false;
    });
    if (xs.empty()) return false;
    std::sort(xs.begin(), xs.end(), [&](const Across& a, const Across& b) { return std::fabs(a.near - X) < std::fabs(b.near - X); });
    xs.erase(std::unique(xs.begin(), xs.end(), [&](const Across& a, const Across& b) { return a.end == b.end && std::fabs(a.near - b.near) < 1e-6 * h; }),
             xs.end());
    // How far a level leader may run from the line on each side at a row's height: up to the
    // nearest marker, fitted line or limit, text placed or leader placed it would meet (a leader
    // to a place further out runs on over it).
    auto open = [&](const std::vector<std::pair<double, double>>& stops, int dir) {
        if (dir > 0) {
            const auto it = std::upper_bound(stops.begin(), stops.end(), X, [](double v, const std::pair<double, double>& q) { return v < q.second; });
            return it == stops.end() ? INFINITY : std::max(it->first, X);
        }
        auto it = std::lower_bound(stops.begin(), stops.end(), X, [](const std::pair<double, double>& q, double v) { return q.first < v; });
        return it == stops.begin() ? -INFINITY : std::min((--it)->second, X);
    };
    const bool top = L[i].from == 0;
    const double step = (top ? -1 : 1) * 0.25 * h;
    std::vector<Across> near;
    for (double y = top ? r.y1 - kAscent * h : r.y0 + kDescent * h; y - kDescent * h >= r.y0 && y + kAscent * h <= r.y1; y += step) {
        const double mid = y + kMiddle * h;
        if (mid < lo || mid > hi) continue;   // a level leader reaches its line only where the line runs
        // What a text on this row keeps clear of across, the same for every label while nothing
        // is placed or taken away: the texts placed (half a text height apart), the lines (but
        // its own, which never runs under a row), fitted lines and markers (a little apart);
        // merged, in order.
        const auto& busy = rowbusy(y, top);
        const auto& texts = rowtexts(y, top, L[i].descends);
        auto clear = [&](const std::vector<std::pair<double, double>>& v, double x0, double x1) {
            const auto it = std::upper_bound(v.begin(), v.end(), x0, [](double u, const std::pair<double, double>& q) { return u < q.second; });
            return it == v.end() || it->first >= x1;
        };
        auto free = [&](double x0, double x1) { return clear(busy, x0, x1) && clear(texts, x0, x1); };
        // The places the leaders reach (nearest first, up to the first on each side that they
        // do not), where the text finds room.
        const auto& stops = rowstops(y, top);
        const auto& crossing = rowlines(y, top);
        // Whether a line its leader crosses stands within kBeside heights of the text (beside it).
        auto beside = [&](const Across& p) {
            const double a = p.end ? std::max(p.near, std::min(X, p.near)) : std::max(X, p.near - kBeside * h);
            const double b = p.end ? std::min(X, p.near + kBeside * h) : p.near;
            for (auto it = std::upper_bound(crossing.begin(), crossing.end(), a); it != crossing.end() && *it < b; ++it)
                if (std::fabs(*it - X) > 1e-9 * (1 + std::fabs(X))) return true;
            return false;
        };
        const double left = open(stops, -1), right = open(stops, 1);
        near.clear();
        bool ways[2] = {true, true};
        for (const Across& p : xs) {
            if (!ways[0] && !ways[1]) break;
            const double from = p.end ? p.near + 0.25 * d : p.near - 0.25 * d, x0 = p.end ? p.near - w : p.near;
            if (p.end ? from <= left : from >= right) ways[p.end ? 0 : 1] = false;
            else if (free(x0, x0 + w) && !beside(p)) near.push_back(p);
        }
        for (const Across& p : near) {
            const double from = p.end ? p.near + 0.25 * d : p.near - 0.25 * d;
            Site s;
            s.at = {p.near, y, p.end};
            s.lead = {from, mid, X, mid};
            if (fits(i, s, nullptr, true)) {
                put(i, s);
                return true;
            }
        }
    }
    return false;
}

// Where a level leader at the middle of the row at baseline y meets what it must not cross:
// markers, fitted lines and limits (a tenth of a text height about it; the sides of the frame,
// outside the room, are none), the texts placed and the leaders placed (kTouch heights about
// it); merged, in order. Kept while nothing is placed or taken away.
const std::vector<std::pair<double, double>>& Planner::rowstops(double y, bool top) {
    const Box& r = g.room;
    if (stopsat != changes) {
        for (auto& v : rowsstops) v.clear();
        stopsat = changes;
    }
    const size_t at = static_cast<size_t>(std::llround(std::fabs(y - (top ? r.y1 - kAscent * h : r.y0 + kDescent * h)) / (0.25 * h))) * 2 + top;
    if (rowsstops.size() <= at) rowsstops.resize(at + 1);
    std::vector<std::pair<double, double>>& stops = rowsstops[at];
    if (!stops.empty()) return stops;
    const double mid = y + kMiddle * h;
    const Box thin{r.x0 - h, mid - 0.1 * h, r.x1 + h, mid + 0.1 * h}, e{r.x0 - h, mid - kTouch * h, r.x1 + h, mid + kTouch * h};
    auto across = [&](const Box& k, const Box& within) {
        double t0, t1;
        if (!within.meets(k.x0, k.y0, k.x1, k.y1, &t0, &t1)) return;
        const double xa = k.x0 + t0 * (k.x1 - k.x0), xb = k.x0 + t1 * (k.x1 - k.x0);
        stops.push_back({std::min(xa, xb), std::max(xa, xb)});
    };
    marks.any(thin, [&](const Box& k) {
        if (thin.overlaps(k)) stops.push_back({k.x0, k.x1});
        return false;
    });
    ink.any(thin, [&](const Box& k) {
        if (!(k.x0 == k.x1 && (k.x0 < r.x0 || k.x0 > r.x1))) across(k, thin);
        return false;
    });
    const Box line{r.x0 - h, mid, r.x1 + h, mid};
    taken.any(line, [&](const Grid::Item& o) {
        if (o.b.y0 <= mid && o.b.y1 >= mid) stops.push_back({o.b.x0, o.b.x1});
        return false;
    });
    leads.any(e, [&](const Grid::Item& o) {
        const Box& k = o.b;
        across({k.x0 - kTouch * h, k.y0, k.x1 - kTouch * h, k.y1}, e);
        across({k.x0 + kTouch * h, k.y0, k.x1 + kTouch * h, k.y1}, e);
        return false;
    });
    std::sort(stops.begin(), stops.end());
    size_t merged = 0;
    for (const auto& q : stops) {
        if (merged > 0 && q.first <= stops[merged - 1].second) stops[merged - 1].second = std::max(stops[merged - 1].second, q.second);
        else stops[merged++] = q;
    }
    stops.resize(merged);
    if (stops.empty()) stops.push_back({INFINITY, INFINITY});   // (known: nothing stops a leader here)
    return stops;
}

// What the ink of a text on the row at baseline y keeps clear of across that the labels do not
// change: the panel's texts (two text heights across, half a height up and down) and the inset
// (a text height); merged, in order. A text with a descender reaches lower.
const std::vector<std::pair<double, double>>& Planner::rowtexts(double y, bool top, bool descends) {
    const Box& r = g.room;
    const size_t at = (static_cast<size_t>(std::llround(std::fabs(y - (top ? r.y1 - kAscent * h : r.y0 + kDescent * h)) / (0.25 * h))) * 2 + top) * 2 + descends;
    if (rowspanel.size() <= at) rowspanel.resize(at + 1);
    std::vector<std::pair<double, double>>& v = rowspanel[at];
    if (!v.empty()) return v;
    const Box k{r.x0 - h, descends ? y - kDescent * h : y - kOvershoot * h, r.x1 + h, y + kAscent * h};
    const Box wide = k.grown(2 * h, 0.5 * h);
    texts.any(wide, [&](const Box& o) {
        if (wide.overlaps(o)) v.push_back({o.x0 - 2 * h, o.x1 + 2 * h});
        return false;
    });
    if (g.inset && k.grown(h, h).overlaps(g.insetbox)) v.push_back({g.insetbox.x0 - h, g.insetbox.x1 + h});
    std::sort(v.begin(), v.end());
    size_t merged = 0;
    for (const auto& q : v) {
        if (merged > 0 && q.first <= v[merged - 1].second) v[merged - 1].second = std::max(v[merged - 1].second, q.second);
        else v[merged++] = q;
    }
    v.resize(merged);
    if (v.empty()) v.push_back({INFINITY, INFINITY});   // (known)
    return v;
}

// Where the upright lines that reach the middle of the row at baseline y stand, in order.
const std::vector<double>& Planner::rowlines(double y, bool top) {
    const Box& r = g.room;
    const size_t at = static_cast<size_t>(std::llround(std::fabs(y - (top ? r.y1 - kAscent * h : r.y0 + kDescent * h)) / (0.25 * h))) * 2 + top;
    if (rowsupright.size() <= at) rowsupright.resize(at + 1);
    std::vector<double>& v = rowsupright[at];
    if (!v.empty()) return v;
    const double mid = y + kMiddle * h;
    lines.upright(r.x0 - h, r.x1 + h, [&](size_t k) {
        const Box& q = g.refs[k];
        if (std::min(q.y0, q.y1) <= mid && std::max(q.y0, q.y1) >= mid) v.push_back(q.x0);
        return false;
    });
    v.push_back(INFINITY);   // (known)
    return v;
}

const std::vector<std::pair<double, double>>& Planner::rowbusy(double y, bool top) {
    const Box& r = g.room;
    if (rowsat != changes) {
        for (auto& v : rowsbusy) v.clear();
        rowsat = changes;
    }
    const size_t at = static_cast<size_t>(std::llround(std::fabs(y - (top ? r.y1 - kAscent * h : r.y0 + kDescent * h)) / (0.25 * h))) * 2 + top;
    if (rowsbusy.size() <= at) rowsbusy.resize(at + 1);
    std::vector<std::pair<double, double>>& busy = rowsbusy[at];
    if (!busy.empty()) return busy;
    const Box band{r.x0 - h, y - kDescent * h, r.x1 + h, y + kAscent * h};
    taken.any(band, [&](const Grid::Item& o) {
        if (o.b.y0 < band.y1 && band.y0 < o.b.y1) busy.push_back({o.b.x0 - 0.5 * h, o.b.x1 + 0.5 * h});
        return false;
    });
    const Box m = band.grown(0, 0.05 * h);
    const double c = 0.15 * h;
    auto blocks = [&](size_t k) {
        const Box& q = g.refs[k];
        if (std::max(q.y0, q.y1) >= m.y0 && std::min(q.y0, q.y1) <= m.y1) busy.push_back({std::min(q.x0, q.x1) - c, std::max(q.x0, q.x1) + c});
        return false;
    };
    lines.upright(m.x0, m.x1, blocks);
    lines.level(m.y0, m.y1, blocks);
    ink.any(m, [&](const Box& k) {
        double t0, t1;
        if (m.meets(k.x0, k.y0, k.x1, k.y1, &t0, &t1)) {
            const double xa = k.x0 + t0 * (k.x1 - k.x0), xb = k.x0 + t1 * (k.x1 - k.x0);
            busy.push_back({std::min(xa, xb) - c, std::max(xa, xb) + c});
        }
        return false;
    });
    marks.any(m, [&](const Box& k) {
        if (m.overlaps(k)) busy.push_back({k.x0 - c, k.x1 + c});
        return false;
    });
    std::sort(busy.begin(), busy.end());
    size_t merged = 0;
    for (const auto& q : busy) {
        if (merged > 0 && q.first <= busy[merged - 1].second) busy[merged - 1].second = std::max(busy[merged - 1].second, q.second);
        else busy[merged++] = q;
    }
    busy.resize(merged);
    if (busy.empty()) busy.push_back({INFINITY, INFINITY});   // (known: nothing on the row)
    return busy;
}

}  // namespace labelplace
