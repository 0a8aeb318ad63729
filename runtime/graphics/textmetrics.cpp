// Text metrics from the faces cairo draws with: one scaled font per face and size, kept
// for the run, so that measuring a label costs one cairo call.
#include <algorithm>
#include <cairo.h>
#include <cmath>
#include <cstdint>
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
    if (auto it = cache.find(k); it != cache.end()) {
        // A scaled font that met an error measures every later text as nothing: a fresh one
        // takes its place.
        if (cairo_scaled_font_status(it->second) == CAIRO_STATUS_SUCCESS) return it->second;
        cairo_scaled_font_destroy(it->second);
        cache.erase(it);
    }
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

// The text is measured as it is drawn (utf8clean), and cleaning the drawn text again leaves it
// as it is: the canvas measures what it draws.
TextExtent measure(std::string_view utf8, const TextStyle& t) {
    TextExtent e;
    if (!(t.size > 0) || !std::isfinite(t.size)) return e;
    if (t.size > kLargestTextSize) {
        // Metrics without hinting are proportional to the size.
        TextStyle at = t;
        at.size = kLargestTextSize;
        e = measure(utf8, at);
        const double k = t.size / kLargestTextSize;
        e.width *= k, e.ascent *= k, e.descent *= k, e.below *= k, e.above *= k, e.inkleft *= k, e.inkright *= k;
        return e;
    }
    cairo_scaled_font_t* sf = scaledfont(t);
    cairo_font_extents_t fe;
    cairo_scaled_font_extents(sf, &fe);
    e.ascent = fe.ascent;
    e.descent = fe.descent;
    if (utf8.empty()) return e;
    const std::string s = utf8clean(utf8);
    cairo_text_extents_t te;
    cairo_scaled_font_text_extents(sf, s.c_str(), &te);
    e.width = te.x_advance;
    e.below = std::max(0.0, te.y_bearing + te.height);   // the ink's foot, y downwards
    e.above = std::max(0.0, -te.y_bearing);               // its top
    e.inkleft = te.x_bearing;                             // its ends (before the pen, after the advance: below 0)
    e.inkright = te.x_advance - te.x_bearing - te.width;
    return e;
}

namespace {

// The length of the character that starts at s[i] when cairo draws it, 0 when the bytes
// there are none it draws: a lead byte with its continuation bytes, in the shortest form,
// of a code point that is no surrogate (U+D800 to U+DFFF), not past U+10FFFF and no
// noncharacter (U+FDD0 to U+FDEF, and the last two of every plane). cairo refuses a text
// that holds any other sequence, and the page it was to be drawn on with it.
size_t drawnlength(std::string_view s, size_t i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    const size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return 0;
    uint32_t cp = n == 1 ? c : n == 2 ? c & 0x1Fu : n == 3 ? c & 0x0Fu : c & 0x07u;
    for (size_t k = 1; k < n; ++k) {
        const unsigned char d = static_cast<unsigned char>(s[i + k]);
        if ((d & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (d & 0x3Fu);
    }
    constexpr uint32_t kLeast[5] = {0, 0, 0x80, 0x800, 0x10000};   // the least code point of each length
    if (cp < kLeast[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    if ((cp >= 0xFDD0 && cp <= 0xFDEF) || (cp & 0xFFFE) == 0xFFFE) return 0;
    return n;
}

}  // namespace

std::string utf8clean(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x20) {
            out.push_back(' ');   // NUL and the control characters have no glyph
            ++i;
        } else if (const size_t n = drawnlength(s, i)) {
            out.append(s.substr(i, n));
            i += n;
        } else {
            // The byte as the Latin-1 character of its value, and the next byte looked at anew.
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
            ++i;
        }
    }
    return out;
}

}  // namespace rt::gfx
