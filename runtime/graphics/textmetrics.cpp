// Text metrics from the faces cairo draws with: one scaled font per face and size, kept
// for the run, so that measuring a label costs one cairo call.
#include <cairo.h>
#include <map>
#include <tuple>
#include "runtime/graphics/canvas.h"

namespace rt::gfx {

namespace {

struct FontKey {
    std::string family;
    bool bold, italic;
    double size;
    bool operator<(const FontKey& o) const {
        return std::tie(family, bold, italic, size) < std::tie(o.family, o.bold, o.italic, o.size);
    }
};

cairo_scaled_font_t* scaledfont(const TextStyle& t) {
    static std::map<FontKey, cairo_scaled_font_t*> cache;
    FontKey k{t.face.family, t.face.bold, t.face.italic, t.size};
    if (auto it = cache.find(k); it != cache.end()) return it->second;
    cairo_font_face_t* face = cairo_toy_font_face_create(
        t.face.family.c_str(), t.face.italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
        t.face.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_matrix_t fm, ctm;
    cairo_matrix_init_scale(&fm, t.size, t.size);
    cairo_matrix_init_identity(&ctm);
    cairo_font_options_t* opt = cairo_font_options_create();
    // Metrics independent of the device: no hinting of outlines or metrics.
    cairo_font_options_set_hint_metrics(opt, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(opt, CAIRO_HINT_STYLE_NONE);
    cairo_scaled_font_t* sf = cairo_scaled_font_create(face, &fm, &ctm, opt);
    cairo_font_options_destroy(opt);
    cairo_font_face_destroy(face);
    if (cache.size() > 4096) cache.clear();   // the scaled fonts stay alive in cairo's own cache
    cache[k] = sf;
    return sf;
}

}  // namespace

TextExtent measure(std::string_view utf8, const TextStyle& t) {
    TextExtent e;
    if (!(t.size > 0)) return e;
    cairo_scaled_font_t* sf = scaledfont(t);
    cairo_font_extents_t fe;
    cairo_scaled_font_extents(sf, &fe);
    e.ascent = fe.ascent;
    e.descent = fe.descent;
    if (utf8.empty()) return e;
    std::string s = utf8clean(utf8);
    cairo_text_extents_t te;
    cairo_scaled_font_text_extents(sf, s.c_str(), &te);
    e.width = te.x_advance;
    return e;
}

std::string utf8clean(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        bool ok = n > 0 && i + n <= s.size();
        for (size_t k = 1; ok && k < n; ++k) ok = (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
        if (ok && n == 2 && c < 0xC2) ok = false;   // overlong forms
        if (ok && c == 0) ok = false;
        if (ok && n == 1 && c < 0x20) {
            out.push_back(' ');   // control characters have no glyph
            ++i;
        } else if (ok) {
            out.append(s.substr(i, n));
            i += n;
        } else {
            if (c == 0 || c < 0x20) {
                out.push_back(' ');
            } else {
                out.push_back(static_cast<char>(0xC0 | (c >> 6)));
                out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
            }
            ++i;
        }
    }
    return out;
}

}  // namespace rt::gfx
