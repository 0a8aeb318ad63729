// Font names: FONT= texts become 8-character names that stand for installed faces.
#include <gtest/gtest.h>

#include <string>
#include "runtime/graphics/fonts.h"

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
