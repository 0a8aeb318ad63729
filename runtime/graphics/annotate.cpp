// The annotate facility: MOVE, DRAW, LABEL, SYMBOL, BAR, POLY and POLYCONT, with X and Y in
// percent of the data area ('1'), data values in drawing units ('2'), percent of the page ('3')
// or of the page window ('5'), and relative percent of the data area ('7') or the page ('9').
#include "runtime/graphics/annotate.h"

#include <cctype>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "host/hostdefs.h"
#include "runtime/datasets/dataset.h"
#include "runtime/graphics/devstate.h"
#include "runtime/graphics/graphics.h"
#include "runtime/supervisor/supervisor.h"
#include "runtime/util/numbers.h"

namespace rt::gfx {

namespace {

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

struct Cols {
    const rt::ds::Column *x = nullptr, *y = nullptr, *xsys = nullptr, *ysys = nullptr, *function = nullptr, *text = nullptr,
                         *color = nullptr, *size = nullptr, *style = nullptr, *position = nullptr, *line = nullptr,
                         *angle = nullptr;
};

Cols columns(const hdataset* ds) {
    Cols c;
    for (const auto& col : ds->cols) {
        std::string n = upper(col.name);
        const rt::ds::Column** at = n == "X" ? &c.x : n == "Y" ? &c.y : n == "XSYS" ? &c.xsys : n == "YSYS" ? &c.ysys
                                    : n == "FUNCTION" ? &c.function : n == "TEXT" ? &c.text : n == "COLOR" ? &c.color
                                    : n == "SIZE" ? &c.size : n == "STYLE" ? &c.style : n == "POSITION" ? &c.position
                                    : n == "LINE" ? &c.line : n == "ANGLE" ? &c.angle : nullptr;
        if (at) *at = &col;
    }
    return c;
}

double num(const rt::ds::Column* c, int64_t row) {
    if (!c || !c->numeric) return hostmissing();
    return c->num[static_cast<size_t>(row)];
}
std::string text(const rt::ds::Column* c, int64_t row) {
    if (!c) return {};
    if (c->numeric) {
        double v = c->num[static_cast<size_t>(row)];
        if (ismissing(v)) return {};
        char b[32];
        std::snprintf(b, sizeof b, "%g", v);
        return b;
    }
    std::string t(c->text(row));
    while (!t.empty() && t.back() == ' ') t.pop_back();
    return t;
}

// One coordinate in page percent from the value and its system; false for a system this
// facility does not draw in, or a missing value.
bool place(char sys, double v, double current, const ganoaxis* a, double win0, double win1, double* out) {
    if (ismissing(v) || !std::isfinite(v)) return false;
    const double org = a->angle == 0 ? a->orgx : a->orgy;
    switch (sys) {
    case '1': *out = org + v / 100 * a->length; return true;
    case '2': *out = v * a->factor + a->offset; return true;
    case '3': *out = v; return true;
    case '5': *out = win0 + v / 100 * (win1 - win0); return true;
    case '7': *out = current + v / 100 * a->length; return true;
    case '9': *out = current + v; return true;
    default: return false;
    }
}

int ganotat(ganoreq* r) {
    DeviceState& d = devstate(rt::current());
    const vec116* G = services();
    if (!r || !r->anno || !r->haxis || !r->vaxis || !d.canvas()) return 1;
    const hdataset* ds = r->anno;
    const Cols c = columns(ds);
    const double* w = r->pagewin;
    double cx = r->haxis->orgx, cy = r->vaxis->orgy;
    std::vector<double> poly;
    std::string polystyle;
    int polycolor = 1, polyline = 1;
    bool warned = false;
    auto closepoly = [&] {
        if (poly.size() >= 6) {
            ggpolyblk b{static_cast<int32_t>(poly.size() / 2 + 1), static_cast<int16_t>(polyline), 0, GGP_LINE, 0, nullptr};
            poly.push_back(poly[0]);
            poly.push_back(poly[1]);
            b.pts = poly.data();
            const std::string p = upper(polystyle);
            if (!p.empty() && p != "E" && p != "EMPTY") {
                std::vector<double> pts;
                for (size_t k = 0; k + 3 < poly.size(); k += 2) pts.push_back(d.px(poly[k])), pts.push_back(d.py(poly[k + 1]));
                d.canvas()->fill(pts.data(), pts.size() / 2, d.color(polycolor));
            }
            G->ggpline(0, &b, polycolor, nullptr);
        }
        poly.clear();
    };
    for (int64_t row = 0; row < ds->nobs; ++row) {
        std::string fn = upper(text(c.function, row));
        if (fn.empty()) fn = "LABEL";
        const std::string xs = text(c.xsys, row), ys = text(c.ysys, row);
        const char xsys = xs.empty() ? '1' : xs[0], ysys = ys.empty() ? '1' : ys[0];
        double x = cx, y = cy;
        const bool hx = place(xsys, num(c.x, row), cx, r->haxis, w ? w[0] : 0, w ? w[2] : 100, &x);
        const bool hy = place(ysys, num(c.y, row), cy, r->vaxis, w ? w[1] : 0, w ? w[3] : 100, &y);
        if ((!hx && !ismissing(num(c.x, row)) && c.x) || (!hy && !ismissing(num(c.y, row)) && c.y)) {
            if (!warned) sup::logline('W', "Annotate: an observation uses a coordinate system other than 1, 2, 3, 5, 7 or 9; such observations are not drawn.");
            warned = true;
            continue;
        }
        const std::string color = text(c.color, row);
        const int colnum = d.colornumber(color);
        const double size = num(c.size, row);
        const double line = num(c.line, row);
        const int ltype = ismissing(line) ? 1 : rt::util::toint(line);
        if (fn != "POLYCONT") closepoly();
        if (fn == "MOVE") {
        } else if (fn == "DRAW") {
            int keep = d.ctx.linewidth[0];
            if (!ismissing(size) && size >= 1) d.ctx.linewidth[0] = rt::util::toint(size);
            G->ggdraw(0, cx, cy, x, y, ltype, colnum);
            d.ctx.linewidth[0] = keep;
        } else if (fn == "LABEL") {
            std::string t = text(c.text, row);
            ggtext tr;
            G->ggstri(&tr);
            tr.text = t.c_str();
            tr.len = static_cast<int32_t>(t.size());
            tr.height = static_cast<float>(ismissing(size) || size <= 0 ? d.dev().textheight : size);
            tr.color = colnum;
            std::string style = text(c.style, row);
            std::memset(tr.font, ' ', 8);
            std::memcpy(tr.font, style.data(), std::min<size_t>(8, style.size()));
            double angle = num(c.angle, row);
            tr.angle = static_cast<float>(ismissing(angle) ? 0 : angle);
            // POSITION: 1 to 9 in rows above, on and below the point; columns end, centre, start.
            std::string pos = text(c.position, row);
            const char p = pos.empty() ? '5' : pos[0];
            const int k = p >= '1' && p <= '9' ? p - '1' : 4;
            tr.align = k % 3 == 0 ? 2 : k % 3 == 1 ? 3 : 1;
            const double h = tr.height;
            tr.x = static_cast<float>(x);
            tr.y = static_cast<float>(k / 3 == 0 ? y + 0.5 * h : k / 3 == 1 ? y - 0.35 * h : y - 1.2 * h);
            G->ggstr(0, &tr);
        } else if (fn == "SYMBOL") {
            std::string t = text(c.text, row);
            symrec s{};
            G->ggetsym(0, 1, &s);
            s.symbol[0] = static_cast<uint32_t>(G->ggsymbx(t.c_str(), static_cast<int>(t.size())));
            if (!ismissing(size) && size > 0) s.symsize = static_cast<float>(size);
            s.symcolnum = colnum;
            G->ggsymb(0, x, y, &s);
        } else if (fn == "BAR") {
            std::string style = upper(text(c.style, row));
            char pat[8];
            std::memset(pat, ' ', 8);
            std::memcpy(pat, style.empty() ? "E" : style.c_str(), std::min<size_t>(8, style.empty() ? 1 : style.size()));
            G->ggfill(0, cx, cy, x, y, pat, colnum, 3, colnum, ltype, 1);
        } else if (fn == "POLY") {
            poly = {x, y};
            polystyle = text(c.style, row);
            polycolor = colnum;
            polyline = ltype;
        } else if (fn == "POLYCONT") {
            poly.push_back(x);
            poly.push_back(y);
        }
        cx = x, cy = y;
    }
    closepoly();
    return 0;
}

const vec120 kVector = {ganotat};

}  // namespace

const vec120* annotateservices() { return &kVector; }

}  // namespace rt::gfx
