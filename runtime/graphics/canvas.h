// A drawing surface for pages: lines, polylines, filled and hatched polygons, stamped
// markers, text and clipping. Coordinates are points with the origin at the bottom left of
// the page; every coordinate handed in is finite (the callers clip or drop the others).
//
// CairoCanvas draws into an SVG and a PNG per page; RecordingCanvas logs each primitive for
// the tests; TeeCanvas hands every call to several canvases. The device-graphics services
// and the statistical-graphics renderer draw through this interface.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>
#include "runtime/graphics/fonts.h"

namespace rt::gfx {

struct Rgb {
    double r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

struct Stroke {
    Rgb color;
    double width = 0.75;            // points
    std::vector<double> dashes;     // on, off, ... in points; empty: solid
};

struct TextStyle {
    FontFace face;
    double size = 10;               // font size (em), points
    Rgb color;
};

// Where the text stands relative to its point: it starts there, ends there, or is centred.
enum class Anchor { Start, End, Middle };

// A marker shape in unit coordinates (the marker spans -0.5 .. 0.5 around its centre):
// open strokes, closed outlines, and whether the outlines are filled.
struct MarkerShape {
    std::string name;
    std::vector<std::vector<std::pair<double, double>>> paths;
    bool closed = false;            // the paths are closed outlines
    bool filled = false;            // closed outlines are filled
    bool circle = false;            // a circle of diameter 1 in place of the paths
    bool dot = false;               // a filled circle
};

class Canvas {
public:
    virtual ~Canvas() = default;
    virtual void begin(double width, double height, const Rgb& background) = 0;
    virtual void line(double x0, double y0, double x1, double y1, const Stroke& s) = 0;
    virtual void polyline(const double* xy, size_t npoints, const Stroke& s) = 0;
    // A filled polygon; opacity below 1 lets what is drawn under it show through.
    virtual void fill(const double* xy, size_t npoints, const Rgb& c, double opacity = 1.0) = 0;
    // Parallel lines at the angle (degrees) and spacing (points) inside the polygon.
    virtual void hatch(const double* xy, size_t npoints, const Stroke& s, double angle, double spacing) = 0;
    // One marker at every point: the shape drawn once and stamped.
    virtual void markers(const MarkerShape& m, double size, const Stroke& s, const double* xy, size_t npoints) = 0;
    // Text with its baseline through (x, y), turned by angle degrees counter-clockwise.
    virtual void text(std::string_view utf8, double x, double y, double angle, Anchor a, const TextStyle& t) = 0;
    virtual void pushclip(double x0, double y0, double x1, double y1) = 0;
    virtual void popclip() = 0;
    // Ends the page; false when it could not be written (the reason in error()).
    virtual bool end() = 0;
    virtual std::string error() const { return {}; }
};

// Text metrics of the installed faces (the faces the cairo canvas draws with).
struct TextExtent {
    double width = 0;               // advance along the baseline, points
    double ascent = 0, descent = 0; // of the face at that size, points
    double below = 0;               // how far the text's own glyphs reach below the baseline, points
    double above = 0;               // and above it
    double inkleft = 0, inkright = 0;   // how far the ink starts after the pen, stops before the advance's end
};
TextExtent measure(std::string_view utf8, const TextStyle& t);
// The largest text size cairo draws, in pixels (points on a page at 72 dpi): FreeType keeps a
// face's size in whole pixels per em in 16 bits, and a size past that fails the face for every
// text of any size drawn or measured after it in the process. A larger text is measured from
// this size (the measures grow with the size), and the cairo canvas does not draw it.
constexpr double kLargestTextSize = 65000;

// The text as every canvas of a page draws it and measure() measures it, on both roads: what
// cairo would refuse is drawn as bytes that are no UTF-8 are, each byte the Latin-1 character
// of its value (a surrogate, a noncharacter, a code point past U+10FFFF, an overlong form,
// a stray byte), and control characters as blanks; what it returns is its own result again.
std::string utf8clean(std::string_view s);

}  // namespace rt::gfx
