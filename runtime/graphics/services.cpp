// Vector 116 of the runtime: the device-graphics services on the device state. Every
// coordinate arrives in page percent; what is not finite is dropped or clipped to the page
// before it reaches a canvas.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/graphics/device.h"
#include "runtime/graphics/devstate.h"
#include "runtime/graphics/fonts.h"
#include "runtime/graphics/graphics.h"
#include "runtime/graphics/legend.h"
#include "runtime/graphics/style.h"
#include "runtime/session.h"
#include "runtime/supervisor/supervisor.h"

namespace rt::gfx {

namespace {

// The device state, begun for the current session on the first call (the session is looked
// up only then: the services call this for every primitive).
DeviceState& S() {
    if (DeviceState* d = begundevstate()) return *d;
    return devstate(current());
}

std::string field(const char* s, int n) {
    if (!s || n <= 0) return {};
    std::string t(s, strnlen(s, static_cast<size_t>(n)));
    while (!t.empty() && t.back() == ' ') t.pop_back();
    return t;
}

// A width of 0 is a hairline (the leaders of labels), thinner than any line a statement draws.
double linewidthpt(const DeviceState& d) {
    int w = d.ctx.linewidth[0];
    return w == 0 ? 0.5 : (w < 1 ? 1 : std::min(w, 100)) * 0.75;
}

// The stroke of a colour number and line type at the current line width. The one made last
// is kept: a page's many limit bars share one stroke, and its dash list is made once.
const Stroke& strokeof(const DeviceState& d, int color, int ltype) {
    static Stroke last;
    static int lasttype = -1;
    const Rgb rgb = d.color(color);
    const double width = linewidthpt(d);
    if (ltype != lasttype || !(rgb == last.color) || width != last.width) {
        last.color = rgb;
        last.width = width;
        last.dashes = dashes(ltype, width);
        lasttype = ltype;
    }
    return last;
}
const Stroke& strokeof(int color, int ltype) { return strokeof(S(), color, ltype); }

// Clips the segment to the rectangle [x0, x1] x [y0, y1] (Liang-Barsky); false when nothing
// of it is inside. Infinite ends are first brought to a far but finite place on their line.
bool clipsegment(double& ax, double& ay, double& bx, double& by, double x0, double y0, double x1, double y1) {
    if (ax >= x0 && ax <= x1 && bx >= x0 && bx <= x1 && ay >= y0 && ay <= y1 && by >= y0 && by <= y1) {
        // Both ends inside (the common case): no edge moves t0 = 0 or t1 = 1, and the ends
        // come out as the general case computes them.
        const double dx = bx - ax, dy = by - ay, t0 = 0, t1 = 1;
        const double nax = ax + t0 * dx, nay = ay + t0 * dy, nbx = ax + t1 * dx, nby = ay + t1 * dy;
        ax = nax, ay = nay, bx = nbx, by = nby;
        return true;
    }
    auto tame = [](double v) { return std::isinf(v) ? std::copysign(1e6, v) : v; };
    ax = tame(ax), ay = tame(ay), bx = tame(bx), by = tame(by);
    if (std::isnan(ax) || std::isnan(ay) || std::isnan(bx) || std::isnan(by)) return false;
    double t0 = 0, t1 = 1, dx = bx - ax, dy = by - ay;
    auto edge = [&](double p, double q) {
        if (p == 0) return q >= 0;
        double r = q / p;
        if (p < 0) {
            if (r > t1) return false;
            if (r > t0) t0 = r;
        } else {
            if (r < t0) return false;
            if (r < t1) t1 = r;
        }
        return true;
    };
    if (!edge(-dx, ax - x0) || !edge(dx, x1 - ax) || !edge(-dy, ay - y0) || !edge(dy, y1 - ay)) return false;
    double nax = ax + t0 * dx, nay = ay + t0 * dy, nbx = ax + t1 * dx, nby = ay + t1 * dy;
    ax = nax, ay = nay, bx = nbx, by = nby;
    return true;
}

bool finite2(double x, double y) { return std::isfinite(x) && std::isfinite(y); }

// ---- device, state and context
const ggdevice* dvfind(const char name[8]) { return finddevice(name); }

ggstate* znew(void*) {
    auto st = std::make_unique<ggstate>();
    *st = ggstate{};
    st->firstuse = 1;
    st->flags = GGS_COLLECT;
    std::memset(st->device, ' ', 8);
    // The device of the run: the system option DEVICE=, else the default device.
    if (Session* ss = current(); ss && !ss->opts.device.empty())
        std::memcpy(st->device, ss->opts.device.data(), std::min<size_t>(8, ss->opts.device.size()));
    st->width = st->height = -1;
    S().state = st.get();
    S().states.push_back(std::move(st));
    return S().state;
}

// The output style's elements are in use with the system option GSTYLE.
bool styleson() {
    Session* s = current();
    return s && s->opts.gstyle;
}

int init(ggstate* gcb) {
    DeviceState& d = S();
    if (gcb) d.state = gcb;
    const ggdevice* dev = finddevice(gcb ? gcb->device : "        ");
    if (!dev) {
        sup::logline('E', "The graphics device " + field(gcb->device, 8) + " is not known.");
        return 1;
    }
    d.device = dev;
    d.ctx.device = dev;
    d.ctx.linewidth[0] = d.ctx.linewidth[1] = 1;
    d.ctx.stylesinuse = styleson() ? 1 : 0;
    std::memset(d.ctx.valuecolor, ' ', 8);
    std::memset(d.ctx.devfont, ' ', 8);
    d.ctx.textstyle = ggtextstyle{};
    std::memset(d.ctx.textstyle.color, ' ', 8);
    std::memset(d.ctx.textstyle.font, ' ', 8);
    if (d.ctx.stylesinuse) {
        char font[8];
        ggtextstyle m{};
        if (styleservices()->grdxfont(&d.ctx, "GraphValueText", 14, font, &m)) d.ctx.textstyle = m;
    }
    if (Session* ss = current(); ss && d.ctx.stylesinuse) std::snprintf(d.ctx.style, sizeof d.ctx.style, "%s", ss->opts.style.c_str());
    if (gcb) gcb->firstuse = 0;
    d.started = true;
    d.colornumber("");   // the device's colour list
    return 0;
}

ggctx* xget(void*) {
    DeviceState& d = S();
    if (!d.ctx.device) d.ctx.device = &d.dev();
    return &d.ctx;
}
void dinit() {}
void zrst(int) { S().textturn = 0; }
int cbini(void** block, int) {
    if (block) *block = nullptr;
    return 0;
}
void dvdlt(int, int) {}
int stop() {
    S().started = false;
    return 0;
}
int term() { return 0; }

// ---- catalogs and segments
int adcat(int, const char lib[8], int catlen, const char* cat, uint32_t* catent, int, int) {
    DeviceState& d = S();
    std::string l = field(lib, 8), c = field(cat, std::min(catlen, 30));
    if (c.empty()) c = "GSEG";
    for (const Catalog& k : d.catalogs)
        if (k.lib == l && k.name == c) {
            if (catent) *catent = k.id;
            return 0;
        }
    Catalog k;
    k.id = static_cast<uint32_t>(d.catalogs.size() + 1);
    k.lib = l;
    k.name = c;
    d.catalogs.push_back(k);
    if (catent) *catent = k.id;
    return 0;
}

int oseg(int, int desclen, uint32_t catent, void** segment, uint32_t handles[2], const char name[8],
         const gglongname* longname, const char* description, int, int, int, void*, void*) {
    DeviceState& d = S();
    auto p = std::make_unique<Page>();
    p->id = static_cast<uint32_t>(d.pages.size() + 1);
    p->catalog = catent;
    std::string wanted = longname && longname->text && longname->len > 0 ? std::string(longname->text, longname->len)
                                                                         : field(name, 8);
    p->name = d.uniquename(wanted);
    p->description = field(description, desclen);
    const ggdevice& dev = d.dev();
    p->wpt = (d.state && (d.state->flags & GGS_WIDTH) && d.state->width > 0 ? d.state->width : dev.pagew) * 72.0;
    p->hpt = (d.state && (d.state->flags & GGS_HEIGHT) && d.state->height > 0 ? d.state->height : dev.pageh) * 72.0;
    if (d.filesready()) {
        std::string stem = p->name;
        for (char& c : stem) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        p->svgpath = d.dir + "/" + stem + ".svg";
        p->pngpath = d.dir + "/" + stem + ".png";
        p->cairo = std::make_unique<CairoCanvas>(p->svgpath, p->pngpath, dev.dpi);
        p->tee.to.push_back(p->cairo.get());
    }
    if (d.record) {
        p->rec = std::make_unique<RecordingCanvas>();
        p->tee.to.push_back(p->rec.get());
    }
    Rgb bg{1, 1, 1};
    parsecolor(std::string(dev.background, 8), bg);
    p->tee.begin(p->wpt, p->hpt, bg);
    p->open = true;
    d.current = p.get();
    d.clipdepth = 0;
    d.areas.clear();
    if (handles) handles[0] = p->id, handles[1] = catent;
    if (segment) *segment = p.get();
    d.pages.push_back(std::move(p));
    return 0;
}

int sel(int, void* segment) {
    DeviceState& d = S();
    for (auto& p : d.pages)
        if (p.get() == segment) {
            d.current = p.get();
            return 0;
        }
    return 1;
}

int cseg(int, void** segment, int) {
    DeviceState& d = S();
    Page* p = segment ? static_cast<Page*>(*segment) : d.current;
    bool known = false;
    for (auto& q : d.pages) known = known || q.get() == p;
    if (!known || !p->open) return 1;
    while (d.clipdepth > 0) {
        p->tee.popclip();
        --d.clipdepth;
    }
    bool ok = d.endpage(*p);
    p->open = false;
    if (d.current == p) d.current = nullptr;
    if (!ok) sup::logstatementerror(current(), "The graphics page " + p->name + " could not be written: " + p->tee.error() + ".");
    return ok ? 0 : 1;
}

int plrdx(void*, txthandle) { return 0; }

double headerheight() { return S().dev().cellh; }

int phdrl(int, double* window, void* by1, void* by2) {
    if (!window) return 1;
    window[0] = 0;
    window[1] = 0;
    window[2] = 100;
    window[3] = 100;
    intptr_t n = reinterpret_cast<intptr_t>(by2);
    if (by1 && n > 0) window[3] = 100 - 1.6 * headerheight();
    return 0;
}

int phdr(int, void* by1, void* by2) {
    Canvas* c = S().canvas();
    intptr_t n = reinterpret_cast<intptr_t>(by2);
    if (!c || !by1 || n <= 0) return 0;
    std::string text(static_cast<const char*>(by1), static_cast<size_t>(n));
    while (!text.empty() && text.back() == ' ') text.pop_back();
    TextStyle t;
    t.size = S().py(headerheight());
    t.color = S().color(1);
    c->text(text, S().px(50), S().py(100 - 1.2 * headerheight()), 0, Anchor::Middle, t);
    return 0;
}

// ---- colours, symbols, patterns
int cnum(int, const char name[8]) { return S().colornumber(field(name, 8)); }

int cnum5(int, int n, char name[8]) {
    const ggdevice& d = S().dev();
    std::memset(name, ' ', 8);
    if (n < 1 || n > d.ncolors) return 0;
    std::memcpy(name, d.colors[n - 1], 8);
    return n;
}

int symbx(const char* name, int length) {
    std::string n = field(name, length < 0 ? 64 : length);
    int k = symbolnumber(n);
    if (k == 0 && !n.empty()) {
        if (S().warned.insert("S" + n).second)
            sup::logline('W', "The plot symbol " + n + " is not known; PLUS is drawn in its place.");
        k = 1;
    }
    return k;
}

int getsym(int, int count, symrec* array) {
    for (int k = 0; array && k < count; ++k) {
        symrec& s = array[k];
        s = symrec{};
        s.symsize = static_cast<float>(S().dev().symbolheight);
        s.sizefac = 1.0f;
        s.ltype = 1;
        s.colornum = 1;
        s.symcolnum = 1;
        std::memset(s.color, ' ', 8);
        std::memset(s.symcolor, ' ', 8);
    }
    return count;
}

// No PATTERN definitions exist in this language: the count comes back, meaning none given.
int getpat(int count, char*, int) { return count; }

// ---- text
float turn(const ggtext* t) { return t->angle + static_cast<float>(S().textturn); }

TextStyle styleof(const ggtext* t) {
    TextStyle s;
    s.face = fontface(t->font);
    s.size = S().py(t->height > 0 ? t->height : S().dev().textheight);
    s.color = S().color(t->color);
    return s;
}

std::string_view textof(const ggtext* t) {
    if (!t->text || t->len <= 0) return {};
    return std::string_view(t->text, strnlen(t->text, static_cast<size_t>(t->len)));
}

int stri(ggtext* t) {
    if (!t) return 1;
    *t = ggtext{};
    t->height = static_cast<float>(S().dev().textheight);
    t->color = 1;
    std::memset(t->font, ' ', 8);
    t->align = 1;
    return 0;
}

int strl(int, ggtext* t) {
    if (!t) return 1;
    TextStyle s = styleof(t);
    TextExtent e = measure(textof(t), s);
    double a = turn(t) * M_PI / 180, c = std::fabs(std::cos(a)), n = std::fabs(std::sin(a));
    double high = e.ascent + e.descent, W = S().wpt(), H = S().hpt();
    t->width = static_cast<float>(c >= n ? e.width / W * 100 : e.width / H * 100);
    t->xext = static_cast<float>((e.width * c + high * n) / W * 100);
    t->yext = static_cast<float>((e.width * n + high * c) / H * 100);
    t->ascent = static_cast<float>(e.ascent / H * 100);
    t->descent = static_cast<float>(e.descent / H * 100);
    t->below = static_cast<float>(e.below / H * 100);
    t->above = static_cast<float>(e.above / H * 100);
    t->inkleft = static_cast<float>(c >= n ? e.inkleft / W * 100 : e.inkleft / H * 100);
    t->inkright = static_cast<float>(c >= n ? e.inkright / W * 100 : e.inkright / H * 100);
    return 0;
}

int str(int, ggtext* t) {
    Canvas* c = S().canvas();
    if (!c || !t) return 1;
    if (!finite2(t->x, t->y)) return 0;
    std::string_view s = textof(t);
    size_t end = s.find_last_not_of(' ');
    if (end == std::string_view::npos) return 0;
    Anchor a = t->align == 2 ? Anchor::End : t->align == 3 ? Anchor::Middle : Anchor::Start;
    // A trailing blank run is no part of what is drawn (fields are blank padded).
    c->text(s.substr(0, end + 1), S().px(t->x), S().py(t->y), turn(t), a, styleof(t));
    return 0;
}

int stxfm(double angle, double) {
    S().textturn = std::isfinite(angle) ? angle : 0;
    return 0;
}

double cell(int, double value, int axis, int up) {
    const ggdevice& d = S().dev();
    double size = axis == 1 ? d.cellw : d.cellh;
    if (!(size > 0) || !std::isfinite(value)) return value;
    return up ? std::ceil(value / size - 1e-9) * size : std::floor(value / size + 1e-9) * size;
}

double l2pct(int, int unit, int axis, double length) {
    const ggdevice& d = S().dev();
    double along = axis == 1 ? S().wpt() : S().hpt();
    switch (unit) {
    case GGU_CELLS: return length * (axis == 1 ? d.cellw : d.cellh);
    case GGU_PERCENT: return length;
    case GGU_INCHES: return length * 72.0 / along * 100;
    case GGU_CM: return length / 2.54 * 72.0 / along * 100;
    case GGU_POINTS: return length / along * 100;
    default: return length;
    }
}

// ---- lines, fills, markers
int draw(int, double x1, double y1, double x2, double y2, int ltype, int color) {
    DeviceState& d = S();   // (looked up once: a dense plot draws millions of lines)
    Canvas* c = d.canvas();
    if (!c) return 1;
    if (!clipsegment(x1, y1, x2, y2, 0, 0, 100, 100)) return 0;
    c->line(d.px(x1), d.py(y1), d.px(x2), d.py(y2), strokeof(d, color, ltype));
    return 0;
}

struct ClipScope {
    Canvas* c;
    bool on = false;
    ClipScope(Canvas* canvas, const float* clip) : c(canvas) {
        if (clip && finite2(clip[0], clip[1]) && finite2(clip[2], clip[3])) {
            c->pushclip(S().px(clip[0]), S().py(clip[1]), S().px(clip[2]), S().py(clip[3]));
            on = true;
        }
    }
    ~ClipScope() {
        if (on) c->popclip();
    }
};

// A polyline breaks at every missing point; a segment with an infinite end is clipped to
// the page (it runs to the page's edge) and the line goes on from there.
int pline(int, const ggpolyblk* b, int color, const float clip[4]) {
    Canvas* c = S().canvas();
    if (!c || !b) return 1;
    if (b->count <= 0 || !b->pts) return 0;
    ClipScope scope(c, clip);
    Stroke s = strokeof(color, b->ltype);
    std::vector<double> run;
    auto flush = [&] {
        if (run.size() >= 4) c->polyline(run.data(), run.size() / 2, s);
        run.clear();
    };
    auto push = [&](double x, double y) {
        double X = S().px(x), Y = S().py(y);
        if (run.size() >= 2 && run[run.size() - 2] == X && run.back() == Y) return;
        run.push_back(X);
        run.push_back(Y);
    };
    const double* p = b->pts;
    bool haveprev = false;
    double qx = 0, qy = 0;
    for (int k = 0; k < b->count; ++k) {
        double x = p[2 * k], y = p[2 * k + 1];
        if (std::isnan(x) || std::isnan(y)) {
            flush();
            haveprev = false;
            continue;
        }
        if (!haveprev) {
            if (finite2(x, y)) push(x, y);
        } else if (finite2(qx, qy) && finite2(x, y)) {
            if (run.empty()) push(qx, qy);
            push(x, y);
        } else {
            double ax = qx, ay = qy, bx = x, by = y;
            if (clipsegment(ax, ay, bx, by, 0, 0, 100, 100)) {
                if (!finite2(qx, qy)) flush();
                push(ax, ay);
                push(bx, by);
            }
            if (!finite2(x, y)) flush();
        }
        haveprev = true;
        qx = x, qy = y;
    }
    flush();
    return 0;
}

int pmark(int, const ggmarkblk* b, int color, const float* clip) {
    Canvas* c = S().canvas();
    if (!c || !b) return 1;
    if (b->count <= 0 || !b->pts || (b->attr & GGM_NOPOINTS)) return 0;
    std::vector<double> pts;
    pts.reserve(static_cast<size_t>(b->count) * 2);
    for (int k = 0; k < b->count; ++k) {
        double x = b->pts[2 * k], y = b->pts[2 * k + 1];
        if (finite2(x, y)) pts.push_back(S().px(x)), pts.push_back(S().py(y));
    }
    if (pts.empty()) return 0;
    ClipScope scope(c, clip);
    Stroke s = strokeof(color, 1);
    s.width = 0.75;
    int sym = b->symbol[0] ? static_cast<int>(b->symbol[0]) : 1;
    double size = S().py(b->size > 0 ? b->size : S().dev().symbolheight);
    c->markers(symbolshape(sym), size, s, pts.data(), pts.size() / 2);
    return 0;
}

int symb(int, double x, double y, const symrec* r) {
    if (!r) return 1;
    double pt[2] = {x, y};
    ggmarkblk b{};
    std::memcpy(b.symbol, r->symbol, sizeof b.symbol);
    b.size = r->symsize;
    b.count = 1;
    b.attr = GGM_POINTS;
    b.pts = pt;
    int color = r->symcolnum > 0 ? r->symcolnum : S().colornumber(field(r->symcolor, 8));
    return pmark(0, &b, color, nullptr);
}

int fillrect(int, double x0, double y0, double x1, double y1, const char pattern[8], int fillcolor, int mode,
             int linecolor, int ltype, int width) {
    Canvas* c = S().canvas();
    if (!c) return 1;
    if (std::isnan(x0) || std::isnan(y0) || std::isnan(x1) || std::isnan(y1)) return 0;
    x0 = std::clamp(x0, 0.0, 100.0), x1 = std::clamp(x1, 0.0, 100.0);
    y0 = std::clamp(y0, 0.0, 100.0), y1 = std::clamp(y1, 0.0, 100.0);
    double xy[8] = {S().px(x0), S().py(y0), S().px(x1), S().py(y0), S().px(x1), S().py(y1), S().px(x0), S().py(y1)};
    Pattern pat;
    std::string pname = field(pattern, 8);
    if (!parsepattern(pname, pat)) {
        if (S().warned.insert("P" + pname).second)
            sup::logline('W', "The fill pattern " + pname + " is not known; the area is filled solid.");
    }
    if (fillcolor >= 0 && pat.kind == Pattern::Solid) c->fill(xy, 4, S().color(fillcolor));
    if (fillcolor >= 0 && pat.kind == Pattern::Hatch) {
        Stroke s = strokeof(fillcolor, 1);
        double spacing = 12.0 / pat.density;
        c->hatch(xy, 4, s, pat.angle, spacing);
        if (pat.cross) c->hatch(xy, 4, s, pat.angle + 90, spacing);
    }
    if (mode != 0) {
        int keep = S().ctx.linewidth[0];
        S().ctx.linewidth[0] = width > 0 ? width : keep;
        Stroke s = strokeof(linecolor, ltype);
        S().ctx.linewidth[0] = keep;
        double ring[10] = {xy[0], xy[1], xy[2], xy[3], xy[4], xy[5], xy[6], xy[7], xy[0], xy[1]};
        c->polyline(ring, 5, s);
    }
    return 0;
}

// With a save word: a clip to the region until ggrdba gives the word back. Without one:
// the region is registered as an area to be cleared later, its handle put into the block.
int rba(int, ggregion* region, int32_t* saved, int, int) {
    DeviceState& d = S();
    Canvas* c = d.canvas();
    if (!region) return 1;
    if (saved) {
        *saved = d.clipdepth;
        if (!c) return 1;
        c->pushclip(d.px(std::min(region->x0, region->x1)), d.py(std::min(region->y0, region->y1)),
                    d.px(std::max(region->x0, region->x1)), d.py(std::max(region->y0, region->y1)));
        ++d.clipdepth;
        return 0;
    }
    d.areas.push_back(*region);
    region->handle = static_cast<int32_t>(d.areas.size());
    return 0;
}

int rdba(int, int, int32_t* saved, const ggregion* region, int, int) {
    DeviceState& d = S();
    Canvas* c = d.canvas();
    if (!c) return 1;
    if (saved) {
        while (d.clipdepth > *saved && d.clipdepth > 0) {
            c->popclip();
            --d.clipdepth;
        }
        return 0;
    }
    if (!region || region->handle < 1 || region->handle > static_cast<int32_t>(d.areas.size())) return 1;
    const ggregion& a = d.areas[static_cast<size_t>(region->handle - 1)];
    double x0 = std::clamp(std::min(a.x0, a.x1), 0.0, 100.0), x1 = std::clamp(std::max(a.x0, a.x1), 0.0, 100.0);
    double y0 = std::clamp(std::min(a.y0, a.y1), 0.0, 100.0), y1 = std::clamp(std::max(a.y0, a.y1), 0.0, 100.0);
    double xy[8] = {d.px(x0), d.py(y0), d.px(x1), d.py(y0), d.px(x1), d.py(y1), d.px(x0), d.py(y1)};
    Rgb bg{1, 1, 1};
    parsecolor(std::string(d.dev().background, 8), bg);
    c->fill(xy, 4, bg);
    return 0;
}

const vec116 kVector = {
    fontname, dvfind, init, znew, xget, dinit, zrst, cbini, dvdlt, stop, term,
    adcat, oseg, sel, cseg, plrdx, phdr, phdrl,
    cnum, cnum5, symbx, getsym, getpat,
    stri, strl, str, stxfm, cell, l2pct,
    draw, pline, pmark, fillrect, symb, rba, rdba,
    legendsize, legenddraw,
};

}  // namespace

const vec116* services() { return &kVector; }

}  // namespace rt::gfx
