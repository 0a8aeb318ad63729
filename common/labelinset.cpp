// The place of an inset without a position of its own, chosen together with the labels of the
// reference lines: both roads ask it the same way.
#include <algorithm>
#include <numeric>

#include "common/labelplace.h"

namespace labelplace {

namespace {

int leftout(const std::vector<Placed>& v) {
    return static_cast<int>(std::count_if(v.begin(), v.end(), [](const Placed& p) { return p.omitted && p.same < 0; }));
}

// Whether an inset at b would stand within a text height of a label or leader as placed.
bool meetslabels(const std::vector<Label>& labels, const std::vector<Placed>& at, const Box& b, double h) {
    const Box near = b.grown(h, h);
    for (size_t i = 0; i < at.size(); ++i) {
        const Placed& p = at[i];
        if (p.omitted || p.same >= 0) continue;
        if (near.overlaps(glyphbox(labels[i], p.at, h)) || (p.cover.x1 > p.cover.x0 && near.overlaps(p.cover))) return true;
        for (size_t k = 2; k + 1 < p.leader.size(); k += 2)
            if (near.meets(p.leader[k - 2], p.leader[k - 1], p.leader[k], p.leader[k + 1])) return true;
    }
    return false;
}

}  // namespace

int placeinset(const std::vector<Label>& labels, Ground& g, size_t n, const std::function<InsetPlace(size_t)>& at, bool* clear,
               int* lost) {
    if (clear) *clear = false;
    if (lost) *lost = 0;
    if (n == 0) return -1;
    // The ground's own inset is set aside while the places are asked (the ground is not copied:
    // it may hold a million markers).
    struct Keep {
        Ground& g;
        const bool inset;
        const Box box;
        ~Keep() { g.inset = inset, g.insetbox = box; }
    } keep{g, g.inset, g.insetbox};
    g.inset = false;
    const std::vector<Placed> without = place(labels, g, false);
    std::vector<InsetPlace> places;
    std::vector<bool> meets;
    for (size_t k = 0; k < n; ++k) {
        places.push_back(at(k));
        meets.push_back(meetslabels(labels, without, places[k].box, g.h));
        if (places[k].clear && !meets[k]) {
            if (clear) *clear = true;
            return static_cast<int>(k);
        }
    }
    // The data before the labels: where a place hides nothing the panel draws, only such places
    // are chosen from, the one where the fewest labels lose their place for it first; where every
    // place hides some of it, the one that hides least, the labels lost deciding between equals.
    const bool some = std::any_of(places.begin(), places.end(), [](const InsetPlace& p) { return p.clear; });
    std::vector<size_t> order;
    for (size_t k = 0; k < places.size(); ++k)
        if (places[k].clear || !some) order.push_back(k);
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return places[a].hides < places[b].hides; });
    if (!some) {
        const std::vector<double>& least = places[order.front()].hides;
        order.erase(std::remove_if(order.begin(), order.end(), [&](size_t k) { return places[k].hides != least; }), order.end());
    }
    // A place's lost labels are counted (a placement with the inset there) only while it could
    // still be chosen.
    const int base = leftout(without);
    int best = -1, least = 0;
    for (const size_t k : order) {
        int gone = 0;
        if (meets[k]) {
            g.inset = true;
            g.insetbox = places[k].box;
            gone = std::max(0, leftout(place(labels, g, false)) - base);
        }
        if (best < 0 || gone < least) best = static_cast<int>(k), least = gone;
        if (least == 0) break;
    }
    if (clear) *clear = some;
    if (lost) *lost = least;
    return best;
}

int placeinset(const std::vector<Label>& labels, Ground& ground, const std::vector<InsetPlace>& places, bool* clear, int* lost) {
    return placeinset(labels, ground, places.size(), [&](size_t k) { return places[k]; }, clear, lost);
}

}  // namespace labelplace
