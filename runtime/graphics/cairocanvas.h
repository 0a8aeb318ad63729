// The page as an SVG and a PNG, drawn with cairo. Markers are drawn once per shape, size and
// colour and stamped at every point: a <use> of one definition in the SVG, a small image
// painted at each pixel position in the PNG. The PNG is drawn as the calls come; the SVG's
// drawing is kept and played onto its surface when the page ends, so that a page of more
// than kSvgMarkerBudget markers, which keeps its PNG only (its SVG would be far too large to
// show, and the report embeds the PNG of such a page), never spends time on an SVG (nor
// touches a file at its name: the page's owner decides what becomes of one). Both
// files are written under temporary names and renamed into place when the page ends, so no
// half-written page is left.
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>
#include "runtime/graphics/canvas.h"
#include "runtime/graphics/shortmarks.h"
#include "runtime/graphics/stampblit.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace rt::gfx {

constexpr size_t kSvgMarkerBudget = 50000;

class CairoCanvas : public Canvas {
public:
    // Either path may be empty: that file is not made. dpi is the PNG's resolution.
    CairoCanvas(std::string svgpath, std::string pngpath, double dpi);
    ~CairoCanvas() override;

    void begin(double width, double height, const Rgb& background) override;
    void line(double x0, double y0, double x1, double y1, const Stroke& s) override;
    void polyline(const double* xy, size_t npoints, const Stroke& s) override;
    void fill(const double* xy, size_t npoints, const Rgb& c, double opacity = 1.0) override;
    void hatch(const double* xy, size_t npoints, const Stroke& s, double angle, double spacing) override;
    void markers(const MarkerShape& m, double size, const Stroke& s, const double* xy, size_t npoints) override;
    void text(std::string_view utf8, double x, double y, double angle, Anchor a, const TextStyle& t) override;
    void pushclip(double x0, double y0, double x1, double y1) override;
    void popclip() override;
    bool end() override;
    std::string error() const override { return error_; }
    // The page had more than kSvgMarkerBudget markers: no SVG of it is made, and a file at
    // its name is not touched.
    bool svgdropped() const { return svgdropped_; }

    // Markers inside the clipping rectangle are stamped into the PNG without cairo; false
    // sends every marker through cairo (for the tests that compare the two).
    static inline bool directstamps = true;
    // Short horizontal and vertical solid lines inside the clip are set into the PNG from
    // what cairo made of them before (runtime/graphics/shortmarks.h); false strokes every
    // line with cairo (for the tests).
    static inline bool directlines = true;

private:
    struct Stamp;
    struct SvgStamp;
    using SvgOp = std::function<void(cairo_t*)>;
    struct PixelBox {
        int x0, y0, x1, y1;   // [x0, x1) x [y0, y1), image pixels
    };
    std::string svgpath_, pngpath_, svgtmp_, pngtmp_, error_;
    double dpi_, w_ = 0, h_ = 0;
    cairo_surface_t* svg_ = nullptr;
    cairo_surface_t* png_ = nullptr;
    cairo_t* cs_ = nullptr;
    cairo_t* cp_ = nullptr;
    uint32_t* pngdata_ = nullptr;   // the PNG's pixels and their stride (in pixels)
    int pngstride_ = 0;
    int clips_ = 0;
    size_t svgmarks_ = 0;
    std::vector<PixelBox> pclip_;   // the whole pixels of the image inside each clip pushed
    std::map<std::string, std::unique_ptr<Stamp>> stamps_;
    std::map<std::string, std::unique_ptr<SvgStamp>> svgstamps_;
    Stamp* laststamp_ = nullptr;    // the stamp of the last markers, with their style
    std::string lastshape_;
    double lastsize_ = 0;
    Stroke laststroke_;
    bool svgwanted_ = false;        // the page's SVG is to be made
    bool svgdropped_ = false;       // the page's SVG was given up (too many markers)
    std::vector<SvgOp> svgq_;       // the SVG's drawing, played when the page ends
    std::unique_ptr<ShortMarks> marks_;
    bool direct_ = false;           // pixels were written past cairo since it last drew
    // The first text of the page that could not be drawn, named as it was handed in, and why.
    std::string textfailure_;
    std::string failure(int status) const;
    void release();
    void dropsvg();
    bool writesvg();
    Stamp& stamp(const MarkerShape& m, double size, const Stroke& s);
    SvgStamp& svgstamp(const MarkerShape& m, double size, const Stroke& s);
    // Draws on the PNG now and keeps the drawing for the SVG.
    template <class Op>
    void both(Op op) {
        if (cp_) settle(), op(cp_);
        if (svgwanted_) svgq_.emplace_back(std::move(op));
    }
    void pngmarkers(const Stamp& st, const double* xy, size_t n);
    // Before cairo draws on the PNG again: it is told of the pixels written past it.
    void settle();
};

}  // namespace rt::gfx
