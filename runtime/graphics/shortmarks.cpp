// Short axis-parallel lines: their pixels as cairo made them before, or cairo's stroke.
#include "runtime/graphics/shortmarks.h"

#include <cairo.h>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace rt::gfx {

namespace {

constexpr int kSide = 128;                     // the scratch image, pixels a side
constexpr double kMaxLength = 64;              // the longest line taken, pixels
constexpr double kMaxWidth = 16;               // the widest, pixels
constexpr size_t kMaxShapes = size_t(1) << 18; // shapes kept before their store starts anew
constexpr size_t kMaxWords = size_t(1) << 25;  // 128 MB of remembered strokes, then they start anew

// A device coordinate as cairo keeps it: in 1/256 of a pixel, rounded to the nearest (ties to
// even, as cairo's conversion rounds).
inline int64_t fixedof(double v) { return static_cast<int64_t>(std::nearbyint(v * 256.0)); }

inline uint64_t mix(uint64_t h, uint64_t v) {
    h = (h ^ v) * 0x9E3779B97F4A7C15ull;
    return h ^ (h >> 29);
}

}  // namespace

ShortMarks::ShortMarks(double scale) : scale_(scale) {}

ShortMarks::~ShortMarks() {
    if (cr_) cairo_destroy(cr_);
    if (scratch_) cairo_surface_destroy(scratch_);
}

ShortMarks::Result ShortMarks::paint(uint32_t* img, int stride, int bx0, int by0, int bx1, int by1, double x0, double y0, double x1,
                                     double y1, const Stroke& s, void (*setstroke)(cairo_t*, const Stroke&)) {
    pending_ = nullptr;
    if (!s.dashes.empty() || !(x0 == x1 || y0 == y1)) return NotShort;
    const double wpx = s.width * scale_;
    if (!(wpx > 0) || wpx > kMaxWidth) return NotShort;
    // The page's transformation is a scale: x * scale + 0 * y + 0, as cairo computes it.
    const double X0 = x0 * scale_, Y0 = y0 * scale_, X1 = x1 * scale_, Y1 = y1 * scale_;
    if (!(std::fabs(X1 - X0) <= kMaxLength && std::fabs(Y1 - Y0) <= kMaxLength)) return NotShort;
    if (!(std::fabs(X0) < 1e6 && std::fabs(Y0) < 1e6)) return NotShort;
    const int64_t fx0 = fixedof(X0), fy0 = fixedof(Y0), fx1 = fixedof(X1), fy1 = fixedof(Y1);
    // Every pixel the stroke can touch, with a margin.
    const int64_t pad = static_cast<int64_t>(std::ceil(wpx / 2)) + 2;
    const int64_t lx = (std::min(fx0, fx1) >> 8) - pad, hx = (std::max(fx0, fx1) >> 8) + 1 + pad;
    const int64_t ly = (std::min(fy0, fy1) >> 8) - pad, hy = (std::max(fy0, fy1) >> 8) + 1 + pad;
    if (lx < bx0 || ly < by0 || hx > bx1 || hy > by1 || hx - lx > kSide || hy - ly > kSide) return NotShort;
    const int64_t ix = fx0 >> 8, iy = fy0 >> 8;
    uint64_t key = static_cast<uint64_t>(style(s)) << 48 | static_cast<uint64_t>(fx0 & 255) << 40 |
                         static_cast<uint64_t>(fy0 & 255) << 32 | static_cast<uint64_t>((fx1 - fx0) & 0xFFFF) << 16 |
                         static_cast<uint64_t>((fy1 - fy0) & 0xFFFF);
    ShapeSlot* slot = &shapeslot(key);
    if (!slot->at) {
        if (shapes_.size() >= kMaxShapes) {
            const Style keep = styles_[key >> 48];
            startanew();
            styles_.push_back(keep);   // the key's style is number 0 now
            key &= (uint64_t(1) << 48) - 1;
            slot = &shapeslot(key);
        }
        Shape sh;
        sh.id = static_cast<uint32_t>(shapes_.size());
        if (!learn(sh, x0, y0, x1, y1, static_cast<int>(lx), static_cast<int>(ly), static_cast<int>(hx - lx), static_cast<int>(hy - ly),
                   ix, iy, s, setstroke))
            return NotShort;
        shapes_.push_back(sh);
        *slot = ShapeSlot{key, static_cast<uint32_t>(shapes_.size())};
    }
    Shape& sh = shapes_[slot->at - 1];
    if (sh.n == 0) return Painted;   // a line that touches no pixel (no length)
    if (before_.size() < sh.n) before_.resize(sh.n);   // (grown only: it is read up to sh.n)
    uint32_t* const bf = before_.data();
    const int16_t* off = offsets_.data() + 2 * static_cast<size_t>(sh.at);
    uint32_t* const base = img + iy * stride + ix;
    for (uint32_t j = 0; j < sh.n; ++j) bf[j] = base[off[2 * j + 1] * stride + off[2 * j]];
    // What cairo made of these pixels: the stroke of this shape remembered last (most lines
    // of a shape find the pixels as the last one did), else any remembered stroke.
    auto apply = [&](uint32_t at) {
        const uint32_t* e = entries_.data() + at;
        if (e[0] != sh.id) return false;
        uint32_t differ = 0;   // (a few pixels: compared here rather than by a call)
        for (uint32_t j = 0; j < sh.n; ++j) differ |= e[1 + j] ^ bf[j];
        if (differ) return false;
        const uint32_t* after = e + 1 + sh.n;
        for (uint32_t j = 0; j < sh.n; ++j)
            if (after[j] != bf[j]) base[off[2 * j + 1] * stride + off[2 * j]] = after[j];
        sh.last = at + 1;
        ++painted_;
        return true;
    };
    if (sh.last && apply(sh.last - 1)) return Painted;
    // Four lanes of the hash, so that the multiplications do not wait on each other.
    uint64_t lane[4] = {sh.id, 0x51ED27, 0x2545F491, 0x9E3779B9};
    for (uint32_t j = 0; j < sh.n; ++j) lane[j & 3] = (lane[j & 3] + before_[j]) * 0x9E3779B97F4A7C15ull;
    const uint64_t h = mix(mix(mix(lane[0], lane[1]), lane[2]), lane[3]);
    if (!table_.empty()) {
        const size_t mask = table_.size() - 1;
        for (size_t p = static_cast<size_t>(h) & mask;; p = (p + 1) & mask) {
            const Slot& slot = table_[p];
            if (!slot.at) break;
            if (slot.hash == h && apply(slot.at - 1)) return Painted;
        }
    }
    pending_ = &sh;
    px_ = ix, py_ = iy, hash_ = h;
    return ByCairo;
}

void ShortMarks::learned(const uint32_t* img, int stride) {
    if (!pending_) return;
    Shape& sh = *pending_;
    pending_ = nullptr;
    if (entries_.size() + 1 + 2 * sh.n > kMaxWords) forget();
    if (2 * (used_ + 1) > table_.size()) {
        // A table twice as large, the slots placed anew by their hashes.
        std::vector<Slot> old(std::max<size_t>(table_.size() * 2, 1 << 12));
        old.swap(table_);
        const size_t mask = table_.size() - 1;
        for (const Slot& s : old) {
            if (!s.at) continue;
            size_t p = static_cast<size_t>(s.hash) & mask;
            while (table_[p].at) p = (p + 1) & mask;
            table_[p] = s;
        }
    }
    const uint32_t at = static_cast<uint32_t>(entries_.size());
    entries_.push_back(sh.id);
    entries_.insert(entries_.end(), before_.begin(), before_.begin() + sh.n);
    const int16_t* off = offsets_.data() + 2 * static_cast<size_t>(sh.at);
    for (uint32_t j = 0; j < sh.n; ++j) entries_.push_back(img[(py_ + off[2 * j + 1]) * stride + px_ + off[2 * j]]);
    const size_t mask = table_.size() - 1;
    size_t p = static_cast<size_t>(hash_) & mask;
    while (table_[p].at) p = (p + 1) & mask;
    table_[p] = Slot{hash_, at + 1};
    ++used_;
    sh.last = at + 1;
}

// A number for the stroke's colour and width (the last one is asked for again most often).
uint32_t ShortMarks::style(const Stroke& s) {
    if (laststyle_ < styles_.size() && styles_[laststyle_].color == s.color && styles_[laststyle_].width == s.width) return laststyle_;
    for (uint32_t i = 0; i < styles_.size(); ++i)
        if (styles_[i].color == s.color && styles_[i].width == s.width) return laststyle_ = i;
    if (styles_.size() >= 0xFFFF) startanew();
    styles_.push_back(Style{s.color, s.width});
    return laststyle_ = static_cast<uint32_t>(styles_.size() - 1);
}

// The slot of a shape key in the open-addressed table: its own, or the empty one where it goes.
ShortMarks::ShapeSlot& ShortMarks::shapeslot(uint64_t key) {
    if (2 * (shapes_.size() + 1) > shapeslots_.size()) {
        std::vector<ShapeSlot> old(std::max<size_t>(shapeslots_.size() * 2, 1 << 12));
        old.swap(shapeslots_);
        const size_t mask = shapeslots_.size() - 1;
        for (const ShapeSlot& s : old) {
            if (!s.at) continue;
            size_t p = static_cast<size_t>(mix(0, s.key)) & mask;
            while (shapeslots_[p].at) p = (p + 1) & mask;
            shapeslots_[p] = s;
        }
    }
    const size_t mask = shapeslots_.size() - 1;
    size_t p = static_cast<size_t>(mix(0, key)) & mask;
    while (shapeslots_[p].at && shapeslots_[p].key != key) p = (p + 1) & mask;
    return shapeslots_[p];
}

// Every style, shape and remembered stroke let go.
void ShortMarks::startanew() {
    styles_.clear();
    laststyle_ = 0;
    shapes_.clear();
    offsets_.clear();
    std::fill(shapeslots_.begin(), shapeslots_.end(), ShapeSlot{});
    forget();
}

void ShortMarks::forget() {
    for (Shape& sh : shapes_) sh.last = 0;
    entries_.clear();
    std::fill(table_.begin(), table_.end(), Slot{});
    used_ = 0;
    pending_ = nullptr;
}

// Strokes the line with cairo on the scratch image, whose pixel (0, 0) stands for the page's
// pixel (lx, ly): the same path shifted by whole pixels. The pixels it touched are the shape's,
// kept as offsets from the line's start pixel (ix, iy); the scratch is cleared again.
bool ShortMarks::learn(Shape& sh, double x0, double y0, double x1, double y1, int lx, int ly, int w, int h, int64_t ix, int64_t iy,
                       const Stroke& s, void (*setstroke)(cairo_t*, const Stroke&)) {
    if (!scratch_) {
        scratch_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kSide, kSide);
        cr_ = cairo_create(scratch_);
    }
    if (cairo_status(cr_) != CAIRO_STATUS_SUCCESS) return false;
    cairo_identity_matrix(cr_);
    cairo_translate(cr_, -lx, -ly);   // then x * scale - lx: exact, a whole-pixel shift
    cairo_scale(cr_, scale_, scale_);
    cairo_new_path(cr_);
    cairo_move_to(cr_, x0, y0);
    cairo_line_to(cr_, x1, y1);
    setstroke(cr_, s);
    cairo_stroke(cr_);
    cairo_surface_flush(scratch_);
    auto* px = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(scratch_));
    const int stride = cairo_image_surface_get_stride(scratch_) / 4;
    sh.at = static_cast<uint32_t>(offsets_.size() / 2);
    sh.n = 0;
    for (int r = 0; r < h; ++r) {
        uint32_t* row = px + static_cast<int64_t>(r) * stride;
        for (int c = 0; c < w; ++c) {
            if (!row[c]) continue;
            offsets_.push_back(static_cast<int16_t>(lx + c - ix));
            offsets_.push_back(static_cast<int16_t>(ly + r - iy));
            row[c] = 0;
            ++sh.n;
        }
    }
    cairo_surface_mark_dirty(scratch_);
    return true;
}

}  // namespace rt::gfx
