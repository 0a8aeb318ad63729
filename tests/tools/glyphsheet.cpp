// The glyph sheet of the overprint check (tests/tools/overprint.py): every character of the
// text given, one text run each, in every face the device knows, drawn by the command's own
// canvas into an SVG. A page's SVG holds its texts as glyph outlines only; the check reads
// the characters back by matching the outlines against this sheet's.
//   glyphsheet OUT.svg TEXT   (the runs in order: each face in turn, each character in turn)
#include <cstdio>
#include <string>
#include <vector>

#include "runtime/graphics/cairocanvas.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: glyphsheet OUT.svg TEXT\n");
        return 2;
    }
    std::vector<std::string> chars;
    for (const char* p = argv[2]; *p;) {
        const unsigned char c = static_cast<unsigned char>(*p);
        size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : 4;
        std::string one;
        while (n-- && *p) one += *p++;
        chars.push_back(one);
    }
    const std::vector<std::string> families = {"DejaVu Sans", "DejaVu Serif", "DejaVu Sans Mono"};
    const size_t perrow = 40, rows = 12 * ((chars.size() + perrow - 1) / perrow) + 1;
    const double cell = 24;
    rt::gfx::CairoCanvas page(argv[1], "", 72);
    page.begin(cell * static_cast<double>(perrow + 1), cell * static_cast<double>(rows), rt::gfx::Rgb{1, 1, 1});
    size_t k = 0;
    for (const auto& family : families)
        for (int style = 0; style < 4; ++style) {
            rt::gfx::TextStyle t;
            t.face.family = family;
            t.face.bold = style & 1;
            t.face.italic = style & 2;
            t.size = 10;
            for (const auto& ch : chars) {
                const double x = cell * (0.5 + static_cast<double>(k % perrow));
                const double y = cell * static_cast<double>(rows - 1 - k / perrow);
                page.text(ch, x, y, 0, rt::gfx::Anchor::Start, t);
                ++k;
            }
            k = (k + perrow - 1) / perrow * perrow;
        }
    if (!page.end()) {
        std::fprintf(stderr, "glyphsheet: %s\n", page.error().c_str());
        return 1;
    }
    return 0;
}
