// The labels of lines that lie too close together for a label between them, in a column beside
// the lines: one row each in the order of the lines, each joined to its own line by a leader.
//
// At level lines the column stands at an end of the lines (the end where their labels start
// first, then moved along them a text height at a time, then the other end): its texts aligned
// on the side of the lines' run, each row within kReach text heights of its own line, as near
// its height as the rows allow, never with another line at its middle, each on a box of its own
// that hides its own line under its text, no other line along its top; the rows are chosen
// together (the most that find a place, the lines' own labels before the values read off, then
// the least moved), and every leader runs from one place across to its line at one distance
// from the column, so that none crosses another. Beside upright lines the column stands right
// of the rightmost (or left of the leftmost, or in a gap between them, then a text height
// further out at a time, last against the room's edge on one box of the background), its rows
// from the end where the lines' labels start, then from the other, each the next place that
// keeps the rules, each joined to its line by a level leader (to its end, where the line stops
// short of the row).
// A column replaces its labels' places beside their lines only where it keeps more of them.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "common/labelplanner.h"

namespace labelplace {

namespace {

// Answers by a key of 64 bits, in one array (open addressing): asked hundreds of thousands of
// times while a column is chosen, where a node each would cost more than the answer.
class Answers {
public:
    // The answer kept for key, or -1.
    int find(uint64_t key) const {
        if (slots_.empty()) return -1;
        for (size_t k = spread(key) & (slots_.size() - 1);; k = (k + 1) & (slots_.size() - 1)) {
            if (slots_[k].state == 0) return -1;
            if (slots_[k].key == key) return slots_[k].state - 1;
        }
    }
    void keep(uint64_t key, bool answer) {
        if (2 * (count_ + 1) > slots_.size()) grow();
        for (size_t k = spread(key) & (slots_.size() - 1);; k = (k + 1) & (slots_.size() - 1))
            if (slots_[k].state == 0) {
                slots_[k] = {key, static_cast<char>(answer ? 2 : 1)};
                ++count_;
                return;
            }
    }

private:
    struct Slot {
        uint64_t key = 0;
        char state = 0;   // 0 empty, 1 false, 2 true
    };
    static size_t spread(uint64_t x) {
        x ^= x >> 31, x *= 0x7fb5d329728ea185ULL, x ^= x >> 27;
        return static_cast<size_t>(x);
    }
    void grow() {
        std::vector<Slot> old = std::move(slots_);
        slots_.assign(std::max<size_t>(256, 2 * old.size()), Slot{});
        count_ = 0;
        for (const Slot& o : old)
            if (o.state != 0) keep(o.key, o.state == 2);
    }
    std::vector<Slot> slots_;
    size_t count_ = 0;
};

}  // namespace

// The labels of the lines of label f's direction that lie closer to f's line, and to each
// other, than a label between two of them needs.
std::vector<size_t> Planner::cluster(size_t f) const { return clusterof(f).m; }

const Planner::Cluster& Planner::clusterof(size_t f) const {
    if (clusterat.empty()) clusterat.assign(L.size(), -1);
    if (clusterat[f] >= 0) return clusters[static_cast<size_t>(clusterat[f])];
    const bool up = upright(L[f].line);
    std::vector<size_t>& v = bydirection[up];   // the labels of that direction across (once)
    if (v.empty()) v = sorted(up);
    auto close = [&](size_t a, size_t b) {
        const double need = up ? std::max(L[a].w, L[b].w) + 2 * d + 0.1 * h : 1.7 * h;
        return std::fabs(across(L[b].line) - across(L[a].line)) < need;
    };
    // (each run is the longest stretch of v about f whose neighbours are close: the same for
    // every label of it)
    const size_t at = static_cast<size_t>(std::find(v.begin(), v.end(), f) - v.begin());
    if (at == v.size()) {
        clusters.push_back({{f}, {f}, f});
    } else {
        size_t lo = at, hi = at;
        while (lo > 0 && close(v[lo - 1], v[lo])) --lo;
        while (hi + 1 < v.size() && close(v[hi], v[hi + 1])) ++hi;
        Cluster c;
        c.m.assign(v.begin() + static_cast<std::ptrdiff_t>(lo), v.begin() + static_cast<std::ptrdiff_t>(hi) + 1);
        c.byx = c.m;
        if (up) std::stable_sort(c.byx.begin(), c.byx.end(), [&](size_t a, size_t b) { return L[a].line.x0 < L[b].line.x0; });
        c.key = up ? c.byx.front() : *std::min_element(c.m.begin(), c.m.end());
        clusters.push_back(std::move(c));
    }
    const int k = static_cast<int>(clusters.size() - 1);
    for (size_t i : clusters.back().m) clusterat[i] = k;
    clusterat[f] = k;
    return clusters.back();
}

// The labels that found no place beside their lines, with their close neighbours, each run of
// them a column (runs that share a label are one).
void Planner::columns(const std::vector<size_t>& failed) {
    std::vector<std::vector<size_t>> runs;
    std::vector<int> in(L.size(), -1);
    for (const size_t f : failed) {
        if (in[f] >= 0) continue;
        std::vector<size_t> m = cluster(f);
        std::vector<int> joined;
        for (size_t i : m)
            if (in[i] >= 0 && std::find(joined.begin(), joined.end(), in[i]) == joined.end()) joined.push_back(in[i]);
        for (int c : joined) {
            for (size_t i : runs[static_cast<size_t>(c)])
                if (std::find(m.begin(), m.end(), i) == m.end()) m.push_back(i);
            runs[static_cast<size_t>(c)].clear();
        }
        runs.push_back(m);
        for (size_t i : m) in[i] = static_cast<int>(runs.size() - 1);
    }
    int id = 0;
    for (const std::vector<size_t>& m : runs)
        if (m.size() > 1) columnfor(m, &id);
}

// Columns of the labels m, placed, one after another while one keeps any: the rows, and their
// weight.
long Planner::columnsof(const std::vector<size_t>& m, int id, std::vector<Row>* all) {
    std::vector<size_t> rest = m;
    const bool up = upright(L[m.front()].line);
    long w = 0;
    LevelSet set(*this, up ? std::vector<size_t>{} : m);
    if (prior && !up) {
        const auto known = prior->levelstatic.find(set.m);
        if (known != prior->levelstatic.end()) set.before = &known->second;
    }
    for (int c = id; !rest.empty(); ++c) {
        std::vector<Row> rows;
        const long got = up ? uprightcolumn(rest, &rows) : levelcolumn(set, &rows);
        if (got == 0) break;
        w += got;
        for (Row& r : rows) {
            r.as.column = c;
            put(r.label, r.s, &r.as);
            rest.erase(std::find(rest.begin(), rest.end(), r.label));
            if (!up) set.pending[static_cast<size_t>(std::find(set.m.begin(), set.m.end(), r.label) - set.m.begin())] = 0;
            all->push_back(r);
        }
    }
    if (lends && !up) keeplevel(set);
    return w;
}

Planner::Places Planner::placesof(const std::vector<size_t>& who) const {
    Places v;
    for (size_t i : who)
        if (on[i]) v.push_back({i, out[i]});
    return v;
}

void Planner::putback(const Places& v) {
    for (const auto& [i, p] : v) put(i, Site{p.at, p.cover, p.leader}, &p);
}

// The labels m in columns, where they keep more (by weight) than their places beside their lines
// and any place of their own with a leader. Where the columns leave out labels the user wrote,
// they are laid out again with the values read off at other lines set aside (the values give
// way first), which then take their places again where the columns leave them room, else any
// of their own.
void Planner::columnfor(const std::vector<size_t>& m, int* id) {
    auto member = [&](size_t j) { return std::find(m.begin(), m.end(), j) != m.end(); };
    std::vector<size_t> values;
    if (std::any_of(m.begin(), m.end(), [&](size_t i) { return !L[i].value; }))
        for (size_t j : shown)
            if (on[j] && L[j].value && !member(j) && !sharesbox(j)) values.push_back(j);
    long total = 0, aside = 0;
    for (size_t i : m) total += weight(i);
    for (size_t j : values) aside += weight(j);
    total += aside;
    const Places before = placesof(m), valuesbefore = placesof(values);
    std::vector<size_t> both = m;
    both.insert(both.end(), values.begin(), values.end());

    for (size_t i : m) lift(i);
    std::vector<Row> rows;
    long column = columnsof(m, *id, &rows) + aside;
    auto userslost = [&] { return std::any_of(m.begin(), m.end(), [&](size_t i) { return !L[i].value && !on[i]; }); };
    if (column < total && !values.empty() && userslost()) {
        const Places first = placesof(both);
        const std::vector<Row> firstrows = rows;
        for (size_t j : both) lift(j);
        rows.clear();
        long again = columnsof(m, *id, &rows);
        for (const auto& [j, p] : valuesbefore) {
            const Site was{p.at, p.cover, p.leader};
            if (placedfree(j, was)) put(j, was, &p);
            if (on[j] || placeone(j, ALL)) again += weight(j);
        }
        if (again > column) {
            column = again;
        } else {
            for (size_t j : both) lift(j);
            putback(first);
            rows = firstrows;
        }
    }
    if (column < total) {
        // Their places beside their lines, and any of their own for the others, against it.
        const Places columns = placesof(both);
        for (size_t j : both) lift(j);
        putback(before);
        putback(valuesbefore);
        long kept = aside;
        for (size_t i : m)
            if (on[i] || placeone(i, ALL)) kept += weight(i);
        if (column < kept) return;
        for (size_t j : both) lift(j);
        putback(columns);
    }
    for (const Row& r : rows) *id = std::max(*id, r.as.column + 1);
}

// ---- at level lines

// What a lending planner's columns at a run of level lines found of the rules of what the panel
// draws, kept with what it found before of the same run.
void Planner::keeplevel(LevelSet& c) {
    std::vector<Verdicts>& kept = levelstatic[c.m];
    if (kept.empty()) {
        kept = std::move(c.cache);
        return;
    }
    for (size_t a = 0; a < c.cache.size(); ++a) {
        if (kept[a].empty()) kept[a] = std::move(c.cache[a]);
        else
            for (size_t k = 0; k < c.cache[a].size(); ++k)
                if (kept[a][k] == 0 && c.cache[a][k] != 0) kept[a].set(k, c.cache[a][k]);
    }
}

Planner::LevelSet::LevelSet(const Planner& p, const std::vector<size_t>& given) : m(given) {
    if (m.empty()) return;
    const double h = p.h;
    const Box& r = p.g.room;
    std::stable_sort(m.begin(), m.end(), [&](size_t a, size_t b) { return p.L[a].line.y0 > p.L[b].line.y0; });
    n = m.size();
    for (size_t i : m) wmax = std::max(wmax, p.L[i].w);
    q = 0.25 * h;
    const double lo = r.y0 + 0.2 * h + kDescent * h, hi = r.y1 - 0.2 * h - kAscent * h;
    P = static_cast<int>(std::ceil(p.g.pitch / q - 1e-9));
    // The baselines a row may take: within kReach text heights of its line (a hair short of that
    // above it, where the ink of digits sits on the baseline), inside the room, on one grid of
    // quarter heights.
    zlo = INFINITY;
    for (size_t i : m) zlo = std::min(zlo, p.L[i].line.y0 - (kReach + kCapital) * h);
    zlo = std::floor(std::max(zlo, lo) / q) * q;
    slo.resize(n), shi.resize(n);
    for (size_t k = 0; k < n; ++k) {
        const double y = p.L[m[k]].line.y0;
        slo[k] = static_cast<int>(std::ceil((std::max(lo, y - (kReach + kCapital) * h) - zlo) / q - 1e-9));
        shi[k] = static_cast<int>(std::floor((std::min(hi, y + (kReach - 0.05) * h) - zlo) / q + 1e-9));
        S = std::max(S, shi[k] + 1);
    }
    // The slots no place of the column can take: another level line across the whole room runs
    // through the row's box.
    first.resize(n);
    for (size_t k = 0; k < n; ++k) first[k] = entries, entries += static_cast<size_t>(std::max(0, shi[k] - slo[k] + 1));
    all.assign(entries, 1);
    for (size_t k = 0; k < n; ++k) {
        for (int s = slo[k]; s <= shi[k]; ++s) {
            const double z = zlo + s * q;
            all[first[k] + static_cast<size_t>(s - slo[k])] = !p.lines.level(z - (kDescent + 0.05) * h, z + (kAscent + 0.05) * h, [&](size_t j) {
                const Box& l = p.g.refs[j];
                return !p.ownref(m[k], j) && std::min(l.x0, l.x1) <= r.x0 + h && std::max(l.x0, l.x1) >= r.x1 - h;
            });
        }
    }
    // The places across: at the end of the lines where their labels start, then the other end
    // (unless the user gave where), a text height further along at a time.
    const int from = p.L[m.front()].from;
    const bool fixed = std::any_of(m.begin(), m.end(), [&](size_t i) { return p.L[i].given; });
    for (double sx = 0; sx <= r.x1 - r.x0; sx += h) {
        const int ends = fixed || from == 2 ? 1 : 2;
        for (int e = 0; e < ends; ++e) {
            const int end = e == 0 ? from : 1 - from;
            Anchor an{};
            if (end == 0) an = {r.x0 + p.d + sx, 1};
            else if (end == 1) an = {r.x1 - p.d - sx - wmax, -1};
            else an = {0.5 * (r.x0 + r.x1 - wmax) + sx, 1};
            if (an.x0 - 0.15 * h >= r.x0 && an.x0 + wmax + 0.15 * h <= r.x1) anchors.push_back(an);
            if (end == 2 && sx > 0) {
                an = {0.5 * (r.x0 + r.x1 - wmax) - sx, -1};
                if (an.x0 - 0.15 * h >= r.x0 && an.x0 + wmax + 0.15 * h <= r.x1) anchors.push_back(an);
            }
        }
    }
    pending.assign(n, 1);
    cache.assign(anchors.size(), {});
}

long Planner::levelcolumn(LevelSet& c, std::vector<Row>* rows) const {
    const size_t n = c.n;
    const std::vector<size_t>& m = c.m;
    const Box& r = g.room;
    const int S = c.S, P = c.P;
    const double q = c.q, zlo = c.zlo, wmax = c.wmax;
    if (S <= 0) return 0;
    const double big = std::numeric_limits<double>::infinity();
    auto skipcost = [&](size_t k) { return !c.pending[k] ? 0.0 : L[m[k]].value ? 1e4 : 1e9; };
    auto disp = [&](size_t k, int s) { return std::fabs(zlo + s * q + kMiddle * h - L[m[k]].line.y0) / h; };
    std::vector<int> from;   // (these kept from one choice to the next)
    std::vector<double> F, G, best;
    std::vector<int> arg;
    // The rows chosen together, top down: each kept row below the one before by a pitch; the
    // fewest left out by weight, then the least moved. ok (as c.all): row k may stand at slot s.
    auto choose = [&](const std::vector<char>& ok, std::vector<int>* at) {
        // F[s]: the least cost with the last row kept at slot s; F[S]: none kept yet. Only the
        // slots from alo to ahi have been reached (every other is infinite, in G too).
        F.assign(static_cast<size_t>(S) + 1, big), G.assign(F.size(), big);
        F[static_cast<size_t>(S)] = 0;
        int alo = S, ahi = -1;
        const size_t W = F.size();
        // For each row, at its slots: -1 skipped, else the slot before; at any other, skipped.
        from.resize(n * W);
        auto slots = [&](size_t k, int* lo, int* hi) { *lo = std::max(0, c.slo[k]), *hi = std::min(c.shi[k], S - 1); };
        best.resize(F.size() + 1);
        arg.assign(F.size() + 1, -1);
        for (size_t k = 0; k < n; ++k) {
            int lo, hi;
            slots(k, &lo, &hi);
            for (int s = lo; s <= hi; ++s) from[k * W + static_cast<size_t>(s)] = -1;
            // (a row not pending is skipped at no cost: F stays as it is)
            if (!c.pending[k]) continue;
            const double skip = skipcost(k);
            for (int s = alo; s <= ahi; ++s) G[static_cast<size_t>(s)] = F[static_cast<size_t>(s)] + skip;
            G[static_cast<size_t>(S)] = F[static_cast<size_t>(S)] + skip;
            // best[s]: the least F over the states at s or higher (a row at s fits below them),
            // from the lowest asked (that of the row's lowest slot) up; above the slots reached,
            // the state of none kept.
            const int low = std::min(S, std::max(0, lo + P)), reached = ahi;
            best[static_cast<size_t>(reached + 1)] = F[static_cast<size_t>(S)], arg[static_cast<size_t>(reached + 1)] = S;
            for (int s = reached; s >= low; --s) {
                const size_t u = static_cast<size_t>(s);
                best[u] = best[u + 1], arg[u] = arg[u + 1];
                if (F[u] < best[u]) best[u] = F[u], arg[u] = s;
            }
            for (int s = lo; s <= hi; ++s) {
                if (!ok[c.first[k] + static_cast<size_t>(s - c.slo[k])]) continue;
                // The state before: nothing kept (slot S), or a row at s + P or above.
                const int above = std::min(S, s + P);
                double cost = F[static_cast<size_t>(S)];
                int prev = S;
                if (above <= reached && best[static_cast<size_t>(above)] < cost) cost = best[static_cast<size_t>(above)], prev = arg[static_cast<size_t>(above)];
                cost += disp(k, s);
                if (cost < G[static_cast<size_t>(s)]) {
                    G[static_cast<size_t>(s)] = cost, from[k * W + static_cast<size_t>(s)] = prev;
                    alo = std::min(alo, s), ahi = std::max(ahi, s);
                }
            }
            F.swap(G);
        }
        size_t s = static_cast<size_t>(std::min_element(F.begin(), F.end()) - F.begin());
        const double total = F[s];
        at->assign(n, -1);
        for (size_t k = n; k-- > 0;) {
            int lo, hi;
            slots(k, &lo, &hi);
            const int p = static_cast<int>(s) >= lo && static_cast<int>(s) <= hi ? from[k * W + s] : -1;
            if (p == -1) continue;
            (*at)[k] = static_cast<int>(s);
            s = static_cast<size_t>(p);
        }
        return total;
    };
    // The most any place could keep: every slot free but those no place can take.
    std::vector<int> at;
    choose(c.all, &at);
    long most = 0;
    for (size_t k = 0; k < n; ++k)
        if (at[k] >= 0) most += weight(m[k]);

    long bestweight = 0;
    double bestcost = big;
    // What the texts placed (and their boxes) take of each slot's row, for a text without an
    // accent on a capital and one with: a row's box meets a text placed where it meets one of
    // these spans; the same at every place while the column is chosen.
    std::vector<std::vector<std::pair<double, double>>> slotspans(2 * static_cast<size_t>(S));
    auto takenat = [&](int s, bool rises) -> const std::vector<std::pair<double, double>>& {
        std::vector<std::pair<double, double>>& v = slotspans[2 * static_cast<size_t>(s) + rises];
        if (v.empty()) {
            const double y = zlo + s * q;
            takenin({-INFINITY, y - kDescent * h, INFINITY, y + (rises ? kRise : kAscent) * h}, 0, &v);
            mergespans(v);
        }
        return v;
    };
    std::vector<char> ok;   // row k may stand at slot s: ok[first[k] + s - slo[k]]
    std::vector<Row> got;
    std::vector<Box> segs;
    std::vector<std::pair<size_t, size_t>> bad;   // row, slot
    for (size_t a = 0; a < c.anchors.size() && bestweight < most; ++a) {
        const LevelSet::Anchor& an = c.anchors[a];
        auto spot = [&](double z) { return an.dir > 0 ? Spot{an.x0 + wmax, z, true} : Spot{an.x0, z, false}; };
        const double begin = an.dir > 0 ? an.x0 + wmax + 0.25 * d : an.x0 - 0.25 * d;
        // The rules of what the panel draws, asked once a slot and place; those of the labels
        // placed, each time.
        Verdicts& known = c.cache[a];
        known.grow(c.entries);
        ok.assign(c.entries, 0);
        for (size_t k = 0; k < n; ++k) {
            if (!c.pending[k]) continue;
            // A row more than kReach text heights across from its line's run, or whose leader
            // cannot run on to its line, has no slot here.
            const Box& l = L[m[k]].line;
            const Box b = glyph(m[k], spot(0.5 * (r.y0 + r.y1)));
            if (std::max({0.0, l.x0 - b.x1, b.x0 - l.x1}) > kReach * h || (an.dir > 0 ? l.x1 <= begin : l.x0 >= begin)) continue;
            for (int s = std::max(0, c.slo[k]); s <= c.shi[k] && s < S; ++s) {
                const size_t e = c.first[k] + static_cast<size_t>(s - c.slo[k]);
                if (!c.all[e]) continue;
                char v = known[e];
                if (v == 2) continue;   // (ruled out by what the panel draws, asked before)
                Site t;
                t.at = spot(zlo + s * q);
                t.cover = boxof(glyph(m[k], t.at));
                if (v == 0) {
                    const Verdicts* was = c.before && a < c.before->size() && !(*c.before)[a].empty() ? &(*c.before)[a] : nullptr;
                    known.set(e, v = staticnow(was ? (*was)[e] : 0, m[k], t, true));
                }
                // (the texts placed asked first across the row: placedfree asks them of the box)
                const Box p = t.cover.grown(0.5 * h, 0);
                ok[e] =
                    v == 1 && spanclear(takenat(s, L[m[k]].rises), p.x0, p.x1) && placedfree(m[k], t, nullptr, true);
            }
        }
        // The leaders, checked once the rows are chosen; a row whose leader finds no way is
        // taken out of that slot and the rows chosen again.
        got.clear();
        double cost = big;
        for (int round = 0; round < 8; ++round) {
            cost = choose(ok, &at);
            double far = 0;
            for (size_t k = 0; k < n; ++k)
                if (at[k] >= 0) far = std::max(far, disp(k, at[k]) * h);
            const double len = std::max(0.6 * h, 0.6 * far);
            got.clear();
            segs.clear();
            bad.clear();
            for (size_t k = 0; k < n; ++k) {
                if (at[k] < 0) continue;
                const size_t i = m[k];
                const Box& l = L[i].line;
                Row row{i, {}, {}};
                row.s.at = spot(zlo + at[k] * q);
                row.s.cover = boxof(glyph(i, row.s.at));
                const double mid = row.s.at.y + kMiddle * h, to = std::clamp(begin + an.dir * len, l.x0, l.x1);
                bool fine = an.dir * (to - begin) > 0;
                if (fine) leadto(row.s.lead, begin, mid, to, l.y0);
                fine = fine && fits(i, row.s, nullptr, true);
                const Box seg{begin, mid, to, l.y0};
                for (size_t j = 0; fine && j < got.size(); ++j) {
                    const bool close = gap(l, L[got[j].label].line) < kEnds * h;
                    fine = !touches(seg, segs[j], kTouch * h, close) &&
                           (close || hypotcmp(to - segs[j].x1, l.y0 - segs[j].y1, kEnds * h, std::greater_equal<double>()));
                }
                if (!fine) {
                    bad.push_back({k, static_cast<size_t>(at[k] - c.slo[k])});
                    continue;
                }
                row.as.boxed = true;
                row.as.cover = row.s.cover;
                got.push_back(std::move(row));
                segs.push_back(seg);
            }
            if (bad.empty()) break;
            for (const auto& [k, s] : bad) ok[c.first[k] + s] = 0;
            got.clear();
        }
        long w = 0;
        for (const Row& row : got) w += weight(row.label);
        if (w > bestweight || (w == bestweight && w > 0 && cost < bestcost)) bestweight = w, bestcost = cost, *rows = got;
    }
    return bestweight;
}

// ---- beside upright lines

// The places of a column of the labels m (by their lines from the left) beside the run of their
// upright lines: beside the run, no further out than a row may stand from the outermost line, or
// in a gap between its lines (each side of it), where the narrowest text fits (a wider one finds
// no row there; of the gaps, the widest few); then against the room's edge, where each row stands
// beside the lines it labels or over other lines there, by the rules of a row.
std::vector<Planner::ColumnPlace> Planner::uprightplaces(const std::vector<size_t>& m) const {
    const Box& r = g.room;
    double wmax = 0, wmin = INFINITY;
    for (size_t i : m) wmax = std::max(wmax, L[i].w), wmin = std::min(wmin, L[i].w);
    const double xmin = L[m.front()].line.x0, xmax = L[m.back()].line.x0;
    std::vector<ColumnPlace> places;
    std::vector<std::pair<double, double>> gaps;
    for (size_t j = 1; j < m.size(); ++j) {
        const double a = L[m[j - 1]].line.x0, b = L[m[j]].line.x0;
        if (b - a >= wmin + 2 * d) gaps.push_back({a, b});
    }
    constexpr size_t kGaps = 4;
    if (gaps.size() > kGaps) {
        std::partial_sort(gaps.begin(), gaps.begin() + kGaps, gaps.end(),
                          [](const auto& u, const auto& v) { return u.second - u.first > v.second - v.first; });
        gaps.resize(kGaps);
    }
    for (int k = 0; k <= static_cast<int>(kReach); ++k) {
        if (xmax + d + k * h + wmin <= r.x1) places.push_back({xmax + d + k * h, false});
        if (xmin - d - k * h - wmin >= r.x0) places.push_back({xmin - d - k * h, true});
        if (k == 0)
            for (const auto& [a, b] : gaps) places.push_back({a + d, false}), places.push_back({b - d, true});
    }
    places.push_back({r.x1 - 0.25 * h - wmax, false, true});
    places.push_back({r.x0 + 0.25 * h + wmax, true, true});
    return places;
}

// Label i's row at place p of such a column, its baseline at y: straight across from the text's
// nearer end to its line, or to the line's end where it stops short of the row; down or up to it
// where the line runs under the column's box; none where it would be shorter than half a text
// height (the row stands beside its line). Against the room's edge the column's box runs from its
// widest text (wmax) to the edge beside it, and to the room's edge at its end (the lines there
// end under it).
Site Planner::uprightrow(size_t i, const ColumnPlace& p, double y, bool fromtop, double wmax) const {
    Site s;
    uprightrow(i, p, y, fromtop, wmax, &s);
    return s;
}

// The same into *to (its leader's room kept: asked for every row tried).
void Planner::uprightrow(size_t i, const ColumnPlace& p, double y, bool fromtop, double wmax, Site* to) const {
    const Box& r = g.room;
    Site& s = *to;
    s.at = {p.x, y, p.end};
    s.cover = Box{};
    s.lead.clear();
    const Box b = glyph(i, s.at), &l = L[i].line;
    const double X = l.x0, mid = y + kMiddle * h, ty = std::clamp(mid, std::min(l.y0, l.y1), std::max(l.y0, l.y1));
    if (X < b.x0 - 0.25 * d) leadto(s.lead, b.x0 - 0.25 * d, mid, X, ty);
    else if (X > b.x1 + 0.25 * d) leadto(s.lead, b.x1 + 0.25 * d, mid, X, ty);
    else if (ty != mid) leadto(s.lead, X, ty > mid ? b.y1 : b.y0, X, ty);
    if (s.lead.size() == 4 && hypotcmp(s.lead[2] - s.lead[0], s.lead[3] - s.lead[1], 0.5 * h, std::less<double>())) s.lead.clear();
    if (p.edge) {
        const double x0 = p.end ? p.x - wmax : p.x;
        s.cover = {p.end ? r.x0 : x0 - 0.15 * h, fromtop ? b.y0 : r.y0, p.end ? x0 + wmax + 0.15 * h : r.x1, fromtop ? r.y1 : b.y1};
    }
}

// Whether a row without a leader reads as its line's alone: no other line is as near, and its
// line does not strike through its text (unless the column's box at the room's edge hides it).
bool Planner::rowreads(size_t i, const Site& s, bool edge) const {
    const Box b = glyph(i, s.at), &l = L[i].line;
    const double X = l.x0, mid = s.at.y + kMiddle * h, ty = std::clamp(mid, std::min(l.y0, l.y1), std::max(l.y0, l.y1));
    if (!nearest(i, inked(i, s.at))) return false;
    return edge || !(X > b.x0 - 0.5 * d && X < b.x1 + 0.5 * d && ty == mid);
}

long Planner::uprightcolumn(const std::vector<size_t>& given, std::vector<Row>* rows) const {
    std::vector<size_t> m = given;
    std::stable_sort(m.begin(), m.end(), [&](size_t a, size_t b) { return L[a].line.x0 < L[b].line.x0; });
    const size_t n = m.size();
    const Box& r = g.room;
    double wmax = 0;
    for (size_t i : m) wmax = std::max(wmax, L[i].w);
    const std::vector<ColumnPlace> places = uprightplaces(m);
    // The orders of the rows from their end: the lines from the left, from the right; the lines
    // that stop nearest that end first (each row then stands beside its line); then each of
    // those with the lines' own labels before the values read off.
    const bool top = L[m.front()].from == 0;
    auto inroom = [&](double y) { return y - kDescent * h >= r.y0 && y + kAscent * h <= r.y1; };
    long best = 0;
    // Rows beside their lines (leaders level, or nearly) first; then rows past the ends of lines
    // that stop short, led to those ends.
    std::vector<size_t> pos(L.size());   // each label's place among m
    for (size_t k = 0; k < n; ++k) pos[m[k]] = k;
    // A label that finds no row at a place is passed over for the next, up to a few in a row.
    constexpr int kMisses = 3;
    // Whether a row keeps the rules at a place and height (from the column's end): nothing is
    // placed while the column is chosen, so each is asked once across the orders and both passes.
    Answers keeps;
    for (const bool past : {false, true})
        for (const bool fromtop : {top, !top}) {
            const double dir = fromtop ? -1 : 1, start = fromtop ? g.toprow : g.footrow;
            std::vector<std::vector<size_t>> orders{m, {m.rbegin(), m.rend()}};
            // How far a line reaches from the column's end: the one that stops nearest it first.
            auto reach = [&](size_t i) { return fromtop ? -L[i].line.y0 : L[i].line.y1; };
            std::vector<size_t> v = m;
            std::stable_sort(v.begin(), v.end(), [&](size_t a, size_t b) { return reach(a) < reach(b); });
            if (v != orders[0] && v != orders[1]) orders.push_back(v);
            for (size_t k = 0, o = orders.size(); k < o; ++k) {
                std::vector<size_t> u = orders[k];
                std::stable_partition(u.begin(), u.end(), [&](size_t i) { return !L[i].value; });
                if (u != orders[k]) orders.push_back(u);
            }
            // For each label and place, the height from which its row was last looked for in vain,
            // to the room's far end: looking again from there or further on finds none.
            std::vector<double> vain(n * places.size(), NAN);
            std::vector<Row> got;
            std::vector<Box> segs;
            for (size_t pk = 0; pk < places.size(); ++pk)
                for (const std::vector<size_t>& ord : orders) {
                    const ColumnPlace& p = places[pk];
                    got.clear();
                    segs.clear();
                    long w = 0;
                    double y = start;
                    int misses = 0;   // labels in a row that found no row here
                    for (size_t i : ord) {
                        if (misses == kMisses) break;   // the room runs out: the rows after are left out
                        Row row{i, {}, {}};
                        // A text that cannot stand at this place at any height (past the room, or
                        // across a line that runs the room's whole height) has no row here.
                        const double tx0 = p.end ? p.x - L[i].w : p.x;
                        if (!p.edge && (tx0 < r.x0 || tx0 + L[i].w > r.x1 || blockedacross(i, tx0, tx0 + L[i].w))) continue;
                        double& none = vain[pos[i] * places.size() + pk];
                        if (!std::isnan(none) && dir * (y - none) >= 0) continue;
                        const double from = y;
                        bool fine = false, alone = true;   // alone: no row of this column stood in the way
                        for (; inroom(y) && !fine; y += dir * 0.25 * h) {
                            uprightrow(i, p, y, fromtop, wmax, &row.s);
                            const Box& l = L[i].line;
                            if (!past && row.s.lead.size() == 4 && row.s.lead[0] != row.s.lead[2] && std::fabs(row.s.lead[1] - row.s.lead[3]) > 0.5 * h)
                                continue;
                            const uint64_t key = (((static_cast<uint64_t>(i) * places.size() + pk) * 2 + fromtop) << 24) ^
                                                 static_cast<uint64_t>(rowkey(y - r.y0));
                            int known = keeps.find(key);
                            if (known < 0) {
                                known = fits(i, row.s, nullptr, true) ? 1 : 0;
                                keeps.keep(key, known == 1);
                            }
                            const bool ok = known == 1;
                            if (!ok) continue;
                            // A row without a leader reads as its line's only where it reads so alone
                            // and where it shares the band between two close lines with no other such row.
                            if (row.s.lead.empty()) {
                                const Box k = inked(i, row.s.at);
                                if (!rowreads(i, row.s, p.edge)) continue;
                                if (std::any_of(got.begin(), got.end(), [&](const Row& o) {
                                        return o.s.lead.empty() && labat[o.label] != labat[i] && shareband(i, k, o.label, inked(o.label, o.s.at));
                                    })) {
                                    alone = false;
                                    continue;
                                }
                            }
                            // Its text meets no leader of the rows before (the leaders are drawn
                            // over the column's box).
                            const Box text = glyph(i, row.s.at);
                            fine = std::none_of(segs.begin(), segs.end(), [&](const Box& o) { return text.meets(o); });
                            if (!fine) {
                                alone = false;
                                continue;
                            }
                            if (row.s.lead.size() < 4) break;
                            const Box seg{row.s.lead[0], row.s.lead[1], row.s.lead[2], row.s.lead[3]};
                            for (size_t j = 0; fine && j < got.size(); ++j) {
                                const bool close = gap(l, L[got[j].label].line) < kEnds * h;
                                fine = !touches(seg, segs[j], kTouch * h, close) && !glyph(got[j].label, got[j].s.at).meets(seg) &&
                                       (close || hypotcmp(seg.x1 - segs[j].x1, seg.y1 - segs[j].y1, kEnds * h, std::greater_equal<double>()));
                            }
                            if (fine) break;
                            alone = false;
                        }
                        if (!fine) {
                            // No row for this label from here on (nor in another order, where the
                            // column's rows did not stand in its way): the next label looks from here.
                            if (alone) none = from;
                            y = from;
                            ++misses;
                            continue;
                        }
                        misses = 0;
                        if (row.s.lead.size() >= 4) segs.push_back({row.s.lead[0], row.s.lead[1], row.s.lead[2], row.s.lead[3]});
                        else segs.push_back({NAN, NAN, NAN, NAN});
                        row.as.boxed = p.edge;
                        got.push_back(row);
                        w += weight(i);
                        y += dir * g.pitch;
                    }
                    if (w <= best) continue;
                    if (p.edge) {
                        // One box for the column, drawn with the row written first (the first label
                        // given); the others stand on it.
                        for (Row& row : got) row.as.cover = Box{};
                        Box whole = got.front().s.cover;
                        for (const Row& row : got) whole = whole.with(row.s.cover);
                        std::min_element(got.begin(), got.end(), [](const Row& a, const Row& b) { return a.label < b.label; })->as.cover = whole;
                    }
                    best = w, *rows = got;
                    if (got.size() == n) return best;
                }
        }
    return best;
}

}  // namespace labelplace
