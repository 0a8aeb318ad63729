// Short horizontal and vertical solid lines (the limit bars of a dense curve: millions of
// them on one page, most over pixels that earlier bars have painted already) drawn into the
// page image without a cairo stroke each, byte for byte as cairo strokes them.
//
// Cairo keeps a path in fixed point, 1/256 of a pixel, and strokes it the same way at any
// whole-pixel shift, so what a line does to the page depends only on its shape (its position
// within a pixel, its extent, width and colour) and on the pixels it touches. The first time a
// shape is seen, cairo strokes it once on a scratch image to learn which pixels it touches.
// Then each line of that shape either finds the touched pixels as a line of its shape found
// them before, and they are set to what cairo made of them then (nothing to do when cairo
// left them as they were), or it is stroked by cairo on the page and what cairo made of those
// pixels is remembered. No compositing arithmetic is assumed: every result is one cairo made.
#pragma once
#include <cstdint>
#include <vector>
#include "runtime/graphics/canvas.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace rt::gfx {

class ShortMarks {
public:
    // scale: image pixels per point (the page's transformation, with no translation).
    explicit ShortMarks(double scale);
    ~ShortMarks();
    ShortMarks(const ShortMarks&) = delete;
    ShortMarks& operator=(const ShortMarks&) = delete;

    enum Result { Painted, ByCairo, NotShort };
    // The line from (x0, y0) to (x1, y1) (cairo's user space of the page: points, y down) on
    // the image: Painted when it was drawn from what is remembered; ByCairo when cairo must
    // stroke it on the page now, after which learned() is called; NotShort when it is no short
    // horizontal or vertical solid line whose pixels, with a margin, lie inside
    // [bx0, bx1) x [by0, by1) (the whole pixels of the clip, where cairo strokes it as it would
    // without the clip). `setstroke` sets the stroke's style on a cairo context as the page's
    // strokes have it.
    Result paint(uint32_t* img, int stride, int bx0, int by0, int bx1, int by1, double x0, double y0, double x1, double y1,
                 const Stroke& s, void (*setstroke)(cairo_t*, const Stroke&));
    // After cairo stroked the line that paint() answered ByCairo for: its pixels are read back.
    void learned(const uint32_t* img, int stride);

    // For the tests: shapes learnt, and lines painted from memory.
    size_t shapes() const { return shapes_.size(); }
    int64_t painted() const { return painted_; }

private:
    struct Style {
        Rgb color;
        double width;
    };
    struct Shape {
        uint32_t id = 0;
        uint32_t at = 0, n = 0;       // its touched pixels in offsets_ (x, y from the start pixel)
        uint32_t last = 0;            // 1 + the place in entries_ of its stroke remembered last (0: none)
    };
    struct ShapeSlot {
        uint64_t key = 0;             // style, position within a pixel and extent (1/256 pixel)
        uint32_t at = 0;              // 1 + the shape's place in shapes_; 0: empty
    };
    struct Slot {
        uint64_t hash = 0;
        uint32_t at = 0;              // 1 + the entry's place in entries_; 0: empty
    };
    double scale_;
    cairo_surface_t* scratch_ = nullptr;
    cairo_t* cr_ = nullptr;
    std::vector<Style> styles_;
    uint32_t laststyle_ = 0;
    std::vector<Shape> shapes_;
    std::vector<ShapeSlot> shapeslots_;
    std::vector<int16_t> offsets_;
    // Remembered strokes: shape id, the touched pixels before, after; found by a hash of the
    // first two in an open-addressed table.
    std::vector<uint32_t> entries_;
    std::vector<Slot> table_;
    size_t used_ = 0;
    // The line waiting for learned().
    Shape* pending_ = nullptr;   // (shapes_ does not grow before learned())
    int64_t px_ = 0, py_ = 0;
    uint64_t hash_ = 0;
    std::vector<uint32_t> before_;
    int64_t painted_ = 0;
    bool learn(Shape& sh, double x0, double y0, double x1, double y1, int lx, int ly, int w, int h, int64_t ix, int64_t iy,
               const Stroke& s, void (*setstroke)(cairo_t*, const Stroke&));
    void forget();
    void startanew();
    uint32_t style(const Stroke& s);
    ShapeSlot& shapeslot(uint64_t key);
};

}  // namespace rt::gfx
