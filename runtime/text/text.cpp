// Vector 4 of the runtime: locale items, translation and collating tables, the numeric
// informat and the character classes of the single-byte session encoding.
#include "runtime/text/text.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

// The runtime's session encoding is single-byte; the multi-byte routines therefore do
// what the byte routines do. Two locales: 0 (English, the default) and 1 (German number
// and date forms), chosen with the locale setter wzsxplc(0, locale, 0, 0).
namespace rt::text {
namespace {

struct item {
    int32_t id;
    int32_t len;       // filled on first use
    char text[96];
};

item english[] = {
    {1, 0, "%m/%d/%Y"},
    {2, 0, "%Y-%N-%D %H:%M:%S"},
    {3, 0, "%H:%M:%S"},
    {4, 0, "AM;PM"},
    {5, 0, "January;February;March;April;May;June;July;August;September;October;November;December"},
    {6, 0, "Jan;Feb;Mar;Apr;May;Jun;Jul;Aug;Sep;Oct;Nov;Dec"},
    {7, 0, "Sunday;Monday;Tuesday;Wednesday;Thursday;Friday;Saturday"},
    {11, 0, "Sun;Mon;Tue;Wed;Thu;Fri;Sat"},
    {12, 0, ","},
    {13, 0, "."},
    {14, 0, "1"},
    {15, 0, "-"},
    {16, 0, "+"},
    {19, 0, "SIMPLEX;Albany AMT"},
    {20, 0, ";Albany AMT"},
    {113, 0, "$"},
    {114, 0, "USD"},
};

item german[] = {
    {1, 0, "%d.%m.%Y"},
    {2, 0, "%D.%N.%Y %H:%M:%S"},
    {3, 0, "%H:%M:%S"},
    {4, 0, "AM;PM"},
    {5, 0, "Januar;Februar;Maerz;April;Mai;Juni;Juli;August;September;Oktober;November;Dezember"},
    {6, 0, "Jan;Feb;Mrz;Apr;Mai;Jun;Jul;Aug;Sep;Okt;Nov;Dez"},
    {7, 0, "Sonntag;Montag;Dienstag;Mittwoch;Donnerstag;Freitag;Samstag"},
    {11, 0, "So;Mo;Di;Mi;Do;Fr;Sa"},
    {12, 0, "."},
    {13, 0, ","},
    {14, 0, "1"},
    {15, 0, "-"},
    {16, 0, "+"},
    {19, 0, "SIMPLEX;Albany AMT"},
    {113, 0, "EUR"},
    {114, 0, "EUR"},
};

int g_locale = 0;

const locitem* glc(int id) {
    item* items = g_locale == 1 ? german : english;
    size_t n = g_locale == 1 ? sizeof german / sizeof german[0] : sizeof english / sizeof english[0];
    for (size_t i = 0; i < n; ++i) {
        if (items[i].id != id) continue;
        items[i].len = static_cast<int32_t>(std::strlen(items[i].text));
        return reinterpret_cast<const locitem*>(&items[i]);
    }
    return nullptr;
}

int plc(int, int a, int, int) {
    if (a != 0 && a != 1) return 1;
    g_locale = a;
    return 0;
}

struct tables {
    uint8_t xlt[5][256];
    uint8_t col[256];
    uint16_t cc[256];
    tables() {
        for (int c = 0; c < 256; ++c) {
            const bool ascii = c < 128;
            const uint8_t up = static_cast<uint8_t>(ascii ? std::toupper(c) : c);
            const uint8_t low = static_cast<uint8_t>(ascii ? std::tolower(c) : c);
            xlt[0][c] = static_cast<uint8_t>(c);
            xlt[1][c] = low;
            xlt[2][c] = up;
            xlt[3][c] = static_cast<uint8_t>((c < 32 || c == 127) ? ' ' : c);
            xlt[4][c] = (ascii && (std::isalnum(c) || c == '_')) ? up : static_cast<uint8_t>('_');
            col[c] = up;   // letters collate without regard to case
            uint16_t bits = 0;
            if (ascii && std::isdigit(c)) bits |= CC_DIGIT;
            if (ascii && std::isalpha(c)) bits |= CC_ALPHA;
            if (ascii && std::isspace(c)) bits |= CC_SPACE;
            if (ascii && std::isupper(c)) bits |= CC_UPPER;
            if (ascii && std::islower(c)) bits |= CC_LOWER;
            if (ascii && std::ispunct(c)) bits |= CC_PUNCT;
            cc[c] = bits;
        }
    }
};
const tables& tabs() {
    static const tables t;
    return t;
}

const uint8_t* sxxlt(int table) { return table >= 0 && table <= 4 ? tabs().xlt[table] : nullptr; }
const uint8_t* sxcol() { return tabs().col; }
int mbcs() { return 0; }

int sxcmn(const char* a, int alen, const char* b, int blen, int) {
    const uint8_t* t = tabs().col;
    if (!a || alen < 0) alen = 0;
    if (!b || blen < 0) blen = 0;
    int n = alen > blen ? alen : blen;
    for (int i = 0; i < n; ++i) {
        unsigned ca = t[i < alen ? static_cast<unsigned char>(a[i]) : ' '];
        unsigned cb = t[i < blen ? static_cast<unsigned char>(b[i]) : ' '];
        if (ca != cb) return ca < cb ? -(i + 1) : i + 1;
    }
    return 0;
}

int sxupr(int table, const char* in, char* out, int len) {
    const uint8_t* t = sxxlt(table);
    if (!t) return 1;
    for (int i = 0; i < len; ++i) out[i] = static_cast<char>(t[static_cast<unsigned char>(in[i])]);
    return 0;
}

int sxoff(const char*, int len, int n) { return n < len ? n : len; }

int sxmov(const char* src, int srclen, char* dst, int dstlen) {
    int n = srclen < dstlen ? srclen : dstlen;
    if (n <= 0) return 0;
    std::memmove(dst, src, static_cast<size_t>(n));
    return n;
}

// A plain number: optional sign, digits with at most one ".", optional exponent; blanks
// around it. Without "." or exponent, decimals implied decimal places.
int sxinf(const char* text, int len, int decimals, double* out) {
    char buf[64];
    if (!text || len <= 0) return 1;
    int b = 0, e = len;
    while (b < e && text[b] == ' ') ++b;
    while (e > b && text[e - 1] == ' ') --e;
    if (e == b || e - b >= static_cast<int>(sizeof buf)) return 1;
    std::memcpy(buf, text + b, static_cast<size_t>(e - b));
    buf[e - b] = '\0';
    for (int i = 0; i < e - b; ++i) {
        char c = buf[i];
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E')) return 1;
    }
    char* end = nullptr;
    double v = std::strtod(buf, &end);
    if (end != buf + (e - b)) return 1;
    if (decimals > 0 && !std::strpbrk(buf, ".eE")) v /= std::pow(10.0, decimals);
    *out = v;
    return 0;
}

const uint16_t* ctt() { return tabs().cc; }

// The session encoding is single-byte: the symbol table never needs adapting.
int txdotr() { return 0; }

const vec4 table = {glc, plc, sxxlt, sxcol, mbcs, sxcmn, sxupr, sxoff, sxmov, sxinf, ctt, txdotr};

}  // namespace

const vec4* services() { return &table; }

}  // namespace rt::text
