// The page as an SVG and a PNG, drawn with cairo at the same time. Markers are drawn once
// per shape, size and colour and stamped at every point: a <use> of one definition in the
// SVG, a small image painted at each pixel position in the PNG. Both files are written under
// temporary names and renamed into place when the page ends, so no half-written page is left.
// A page of more than kSvgMarkerBudget markers keeps its PNG only: its SVG would be far too
// large to show (the report embeds the PNG of such a page) and slow to write.
#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>
#include "runtime/graphics/canvas.h"
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
    void fill(const double* xy, size_t npoints, const Rgb& c) override;
    void hatch(const double* xy, size_t npoints, const Stroke& s, double angle, double spacing) override;
    void markers(const MarkerShape& m, double size, const Stroke& s, const double* xy, size_t npoints) override;
    void text(std::string_view utf8, double x, double y, double angle, Anchor a, const TextStyle& t) override;
    void pushclip(double x0, double y0, double x1, double y1) override;
    void popclip() override;
    bool end() override;
    std::string error() const override { return error_; }

private:
    struct Stamp;
    struct PixelBox {
        int x0, y0, x1, y1;   // [x0, x1) x [y0, y1), image pixels
    };
    std::string svgpath_, pngpath_, svgtmp_, pngtmp_, error_;
    double dpi_, w_ = 0, h_ = 0;
    cairo_surface_t* svg_ = nullptr;
    cairo_surface_t* png_ = nullptr;
    cairo_t* cs_ = nullptr;
    cairo_t* cp_ = nullptr;
    int clips_ = 0;
    size_t svgmarks_ = 0;
    std::vector<PixelBox> pclip_;   // the whole pixels of the image inside each clip pushed
    std::map<std::string, std::unique_ptr<Stamp>> stamps_;
    void release();
    void dropsvg();
    Stamp& stamp(const MarkerShape& m, double size, const Stroke& s);
    void pngmarkers(const Stamp& st, const double* xy, size_t n);
};

}  // namespace rt::gfx
