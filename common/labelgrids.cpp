// The indices the placement asks: what the panel draws, by the cells of a grid; the texts and
// leaders placed, by a grid they join and leave; the reference lines, by their place across.
#include <algorithm>
#include <cmath>

#include "common/labelplanner.h"

namespace labelplace {

namespace {

// The cells [*i0, *i1] x [*j0, *j1] of a grid of nx x ny cells of size cell from `over` that b's
// extent meets (clamped to the grid).
void cellspan(const Box& b, const Box& over, double cell, int nx, int ny, int* i0, int* j0, int* i1, int* j1) {
    // (the cell floor((v - lo) / cell), clamped: a quotient below 0 or from n - 1 on is clamped
    // whole, one between is cut to its whole part; no call of floor)
    auto at = [&](double v, double lo, int n) {
        const double c = (v - lo) / cell;
        return c < 0 ? 0 : c >= n - 1 ? n - 1 : static_cast<int>(c);
    };
    *i0 = at(std::min(b.x0, b.x1), over.x0, nx), *i1 = at(std::max(b.x0, b.x1), over.x0, nx);
    *j0 = at(std::min(b.y0, b.y1), over.y0, ny), *j1 = at(std::max(b.y0, b.y1), over.y0, ny);
}

Box extent(const Box& b) { return {std::min(b.x0, b.x1), std::min(b.y0, b.y1), std::max(b.x0, b.x1), std::max(b.y0, b.y1)}; }

}  // namespace

// ---- the grid of what the panel draws

void Cells::build(const std::vector<Box>& items, const Box& over, double cell, bool segments) {
    items_ = &items;
    over_ = over;
    cell_ = std::max({cell, (over.x1 - over.x0) / 256, (over.y1 - over.y0) / 256, 1e-9});
    nx_ = std::max(1, static_cast<int>(std::ceil((over.x1 - over.x0) / cell_)));
    ny_ = std::max(1, static_cast<int>(std::ceil((over.y1 - over.y0) / cell_)));
    const size_t n = static_cast<size_t>(nx_) * static_cast<size_t>(ny_);
    start_.assign(n + 1, 0);
    // Counted, then filled: one array of indices, no list per cell.
    auto each = [&](auto&& f) {
        for (size_t k = 0; k < items.size(); ++k) {
            const Box e = extent(items[k]);
            if (!(e.x1 >= over.x0 && e.x0 <= over.x1 && e.y1 >= over.y0 && e.y0 <= over.y1)) continue;
            int i0, j0, i1, j1;
            span(e, &i0, &j0, &i1, &j1);
            const Box& s = items[k];
            const bool slanted = segments && s.x0 != s.x1 && s.y0 != s.y1 && std::isfinite(s.x0) && std::isfinite(s.y0) &&
                                 std::isfinite(s.x1) && std::isfinite(s.y1);
            for (int i = i0; i <= i1; ++i) {
                int lo = j0, hi = j1;
                if (slanted) {
                    // (a slanted segment only in the cells of each column that it passes through,
                    // or passes within a hundredth of a cell of: a long fitted line would fill its
                    // whole extent's cells)
                    const double m = 0.01 * cell_, cx0 = i == 0 ? e.x0 : std::max(e.x0, over_.x0 + i * cell_ - m),
                                 cx1 = i == nx_ - 1 ? e.x1 : std::min(e.x1, over_.x0 + (i + 1) * cell_ + m);
                    const double ya = s.y0 + (s.y1 - s.y0) * ((cx0 - s.x0) / (s.x1 - s.x0)),
                                 yb = s.y0 + (s.y1 - s.y0) * ((cx1 - s.x0) / (s.x1 - s.x0));
                    int a0, a1;
                    span({cx0, std::min(ya, yb) - m, cx1, std::max(ya, yb) + m}, &a0, &lo, &a1, &hi);
                    lo = std::max(lo, j0), hi = std::min(hi, j1);
                }
                for (int j = lo; j <= hi; ++j) f(static_cast<size_t>(j) * static_cast<size_t>(nx_) + static_cast<size_t>(i), k);
            }
        }
    };
    each([&](size_t c, size_t) { ++start_[c + 1]; });
    for (size_t c = 0; c < n; ++c) start_[c + 1] += start_[c];
    index_.assign(start_[n], 0);
    std::vector<uint32_t> fill(start_.begin(), start_.end() - 1);
    each([&](size_t c, size_t k) { index_[fill[c]++] = static_cast<uint32_t>(k); });
}

void Cells::span(const Box& b, int* i0, int* j0, int* i1, int* j1) const { cellspan(b, over_, cell_, nx_, ny_, i0, j0, i1, j1); }

// ---- the grid of what is placed

void Grid::init(const Box& over, double cell) {
    over_ = over;
    cell_ = std::max({cell, (over.x1 - over.x0) / 128, (over.y1 - over.y0) / 128, 1e-9});
    nx_ = std::max(1, static_cast<int>(std::ceil((over.x1 - over.x0) / cell_)));
    ny_ = std::max(1, static_cast<int>(std::ceil((over.y1 - over.y0) / cell_)));
    cells_.assign(static_cast<size_t>(nx_) * static_cast<size_t>(ny_), {});
    items_.clear();
    byowner_.clear();
}

void Grid::add(const Box& b, int owner) {
    const uint32_t k = static_cast<uint32_t>(items_.size());
    items_.push_back({b, owner, true});
    int i0, j0, i1, j1;
    span(extent(b), &i0, &j0, &i1, &j1);
    for (int j = j0; j <= j1; ++j)
        for (int i = i0; i <= i1; ++i) cells_[static_cast<size_t>(j) * static_cast<size_t>(nx_) + static_cast<size_t>(i)].push_back(k);
    if (owner >= 0) {
        if (byowner_.size() <= static_cast<size_t>(owner)) byowner_.resize(static_cast<size_t>(owner) + 1);
        byowner_[static_cast<size_t>(owner)].push_back(k);
    }
}

void Grid::remove(int owner) {
    if (owner < 0 || static_cast<size_t>(owner) >= byowner_.size()) return;
    // (an item that leaves leaves its cells too, the others there kept in order: the labels come
    // and go thousands of times on a crowded page)
    for (uint32_t k : byowner_[static_cast<size_t>(owner)]) {
        items_[k].alive = false;
        int i0, j0, i1, j1;
        span(extent(items_[k].b), &i0, &j0, &i1, &j1);
        for (int j = j0; j <= j1; ++j)
            for (int i = i0; i <= i1; ++i) {
                std::vector<uint32_t>& c = cells_[static_cast<size_t>(j) * static_cast<size_t>(nx_) + static_cast<size_t>(i)];
                c.erase(std::find(c.begin(), c.end(), k));
            }
    }
    byowner_[static_cast<size_t>(owner)].clear();
}

void Grid::span(const Box& b, int* i0, int* j0, int* i1, int* j1) const { cellspan(extent(b), over_, cell_, nx_, ny_, i0, j0, i1, j1); }

// ---- the reference lines

void Lines::build(const std::vector<Box>& refs) {
    lv_.clear(), up_.clear();
    for (size_t k = 0; k < refs.size(); ++k) (refs[k].x0 == refs[k].x1 && refs[k].y0 != refs[k].y1 ? up_ : lv_).push_back(k);
    std::stable_sort(lv_.begin(), lv_.end(), [&](size_t a, size_t b) { return refs[a].y0 < refs[b].y0; });
    std::stable_sort(up_.begin(), up_.end(), [&](size_t a, size_t b) { return refs[a].x0 < refs[b].x0; });
    ly_.clear(), ux_.clear();
    for (size_t k : lv_) ly_.push_back(refs[k].y0);
    for (size_t k : up_) ux_.push_back(refs[k].x0);
}

}  // namespace labelplace
