// Where the labels of a panel's reference lines and of the values read off at their
// intersections stand: beside their own lines, nearer their own line than any other, crossed
// by no other line, clear of texts, markers and the inset, in the order of their lines; where
// lines lie too close for that, in a column beside them with a leader to each line.
// Page percent throughout; no drawing.
#pragma once
#include <cstddef>
#include <vector>

#include "proc/devgraph/devgraph.h"

namespace labelplan {

// Where a text stands: its baseline at (x, y), starting at x (align 1) or ending there (2).
struct Spot {
    double x, y;
    int align;
};

// One label: its own line, its width, and the place the drawing gives it.
struct Label {
    PageBox line{};           // upright (x0 == x1) or level (y0 == y1)
    double w = 0;             // width of the text
    bool descends = false;    // a character reaches below the baseline
    bool value = false;       // a value read off at an intersection: placed after the lines' own labels
    Spot part{};              // the place the drawing gives it
    int end = 0;              // upright line: 0 labels from its top, 1 from its bottom; level: 0 left, 1 right, 2 middle
    bool given = false;       // a position the user gave: the label stays in the half of its line at that end
    bool online = false;      // written on its line (VREFLABPOS=3): it has no other side
};

// What the labels keep clear of.
struct Ground {
    PageBox room{};                 // the labels stay inside it (the frame widened by its gaps)
    double fbottom = 0;             // the frame's bottom: the first height of labels at an upright line's foot
    std::vector<PageBox> texts;     // texts of the panel (a legend's)
    std::vector<PageBox> marks;     // markers
    std::vector<PageBox> ink;       // fitted lines, confidence limits, curves: segments (x0, y0) to (x1, y1)
    std::vector<PageBox> refs;      // every reference and intersection line, labelled or not
    bool inset = false;
    PageBox insetbox{};
    double h = 1;                   // text height (y percent)
    double chdiv = 1;               // x percent of one y percent of the page
};

// Where a label stands.
struct Placed {
    Spot at{};
    bool boxed = false;             // written on a box of the background colour (`cover`)
    PageBox cover{};
    int column = -1;                // the column it stands in, or -1
    std::vector<double> leader;     // the line joining it to its own line: points x, y, x, y, ...; empty: none
    bool omitted = false;           // left out: its column has no row for it inside the room
};

// The labels placed, in the order given. A column keeps inside the room: where it has fewer
// rows than labels, the labels of its last lines (the rightmost upright ones, the lowest level
// ones) are left out.
std::vector<Placed> place(const std::vector<Label>& labels, const Ground& ground);

// The box of a text's glyphs at `at` (a descender's depth below the baseline, an ascender's
// height above it).
PageBox glyphbox(const Label& a, const Spot& at, double h);

}  // namespace labelplan
