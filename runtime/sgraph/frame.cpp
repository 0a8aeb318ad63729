#include "runtime/sgraph/frame.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

namespace rt::sgr {

namespace {
constexpr double kTick = 4.0;          // tick length, points
constexpr double kGap = 2.5;           // between a tick and its label
}  // namespace

const Style& style() {
    static const Style s;
    return s;
}

Rgb groupcolor(int k) {
    static const Rgb palette[] = {
        {0.16, 0.38, 0.72}, {0.78, 0.20, 0.16}, {0.16, 0.55, 0.30}, {0.52, 0.27, 0.65},
        {0.85, 0.50, 0.06}, {0.07, 0.60, 0.62}, {0.55, 0.35, 0.17}, {0.85, 0.30, 0.60},
        {0.40, 0.40, 0.40}, {0.55, 0.60, 0.10},
    };
    const int n = static_cast<int>(sizeof palette / sizeof palette[0]);
    return palette[((k % n) + n) % n];
}

Rgb tint(const Rgb& c, double a) {
    a = std::clamp(a, 0.0, 1.0);
    return {1 - a + a * c.r, 1 - a + a * c.g, 1 - a + a * c.b};
}

gfx::TextStyle textstyle(double size, const Rgb& c, bool bold) {
    gfx::TextStyle t;
    t.size = size;
    t.color = c;
    t.face.bold = bold;
    return t;
}

double textwidth(std::string_view s, double size, bool bold) { return gfx::measure(s, textstyle(size, style().text, bold)).width; }

std::string numlabel(double v) {
    if (v == 0 || std::fabs(v) < 1e-300) return "0";
    char b[32];
    std::snprintf(b, sizeof b, "%.6g", v);
    return b;
}

Axis linearaxis(double lo, double hi, int n) {
    Axis a;
    if (!(lo <= hi) || !std::isfinite(lo) || !std::isfinite(hi)) lo = 0, hi = 1;
    if (hi - lo < 1e-12 * std::max(1.0, std::fabs(hi))) {
        const double d = lo == 0 ? 1 : std::fabs(lo) * 0.1;
        lo -= d;
        hi += d;
    }
    const double raw = (hi - lo) / std::max(n, 1);
    const double p = std::pow(10.0, std::floor(std::log10(raw)));
    double step = p;
    for (double m : {1.0, 2.0, 2.5, 5.0, 10.0})
        if (m * p >= raw * 0.999) {
            step = m * p;
            break;
        }
    // The ends stay close to the data (a small margin each side) rather than moving out to
    // the next ticks, which could leave most of a step empty; with fewer than two ticks
    // inside, they do move out to ticks.
    const double pad = (hi - lo) * 0.03;
    double first = std::ceil((lo - pad) / step - 1e-9) * step, last = std::floor((hi + pad) / step + 1e-9) * step;
    a.lo = lo - pad;
    a.hi = hi + pad;
    if (last - first < step * 0.999) {
        first = std::floor(lo / step + 1e-9) * step;
        last = std::ceil(hi / step - 1e-9) * step;
        a.lo = std::min(a.lo, first);
        a.hi = std::max(a.hi, last);
    }
    for (int k = 0;; ++k) {
        double t = first + k * step;
        if (t > last + step * 1e-9 || k > 1000) break;
        if (std::fabs(t) < step * 1e-9) t = 0;
        a.major.push_back(t);
        a.labels.push_back(numlabel(t));
    }
    return a;
}

Axis logaxis(double lo, double hi) {
    Axis a;
    a.log = true;
    if (!(lo > 0) || !(hi >= lo) || !std::isfinite(hi)) lo = 1, hi = 10;
    double k0 = std::floor(std::log10(lo) + 1e-12), k1 = std::ceil(std::log10(hi) - 1e-12);
    if (k1 <= k0) k1 = k0 + 1;
    a.lo = k0;
    a.hi = k1;
    const bool fine = k1 - k0 <= 2;
    for (double k = k0; k <= k1 + 1e-9; k += 1) {
        a.major.push_back(k);
        a.labels.push_back(numlabel(std::pow(10.0, k)));
        if (k >= k1) break;
        for (int m = 2; m <= 9; ++m) {
            const double u = k + std::log10(static_cast<double>(m));
            if (fine && (m == 2 || m == 5)) {
                a.major.push_back(u);
                a.labels.push_back(numlabel(m * std::pow(10.0, k)));
            } else {
                a.minor.push_back(u);
            }
        }
    }
    return a;
}

Axis givenaxis(const std::vector<double>& pos, const std::vector<std::string>& labels, double lo, double hi) {
    Axis a;
    a.lo = lo;
    a.hi = hi;
    for (size_t k = 0; k < pos.size(); ++k) {
        if (pos[k] < lo - 1e-9 * (hi - lo) || pos[k] > hi + 1e-9 * (hi - lo)) continue;
        a.major.push_back(pos[k]);
        a.labels.push_back(k < labels.size() ? labels[k] : numlabel(pos[k]));
    }
    return a;
}

double xlabelheight() { return kTick + kGap + style().font; }

double ylabelwidth(const Axis& a) {
    double w = 0;
    for (auto& l : a.labels) w = std::max(w, textwidth(l, style().font));
    return kTick + kGap + w;
}

void drawframe(Canvas& c, const Frame& f, bool grid, bool minorgrid, bool xlabels, bool ylabels, double roomleft, double roomright) {
    const Style& st = style();
    const double xy[] = {f.x0, f.y0, f.x1, f.y0, f.x1, f.y1, f.x0, f.y1};
    c.fill(xy, 4, Rgb{1, 1, 1});
    gfx::Stroke g{st.grid, 0.6, {}};
    gfx::Stroke gm{st.minorgrid, 0.5, {}};
    auto inx = [&](double u) { return u >= f.x.lo - 1e-9 && u <= f.x.hi + 1e-9; };
    auto iny = [&](double u) { return u >= f.y.lo - 1e-9 && u <= f.y.hi + 1e-9; };
    if (grid) {
        if (minorgrid) {
            if (f.x.log)
                for (double u : f.x.minor)
                    if (inx(u)) c.line(f.px(u), f.y0, f.px(u), f.y1, gm);
            if (f.y.log)
                for (double u : f.y.minor)
                    if (iny(u)) c.line(f.x0, f.py(u), f.x1, f.py(u), gm);
        }
        for (double u : f.x.major)
            if (inx(u)) c.line(f.px(u), f.y0, f.px(u), f.y1, g);
        for (double u : f.y.major)
            if (iny(u)) c.line(f.x0, f.py(u), f.x1, f.py(u), g);
    }
    gfx::Stroke fr{st.frame, 0.8, {}};
    const double box[] = {f.x0, f.y0, f.x1, f.y0, f.x1, f.y1, f.x0, f.y1, f.x0, f.y0};
    c.polyline(box, 5, fr);
    const gfx::TextStyle ts = textstyle(st.font);
    double xlast = -INFINITY, ylast = -INFINITY;   // the end of the last label drawn
    for (size_t k = 0; k < f.x.major.size(); ++k) {
        const double u = f.x.major[k];
        if (!inx(u)) continue;
        const double x = f.px(u);
        c.line(x, f.y0, x, f.y0 - kTick, fr);
        // A label that would run into the next panel's, or into the label before it, is left out.
        const double half = xlabels ? textwidth(f.x.labels[k], st.font) / 2 : 0;
        if (xlabels && x - half >= f.x0 - roomleft && x + half <= f.x1 + roomright && x - half >= xlast + 4) {
            c.text(f.x.labels[k], x, f.y0 - kTick - kGap - st.font * 0.78, 0, gfx::Anchor::Middle, ts);
            xlast = x + half;
        }
    }
    for (double u : f.x.minor)
        if (inx(u)) c.line(f.px(u), f.y0, f.px(u), f.y0 - kTick * 0.5, fr);
    for (size_t k = 0; k < f.y.major.size(); ++k) {
        const double u = f.y.major[k];
        if (!iny(u)) continue;
        const double y = f.py(u);
        c.line(f.x0, y, f.x0 - kTick, y, fr);
        if (ylabels && y >= ylast + st.font * 1.05) {
            c.text(f.y.labels[k], f.x0 - kTick - kGap, y - st.font * 0.35, 0, gfx::Anchor::End, ts);
            ylast = y;
        }
    }
    for (double u : f.y.minor)
        if (iny(u)) c.line(f.x0, f.py(u), f.x0 - kTick * 0.5, f.py(u), fr);
}

void xtitle(Canvas& c, const std::string& t, double a, double b, double y) {
    if (!t.empty()) c.text(t, (a + b) / 2, y, 0, gfx::Anchor::Middle, textstyle(style().titlefont));
}

void ytitle(Canvas& c, const std::string& t, double a, double b, double x) {
    if (!t.empty()) c.text(t, x, (a + b) / 2, 90, gfx::Anchor::Middle, textstyle(style().titlefont));
}

// ---- paths and bands
void Path::add(double dx, double dy) {
    double x, y;
    if (!f_.at(dx, dy, &x, &y)) {
        brk();
        return;
    }
    cur_.push_back(x);
    cur_.push_back(y);
}

void Path::brk() {
    if (cur_.size() >= 4) runs_.push_back(std::move(cur_));
    cur_.clear();
}

void Path::draw(Canvas& c, const gfx::Stroke& s) {
    brk();
    for (auto& r : runs_) c.polyline(r.data(), r.size() / 2, s);
    runs_.clear();
}

void Band::add(double t, double a, double b) {
    double x0, y0, x1, y1;
    const bool ok = alongx_ ? f_.at(t, a, &x0, &y0) && f_.at(t, b, &x1, &y1) : f_.at(a, t, &x0, &y0) && f_.at(b, t, &x1, &y1);
    if (!ok) {
        brk();
        return;
    }
    lo_.emplace_back(x0, y0);
    hi_.emplace_back(x1, y1);
}

void Band::close() {
    if (lo_.size() >= 2) {
        std::vector<std::pair<double, double>> poly(lo_);
        poly.insert(poly.end(), hi_.rbegin(), hi_.rend());
        runs_.push_back(std::move(poly));
    }
    lo_.clear();
    hi_.clear();
}

void Band::brk() { close(); }

void Band::draw(Canvas& c, const Rgb& fill, const gfx::Stroke* edge, bool filled) {
    close();
    for (auto& r : runs_) {
        std::vector<double> xy;
        xy.reserve(r.size() * 2);
        for (auto& [x, y] : r) xy.push_back(x), xy.push_back(y);
        if (filled) c.fill(xy.data(), r.size(), fill);
        if (edge) {
            const size_t half = r.size() / 2;
            c.polyline(xy.data(), half, *edge);
            c.polyline(xy.data() + 2 * half, r.size() - half, *edge);
        }
    }
    runs_.clear();
}

// ---- markers
bool SpotSet::insert(uint64_t key) {
    if (key == kEmpty) return !std::exchange(hasempty_, true);
    if (2 * (n_ + 1) > slots_.size()) grow();
    const size_t mask = slots_.size() - 1;
    for (size_t i = static_cast<size_t>((key * 0x9E3779B97F4A7C15ull) >> 20) & mask;; i = (i + 1) & mask) {
        if (slots_[i] == key) return false;
        if (slots_[i] == kEmpty) {
            slots_[i] = key;
            ++n_;
            return true;
        }
    }
}

void SpotSet::grow() {
    std::vector<uint64_t> old;
    old.swap(slots_);
    slots_.assign(old.empty() ? 4096 : 2 * old.size(), kEmpty);
    n_ = 0;
    for (uint64_t k : old)
        if (k != kEmpty) insert(k);
}

namespace {
// The data values of an axis whose page coordinate (from origin a to b over the axis) rounds
// to spot s, that is lies in [(s - 0.5) / 20, (s + 0.5) / 20), narrowed at both ends by a
// millionth of a point: the rounding of log10 and of the mapping (some 1e-13 points) cannot
// carry a value inside across a spot's edge. Empty when the spot is not wholly inside
// [clip0, clip1], where a point may be left out.
void spotrange(const Axis& ax, double a, double b, double clip0, double clip1, long s, double* lo, double* hi) {
    *lo = *hi = NAN;
    constexpr double kMargin = 1e-6;
    const double e0 = (static_cast<double>(s) - 0.5) / 20, e1 = (static_cast<double>(s) + 0.5) / 20;
    if (!(e0 > clip0 && e1 < clip1) || !(b > a) || !(ax.hi > ax.lo)) return;
    const double p0 = e0 + kMargin, p1 = e1 - kMargin;
    double u0 = ax.lo + (p0 - a) / (b - a) * (ax.hi - ax.lo), u1 = ax.lo + (p1 - a) / (b - a) * (ax.hi - ax.lo);
    if (ax.log) u0 = std::pow(10.0, u0), u1 = std::pow(10.0, u1);
    if (std::isfinite(u0) && std::isfinite(u1) && u0 < u1) *lo = u0, *hi = u1;
}
}  // namespace

SpotMarks::SpotMarks(const Frame& f) : f_(f) {}

void SpotMarks::place(double dx, double dy) {
    const Frame& f = f_;
    double x, y;
    if (!f.at(dx, dy, &x, &y)) return;
    if (x < f.x0 - 0.01 || x > f.x1 + 0.01 || y < f.y0 - 0.01 || y > f.y1 + 0.01) return;
    const long sx = std::lround(x * 20), sy = std::lround(y * 20);
    const uint64_t spot = (static_cast<uint64_t>(sx) << 32) ^ static_cast<uint64_t>(sy);
    if (haslast_ && spot == last_) return;
    last_ = spot;
    haslast_ = true;
    if (sx != xin_.spot || std::isnan(xin_.lo)) {
        xin_.spot = sx;
        spotrange(f.x, f.x0, f.x1, f.x0 - 0.01, f.x1 + 0.01, sx, &xin_.lo, &xin_.hi);
    }
    if (sy != yin_.spot || std::isnan(yin_.lo)) {
        yin_.spot = sy;
        spotrange(f.y, f.y0, f.y1, f.y0 - 0.01, f.y1 + 0.01, sy, &yin_.lo, &yin_.hi);
    }
    if (!spots_.insert(spot)) return;
    if (xy_.empty()) xy_.reserve(1u << 12);
    xy_.push_back(x);
    xy_.push_back(y);
}

void SpotMarks::draw(Canvas& c, const gfx::MarkerShape& m, double size, const gfx::Stroke& s) {
    if (!xy_.empty()) c.markers(m, size, s, xy_.data(), xy_.size() / 2);
}

namespace {
gfx::MarkerShape shape(const char* name, std::vector<std::vector<std::pair<double, double>>> paths, bool closed, bool filled) {
    gfx::MarkerShape m;
    m.name = name;
    m.paths = std::move(paths);
    m.closed = closed;
    m.filled = filled;
    return m;
}

}  // namespace

const gfx::MarkerShape& circle() {
    static const gfx::MarkerShape m = [] {
        gfx::MarkerShape s;
        s.name = "sg-circlefilled";
        s.circle = true;
        s.filled = true;
        return s;
    }();
    return m;
}
const gfx::MarkerShape& opencircle() {
    static const gfx::MarkerShape m = [] {
        gfx::MarkerShape s;
        s.name = "sg-circle";
        s.circle = true;
        return s;
    }();
    return m;
}
const gfx::MarkerShape& plus() {
    static const gfx::MarkerShape m = shape("sg-plus", {{{-0.5, 0}, {0.5, 0}}, {{0, -0.5}, {0, 0.5}}}, false, false);
    return m;
}
const gfx::MarkerShape& triangle() {
    static const gfx::MarkerShape m = shape("sg-triangle", {{{-0.5, -0.4}, {0.5, -0.4}, {0, 0.5}}}, true, false);
    return m;
}
const gfx::MarkerShape& diamond() {
    static const gfx::MarkerShape m = shape("sg-diamond", {{{0, -0.5}, {0.5, 0}, {0, 0.5}, {-0.5, 0}}}, true, false);
    return m;
}
const gfx::MarkerShape& square() {
    static const gfx::MarkerShape m = shape("sg-square", {{{-0.4, -0.4}, {0.4, -0.4}, {0.4, 0.4}, {-0.4, 0.4}}}, true, false);
    return m;
}

void marks(Canvas& c, const Frame& f, const gfx::MarkerShape& m, double size, const gfx::Stroke& s,
           const std::vector<double>& xs, const std::vector<double>& ys) {
    SpotMarks sm(f);
    for (size_t k = 0; k < xs.size() && k < ys.size(); ++k) sm.add(xs[k], ys[k]);
    sm.draw(c, m, size, s);
}

// ---- reference lines
void vref(Canvas& c, const Frame& f, double dx, const std::string& label, int slot, double stopy) {
    const double u = f.x.unit(dx);
    if (std::isnan(u) || u < f.x.lo || u > f.x.hi) return;
    const double x = f.px(u);
    const double us = f.y.unit(stopy);
    const bool stop = !std::isnan(us);
    const double top = stop ? std::clamp(f.py(us), f.y0, f.y1) : f.y1;
    gfx::Stroke s{style().reference, 0.8, {4, 3}};
    c.line(x, f.y0, x, top, s);
    if (label.empty()) return;
    const double h = style().font;
    // A line that stops at the curve has its label at its foot, a whole line near the top.
    const double y = stop ? f.y0 + 3 + h * 1.1 * (slot % 4) : f.y1 - h * (1.1 + 1.1 * (slot % 4));
    const double w = textwidth(label, h);
    const bool right = x + 3 + w < f.x1;
    c.text(label, right ? x + 3 : x - 3, y, 0, right ? gfx::Anchor::Start : gfx::Anchor::End, textstyle(h, style().reference));
}

void href(Canvas& c, const Frame& f, double dy, const std::string& label, int slot, double stopx) {
    const double u = f.y.unit(dy);
    if (std::isnan(u) || u < f.y.lo || u > f.y.hi) return;
    const double y = f.py(u);
    const double us = f.x.unit(stopx);
    const double right = std::isnan(us) ? f.x1 : std::clamp(f.px(us), f.x0, f.x1);
    gfx::Stroke s{style().reference, 0.8, {4, 3}};
    c.line(f.x0, y, right, y, s);
    if (label.empty()) return;
    const double h = style().font;
    const bool below = y - h - 2 > f.y0 && y > (f.y0 + f.y1) / 2;
    (void)slot;
    const double x = f.x0 + 4;
    c.text(label, x, below ? y - h : y + 3, 0, gfx::Anchor::Start, textstyle(h, style().reference));
}

// ---- legend
namespace {
constexpr double kSwatch = 22;
double entrywidth(const LegendEntry& e) { return kSwatch + 4 + textwidth(e.text, style().font) + 12; }
}  // namespace

double legendheight(const std::vector<LegendEntry>& e, const std::string& title, double width) {
    if (e.empty()) return 0;
    const double h = style().font * 1.5;
    double x = title.empty() ? 0 : textwidth(title, style().font, true) + 8;
    int rows = 1;
    for (auto& en : e) {
        const double w = entrywidth(en);
        if (x + w > width && x > 0) ++rows, x = 0;
        x += w;
    }
    return rows * h + 4;
}

void legend(Canvas& c, const std::vector<LegendEntry>& e, const std::string& title, double x0, double x1, double top) {
    if (e.empty()) return;
    const Style& st = style();
    const double h = st.font * 1.5;
    double x = x0, y = top - h;
    if (!title.empty()) {
        c.text(title, x, y + st.font * 0.3, 0, gfx::Anchor::Start, textstyle(st.font, st.text, true));
        x += textwidth(title, st.font, true) + 8;
    }
    for (auto& en : e) {
        const double w = entrywidth(en);
        if (x + w > x1 && x > x0) x = x0, y -= h;
        const double my = y + st.font * 0.6;
        if (en.line) c.line(x, my, x + kSwatch, my, gfx::Stroke{en.color, 1.2, {}});
        if (en.marker) {
            const double xy[] = {x + kSwatch / 2, my};
            c.markers(*en.marker, 6, gfx::Stroke{en.color, 0.9, {}}, xy, 1);
        }
        c.text(en.text, x + kSwatch + 4, y + st.font * 0.3, 0, gfx::Anchor::Start, textstyle(st.font));
        x += w;
    }
}

// ---- inset
void inset(Canvas& c, const Frame& f, const InsetBox& box, const std::vector<std::pair<double, double>>& points) {
    if (box.lines.empty() && box.head.empty()) return;
    const Style& st = style();
    const double pad = 4, m = 5;
    double fs = st.font * 0.95, lh = 0, w = 0, h = 0;
    auto measure = [&] {
        lh = fs * 1.3;
        double lw = 0, vw = 0;
        for (auto& [l, v] : box.lines) lw = std::max(lw, textwidth(l, fs)), vw = std::max(vw, textwidth(v, fs));
        w = lw + (vw > 0 ? 8 + vw : 0);
        if (!box.head.empty()) w = std::max(w, textwidth(box.head, fs, true));
        w += 2 * pad;
        h = (box.lines.size() + (box.head.empty() ? 0 : 1)) * lh + 2 * pad - (lh - fs) + 2;
    };
    measure();
    // A box larger than its frame (a panel of a page of panels) is written smaller, down to
    // 60 percent, so that it stays inside the frame and covers less of it.
    const double k = std::min({1.0, (f.x1 - f.x0 - 2 * m) / w, (f.y1 - f.y0 - 2 * m) / h});
    if (k < 1) {
        fs *= std::max(k * 0.98, 0.6);
        measure();
    }
    auto place = [&](const std::string& ha, const std::string& va, double* bx, double* by) {
        *bx = ha == "left" ? f.x0 + m : ha == "right" ? f.x1 - m - w : (f.x0 + f.x1 - w) / 2;
        *by = va == "bottom" ? f.y0 + m : va == "top" ? f.y1 - m - h : (f.y0 + f.y1 - h) / 2;
    };
    double bx = f.x0, by = f.y0;
    if (!box.halign.empty() && !box.valign.empty()) {
        place(box.halign, box.valign, &bx, &by);
    } else {
        // The corner and side positions in the order of preference; the one covering the
        // fewest points wins, the earlier on a tie.
        static const char* order[][2] = {{"left", "top"},  {"right", "top"},  {"right", "bottom"}, {"left", "bottom"},
                                         {"right", "center"}, {"left", "center"}, {"center", "top"}, {"center", "bottom"}};
        size_t best = SIZE_MAX;
        for (auto& o : order) {
            double x, y;
            place(o[0], o[1], &x, &y);
            size_t n = 0;
            for (auto& [px, py] : points)
                if (px >= x - 2 && px <= x + w + 2 && py >= y - 2 && py <= y + h + 2) ++n;
            if (n < best) best = n, bx = x, by = y;
            if (n == 0) break;
        }
    }
    const double xy[] = {bx, by, bx + w, by, bx + w, by + h, bx, by + h};
    c.fill(xy, 4, Rgb{1, 1, 1});
    if (box.framed) {
        const double b[] = {bx, by, bx + w, by, bx + w, by + h, bx, by + h, bx, by};
        c.polyline(b, 5, gfx::Stroke{st.frame, 0.6, {}});
    }
    double y = by + h - pad - fs;
    if (!box.head.empty()) {
        c.text(box.head, bx + w / 2, y, 0, gfx::Anchor::Middle, textstyle(fs, st.text, true));
        y -= lh;
    }
    for (auto& [l, v] : box.lines) {
        c.text(l, bx + pad, y, 0, gfx::Anchor::Start, textstyle(fs));
        if (!v.empty()) c.text(v, bx + w - pad, y, 0, gfx::Anchor::End, textstyle(fs));
        y -= lh;
    }
}

double stripheight() { return style().font * 1.7; }

void strip(Canvas& c, const Frame& f, const std::string& text, double height) {
    const double xy[] = {f.x0, f.y1, f.x1, f.y1, f.x1, f.y1 + height, f.x0, f.y1 + height};
    c.fill(xy, 4, style().strip);
    const double b[] = {f.x0, f.y1, f.x1, f.y1, f.x1, f.y1 + height, f.x0, f.y1 + height, f.x0, f.y1};
    c.polyline(b, 5, gfx::Stroke{style().frame, 0.8, {}});
    c.text(text, (f.x0 + f.x1) / 2, f.y1 + height / 2 - style().font * 0.35, 0, gfx::Anchor::Middle, textstyle(style().font));
}

}  // namespace rt::sgr
