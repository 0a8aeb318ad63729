// The device's font names. Short names (at most 8 characters) are kept as written, upper
// case; known ones stand for the DejaVu faces the scripts install. A longer family name
// ('Times New Roman/bold') gets an alias "@nnnnnnn" that remembers the family for the run.
#include "runtime/graphics/fonts.h"
#include "runtime/graphics/canvas.h"

#include <fontconfig/fontconfig.h>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

namespace rt::gfx {

namespace {

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}
std::string trim(std::string s) {
    size_t b = s.find_first_not_of(" \t'\""), e = s.find_last_not_of(" \t'\"");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

// A face name as the program wrote it (a FONT= text, an 8-character font name, an annotate
// STYLE), cleaned by the rule of drawn text before fontconfig or cairo see it: cairo refuses a
// family that is not UTF-8 it draws (a Latin-1 byte, a noncharacter) and with it every text of
// the page. Cleaned, such a name is one fontconfig does not know, and its default face stands in.
std::string facename(const char* text, size_t length) { return trim(utf8clean(std::string_view(text, strnlen(text, length)))); }

// Families the short names and the common family names stand for.
const std::map<std::string, std::string>& families() {
    static const std::map<std::string, std::string> m = {
        {"SIMPLEX", "DejaVu Sans"},      {"SWISS", "DejaVu Sans"},          {"DEJAVU", "DejaVu Sans"},
        {"ARIAL", "DejaVu Sans"},        {"HELVETICA", "DejaVu Sans"},      {"SANS", "DejaVu Sans"},
        {"DEJAVU SANS", "DejaVu Sans"},  {"TIMES", "DejaVu Serif"},         {"TIMES NEW ROMAN", "DejaVu Serif"},
        {"SERIF", "DejaVu Serif"},       {"DEJAVU SERIF", "DejaVu Serif"},  {"COURIER", "DejaVu Sans Mono"},
        {"COURIER NEW", "DejaVu Sans Mono"}, {"MONO", "DejaVu Sans Mono"},  {"DEJAVU SANS MONO", "DejaVu Sans Mono"},
    };
    return m;
}
// The short name of each family (with B, I or BI appended for bold and italic faces).
const char* shortname(const std::string& family) {
    if (family == "DejaVu Serif") return "TIMES";
    if (family == "DejaVu Sans Mono") return "COURIER";
    return "SWISS";
}

// Families met under an alias, in the order met: "@0000001" is the first.
std::vector<FontFace>& aliases() {
    static std::vector<FontFace> v;
    return v;
}

void pad8(const std::string& s, char out[8]) {
    std::memset(out, ' ', 8);
    std::memcpy(out, s.data(), std::min<size_t>(8, s.size()));
}

// A known family with B, I or BI after it ("SWISSBI", "TIMESI").
bool knownshort(const std::string& name, FontFace& f) {
    for (const char* suffix : {"", "B", "I", "BI"}) {
        size_t n = std::strlen(suffix);
        if (name.size() <= n) continue;
        std::string base = name.substr(0, name.size() - n);
        if (name.compare(name.size() - n, n, suffix) != 0) continue;
        auto it = families().find(base);
        if (it == families().end()) continue;
        f.family = it->second;
        f.bold = std::strchr(suffix, 'B') != nullptr;
        f.italic = std::strchr(suffix, 'I') != nullptr;
        return true;
    }
    return false;
}

}  // namespace

bool installed(const std::string& family) {
    FcPattern* p = FcNameParse(reinterpret_cast<const FcChar8*>(family.c_str()));
    if (!p) return false;
    FcConfigSubstitute(nullptr, p, FcMatchPattern);
    FcDefaultSubstitute(p);
    FcResult r;
    FcPattern* m = FcFontMatch(nullptr, p, &r);
    bool same = false;
    FcChar8* got = nullptr;
    if (m && FcPatternGetString(m, FC_FAMILY, 0, &got) == FcResultMatch)
        same = upper(reinterpret_cast<const char*>(got)) == upper(family);
    if (m) FcPatternDestroy(m);
    FcPatternDestroy(p);
    return same;
}

FontFace fontface(const char name[8]) {
    std::string s = upper(facename(name, 8));
    FontFace f;
    if (s.empty() || s == "NONE") return f;
    if (s[0] == '@') {
        size_t k = std::strtoul(s.c_str() + 1, nullptr, 10);
        if (k >= 1 && k <= aliases().size()) return aliases()[k - 1];
        return f;
    }
    if (knownshort(s, f)) return f;
    f.family = s;   // an unknown short name: fontconfig finds a face for it, or its default
    return f;
}

int fontname(const char* text, int length, char out[8]) {
    std::string s = text ? facename(text, static_cast<size_t>(std::max(length, 0))) : std::string();
    pad8("", out);
    if (s.empty()) return 0;
    // "Family/bold/italic": the options after slashes choose the face.
    FontFace f;
    std::string family = s;
    if (size_t slash = s.find('/'); slash != std::string::npos) {
        family = trim(s.substr(0, slash));
        std::string opts = upper(s.substr(slash));
        f.bold = opts.find("/BOLD") != std::string::npos || opts.find("/BO") != std::string::npos;
        f.italic = opts.find("/ITALIC") != std::string::npos || opts.find("/IT") != std::string::npos;
    }
    std::string key = upper(family);
    if (key == "NONE") {
        pad8(key, out);
        return 0;
    }
    FontFace known;
    if (knownshort(key, known) && key.find(' ') == std::string::npos && key.size() <= 8 && s.find('/') == std::string::npos) {
        pad8(key, out);
        return 0;
    }
    if (auto it = families().find(key); it != families().end()) {
        std::string n = shortname(it->second);
        n += std::string(f.bold ? "B" : "") + (f.italic ? "I" : "");
        pad8(n, out);
        return 0;
    }
    if (key.size() <= 8 && key.find(' ') == std::string::npos && !f.bold && !f.italic) {
        pad8(key, out);
        return installed(family) ? 0 : 1;
    }
    f.family = family;
    auto& a = aliases();
    auto it = std::find(a.begin(), a.end(), f);
    size_t k = it == a.end() ? (a.push_back(f), a.size()) : static_cast<size_t>(it - a.begin()) + 1;
    char alias[16];
    std::snprintf(alias, sizeof alias, "@%07zu", k % 10000000);
    pad8(alias, out);
    return installed(family) ? 0 : 1;
}

}  // namespace rt::gfx

#if defined(__SANITIZE_ADDRESS__)
// fontconfig and cairo keep caches for the life of the process (the default configuration,
// the font and glyph caches); the leak checker of the sanitizer builds is told so.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\nleak:libcairo.so\nleak:libpixman-1.so\nleak:libfreetype.so\n";
}
#endif
