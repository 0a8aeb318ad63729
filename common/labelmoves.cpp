// Room made for a label that found no place: a place of its own where only one label placed
// before stands in the way, and that label finds another place of its own; for a line's own
// label, the values read off in the way do not count: they give way, however many stand there,
// and then look for other places (the values go before the labels the user wrote).
#include <algorithm>

#include "common/labelplanner.h"

namespace labelplace {

namespace {
constexpr long kMoveWork = 64;
}  // namespace

bool Planner::makeroom(size_t i) {
    bool done = false;
    const long start = work;
    eachplace(i, ALL, [&](const Site& s, int kind, size_t n) {
        if (work - start > budget) return true;
        std::vector<int> who;
        if (!staticat(i, kind, n, s)) return false;
        if (!placedfree(i, s, &who)) return false;
        std::sort(who.begin(), who.end());
        who.erase(std::unique(who.begin(), who.end()), who.end());
        // The rows of a column on one box stay: the others stand on its box.
        if (std::any_of(who.begin(), who.end(), [&](int j) { return sharesbox(static_cast<size_t>(j)); })) return false;
        // The values in the way of a label the user wrote leave; of the others, one may move.
        std::vector<size_t> values, others;
        for (int j : who) (!L[i].value && L[static_cast<size_t>(j)].value ? values : others).push_back(static_cast<size_t>(j));
        if (others.size() > 1) return false;
        const Places was = placesof(std::vector<size_t>(who.begin(), who.end()));
        // A move walks every place of the label moved: it costs the moves' work as much as many
        // places tried.
        work += kMoveWork * static_cast<long>(others.size() + values.size());
        for (size_t j : values) lift(j);
        for (size_t j : others) lift(j);
        put(i, s);
        if (std::all_of(others.begin(), others.end(), [&](size_t j) { return placeone(j, ALL); })) {
            for (size_t j : values) placeone(j, ALL);
            return done = true;
        }
        // The one in the way has no other place: everything back as it was.
        lift(i);
        for (size_t j : others) lift(j);
        putback(was);
        return false;
    });
    budget -= work - start;
    return done;
}

}  // namespace labelplace
