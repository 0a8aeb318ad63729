// Markers stamped straight into the page image come out byte for byte as cairo paints them:
// translucent stamp edges painted many times at one spot, runs broken over several calls,
// and markers cut by a clipping rectangle whose edges fall inside pixels. Short horizontal and
// vertical lines stamped the same way come out as cairo strokes them.
#include <cairo.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

#include "runtime/graphics/cairocanvas.h"
#include "runtime/graphics/device.h"
#include "runtime/graphics/shortmarks.h"
#include "runtime/graphics/stampblit.h"

namespace {

using rt::gfx::CairoCanvas;

// A page image with something under the stamps: a ramp of colours and a few bright pixels.
cairo_surface_t* background(int w, int h) {
    cairo_surface_t* img = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    cairo_surface_flush(img);
    auto* px = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(img));
    const int stride = cairo_image_surface_get_stride(img) / 4;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            px[y * stride + x] = 0xff000000u | ((x * 7 & 255) << 16) | ((y * 5 & 255) << 8) | ((x * y + 3) % 251 == 0 ? 255 : 40);
    cairo_surface_mark_dirty(img);
    return img;
}

TEST(Stamps, RepeatedStampsMatchCairoPaintByteForByte) {
    // A stamp with every kind of pixel: opaque, antialiased edges, a translucent fill.
    cairo_surface_t* st = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 15, 15);
    cairo_t* c = cairo_create(st);
    cairo_set_source_rgba(c, 0.2, 0.5, 0.9, 0.35);
    cairo_arc(c, 7.3, 7.6, 5.1, 0, 6.2832);
    cairo_fill_preserve(c);
    cairo_set_source_rgb(c, 0.8, 0.1, 0.1);
    cairo_set_line_width(c, 1.3);
    cairo_stroke(c);
    cairo_move_to(c, 2.2, 12.5);
    cairo_line_to(c, 12.7, 3.1);
    cairo_stroke(c);
    cairo_destroy(c);
    cairo_surface_flush(st);
    const rt::gfx::StampImage si = rt::gfx::stampimage(reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(st)), 15, 15,
                                                       cairo_image_surface_get_stride(st) / 4);
    EXPECT_GT(si.x1 - si.x0, 8);
    EXPECT_LE(si.x1, 15);

    for (int times : {1, 2, 3, 17, 400}) {
        cairo_surface_t* ref = background(40, 30);
        cairo_surface_t* got = background(40, 30);
        cairo_t* r = cairo_create(ref);
        for (int k = 0; k < times; ++k) {
            cairo_set_source_surface(r, st, 11, 6);
            cairo_paint(r);
        }
        cairo_set_source_surface(r, st, 18, 9);   // overlapping the first spot
        cairo_paint(r);
        cairo_destroy(r);
        cairo_surface_flush(ref);
        auto* g = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(got));
        const int stride = cairo_image_surface_get_stride(got) / 4;
        rt::gfx::stampover(g, stride, si, 11, 6, times);
        rt::gfx::stampover(g, stride, si, 18, 9, 1);
        const auto* a = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(ref));
        int differ = 0;
        for (int k = 0; k < 30 * stride; ++k) differ += (a[k] & 0xffffff) != (g[k] & 0xffffff);
        EXPECT_EQ(differ, 0) << times << " paints at one spot";
        cairo_surface_destroy(ref);
        cairo_surface_destroy(got);
    }
    cairo_surface_destroy(st);
}

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream b;
    b << in.rdbuf();
    return b.str();
}

// One page through the canvas: a clip whose edges cut pixels, markers inside it, across its
// edges and outside it, repeated at a spot over two calls, with a line drawn in between.
std::string page(const std::string& dir, const char* name, bool direct, bool withmarkers) {
    const std::string png = dir + "/" + name + ".png";
    CairoCanvas::directstamps = direct;
    CairoCanvas cv("", png, 96);
    cv.begin(200, 150, rt::gfx::Rgb{1, 1, 1});
    cv.pushclip(20.3, 15.6, 170.45, 128.2);
    rt::gfx::Stroke s;
    s.color = rt::gfx::Rgb{0.1, 0.2, 0.7};
    std::vector<double> xy;
    for (int k = 0; k < 300; ++k) xy.insert(xy.end(), {60.2, 70.7});               // one spot
    for (double d = -6; d < 6; d += 0.11) {                                       // across every edge
        xy.insert(xy.end(), {40 + 10 * d, 15.6 + d});
        xy.insert(xy.end(), {40 + 10 * d, 128.2 + d});
        xy.insert(xy.end(), {20.3 + d, 60 + 5 * d});
        xy.insert(xy.end(), {170.45 + d, 60 + 5 * d});
    }
    for (double t = 0; t < 1; t += 0.001) xy.insert(xy.end(), {30 + 120 * t, 30 + 80 * t * t});
    if (withmarkers) {
        cv.markers(rt::gfx::symbolshape(1), 7, s, xy.data(), xy.size() / 2);
        cv.line(0, 0, 200, 150, s);
        cv.markers(rt::gfx::symbolshape(1), 7, s, xy.data(), 150);              // the run goes on
        cv.markers(rt::gfx::symbolshape(2), 5.5, s, xy.data() + 600, xy.size() / 2 - 300);
    }
    cv.popclip();
    if (withmarkers) cv.markers(rt::gfx::symbolshape(2), 5.5, s, xy.data() + 600, 200);   // unclipped, off the page too
    EXPECT_TRUE(cv.end()) << cv.error();
    CairoCanvas::directstamps = true;
    return slurp(png);
}

TEST(Stamps, CanvasPageIsTheSameAsCairoAlonePaintsIt) {
    const std::string dir = (std::filesystem::current_path() / "graphics-Stamps").string();
    std::filesystem::create_directories(dir);
    const std::string direct = page(dir, "direct", true, true), viacairo = page(dir, "cairo", false, true);
    ASSERT_FALSE(direct.empty());
    EXPECT_TRUE(direct == viacairo);
    EXPECT_NE(direct, page(dir, "empty", true, false));
}

// Short lines at every position within a pixel, of several widths and colours, painted one
// over another at a spot and beside each other, over a coloured background: the image made
// with the remembered strokes is the one cairo strokes, and most lines came from memory.
TEST(Stamps, ShortLinesFromMemoryAreTheLinesCairoStrokes) {
    const int w = 120, h = 90;
    const double scale = 120.0 / 72.0;
    cairo_surface_t* ref = background(w, h);
    cairo_surface_t* got = background(w, h);
    cairo_t* r = cairo_create(ref);
    cairo_scale(r, scale, scale);
    cairo_t* c = cairo_create(got);
    cairo_scale(c, scale, scale);
    rt::gfx::ShortMarks marks(scale);
    auto* g = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(got));
    const int stride = cairo_image_surface_get_stride(got) / 4;
    auto setstroke = [](cairo_t* c, const rt::gfx::Stroke& s) {
        cairo_set_source_rgb(c, s.color.r, s.color.g, s.color.b);
        cairo_set_line_width(c, s.width);
        cairo_set_line_cap(c, CAIRO_LINE_CAP_BUTT);
        cairo_set_line_join(c, CAIRO_LINE_JOIN_ROUND);
        cairo_set_dash(c, nullptr, 0, 0);
    };
    std::mt19937 gen(3);
    std::uniform_real_distribution<double> u(0, 1);
    const rt::gfx::Rgb colours[] = {{0, 0, 0}, {0.9, 0.1, 0.3}, {0.2, 0.6, 1}};
    const double widths[] = {0.5, 1, 1.3};
    int lines = 0;
    for (int k = 0; k < 40000; ++k) {
        // then black bars alone, as the limits of a dense curve
        const bool bars = k >= 20000;
        rt::gfx::Stroke s;
        s.color = colours[bars ? 0 : k % 3];
        s.width = widths[bars ? 1 : (k / 3) % 3];
        // mostly at 60 spots of a small area (lines over lines, again and again), a few
        // anywhere, some at one spot again
        const int spot = static_cast<int>(60 * u(gen));
        double x = 20 + 0.37 * spot, y = 15 + 0.23 * spot;
        if (k % 7 == 0) x = 3 + 60 * u(gen), y = 3 + 45 * u(gen);
        if (k % 11 == 0) x = 30.3, y = 22.71;
        const double len = k % 13 == 0 ? 0 : k % 2 || bars ? 3 : 0.5 + 5 * u(gen);
        const bool vertical = k % 4 == 0 && !bars;
        const double x1 = vertical ? x : x + len, y1 = vertical ? y + len : y;
        ++lines;
        for (cairo_t* t : {r, c}) cairo_move_to(t, x, y), cairo_line_to(t, x1, y1);
        setstroke(r, s);
        cairo_stroke(r);
        cairo_surface_flush(got);
        const auto how = marks.paint(g, stride, 0, 0, w, h, x, y, x1, y1, s, setstroke);
        if (how == rt::gfx::ShortMarks::Painted) {
            cairo_new_path(c);
            cairo_surface_mark_dirty(got);
            continue;
        }
        setstroke(c, s);
        cairo_stroke(c);
        cairo_surface_flush(got);
        if (how == rt::gfx::ShortMarks::ByCairo) marks.learned(g, stride);
    }
    cairo_destroy(r);
    cairo_destroy(c);
    cairo_surface_flush(ref);
    cairo_surface_flush(got);
    const auto* a = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(ref));
    int differ = 0;
    for (int k = 0; k < h * stride; ++k) differ += (a[k] & 0xffffff) != (g[k] & 0xffffff);
    EXPECT_EQ(differ, 0);
    EXPECT_GT(marks.painted(), lines / 4);
    EXPECT_GT(marks.shapes(), 1000u);
    cairo_surface_destroy(ref);
    cairo_surface_destroy(got);
}

// A page of limit bars through the canvas, with and without stamping: inside a clip whose
// edges cut pixels, across its edges, on the page outside it, with markers and long and
// dashed lines between them.
std::string barpage(const std::string& dir, const char* name, bool direct) {
    const std::string png = dir + "/" + name + ".png";
    CairoCanvas::directlines = direct;
    CairoCanvas cv("", png, 120);
    cv.begin(200, 150, rt::gfx::Rgb{1, 1, 1});
    rt::gfx::Stroke s, dashed;
    s.color = rt::gfx::Rgb{0.1, 0.2, 0.7};
    dashed.dashes = {2, 1};
    std::mt19937 gen(5);
    std::uniform_real_distribution<double> u(0, 1);
    std::vector<double> xy;
    for (int pass = 0; pass < 2; ++pass) {
        cv.pushclip(20.3, 15.6, 170.45, 128.2);
        for (int k = 0; k < 20000; ++k) {
            const double t = u(gen), x = 15 + 160 * t, y = 20 + 100 * t * t + 3 * u(gen), half = 2.5;
            cv.line(x - half, y, x + half, y, s);
            if (k % 5 == 0) cv.line(x, y - half, x, y + half, s);
            if (k % 500 == 0) {
                xy.assign({x, y, x + 1, y + 2});
                cv.markers(rt::gfx::symbolshape(1), 5, s, xy.data(), 2);
                cv.line(x, y, x + 40, y + 30, s);
                cv.line(x, y + 5, x + 3, y + 5, dashed);
            }
        }
        cv.popclip();
        for (int k = 0; k < 300; ++k) cv.line(10 + 180 * u(gen), 140 + 12 * u(gen), 12 + 180 * u(gen), 140 + 12 * u(gen), s);
        s.width = 1.4;
    }
    EXPECT_TRUE(cv.end()) << cv.error();
    CairoCanvas::directlines = true;
    return slurp(png);
}

TEST(Stamps, PageOfLimitBarsIsTheSameAsCairoAloneStrokesIt) {
    const std::string dir = (std::filesystem::current_path() / "graphics-Stamps").string();
    std::filesystem::create_directories(dir);
    const std::string direct = barpage(dir, "bars-direct", true), viacairo = barpage(dir, "bars-cairo", false);
    ASSERT_FALSE(direct.empty());
    EXPECT_TRUE(direct == viacairo);
}

}  // namespace
