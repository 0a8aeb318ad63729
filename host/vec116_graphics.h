// Vector 116, the host's device graphics: fonts, colours, text, lines, fills, markers,
// segments and legends. Coordinates are percent of the page (0 to 100, origin bottom left).
#pragma once
#include <cstdint>

struct vec116 {
    // The 8-character font name (blank padded, upper case) for a FONT= text of the given
    // length (quotes and surrounding blanks already removed or not). 0 when a font of that
    // name is installed, 1 when the device's default face stands in for it; a blank text
    // gives blanks (the device default) and 0.
    int (*ggfname)(const char* text, int length, char font[8]);
};
