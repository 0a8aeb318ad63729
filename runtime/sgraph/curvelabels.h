// Labels of the curves of a frame (the percentile lines of a relation plot), each at its own
// curve's end and clear of the other curves, of the points and of each other.
#pragma once
#include <array>
#include <string>
#include <vector>

#include "common/spread.h"
#include "runtime/sgraph/frame.h"

namespace rt::sgr {

struct CurveLabel {
    std::string text;
    std::vector<std::vector<double>> runs;   // the curve as drawn: page points inside the frame, run by run
};

struct PlacedLabel {
    std::string text;
    double x = 0, y = 0;                     // the start of the baseline
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;   // the box the text takes
    std::array<double, 4> leader{};          // from the curve's end to the label, where it has one
    bool led = false;
};

// Labels in a column spread about their targets (common/spread.h).
using labelplace::spread;

// The room right of the frame that the labels need: a curve that ends too close to the
// frame's right edge for its label to stand right of it inside has it beside the frame, at
// its end's height. 0 when every label fits inside.
double labelroom(const Frame& f, const std::vector<CurveLabel>& curves, double size);

// Places each label (size in points) where its curve ends, the last point of its last run:
// right of the end; beside the frame, within room, when the end is too close to the frame's
// right edge for that; otherwise left of the end, above or below it. Each is moved by the
// smallest step of a quarter of its height that keeps it clear of every curve, of the points
// and of the labels placed before it (texts in points too), and nearer its own curve's end
// than any other. Labels beside the frame keep the order of their ends' heights, spread a line
// apart around them; so do labels right of curves that end at one abscissa whose ends lie
// closer than a line apart (any number of percentile lines): a column right of the ends. Where
// a label of such a column stands nearer another curve's end than its own, each label of the
// column is joined to its curve's end by a leader. A label that no place clears takes the
// place that meets the fewest things. Curves without runs get no label.
std::vector<PlacedLabel> placelabels(const Frame& f, double room, const std::vector<CurveLabel>& curves, const Drawn& points,
                                     double size);

// Writes the labels (size in points) and their leaders, in the colour of the curves.
void writelabels(Canvas& c, const std::vector<PlacedLabel>& labels, double size);

}  // namespace rt::sgr
