// The test page: every device-graphics service draws onto one page (all symbols, line
// types, device colours, fill patterns, turned and stacked text, a legend, clipping, a
// cleared area, broken and infinite polylines). The page is written as SVG and PNG (kept
// in graphics-TestPage/ of the test folder for a person to look at) and checked against
// its recording.
#include <cairo.h>
#include <cmath>
#include <cstring>
#include <limits>
#include "runtime/graphics/device.h"
#include "tests/unit/graphics/fixture.h"
#include "tests/unit/graphics/xmlcheck.h"

namespace {

class TestPage : public GraphicsTest {};

void text(const vec116* G, const char* s, double x, double y, double h, int align = 1, float angle = 0, int color = 1) {
    ggtext t;
    G->ggstri(&t);
    t.text = s;
    t.len = static_cast<int32_t>(std::strlen(s));
    t.x = static_cast<float>(x);
    t.y = static_cast<float>(y);
    t.height = static_cast<float>(h);
    t.align = align;
    t.angle = angle;
    t.color = color;
    G->ggstr(0, &t);
}

TEST_F(TestPage, EveryServiceOnOnePage) {
    rt::gfx::devstate(&session).writefiles = true;
    void* seg = openpage("TESTPAGE");
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    text(G, "Device graphics test page", 50, 96, 3.0, 3);

    // Symbols, six to a row, each with its name.
    int nsym = rt::gfx::symbolcount();
    for (int k = 1; k <= nsym; ++k) {
        double x = 5 + ((k - 1) % 6) * 8.0, y = 88 - ((k - 1) / 6) * 7.0;
        symrec s;
        G->ggetsym(0, 1, &s);
        s.symbol[0] = static_cast<uint32_t>(k);
        s.symsize = 2.5f;
        s.symcolnum = 4;
        G->ggsymb(0, x, y, &s);
        text(G, rt::gfx::symbolname(k), x, y - 3.2, 1.1, 3);
    }
    // Line types 1 to 46 in two columns.
    for (int k = 1; k <= 46; ++k) {
        double x = k <= 23 ? 52 : 77, y = 90 - ((k - 1) % 23) * 2.3;
        char n[4];
        std::snprintf(n, sizeof n, "%d", k);
        text(G, n, x, y - 0.5, 1.4, 2);
        G->ggdraw(0, x + 1, y, x + 20, y, k, 1);
    }
    // Device colours as filled boxes with their names.
    for (int k = 1; k <= 12; ++k) {
        char name[8];
        G->ggcnum5(0, k, name);
        double x = 2 + (k - 1) * 8.1;
        G->ggfill(0, x, 3, x + 7, 7, "S       ", k, 3, 1, 1, 1);
        std::string n(name, 8);
        n.erase(n.find_last_not_of(' ') + 1);
        text(G, n.c_str(), x + 3.5, 1, 1.3, 3);
    }
    // Fill patterns.
    const char* pats[] = {"S", "E", "L1", "L3", "L5", "R2", "R4", "X1", "X3", "X5"};
    for (int k = 0; k < 10; ++k) {
        char p[8];
        std::memset(p, ' ', 8);
        std::memcpy(p, pats[k], std::strlen(pats[k]));
        double x = 2 + k * 5.2;
        G->ggfill(0, x, 10, x + 4.5, 17, p, G->ggcnum(0, "CX2A5CAA"), 3, 1, 1, 1);
        text(G, pats[k], x + 2.25, 18, 1.3, 3);
    }
    // Turned text around one point, and text turned by ggstxfm.
    const float turns[] = {0.0f, 45.0f, 90.0f, 180.0f, 270.0f};
    const double at[][2] = {{8, 44}, {8, 47}, {31, 40}, {32, 58}, {34, 66}};
    for (int k = 0; k < 5; ++k) {
        char s[32];
        std::snprintf(s, sizeof s, "turned %g", turns[k]);
        text(G, s, at[k][0] + 8, at[k][1] - 4, 1.6, 1, turns[k], 5);
    }
    G->ggstxfm(90.0, 0.0);
    text(G, "ggstxfm 90", 47, 24, 1.6, 1);
    G->ggstxfm(0.0, 0.0);
    // Stacked text: one character per line.
    const char* stack = "STACKED";
    for (int k = 0; stack[k]; ++k) {
        char c[2] = {stack[k], 0};
        text(G, c, 2, 55 - k * 2.4, 2.0, 3);
    }
    // Clipping: a curve through a missing point and an infinite one, clipped to a box.
    double box[10] = {8, 22, 26, 22, 26, 37, 8, 37, 8, 22};
    ggpolyblk outline{5, 1, 0, GGP_LINE, 0, box};
    G->ggpline(0, &outline, 1, nullptr);
    std::vector<double> curve;
    for (int k = 0; k <= 60; ++k) {
        double x = 4 + k * 0.4, y = 29.5 + 10 * std::sin(k * 0.2);
        if (k == 20) x = nan;
        if (k == 40) y = inf;
        curve.push_back(x);
        curve.push_back(y);
    }
    float clip[4] = {8, 22, 26, 37};
    ggpolyblk pb{61, 1, 0, GGP_CURVE, 0, curve.data()};
    G->ggpline(0, &pb, G->ggcnum(0, "RED     "), clip);
    ggmarkblk mb{};
    mb.symbol[0] = 13;
    mb.size = 1.5f;
    mb.count = 61;
    mb.attr = GGM_POINTS;
    mb.pts = curve.data();
    G->ggpmark(0, &mb, G->ggcnum(0, "BLUE    "), clip);
    // A clip pushed and popped around a line, then a registered area cleared.
    ggregion r{30, 22, 40, 30, 2, 0};
    int32_t saved = -1;
    G->ggrba(0, &r, &saved, 0, 7);
    G->ggdraw(0, 28, 21, 42, 31, 1, 5);
    G->ggrdba(0, 2, &saved, &r, 0, 7);
    G->ggdraw(0, 28, 31, 42, 21, 1, 6);
    for (double y = 22; y <= 30; y += 1) G->ggdraw(0, 30, y, 40, y, 1, 2);
    ggregion area{33, 24, 37, 28, 2, 0};
    G->ggrba(0, &area, nullptr, 0, 7);
    G->ggrdba(0, 2, nullptr, &area, 0, 7);
    G->ggfill(0, 33, 24, 37, 28, "E       ", 1, 3, 1, 1, 1);
    // A legend of three entries below everything else.
    char e1[40], e2[40], e3[40], title[40];
    std::memset(e1, ' ', 40), std::memcpy(e1, "Group A", 7);
    std::memset(e2, ' ', 40), std::memcpy(e2, "Group B", 7);
    std::memset(e3, ' ', 40), std::memcpy(e3, "Group C", 7);
    std::memset(title, ' ', 40), std::memcpy(title, "Groups", 6);
    legent ents[3] = {{40, 7, e1}, {40, 7, e2}, {40, 7, e3}};
    symrec syms[3];
    G->ggetsym(0, 3, syms);
    for (int k = 0; k < 3; ++k) syms[k].symbol[0] = static_cast<uint32_t>(k + 1), syms[k].ltype = static_cast<int16_t>(k + 1);
    std::memcpy(syms[1].symcolor, "RED     ", 8);
    legrec lg{};
    lg.kind = 'S';
    lg.entries = ents;
    lg.syms = syms;
    lg.count = 3;
    lg.titlesize = 40;
    lg.titlelen = 6;
    lg.title = title;
    std::memset(lg.framecolor, ' ', 8), std::memset(lg.textcolor, ' ', 8), std::memset(lg.font, ' ', 8);
    lg.box[0] = 'B', lg.box[1] = 'E';
    double window[4] = {50, 20, 100, 100};
    EXPECT_EQ(G->gglsize(0, &lg, window), 0);
    EXPECT_GT(window[1], 20.0);   // the legend's room was taken from the window
    float frame[9] = {0, 50, 30, 50, 40, 98, 40, 98, 30};
    EXPECT_EQ(G->ggldraw(0, &lg, frame), 0);
    const rt::gfx::RecordingCanvas& rec = recording(seg);
    const std::string svgpath = static_cast<rt::gfx::Page*>(seg)->svgpath, pngpath = static_cast<rt::gfx::Page*>(seg)->pngpath;
    ASSERT_EQ(G->ggcseg(0, &seg, 0), 0);

    // The files: valid XML, a PNG that decodes to the page's size at 120 dpi.
    std::string svg = slurp(svgpath);
    ASSERT_FALSE(svg.empty());
    EXPECT_EQ(xmlproblem(svg), "");
    cairo_surface_t* png = cairo_image_surface_create_from_png(pngpath.c_str());
    ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(png), 960);
    EXPECT_EQ(cairo_image_surface_get_height(png), 720);
    cairo_surface_destroy(png);

    // The recording: every symbol stamped once, every line type drawn, every text present.
    int symbols = 0;
    for (const auto* p : rec.of(rt::gfx::Prim::Markers)) symbols += p->text != "CIRCLE" || p->xy.size() == 2;
    EXPECT_GE(symbols, nsym);
    auto texts = rec.texts();
    for (const char* want : {"Device graphics test page", "TRIANGLE", "46", "turned 90", "ggstxfm 90", "Groups:", "Group C", "GRAY80"})
        EXPECT_NE(std::find(texts.begin(), texts.end(), want), texts.end()) << want;
    // The curve breaks at the missing point and ends at the page's top where it goes to infinity.
    int curves = 0;
    double top = 0;
    for (const auto* p : rec.of(rt::gfx::Prim::Polyline))
        if (p->stroke.color == rt::gfx::Rgb{0.8784313725490196, 0, 0}) {
            ++curves;
            for (size_t k = 1; k < p->xy.size(); k += 2) top = std::max(top, rec.pcty(p->xy[k]));
        }
    EXPECT_EQ(curves, 3);   // up to the gap; from it up to infinity; from infinity to the end
    EXPECT_NEAR(top, 100.0, 1e-9);
    // The text turned by ggstxfm keeps its angle; the turn ends with ggstxfm(0).
    for (const auto* p : rec.of(rt::gfx::Prim::Text)) {
        if (p->text == "ggstxfm 90") {
            EXPECT_EQ(p->angle, 90.0);
        }
        if (p->text == "S" || p->text == "Groups:") {
            EXPECT_EQ(p->angle, 0.0);
        }
    }
}

}  // namespace
