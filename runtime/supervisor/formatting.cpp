// Number and text formatting of the supervisor: xpfs, xpils, xpis and xpsstr.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "host/hostdefs.h"
#include "runtime/numfmt/numfmt.h"
#include "runtime/supervisor/messages.h"
#include "runtime/supervisor/svcextra.h"

namespace rt::sup {

namespace {

int place(const std::string& text, int width, char* buffer) {
    int w = std::min(std::abs(width), 256);
    if (!buffer || w == 0) return static_cast<int>(text.size());
    std::string t = text.size() > static_cast<size_t>(w) ? std::string(static_cast<size_t>(w), '*') : text;
    std::memset(buffer, ' ', static_cast<size_t>(w));
    size_t at = width < 0 ? 0 : static_cast<size_t>(w) - t.size();
    std::memcpy(buffer + at, t.data(), t.size());
    return static_cast<int>(t.size());
}

// d.ddE+XX with n decimals (an exponent of three digits where it needs them).
std::string exponent(double v, int n) {
    char b[64];
    std::snprintf(b, sizeof b, "%.*E", std::max(0, std::min(n, 16)), v);
    return b;
}

std::string best(double v, int w) {
    rt::num::NumFormat f;
    f.kind = rt::num::Fmt::Best;
    f.width = std::max(1, std::min(w, 32));
    return rt::num::formatnum(f, v);
}

}  // namespace

int xpfs(double value, int width, int decimals, char* buffer) {
    int w = std::max(1, std::min(std::abs(width), 32));
    std::string t;
    if (!std::isfinite(value)) {   // not computed: missing, never "inf" or "nan"
        t = ".";
    } else if (decimals < 0) {
        for (int n = -decimals; n >= 0; --n) {
            t = exponent(value, n);
            if (static_cast<int>(t.size()) <= w) break;
        }
    } else if (decimals <= 31) {
        char b[400];
        std::snprintf(b, sizeof b, "%.*f", decimals, value);
        t = b;
        if (static_cast<int>(t.size()) > w || std::fabs(value) >= 1e15) t = best(value, w);
    } else {
        t = best(value, w);
        // The best text for the width: the plain number whenever it fits (100000, not the
        // shorter 1e+05), the exponent form only for numbers the width cannot show plainly.
        if (t.find('e') != std::string::npos && std::fabs(value) < 1e15) {
            char b[64];
            auto r = std::to_chars(b, b + sizeof b, value, std::chars_format::fixed);
            if (r.ec == std::errc() && r.ptr - b <= w) t.assign(b, r.ptr);
        }
    }
    return place(t, width, buffer);
}

int xpils(int64_t value, int width, char* buffer) {
    std::string t = std::to_string(value);
    place(t, std::abs(width), buffer);
    return std::abs(width);
}

int xpis(int64_t value, int width, char* buffer) { return place(std::to_string(value), width, buffer); }

int xpsstr(char* buffer, int buflen, const char* format, int nargs, const msgarg* args) {
    std::string out;
    int a = 0;
    auto next = [&]() -> const msgarg* { return a < nargs ? &args[a++] : nullptr; };
    for (const char* p = format ? format : ""; *p; ++p) {
        if (*p != '%' || !p[1]) {
            out.push_back(*p);
            continue;
        }
        ++p;
        // Flags, width and precision ("%-12g", "%8.3f", "%5d") as printf has them.
        std::string flags;
        while (*p && std::strchr("-+ #0", *p)) flags.push_back(*p++);
        while (*p >= '0' && *p <= '9') flags.push_back(*p++);
        if (*p == '.') {
            flags.push_back(*p++);
            while (*p >= '0' && *p <= '9') flags.push_back(*p++);
        }
        if (!*p) break;
        if (!flags.empty() || std::strchr("feEG", *p)) {
            const msgarg* m = std::strchr("gGfeEdis", *p) ? next() : nullptr;
            char b[512];
            const std::string f = "%" + flags;
            if (!m) {
                out += f + *p;
                continue;
            }
            if (m->kind == msgarg::DBL && !std::isfinite(m->d) && *p != 's') {
                std::snprintf(b, sizeof b, (f + "s").c_str(), ".");
            } else if ((*p == 'd' || *p == 'i') && m->kind == msgarg::DBL && !(std::fabs(m->d) < 9.2e18)) {
                std::snprintf(b, sizeof b, (f + "s").c_str(), msg::numbertext(m->d).c_str());   // beyond long long
            } else if (*p == 'd' || *p == 'i') {
                std::snprintf(b, sizeof b, (f + "lld").c_str(), m->kind == msgarg::DBL ? static_cast<long long>(m->d) : static_cast<long long>(m->i));
            } else if (*p == 's') {
                const std::string t = m->s ? std::string(m->s, static_cast<size_t>(std::max(m->len, 0))) : "";
                std::snprintf(b, sizeof b, (f + "s").c_str(), t.c_str());
            } else {
                std::snprintf(b, sizeof b, (f + *p).c_str(), m->kind == msgarg::DBL ? m->d : static_cast<double>(m->i));
            }
            out += b;
            continue;
        }
        if (*p == '%') {
            out.push_back('%');
        } else if (*p == 'd') {
            if (const msgarg* m = next())
                out += m->kind != msgarg::DBL ? std::to_string(m->i)
                       : std::isfinite(m->d) && std::fabs(m->d) < 9.2e18 ? std::to_string(static_cast<long long>(m->d))
                                                                          : msg::numbertext(m->d);
        } else if (*p == 'g') {
            if (const msgarg* m = next()) out += msg::argtext(*m);
        } else if (*p == 's') {
            if (const msgarg* m = next()) out += m->s ? std::string(m->s, static_cast<size_t>(std::max(m->len, 0))) : "";
        } else if (*p == '*' && p[1] == 's') {
            ++p;
            const msgarg* n = next();
            const msgarg* m = next();
            size_t len = n ? static_cast<size_t>(std::max<int64_t>(0, n->i)) : 0;
            if (m && m->s) out += std::string(m->s, std::min(len, static_cast<size_t>(std::max(m->len, 0))));
        } else {
            out.push_back('%');
            out.push_back(*p);
        }
    }
    if (buffer && buflen > 0) {
        std::memset(buffer, ' ', static_cast<size_t>(buflen));
        std::memcpy(buffer, out.data(), std::min(out.size(), static_cast<size_t>(buflen)));
    }
    return static_cast<int>(std::min(out.size(), static_cast<size_t>(std::max(buflen, 0))));
}

}  // namespace rt::sup
