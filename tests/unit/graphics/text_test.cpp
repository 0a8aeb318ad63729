// Font names (FONT= texts become 8-character names that stand for installed faces), the
// measures of turned text, the text cairo draws of any bytes, and the pages inlined into the
// report.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>
#include "runtime/graphics/cairocanvas.h"
#include "runtime/graphics/fonts.h"
#include "runtime/output/embed.h"
#include "tests/unit/graphics/fixture.h"

namespace {

std::string name(const char* text, int* rc = nullptr) {
    char out[8];
    int r = rt::gfx::fontname(text, static_cast<int>(std::string(text).size()), out);
    if (rc) *rc = r;
    return std::string(out, 8);
}

TEST(FontNames, ShortAndFamilyNamesMapToTheInstalledFaces) {
    int rc = -1;
    EXPECT_EQ(name("swiss", &rc), "SWISS   ");
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(name("'Times New Roman/bold'", &rc), "TIMESB  ");
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(name("Arial/italic"), "SWISSI  ");
    EXPECT_EQ(name("DejaVu Sans Mono"), "COURIER ");
    EXPECT_EQ(name("SIMPLEX"), "SIMPLEX ");
    EXPECT_EQ(name("none"), "NONE    ");
    EXPECT_EQ(name("   "), "        ");
    EXPECT_EQ(rt::gfx::fontface("TIMESBI ").family, "DejaVu Serif");
    EXPECT_TRUE(rt::gfx::fontface("TIMESBI ").bold && rt::gfx::fontface("TIMESBI ").italic);
    EXPECT_EQ(rt::gfx::fontface("        ").family, "DejaVu Sans");
    EXPECT_TRUE(rt::gfx::installed("DejaVu Sans"));
}

TEST(FontNames, LongUnknownFamiliesGetOneAliasEach) {
    int rc = -1;
    std::string a = name("Nowhere Grotesque Display", &rc);
    EXPECT_EQ(rc, 1);   // not installed: the default face stands in
    EXPECT_EQ(a[0], '@');
    EXPECT_EQ(name("Nowhere Grotesque Display"), a);
    EXPECT_NE(name("Nowhere Grotesque Display/bold"), a);
    EXPECT_EQ(rt::gfx::fontface(a.c_str()).family, "Nowhere Grotesque Display");
}

}  // namespace

// ---- measures of turned text and the report's page embedding

namespace {

class TextMeasure : public GraphicsTest {};

TEST_F(TextMeasure, TurnedTextReportsItsLengthAlongTheAxisItRunsOn) {
    openpage("MEASURE");
    ggtext t;
    G->ggstri(&t);
    t.text = "Percent failed";
    t.len = 14;
    t.height = 2.0f;
    G->ggstrl(0, &t);
    const float across = t.width, high = t.yext;
    EXPECT_GT(across, 0.0f);
    EXPECT_NEAR(t.xext, across, 1e-5);
    G->ggstxfm(90.0, 0.0);
    G->ggstrl(0, &t);
    // the same length in points: in y percent it is longer by the page's aspect (8 x 6 inches)
    EXPECT_NEAR(t.width, across * 8.0 / 6.0, 1e-4);
    EXPECT_NEAR(t.yext, t.width, 1e-4);
    EXPECT_NEAR(t.xext, high * 6.0 / 8.0, 1e-4);
    G->ggstxfm(0.0, 0.0);
}

TEST(PageEmbedding, IdsAndReferencesArePrefixedAndPngIsBase64) {
    const std::string svg =
        "<?xml version=\"1.0\"?>\n<svg width=\"1\"><defs><g id=\"glyph0-1\"/></defs>"
        "<use xlink:href=\"#glyph0-1\"/><path clip-path=\"url(#clip1)\"/></svg>";
    EXPECT_EQ(rt::out::inlinesvg(svg, "p7-"),
              "<svg width=\"1\"><defs><g id=\"p7-glyph0-1\"/></defs><use xlink:href=\"#p7-glyph0-1\"/><path "
              "clip-path=\"url(#p7-clip1)\"/></svg>");
    // Marks in any order and repeated, a kind that comes back after the others.
    EXPECT_EQ(rt::out::inlinesvg("<svg><a f=\"url(#c)\"/><b id=\"x\"/><c f=\"url(#d)\" id=\"y\"/><use href=\"#x\"/></svg>", "q-"),
              "<svg><a f=\"url(#q-c)\"/><b id=\"q-x\"/><c f=\"url(#q-d)\" id=\"q-y\"/><use href=\"#q-x\"/></svg>");
    EXPECT_EQ(rt::out::base64("Man"), "TWFu");
    EXPECT_EQ(rt::out::base64("Ma"), "TWE=");
    EXPECT_EQ(rt::out::base64("M"), "TQ==");
}

}  // namespace

// ---- the text the pages draw, whatever its bytes

namespace {

// A folder of its own under the test's working directory for pages written by a canvas.
std::string pagefolder(const std::string& name) {
    const std::string dir = (std::filesystem::current_path() / ("graphics-" + name + "-" + std::to_string(::getpid()))).string();
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

// What cairo refuses (and with it the whole page) is drawn as bytes that are not UTF-8 are, each
// byte the Latin-1 character of its value; what it draws stays as it is. The text measured is
// the text drawn, and the page with all of them is written.
TEST(DrawnText, WhatCairoRefusesIsDrawnByteByByteAsLatin1) {
    struct Row {
        const char* what;
        std::string given, drawn;
    };
    const Row rows[] = {
        {"noncharacter U+FFFF", "S\xEF\xBF\xBF", "S\xC3\xAF\xC2\xBF\xC2\xBF"},
        {"noncharacter U+FDD0", "\xEF\xB7\x90", "\xC3\xAF\xC2\xB7\xC2\x90"},
        {"noncharacter U+FDEF", "\xEF\xB7\xAF", "\xC3\xAF\xC2\xB7\xC2\xAF"},
        {"noncharacter U+1FFFE", "\xF0\x9F\xBF\xBE", "\xC3\xB0\xC2\x9F\xC2\xBF\xC2\xBE"},
        {"surrogate as CESU-8 writes it", "Lot \xED\xA0\x80" "B", "Lot \xC3\xAD\xC2\xA0\xC2\x80" "B"},
        {"past U+10FFFF", "\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xC2\x80\xC2\x80"},
        {"lead byte F5", "\xF5\x80\x80\x80", "\xC3\xB5\xC2\x80\xC2\x80\xC2\x80"},
        {"overlong of three bytes", "\xE0\x80\xAF", "\xC3\xA0\xC2\x80\xC2\xAF"},
        {"overlong of two bytes", "\xC0\xAF", "\xC3\x80\xC2\xAF"},
        {"overlong of four bytes", "\xF0\x80\x80\xAF", "\xC3\xB0\xC2\x80\xC2\x80\xC2\xAF"},
        {"Latin-1", "Lot \xE9" "A", "Lot \xC3\xA9" "A"},
        {"a character cut short", "x\xE2\x82", "x\xC3\xA2\xC2\x82"},
        {"control characters", std::string("a\tb\0c", 5), "a b c"},
        {"characters next to the refused ones",
         "\xEF\xB7\x8F\xEF\xB7\xB0\xEF\xBF\xBD\xED\x9F\xBF\xEE\x80\x80\xF4\x8F\xBF\xBD\xF0\x9F\xBF\xBD\xF0\x90\x80\x80\xC2\x80\xE2\x82\xAC",
         "\xEF\xB7\x8F\xEF\xB7\xB0\xEF\xBF\xBD\xED\x9F\xBF\xEE\x80\x80\xF4\x8F\xBF\xBD\xF0\x9F\xBF\xBD\xF0\x90\x80\x80\xC2\x80\xE2\x82\xAC"},
    };
    rt::gfx::TextStyle style;
    const std::string dir = pagefolder("DrawnText");
    rt::gfx::CairoCanvas page(dir + "/text.svg", dir + "/text.png", 96);
    page.begin(300, 300, rt::gfx::Rgb{1, 1, 1});
    double y = 290;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(rt::gfx::utf8clean(r.given), r.drawn);
        EXPECT_EQ(rt::gfx::utf8clean(r.drawn), r.drawn);
        const double w = rt::gfx::measure(r.given, style).width;
        EXPECT_GT(w, 0.0);
        EXPECT_EQ(w, rt::gfx::measure(r.drawn, style).width);
        page.text(r.given, 10, y -= 15, 0, rt::gfx::Anchor::Middle, style);
    }
    EXPECT_TRUE(page.end()) << page.error();
    EXPECT_TRUE(std::filesystem::exists(dir + "/text.png"));
    EXPECT_TRUE(std::filesystem::exists(dir + "/text.svg"));
    std::filesystem::remove_all(dir);
}

// A text too large for the font engine fails its own page, which names it, and no other: it is
// measured in proportion to its size, and the pages after it draw and measure their texts.
TEST(DrawnText, ATextTooLargeToDrawFailsItsPageAloneAndIsNamed) {
    rt::gfx::TextStyle small, huge;
    small.size = 10;
    huge.size = 1e6;
    const rt::gfx::TextExtent a = rt::gfx::measure("Scale", small), b = rt::gfx::measure("Scale", huge);
    EXPECT_NEAR(b.width / a.width, 1e5, 1e-3);
    EXPECT_NEAR(b.ascent / a.ascent, 1e5, 1e-3);
    const std::string dir = pagefolder("TooLarge");
    {
        rt::gfx::CairoCanvas page(dir + "/big.svg", dir + "/big.png", 96);
        page.begin(200, 200, rt::gfx::Rgb{1, 1, 1});
        page.text("Fit", 10, 150, 0, rt::gfx::Anchor::Start, small);
        page.text("Scale", 10, 100, 0, rt::gfx::Anchor::Start, huge);
        EXPECT_FALSE(page.end());
        EXPECT_EQ(page.error(), "the text \"Scale\" is too large to draw (1e+06 points)");
        EXPECT_FALSE(std::filesystem::exists(dir + "/big.png"));
    }
    EXPECT_EQ(rt::gfx::measure("Scale", small).width, a.width);
    EXPECT_GT(rt::gfx::measure("Uncensored", small).width, a.width);
    rt::gfx::CairoCanvas next(dir + "/next.svg", dir + "/next.png", 96);
    next.begin(200, 200, rt::gfx::Rgb{1, 1, 1});
    next.text("Uncensored 12", 10, 100, 0, rt::gfx::Anchor::Start, small);
    small.size = 14.5;
    next.text("Right Censored", 10, 50, 0, rt::gfx::Anchor::Start, small);
    EXPECT_TRUE(next.end()) << next.error();
    std::filesystem::remove_all(dir);
}

}  // namespace
