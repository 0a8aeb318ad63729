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
    // The next place of each mark at or after i, searched again only once i has passed it:
    // a mark that is rare (or absent) is not looked for through the rest of the page at every
    // other mark, which made a page of many markers quadratic.
    size_t next[3];
    for (int m = 0; m < 3; ++m) next[m] = svg.find(marks[m], i);
    while (i < svg.size()) {
        int which = -1;
        for (int m = 0; m < 3; ++m) {
            if (next[m] != std::string_view::npos && next[m] < i) next[m] = svg.find(marks[m], i);
            if (next[m] != std::string_view::npos && (which < 0 || next[m] < next[which])) which = m;
        }
        if (which < 0) {
            out.append(svg.substr(i));
            break;
        }
        const size_t len = std::strlen(marks[which]);
        out.append(svg.substr(i, next[which] + len - i));
        out.append(prefix);
        i = next[which] + len;
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
