// A label of an upright line that neither its own places nor a column kept: a row of its own, as
// a column's row stands, beside another upright line that its level leader crosses (a text
// height out from the gap beside that line at least, so that the leader leaves the text before
// it crosses a line, and kReach heights at most), the nearest to its own line first, at the
// heights its line reaches from the end where its labels start; the leader crosses no data.
#include <algorithm>
#include <cmath>
#include <functional>

#include "common/labelplanner.h"

namespace labelplace {

void mergespans(std::vector<std::pair<double, double>>& v) {
    std::sort(v.begin(), v.end());
    size_t merged = 0;
    for (const auto& q : v) {
        if (merged > 0 && q.first <= v[merged - 1].second) v[merged - 1].second = std::max(v[merged - 1].second, q.second);
        else v[merged++] = q;
    }
    v.resize(merged);
    if (v.empty()) v.push_back({INFINITY, INFINITY});
}

// The places across of label i's row of its own, each by the text's end nearer its line: right of
// a line right of its own (the leader runs left across it) or left of one left of it; the nearest
// to its line first. The same at every height: found once.
const Planner::RowPlaces& Planner::rowplaces(size_t i) const {
    // (the same with the inset or without: a prior planner's, where it found them)
    if (prior && prior->rowsacross[i].known) return prior->rowsacross[i];
    RowPlaces& rp = rowsacross[i];
    if (rp.known) return rp;
    rp.known = true;
    const Box& r = g.room;
    const double X = L[i].line.x0, w = L[i].w;
    std::vector<Across>& xs = rp.xs;
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
    std::sort(xs.begin(), xs.end(), [&](const Across& a, const Across& b) { return std::fabs(a.near - X) < std::fabs(b.near - X); });
    xs.erase(std::unique(xs.begin(), xs.end(), [&](const Across& a, const Across& b) { return a.end == b.end && std::fabs(a.near - b.near) < 1e-6 * h; }),
             xs.end());
    // Each side's places in that order, and whether each side's run outward (where its leader
    // starts and where its text starts): then a side's places that a leader reaches come first.
    for (uint32_t k = 0; k < xs.size(); ++k) rp.side[xs[k].end ? 0 : 1].push_back(k);
    for (int sd = 0; sd < 2; ++sd)
        for (size_t k = 1; k < rp.side[sd].size(); ++k) {
            const Across &a = xs[rp.side[sd][k - 1]], &b = xs[rp.side[sd][k]];
            const bool out = sd == 1 ? a.near - 0.25 * d <= b.near - 0.25 * d && a.near <= b.near
                                     : a.near + 0.25 * d >= b.near + 0.25 * d && a.near - w >= b.near - w;
            if (!out) rp.outward = false;
        }
    // (kept for the whole placement, and lent)
    xs.shrink_to_fit(), rp.side[0].shrink_to_fit(), rp.side[1].shrink_to_fit();
    return rp;
}

bool Planner::placerow(size_t i) {
    const Box& l = L[i].line;
    if (!upright(l)) return false;
    // Where no row was found, none is until a label placed leaves.
    const long lifts = liftsof[0] + liftsof[1];
    if (rowless[i] == lifts) return false;
    rowless[i] = lifts;
    const Box& r = g.room;
    const double X = l.x0, lo = std::min(l.y0, l.y1), hi = std::max(l.y0, l.y1), w = L[i].w;
    const RowPlaces& rp = rowplaces(i);
    const std::vector<Across>& xs = rp.xs;
    if (xs.empty()) return false;
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
    std::vector<uint32_t> found;
    for (double y = top ? r.y1 - kAscent * h : r.y0 + kDescent * h; y - kDescent * h >= r.y0 && y + kAscent * h <= r.y1; y += step) {
        const double mid = y + kMiddle * h;
        if (mid < lo || mid > hi) continue;   // a level leader reaches its line only where the line runs
        if (rowroom(y) < w) continue;         // nowhere on the row is room for the text
        // What a text on this row keeps clear of across, the same for every label while nothing
        // is placed or taken away: the texts placed (half a text height apart), the lines (but
        // its own, which never runs under a row), fitted lines and markers (a little apart);
        // merged, in order.

        // The places the leaders reach (nearest first, up to the first on each side that they
        // do not), where the text finds room.
        const auto& stops = rowstops(y);
        const auto& crossing = rowlines(y);
        // Whether a line its leader crosses stands within kBeside heights of the text (beside it).
        auto beside = [&](const Across& p) {
            const double a = p.end ? std::max(p.near, std::min(X, p.near)) : std::max(X, p.near - kBeside * h);
            const double b = p.end ? std::min(X, p.near + kBeside * h) : p.near;
            for (auto it = std::upper_bound(crossing.begin(), crossing.end(), a); it != crossing.end() && *it < b; ++it)
                if (std::fabs(*it - X) > 1e-9 * (1 + std::fabs(X))) return true;
            return false;
        };
        const double left = open(stops, -1), right = open(stops, 1);
        const auto& busy = rowbusy(y);
        const auto& texts = rowtexts(y, L[i].descends);
        near.clear();
        auto fine = [&](const Across& p) {
            const double x0 = p.end ? p.near - w : p.near;
            return spanclear(busy, x0, x0 + w) && spanclear(texts, x0, x0 + w) && !beside(p);
        };
        if (!rp.outward) {
            // The places in order, each side up to the first its leader does not reach, while
            // either side has places left.
            bool ways[2] = {true, true};
            for (const Across& p : xs) {
                if (!ways[0] && !ways[1]) break;
                const double from = p.end ? p.near + 0.25 * d : p.near - 0.25 * d;
                if (p.end ? from <= left : from >= right) ways[p.end ? 0 : 1] = false;
                else if (fine(p)) near.push_back(p);
            }
        } else {
            // The same where each side's places run outward: each side's places that its leader
            // reaches (those before the first it does not: every one after is further out), of
            // them only those whose texts stand in a gap of the row as wide as the text (their
            // starts found by halves), in the order of the places.
            found.clear();
            for (int sd = 0; sd < 2; ++sd) {
                const std::vector<uint32_t>& v = rp.side[sd];
                auto from = [&](uint32_t k) { return sd == 0 ? xs[k].near + 0.25 * d : xs[k].near - 0.25 * d; };
                auto start = [&](uint32_t k) { return sd == 0 ? xs[k].near - w : xs[k].near; };
                const size_t n = static_cast<size_t>(std::partition_point(v.begin(), v.end(), [&](uint32_t k) { return sd == 0 ? from(k) > left : from(k) < right; }) -
                                                     v.begin());
                if (n == 0) continue;
                // The starts ascending: [a, b) of the places reached, by start.
                auto within = [&](double a, double b) {
                    if (sd == 1) {
                        auto lo = std::lower_bound(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(n), a, [&](uint32_t k, double x) { return start(k) < x; });
                        for (; lo != v.begin() + static_cast<std::ptrdiff_t>(n) && start(*lo) <= b; ++lo) found.push_back(*lo);
                    } else {
                        auto lo = std::lower_bound(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(n), b, [&](uint32_t k, double x) { return start(k) > x; });
                        for (; lo != v.begin() + static_cast<std::ptrdiff_t>(n) && start(*lo) >= a; ++lo) found.push_back(*lo);
                    }
                };
                const double first = std::min(start(v.front()), start(v[n - 1])), last = std::max(start(v.front()), start(v[n - 1]));
                // The gaps between what the row holds and what the text's ink keeps clear of (a
                // text fits one only from its start to its width before its end, a hair more for
                // the rounding of that end): both lists swept together, by where their spans start.
                auto after = [&](const std::vector<std::pair<double, double>>& u) {
                    return std::upper_bound(u.begin(), u.end(), first, [](double x, const std::pair<double, double>& q) { return x < q.second; });
                };
                auto ia = after(busy), ib = after(texts);
                double gap0 = -INFINITY;
                if (ia != busy.begin()) gap0 = std::prev(ia)->second;
                if (ib != texts.begin()) gap0 = std::max(gap0, std::prev(ib)->second);
                for (;;) {
                    const double fa = ia == busy.end() ? INFINITY : ia->first, fb = ib == texts.end() ? INFINITY : ib->first;
                    const double gap1 = std::min(fa, fb);
                    const double slack = 1e-9 * (std::fabs(gap1) + w + 1);
                    if (gap1 - gap0 >= w - slack) within(gap0, gap1 - w + slack);
                    if (gap1 == INFINITY) break;
                    gap0 = std::max(gap0, fa <= fb ? (ia++)->second : (ib++)->second);
                    if (gap0 > last) break;
                }
            }
            std::sort(found.begin(), found.end());
            found.erase(std::unique(found.begin(), found.end()), found.end());
            for (const uint32_t k : found)
                if (fine(xs[k])) near.push_back(xs[k]);
        }
        for (const Across& p : near) {
            const double from = p.end ? p.near + 0.25 * d : p.near - 0.25 * d;
            Site s;
            s.at = {p.near, y, p.end};
            leadto(s.lead, from, mid, X, mid);
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
// The spans across of the texts placed (and the boxes they stand on) that reach into the band's
// height, each widened by `wide` either way; added to *v, not merged.
void Planner::takenin(const Box& band, double wide, std::vector<std::pair<double, double>>* v) const {
    taken.any(band, [&](const Grid::Item& o) {
        if (o.b.y0 < band.y1 && band.y0 < o.b.y1) v->push_back({o.b.x0 - wide, o.b.x1 + wide});
        return false;
    });
}

// Whether the texts placed (and the boxes they stand on) leave x0 to x1 free on the row at
// baseline y (its glyphs' height), by the row kept while nothing is placed or taken away.
bool Planner::takenclear(double y, double x0, double x1) const {
    if (roomtaken.empty()) {
        roomtakenfrom = rowkey(g.room.y0) - 1;
        const int64_t n = rowkey(g.room.y1) - roomtakenfrom + 2;
        roomtaken.resize(static_cast<size_t>(std::clamp<int64_t>(n, 1, 1 << 20)));
    }
    const int64_t key = rowkey(y), slot = key - roomtakenfrom;
    // (the texts across the row's band, merged: asked only where the row is not known)
    auto find = [&](std::vector<std::pair<double, double>>* v) {
        takenin({g.room.x0 - 2 * h, y - kDescent * h, g.room.x1 + 2 * h, y + kAscent * h}, 0, v);
        mergespans(*v);
    };
    if (slot >= 0 && slot < static_cast<int64_t>(roomtaken.size())) {
        TakenRow& t = roomtaken[static_cast<size_t>(slot)];
        if (t.at != changes) {
            if (poolat != changes) takenpool.clear(), poolat = changes;
            takenscratch.clear();
            find(&takenscratch);
            t.at = changes;
            t.from = static_cast<uint32_t>(takenpool.size()), t.count = static_cast<uint32_t>(takenscratch.size());
            takenpool.insert(takenpool.end(), takenscratch.begin(), takenscratch.end());
        }
        const std::pair<double, double>* v = takenpool.data() + t.from;
        return spanclear(v, v + t.count, x0, x1);
    }
    if (takenat != changes) {
        rowstaken.clear();
        takenat = changes;
    }
    std::vector<std::pair<double, double>>& v = rowstaken[key];
    if (v.empty()) find(&v);
    return spanclear(v, x0, x1);
}

// How wide a text on the row at baseline y may stand from x (rightwards, or leftwards where it
// ends there) clear of what a text there keeps clear of across that no label changes (a text
// with a descender reaching lower): 0 where something stands at x.
double Planner::rowwide(double y, double x, bool end, bool descends) const {
    double wide = end ? x - g.room.x0 : g.room.x1 - x;
    for (const auto* v : {&rowfixed(y), &rowtexts(y, descends)}) {
        if (end) {
            auto it = std::lower_bound(v->begin(), v->end(), x, [](const std::pair<double, double>& q, double u) { return q.first < u; });
            if (it == v->begin()) continue;
            --it;
            wide = std::min(wide, std::max(0.0, x - it->second));
        } else {
            const auto it = std::upper_bound(v->begin(), v->end(), x, [](double u, const std::pair<double, double>& q) { return u < q.second; });
            if (it != v->end()) wide = std::min(wide, std::max(0.0, it->first - x));
        }
    }
    return wide;
}

// Whether a text of label i across x0 to x1 on the row at baseline y meets none of what a text
// there keeps clear of across (the texts placed, the lines, fitted lines and markers, the panel's
// texts and the inset): a quick look before the rules, which it never contradicts.
bool Planner::rowclear(size_t i, double y, double x0, double x1) const {
    return spanclear(rowbusy(y), x0, x1) && spanclear(rowtexts(y, L[i].descends), x0, x1);
}

// The rows of the column of label i's run that it may take alone (the places there may have come
// free since the columns were laid out), in the order they are preferred, each with how it is
// drawn: at each place of a column beside its upright lines, at each height from the end where
// its labels start (a row without a leader only where it reads as its line's alone), or at each
// anchor and slot of a column at its level lines, on its box; calls f with each that keeps the
// rules of what the panel draws, until f returns true; whether it did.
bool Planner::columnrows(size_t i, bool movable, const std::function<bool(const Site&, const Placed&)>& f) const {
    if (!rowsknown[i]) {
        rowsknown[i] = 1;
        knowrows(i);
        rowsof[i].runs.shrink_to_fit();
        // (what the panel draws said of each row, kept by its number: room for them all at once)
        rowstatic[i].grow(rowsof[i].end());
        runkey[i] = clusterof(i).key;
    }
    if (rowsof[i].empty()) return false;
    Placed as;
    // What the panel draws lets each row be taken or not, asked once.
    Verdicts& known = rowstatic[i];
    auto keeps = [&](size_t at, const Site& s) {
        char v = known[at];
        if (v == 0) known.set(at, v = staticnow(prior ? prior->rowstatic[i][at] : 0, i, s, true));
        return v == 1;
    };
    // (a row that keeps ruled out when asked before is passed by at once)
    auto ruledout = [&](size_t at) { return known[at] == 2; };
    if (upright(L[i].line)) {
        const Run& run = runs.at(runkey[i]);
        Site s;
        for (const auto& [from, count] : rowsof[i].runs)
            for (uint32_t at = from; at < from + count; ++at) {
                const size_t pk = at / (2 * run.heights), fromtop = at / run.heights % 2, z = at % run.heights;
                const ColumnPlace& p = run.places[pk];
                const double y = (fromtop ? g.toprow : g.footrow) + (fromtop ? -0.25 : 0.25) * h * static_cast<double>(z);
                ++work;
                if (ruledout(at)) continue;
                const Box b = glyph(i, {p.x, y, p.end});
                if (!movable && !(journaling ? textfree(b) : takenclear(y, b.x0 - 0.5 * h, b.x1 + 0.5 * h))) continue;
                uprightrow(i, p, y, fromtop, run.wmax, &s);
                if (!keeps(at, s) || (s.lead.empty() && !rowreads(i, s, p.edge))) continue;
                as.boxed = p.edge, as.cover = s.cover;
                if (f(s, as)) return true;
            }
        return false;
    }
    const LevelSet& c = levelsets.at(runkey[i]);
    const Box& l = L[i].line;
    Site s;
    for (const auto& [from, count] : rowsof[i].runs)
        for (uint32_t at = from; at < from + count; ++at) {
            ++work;
            if (ruledout(at)) continue;
            const size_t a = at / static_cast<size_t>(c.S), z = at % static_cast<size_t>(c.S);
            const LevelSet::Anchor& an = c.anchors[a];
            const double begin = an.dir > 0 ? an.x0 + c.wmax + 0.25 * d : an.x0 - 0.25 * d, y = c.zlo + static_cast<double>(z) * c.q;
            s.at = an.dir > 0 ? Spot{an.x0 + c.wmax, y, true} : Spot{an.x0, y, false};
            s.cover = boxof(glyph(i, s.at));
            const double mid = y + kMiddle * h, to = std::clamp(begin + an.dir * std::max(0.6 * h, 0.6 * std::fabs(mid - l.y0)), l.x0, l.x1);
            leadto(s.lead, begin, mid, to, l.y0);
            if (!movable && !(journaling ? textfree(s.cover) : takenclear(y, s.cover.x0 - 0.5 * h, s.cover.x1 + 0.5 * h))) continue;
            if (!keeps(at, s)) continue;
            as.boxed = true, as.cover = s.cover;
            if (f(s, as)) return true;
        }
    return false;
}

// The rows of the column of label i's run where a text as wide as its may stand, that nothing the
// panel draws crosses (the same for every label of the run), found once, in the order they are
// preferred, each by its number: upright by place, end and height; level by anchor and slot.
void Planner::knowrows(size_t i) const {
    RowRuns& out = rowsof[i];
    // (upright, from the left)
    const std::vector<size_t> m = clusterof(i).byx;
    if (m.size() < 2) return;
    const Box& r = g.room;
    const double w = L[i].w;
    if (upright(L[i].line)) {
        Run& run = runs[m.front()];
        if (run.places.empty()) {
            run.first = m.front();
            run.places = uprightplaces(m);
            for (size_t j : m) run.wmax = std::max(run.wmax, L[j].w);
            run.heights = static_cast<size_t>((r.y1 - r.y0) / (0.25 * h)) + 2;
            for (auto& v : run.wide) v.assign(run.places.size() * 2 * run.heights, -1);
            run.edge.assign(run.places.size() * 2, -1);
            for (auto& v : run.edgeclear) v.assign(run.places.size() * 2, 0);
        }
        const bool top = L[m.front()].from == 0;
        for (size_t pk = 0; pk < run.places.size(); ++pk) {
            const ColumnPlace& p = run.places[pk];
            const double tx0 = p.end ? p.x - w : p.x;
            if (!p.edge && (tx0 < r.x0 || tx0 + w > r.x1 || blockedacross(i, tx0, tx0 + w))) continue;
            for (const bool fromtop : {top, !top}) {
                const double y0 = fromtop ? g.toprow : g.footrow, dy = (fromtop ? -0.25 : 0.25) * h;
                int& last = run.edge[pk * 2 + fromtop];   // the rows on the box at the edge: how many
                // (where no box there met anything for a label as high as this one, none does)
                char& clear = run.edgeclear[L[i].rises][pk * 2 + fromtop];
                size_t z = 0;
                for (double y = y0; y - kDescent * h >= r.y0 && y + kAscent * h <= r.y1; y += dy, ++z) {
                    const uint32_t at = static_cast<uint32_t>((pk * 2 + fromtop) * run.heights + z);
                    if (p.edge) {
                        // (the box of a row at the room's edge reaches the room's end: where a
                        // fitted line or a marker meets it, every box further from the end does)
                        if (last >= 0 && static_cast<int>(z) >= last) break;
                        if (last < 0 && !clear) {
                            const Site s = uprightrow(i, p, y, fromtop, run.wmax);
                            if (ink.any(s.cover, [&](const Box& k) { return s.cover.meets(k); }) ||
                                marks.any(s.cover, [&](const Box& k) { return s.cover.overlaps(k); })) {
                                last = static_cast<int>(z);
                                break;
                            }
                        }
                        out.add(at);
                        continue;
                    }
                    float& wide = run.wide[L[i].descends][at];
                    if (wide < 0) wide = static_cast<float>(rowwide(y, p.x, p.end, L[i].descends));
                    if (w <= wide) out.add(at);
                }
                if (p.edge && last < 0) clear = 1;
            }
        }
        return;
    }
    const size_t first = *std::min_element(m.begin(), m.end());
    auto known = levelsets.find(first);
    if (known == levelsets.end()) known = levelsets.emplace(first, LevelSet(*this, m)).first;
    LevelSet& c = known->second;
    if (c.wide.empty()) c.wide.assign(c.anchors.size() * static_cast<size_t>(std::max(c.S, 0)), -1);
    const size_t k = static_cast<size_t>(std::find(c.m.begin(), c.m.end(), i) - c.m.begin());
    const Box& l = L[i].line;
    for (size_t a = 0; a < c.anchors.size(); ++a) {
        const LevelSet::Anchor& an = c.anchors[a];
        const double begin = an.dir > 0 ? an.x0 + c.wmax + 0.25 * d : an.x0 - 0.25 * d;
        for (int z = std::max(0, c.slo[k]); z <= c.shi[k] && z < c.S; ++z) {
            if (!c.all[c.first[k] + static_cast<size_t>(z - c.slo[k])]) continue;
            const size_t at = a * static_cast<size_t>(c.S) + static_cast<size_t>(z);
            const double y = c.zlo + z * c.q;
            float& wide = c.wide[at];
            if (wide < 0) wide = static_cast<float>(std::max(0.0, coverwide(y, an.dir > 0 ? an.x0 + c.wmax + 0.15 * h : an.x0 - 0.15 * h, an.dir > 0) - 0.3 * h));
            if (w > wide) continue;
            const double mid = y + kMiddle * h, to = std::clamp(begin + an.dir * std::max(0.6 * h, 0.6 * std::fabs(mid - l.y0)), l.x0, l.x1);
            if (an.dir * (to - begin) > 0) out.add(static_cast<uint32_t>(at));
        }
    }
}

// How wide a box on the row at baseline y may stand from x (rightwards, or leftwards where it
// ends there) that no line runs across, no fitted line or marker meets.
double Planner::coverwide(double y, double x, bool end) const {
    const auto& v = rowcrossed(y);
    if (end) {
        auto it = std::lower_bound(v.begin(), v.end(), x, [](const std::pair<double, double>& q, double u) { return q.first < u; });
        if (it == v.begin()) return x - g.room.x0;
        --it;
        return it->second >= x ? 0.0 : std::min(x - it->second, x - g.room.x0);
    }
    const auto it = std::lower_bound(v.begin(), v.end(), x, [](const std::pair<double, double>& q, double u) { return q.second < u; });
    if (it == v.end() || !std::isfinite(it->first)) return g.room.x1 - x;
    return it->first <= x ? 0.0 : std::min(it->first - x, g.room.x1 - x);
}

// A label the columns left out, alone in a row of the column of its run: the first that keeps the
// rules among the labels placed.
bool Planner::placecolumnrow(size_t i) {
    const long lifts = liftsof[0] + liftsof[1];
    if (columnless[i] == lifts) return false;   // none since no label placed has left
    columnless[i] = lifts;
    return columnrows(i, false, [&](const Site& s, const Placed& as) {
        if (!placedfree(i, s, nullptr, true)) return false;
        put(i, s, &as);
        return true;
    });
}

// Any place of label i: its own, a row of the column of its run, a row beside other lines.
bool Planner::placeanywhere(size_t i) { return placeone(i, ALL) || placecolumnrow(i) || placerow(i); }

const std::vector<std::pair<double, double>>& Planner::rowstops(double y) const {
    const Box& r = g.room;
    if (stopsat != changes) {
        rowsstops.clear();
        stopsat = changes;
    }
    std::vector<std::pair<double, double>>& stops = rowsstops[rowkey(y)];
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
    mergespans(stops);
    return stops;
}

// What the ink of a text on the row at baseline y keeps clear of across that the labels do not
// change: the panel's texts (two text heights across, half a height up and down) and the inset
// (a text height); merged, in order. A text with a descender reaches lower.
const std::vector<std::pair<double, double>>& Planner::rowtexts(double y, bool descends) const {
    const Box& r = g.room;
    std::vector<std::pair<double, double>>& v = rowspanel[rowkey(y) * 2 + descends];
    if (!v.empty()) return v;
    const Box k{r.x0 - h, descends ? y - kDescent * h : y - kOvershoot * h, r.x1 + h, y + kAscent * h};
    const Box wide = k.grown(2 * h, 0.5 * h);
    texts.any(wide, [&](const Box& o) {
        if (wide.overlaps(o)) v.push_back({o.x0 - 2 * h, o.x1 + 2 * h});
        return false;
    });
    if (g.inset && k.grown(h, h).overlaps(g.insetbox)) v.push_back({g.insetbox.x0 - h, g.insetbox.x1 + h});
    mergespans(v);
    v.shrink_to_fit();
    return v;
}

// Where the upright lines that reach the middle of the row at baseline y stand, in order.
const std::vector<double>& Planner::rowlines(double y) const {
    const Box& r = g.room;
    std::vector<double>& v = rowsupright[rowkey(y)];
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

// What crosses a row at baseline y on a box of the background whatever stands there: the
// upright lines that run on past the box above and below it, fitted lines and markers; merged,
// in order (kept for the run: the labels change none of it).
const std::vector<std::pair<double, double>>& Planner::rowcrossed(double y) const {
    const Box& r = g.room;
    std::vector<std::pair<double, double>>& v = rowscrossed[rowkey(y)];
    if (!v.empty()) return v;
    const Box m{r.x0 - h, y - kDescent * h, r.x1 + h, y + kAscent * h};
    lines.upright(m.x0, m.x1, [&](size_t k) {
        const Box& q = g.refs[k];
        if (std::min(q.y0, q.y1) < m.y0 && std::max(q.y0, q.y1) > m.y1) v.push_back({q.x0, q.x0});
        return false;
    });
    ink.any(m, [&](const Box& k) {
        double t0, t1;
        if (m.meets(k.x0, k.y0, k.x1, k.y1, &t0, &t1)) {
            const double xa = k.x0 + t0 * (k.x1 - k.x0), xb = k.x0 + t1 * (k.x1 - k.x0);
            v.push_back({std::min(xa, xb), std::max(xa, xb)});
        }
        return false;
    });
    marks.any(m, [&](const Box& k) {
        if (m.overlaps(k)) v.push_back({k.x0, k.x1});
        return false;
    });
    mergespans(v);
    v.shrink_to_fit();
    return v;
}

// The widest stretch of the row at baseline y that what a text there keeps clear of across leaves
// free: no text wider stands anywhere on it.
double Planner::rowroom(double y) const {
    const std::vector<std::pair<double, double>>& busy = rowbusy(y);
    const int64_t key = rowkey(y);
    const auto known = rowsroom.find(key);
    if (known != rowsroom.end() && roomat == changes) return known->second;
    if (roomat != changes) rowsroom.clear(), roomat = changes;
    double x = g.room.x0, most = 0;
    for (const auto& [a, b] : busy) {
        if (!std::isfinite(a)) break;
        most = std::max(most, std::min(a, g.room.x1) - x);
        x = std::max(x, b);
    }
    most = std::max(most, g.room.x1 - x);
    rowsroom[key] = most;
    return most;
}

const std::vector<std::pair<double, double>>& Planner::rowbusy(double y) const {
    if (rowsat != changes) {
        rowsbusy.clear();
        rowsat = changes;
    }
    std::vector<std::pair<double, double>>& busy = rowsbusy[rowkey(y)];
    if (!busy.empty()) return busy;
    const Box& r = g.room;
    takenin({r.x0 - h, y - kDescent * h, r.x1 + h, y + kAscent * h}, 0.5 * h, &busy);
    for (const auto& q : rowfixed(y))
        if (std::isfinite(q.first)) busy.push_back(q);
    mergespans(busy);
    return busy;
}

// The lines, fitted lines and markers a text on the row at baseline y keeps clear of across (a
// little apart); merged, in order; kept for the run.
const std::vector<std::pair<double, double>>& Planner::rowfixed(double y) const {
    std::vector<std::pair<double, double>>& busy = rowsfixed[rowkey(y)];
    if (!busy.empty()) return busy;
    const Box& r = g.room;
    const Box band{r.x0 - h, y - kDescent * h, r.x1 + h, y + kAscent * h};
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
    mergespans(busy);
    busy.shrink_to_fit();   // (kept for every row of the run)
    return busy;
}

}  // namespace labelplace
