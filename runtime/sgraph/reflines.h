// Reference lines of a frame and the places of their labels: a label is written where it meets
// no other text, no marker and no line drawn in the frame, once everything else is drawn.
#pragma once
#include <array>
#include <cmath>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "runtime/output/phantom.h"
#include "runtime/sgraph/frame.h"

namespace rt::sgr {

// A place of a label: where its text starts (or ends, with end) at baseline y.
struct LabelAt {
    double x, y;
    bool end;
};

// Labels waiting until everything inside their frame is drawn. Each takes the first of its
// places, in the order given, where its text stays inside the frame and meets no text placed
// before, no marker and no line drawn in the frame; where none is free, the place that meets
// the fewest (texts first, then markers, then reference lines, which would make it read as
// another line's, then other lines), and the text is written on a box of the frame's
// background so that it reads. Each label's box joins the frame's texts (drawn.texts), which
// later labels and the inset keep clear of.
class RefLabels {
public:
    void add(const std::string& text, std::vector<LabelAt> at) { pending_.push_back({text, std::move(at)}); }
    // A reference line drawn in the frame (page points).
    void line(double x0, double y0, double x1, double y1) { lines_.push_back({x0, y0, x1, y1}); }
    // Writes the labels in the order they came (c: the canvas inside the frame's clip).
    void place(Canvas& c, const Frame& f, Drawn& drawn);

private:
    struct Pending {
        std::string text;
        std::vector<LabelAt> at;
    };
    std::vector<Pending> pending_;
    std::vector<std::array<double, 4>> lines_;
};

// A reference line across the frame: vertical at data x, or horizontal at data y. A line that
// stops at a curve (stop: the data value of the other axis there, NaN for a whole line) runs
// from the bottom (vertical) or the left edge (horizontal) to that point. Both return false,
// drawing nothing, for a value outside the axis. The label's places, in order: a vertical
// line's right of it (left when it would leave the frame), at its foot when it stops at a
// curve and near the top when whole, a row further from that end for each line before it
// (slot), then its other side, then along the line half a text height at a time; a horizontal
// line's below it in the upper half of the frame and above it in the lower, at the left end,
// then its other side, then (a whole line) at the right end, then along the line a text height
// at a time, and beyond the point where it stops. With labels the label waits there for its
// place; without, it is written at its first place.
bool vref(Canvas& c, const Frame& f, double dx, const std::string& label, int slot, double stopy = NAN,
          RefLabels* labels = nullptr);
bool href(Canvas& c, const Frame& f, double dy, const std::string& label, int slot, double stopx = NAN,
          RefLabels* labels = nullptr);

// What the reference lines of a frame have drawn: the lines (value and label), each drawn
// once, and their labels waiting for their places.
struct RefsDrawn {
    std::set<std::pair<double, std::string>> lines;
    std::set<std::pair<double, std::string>> labelled;   // a label is written once per value
    RefLabels labels;
    // A probability plot's probability references: their percents in the order of their rows,
    // which come last among each group's reference rows (the request's _ProbRefs; empty: every
    // row is a time reference). Null where the rows do not say which of a row's two values the
    // user gave (MCF plots).
    const std::vector<double>* probrefs = nullptr;
    const char* curve = "curve";   // what a line that stops meets, for the log
    std::string family;            // the probability axis's distribution (_ProbScale), for the log
};
// The reference lines of rows [first, last) (one group's): a vertical line at each XRef and a
// horizontal one at each YRef (swapped when swap), labelled by XRefLabel and YRefLabel; a line
// drawn already (same value and label, in drawn) is not drawn again, a label already written
// at the same value (the lines of several overlaid groups that stop at their curves) is not
// written again. A row with both values is a pair of lines that stop where they meet the curve;
// when that point lies beyond one axis's end, the line of the value the user gave is drawn
// across the frame with its label, the value read off is left out, and the log says so; a
// value the user gave that lies outside its axis is not drawn, and the log names it (a
// probability reference by its percent).
void reflines(Canvas& c, const Frame& f, const rt::out::PhantomData& d, size_t first, size_t last, bool swap, RefsDrawn& drawn);

}  // namespace rt::sgr
