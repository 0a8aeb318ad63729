// Cairo drawing of a page into an SVG surface and an image surface at once.
#include "runtime/graphics/cairocanvas.h"
#include "runtime/util/numbers.h"
#include "runtime/util/paths.h"

#include <cairo-svg.h>
#include <algorithm>
#include <cairo.h>
#include <unistd.h>
#include <cmath>
#include <cstdio>

namespace rt::gfx {

namespace {

void setsource(cairo_t* c, const Rgb& rgb) { cairo_set_source_rgb(c, rgb.r, rgb.g, rgb.b); }

void setstroke(cairo_t* c, const Stroke& s) {
    setsource(c, s.color);
    cairo_set_line_width(c, s.width);
    cairo_set_line_cap(c, CAIRO_LINE_CAP_BUTT);
    cairo_set_line_join(c, CAIRO_LINE_JOIN_ROUND);
    if (s.dashes.empty())
        cairo_set_dash(c, nullptr, 0, 0);
    else
        cairo_set_dash(c, s.dashes.data(), static_cast<int>(s.dashes.size()), 0);
}

// The marker's outline around (0, 0) in a y-down frame, at the given size.
void markerpath(cairo_t* c, const MarkerShape& m, double size) {
    if (m.circle || m.dot) {
        cairo_new_sub_path(c);
        cairo_arc(c, 0, 0, size / 2, 0, 2 * M_PI);
        cairo_close_path(c);
        return;
    }
    for (const auto& p : m.paths) {
        if (p.empty()) continue;
        cairo_move_to(c, p[0].first * size, -p[0].second * size);
        for (size_t k = 1; k < p.size(); ++k) cairo_line_to(c, p[k].first * size, -p[k].second * size);
        if (m.closed) cairo_close_path(c);
    }
}

void drawmarker(cairo_t* c, const MarkerShape& m, double size, const Stroke& s) {
    markerpath(c, m, size);
    setstroke(c, s);
    cairo_set_dash(c, nullptr, 0, 0);
    if (m.dot || (m.closed && m.filled)) {
        cairo_fill_preserve(c);
    }
    cairo_stroke(c);
}

std::string key(const MarkerShape& m, double size, const Stroke& s) {
    char b[160];
    std::snprintf(b, sizeof b, "%s|%.6g|%.6g|%.4f,%.4f,%.4f", m.name.c_str(), size, s.width, s.color.r, s.color.g, s.color.b);
    return b;
}

}  // namespace

// Why a context of the page failed: the text that failed it when one did, else cairo's reason.
std::string CairoCanvas::failure(int status) const {
    return textfailure_.empty() ? cairo_status_to_string(static_cast<cairo_status_t>(status)) : textfailure_;
}

// The PNG's stamp of one marker: a small image painted at each pixel position.
struct CairoCanvas::Stamp {
    cairo_surface_t* img = nullptr;
    double half = 0;                  // half the stamp's side, pixels
    StampImage blit;                  // the stamp as pixels, with its inked box
    ~Stamp() {
        if (img) cairo_surface_destroy(img);
    }
};

// The SVG's definition of one marker, used at each point.
struct CairoCanvas::SvgStamp {
    cairo_surface_t* rec = nullptr;
    double off = 0;                   // the definition's centre from its corner, points
    ~SvgStamp() {
        if (rec) cairo_surface_destroy(rec);
    }
};

CairoCanvas::CairoCanvas(std::string svgpath, std::string pngpath, double dpi)
    : svgpath_(std::move(svgpath)), pngpath_(std::move(pngpath)), dpi_(dpi) {}

// A page that was not put in place leaves none of its temporary files (names of this process
// that it made itself), behind a graphics/ link too.
CairoCanvas::~CairoCanvas() {
    release();
    if (!svgtmp_.empty()) ::unlink(svgtmp_.c_str());
    if (!pngtmp_.empty()) ::unlink(pngtmp_.c_str());
}

void CairoCanvas::release() {
    direct_ = false;
    marks_.reset();
    stamps_.clear();
    svgstamps_.clear();
    laststamp_ = nullptr;
    svgq_.clear();
    svgwanted_ = false;
    if (cs_) cairo_destroy(cs_);
    if (cp_) cairo_destroy(cp_);
    if (svg_) cairo_surface_destroy(svg_);
    if (png_) cairo_surface_destroy(png_);
    cs_ = cp_ = nullptr;
    svg_ = png_ = nullptr;
}

void CairoCanvas::begin(double width, double height, const Rgb& background) {
    release();
    textfailure_.clear();
    svgmarks_ = 0;
    svgdropped_ = false;
    w_ = width;
    h_ = height;
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".tmp-%d", static_cast<int>(::getpid()));
    if (!svgpath_.empty()) {
        svgtmp_ = svgpath_ + suffix;
        svgwanted_ = true;
    }
    if (!pngpath_.empty()) {
        pngtmp_ = pngpath_ + suffix;
        int pw = static_cast<int>(std::lround(width * dpi_ / 72.0)), ph = static_cast<int>(std::lround(height * dpi_ / 72.0));
        png_ = cairo_image_surface_create(CAIRO_FORMAT_RGB24, pw > 0 ? pw : 1, ph > 0 ? ph : 1);
        cp_ = cairo_create(png_);
        cairo_scale(cp_, dpi_ / 72.0, dpi_ / 72.0);
        pngdata_ = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(png_));
        pngstride_ = cairo_image_surface_get_stride(png_) / 4;
        pclip_.assign(1, PixelBox{0, 0, cairo_image_surface_get_width(png_), cairo_image_surface_get_height(png_)});
    }
    both([background, width, height](cairo_t* c) {
        setsource(c, background);
        cairo_rectangle(c, 0, 0, width, height);
        cairo_fill(c);
    });
}

void CairoCanvas::line(double x0, double y0, double x1, double y1, const Stroke& s) {
    auto op = [](cairo_t* c, double x0, double y0, double x1, double y1, const Stroke& s) {
        cairo_move_to(c, x0, y0);
        cairo_line_to(c, x1, y1);
        setstroke(c, s);
        cairo_stroke(c);
    };
    if (cp_) {
        ShortMarks::Result r = ShortMarks::NotShort;
        if (directlines) {
            if (!marks_) marks_ = std::make_unique<ShortMarks>(dpi_ / 72.0);
            if (!direct_) cairo_surface_flush(png_);
            const PixelBox& safe = pclip_.back();
            r = marks_->paint(pngdata_, pngstride_, safe.x0, safe.y0, safe.x1, safe.y1, x0, h_ - y0, x1, h_ - y1, s, setstroke);
            if (r == ShortMarks::Painted) direct_ = true;
        }
        if (r != ShortMarks::Painted) {
            settle();
            op(cp_, x0, h_ - y0, x1, h_ - y1, s);
            if (r == ShortMarks::ByCairo) {
                cairo_surface_flush(png_);
                marks_->learned(pngdata_, pngstride_);
            }
        }
    }
    if (svgwanted_) svgq_.emplace_back([=, h = h_](cairo_t* c) { op(c, x0, h - y0, x1, h - y1, s); });
}

void CairoCanvas::settle() {
    if (direct_ && png_) cairo_surface_mark_dirty(png_);
    direct_ = false;
}

void CairoCanvas::polyline(const double* xy, size_t n, const Stroke& s) {
    if (n < 2) return;
    both([pts = std::vector<double>(xy, xy + 2 * n), n, s, h = h_](cairo_t* c) {
        cairo_move_to(c, pts[0], h - pts[1]);
        for (size_t k = 1; k < n; ++k) cairo_line_to(c, pts[2 * k], h - pts[2 * k + 1]);
        setstroke(c, s);
        cairo_stroke(c);
    });
}

void CairoCanvas::fill(const double* xy, size_t n, const Rgb& col, double opacity) {
    if (n < 3) return;
    both([pts = std::vector<double>(xy, xy + 2 * n), n, col, opacity, h = h_](cairo_t* c) {
        cairo_move_to(c, pts[0], h - pts[1]);
        for (size_t k = 1; k < n; ++k) cairo_line_to(c, pts[2 * k], h - pts[2 * k + 1]);
        cairo_close_path(c);
        if (opacity < 1)
            cairo_set_source_rgba(c, col.r, col.g, col.b, std::fmax(opacity, 0.0));
        else
            setsource(c, col);
        cairo_fill(c);
    });
}

void CairoCanvas::hatch(const double* xy, size_t n, const Stroke& s, double angle, double spacing) {
    if (n < 3 || !(spacing > 0)) return;
    double x0 = xy[0], x1 = xy[0], y0 = xy[1], y1 = xy[1];
    for (size_t k = 1; k < n; ++k) {
        x0 = std::fmin(x0, xy[2 * k]), x1 = std::fmax(x1, xy[2 * k]);
        y0 = std::fmin(y0, xy[2 * k + 1]), y1 = std::fmax(y1, xy[2 * k + 1]);
    }
    double cx = (x0 + x1) / 2, cy = (y0 + y1) / 2, r = std::hypot(x1 - x0, y1 - y0) / 2 + spacing;
    double a = angle * M_PI / 180, dx = std::cos(a), dy = std::sin(a);
    both([pts = std::vector<double>(xy, xy + 2 * n), n, s, spacing, cx, cy, r, dx, dy, h = h_](cairo_t* c) {
        cairo_save(c);
        cairo_move_to(c, pts[0], h - pts[1]);
        for (size_t k = 1; k < n; ++k) cairo_line_to(c, pts[2 * k], h - pts[2 * k + 1]);
        cairo_close_path(c);
        cairo_clip(c);
        for (double t = -r; t <= r; t += spacing) {
            double px = cx - dy * t, py = cy + dx * t;
            cairo_move_to(c, px - dx * r, h - (py - dy * r));
            cairo_line_to(c, px + dx * r, h - (py + dy * r));
        }
        setstroke(c, s);
        cairo_stroke(c);
        cairo_restore(c);
    });
}

CairoCanvas::Stamp& CairoCanvas::stamp(const MarkerShape& m, double size, const Stroke& s) {
    // The plots hand their points over a hundred at a time in one style: the last stamp
    // is looked at first.
    if (laststamp_ && lastshape_ == m.name && lastsize_ == size && laststroke_.width == s.width && laststroke_.color == s.color)
        return *laststamp_;
    std::string k = key(m, size, s);
    auto it = stamps_.find(k);
    if (it == stamps_.end()) {
        auto st = std::make_unique<Stamp>();
        double scale = dpi_ / 72.0;
        // (a symbol larger than any page is drawn at most a page's width)
        int side = std::min(rt::util::toint(std::ceil((size + 2 * s.width) * scale)), 1 << 14) + 4;
        st->half = side / 2.0;
        st->img = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, side, side);
        cairo_t* c = cairo_create(st->img);
        cairo_translate(c, st->half, st->half);
        cairo_scale(c, scale, scale);
        drawmarker(c, m, size, s);
        cairo_destroy(c);
        cairo_surface_flush(st->img);
        st->blit = stampimage(reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(st->img)), side, side,
                              cairo_image_surface_get_stride(st->img) / 4);
        it = stamps_.emplace(k, std::move(st)).first;
    }
    laststamp_ = it->second.get();
    lastshape_ = m.name, lastsize_ = size, laststroke_ = s;
    return *laststamp_;
}

CairoCanvas::SvgStamp& CairoCanvas::svgstamp(const MarkerShape& m, double size, const Stroke& s) {
    std::string k = key(m, size, s);
    auto it = svgstamps_.find(k);
    if (it != svgstamps_.end()) return *it->second;
    auto st = std::make_unique<SvgStamp>();
    // The definition's extent starts at its corner: with a negative origin, cairo's SVG
    // output clips the definition twice with offset rectangles and browsers show a sliver.
    st->off = size + s.width;
    cairo_rectangle_t extent = {0, 0, 2 * st->off, 2 * st->off};
    st->rec = cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, &extent);
    cairo_t* c = cairo_create(st->rec);
    cairo_translate(c, st->off, st->off);
    drawmarker(c, m, size, s);
    cairo_destroy(c);
    return *svgstamps_.emplace(k, std::move(st)).first->second;
}

void CairoCanvas::markers(const MarkerShape& m, double size, const Stroke& s, const double* xy, size_t n) {
    if (n == 0 || !(size > 0)) return;
    svgmarks_ += n;
    if (svgmarks_ > kSvgMarkerBudget) dropsvg();
    if (svgwanted_)
        svgq_.emplace_back([this, m, size, s, pts = std::vector<double>(xy, xy + 2 * n), n, h = h_](cairo_t* c) {
            SvgStamp& st = svgstamp(m, size, s);
            for (size_t k = 0; k < n; ++k) {
                cairo_set_source_surface(c, st.rec, pts[2 * k] - st.off, h - pts[2 * k + 1] - st.off);
                cairo_paint(c);
            }
        });
    if (cp_) pngmarkers(stamp(m, size, s), xy, n);
}

// Markers whose stamp lies inside the page and inside the whole pixels of the clipping
// rectangle are painted straight into the image, a run at one pixel spot at once; the others
// (at a frame's edge) go through cairo, which weighs the pixels the rectangle cuts.
void CairoCanvas::pngmarkers(const Stamp& st, const double* xy, size_t n) {
    settle();
    const double scale = dpi_ / 72.0;
    cairo_surface_flush(png_);
    auto* data = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(png_));
    const int stride = cairo_image_surface_get_stride(png_) / 4;
    const PixelBox& safe = pclip_.back();
    const StampImage& b = st.blit;
    bool dirty = false;
    for (size_t k = 0; k < n;) {
        const double px = std::round(xy[2 * k] * scale - st.half), py = std::round((h_ - xy[2 * k + 1]) * scale - st.half);
        size_t run = 1;
        while (k + run < n && std::round(xy[2 * (k + run)] * scale - st.half) == px &&
               std::round((h_ - xy[2 * (k + run) + 1]) * scale - st.half) == py)
            ++run;
        if (b.x1 > b.x0 && px + b.x0 >= safe.x0 && px + b.x1 <= safe.x1 && py + b.y0 >= safe.y0 && py + b.y1 <= safe.y1) {
            if (directstamps) {
                stampover(data, stride, b, static_cast<int>(px), static_cast<int>(py), static_cast<int64_t>(run));
                dirty = true;
                k += run;
                continue;
            }
        } else if (b.x1 <= b.x0) {
            k += run;   // a stamp with no ink paints nothing
            continue;
        }
        if (dirty) cairo_surface_mark_dirty(png_), dirty = false;
        cairo_save(cp_);
        cairo_identity_matrix(cp_);
        for (size_t j = 0; j < run; ++j) {
            cairo_set_source_surface(cp_, st.img, px, py);
            cairo_paint(cp_);
        }
        cairo_restore(cp_);
        cairo_surface_flush(png_);
        k += run;
    }
    if (dirty) cairo_surface_mark_dirty(png_);
}

void CairoCanvas::text(std::string_view utf8, double x, double y, double angle, Anchor a, const TextStyle& t) {
    if (utf8.empty() || !(t.size > 0)) return;
    if (!(t.size * std::max(1.0, dpi_ / 72.0) <= kLargestTextSize)) {
        // Given to cairo, it would fail this page and every text drawn after it in the run.
        char size[32];
        std::snprintf(size, sizeof size, "%.6g", t.size);
        if (textfailure_.empty()) textfailure_ = "the text \"" + std::string(utf8) + "\" is too large to draw (" + size + " points)";
        return;
    }
    std::string s = utf8clean(utf8);
    double shift = 0;
    if (a != Anchor::Start) {
        double w = measure(s, t).width;
        shift = a == Anchor::End ? w : w / 2;
    }
    both([this, s, given = std::string(utf8), x, y, angle, t, shift, h = h_](cairo_t* c) {
        const bool fine = cairo_status(c) == CAIRO_STATUS_SUCCESS;
        cairo_save(c);
        cairo_select_font_face(c, t.face.family.c_str(), t.face.italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                               t.face.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(c, t.size);
        cairo_font_options_t* opt = cairo_font_options_create();
        cairo_font_options_set_hint_metrics(opt, CAIRO_HINT_METRICS_OFF);
        cairo_set_font_options(c, opt);
        cairo_font_options_destroy(opt);
        cairo_translate(c, x, h - y);
        cairo_rotate(c, -angle * M_PI / 180);
        cairo_move_to(c, -shift, 0);
        setsource(c, t.color);
        cairo_show_text(c, s.c_str());
        if (fine && cairo_status(c) != CAIRO_STATUS_SUCCESS && textfailure_.empty())
            textfailure_ = "the text \"" + given + "\" could not be drawn (" + cairo_status_to_string(cairo_status(c)) + ")";
        cairo_new_path(c);
        cairo_restore(c);
    });
}

void CairoCanvas::pushclip(double x0, double y0, double x1, double y1) {
    ++clips_;
    if (cp_) {
        // The whole pixels inside the rectangle, within the enclosing clip.
        const double scale = dpi_ / 72.0;
        PixelBox b = pclip_.back();
        b.x0 = std::max(b.x0, rt::util::toint(std::ceil(std::fmin(x0, x1) * scale)));
        b.x1 = std::min(b.x1, rt::util::toint(std::floor(std::fmax(x0, x1) * scale)));
        b.y0 = std::max(b.y0, rt::util::toint(std::ceil((h_ - std::fmax(y0, y1)) * scale)));
        b.y1 = std::min(b.y1, rt::util::toint(std::floor((h_ - std::fmin(y0, y1)) * scale)));
        pclip_.push_back(b);
    }
    both([=, h = h_](cairo_t* c) {
        cairo_save(c);
        cairo_rectangle(c, std::fmin(x0, x1), h - std::fmax(y0, y1), std::fabs(x1 - x0), std::fabs(y1 - y0));
        cairo_clip(c);
    });
}

void CairoCanvas::popclip() {
    if (clips_ == 0) return;
    --clips_;
    if (pclip_.size() > 1) pclip_.pop_back();
    both([](cairo_t* c) { cairo_restore(c); });
}

// The page's SVG is not made: its drawing so far is let go. A file at the SVG's name is left
// to the owner of the page, who knows whether it is the command's (svgdropped()).
void CairoCanvas::dropsvg() {
    if (!svgwanted_) return;
    svgwanted_ = false;
    svgdropped_ = true;
    std::vector<SvgOp>().swap(svgq_);
    svgtmp_.clear();
}

// The SVG's drawing, kept until the page ends, goes onto its surface.
bool CairoCanvas::writesvg() {
    svg_ = cairo_svg_surface_create(svgtmp_.c_str(), w_, h_);
    cairo_svg_surface_restrict_to_version(svg_, CAIRO_SVG_VERSION_1_1);
    cs_ = cairo_create(svg_);
    for (auto& op : svgq_) op(cs_);
    svgq_.clear();
    bool ok = true;
    if (cairo_status(cs_) != CAIRO_STATUS_SUCCESS) {
        error_ = failure(cairo_status(cs_));
        ok = false;
    }
    svgstamps_.clear();
    cairo_destroy(cs_);
    cs_ = nullptr;
    cairo_surface_finish(svg_);
    if (ok && cairo_surface_status(svg_) != CAIRO_STATUS_SUCCESS) {
        error_ = cairo_status_to_string(cairo_surface_status(svg_));
        ok = false;
    }
    return ok;
}

bool CairoCanvas::end() {
    while (clips_) popclip();
    settle();
    bool ok = true;
    if (!textfailure_.empty()) {
        error_ = textfailure_;
        ok = false;
    } else if (cp_ && cairo_status(cp_) != CAIRO_STATUS_SUCCESS) {
        error_ = failure(cairo_status(cp_));
        ok = false;
    }
    stamps_.clear();
    laststamp_ = nullptr;
    if (svgwanted_ && !writesvg()) ok = false;
    if (cp_ && ok) {
        cairo_status_t st = cairo_surface_write_to_png(png_, pngtmp_.c_str());
        if (st != CAIRO_STATUS_SUCCESS) {
            error_ = cairo_status_to_string(st);
            ok = false;
        }
    }
    release();
    // The SVG just put in place is removed again when the PNG cannot follow it (never one file
    // of the page without the other), and only while it is that very file.
    util::FileId svg;
    const bool svgknown = !svgtmp_.empty() && util::fileid(svgtmp_, svg, false);
    if (ok && !svgtmp_.empty() && ::rename(svgtmp_.c_str(), svgpath_.c_str()) != 0) ok = false, error_ = "cannot rename " + svgtmp_;
    if (ok && !pngtmp_.empty() && ::rename(pngtmp_.c_str(), pngpath_.c_str()) != 0) {
        ok = false;
        error_ = "cannot rename " + pngtmp_;
        if (util::FileId now; svgknown && util::fileid(svgpath_, now, false) && now == svg) ::unlink(svgpath_.c_str());
    }
    if (ok) svgtmp_.clear(), pngtmp_.clear();
    return ok;
}

}  // namespace rt::gfx
