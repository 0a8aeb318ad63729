// The tick labels of a life (or time) axis as its routine draws them: the values, cleared of
// the noise that adding up a step leaves (every digit of the axis's origin kept); one
// notation for the whole axis; the width of the widest label, which the page layout
// reserves; and whether neighbouring labels read alike.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "proc/devgraph/devgraph_internal.h"
#include "proc/framework/hostsvc.h"
#include "proc/vyxstate.h"

namespace axisparts {

double tickvalue(double v) {
    if (!std::isfinite(v) || v == 0) return v;
    // The decimal of 12 significant digits nearest v, as the double nearest it.
    char b[40];
    std::snprintf(b, sizeof b, "%.11e", v);
    return std::strtod(b, nullptr);
}

std::vector<double> lifelabels(const plotlay* f, bool horizontal, bool even, bool logs, double zero) {
    std::vector<double> out;
    if (even) {
        const int n = horizontal ? f->nhtick : f->nvtick;
        const double lo = horizontal ? f->hmin : f->vmin, step = horizontal ? f->hstep : f->vstep;
        for (int i = 0; i <= n && i < 100000; ++i) {
            double v = tickvalue(lo + i * step);
            if (std::fabs(v) <= zero) v = 0.0;
            out.push_back(logs ? pow10of(v) : v);
        }
        return out;
    }
    const double* t = horizontal ? f->hticks : f->vticks;
    const int n = horizontal ? f->nhtickv : f->nvtickv;
    for (int i = 0; t && i < n; ++i) out.push_back(pow10of(std::fabs(t[i]) < zero ? 0.0 : t[i]));
    return out;
}

namespace {

// The label in the exponent form: the formatter's letter is E, the runtime's shortest text e.
bool exponential(const char* b, int len) { return std::memchr(b, 'E', static_cast<size_t>(len)) || std::memchr(b, 'e', static_cast<size_t>(len)); }

// The digits after the point that the mantissa of v needs (at most 3).
int mantissadigits(double v) {
    if (v == 0 || !std::isfinite(v)) return 0;
    for (int n = 0; n < 3; ++n) {
        char b[40];
        std::snprintf(b, sizeof b, "%.*e", n, v);
        if (std::fabs(std::strtod(b, nullptr) - v) <= 1e-9 * std::fabs(v)) return n;
    }
    return 3;
}

}  // namespace

int axiscode(const std::vector<double>& shown, int code) {
    if (code < 0) return code;
    bool expo = false;
    int digits = 0;
    for (double v : shown) {
        char b[16];
        int c = code;
        const int len = ticklabel(b, v, &c);
        expo = expo || c < 0 || exponential(b, len);
        digits = std::max(digits, mantissadigits(v));
    }
    return expo ? -std::max(digits, 1) : code;
}

namespace {

// The axis of a probability or MCF plot whose labels are life (or time) values: even
// intervals or a tick array of log10 values, and the tolerance under which a value is 0.
struct LifeAxis {
    bool even, logs;
    double zero;
};

// Which labels the axis `horizontal` draws: life values (true, *a says how), the percentages
// of a probability axis (false, *prob set), or labels of another routine (false).
bool lifeaxis(const vyxstate* s, bool horizontal, LifeAxis* a, bool* prob) {
    const plotlay* f = s->plot.frame;
    *prob = false;
    const double hzero = std::fmax(std::fabs(f->hmin), std::fabs(f->hmax)) * GZ_EPS * 1000.0, vzero = std::fabs(f->vmax) * GZ_UNIT * 1000.0;
    if (s->popt.pflags.ismcf) {
        const bool logs = s->plot.axlog[horizontal ? AXLOG_H : AXLOG_V] != 0;
        *a = {!logs, logs, horizontal ? (logs ? 0.0 : hzero) : vzero};
        return true;
    }
    if (!s->popt.pflags.pplot || s->popt.pflags.relplot) return false;
    const bool logs = s->opts.logscale[LSC_LN] || s->opts.logscale[LSC_LOG10];
    const bool life = horizontal != (s->popt.pflags.rotate != 0);
    if (!life) {
        *prob = true;
        return false;
    }
    const bool even = s->popt.linaxis != 0;
    *a = {even, logs, horizontal ? (even ? hzero : 0.0) : vzero};
    return true;
}

}  // namespace

double drawnlabels(vyxstate* s, bool horizontal, std::string* alike) {
    const plotlay* f = s->plot.frame;
    alike->clear();
    LifeAxis a{};
    bool prob = false;
    std::vector<double> shown;
    int code = 99;
    if (lifeaxis(s, horizontal, &a, &prob)) {
        shown = lifelabels(f, horizontal, a.even, a.logs, a.zero);
        code = axiscode(shown, f->expnote == 'E' ? -1 : 99);
    } else if (prob && s->popt.panels.pctlist) {
        for (int i = std::max(f->pfirst, 0); i <= std::min(f->plast, s->popt.panels.npct - 1); ++i) shown.push_back(s->popt.panels.pctlist[i]);
    }
    ggtext t = plottext(s, f->txth);
    double widest = 0;
    std::string last;
    for (size_t i = 0; i < shown.size(); ++i) {
        char b[16];
        int c = code;
        const int len = ticklabel(b, shown[i], &c);
        widest = std::max(widest, textwidth(t, b, len));
        const std::string text(b, static_cast<size_t>(len));
        // The texts are compared, not the values: the values are rounded to 12 digits, and
        // ticks a millionth of a millionth apart round to one value that reads alike too.
        if (i > 0 && alike->empty() && text == last) *alike = text;
        last = text;
    }
    return widest;
}

}  // namespace axisparts
