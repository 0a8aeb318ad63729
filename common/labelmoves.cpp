// Room made for a label that found no place: a place of its own where only one label placed
// before stands in the way, and that label finds another place of its own; or, for a line's own
// label, a place where only values read off stand in the way, which then look for other places
// (the values go before the labels the user wrote).
#include <algorithm>

#include "common/labelplanner.h"

namespace labelplace {

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
        if (who.empty()) {
            put(i, s);
            return done = true;
        }
        if (who.size() == 1) {
            const size_t j = static_cast<size_t>(who.front());
            const Placed was = out[j];
            lift(j);
            put(i, s);
            if (placeone(j, ALL)) return done = true;
            lift(i);
            put(j, Site{was.at, was.cover, was.leader}, &was);
        }
        if (!L[i].value && std::all_of(who.begin(), who.end(), [&](int j) { return L[static_cast<size_t>(j)].value; })) {
            for (int j : who) lift(static_cast<size_t>(j));
            put(i, s);
            for (int j : who) placeone(static_cast<size_t>(j), ALL);
            return done = true;
        }
        return false;
    });
    budget -= work - start;
    return done;
}

}  // namespace labelplace
