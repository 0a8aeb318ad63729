// Inlining of SVG pages and PNG data URIs.
#include "runtime/output/embed.h"

#include <cstring>
#include <fstream>
#include <sstream>

namespace rt::out {

std::string inlinesvg(std::string_view svg, const std::string& prefix) {
    size_t start = svg.find("<svg");
    if (start == std::string_view::npos) return {};
    std::string out;
    out.reserve(svg.size() + svg.size() / 16);
    size_t i = start;
    static const char* const marks[] = {" id=\"", "href=\"#", "url(#"};
    while (i < svg.size()) {
        size_t best = std::string_view::npos, len = 0;
        for (const char* m : marks) {
            size_t at = svg.find(m, i);
            if (at < best) best = at, len = std::strlen(m);
        }
        if (best == std::string_view::npos) {
            out.append(svg.substr(i));
            break;
        }
        out.append(svg.substr(i, best + len - i));
        out.append(prefix);
        i = best + len;
    }
    return out;
}

std::string base64(std::string_view b) {
    static const char* t = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string o;
    o.reserve((b.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 2 < b.size(); i += 3) {
        unsigned v = (static_cast<unsigned char>(b[i]) << 16) | (static_cast<unsigned char>(b[i + 1]) << 8) | static_cast<unsigned char>(b[i + 2]);
        o += t[v >> 18], o += t[(v >> 12) & 63], o += t[(v >> 6) & 63], o += t[v & 63];
    }
    if (i < b.size()) {
        unsigned v = static_cast<unsigned char>(b[i]) << 16;
        if (i + 1 < b.size()) v |= static_cast<unsigned char>(b[i + 1]) << 8;
        o += t[v >> 18], o += t[(v >> 12) & 63];
        o += i + 1 < b.size() ? t[(v >> 6) & 63] : '=';
        o += '=';
    }
    return o;
}

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::ostringstream b;
    b << in.rdbuf();
    return b.str();
}

}  // namespace rt::out
