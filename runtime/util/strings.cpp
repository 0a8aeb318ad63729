// Small text helpers of the runtime and the command: case, comparison, and values shown or
// quoted in messages.
#include "runtime/util/strings.h"

#include <algorithm>
#include <cstdio>

#include "host/keychars.h"

namespace rt::util {

std::string upper(std::string s) {
    for (auto& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

std::string lower(std::string s) {
    for (auto& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

bool iequal(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

std::string shown(std::string_view v, size_t max, bool keeptabs) {
    bool cut = v.size() > max;
    size_t n = v.size();
    // do not split a UTF-8 character; a value that is not UTF-8 keeps its max bytes
    if (cut) {
        constexpr size_t kMost = 0x7FFFFFFF;
        const size_t len = std::min(v.size(), kMost), width = std::min(max, kMost);
        n = static_cast<size_t>(keptbytes(v.data(), static_cast<int32_t>(len), static_cast<int32_t>(width)));
    }
    std::string out;
    out.reserve(n + 8);
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(v[i]);
        switch (c) {
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += keeptabs ? "\t" : "\\t"; break;
        default:
            if (c < 0x20 || c == 0x7F) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%02X", c);
                out += hex;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    if (cut) out += "...";
    return out;
}

std::string quoted(std::string_view v, size_t max) {
    std::string out(1, '\'');
    out += shown(v, max);
    out += '\'';
    return out;
}

}  // namespace rt::util
