// Vector 117: the elements of the output style ("GraphData1", "GraphAxisLines", ...) that
// device graphics take colours, line styles, widths and fonts from. Each service returns
// non-zero when the style has the element (and the attribute).
#pragma once
#include <cstdint>
#include "host/vec116_graphics.h"

struct vec117 {
    int (*grdxcclr)(const ggctx* style, const char* element, int length, char color[8]);   // contrast colour
    int (*grdxclr)(const ggctx* style, const char* element, int length, char color[8]);    // colour
    int (*grdxbclr)(const ggctx* style, const char* element, int length, char color[8]);   // background colour
    int (*grdxlsty)(const ggctx* style, const char* element, int length, int32_t* ltype);
    int (*grdxlwid)(const ggctx* style, const char* element, int length, int32_t* width);
    int (*grdxfont)(const ggctx* style, const char* element, int length, char font[8], ggtextstyle* metrics);
};
