// Painting a marker's stamp onto the page image without cairo: the same OVER arithmetic as
// cairo's image compositor (each channel d becomes s + d (255 - sa) / 255, rounded as pixman
// rounds, saturated), so the page comes out byte for byte as if cairo had painted it. A run
// of markers at one pixel spot is painted per pixel only until a paint no longer changes that
// pixel: every further paint of the run would leave it as it is.
#pragma once
#include <cstdint>

namespace rt::gfx {

// A premultiplied ARGB32 image (stride in pixels) and the box of its pixels that are not
// fully transparent, [x0, x1) x [y0, y1); an image without such pixels has an empty box.
struct StampImage {
    const uint32_t* px = nullptr;
    int stride = 0;
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

// The box of the pixels of an image of w x h that are not fully transparent.
StampImage stampimage(const uint32_t* px, int w, int h, int stride);

// One OVER of source pixel s onto destination pixel d, all four channels.
uint32_t overpixel(uint32_t s, uint32_t d);

// Paints the stamp `times` times with its corner at (x, y) onto the 32-bit image dst (stride
// in pixels). The stamp's box placed there must lie inside dst.
void stampover(uint32_t* dst, int stride, const StampImage& st, int x, int y, int64_t times);

}  // namespace rt::gfx
