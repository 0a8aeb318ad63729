// Blank-padded text fields: stripping, justifying, comparing and copying (textpad.h).
#include "proc/framework/textpad.h"

#include <cstdarg>
#include <cstring>

#include "proc/framework/hostsvc_util.h"

namespace {

inline void blanks(char* p, int n) {
    if (n > 0) std::memset(p, ' ', static_cast<size_t>(n));
}

// First non-blank byte of s[0..len), len when there is none.
int firstnonblank(const char* s, int len) {
    int i = 0;
    while (i < len && s[i] == ' ') ++i;
    return i;
}

// Sign of an unsigned byte comparison as a 1-based position, negative when a sorts first.
inline int position(int i, unsigned a, unsigned b) { return a < b ? -(i + 1) : (i + 1); }

}  // namespace

int vzatl(int ch, const char* buf, int len) {
    for (int i = 0; i < len; ++i)
        if (static_cast<unsigned char>(buf[i]) != static_cast<unsigned char>(ch)) return 0;
    return 1;
}

void vzmp(const char* src, int srclen, char* dst, int dstlen) {
    if (dstlen <= 0) return;
    int n = (src && srclen > 0) ? (srclen < dstlen ? srclen : dstlen) : 0;
    if (n) std::memmove(dst, src, static_cast<size_t>(n));
    blanks(dst + n, dstlen - n);
}

int wzmisn(const double* v, int n) {
    for (int i = 0; i < n; ++i)
        if (v[i] != v[i]) return 1;
    return 0;
}

int wzstcat(char* dst, int dstlen, int sep, int npieces, ...) {
    bool terminate = dstlen < 0;
    int room = terminate ? -dstlen - 1 : dstlen;
    int at = 0;
    va_list ap;
    va_start(ap, npieces);
    for (int i = 0; i < npieces; ++i) {
        const char* p = va_arg(ap, const char*);
        int len = va_arg(ap, int);
        if (i > 0 && sep >= 0 && at < room) dst[at++] = static_cast<char>(sep);
        if (!p || len <= 0) continue;
        int n = len < room - at ? len : room - at;
        if (n > 0) {
            std::memmove(dst + at, p, static_cast<size_t>(n));
            at += n;
        }
    }
    va_end(ap);
    if (terminate) {
        if (room >= 0) dst[at] = '\0';
    } else {
        blanks(dst + at, room - at);
    }
    return at;
}

int wzstcom(const char* a, int alen, const char* b, int blen) {
    if (!a || alen < 0) alen = 0;
    if (!b || blen < 0) blen = 0;
    int n = alen > blen ? alen : blen;
    for (int i = 0; i < n; ++i) {
        unsigned ca = i < alen ? static_cast<unsigned char>(a[i]) : ' ';
        unsigned cb = i < blen ? static_cast<unsigned char>(b[i]) : ' ';
        if (ca != cb) return position(i, ca, cb);
    }
    return 0;
}

int wzstdel(char* s, int slen, const char* chars, int nchars) {
    bool terminate = slen < 0;
    if (terminate) slen = static_cast<int>(std::strlen(s));
    if (nchars < 0) nchars = static_cast<int>(std::strlen(chars));
    bool del[256] = {};
    for (int i = 0; i < nchars; ++i) del[static_cast<unsigned char>(chars[i])] = true;
    int at = 0;
    for (int i = 0; i < slen; ++i)
        if (!del[static_cast<unsigned char>(s[i])]) s[at++] = s[i];
    if (terminate)
        s[at] = '\0';
    else
        blanks(s + at, slen - at);
    return at;
}

void wzstjls(char* s, int len, int mode, int* textlen, int* start) {
    int first = len > 0 ? firstnonblank(s, len) : 0;
    if (len <= 0 || first == len) {
        if (textlen) *textlen = 0;
        if (start) *start = 0;
        return;
    }
    int last = len - 1;
    while (s[last] == ' ') --last;
    int tlen = last - first + 1;
    int to = first;
    switch (mode) {
        case 'L': case 'l': to = 0; break;
        case 'R': case 'r': to = len - tlen; break;
        case 'C': case 'c': to = (len - tlen) / 2; break;
        default: break;
    }
    if (to != first) {
        std::memmove(s + to, s + first, static_cast<size_t>(tlen));
        if (to < first)
            blanks(s + to + tlen, first + tlen - (to + tlen));
        else
            blanks(s + first, to - first);
    }
    if (textlen) *textlen = tlen;
    if (start) *start = to;
}

int wzstjus(char* s, int len, int mode) {
    int tlen = 0;
    wzstjls(s, len, mode, &tlen, nullptr);
    return tlen;
}

int wzstlen(const char* s) { return s ? static_cast<int>(std::strlen(s)) : 0; }

int wzstndx(const char* hay, int haylen, const char* needle, int needlelen) {
    if (needlelen < 1) needlelen = needle ? static_cast<int>(std::strlen(needle)) : 0;
    if (needlelen == 0) return 0;
    if (!hay) return -1;
    for (int i = 0; i + needlelen <= haylen; ++i)
        if (hay[i] == needle[0] && std::memcmp(hay + i, needle, static_cast<size_t>(needlelen)) == 0) return i;
    return -1;
}

int wzstpos(const char* buf, int len, int ch) {
    if (!buf || len <= 0) return -1;
    const void* p = std::memchr(buf, ch, static_cast<size_t>(len));
    return p ? static_cast<int>(static_cast<const char*>(p) - buf) : -1;
}

int wzstrip(const char* buf, int len) {
    if (!buf || len <= 0) return 0;
    int n = len;
    if (n > 8) {
        // Whole words of blanks from the end first.
        while (n >= 4) {
            uint32_t w;
            std::memcpy(&w, buf + n - 4, 4);
            if (w != 0x20202020u) break;
            n -= 4;
        }
    }
    while (n > 0 && buf[n - 1] == ' ') --n;
    return n;
}

void wzstrns(char* s, int len, const char* to, const char* from, int n) {
    if (!s || n <= 0) return;
    int16_t map[256];
    for (int i = 0; i < 256; ++i) map[i] = -1;
    for (int i = n - 1; i >= 0; --i) map[static_cast<unsigned char>(from[i])] = static_cast<int16_t>(i);
    for (int i = 0; i < len; ++i) {
        int k = map[static_cast<unsigned char>(s[i])];
        if (k >= 0) s[i] = to[k];
    }
}

int wztxxlt(int table, const char* in, char* out, int len) {
    if (table < 0 || table > 4) return WZ_BADTABLE;
    if (len <= 0) return 0;
    if (wzsxmbcs()) return wzsxupr(table, in, out, len);
    const uint8_t* t = wzsxxlt(table);
    if (!t) return WZ_BADTABLE;
    for (int i = 0; i < len; ++i) out[i] = static_cast<char>(t[static_cast<unsigned char>(in[i])]);
    return 0;
}

int wzstcmn(const char* a, int alen, const char* b, int blen, int flag) {
    if (!a || alen < 0) alen = 0;
    if (!b || blen < 0) blen = 0;
    if (wzsxmbcs()) return wzsxcmn(a, alen, b, blen, flag);
    const uint8_t* t = wzsxcol();
    int n = alen > blen ? alen : blen;
    for (int i = 0; i < n; ++i) {
        unsigned ca = t[i < alen ? static_cast<unsigned char>(a[i]) : ' '];
        unsigned cb = t[i < blen ? static_cast<unsigned char>(b[i]) : ' '];
        if (ca != cb) return position(i, ca, cb);
    }
    return 0;
}

int wzstmov(const char* src, int srclen, char* dst, int dstlen) {
    bool terminate = dstlen < 0;
    int room = terminate ? -dstlen - 1 : dstlen;
    if (room < 0) room = 0;
    int n = (src && srclen > 0) ? (srclen < room ? srclen : room) : 0;
    if (n) std::memmove(dst, src, static_cast<size_t>(n));
    if (terminate)
        dst[n] = '\0';
    else
        blanks(dst + n, room - n);
    return n;
}

int wzstver(const char* s, int len, const char* set, int setlen) {
    if (!s || len <= 0) return -1;
    bool in[256] = {};
    for (int i = 0; i < setlen; ++i) in[static_cast<unsigned char>(set[i])] = true;
    for (int i = 0; i < len; ++i)
        if (!in[static_cast<unsigned char>(s[i])]) return i;
    return -1;
}

int wzbcoff(const void* a, const void* b, int len, int pos) {
    const char* pa = static_cast<const char*>(a) + pos;
    const char* pb = static_cast<const char*>(b) + pos;
    if (len < 0) {
        double x, y;
        std::memcpy(&x, pa, sizeof x);
        std::memcpy(&y, pb, sizeof y);
        return missorder(x, y);
    }
    if (len == 0) {
        int32_t x, y;
        std::memcpy(&x, pa, sizeof x);
        std::memcpy(&y, pb, sizeof y);
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    int c = std::memcmp(pa, pb, static_cast<size_t>(len));
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int wzclchr(int64_t value, char* field, int len) {
    if (len <= 0) return WZ_NOFIT;
    char digits[24];
    int n = 0;
    uint64_t u = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    do {
        digits[n++] = static_cast<char>('0' + u % 10);
        u /= 10;
    } while (u);
    if (value < 0) digits[n++] = '-';
    if (n > len) {
        std::memset(field, '*', static_cast<size_t>(len));
        return WZ_NOFIT;
    }
    blanks(field, len - n);
    for (int i = 0; i < n; ++i) field[len - 1 - i] = digits[i];
    return 0;
}

void vzfdl(double value, double* v, int n) {
    for (int i = 0; i < n; ++i) v[i] = value;
}
