// Room made for a label that found no place: a place of its own where the labels placed before
// that stand in the way can move: for a line's own label the values read off in the way give
// way, however many stand there, and then look for other places (the values go before the labels
// the user wrote); of the others, one moves to another place of its own. Then, wider, a row of
// the column of its run too (first: they are few, and the places of its own, each with others
// moved, may take all the work there is), where up to two others move to another place of their
// own or a row of their column's, or make room there in turn (a chain of two moves); a label
// moved on never takes the place back from the one it made room for. Last, one or two labels
// placed in the way of labels the user wrote leave where more of them stand then. At the very
// last, the columns that alone stand in the way of a label left out are laid out again around it.
#include <algorithm>

#include "common/labelplanner.h"

namespace labelplace {

namespace {
constexpr long kMoveWork = 64;   // a move walks every place of the label moved
constexpr int kInTheWay = 2;     // the labels in the way that may move at once
constexpr int kRegroup = 24;     // the most labels laid out again around a label left out
constexpr int kRegroups = 6;     // the groups of columns in its way a label left out tries
constexpr int kFreedRows = 32;   // the labels left out that try the rows such columns freed
}  // namespace

bool Planner::makeroom(size_t i, bool wide) {
    const long start = work;
    journal.clear();
    journaling = true;
    wider = wide;
    const bool done = roomfor(i, wide ? 1 : 0, start + budget);
    journaling = false;
    journal.clear();
    budget -= work - start;
    return done;
}

// Label i at a place where the labels in its way move (depth: how many moves a label that moves
// may make room for in turn), within the work up to stop.
bool Planner::roomfor(size_t i, int depth, long stop) {
    auto at = [&](const Site& s, const Placed* as, bool row) {
        if (work > stop) return true;
        std::vector<int> who;
        if (!placedfree(i, s, &who, row)) return false;
        std::sort(who.begin(), who.end());
        who.erase(std::unique(who.begin(), who.end()), who.end());
        // The rows of a column on one box stay: the others stand on its box. Where every row of
        // that box is a value read off, they give way to a label the user wrote together.
        std::vector<size_t> values, others;
        for (int j : who) {
            const size_t u = static_cast<size_t>(j);
            if (!sharesbox(u)) {
                (!L[i].value && L[u].value ? values : others).push_back(u);
                continue;
            }
            if (L[i].value) return false;
            if (std::find(values.begin(), values.end(), u) != values.end()) continue;   // (its box's rows taken)
            for (size_t k : shown)
                if (on[k] && out[k].column == out[u].column && sharesbox(k)) {
                    if (!L[k].value) return false;
                    if (std::find(values.begin(), values.end(), k) == values.end()) values.push_back(k);
                }
        }
        if (others.size() > (wider ? static_cast<size_t>(kInTheWay) : 1)) return false;
        const size_t mark = journal.size();
        work += kMoveWork * static_cast<long>(others.size() + values.size());
        for (size_t j : values) lift(j);
        for (size_t j : others) lift(j);
        put(i, s, as);
        bool fine = true;
        // (a label that moves takes a place of its own or a row of its column's; the rows beside
        // other lines, which ask the whole panel, are left to the rounds after the moves)
        auto moves = [&](size_t j) { return placeone(j, ALL) || (wider && placecolumnrow(j)); };
        for (size_t j : others)
            fine = fine && (moves(j) || (depth > 0 && work <= stop && roomfor(j, depth - 1, stop)));
        // (a label moved on may not take the place back from the one it made room for: the
        // values give way to a label the user wrote, and a value making room is one)
        if (fine && on[i]) {
            for (size_t j : values) moves(j);
            return true;
        }
        undo(mark);
        return false;
    };
    if (wider && columnrows(i, true, [&](const Site& s, const Placed& as) { return at(s, &as, true); })) return on[i];
    return eachplace(i, ALL, [&](const Site& s, int kind, size_t n) { return staticat(i, kind, n, s) && at(s, nullptr, false); }) && on[i];
}

// The labels the user wrote still left out, each where one label placed stands in its way, then
// where two do (those found first: the fewer labels leave), within the work given.
void Planner::exchanges(long allowed) {
    budget = allowed;
    for (size_t n = 1; n <= static_cast<size_t>(kInTheWay); ++n)
        for (size_t i : order)
            if (!on[i] && !L[i].value && budget > 0) {
                const long start = work;
                exchange(i, start + budget, n);
                budget -= work - start;
            }
}

// Label i (one the user wrote) where at most `most` labels placed stand in the way: they leave,
// and the labels the user wrote left out near them try their places again, then they; kept where
// what stands then weighs more than before (a long text on a crowded line where two short ones
// fit leaves them the room; a value gives way to a label), each group in the way tried once;
// within the work up to stop. (The values left out take what room is left after, as before.)
bool Planner::exchange(size_t i, long stop, size_t most) {
    std::vector<std::vector<int>> asked;   // the labels in the way tried, together
    std::vector<int> who;
    return eachplace(i, ALL, [&](const Site& s, int kind, size_t n) {
        if (work > stop) return true;
        if (!staticat(i, kind, n, s)) return false;
        // (with who: whether only labels placed stand in the way, and which)
        who.clear();
        if (!placedfree(i, s, &who)) return false;
        std::sort(who.begin(), who.end());
        who.erase(std::unique(who.begin(), who.end()), who.end());
        if (who.empty()) return put(i, s), true;
        if (who.size() > most) return false;
        if (std::any_of(who.begin(), who.end(), [&](int j) { return sharesbox(static_cast<size_t>(j)); }) ||
            std::find(asked.begin(), asked.end(), who) != asked.end())
            return false;
        asked.push_back(who);
        // (a label whose places lie away from the room they leave gains nothing from it)
        Box freed = takes(static_cast<size_t>(who.front()));
        for (size_t q = 1; q < who.size(); ++q) freed = freed.with(takes(static_cast<size_t>(who[q])));
        journal.clear();
        journaling = true;
        long gain = 0;
        for (const int j : who) lift(static_cast<size_t>(j)), gain -= weight(static_cast<size_t>(j));
        if (placedfree(i, s)) {
            put(i, s);
            gain += weight(i);
            for (size_t k : order)
                if (!on[k] && !L[k].value && std::find(who.begin(), who.end(), static_cast<int>(k)) == who.end() && work <= stop &&
                    zoneof(k).overlaps(freed) && placeone(k, ALL))
                    gain += weight(k);
            for (const int j : who)
                if (placeone(static_cast<size_t>(j), ALL)) gain += weight(static_cast<size_t>(j));
        }
        journaling = false;
        if (gain > 0 && on[i]) return journal.clear(), true;
        undo(0);
        journal.clear();
        return false;
    }) && on[i];
}

bool Planner::besidecolumn(size_t i, long stop) {
    std::vector<std::vector<int>> asked;   // the columns in the way tried, together
    std::vector<int> who, cols;
    return eachplace(i, ALL, [&](const Site& s, int kind, size_t n) {
        if (work > stop) return true;
        if (!staticat(i, kind, n, s)) return false;
        who.clear();
        if (!placedfree(i, s, &who)) return false;
        if (who.empty()) return put(i, s), true;
        // (the columns of the labels in the way, at most two; a label in no column may leave too)
        cols.clear();
        std::vector<size_t> alone;
        for (int j : who) {
            const size_t u = static_cast<size_t>(j);
            if (out[u].column < 0) {
                if (std::find(alone.begin(), alone.end(), u) == alone.end()) alone.push_back(u);
            } else if (std::find(cols.begin(), cols.end(), out[u].column) == cols.end()) {
                cols.push_back(out[u].column);
            }
        }
        std::sort(cols.begin(), cols.end());
        if (cols.empty() || cols.size() > 2 || alone.size() > 1 || std::find(asked.begin(), asked.end(), cols) != asked.end())
            return false;
        if (asked.size() >= static_cast<size_t>(kRegroups)) return true;
        asked.push_back(cols);
        std::vector<std::vector<size_t>> m(cols.size());
        std::vector<size_t> all = alone;
        int id = 0;
        for (size_t k = 0; k < L.size(); ++k) {
            if (on[k]) id = std::max(id, out[k].column + 1);
            for (size_t c = 0; c < cols.size(); ++c)
                if (on[k] && out[k].column == cols[c]) m[c].push_back(k), all.push_back(k);
        }
        if (all.size() > static_cast<size_t>(kRegroup)) return false;
        long before = 0;
        for (size_t k : all) before += weight(k);
        const Places was = placesof(all);
        std::vector<Box> left;   // where they stood
        for (size_t k : all) left.push_back(takes(k));
        for (size_t k : all) lift(k);
        work += kMoveWork * static_cast<long>(all.size());
        long now = 0;
        if (placedfree(i, s)) {
            put(i, s);
            now += weight(i);
            for (const std::vector<size_t>& run : m) {
                std::vector<Row> rows;
                columnsof(run, id, &rows);
                for (const Row& r : rows) id = std::max(id, r.as.column + 1);
            }
            for (size_t k : all)
                if (on[k] || placeone(k, ALL) || placecolumnrow(k)) now += weight(k);
        }
        if (now > before && on[i]) {
            freed.insert(freed.end(), left.begin(), left.end());
            return true;
        }
        if (on[i]) lift(i);
        for (size_t k : all)
            if (on[k]) lift(k);
        putback(was);
        return false;
    }) && on[i];
}

// The labels still left out whose run's column may stand where columns laid out again stood
// (beside its lines, out to the reach and its own width): a row of that column, the first
// kFreedRows of them.
void Planner::rowsfreed() {
    int asked = 0;
    for (size_t i : order) {
        if (on[i] || asked >= kFreedRows) continue;
        const bool up = upright(L[i].line);
        double lo = up ? L[i].line.x0 : L[i].line.y0, hi = lo;
        for (size_t k : clusterof(i).m) {
            lo = std::min(lo, up ? L[k].line.x0 : L[k].line.y0);
            hi = std::max(hi, up ? L[k].line.x0 : L[k].line.y0);
        }
        const double out = d + (kReach + 1) * h + (up ? L[i].w : h);
        const Box zone = up ? Box{lo - out, g.room.y0, hi + out, g.room.y1} : Box{g.room.x0, lo - out, g.room.x1, hi + out};
        if (std::none_of(freed.begin(), freed.end(), [&](const Box& b) { return b.overlaps(zone); })) continue;
        ++asked;
        placecolumnrow(i);
    }
}

// Every label back where it stood when the journal held mark changes.
void Planner::undo(size_t mark) {
    const bool was = journaling;
    journaling = false;
    while (journal.size() > mark) {
        const Change c = journal.back();
        journal.pop_back();
        if (c.was) {
            if (!on[c.label]) put(c.label, Site{c.at.at, c.at.cover, c.at.leader}, &c.at);
        } else {
            lift(c.label);
        }
    }
    journaling = was;
}

}  // namespace labelplace
