// The pieces every statistical graph is drawn from: axes (linear, logarithmic, or with
// ticks the request gives), a plot frame that maps data values to page points, and the
// marks, lines, bands, reference lines, legends and insets drawn inside it.
//
// Page coordinates are points with the origin at the bottom left, as on the canvas. A data
// value that has no place on an axis (missing, not positive on a log axis, infinite) is
// never handed to the canvas: lines break there, marks are left out.
#pragma once
#include <cmath>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/graphics/canvas.h"

namespace rt::sgr {

using gfx::Canvas;
using gfx::Rgb;

struct Axis {
    bool log = false;                   // values in log10 units
    double lo = 0, hi = 1;              // ends, in axis units
    std::vector<double> major;          // tick positions, axis units
    std::vector<std::string> labels;    // one per major tick
    std::vector<double> minor;
    std::string title;
    // A data value in axis units; NaN when it has no place on the axis.
    double unit(double v) const {
        if (!std::isfinite(v)) return NAN;
        if (log) return v > 0 ? std::log10(v) : NAN;
        return v;
    }
};

// A linear axis over [lo, hi] with about n intervals of a nice step; its ends are moved out
// to ticks.
Axis linearaxis(double lo, double hi, int n = 5);
// A log axis in whole decades covering [lo, hi] (data units, both above 0), with minor
// ticks at 2..9 and, over less than two decades, labelled 2 and 5 multiples too.
Axis logaxis(double lo, double hi);
// A linear axis of about n intervals of a nice step (1, 2, 2.5 or 5 times a power of ten,
// the nearest to (hi - lo) / n), its end ticks moved out to multiples of the step and the
// frame a fiftieth beyond them: the device road's scale of MCF axes.
Axis niceaxis(double lo, double hi, int n = 4);
// An axis with the ticks given (positions in axis units) over [lo, hi]; sizes as for
// uniformlabels (false for the probability axis's percentages).
Axis givenaxis(const std::vector<double>& pos, const std::vector<std::string>& labels, double lo, double hi, bool sizes = true);
// A number as a tick label: at most 6 significant digits, no trailing zeros, in plain
// decimals with a leading zero (0.00001, 1000000), or in exponent notation when plain
// decimals would take more than 12 places.
std::string numlabel(double v);
// The labels of an axis in one format: when every label is a number, all in plain decimals,
// or all in exponent notation (0 stays "0") when one would take more than 12 decimal places
// or, with sizes, when the largest is 10 million or more or the smallest that is not 0 is
// below 0.0001. A percent axis takes no sizes: its labels never reach ten million, and 50
// percent stays 50 beside 0.00001.
void uniformlabels(Axis& a, bool sizes = true);
// The labels of an axis whose ticks are the values they label (linear: the positions; log: ten
// to the positions) made to tell the ticks apart: where two neighbours read alike, or one is off
// its tick by more than a hundredth of the step between ticks (six significant digits of ticks
// 0.002 apart near a million all read 1000000), every label takes the digits down to the
// step's last one (1000000.000, 1000000.002, ...; 1.60000005e+09 in exponent notation). Labels
// that read apart are left as they are.
void steplabels(Axis& a);

// The running range of data values in axis units.
struct Range {
    double lo = INFINITY, hi = -INFINITY;
    void add(double u) {
        if (!std::isfinite(u)) return;
        lo = std::min(lo, u);
        hi = std::max(hi, u);
    }
    bool ok() const { return lo <= hi; }
};

struct Style {
    double font = 9;                    // tick labels, legends, insets
    double titlefont = 11;              // axis titles
    double headfont = 12;               // the graph's title
    Rgb text{0.1, 0.1, 0.1};
    Rgb frame{0.35, 0.35, 0.35};
    Rgb grid{0.88, 0.88, 0.9};
    Rgb minorgrid{0.94, 0.94, 0.95};
    Rgb reference{0.45, 0.45, 0.45};
    Rgb strip{0.9, 0.91, 0.94};
};
const Style& style();
// The colour of group k (from 0), from a palette that repeats.
Rgb groupcolor(int k);
// A colour mixed with white: alpha 1 the colour, 0 white.
Rgb tint(const Rgb& c, double alpha);
gfx::TextStyle textstyle(double size, const Rgb& c = style().text, bool bold = false);
double textwidth(std::string_view s, double size, bool bold = false);
// Whether a text reaches below its baseline as a descender does: its glyphs further than a tenth
// of its size (round letters, digits and the slashes reach less).
bool descends(std::string_view s, double size, bool bold = false);
// Whether it reaches above the ascenders' height, as an accent does.
bool rises(std::string_view s, double size, bool bold = false);
// How far its ink starts after its start and stops before its end, and how far it reaches above
// and below the baseline, points.
void inkextent(std::string_view s, double size, double* left, double* right, double* above, double* below, bool bold = false);

// A plot frame: the rectangle [x0, x1] x [y0, y1] in points and its two axes. Points
// outside the frame are clipped by the canvas while the frame's clip is pushed.
struct Frame {
    double x0 = 0, y0 = 0, x1 = 1, y1 = 1;
    Axis x, y;
    double px(double u) const { return x0 + (u - x.lo) / (x.hi - x.lo) * (x1 - x0); }
    double py(double u) const { return y0 + (u - y.lo) / (y.hi - y.lo) * (y1 - y0); }
    // Data values to page points; false when either has no place on its axis.
    bool at(double dx, double dy, double* ox, double* oy) const {
        const double ux = x.unit(dx), uy = y.unit(dy);
        if (std::isnan(ux) || std::isnan(uy)) return false;
        *ox = px(ux);
        *oy = py(uy);
        return std::isfinite(*ox) && std::isfinite(*oy);
    }
};

// The frame's background, grid (major lines, and minor lines of log axes with minorgrid),
// border, ticks; tick labels only where asked (outer panels).
// roomleft, roomright: how far a tick label may reach beyond the frame's side (a panel beside).
void drawframe(Canvas& c, const Frame& f, bool grid, bool minorgrid, bool xlabels, bool ylabels, double roomleft = INFINITY,
               double roomright = INFINITY);
// Axis titles centred under / left of the span [a, b] (points).
void xtitle(Canvas& c, const std::string& t, double a, double b, double y);
void ytitle(Canvas& c, const std::string& t, double a, double b, double x);
// The space the tick labels of an axis take: height under the frame, width left of it.
double xlabelheight();
double ylabelwidth(const Axis& a);

// The dashes of the line of group k among groups drawn in one frame: solid, then dashes and
// dash-dots; bands and limits take bandstroke, thinner, lighter and finely dotted, so that in
// black and white a fit and its band tell apart, and the groups' lines from one another.
std::vector<double> groupdashes(int k);
gfx::Stroke bandstroke(const Rgb& c);
// The marker of group k among groups drawn in one frame (an open circle first).
const gfx::MarkerShape& groupmarker(int k);

// Clipping to a rectangle: a segment (cut to its piece inside; false when nothing of it is
// inside), a polyline (the runs inside, each of two points or more) and a polygon (what of it
// is inside). Points are x and y in turn.
struct Rect {
    double x0, y0, x1, y1;
};
bool clipsegment(const Rect& r, double* x0, double* y0, double* x1, double* y1);
std::vector<std::vector<double>> clippolyline(const Rect& r, const double* xy, size_t n);
std::vector<double> clippolygon(const Rect& r, const std::vector<double>& xy);

// A polyline through the points in order, broken where a point has no place; drawn only
// inside its frame.
class Path {
public:
    explicit Path(const Frame& f) : f_(f) {}
    void add(double dx, double dy);
    void brk();
    void draw(Canvas& c, const gfx::Stroke& s);
    bool empty() const { return runs_.empty() && cur_.empty(); }

private:
    const Frame& f_;
    std::vector<std::vector<double>> runs_;
    std::vector<double> cur_;
};

// A band between lower and upper curves over the same abscissas (or ordinates when
// vertical is false, as for a band of times at each probability), broken where either end
// has no place; filled with the colour at the opacity (below 1 what is drawn under it shows
// through), its edges stroked when edge is given; drawn only inside its frame.
class Band {
public:
    Band(const Frame& f, bool alongx) : f_(f), alongx_(alongx) {}
    // alongx: at abscissa t the band spans ordinates a..b; otherwise at ordinate t it spans
    // abscissas a..b.
    void add(double t, double a, double b);
    void brk();
    // filled false: the edges alone (drawn over other bands' fills).
    void draw(Canvas& c, const Rgb& fill, const gfx::Stroke* edge, bool filled = true, double opacity = 1);

private:
    const Frame& f_;
    bool alongx_;
    std::vector<std::vector<std::pair<double, double>>> runs_;   // page points of the two edges
    std::vector<std::pair<double, double>> lo_, hi_;
    void close();
};

// The spots markers were stamped at: an open-addressing set, for a million-point plot asks
// a million times whether its spot is new.
class SpotSet {
public:
    // True when the spot was not in the set yet.
    bool insert(uint64_t key);

private:
    static constexpr uint64_t kEmpty = ~uint64_t{0};
    std::vector<uint64_t> slots_;
    size_t n_ = 0;
    bool hasempty_ = false;
    void grow();
};

// Markers at data points fed one by one (those without a place left out), stamped once per
// spot: points closer than a twentieth of a point to one drawn already look the same, and a
// million-point plot stays a page of some thousands.
class SpotMarks {
public:
    explicit SpotMarks(const Frame& f);
    void add(double dx, double dy) {
        // Points along a curve come in runs at one spot: a point strictly inside the data
        // ranges of the spot of the point before lands on it (no log10, no rounding).
        if (dx > xin_.lo && dx < xin_.hi && dy > yin_.lo && dy < yin_.hi) return;
        place(dx, dy);
    }
    void draw(Canvas& c, const gfx::MarkerShape& m, double size, const gfx::Stroke& s);

private:
    // The data values whose page coordinate rounds to one spot, narrowed by a margin far
    // above rounding error; empty (NaN ends) where the spot reaches the frame's clipping.
    struct Inside {
        double lo = NAN, hi = NAN;
        long spot = 0;
    };
    const Frame& f_;
    Inside xin_, yin_;
    uint64_t last_ = 0;
    bool haslast_ = false;
    SpotSet spots_;
    std::vector<double> xy_;
    void place(double dx, double dy);
};

// Markers at data points (those without a place left out), once per spot.
void marks(Canvas& c, const Frame& f, const gfx::MarkerShape& m, double size, const gfx::Stroke& s,
           const std::vector<double>& xs, const std::vector<double>& ys);
const gfx::MarkerShape& circle();
const gfx::MarkerShape& opencircle();
const gfx::MarkerShape& plus();
const gfx::MarkerShape& triangle();
const gfx::MarkerShape& diamond();
const gfx::MarkerShape& square();
// Lives known only in part, where a marker must mean something no group's marker does (the
// relation panel beside a probability panel): beyond the point (an arrow up the life axis),
// below it (down), between two times (a bar with ends).
const gfx::MarkerShape& uparrow();
const gfx::MarkerShape& downarrow();
const gfx::MarkerShape& ibeam();
// A filled circle: a point of no group.
const gfx::MarkerShape& dot();

// A legend: entries of a colour, a marker (null: none) and a line (dashed or not); laid out
// in rows across [x0, x1] from the top y downwards; returns its height.
struct LegendEntry {
    std::string text;
    Rgb color;
    const gfx::MarkerShape* marker = nullptr;
    bool line = true;                   // a sample of the line: only where the line is drawn
    std::vector<double> dashes;         // of the line sample
};
double legendheight(const std::vector<LegendEntry>& e, const std::string& title, double width);
void legend(Canvas& c, const std::vector<LegendEntry>& e, const std::string& title, double x0, double x1, double top);

// What is drawn inside a frame, in page points: marker centres with their radius, pieces of
// lines, filled areas (bands) and the boxes of texts written in it (reference labels). What is
// placed later (an inset, a label) keeps clear of it.
struct Drawn {
    struct Mark {
        double x, y, r;
    };
    std::vector<Mark> marks;
    std::vector<std::array<double, 4>> segments;
    std::vector<std::vector<double>> areas;   // polygons, x and y in turn
    std::vector<Rect> texts;
    std::vector<std::array<double, 4>> leaders;   // of reference labels: they count as texts
    // What of it meets the rectangle [x0, x1] x [y0, y1] (a leader: within a text height).
    struct Cover {
        size_t marks = 0, segments = 0, areas = 0, texts = 0;
        bool none() const { return marks == 0 && segments == 0 && areas == 0 && texts == 0; }
    };
    Cover cover(double x0, double y0, double x1, double y1) const;
    // What an inset over the rectangle hides, compared in this order: the markers whose centres
    // it holds, the length of the lines in it (but the segments `skip` marks: the reference
    // lines), the markers it only touches, the bands it lies on, the texts it meets.
    struct Hidden {
        size_t centres = 0;
        double length = 0;
        size_t touched = 0, areas = 0, texts = 0;
        bool none() const { return centres == 0 && length == 0 && touched == 0 && areas == 0 && texts == 0; }
    };
    Hidden hidden(const Rect& r, const std::vector<bool>& skip) const;
};

// A canvas that hands every call on and keeps the lines, fills and markers in a Drawn.
class Collect : public Canvas {
public:
    Collect(Canvas& to, Drawn& d) : to_(to), d_(d) {}
    void begin(double w, double h, const Rgb& b) override { to_.begin(w, h, b); }
    void line(double x0, double y0, double x1, double y1, const gfx::Stroke& s) override;
    void polyline(const double* xy, size_t n, const gfx::Stroke& s) override;
    void fill(const double* xy, size_t n, const Rgb& c, double opacity = 1.0) override;
    void hatch(const double* xy, size_t n, const gfx::Stroke& s, double a, double sp) override { to_.hatch(xy, n, s, a, sp); }
    void markers(const gfx::MarkerShape& m, double size, const gfx::Stroke& s, const double* xy, size_t n) override;
    void text(std::string_view t, double x, double y, double a, gfx::Anchor an, const gfx::TextStyle& st) override {
        to_.text(t, x, y, a, an, st);
    }
    void pushclip(double x0, double y0, double x1, double y1) override { to_.pushclip(x0, y0, x1, y1); }
    void popclip() override { to_.popclip(); }
    bool end() override { return to_.end(); }

private:
    Canvas& to_;
    Drawn& d_;
};

// An inset box: optional header, label-value lines; framed or not; placed at the corner
// (h: left/center/right, v: top/center/bottom) of the frame, or (empty) at the place chosen
// with the labels of the reference lines (RefLabels::place).
struct InsetBox {
    std::string head;
    std::vector<std::pair<std::string, std::string>> lines;
    bool framed = true;
    std::string halign, valign;         // empty: automatic
};

// A place the inset may take: its box's lower left corner, its size, its font size, and what of
// the frame's drawing it would hide there.
struct InsetSpot {
    double x = 0, y = 0, w = 0, h = 0, size = 0;
    bool given = false;   // the place the user gave
    // What of the frame's drawing it would hide (skip: the segments of reference lines), and,
    // at the place chosen, what it hides there.
    Drawn::Hidden under(const Drawn& drawn, const std::vector<bool>& skip) const;
    Drawn::Hidden hides;
};
// The places of box in frame f, in the order preferred: the one the user gave; else each
// corner and side at each font size from the full size down to the smallest readable (a box
// that fits no size: written smaller still, at the first corner). Empty: nothing to write.
std::vector<InsetSpot> insetspots(const Frame& f, const InsetBox& box);
// The inset drawn at its place.
void inset(Canvas& c, const InsetBox& box, const InsetSpot& at);
// The graph's log told of an inset whose place, chosen for want of one clear of the data, hides
// some of it (insetover); a, b: the class values of its panel (empty: a plot of one panel).
void insetnote(const InsetSpot& at, const std::string& a, const std::string& b);

// A text strip above a panel frame with the panel's group.
void strip(Canvas& c, const Frame& f, const std::string& text, double height);
double stripheight();

}  // namespace rt::sgr
