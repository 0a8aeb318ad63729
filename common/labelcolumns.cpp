// The labels of lines that lie too close together for a label between them, in a column beside
// the lines: one row each in the order of the lines, each joined to its own line by a leader.
//
// Beside upright lines the column stands right of the rightmost (or left of the leftmost, or in
// a gap between them, then a text height further out at a time, last against the room's edge
// on a box of the background), its rows from the end where the lines' labels start, each leader
// straight across to its line (to its end, where the line stops short of the row). At level
// lines it stands over the lines' ends where their labels stand, on one box of the background,
// its rows as near their lines' heights as the rows allow; each leader runs from its text along
// its row out of the box, then to its line, and all of them meet their lines as far from the
// box, so that none crosses another. A column moves along its lines, shifts across them and
// opens the gaps between its rows where the room has space, until no row's middle stands on
// another level line, no leader crosses another and nothing is written over anything else. The
// rows it still has no place for are left out: the labels of its last lines, as few as can be.
#include <algorithm>
#include <cmath>

#include "common/labelplanner.h"

namespace labelplace {


// The labels of the lines of label f's direction that lie closer to f's line, and to each
// other, than a label between two of them needs.
std::vector<size_t> Planner::cluster(size_t f) const {
    const bool up = upright(L[f].line);
    const std::vector<size_t> v = sorted(up);
    auto close = [&](size_t a, size_t b) {
        const double need = up ? std::max(L[a].w, L[b].w) + 2 * d + 0.1 * h : 1.7 * h;
        return std::fabs(across(L[b].line) - across(L[a].line)) < need;
    };
    size_t at = static_cast<size_t>(std::find(v.begin(), v.end(), f) - v.begin()), lo = at, hi = at;
    while (lo > 0 && close(v[lo - 1], v[lo])) --lo;
    while (hi + 1 < v.size() && close(v[hi], v[hi + 1])) ++hi;
    return {v.begin() + static_cast<std::ptrdiff_t>(lo), v.begin() + static_cast<std::ptrdiff_t>(hi) + 1};
}

// The labels that found no place join columns with their close neighbours (and the columns
// those are in).
void Planner::grow(const std::vector<size_t>& failed) {
    for (const size_t f : failed) {
        std::vector<size_t> members = cluster(f);
        std::vector<int> joined;
        for (size_t i : members)
            if (column[i] >= 0 && std::find(joined.begin(), joined.end(), column[i]) == joined.end()) joined.push_back(column[i]);
        for (int c : joined) {
            for (size_t i : columns[static_cast<size_t>(c)])
                if (std::find(members.begin(), members.end(), i) == members.end()) members.push_back(i);
            columns[static_cast<size_t>(c)].clear();
        }
        columns.push_back(members);
        for (size_t i : members) column[i] = static_cast<int>(columns.size() - 1);
    }
    std::vector<std::vector<size_t>> kept;
    for (auto& c : columns)
        if (!c.empty()) kept.push_back(std::move(c));
    columns = std::move(kept);
    for (size_t c = 0; c < columns.size(); ++c)
        for (size_t i : columns[c]) column[i] = static_cast<int>(c);
}

// A row of a column at `at` keeps the rules by itself: inside the room, its middle on no other
// level line, its text (or its box, where the tier puts it on one: *cover) clear of texts and
// leaders, with only what the tier lets under it.
bool Planner::rowfits(size_t i, const Spot& at, int tier, Box* cover) const {
    const Box b = glyph(i, at), ink = inked(i, at);
    if (!fitsroom(b) || !rowfree(i, ink, b.x0, b.x1)) return false;
    if (tier == 0) return textfree(b) && leaderfree(b) && linesfree(i, b, nullptr);
    *cover = boxof(b);
    return fitsroom(*cover) && textfree(*cover) && leaderfree(*cover) && linesfree(i, b, cover);
}

// A column laid out keeps the rules as a whole: its rows each (on the column's one box, where
// it stands on one), in order beside the labels placed; each leader inside the room, a text
// height clear of the inset, meeting no text and no other row, crossing no other leader.
bool Planner::rowsfree(const Layout& lay, bool onebox) const {
    const size_t n = lay.who.size();
    if (onebox && (!fitsroom(lay.whole) || !textfree(lay.whole) || !leaderfree(lay.whole))) return false;
    for (size_t k = 0; k < n; ++k) {
        const size_t i = lay.who[k];
        const Box& b = lay.boxes[k];
        const Box ink = inked(i, lay.at[k]);
        if (!inorder(i, ink, !lay.lead[k].empty())) return false;
        if (onebox && (!fitsroom(b) || !rowfree(i, ink, lay.whole.x0, lay.whole.x1) || !linesfree(i, b, &lay.whole))) return false;
    }
    std::vector<Box> segs;
    for (size_t k = 0; k < n; ++k) {
        const std::vector<double>& p = lay.lead[k];
        for (size_t j = 2; j + 1 < p.size(); j += 2) {
            const Box s{p[j - 2], p[j - 1], p[j], p[j + 1]};
            if (!leadfree(s)) return false;
            for (size_t o = 0; o < n; ++o)
                if (o != k && lay.boxes[o].meets(s)) return false;
            if (std::any_of(segs.begin(), segs.end(), [&](const Box& t) { return touches(s, t, kTouch * h); })) return false;
        }
        for (size_t j = 2; j + 1 < p.size(); j += 2) segs.push_back({p[j - 2], p[j - 1], p[j], p[j + 1]});
    }
    return true;
}

// A column beside upright lines (m from the left), at the tier's places: beside the lines and
// in their gaps, then further out, and against the room's edge; from a start shifted from the
// end, each row the next place from the end that keeps the rules (the gaps between rows open
// over the level lines there). Near: no row stands more than a text line and a half beyond its
// line's end.
bool Planner::uprightcolumn(const std::vector<size_t>& m, int tier, bool near, Layout* lay) const {
    const size_t n = m.size();
    const Box& r = g.room;
    const bool top = L[m.front()].from == 0;
    const double dir = top ? -1 : 1, start = top ? g.toprow : g.footrow;
    double wmax = 0;
    for (size_t i : m) wmax = std::max(wmax, L[i].w);
    const double xmin = L[m.front()].line.x0, xmax = L[m.back()].line.x0;
    struct Place {
        double x;
        bool end;            // the texts end at x (left of the lines)
        bool edge = false;   // against the room's edge, over the lines there, on one box
    };
    std::vector<std::vector<Place>> groups;
    for (int k = 0; k <= 8; ++k) {
        std::vector<Place> v;
        if (xmax + d + k * h + wmax <= r.x1) v.push_back({xmax + d + k * h, false});
        if (xmin - d - k * h - wmax >= r.x0) v.push_back({xmin - d - k * h, true});
        if (k == 0)
            for (size_t j = 1; j < n; ++j) {
                const double a = L[m[j - 1]].line.x0, b = L[m[j]].line.x0;
                if (b - a >= wmax + 2 * d) v.push_back({a + d, false});
            }
        if (!v.empty()) groups.push_back(std::move(v));
    }
    if (tier > 0) groups.push_back({{r.x1 - 0.25 * h - wmax, false, true}, {r.x0 + 0.25 * h + wmax, true, true}});
    // The orders of the rows from the end: the lines from the left, from the right; then (where
    // lines stop short of the end) the lines that stop nearest the end first, so that each row
    // stands beside its line.
    std::vector<std::vector<size_t>> orders{m, {m.rbegin(), m.rend()}};
    auto reach = [&](size_t i) { return top ? -L[i].line.y0 : L[i].line.y1; };
    for (int k = 0; k < 2; ++k) {
        std::vector<size_t> v = orders[static_cast<size_t>(k)];
        std::stable_sort(v.begin(), v.end(), [&](size_t a, size_t b) { return reach(a) < reach(b); });
        if (v != orders[0] && v != orders[1]) orders.push_back(std::move(v));
    }
    lay->boxed = tier > 0;
    auto inroom = [&](double y) { return y - kDescent * h >= r.y0 && y + kAscent * h <= r.y1; };
    for (const std::vector<Place>& places : groups) {
        // A start whose first row moves on to where a later start's would stand gives the same
        // column (and one whose rows run out of the room, no column): each place and order goes
        // on from there.
        std::vector<double> next(places.size() * orders.size(), 0);
        for (double s = 0; inroom(start + dir * s); s += 0.25 * h)
            for (size_t q = 0; q < next.size(); ++q) {
                if (s < next[q] - 1e-9 * h) continue;
                const Place& p = places[q / orders.size()];
                const std::vector<size_t>& rows = orders[q % orders.size()];
                lay->who.clear(), lay->at.clear(), lay->boxes.clear(), lay->covers.clear(), lay->lead.clear();
                lay->whole = Box{};
                double y = start + dir * s, far = 0;
                for (size_t k = 0; k < n; ++k, y += dir * g.pitch) {
                    const size_t i = rows[k];
                    Box cover;
                    // Over the lines the rows stand together on the column's box.
                    while (!p.edge && inroom(y) && !rowfits(i, {p.x, y, p.end}, tier, &cover)) y += dir * 0.25 * h;
                    if (!inroom(y)) break;
                    const Spot at{p.x, y, p.end};
                    const Box b = glyph(i, at);
                    // Straight across from the text's nearer end to its line, or to the line's end
                    // where it stops short of the row; none where the line runs by the text.
                    const Box& l = L[i].line;
                    const double X = l.x0, mid = y + kMiddle * h, ty = std::clamp(mid, l.y0, l.y1);
                    far = std::max(far, std::fabs(mid - ty));
                    std::vector<double> lead;
                    if (X < b.x0 - 0.25 * d) lead = {b.x0 - 0.25 * d, mid, X, ty};
                    else if (X > b.x1 + 0.25 * d) lead = {b.x1 + 0.25 * d, mid, X, ty};
                    else if (ty != mid) lead = {X, ty > mid ? b.y1 : b.y0, X, ty};
                    lay->who.push_back(i), lay->at.push_back(at), lay->boxes.push_back(b), lay->covers.push_back(cover);
                    lay->lead.push_back(std::move(lead));
                    if (p.edge) lay->whole = k == 0 ? boxof(b) : lay->whole.with(boxof(b));
                }
                if (lay->who.size() < n) {
                    next[q] = INFINITY;
                    continue;
                }
                next[q] = (p.edge ? s : dir * (lay->at[0].y - start)) + 0.25 * h;
                if (near && far > 1.5 * h) continue;
                if (rowsfree(*lay, p.edge)) return true;
            }
    }
    return false;
}

// A column at level lines (m from the highest), at their end: its texts aligned on the side of
// the lines' run (ending there at the left end, starting there at the right), so that every
// leader starts at one place across; from a start shifted about the height that centres the
// column on its lines, each row the nearest place to its line's height, below the row before,
// that no other line meets (the gaps between rows open over the lines), on a box of its own
// that hides its own line under its text; each leader runs to its line at one distance from
// the column (to its end, where the line ends short of there), so that none crosses another.
// At the lines' end first, then moved along them a text height at a time. Near: shifted a text
// height at most.
bool Planner::levelcolumn(const std::vector<size_t>& m, bool near, Layout* lay) const {
    const size_t n = m.size();
    const Box& r = g.room;
    const int from = L[m.front()].from;
    const bool leftward = from == 1;
    double wmax = 0;
    for (size_t i : m) wmax = std::max(wmax, L[i].w);
    const double lo = r.y0 + 0.2 * h + kDescent * h, hi = r.y1 - 0.2 * h - kAscent * h;
    std::vector<double> target(n);
    for (size_t k = 0; k < n; ++k) target[k] = L[m[k]].line.y0 - kMiddle * h;
    const double width = r.x1 - r.x0, sgn = leftward ? -1 : 1, pitch = g.pitch;
    if (static_cast<double>(n - 1) * pitch > hi - lo) return false;
    auto spot = [&](double x0, double y) { return leftward ? Spot{x0, y, false} : Spot{x0 + wmax, y, true}; };
    const double centre = std::max(0.0, 0.5 * (static_cast<double>(n - 1) * pitch - (target.front() - target.back())));
    const double reach = near ? h : static_cast<double>(n) * pitch + 4 * h, step = near ? 0.25 * h : 0.5 * h;
    std::vector<double> ys(n);
    lay->boxed = true;
    lay->whole = Box{};
    for (double sx = 0; sx <= width; sx += h)
        for (const int dir : {1, -1}) {
            if (dir < 0 && (from != 2 || sx == 0)) continue;
            // The texts' span across [x0, x0 + wmax].
            const double x0 = from == 0 ? r.x0 + d + sx : from == 1 ? r.x1 - d - sx - wmax : 0.5 * (r.x0 + r.x1 - wmax) + dir * sx;
            const double begin = leftward ? x0 - 0.25 * d : x0 + wmax + 0.25 * d;
            if (x0 - 0.15 * h < r.x0 || x0 + wmax + 0.15 * h > r.x1) continue;
            // Of the shifts that keep the rules, the one whose rows stand nearest their lines.
            Layout best;
            double least = INFINITY;
            for (int j = 0; std::abs(j) * step <= reach; j = j > 0 ? -j : -j + 1) {
                bool ok = true;
                for (size_t k = 0; k < n && ok; ++k) {
                    double y = std::min({target[k] + centre + j * step, k == 0 ? hi : ys[k - 1] - pitch, hi});
                    auto fits = [&](double at) {
                        const Spot sp = spot(x0, at);
                        const Box b = glyph(m[k], sp), cover = boxof(b);
                        return rowfree(m[k], inked(m[k], sp), x0, x0 + wmax) && linesfree(m[k], b, nullptr) && textfree(cover) && leaderfree(cover);
                    };
                    while (y >= lo && !fits(y)) y -= 0.25 * h;
                    ys[k] = y;
                    ok = y >= lo;
                }
                if (!ok) continue;
                double len = 0.6 * h;
                for (size_t k = 0; k < n; ++k) len = std::max(len, 0.6 * std::fabs(ys[k] + kMiddle * h - L[m[k]].line.y0));
                lay->who.clear(), lay->at.clear(), lay->boxes.clear(), lay->covers.clear(), lay->lead.clear();
                bool reached = true;
                for (size_t k = 0; k < n && reached; ++k) {
                    const size_t i = m[k];
                    const Box& l = L[i].line;
                    const double to = std::clamp(begin + sgn * len, l.x0, l.x1);
                    reached = sgn * (to - begin) >= 0;
                    const Spot at = spot(x0, ys[k]);
                    const Box b = glyph(i, at);
                    lay->who.push_back(i), lay->at.push_back(at), lay->boxes.push_back(b), lay->covers.push_back(boxof(b));
                    lay->lead.push_back({begin, ys[k] + kMiddle * h, to, l.y0});
                }
                double off = 0;
                for (size_t k = 0; k < n; ++k) off += std::fabs(ys[k] + kMiddle * h - L[m[k]].line.y0);
                if (off < least && reached && rowsfree(*lay, false)) least = off, best = *lay;
            }
            if (least < INFINITY) {
                *lay = std::move(best);
                return true;
            }
        }
    return false;
}

// The first n labels of column c laid out, at the lowest tier that keeps the rules.
bool Planner::trycolumn(size_t c, size_t n, Layout* lay) const {
    const std::vector<size_t> m(columns[c].begin(), columns[c].begin() + static_cast<std::ptrdiff_t>(n));
    const bool up = upright(L[m.front()].line);
    // Rows beside their lines (near) before rows far along them.
    for (const bool near : {true, false}) {
        if (!up && levelcolumn(m, near, lay)) return true;
        for (int tier = 0; up && tier < 2; ++tier)
            if (uprightcolumn(m, tier, near, lay)) return true;
    }
    return false;
}

// Column c placed with as many of its rows as the room holds and the rules allow: its labels in
// the order of their lines (upright ones from the left, level ones from the top), the labels of
// its last lines left out.
void Planner::placecolumn(size_t c) {
    std::vector<size_t>& m = columns[c];
    const bool up = upright(L[m.front()].line);
    std::stable_sort(m.begin(), m.end(), [&](size_t a, size_t b) { return up ? L[a].line.x0 < L[b].line.x0 : L[a].line.y0 > L[b].line.y0; });
    const Box& r = g.room;
    double rows;
    if (up && L[m.front()].from == 0) rows = (g.toprow - kDescent * h - r.y0) / g.pitch;
    else if (up) rows = (r.y1 - kAscent * h - g.footrow) / g.pitch;
    else rows = (r.y1 - r.y0 - 0.4 * h - (kAscent + kDescent) * h) / g.pitch;
    size_t n = rows < 0 ? 0 : std::min(m.size(), static_cast<size_t>(std::floor(rows + 1e-9)) + 1);
    Layout lay, best;
    size_t kept = 0;
    if (n > 0 && trycolumn(c, n, &lay)) {
        kept = n, best = lay;
    } else if (n > 1) {
        // The most rows that find a place (a search over the count: each try is a whole search).
        size_t a = 1, b = n - 1;
        while (a <= b) {
            const size_t k = (a + b) / 2;
            if (trycolumn(c, k, &lay)) kept = k, best = lay, a = k + 1;
            else b = k - 1;
        }
    }
    for (size_t i : m) out[i].omitted = true, out[i].column = static_cast<int>(c);
    // The column's one box goes with the row written first (the first label given).
    if (kept > 0 && best.whole.x1 > best.whole.x0) {
        const size_t first = static_cast<size_t>(std::min_element(best.who.begin(), best.who.begin() + static_cast<std::ptrdiff_t>(kept)) - best.who.begin());
        for (size_t k = 0; k < kept; ++k) best.covers[k] = k == first ? best.whole : Box{};
    }
    for (size_t k = 0; k < kept; ++k) {
        Placed p;
        p.at = best.at[k];
        p.boxed = best.boxed;
        p.cover = best.covers[k];
        p.column = static_cast<int>(c);
        p.leader = best.lead[k];
        for (size_t j = 2; j + 1 < p.leader.size(); j += 2) leaders.push_back({p.leader[j - 2], p.leader[j - 1], p.leader[j], p.leader[j + 1]});
        write(best.who[k], p, !p.leader.empty());
    }
}

}  // namespace labelplace
