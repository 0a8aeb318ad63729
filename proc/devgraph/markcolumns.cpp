// Markers of one column joined where they meet (markcolumns.h). Across the column a box of
// some height meets a marker when the open span of the box meets the marker's closed span, so
// it meets one of a set of markers if and only if it meets their union; markers whose closed
// spans meet have a span for their union: the joined boxes answer as the markers would.
#include "proc/devgraph/markcolumns.h"

#include <algorithm>
#include <cmath>
#include <iterator>

void MarkColumns::add(const PageBox& m) {
    if (std::isnan(m.x0) || std::isnan(m.x1) || std::isnan(m.y0) || std::isnan(m.y1)) return;   // meets nothing
    // A marker counted into a tally, or upside down, goes as it is.
    if (ink_->tally || !(m.y0 <= m.y1)) {
        ink_->addmark(m);
        return;
    }
    std::map<double, double>& c = cols_[{m.x0, m.x1}];
    double lo = m.y0, hi = m.y1;
    // The joined boxes that meet [lo, hi] (their bottoms at most hi, their tops at least lo)
    // become one with it.
    auto it = c.upper_bound(hi);
    while (it != c.begin()) {
        auto prev = std::prev(it);
        if (prev->second < lo) break;
        lo = std::min(lo, prev->first);
        hi = std::max(hi, prev->second);
        it = c.erase(prev);
    }
    c.emplace(lo, hi);
}

void MarkColumns::flush() {
    for (const auto& [x, c] : cols_)
        for (const auto& [lo, hi] : c) ink_->addmark(PageBox{x.first, lo, x.second, hi});
    cols_.clear();
}
