// The placement's working state, shared by its files: the labels beside their lines
// (labelplace.cpp) and the columns (labelcolumns.cpp).
#pragma once
#include <cstdint>
#include <vector>

#include "common/labelplace.h"

namespace labelplace {

constexpr double kAscent = 0.76, kDescent = 0.22;   // of a text height, about the baseline
constexpr double kMiddle = 0.35;                   // a leader meets its text this far above the baseline
constexpr double kTouch = 0.15;                    // leaders nearer than this (of a text height) touch

// Boxes or segments found by the cells of a grid over the room that their extents meet.
class Cells {
public:
    void build(const std::vector<Box>& items, const Box& over, double cell);
    // Whether f holds for an item whose extent meets b (an item may be asked more than once).
    template <class F>
    bool any(const Box& b, F&& f) const {
        if (items_ == nullptr || items_->empty()) return false;
        int i0, j0, i1, j1;
        span(b, &i0, &j0, &i1, &j1);
        for (int j = j0; j <= j1; ++j)
            for (int i = i0; i <= i1; ++i) {
                const size_t c = static_cast<size_t>(j) * static_cast<size_t>(nx_) + static_cast<size_t>(i);
                for (uint32_t k = start_[c]; k < start_[c + 1]; ++k)
                    if (f((*items_)[index_[k]])) return true;
            }
        return false;
    }

private:
    void span(const Box& b, int* i0, int* j0, int* i1, int* j1) const;
    const std::vector<Box>* items_ = nullptr;
    Box over_;
    double cell_ = 1;
    int nx_ = 1, ny_ = 1;
    std::vector<uint32_t> start_, index_;
};

// A label written: its box (the glyphs'), whether a leader joins it to its line, and its label.
struct Written {
    size_t label;
    Box ink;
    bool led;
};

struct Planner {
    const std::vector<Label>& L;
    const Ground& g;
    const double h, d;
    Cells marks, ink;
    std::vector<Box> taken;       // the texts placed (widened across) and the boxes they stand on
    std::vector<Box> leaders;     // the leaders' segments
    std::vector<Written> written;
    std::vector<Placed> out;
    std::vector<int> column;      // the column of each label, or -1
    std::vector<std::vector<size_t>> columns;
    std::vector<size_t> order;    // the lines' own labels, then the values
    std::vector<int> twin;        // the label of the same text at the same line, or -1
    std::vector<int> refat, labat;   // the place of each reference line and each label's line:
                                     // lines of one direction at one place across share it
    std::vector<double> places;      // each place across, and whether its lines are upright
    std::vector<bool> placeup;

    Planner(const std::vector<Label>& labels, const Ground& ground);
    std::vector<Placed> run();

    // ---- geometry
    static bool upright(const Box& l) { return l.x0 == l.x1 && l.y0 != l.y1; }
    static double across(const Box& l) { return upright(l) ? l.x0 : l.y0; }
    int placeof(const Box& l);
    bool ownref(size_t i, size_t k) const { return refat[k] == labat[i]; }
    Box glyph(size_t i, const Spot& s) const { return glyphbox(L[i], s, h); }
    Box inked(size_t i, const Spot& s) const;
    static double gap(const Box& b, const Box& l);
    static bool touches(const Box& a, const Box& b, double gap);
    std::vector<size_t> sorted(bool up) const;

    // ---- the rules
    bool textfree(const Box& b) const;
    bool leaderfree(const Box& b) const;
    bool leadfree(const Box& seg) const;
    bool nearest(size_t i, const Box& ink) const;
    bool rowfree(size_t i, const Box& ink, double x0, double x1) const;
    bool linesfree(size_t i, const Box& b, const Box* under) const;
    bool inorder(size_t i, const Box& ink, bool led) const;
    bool fitsroom(const Box& b) const { return b.inside(g.room); }
    Box boxof(const Box& glyph) const { return glyph.grown(0.15 * h, 0.05 * h); }
    void write(size_t i, const Placed& p, bool led);

    // ---- labels beside their lines
    std::vector<Spot> spots(size_t i) const;
    bool placesingle(size_t i);

    // ---- columns
    // A column laid out: the label of each row, its place, its glyphs' box, its box of the
    // background where it stands on one (against the room's edge, the whole column's) and its
    // leader.
    struct Layout {
        std::vector<size_t> who;
        std::vector<Spot> at;
        std::vector<Box> boxes, covers;
        std::vector<std::vector<double>> lead;
        bool boxed = false;
        Box whole;   // against the room's edge: the column's one box
    };
    std::vector<size_t> cluster(size_t f) const;
    void grow(const std::vector<size_t>& failed);
    void placecolumn(size_t c);
    bool trycolumn(size_t c, size_t n, Layout* lay) const;
    bool uprightcolumn(const std::vector<size_t>& m, int tier, bool near, Layout* lay) const;
    bool levelcolumn(const std::vector<size_t>& m, bool near, Layout* lay) const;
    bool rowfits(size_t i, const Spot& at, int tier, Box* cover) const;
    bool rowsfree(const Layout& lay, bool onebox) const;
};

}  // namespace labelplace
