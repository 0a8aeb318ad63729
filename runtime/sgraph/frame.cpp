// The pieces of every statistical graph: axes, the plot frame that maps values to page
// points, and the marks, lines, bands, reference lines, legends and insets inside it.
#include "runtime/sgraph/frame.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "runtime/sgraph/render.h"
#include "runtime/sgraph/vars.h"

namespace rt::sgr {

namespace {
constexpr double kTick = 4.0;          // tick length, points
constexpr double kGap = 2.5;           // between a tick and its label
// Tick labels of an axis take exponent notation when one of them is this large or more, or
// one that is not 0 is smaller than kExponentBelow.
constexpr double kExponentFrom = 1e7, kExponentBelow = 1e-4;
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
bool descends(std::string_view s, double size, bool bold) {
    return gfx::measure(s, textstyle(size, style().text, bold)).below > 0.1 * size;
}
bool rises(std::string_view s, double size, bool bold) { return gfx::measure(s, textstyle(size, style().text, bold)).above > 0.765 * size; }
void inkextent(std::string_view s, double size, double* left, double* right, double* above, double* below, bool bold) {
    const gfx::TextExtent e = gfx::measure(s, textstyle(size, style().text, bold));
    *left = e.inkleft, *right = e.inkright, *above = e.above, *below = e.below;
}

namespace {
// The number in plain decimals with the fewest places (at most 12) that give its 6 significant
// digits; empty when it takes more.
std::string plain(double v) {
    if (v == 0 || std::fabs(v) < 1e-300) return "0";
    char b[48];
    std::snprintf(b, sizeof b, "%.6g", v);
    const double target = std::strtod(b, nullptr);
    for (int d = 0; d <= 12; ++d) {
        std::snprintf(b, sizeof b, "%.*f", d, v);
        if (std::fabs(std::strtod(b, nullptr) - target) <= 1e-12 * std::fabs(target)) return std::strcmp(b, "-0") == 0 ? "0" : b;
    }
    return {};
}
// The number in exponent notation: 1e-15, 2.5e+20.
std::string exponent(double v) {
    if (!std::isfinite(v)) return std::string();
    char b[48];
    std::snprintf(b, sizeof b, "%.5e", v);
    std::string s(b);
    const size_t e = s.find('e');
    std::string m = s.substr(0, e);
    if (m.find('.') != std::string::npos) {
        while (m.back() == '0') m.pop_back();
        if (m.back() == '.') m.pop_back();
    }
    return m + s.substr(e);
}
}  // namespace

std::string numlabel(double v) {
    std::string p = plain(v);
    return p.empty() ? exponent(v) : p;
}

void uniformlabels(Axis& a, bool sizes) {
    std::vector<double> v;
    double most = 0, least = INFINITY;   // the largest label and the smallest nonzero one, in size
    for (const std::string& l : a.labels) {
        const std::string t = trim(l);
        char* end = nullptr;
        const double x = std::strtod(t.c_str(), &end);
        if (t.empty() || !end || *end != '\0' || !std::isfinite(x)) return;
        v.push_back(x);
        most = std::max(most, std::fabs(x));
        if (x != 0) least = std::min(least, std::fabs(x));
    }
    // Long plain digits (10000000000, 0.00000002) are hard to read: from ten million up, or
    // below 0.0001, every label takes exponent notation, as the inset writes its values.
    bool exp = sizes && (most >= kExponentFrom || least < kExponentBelow);
    std::vector<std::string> out;
    for (size_t k = 0; k < v.size() && !exp; ++k) {
        out.push_back(plain(v[k]));
        exp = out.back().empty();
    }
    if (exp) {
        out.clear();
        for (double x : v) out.push_back(x == 0 ? "0" : exponent(x));
    }
    a.labels = out;
}

void steplabels(Axis& a) {
    const size_t n = a.major.size();
    if (n < 2 || a.labels.size() != n) return;
    std::vector<double> v(n);
    for (size_t k = 0; k < n; ++k) v[k] = a.log ? std::pow(10.0, a.major[k]) : a.major[k];
    double step = INFINITY;
    for (size_t k = 1; k < n; ++k)
        if (v[k] != v[k - 1]) step = std::min(step, std::fabs(v[k] - v[k - 1]));
    if (!std::isfinite(step) || !(step > 0)) return;
    // Labels that tell their ticks apart, each within a hundredth of a step of its value, stay.
    bool apart = true, exp = false;
    for (size_t k = 0; k < n && apart; ++k) {
        const std::string t = trim(a.labels[k]);
        char* end = nullptr;
        const double x = std::strtod(t.c_str(), &end);
        if (t.empty() || !end || *end != '\0') return;   // not a number
        exp = exp || t.find('e') != std::string::npos;
        if (k > 0 && t == trim(a.labels[k - 1]) && v[k] != v[k - 1]) apart = false;
        if (!(std::fabs(x - v[k]) <= 0.01 * step)) apart = false;
    }
    if (apart) return;
    // The place of the step's last digit (0.002: the thousandths; 0.0025: the ten-thousandths).
    int last = static_cast<int>(std::floor(std::log10(step)));
    for (int j = 0; j < 4; ++j) {
        const double u = std::pow(10.0, last - j);
        if (std::fabs(std::round(step / u) * u - step) <= 1e-6 * step) {
            last -= j;
            break;
        }
    }
    // Both notations to that digit; the axis keeps its own unless the other is shorter (seconds
    // since 1970 a minute apart: 1700000075 rather than 1.700000075e+09).
    std::vector<std::string> plain(n), expo(n);
    size_t lp = 0, le = 0;
    char b[64];
    for (size_t k = 0; k < n; ++k) {
        std::snprintf(b, sizeof b, "%.*f", std::clamp(-last, 0, 17), v[k]);
        // A tick at 0 reached from below reads 0, not -0.
        if (b[0] == '-' && std::strtod(b, nullptr) == 0) std::memmove(b, b + 1, std::strlen(b));
        plain[k] = b;
        if (v[k] == 0) {
            expo[k] = "0";
        } else {
            const int d = std::clamp(static_cast<int>(std::floor(std::log10(std::fabs(v[k])))) - last, 0, 16);
            std::snprintf(b, sizeof b, "%.*e", d, v[k]);
            expo[k] = b;
        }
        lp = std::max(lp, plain[k].size());
        le = std::max(le, expo[k].size());
    }
    a.labels = (exp ? le <= lp : le < lp) ? expo : plain;
}

Axis linearaxis(double lo, double hi, int n) {
    Axis a;
    if (!(lo <= hi) || !std::isfinite(lo) || !std::isfinite(hi)) lo = 0, hi = 1;
    // The margins and the ticks beyond a range near the largest number must stay numbers.
    constexpr double kBig = std::numeric_limits<double>::max() / 8;
    lo = std::clamp(lo, -kBig, kBig);
    hi = std::clamp(hi, -kBig, kBig);
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
    uniformlabels(a);
    steplabels(a);
    return a;
}

Axis niceaxis(double lo, double hi, int n) {
    if (!(lo <= hi) || !std::isfinite(lo) || !std::isfinite(hi)) lo = 0, hi = 1;
    n = std::max(n, 1);
    // A range without width is widened around its value first.
    const double m = std::max(std::fabs(lo), std::fabs(hi));
    if (m + 1e-4 * (hi - lo) == m) {
        double w = std::fabs((lo + hi) * 0.5);
        if (w == 0) w = 1;
        lo -= w, hi += w;
    }
    // The nice value nearest to the wanted step: the thresholds are the geometric means of
    // neighbouring values.
    static const double nice[] = {1, 2, 2.5, 5, 10};
    const double r = (hi - lo) / n;
    const double p = std::pow(10.0, std::floor(std::log10(r)));
    size_t i = 0;
    while (i + 1 < std::size(nice) && r / p >= std::sqrt(nice[i] * nice[i + 1])) ++i;
    const double step = nice[i] * p, tol = 1.053671212772351e-08 * (hi - lo);
    const double first = std::floor((lo + tol) / step), last = std::ceil((hi - tol) / step);
    Axis a;
    // The frame reaches a little beyond the end ticks, as the device road's frame does.
    const double pad = 0.02 * (std::max(last, first + 1) - first) * step;
    a.lo = first * step - pad;
    a.hi = std::max(last, first + 1) * step + pad;
    for (double k = first; k <= last + 1e-9 && k - first <= 1000; k += 1) {
        const double t = std::fabs(k) < 1e-9 ? 0.0 : k * step;
        a.major.push_back(t);
        a.labels.push_back(numlabel(t));
    }
    uniformlabels(a);
    steplabels(a);
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
    uniformlabels(a);
    steplabels(a);
    return a;
}

Axis givenaxis(const std::vector<double>& pos, const std::vector<std::string>& labels, double lo, double hi, bool sizes) {
    Axis a;
    a.lo = lo;
    a.hi = hi;
    for (size_t k = 0; k < pos.size(); ++k) {
        if (pos[k] < lo - 1e-9 * (hi - lo) || pos[k] > hi + 1e-9 * (hi - lo)) continue;
        a.major.push_back(pos[k]);
        a.labels.push_back(k < labels.size() ? labels[k] : numlabel(pos[k]));
    }
    uniformlabels(a, sizes);
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
    // The labels of the vertical axis from the bottom up, each a line of text above the one
    // before; the top tick's label is always written (an end the user gave, PCTUPPER=99.99),
    // and a label that would crowd it is left out instead, as on the device road.
    size_t top = f.y.major.size();
    for (size_t k = 0; k < f.y.major.size(); ++k)
        if (iny(f.y.major[k])) top = k;
    const double ytop = top < f.y.major.size() ? f.py(f.y.major[top]) : INFINITY;
    for (size_t k = 0; k < f.y.major.size(); ++k) {
        const double u = f.y.major[k];
        if (!iny(u)) continue;
        const double y = f.py(u);
        c.line(f.x0, y, f.x0 - kTick, y, fr);
        if (ylabels && y >= ylast + st.font * 1.05 && (k == top || y <= ytop - st.font * 1.05)) {
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

// ---- line styles
std::vector<double> groupdashes(int k) {
    static const std::vector<double> dashes[] = {
        {}, {7, 3}, {8, 3, 2, 3}, {4, 3}, {12, 4}, {8, 3, 2, 3, 2, 3},
    };
    const int n = static_cast<int>(std::size(dashes));
    return dashes[((k % n) + n) % n];
}

gfx::Stroke bandstroke(const Rgb& c) { return gfx::Stroke{tint(c, 0.6), 0.7, {1, 2}}; }

// ---- clipping
bool clipsegment(const Rect& r, double* x0, double* y0, double* x1, double* y1) {
    // Liang-Barsky: the part of the segment whose parameter t in [0, 1] lies inside every edge.
    const double dx = *x1 - *x0, dy = *y1 - *y0;
    double t0 = 0, t1 = 1;
    const double p[] = {-dx, dx, -dy, dy}, q[] = {*x0 - r.x0, r.x1 - *x0, *y0 - r.y0, r.y1 - *y0};
    for (int k = 0; k < 4; ++k) {
        if (p[k] == 0) {
            if (q[k] < 0) return false;
            continue;
        }
        const double t = q[k] / p[k];
        if (p[k] < 0) t0 = std::max(t0, t);
        else t1 = std::min(t1, t);
        if (t0 > t1) return false;
    }
    const double ax = *x0, ay = *y0;
    *x0 = t0 > 0 ? ax + t0 * dx : ax;
    *y0 = t0 > 0 ? ay + t0 * dy : ay;
    *x1 = t1 < 1 ? ax + t1 * dx : *x1;
    *y1 = t1 < 1 ? ay + t1 * dy : *y1;
    // What the arithmetic leaves a hair outside is put on the edge.
    *x0 = std::clamp(*x0, r.x0, r.x1), *x1 = std::clamp(*x1, r.x0, r.x1);
    *y0 = std::clamp(*y0, r.y0, r.y1), *y1 = std::clamp(*y1, r.y0, r.y1);
    return true;
}

std::vector<std::vector<double>> clippolyline(const Rect& r, const double* xy, size_t n) {
    std::vector<std::vector<double>> runs;
    std::vector<double> cur;
    auto close = [&] {
        if (cur.size() >= 4) runs.push_back(std::move(cur));
        cur.clear();
    };
    for (size_t k = 0; k + 1 < n; ++k) {
        double x0 = xy[2 * k], y0 = xy[2 * k + 1], x1 = xy[2 * k + 2], y1 = xy[2 * k + 3];
        const double ex = x1, ey = y1;
        if (!clipsegment(r, &x0, &y0, &x1, &y1)) {
            close();
            continue;
        }
        if (cur.empty() || cur[cur.size() - 2] != x0 || cur.back() != y0) {
            close();
            cur.push_back(x0);
            cur.push_back(y0);
        }
        cur.push_back(x1);
        cur.push_back(y1);
        if (x1 != ex || y1 != ey) close();   // the segment leaves the rectangle here
    }
    close();
    return runs;
}

std::vector<double> clippolygon(const Rect& r, const std::vector<double>& xy) {
    // Sutherland-Hodgman, one edge of the rectangle at a time.
    std::vector<double> in = xy, out;
    for (int edge = 0; edge < 4 && in.size() >= 6; ++edge) {
        auto inside = [&](double x, double y) {
            switch (edge) {
                case 0: return x >= r.x0;
                case 1: return x <= r.x1;
                case 2: return y >= r.y0;
                default: return y <= r.y1;
            }
        };
        auto cross = [&](double ax, double ay, double bx, double by, double* cx, double* cy) {
            const bool vertical = edge < 2;
            const double at = edge == 0 ? r.x0 : edge == 1 ? r.x1 : edge == 2 ? r.y0 : r.y1;
            const double t = vertical ? (at - ax) / (bx - ax) : (at - ay) / (by - ay);
            *cx = vertical ? at : ax + t * (bx - ax);
            *cy = vertical ? ay + t * (by - ay) : at;
        };
        out.clear();
        const size_t n = in.size() / 2;
        for (size_t k = 0; k < n; ++k) {
            const double ax = in[2 * ((k + n - 1) % n)], ay = in[2 * ((k + n - 1) % n) + 1], bx = in[2 * k], by = in[2 * k + 1];
            const bool ia = inside(ax, ay), ib = inside(bx, by);
            double cx, cy;
            if (ib) {
                if (!ia) cross(ax, ay, bx, by, &cx, &cy), out.push_back(cx), out.push_back(cy);
                out.push_back(bx), out.push_back(by);
            } else if (ia) {
                cross(ax, ay, bx, by, &cx, &cy), out.push_back(cx), out.push_back(cy);
            }
        }
        in.swap(out);
    }
    for (size_t k = 0; k + 1 < in.size(); k += 2) in[k] = std::clamp(in[k], r.x0, r.x1), in[k + 1] = std::clamp(in[k + 1], r.y0, r.y1);
    return in.size() >= 6 ? in : std::vector<double>{};
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
    const Rect box{f_.x0, f_.y0, f_.x1, f_.y1};
    for (auto& r : runs_)
        for (auto& piece : clippolyline(box, r.data(), r.size() / 2)) c.polyline(piece.data(), piece.size() / 2, s);
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

void Band::draw(Canvas& c, const Rgb& fill, const gfx::Stroke* edge, bool filled, double opacity) {
    close();
    const Rect box{f_.x0, f_.y0, f_.x1, f_.y1};
    for (auto& r : runs_) {
        std::vector<double> xy;
        xy.reserve(r.size() * 2);
        for (auto& [x, y] : r) xy.push_back(x), xy.push_back(y);
        if (filled) {
            const std::vector<double> in = clippolygon(box, xy);
            if (!in.empty()) c.fill(in.data(), in.size() / 2, fill, opacity);
        }
        if (edge) {
            const size_t half = r.size() / 2;
            for (auto& piece : clippolyline(box, xy.data(), half)) c.polyline(piece.data(), piece.size() / 2, *edge);
            for (auto& piece : clippolyline(box, xy.data() + 2 * half, r.size() - half)) c.polyline(piece.data(), piece.size() / 2, *edge);
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

const gfx::MarkerShape& dot() {
    static const gfx::MarkerShape m = [] {
        gfx::MarkerShape s;
        s.name = "sg-dot";
        s.dot = true;
        return s;
    }();
    return m;
}
const gfx::MarkerShape& uparrow() {
    static const gfx::MarkerShape m = shape("sg-uparrow", {{{0, -0.5}, {0, 0.5}}, {{-0.3, 0.2}, {0, 0.5}, {0.3, 0.2}}}, false, false);
    return m;
}
const gfx::MarkerShape& downarrow() {
    static const gfx::MarkerShape m = shape("sg-downarrow", {{{0, 0.5}, {0, -0.5}}, {{-0.3, -0.2}, {0, -0.5}, {0.3, -0.2}}}, false, false);
    return m;
}
const gfx::MarkerShape& ibeam() {
    static const gfx::MarkerShape m =
        shape("sg-ibeam", {{{0, -0.5}, {0, 0.5}}, {{-0.3, -0.5}, {0.3, -0.5}}, {{-0.3, 0.5}, {0.3, 0.5}}}, false, false);
    return m;
}

const gfx::MarkerShape& groupmarker(int k) {
    switch (((k % 4) + 4) % 4) {
        case 0: return opencircle();
        case 1: return triangle();
        case 2: return diamond();
        default: return square();
    }
}

void marks(Canvas& c, const Frame& f, const gfx::MarkerShape& m, double size, const gfx::Stroke& s,
           const std::vector<double>& xs, const std::vector<double>& ys) {
    SpotMarks sm(f);
    for (size_t k = 0; k < xs.size() && k < ys.size(); ++k) sm.add(xs[k], ys[k]);
    sm.draw(c, m, size, s);
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
        if (en.line) c.line(x, my, x + kSwatch, my, gfx::Stroke{en.color, 1.2, en.dashes});
        if (en.marker) {
            const double xy[] = {x + kSwatch / 2, my};
            c.markers(*en.marker, 6, gfx::Stroke{en.color, 0.9, {}}, xy, 1);
        }
        c.text(en.text, x + kSwatch + 4, y + st.font * 0.3, 0, gfx::Anchor::Start, textstyle(st.font));
        x += w;
    }
}

// ---- what is drawn, and the inset kept clear of it
namespace {
bool meets(const std::array<double, 4>& sg, double x0, double y0, double x1, double y1) {
    double a = sg[0], b = sg[1], c = sg[2], d = sg[3];
    return clipsegment(Rect{x0, y0, x1, y1}, &a, &b, &c, &d);
}
bool inpolygon(const std::vector<double>& p, double x, double y) {
    bool in = false;
    const size_t n = p.size() / 2;
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
        const double xi = p[2 * i], yi = p[2 * i + 1], xj = p[2 * j], yj = p[2 * j + 1];
        if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) in = !in;
    }
    return in;
}
// The filled areas that meet the rectangle (its middle inside one, or an edge through it).
size_t areasmet(const std::vector<std::vector<double>>& areas, double x0, double y0, double x1, double y1) {
    size_t met = 0;
    for (const auto& a : areas) {
        const size_t n = a.size() / 2;
        bool hit = inpolygon(a, 0.5 * (x0 + x1), 0.5 * (y0 + y1));
        for (size_t k = 0; k < n && !hit; ++k) {
            const size_t j = (k + 1) % n;
            hit = meets({a[2 * k], a[2 * k + 1], a[2 * j], a[2 * j + 1]}, x0, y0, x1, y1);
        }
        if (hit) ++met;
    }
    return met;
}
// The texts that meet the rectangle, and the leaders within a text height of it.
size_t textsmet(const Drawn& d, double x0, double y0, double x1, double y1) {
    size_t met = 0;
    for (const Rect& t : d.texts)
        if (t.x0 < x1 && x0 < t.x1 && t.y0 < y1 && y0 < t.y1) ++met;
    const double h = style().font;
    for (const auto& l : d.leaders)
        if (meets(l, x0 - h, y0 - h, x1 + h, y1 + h)) ++met;
    return met;
}
}  // namespace

Drawn::Cover Drawn::cover(double x0, double y0, double x1, double y1) const {
    Cover c;
    for (const Mark& m : marks)
        if (m.x >= x0 - m.r && m.x <= x1 + m.r && m.y >= y0 - m.r && m.y <= y1 + m.r) ++c.marks;
    for (const auto& sg : segments)
        if (meets(sg, x0, y0, x1, y1)) ++c.segments;
    c.areas = areasmet(areas, x0, y0, x1, y1);
    c.texts = textsmet(*this, x0, y0, x1, y1);
    return c;
}

Drawn::Hidden Drawn::hidden(const Rect& r, const std::vector<bool>& skip) const {
    Hidden c;
    for (const Mark& m : marks) {
        if (m.x < r.x0 - m.r || m.x > r.x1 + m.r || m.y < r.y0 - m.r || m.y > r.y1 + m.r) continue;
        if (m.x >= r.x0 && m.x <= r.x1 && m.y >= r.y0 && m.y <= r.y1) ++c.centres;
        else ++c.touched;
    }
    for (size_t k = 0; k < segments.size(); ++k) {
        if (k < skip.size() && skip[k]) continue;
        double a = segments[k][0], b = segments[k][1], e = segments[k][2], d = segments[k][3];
        if (clipsegment(r, &a, &b, &e, &d)) c.length += std::hypot(e - a, d - b);
    }
    c.areas = areasmet(areas, r.x0, r.y0, r.x1, r.y1);
    c.texts = textsmet(*this, r.x0, r.y0, r.x1, r.y1);
    return c;
}

void Collect::line(double x0, double y0, double x1, double y1, const gfx::Stroke& s) {
    d_.segments.push_back({x0, y0, x1, y1});
    to_.line(x0, y0, x1, y1, s);
}

void Collect::polyline(const double* xy, size_t n, const gfx::Stroke& s) {
    for (size_t k = 0; k + 1 < n; ++k) d_.segments.push_back({xy[2 * k], xy[2 * k + 1], xy[2 * k + 2], xy[2 * k + 3]});
    to_.polyline(xy, n, s);
}

void Collect::fill(const double* xy, size_t n, const Rgb& c, double opacity) {
    d_.areas.emplace_back(xy, xy + 2 * n);
    to_.fill(xy, n, c, opacity);
}

void Collect::markers(const gfx::MarkerShape& m, double size, const gfx::Stroke& s, const double* xy, size_t n) {
    for (size_t k = 0; k < n; ++k) d_.marks.push_back({xy[2 * k], xy[2 * k + 1], size / 2});
    to_.markers(m, size, s, xy, n);
}

namespace {

constexpr double kInsetMargin = 5;   // points between the frame and an inset at its edge

// An inset's measures at a font size: its box's width and height, its pad and line height.
struct InsetSize {
    double fs = 0, pad = 0, lh = 0, w = 0, h = 0;
};
InsetSize measured(const InsetBox& box, double size) {
    const double full = style().font * 0.95;
    InsetSize m;
    m.fs = size;
    m.pad = 4 * size / full;
    m.lh = size * 1.3;
    double lw = 0, vw = 0;
    for (auto& [l, v] : box.lines) lw = std::max(lw, textwidth(l, size)), vw = std::max(vw, textwidth(v, size));
    m.w = lw + (vw > 0 ? 8 * size / full + vw : 0);
    if (!box.head.empty()) m.w = std::max(m.w, textwidth(box.head, size, true));
    m.w += 2 * m.pad;
    m.h = static_cast<double>(box.lines.size() + (box.head.empty() ? 0 : 1)) * m.lh + 2 * m.pad - (m.lh - size) + 2;
    return m;
}

// The corner or side (h: left/center/right, v: top/center/bottom) of the frame for a box of w x h.
void at(const Frame& f, const std::string& ha, const std::string& va, double w, double h, double* bx, double* by) {
    const double m = kInsetMargin;
    *bx = ha == "left" ? f.x0 + m : ha == "right" ? f.x1 - m - w : (f.x0 + f.x1 - w) / 2;
    *by = va == "bottom" ? f.y0 + m : va == "top" ? f.y1 - m - h : (f.y0 + f.y1 - h) / 2;
}

// Written smaller than the full size as far as the frame needs, for a box that fits no size.
double squeezed(const Frame& f, const InsetBox& box) {
    const double full = style().font * 0.95, m = kInsetMargin;
    const InsetSize s = measured(box, full);
    const double k = std::min({1.0, (f.x1 - f.x0 - 2 * m) / s.w, (f.y1 - f.y0 - 2 * m) / s.h});
    return full * std::max(k * 0.98, 0.6);
}

}  // namespace

Drawn::Hidden InsetSpot::under(const Drawn& drawn, const std::vector<bool>& skip) const {
    return drawn.hidden(Rect{x - 1, y - 1, x + w + 1, y + h + 1}, skip);
}

std::vector<InsetSpot> insetspots(const Frame& f, const InsetBox& box) {
    std::vector<InsetSpot> v;
    if (box.lines.empty() && box.head.empty()) return v;
    const double full = style().font * 0.95, smallest = 5.95;   // font sizes, points: 6 is the smallest readable
    const double m = kInsetMargin;
    auto fits = [&](const InsetSize& s) { return s.w <= f.x1 - f.x0 - 2 * m && s.h <= f.y1 - f.y0 - 2 * m; };
    // The sizes tried, from the full size down to the smallest readable one.
    std::vector<double> sizes;
    for (double k = 1.0; full * k >= smallest - 1e-9; k -= 0.1) sizes.push_back(full * k);
    auto spot = [&](const std::string& ha, const std::string& va, double size) {
        const InsetSize s = measured(box, size);
        InsetSpot o;
        at(f, ha, va, s.w, s.h, &o.x, &o.y);
        o.w = s.w, o.h = s.h, o.size = size;
        return o;
    };
    if (!box.halign.empty() && !box.valign.empty()) {
        // A place the user gave: written smaller only as far as the frame needs.
        double size = 0;
        for (double sz : sizes)
            if (fits(measured(box, sz))) {
                size = sz;
                break;
            }
        v.push_back(spot(box.halign, box.valign, size > 0 ? size : squeezed(f, box)));
        v.back().given = true;
        return v;
    }
    static const char* order[][2] = {{"left", "top"},  {"right", "top"},  {"right", "bottom"}, {"left", "bottom"},
                                     {"right", "center"}, {"left", "center"}, {"center", "top"}, {"center", "bottom"}};
    for (double sz : sizes) {
        if (!fits(measured(box, sz))) continue;
        for (auto& o : order) v.push_back(spot(o[0], o[1], sz));
    }
    // Not even the smallest size fits the frame: written smaller still, at the first corner.
    if (v.empty()) v.push_back(spot("left", "top", squeezed(f, box)));
    return v;
}

void inset(Canvas& c, const InsetBox& box, const InsetSpot& o) {
    if (box.lines.empty() && box.head.empty()) return;
    const Style& st = style();
    const InsetSize s = measured(box, o.size);
    const double bx = o.x, by = o.y, w = s.w, h = s.h, fs = s.fs, pad = s.pad, lh = s.lh;
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

void insetnote(const InsetSpot& o, const std::string& a, const std::string& b) {
    const Drawn::Hidden& h = o.hides;
    if (o.given || o.size <= 0 || (h.centres == 0 && h.length == 0 && h.touched == 0 && h.areas == 0)) return;
    insetover(static_cast<int>(h.centres), h.length > 0, h.touched > 0, h.areas > 0, a, b);
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
