// Golden pictures kept as recordings: every primitive of a page as one line of text, in
// page percent, compared with a file a person has checked by looking at the page's PNG.
// Numbers agree within a tolerance (text is measured with the installed fonts), everything
// else exactly. VITALYX_GOLDEN=write rewrites the files.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/unit/devplots/fixture.h"

namespace dp {

inline std::string hex(const rt::gfx::Rgb& c) {
    char b[8];
    std::snprintf(b, sizeof b, "#%02x%02x%02x", int(c.r * 255 + 0.5), int(c.g * 255 + 0.5), int(c.b * 255 + 0.5));
    return b;
}

inline std::string num(double v) {
    char b[32];
    std::snprintf(b, sizeof b, "%.2f", v);
    return std::string(b) == "-0.00" ? "0.00" : b;
}

inline std::string stroke(const rt::gfx::Stroke& s) {
    std::string d = hex(s.color) + " w" + num(s.width);
    if (!s.dashes.empty()) {
        d += " d";
        for (double v : s.dashes) d += num(v) + ",";
    }
    return d;
}

inline std::string points(const std::vector<double>& xy) {
    std::string s = std::to_string(xy.size() / 2);
    for (double v : xy) {
        s += ' ';
        s += num(v);
    }
    return s;
}

// One line per primitive.
inline std::string recording(const Page& p) {
    std::ostringstream o;
    o << "page " << p.name << " " << num(p.w) << " " << num(p.h) << "\n";
    for (const Prim& q : p.prims) {
        switch (q.kind) {
            case Prim::Begin: o << "begin " << hex(q.color) << "\n"; break;
            case Prim::Line: o << "line " << points(q.xy) << " " << stroke(q.stroke) << "\n"; break;
            case Prim::Polyline: o << "poly " << points(q.xy) << " " << stroke(q.stroke) << "\n"; break;
            case Prim::Fill: o << "fill " << points(q.xy) << " " << hex(q.color) << "\n"; break;
            case Prim::Hatch: o << "hatch " << points(q.xy) << " " << stroke(q.stroke) << " a" << num(q.angle) << "\n"; break;
            case Prim::Markers: o << "marks " << q.text << " s" << num(q.size) << " " << points(q.xy) << " " << stroke(q.stroke) << "\n"; break;
            case Prim::Text:
                o << "text \"" << q.text << "\" " << num(q.xy[0]) << " " << num(q.xy[1]) << " a" << num(q.angle) << " "
                  << (q.anchor == rt::gfx::Anchor::Start ? "start" : q.anchor == rt::gfx::Anchor::End ? "end" : "middle") << " s"
                  << num(q.style.size) << " " << hex(q.style.color) << "\n";
                break;
            case Prim::PushClip: o << "clip " << points(q.xy) << "\n"; break;
            case Prim::PopClip: o << "unclip\n"; break;
            case Prim::End: o << "end\n"; break;
        }
    }
    return o.str();
}

inline std::vector<std::string> words(const std::string& line) {
    std::vector<std::string> w;
    std::string cur;
    bool quoted = false;
    for (char c : line) {
        if (c == '"') quoted = !quoted;
        if (c == ' ' && !quoted) {
            if (!cur.empty()) w.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) w.push_back(cur);
    return w;
}

inline bool numeric(const std::string& w, double* v) {
    char* end = nullptr;
    const char* b = w.c_str();
    if (!w.empty() && (w[0] == 'w' || w[0] == 's' || w[0] == 'a')) ++b;
    *v = std::strtod(b, &end);
    return end && *end == '\0' && end != b;
}

// The page against its golden file; the first lines that differ are reported.
inline void golden(const Page& p, const std::string& file, double tol = 0.06) {
    const std::string path = std::string(VITALYX_SOURCE_DIR) + "/tests/data/golden/" + file;
    const std::string have = recording(p);
    const char* mode = std::getenv("VITALYX_GOLDEN");
    if (mode && std::string(mode) == "write") {
        std::ofstream(path) << have;
        return;
    }
    std::ifstream in(path);
    ASSERT_TRUE(in.good()) << "no golden file " << path << " (VITALYX_GOLDEN=write makes it)";
    std::stringstream b;
    b << in.rdbuf();
    std::istringstream a(have), g(b.str());
    std::string la, lg;
    int line = 0, bad = 0;
    while (true) {
        const bool ea = !std::getline(a, la), eg = !std::getline(g, lg);
        ++line;
        if (ea || eg) {
            EXPECT_EQ(ea, eg) << file << ": the recording and its golden file end at different lines (" << line << ")";
            break;
        }
        const auto wa = words(la), wg = words(lg);
        bool same = wa.size() == wg.size();
        for (size_t k = 0; same && k < wa.size(); ++k) {
            double x, y;
            if (wa[k] == wg[k]) continue;
            same = numeric(wa[k], &x) && numeric(wg[k], &y) && std::fabs(x - y) <= tol;
        }
        if (!same && ++bad <= 5) ADD_FAILURE() << file << " line " << line << "\n  drawn:  " << la << "\n  golden: " << lg;
    }
}

}  // namespace dp
