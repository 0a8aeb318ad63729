// The device's tables.
#include "runtime/graphics/device.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <map>

namespace rt::gfx {

namespace {

const char kDeviceColors[][8] = {
    {'B', 'L', 'A', 'C', 'K', ' ', ' ', ' '}, {'G', 'R', 'A', 'Y', '8', '0', ' ', ' '},
    {'G', 'R', 'A', 'Y', 'C', '0', ' ', ' '}, {'B', 'L', 'U', 'E', ' ', ' ', ' ', ' '},
    {'R', 'E', 'D', ' ', ' ', ' ', ' ', ' '}, {'G', 'R', 'E', 'E', 'N', ' ', ' ', ' '},
    {'M', 'A', 'G', 'E', 'N', 'T', 'A', ' '}, {'C', 'Y', 'A', 'N', ' ', ' ', ' ', ' '},
    {'O', 'R', 'A', 'N', 'G', 'E', ' ', ' '}, {'B', 'R', 'O', 'W', 'N', ' ', ' ', ' '},
    {'P', 'U', 'R', 'P', 'L', 'E', ' ', ' '}, {'O', 'L', 'I', 'V', 'E', ' ', ' ', ' '},
};

ggdevice makedefault() {
    ggdevice d{};
    std::memcpy(d.name, "VITALYX ", 8);
    d.devtype = GGDEV_ORDINARY;
    d.pagew = 8.0;
    d.pageh = 6.0;
    d.dpi = 120.0;
    d.cellw = 1.25;
    d.cellh = 100.0 / 45.0;
    d.aspect = d.pageh / d.pagew;
    d.textheight = d.cellh;
    d.symbolheight = 1.6;
    d.hwtext = 'N';
    d.ncolors = static_cast<int32_t>(sizeof kDeviceColors / sizeof kDeviceColors[0]);
    d.colors = kDeviceColors;
    std::memcpy(d.background, "WHITE   ", 8);
    d.date = 1.0;
    return d;
}

std::vector<ggdevice>& extras() {
    static std::vector<ggdevice> v;
    return v;
}

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

const ggdevice& defaultdevice() {
    static const ggdevice d = makedefault();
    return d;
}

const ggdevice* finddevice(const char name[8]) {
    std::string n = colorkey(name, 8);
    // JAVAIMG is the name the start-up gives a destination without a device of its own.
    if (n.empty() || n == "VITALYX" || n == "JAVAIMG") return &defaultdevice();
    for (const ggdevice& d : extras())
        if (colorkey(d.name, 8) == n) return &d;
    return nullptr;
}

void adddevice(const ggdevice& d) { extras().push_back(d); }
void removedevices() { extras().clear(); }

std::string colorkey(const char* name, int len) {
    std::string s(name ? name : "", name ? strnlen(name, static_cast<size_t>(std::max(len, 0))) : 0);
    size_t b = s.find_first_not_of(' '), e = s.find_last_not_of(' ');
    return b == std::string::npos ? std::string() : upper(s.substr(b, e - b + 1));
}

bool parsecolor(std::string name, Rgb& out) {
    name = colorkey(name.c_str(), static_cast<int>(name.size()));
    auto hex = [](const std::string& s, size_t at, size_t n, int& v) {
        v = 0;
        for (size_t k = at; k < at + n; ++k) {
            if (k >= s.size() || !std::isxdigit(static_cast<unsigned char>(s[k]))) return false;
            v = v * 16 + (std::isdigit(static_cast<unsigned char>(s[k])) ? s[k] - '0' : s[k] - 'A' + 10);
        }
        return true;
    };
    int v = 0;
    if (name.size() == 8 && name.compare(0, 2, "CX") == 0 && hex(name, 2, 6, v)) {
        out = {((v >> 16) & 255) / 255.0, ((v >> 8) & 255) / 255.0, (v & 255) / 255.0};
        return true;
    }
    if (name.size() == 6 && name.compare(0, 4, "GRAY") == 0 && hex(name, 4, 2, v)) {
        out = {v / 255.0, v / 255.0, v / 255.0};
        return true;
    }
    // Named colours; names longer than 8 characters are known by their first 8.
    static const std::map<std::string, int> named = {
        {"BLACK", 0x000000},   {"WHITE", 0xFFFFFF},    {"RED", 0xE00000},      {"GREEN", 0x008A00},
        {"BLUE", 0x0040E0},    {"CYAN", 0x00B0C0},     {"MAGENTA", 0xC000C0},  {"YELLOW", 0xF0D000},
        {"GRAY", 0x808080},    {"GREY", 0x808080},     {"ORANGE", 0xF08000},   {"BROWN", 0x8B4513},
        {"PINK", 0xF080A0},    {"PURPLE", 0x7030A0},   {"VIOLET", 0x8A2BE2},   {"NAVY", 0x000080},
        {"OLIVE", 0x808000},   {"TEAL", 0x008080},     {"MAROON", 0x800000},   {"LIME", 0x60D000},
        {"GOLD", 0xD4A017},    {"LIGHTGRA", 0xD3D3D3}, {"LIGRAY", 0xD3D3D3},   {"DARKGRAY", 0x404040},
        {"DAGRAY", 0x404040},  {"LIGHTBLU", 0xADD8E6}, {"DARKBLUE", 0x00008B}, {"DARKRED", 0x8B0000},
        {"DARKGREE", 0x006400}, {"SALMON", 0xFA8072},  {"TAN", 0xD2B48C},
    };
    auto it = named.find(name.substr(0, 8));
    if (it == named.end()) return false;
    v = it->second;
    out = {((v >> 16) & 255) / 255.0, ((v >> 8) & 255) / 255.0, (v & 255) / 255.0};
    return true;
}

// Line types: 1 solid, then dotted, dashed and dash-dot patterns of growing lengths. The
// lengths are in points at width 1 and grow with wider lines.
std::vector<double> dashes(int ltype, double width) {
    static const std::vector<std::vector<double>> table = [] {
        std::vector<std::vector<double>> t(47);
        t[1] = {};
        t[2] = {1, 2};            // dotted
        t[3] = {3, 3};            // short dashes
        t[4] = {6, 3};
        t[5] = {9, 3};
        t[6] = {6, 2, 1, 2};      // dash dot
        t[7] = {9, 2, 1, 2};
        t[8] = {12, 3};
        t[9] = {12, 2, 1, 2, 1, 2};
        t[10] = {15, 3};
        t[11] = {9, 2, 3, 2};
        t[12] = {15, 2, 3, 2};
        t[13] = {18, 4};
        t[14] = {4, 2, 1, 2, 1, 2};
        t[15] = {10, 5};
        t[16] = {2, 2};
        t[17] = {2, 4};
        t[18] = {1, 4};
        t[19] = {20, 4, 4, 4};
        t[20] = {8, 3, 2, 3};
        // 21 to 46: the families again with wider gaps, so each type differs from the others.
        for (int k = 21; k <= 46; ++k) {
            const auto& base = t[(k - 21) % 19 + 2];
            double grow = 1.0 + ((k - 21) / 19 + 1) * 0.5;
            std::vector<double> d;
            for (size_t i = 0; i < base.size(); ++i) d.push_back(i % 2 ? base[i] * grow + 1 : base[i] * grow);
            t[k] = d;
        }
        t[33] = {1, 1};           // fine dots
        t[34] = {1, 2.5};
        t[35] = {1.5, 2.5};       // the grid's default: light dots
        return t;
    }();
    if (ltype < 2 || ltype > 46) return {};
    std::vector<double> d = table[static_cast<size_t>(ltype)];
    double f = std::max(1.0, width / 0.75);
    for (double& v : d) v *= f;
    return d;
}

namespace {
using P = std::vector<std::pair<double, double>>;
std::vector<MarkerShape> makeshapes() {
    std::vector<MarkerShape> v(1);   // 0: no symbol
    auto add = [&](const char* name, std::vector<P> paths, bool closed = false, bool filled = false) {
        MarkerShape m;
        m.name = name;
        m.paths = std::move(paths);
        m.closed = closed;
        m.filled = filled;
        v.push_back(std::move(m));
    };
    const double s = 0.5, t = 0.433;   // half size; half the base of a triangle of height 1
    add("PLUS", {{{-s, 0}, {s, 0}}, {{0, -s}, {0, s}}});
    add("X", {{{-s, -s}, {s, s}}, {{-s, s}, {s, -s}}});
    add("STAR", {{{-s, 0}, {s, 0}}, {{0, -s}, {0, s}}, {{-0.35, -0.35}, {0.35, 0.35}}, {{-0.35, 0.35}, {0.35, -0.35}}});
    add("SQUARE", {{{-0.4, -0.4}, {0.4, -0.4}, {0.4, 0.4}, {-0.4, 0.4}}}, true);
    add("DIAMOND", {{{0, -s}, {s, 0}, {0, s}, {-s, 0}}}, true);
    add("TRIANGLE", {{{-t, -0.25}, {t, -0.25}, {0, s}}}, true);
    add("HASH", {{{-0.2, -s}, {-0.2, s}}, {{0.2, -s}, {0.2, s}}, {{-s, -0.2}, {s, -0.2}}, {{-s, 0.2}, {s, 0.2}}});
    add("Y", {{{0, 0}, {0, -s}}, {{0, 0}, {-t, 0.25}}, {{0, 0}, {t, 0.25}}});
    add("Z", {{{-0.4, 0.4}, {0.4, 0.4}, {-0.4, -0.4}, {0.4, -0.4}}});
    add("PAW", {{{-0.3, -0.3}, {0.3, -0.3}, {0.3, 0.05}, {-0.3, 0.05}}, {{-0.35, 0.25}, {-0.25, 0.35}}, {{-0.05, 0.3}, {0.05, 0.4}}, {{0.25, 0.25}, {0.35, 0.35}}}, true);
    add("POINT", {{{-0.08, 0}, {0.08, 0}}, {{0, -0.08}, {0, 0.08}}});
    MarkerShape dot;
    dot.name = "DOT";
    dot.dot = true;
    v.push_back(dot);
    MarkerShape circle;
    circle.name = "CIRCLE";
    circle.circle = true;
    v.push_back(circle);
    add("SQUAREFILLED", {{{-0.4, -0.4}, {0.4, -0.4}, {0.4, 0.4}, {-0.4, 0.4}}}, true, true);
    add("DIAMONDFILLED", {{{0, -s}, {s, 0}, {0, s}, {-s, 0}}}, true, true);
    add("TRIANGLEFILLED", {{{-t, -0.25}, {t, -0.25}, {0, s}}}, true, true);
    MarkerShape fc;
    fc.name = "CIRCLEFILLED";
    fc.dot = true;
    v.push_back(fc);
    add("TRIANGLEDOWN", {{{-t, 0.25}, {t, 0.25}, {0, -s}}}, true);
    add("UNION", {{{-0.35, s}, {-0.35, -0.2}, {-0.2, -0.4}, {0.2, -0.4}, {0.35, -0.2}, {0.35, s}}});
    add("IBEAM", {{{-0.3, s}, {0.3, s}}, {{0, s}, {0, -s}}, {{-0.3, -s}, {0.3, -s}}});
    return v;
}
const std::vector<MarkerShape>& shapes() {
    static const std::vector<MarkerShape> v = makeshapes();
    return v;
}
}  // namespace

int symbolcount() { return static_cast<int>(shapes().size()) - 1; }

const MarkerShape& symbolshape(int number) {
    const auto& v = shapes();
    if (number < 1 || number >= static_cast<int>(v.size())) return v[1];
    return v[static_cast<size_t>(number)];
}

const char* symbolname(int number) { return symbolshape(number).name.c_str(); }

int symbolnumber(std::string name) {
    name = colorkey(name.c_str(), static_cast<int>(name.size()));
    if (name.empty()) return 0;
    static const std::map<std::string, std::string> alias = {
        {"+", "PLUS"}, {"CROSS", "PLUS"}, {"ASTERISK", "STAR"}, {"'", "POINT"}, {"#", "HASH"},
        {"SQUAREF", "SQUAREFILLED"}, {"DIAMONDF", "DIAMONDFILLED"}, {"TRIANGLF", "TRIANGLEFILLED"},
        {"CIRCLEF", "CIRCLEFILLED"}, {"TRIANGLD", "TRIANGLEDOWN"},
    };
    if (auto it = alias.find(name); it != alias.end()) name = it->second;
    const auto& v = shapes();
    for (size_t k = 1; k < v.size(); ++k)
        if (v[k].name == name) return static_cast<int>(k);
    // An 8-character field holds the first 8 characters of a longer name.
    if (name.size() == 8)
        for (size_t k = 1; k < v.size(); ++k)
            if (v[k].name.size() > 8 && v[k].name.compare(0, 8, name) == 0) return static_cast<int>(k);
    return 0;
}

bool parsepattern(std::string name, Pattern& out) {
    name = colorkey(name.c_str(), static_cast<int>(name.size()));
    out = Pattern{};
    if (name == "S" || name == "SOLID" || name == "MS" || name == "MSOLID") return true;
    if (name.empty() || name == "E" || name == "EMPTY" || name == "ME" || name == "MEMPTY") {
        out.kind = Pattern::Empty;
        return true;
    }
    if (name.size() == 2 && std::strchr("LRX", name[0]) && name[1] >= '1' && name[1] <= '5') {
        out.kind = Pattern::Hatch;
        out.angle = name[0] == 'L' ? 135 : 45;
        out.cross = name[0] == 'X';
        out.density = name[1] - '0';
        return true;
    }
    return false;
}

}  // namespace rt::gfx
