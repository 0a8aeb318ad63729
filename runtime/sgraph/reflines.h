// Reference lines of a frame and the places of their labels: a label is written beside its own
// line where it meets no other text, no marker and no other line, once everything else is drawn.
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

// Labels of reference lines waiting until everything inside their frame is drawn. A label
// stands beside its own line, its glyphs nearer it than any other reference line, where no
// other line crosses its text and it meets no text placed before and no marker; labels of
// neighbouring lines keep the order of their lines, and two labels of close lines do not share
// the band between them. It takes its first place where that holds (a vertical line's: right
// of it, left when it would leave the frame, at its foot when it stops at a curve and near the
// top when whole, a row further from that end for each line before it; a horizontal line's:
// below it in the upper half of the frame and above it in the lower, at its left end), else the
// other side of its line, then places further along the line. A label that finds no such place
// stands in a column with the labels of the lines that lie closer to its own than their text
// needs (horizontal lines: at their end, on boxes of the frame's background over the lines'
// ends), in the order of the lines, each joined to its own line by a short leader; the labels
// are placed again until each has a place. A column holds as many rows as its frame's height
// has, the labels of its first lines (upright lines from the left, level lines from the top);
// those of its last lines are left out. A run of upright lines that no place beside it holds
// has the device road's column: beside the run or further out, else against the frame's edge
// on one box of the background, rows above the ends of short lines led to those ends. A label
// or column that finds no place at all takes the one that meets the fewest texts, then
// markers, then lines, written on boxes of the frame's background. Each label's box joins the
// frame's texts (drawn.texts) and each leader its lines, which later labels and the inset keep
// clear of.
class RefLabels {
public:
    // A reference line drawn in the frame (page points) and its label (empty: none). A vertical
    // line runs from (x0, y0) up to (x0, y1), a horizontal one from (x0, y0) right to (x1, y0).
    // stop: the line stops where it meets a curve; slot: the lines before it in the frame.
    // value: the label is a value read off where the line meets a curve (it gives way to the
    // labels the user wrote).
    void add(double x0, double y0, double x1, double y1, const std::string& text = {}, bool stop = false, int slot = 0, bool value = false);
    // Writes the labels (c: the canvas inside the frame's clip); the graph's log counts those
    // left out (labelsleftout). With the frame's inset (box), the inset's place is chosen with
    // the labels, which keep clear of it (*chosen: its place; size 0 where it writes nothing).
    void place(Canvas& c, const Frame& f, Drawn& drawn, const InsetBox* box = nullptr, InsetSpot* chosen = nullptr);

    struct Line {
        double x0, y0, x1, y1;
        std::string text;
        bool stop;
        int slot;
        bool value;
        bool vertical() const { return x0 == x1; }
    };

private:
    std::vector<Line> lines_;
};

// A reference line across the frame: vertical at data x, or horizontal at data y. A line that
// stops at a curve (stop: the data value of the other axis there, NaN for a whole line) runs
// from the bottom (vertical) or the left edge (horizontal) to that point. Both return false,
// drawing nothing, for a value outside the axis. A line at an axis's end would lie under the
// frame's side: it is drawn inside, a line's width clear of the border. With labels the line
// and its label (slot: the lines drawn in the frame before it) wait there for the label's place
// (RefLabels); without, the line is drawn alone.
bool vref(Canvas& c, const Frame& f, double dx, const std::string& label, int slot, double stopy = NAN,
          RefLabels* labels = nullptr, bool value = false);
bool href(Canvas& c, const Frame& f, double dy, const std::string& label, int slot, double stopx = NAN,
          RefLabels* labels = nullptr, bool value = false);

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
