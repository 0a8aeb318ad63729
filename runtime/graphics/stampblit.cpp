// Painting a marker's stamp onto the page image as cairo's OVER would, many times at a spot.
#include "runtime/graphics/stampblit.h"

namespace rt::gfx {

StampImage stampimage(const uint32_t* px, int w, int h, int stride) {
    StampImage s;
    s.px = px;
    s.stride = stride;
    s.x0 = w, s.y0 = h;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (px[static_cast<int64_t>(y) * stride + x] != 0) {
                if (x < s.x0) s.x0 = x;
                if (x >= s.x1) s.x1 = x + 1;
                if (y < s.y0) s.y0 = y;
                s.y1 = y + 1;
            }
    if (s.x1 <= s.x0 || s.y1 <= s.y0) s.x0 = s.y0 = s.x1 = s.y1 = 0;
    return s;
}

namespace {
// (inlined into the stamping loop, which calls it for every pixel of millions of markers)
[[gnu::always_inline]] inline uint32_t over(uint32_t s, uint32_t d) {
    const uint32_t ia = 255 - (s >> 24);
    uint32_t out = 0;
    for (int sh = 0; sh < 32; sh += 8) {
        uint32_t t = ((d >> sh) & 255) * ia + 0x80;   // d * ia / 255, rounded
        t = (t + (t >> 8)) >> 8;
        t += (s >> sh) & 255;
        out |= (t > 255 ? 255 : t) << sh;
    }
    return out;
}
}  // namespace

uint32_t overpixel(uint32_t s, uint32_t d) { return over(s, d); }

void stampover(uint32_t* dst, int stride, const StampImage& st, int x, int y, int64_t times) {
    if (times <= 0) return;
    for (int r = st.y0; r < st.y1; ++r) {
        const uint32_t* src = st.px + static_cast<int64_t>(r) * st.stride;
        uint32_t* row = dst + static_cast<int64_t>(y + r) * stride + x;
        for (int c = st.x0; c < st.x1; ++c) {
            const uint32_t s = src[c];
            if (s == 0) continue;
            if ((s >> 24) == 255) {   // an opaque pixel paints itself, however often
                row[c] = s;
                continue;
            }
            uint32_t d = row[c];
            for (int64_t k = 0; k < times; ++k) {
                const uint32_t e = over(s, d);
                if (e == d) break;
                d = e;
            }
            row[c] = d;
        }
    }
}

}  // namespace rt::gfx
