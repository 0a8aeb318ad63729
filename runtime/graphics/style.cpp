// The runtime's output style. Colours are CXrrggbb names (the backgrounds are WHITE, the
// device's background, so that the procedure sees they add nothing); line styles are line types 1 to
// 46; widths are line-width units; fonts are 8-character font names with a height in points.
#include "runtime/graphics/style.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace rt::gfx {

namespace {

struct Element {
    const char* name;
    const char* color;       // grdxclr (blank: not set)
    const char* contrast;    // grdxcclr
    const char* background;  // grdxbclr
    int ltype;               // 0: not set
    int width;               // 0: not set
    const char* font;        // "" not set
    double height;           // points
};

// The twelve data colours and line styles of grouped plots.
const char* const kData[12][2] = {
    {"CX2A5CAA", "1"},  {"CXC0392B", "4"},  {"CX2E8B57", "8"},  {"CX7B3294", "5"},
    {"CXD4A017", "14"}, {"CX0E8A8A", "26"}, {"CX8C564B", "15"}, {"CXD65FA8", "20"},
    {"CX555555", "41"}, {"CX9A9A1E", "42"}, {"CX1B9CC2", "2"},  {"CXE8711A", "3"},
};

const Element kElements[] = {
    {"GraphBackground", "WHITE", "", "WHITE", 0, 0, "", 0},
    {"GraphValueText", "", "CX000000", "", 0, 0, "SWISS", 9.0},
    {"GraphLabelText", "", "CX000000", "", 0, 0, "SWISS", 10.0},
    {"GraphDataText", "", "CX000000", "", 0, 0, "SWISS", 8.0},
    {"GraphAxisLines", "", "CX404040", "", 1, 1, "", 0},
    {"GraphGridLines", "", "CXD9D9D9", "", 1, 1, "", 0},
    {"GraphReference", "", "CX808080", "", 1, 1, "", 0},
    {"GraphWalls", "WHITE", "CX404040", "WHITE", 0, 0, "", 0},
    {"GraphHeaderBackground", "CXE3E8EF", "", "CXE3E8EF", 0, 0, "", 0},
    {"GraphLegendBackground", "WHITE", "", "WHITE", 0, 0, "", 0},
    {"GraphDataDefault", "CXB9CBE3", "CX000000", "", 1, 1, "", 0},
    {"GraphCharts", "", "CXB9CBE3", "", 0, 0, "", 0},
    {"GraphOutlines", "", "CX404040", "", 1, 1, "", 0},
};

bool find(const char* element, int length, Element& out) {
    std::string name(element ? element : "", element ? strnlen(element, static_cast<size_t>(length < 0 ? 64 : length)) : 0);
    while (!name.empty() && name.back() == ' ') name.pop_back();
    for (const Element& e : kElements)
        if (name == e.name) {
            out = e;
            return true;
        }
    int k = 0;
    if (std::sscanf(name.c_str(), "GraphData%d", &k) == 1 && k >= 1 && k <= 12 && name == "GraphData" + std::to_string(k)) {
        static thread_local char color[9];
        std::snprintf(color, sizeof color, "%s", kData[k - 1][0]);
        out = {"GraphData", color, color, "", std::atoi(kData[k - 1][1]), 1, "", 0};
        return true;
    }
    return false;
}

void put8(char out[8], const char* s) {
    std::memset(out, ' ', 8);
    std::memcpy(out, s, std::min<size_t>(8, std::strlen(s)));
}

bool usable(const ggctx* style) { return !style || style->stylesinuse; }

int grdxcclr(const ggctx* style, const char* element, int length, char color[8]) {
    Element e;
    if (!usable(style) || !find(element, length, e) || !*e.contrast) return 0;
    put8(color, e.contrast);
    return 1;
}
int grdxclr(const ggctx* style, const char* element, int length, char color[8]) {
    Element e;
    if (!usable(style) || !find(element, length, e) || !*e.color) return 0;
    put8(color, e.color);
    return 1;
}
int grdxbclr(const ggctx* style, const char* element, int length, char color[8]) {
    Element e;
    if (!usable(style) || !find(element, length, e) || !*e.background) return 0;
    put8(color, e.background);
    return 1;
}
int grdxlsty(const ggctx* style, const char* element, int length, int32_t* ltype) {
    Element e;
    if (!usable(style) || !find(element, length, e) || e.ltype <= 0) return 0;
    *ltype = e.ltype;
    return 1;
}
int grdxlwid(const ggctx* style, const char* element, int length, int32_t* width) {
    Element e;
    if (!usable(style) || !find(element, length, e) || e.width <= 0) return 0;
    *width = e.width;
    return 1;
}
int grdxfont(const ggctx* style, const char* element, int length, char font[8], ggtextstyle* metrics) {
    Element e;
    if (!usable(style) || !find(element, length, e) || !*e.font) return 0;
    put8(font, e.font);
    if (metrics) {
        metrics->height = e.height;
        metrics->unit = GGU_POINTS;
        put8(metrics->color, e.contrast);
        put8(metrics->font, e.font);
    }
    return 1;
}

const vec117 kVector = {grdxcclr, grdxclr, grdxbclr, grdxlsty, grdxlwid, grdxfont};

}  // namespace

const vec117* styleservices() { return &kVector; }

}  // namespace rt::gfx
