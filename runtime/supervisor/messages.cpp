// The message catalogs of the runtime, compiled in: numbered texts with their kinds, and the
// substitution of their arguments.
#include "runtime/supervisor/messages.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>
#include <mutex>
#include <sstream>

// The catalogs compiled in at build time: pairs of group name and file text.
namespace rt::msg::embedded {
extern const char* const catalogs[][2];
extern const int ncatalogs;
}  // namespace rt::msg::embedded

namespace rt::msg {
namespace {

using Catalogs = std::map<long, std::map<int, Entry>>;

// Catalog "host" holds the host's own messages; its group number is -1.
long groupnumber(const char* name) {
    if (std::string(name) == "host") return -1;
    return std::strtol(name, nullptr, 10);
}

Catalogs load() {
    Catalogs all;
    for (int c = 0; c < embedded::ncatalogs; ++c) {
        auto& cat = all[groupnumber(embedded::catalogs[c][0])];
        std::istringstream in(embedded::catalogs[c][1]);
        std::string line;
        while (std::getline(in, line)) {
            if (line.empty() || line[0] == '#') continue;
            size_t sp = line.find(' ');
            if (sp == std::string::npos || sp + 2 >= line.size() + 1) continue;
            int n = std::atoi(line.substr(0, sp).c_str());
            Entry e;
            e.kind = line[sp + 1];
            e.text = sp + 3 <= line.size() ? line.substr(sp + 3) : std::string();
            cat[n] = e;
        }
    }
    return all;
}

const Catalogs& catalogs() {
    static const Catalogs all = load();
    return all;
}

}  // namespace

const Entry* find(int group, int n) {
    const auto& all = catalogs();
    auto g = all.find(group);
    if (g == all.end()) return nullptr;
    auto e = g->second.find(n);
    return e == g->second.end() ? nullptr : &e->second;
}

std::string numbertext(double d) {
    // A value that is not a finite number was not computed: it reads as missing.
    if (!std::isfinite(d)) return ".";
    char buf[64];
    // A whole number is written whole (300000, not 3e+05): a count reads as the count.
    if (d == std::trunc(d) && std::fabs(d) < 1e15) return std::to_string(static_cast<long long>(d));
    // The shortest text that reads back as the same double; a value that needs more than 15
    // significant digits is shown with 15 (every decimal of at most 15 digits reads as
    // written), so that the last bit of a computation does not show as noise.
    auto r = std::to_chars(buf, buf + sizeof buf, d);
    int digits = 0;
    bool lead = true;
    for (const char* p = buf; p < r.ptr && *p != 'e'; ++p) {
        if (*p < '0' || *p > '9') continue;
        if (lead && *p == '0') continue;
        lead = false;
        ++digits;
    }
    if (digits > 15) r = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::general, 15);
    return std::string(buf, r.ptr);
}

std::string argtext(const msgarg& a) {
    switch (a.kind) {
        case msgarg::INT: return std::to_string(a.i);
        case msgarg::DBL: return numbertext(a.d);
        case msgarg::TEXT: {
            int n = a.len;
            while (n > 0 && (a.s[n - 1] == ' ' || a.s[n - 1] == '\0')) --n;
            return std::string(a.s, static_cast<size_t>(n > 0 ? n : 0));
        }
    }
    return {};
}

std::string substitute(const std::string& pattern, int nargs, const msgarg* args) {
    std::string out;
    out.reserve(pattern.size() + 16);
    for (size_t i = 0; i < pattern.size(); ++i) {
        char c = pattern[i];
        if (c == '%' && i + 1 < pattern.size()) {
            char d = pattern[i + 1];
            if (d == '%') {
                out += '%';
                ++i;
                continue;
            }
            if (d >= '1' && d <= '9') {
                int k = d - '1';
                if (k < nargs) out += argtext(args[k]);
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

std::string text(int group, int n, int nargs, const msgarg* args) {
    const Entry* e = find(group, n);
    if (!e) {
        std::string s = "Message " + std::to_string(group) + "/" + std::to_string(n);
        for (int k = 0; k < nargs; ++k) s += (k ? ", " : ": ") + argtext(args[k]);
        return s + ".";
    }
    return substitute(e->text, nargs, args);
}

}  // namespace rt::msg
