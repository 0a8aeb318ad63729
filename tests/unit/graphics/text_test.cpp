// Font names (FONT= texts become 8-character names that stand for installed faces), the
// measures of turned text, and the pages inlined into the report.
#include <gtest/gtest.h>

#include <string>
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
