// Fonts of the device: the 8-character font names the procedure passes around and the
// installed face each stands for (fontconfig finds it by family, weight and slant).
#pragma once
#include <string>

namespace rt::gfx {

struct FontFace {
    std::string family = "DejaVu Sans";
    bool bold = false;
    bool italic = false;
    bool operator==(const FontFace&) const = default;
};

// The face of an 8-character font name; blanks and NONE give the device's default face.
FontFace fontface(const char name[8]);

// ggfname: the 8-character name of a FONT= text (see host/vec116_graphics.h).
int fontname(const char* text, int length, char out[8]);

// Whether fontconfig has a face of the family (not a stand-in).
bool installed(const std::string& family);

}  // namespace rt::gfx
