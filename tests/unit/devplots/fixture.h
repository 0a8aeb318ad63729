// Whole programs run in-process with their device-graphics pages kept as recordings: the
// pages, their primitives in page percent, and the numbers read off them (axis ticks and
// their labels, points, lines). Messages are found by their catalog number.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "host/hostdefs.h"
#include "runtime/graphics/canvas.h"
#include "runtime/graphics/device.h"
#include "runtime/graphics/devstate.h"
#include "runtime/output/output.h"
#include "runtime/runner/program.h"
#include "runtime/supervisor/messages.h"
#include "tests/support/catalogmsg.h"
#include "tests/support/collectlog.h"
#include "tests/support/testhost.h"

namespace dp {

using rt::gfx::Prim;

// One page as drawn: its primitives with coordinates in percent of the page.
struct Page {
    std::string name;
    std::vector<Prim> prims;
    double w = 0, h = 0;   // points
    std::vector<const Prim*> of(Prim::Kind k) const {
        std::vector<const Prim*> v;
        for (const Prim& p : prims)
            if (p.kind == k) v.push_back(&p);
        return v;
    }
    std::vector<std::string> texts() const {
        std::vector<std::string> v;
        for (const Prim& p : prims)
            if (p.kind == Prim::Text) v.push_back(p.text);
        return v;
    }
    bool hastext(const std::string& t) const {
        for (const Prim& p : prims)
            if (p.kind == Prim::Text && p.text == t) return true;
        return false;
    }
    const Prim* text(const std::string& t) const {
        for (const Prim& p : prims)
            if (p.kind == Prim::Text && p.text == t) return &p;
        return nullptr;
    }
    // All marker points, in page percent.
    std::vector<std::pair<double, double>> markers(const std::string& shape = "") const {
        std::vector<std::pair<double, double>> v;
        for (const Prim& p : prims)
            if (p.kind == Prim::Markers && (shape.empty() || p.text == shape))
                for (size_t k = 0; k + 1 < p.xy.size(); k += 2) v.emplace_back(p.xy[k], p.xy[k + 1]);
        return v;
    }
};

struct Run {
    int status = 0;
    testsupport::CollectLog log;
    std::string listing;
    std::vector<Page> pages;
    std::string report;
};

inline std::string readfile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

struct Options {
    std::vector<std::string> destinations;
    std::string keep;              // folder to copy the PNG pages to (empty: none)
    bool files = false;            // write SVG and PNG (else recordings only)
    std::string device;            // DEVICE= system option
    std::string keepas;            // kept PNGs named KEEPAS.png, KEEPAS-2.png, ... (else test-page.png)
    bool statistical = false;      // --graphics statistical
};

// A device that collects nothing (DEVICE=NOCOLL), known for as long as the holder lives.
struct NoCollectDevice {
    NoCollectDevice() {
        ggdevice d = rt::gfx::defaultdevice();
        std::memcpy(d.name, "NOCOLL  ", 8);
        d.devtype = 7202;
        rt::gfx::adddevice(d);
    }
    ~NoCollectDevice() { rt::gfx::removedevices(); }
    NoCollectDevice(const NoCollectDevice&) = delete;
    NoCollectDevice& operator=(const NoCollectDevice&) = delete;
};

// Runs program with the data sets name -> CSV text; the pages come back as recordings in
// page percent.
inline Run run(const std::string& program, const std::map<std::string, std::string>& data, const Options& o = {}) {
    char tmpl[] = "/tmp/vxplot-XXXXXX";
    const std::string dir = mkdtemp(tmpl);
    for (const auto& [name, text] : data) std::ofstream(dir + "/" + name + ".csv") << text;
    Run out;
    {
        rt::Session s;
        s.datadir = dir;
        s.outdir = dir + "/out";
        std::filesystem::create_directories(s.outdir);
        s.log = &out.log;
        s.recordpages = true;
        s.destinations = o.destinations;
        if (!o.device.empty()) s.opts.device = o.device;
        s.opts.statistical = o.statistical;
        rt::runner::Config cfg;
        cfg.linked = mcn_main;
        out.status = rt::runner::run(program, s, cfg);
        rt::setcurrent(&s);
        std::string err;
        rt::out::endprogram(err);
        for (const rt::gfx::Page* p : rt::gfx::allpages()) {
            if (!p->rec) continue;
            Page pg;
            pg.name = p->name;
            pg.w = p->rec->width;
            pg.h = p->rec->height;
            pg.prims = p->rec->prims;
            for (Prim& q : pg.prims) {
                if (q.kind == Prim::Begin) continue;
                for (size_t k = 0; k + 1 < q.xy.size(); k += 2) {
                    q.xy[k] = q.xy[k] / pg.w * 100.0;
                    q.xy[k + 1] = q.xy[k + 1] / pg.h * 100.0;
                }
            }
            // VITALYX_PAGES=DIR keeps every page's PNG there for a person to look at.
            std::string keep = o.keep;
            if (keep.empty() && std::getenv("VITALYX_PAGES")) keep = std::getenv("VITALYX_PAGES");
            if (!keep.empty() && !p->pngpath.empty()) {
                std::filesystem::create_directories(keep);
                std::error_code ec;
                std::string stem = p->name;
                for (char& c : stem) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
                std::string test = testing::UnitTest::GetInstance()->current_test_info()->name();
                std::replace(test.begin(), test.end(), '/', '-');
                const std::string as = o.keepas.empty() ? test + "-" + stem
                                                        : o.keepas + (out.pages.empty() ? "" : "-" + std::to_string(out.pages.size() + 1));
                std::filesystem::copy_file(p->pngpath, keep + "/" + as + ".png", std::filesystem::copy_options::overwrite_existing, ec);
            }
            out.pages.push_back(std::move(pg));
        }
        rt::gfx::resetdevstate();
        rt::setcurrent(nullptr);
    }
    out.listing = readfile(dir + "/out/listing.txt");
    out.report = readfile(dir + "/out/report.html");
    std::filesystem::remove_all(dir);
    return out;
}

// run on the statistical road (--graphics statistical); the program must end with status 0.
inline Run runstatistical(const std::string& program, const std::map<std::string, std::string>& data) {
    Options o;
    o.statistical = true;
    Run r = run(program, data, o);
    EXPECT_EQ(r.status, 0) << r.log.all();
    return r;
}

// Whether message n of catalog 510 was logged: a line holds the longest piece of the
// catalog text between its substitutions.
inline bool hasmsg(const testsupport::CollectLog& log, int n, int group = 510) {
    return testsupport::hasmsg(log, group, n);
}

// ---- reading the paper back from a page

// A straight line through points (u, v): v = a + b u, by least squares; the largest residual.
struct Fit {
    double a = 0, b = 0, worst = 0;
};
inline Fit linefit(const std::vector<double>& u, const std::vector<double>& v) {
    const size_t n = u.size();
    double su = 0, sv = 0, suu = 0, suv = 0;
    for (size_t i = 0; i < n; ++i) su += u[i], sv += v[i], suu += u[i] * u[i], suv += u[i] * v[i];
    Fit f;
    f.b = (n * suv - su * sv) / (n * suu - su * su);
    f.a = (sv - f.b * su) / n;
    for (size_t i = 0; i < n; ++i) f.worst = std::max(f.worst, std::fabs(f.a + f.b * u[i] - v[i]));
    return f;
}

// The short tick lines of an axis: horizontal lines ending at x = at (vertical axis), or
// vertical lines starting at y = at (horizontal axis), with their lengths.
struct Tick {
    double pos, len;
};
inline std::vector<Tick> ticks(const Page& p, bool vertical, double at, double tol = 0.05) {
    std::vector<Tick> t;
    for (const Prim* q : p.of(Prim::Line)) {
        const double x0 = q->xy[0], y0 = q->xy[1], x1 = q->xy[2], y1 = q->xy[3];
        if (vertical && std::fabs(y0 - y1) < 1e-9 && std::fabs(x0 - at) < tol && x1 < x0) t.push_back({y0, x0 - x1});
        if (!vertical && std::fabs(x0 - x1) < 1e-9 && std::fabs(y0 - at) < tol && y1 < y0) t.push_back({x0, y0 - y1});
    }
    return t;
}

// ---- reading the axes back from their labels

// A label that is a number.
inline double number(const std::string& t, bool* ok) {
    char* end = nullptr;
    const double v = std::strtod(t.c_str(), &end);
    *ok = !t.empty() && end && *end == '\0';
    return *ok ? v : 0;
}

// Where a label's anchor point is: its centre along the axis for a bottom label (drawn
// from its left end), its end for a left label.
inline double labelwidth(const Page& pg, const Prim& t) { return rt::gfx::measure(t.text, t.style).width / pg.w * 100.0; }

// A rectangle of the page, in page percent (y up).
struct Box {
    double x0, y0, x1, y1;
    bool meets(const Box& b) const { return x0 < b.x1 && b.x0 < x1 && y0 < b.y1 && b.y0 < y1; }
    bool holds(double x, double y) const { return x >= x0 && x <= x1 && y >= y0 && y <= y1; }
};

// The rectangle round the points of a primitive (a fill, a closed outline).
inline Box rectof(const Prim& q) {
    Box b{1e9, 1e9, -1e9, -1e9};
    for (size_t k = 0; k + 1 < q.xy.size(); k += 2)
        b = {std::min(b.x0, q.xy[k]), std::min(b.y0, q.xy[k + 1]), std::max(b.x1, q.xy[k]), std::max(b.y1, q.xy[k + 1])};
    return b;
}

// The box of an upright text's glyphs: a descender's depth below the baseline, an ascender's
// height above it (the face's extents reach further: labels stacked one text line apart, as
// HREFLABPOS=2 stacks them, would seem to meet).
inline Box glyphbox(const Page& pg, const Prim& t) {
    const double w = labelwidth(pg, t), h = t.style.size / pg.h * 100.0;
    const double x0 = t.anchor == rt::gfx::Anchor::End ? t.xy[0] - w : t.anchor == rt::gfx::Anchor::Middle ? t.xy[0] - w / 2 : t.xy[0];
    return {x0, t.xy[1] - 0.22 * h, x0 + w, t.xy[1] + 0.76 * h};
}

struct Axis {
    std::vector<double> value, pos;   // label value and the position of its tick
};

// A tick line at the position of a label of the left (a horizontal tick ending at the
// axis) or the bottom axis (a vertical tick hanging from it).
inline bool tickat(const Page& pg, double at, bool left) {
    for (const Prim* q : pg.of(Prim::Line)) {
        const double x0 = q->xy[0], y0 = q->xy[1], x1 = q->xy[2], y1 = q->xy[3];
        if (left && std::fabs(y0 - y1) < 1e-9 && std::fabs(y0 - at) < 1e-3 && x1 < x0 && x0 - x1 < 2) return true;
        if (!left && std::fabs(x0 - x1) < 1e-9 && std::fabs(x0 - at) < 2e-2 && y1 < y0 && y0 - y1 < 3) return true;
    }
    return false;
}

// The numeric labels of the bottom (anchor start) or the left axis (anchor end) that stand
// at a tick of their axis (the inset's numbers do not).
inline Axis labels(const Page& pg, bool left) {
    Axis a;
    for (const Prim* t : pg.of(Prim::Text)) {
        bool ok = false;
        const double v = number(t->text, &ok);
        if (!ok || t->angle != 0) continue;
        double at;
        if (left && t->anchor == rt::gfx::Anchor::End)
            at = t->xy[1] + 0.5 * t->style.size / pg.h * 100.0;
        else if (!left && t->anchor == rt::gfx::Anchor::Start)
            at = t->xy[0] + 0.5 * labelwidth(pg, *t);
        else
            continue;
        if (!tickat(pg, at, left)) continue;
        a.value.push_back(v);
        a.pos.push_back(at);
    }
    return a;
}

// The sum of the counts written in the strip above the frame (CENBIN): the numbers standing
// above the top labelled tick of the left axis; -1 without a labelled left axis.
inline int stripcounts(const Page& p) {
    const Axis left = labels(p, true);
    if (left.pos.empty()) return -1;
    const double above = *std::max_element(left.pos.begin(), left.pos.end()) + 1;
    int total = 0;
    for (const Prim* t : p.of(Prim::Text)) {
        bool ok = false;
        const double v = number(t->text, &ok);
        if (ok && t->xy[1] > above && t->angle == 0) total += static_cast<int>(v);
    }
    return total;
}

}  // namespace dp
