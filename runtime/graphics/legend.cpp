// Legend layout: a framed box holding the title and one entry per group (a symbol or a
// short line in the group's style, then its text), in as many rows as the width needs.
#include "runtime/graphics/legend.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>
#include "runtime/graphics/device.h"
#include "runtime/graphics/devstate.h"
#include "runtime/graphics/fonts.h"
#include "runtime/session.h"
#include "runtime/supervisor/pools.h"

namespace rt::gfx {

namespace {

std::string field(const char* s, int n) {
    if (!s || n <= 0) return {};
    std::string t(s, strnlen(s, static_cast<size_t>(n)));
    while (!t.empty() && t.back() == ' ') t.pop_back();
    return t;
}

struct Layout {
    double th = 0;              // text height, y percent
    double pad = 0, gap = 0;    // x percent
    double sample = 0;          // width of the sample, x percent
    double lineh = 0;           // y percent
    double titlew = 0;
    std::vector<double> entw;   // entry widths, x percent
    std::vector<int> row;       // row of each entry
    std::vector<double> at;     // x of each entry from the entries' left edge
    int rows = 1;
    double w = 0, h = 0;
};

TextStyle textstyle(DeviceState& d, const legrec* l, double th) {
    TextStyle t;
    t.face = fontface(l->font);
    t.size = d.py(th);
    t.color = d.color(d.colornumber(field(l->textcolor, 8)));
    return t;
}

double widthpct(const DeviceState& d, const std::string& s, const TextStyle& t) { return measure(s, t).width / d.wpt() * 100; }

// A legend of symbols whose entries differ in their line types (groups overlaid in one
// panel) shows each symbol on a sample of its line, so that the legend names the lines too.
bool symbolsonlines(const legrec* l) {
    if (l->kind == 'L' || !l->syms) return false;
    for (uint32_t k = 0; k < l->count; ++k)
        if (l->syms[k].ltype > 1) return true;
    return false;
}

Layout layout(DeviceState& d, const legrec* l, double avail) {
    const ggdevice& dev = d.dev();
    Layout L;
    L.th = dev.textheight;
    if (d.ctx.textstyle.height > 0 && d.ctx.stylesinuse) {
        double unitpt = d.ctx.textstyle.unit == GGU_POINTS ? 1.0 : d.ctx.textstyle.unit == GGU_INCHES ? 72.0 : 0;
        if (unitpt > 0) L.th = d.ctx.textstyle.height * unitpt / d.hpt() * 100;
    }
    L.pad = dev.cellw * 0.6;
    L.gap = dev.cellw * 1.5;
    L.lineh = L.th * 1.45;
    L.sample = l->kind == 'L' || symbolsonlines(l) ? dev.cellw * 4 : dev.cellw * 1.6;
    TextStyle t = textstyle(d, l, L.th);
    std::string title = l->title ? field(l->title, std::min<int>(l->titlelen, l->titlesize ? l->titlesize : 256)) : "";
    L.titlew = title.empty() ? 0 : widthpct(d, title + ":", t) + L.gap;
    double inner = std::max(avail - 2 * L.pad - L.titlew, dev.cellw * 10);
    double x = 0, widest = 0;
    int r = 0;
    for (uint32_t k = 0; k < l->count; ++k) {
        std::string txt = l->entries && l->entries[k].text ? field(l->entries[k].text, l->entries[k].len) : "";
        double w = L.sample + dev.cellw * 0.6 + widthpct(d, txt, t);
        if (x > 0 && x + w > inner) {
            widest = std::max(widest, x - L.gap);
            x = 0;
            ++r;
        }
        L.entw.push_back(w);
        L.row.push_back(r);
        L.at.push_back(x);
        x += w + L.gap;
    }
    widest = std::max(widest, x > 0 ? x - L.gap : 0.0);
    L.rows = r + 1;
    L.w = 2 * L.pad + L.titlew + widest;
    L.h = L.rows * L.lineh + 0.6 * L.th;
    return L;
}

}  // namespace

int legendsize(int, legrec* l, double* window) {
    if (!l) return 1;
    DeviceState& d = devstate(current());
    double left = window ? window[0] : 0, right = window ? window[2] : 100, bottom = window ? window[1] : 0;
    Layout L = layout(d, l, right - left - 2 * d.dev().cellw);
    double margin = d.dev().cellh * 0.5;
    l->w = L.w;
    l->h = L.h;
    l->place = 0;
    l->roomx0 = left;
    l->roomx1 = right;
    l->roomy0 = bottom + margin;
    l->roomy1 = bottom + margin + L.h;
    if (window) window[1] = l->roomy1 + margin;
    if (!l->pool) l->pool = pool::createtracked(1024, 1024);
    return 0;
}

int legenddraw(int, legrec* l, const float* frame) {
    DeviceState& d = devstate(current());
    Canvas* c = d.canvas();
    if (!c || !l) return 1;
    if (l->h <= 0) legendsize(0, l, nullptr);
    double fl = frame ? std::min(frame[1], frame[5]) : l->roomx0, fr = frame ? std::max(frame[1], frame[5]) : l->roomx1;
    Layout L = layout(d, l, l->roomx1 - l->roomx0 - 2 * d.dev().cellw);
    double cx = (fl + fr) / 2;
    double x0 = std::clamp(cx - L.w / 2, l->roomx0, std::max(l->roomx0, l->roomx1 - L.w));
    double y0 = l->roomy0, y1 = l->roomy0 + L.h;
    Stroke frame_stroke;
    frame_stroke.color = d.color(d.colornumber(field(l->framecolor, 8)));
    frame_stroke.width = 0.75;
    if (l->box[0] == 'B') {
        double ring[10] = {d.px(x0), d.py(y0), d.px(x0 + L.w), d.py(y0), d.px(x0 + L.w), d.py(y1), d.px(x0), d.py(y1), d.px(x0), d.py(y0)};
        c->polyline(ring, 5, frame_stroke);
    }
    TextStyle t = textstyle(d, l, L.th);
    auto baseline = [&](int row) { return y1 - 0.3 * L.th - (row + 1) * L.lineh + 0.35 * L.lineh; };
    std::string title = l->title ? field(l->title, std::min<int>(l->titlelen, l->titlesize ? l->titlesize : 256)) : "";
    double ex = x0 + L.pad + L.titlew;
    if (!title.empty()) c->text(title + ":", d.px(x0 + L.pad), d.py(baseline(0)), 0, Anchor::Start, t);
    for (uint32_t k = 0; k < l->count; ++k) {
        double x = ex + L.at[k], y = baseline(L.row[k]);
        double mid = y + 0.3 * L.th;
        const symrec* s = l->syms ? &l->syms[k] : nullptr;
        int lcol = s ? (s->colornum > 1 ? s->colornum : d.colornumber(field(s->color, 8))) : 1;
        // An entry whose record has the line type -1 (a group without a line) shows no line.
        if ((l->kind == 'L' || symbolsonlines(l)) && !(s && s->ltype < 0)) {
            Stroke st;
            st.color = d.color(lcol);
            st.width = 0.75 * std::max(1, d.ctx.linewidth[0]);
            st.dashes = dashes(s ? s->ltype : 1, st.width);
            c->line(d.px(x), d.py(mid), d.px(x + L.sample), d.py(mid), st);
        }
        if (l->kind != 'L') {
            int scol = s ? (s->symcolnum > 1 ? s->symcolnum : d.colornumber(field(s->symcolor, 8))) : 1;
            if (s && field(s->symcolor, 8).empty() && scol == 1) scol = lcol;
            Stroke st;
            st.color = d.color(scol);
            st.width = 0.75;
            double pt[2] = {d.px(x + L.sample / 2), d.py(mid)};
            int sym = s && s->symbol[0] ? static_cast<int>(s->symbol[0]) : 1;
            double size = d.py(s && s->symsize > 0 ? s->symsize : d.dev().symbolheight);
            c->markers(symbolshape(sym), size, st, pt, 1);
        }
        std::string txt = l->entries && l->entries[k].text ? field(l->entries[k].text, l->entries[k].len) : "";
        c->text(txt, d.px(x + L.sample + d.dev().cellw * 0.6), d.py(y), 0, Anchor::Start, t);
    }
    return 0;
}

}  // namespace rt::gfx
