// Memory and string primitives, integer and double extremes, exact powers of ten, a power
// function with a status, and the cores of the COMMA and percent informats (memnum.h).
#include "proc/framework/memnum.h"

#include <cstring>

#include "proc/framework/hostsvc_util.h"

int32_t skUnsup() { return SK_UNSUPPORTED; }

int64_t skStrLen(const char* s) { return s ? static_cast<int64_t>(std::strlen(s)) : 0; }

int64_t skStrTLen(const uint32_t* s) {
    if (!s) return 0;
    int64_t n = 0;
    while (s[n]) ++n;
    return n;
}

void skStrCpy(const char* src, char* dst) {
    if (!dst) return;
    if (!src) {
        dst[0] = '\0';
        return;
    }
    std::memmove(dst, src, std::strlen(src) + 1);
}

void skStrTCpy(const uint32_t* src, uint32_t* dst) {
    if (!dst) return;
    if (!src) {
        dst[0] = 0;
        return;
    }
    int64_t n = skStrTLen(src);
    std::memmove(dst, src, static_cast<size_t>(n + 1) * sizeof(uint32_t));
}

void skStrUp(char* s, int64_t n) {
    for (int64_t i = 0; i < n; ++i)
        if (s[i] >= 'a' && s[i] <= 'z') s[i] = static_cast<char>(s[i] - 'a' + 'A');
}

void skStrLow(char* s, int64_t n) {
    for (int64_t i = 0; i < n; ++i)
        if (s[i] >= 'A' && s[i] <= 'Z') s[i] = static_cast<char>(s[i] - 'A' + 'a');
}

bool skMemNot(int value, const void* p, int64_t n) { return skMemNScan(p, n, value) < 0; }

bool skMemTNot(uint32_t value, const uint32_t* p, int64_t n) { return skMemTNScan(p, n, value) < 0; }

void skMemSet(void* p, int value, int64_t n) {
    if (n > 0) std::memset(p, value, static_cast<size_t>(n));
}

void skMemTSet(uint32_t* p, uint32_t value, int64_t n) {
    for (int64_t i = 0; i < n; ++i) p[i] = value;
}

int skMemCmp(const void* a, const void* b, int64_t n) {
    if (n <= 0) return 0;
    int c = std::memcmp(a, b, static_cast<size_t>(n));
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int skWMemCmp(const uint32_t* a, const uint32_t* b, int64_t n) {
    for (int64_t i = 0; i < n; ++i)
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    return 0;
}

void skMemCpy(const void* src, void* dst, int64_t n) {
    if (n > 0) std::memcpy(dst, src, static_cast<size_t>(n));
}

void skMemSCpy(const void* src, void* dst, int64_t n) {
    if (n > 0) std::memmove(dst, src, static_cast<size_t>(n));
}

void* skMemDup(const void* src, int64_t n, skallocator* allocator) {
    if (!src || !allocator || !allocator->alloc) return nullptr;
    void* p = allocator->alloc(allocator, n, 0);
    if (p && n > 0) std::memcpy(p, src, static_cast<size_t>(n));
    return p;
}

int64_t skMemScan(const void* p, int64_t n, int byte) {
    if (!p || n <= 0) return -1;
    const void* q = std::memchr(p, byte, static_cast<size_t>(n));
    return q ? static_cast<const char*>(q) - static_cast<const char*>(p) : -1;
}

int64_t skMemNScan(const void* p, int64_t n, int value) {
    const unsigned char* s = static_cast<const unsigned char*>(p);
    unsigned char v = static_cast<unsigned char>(value);
    for (int64_t i = 0; i < n; ++i)
        if (s[i] != v) return i;
    return -1;
}

int64_t skMemTNScan(const uint32_t* p, int64_t n, uint32_t value) {
    for (int64_t i = 0; i < n; ++i)
        if (p[i] != value) return i;
    return -1;
}

bool skMissArray(const double* v, int64_t n) {
    for (int64_t i = 0; i < n; ++i)
        if (v[i] != v[i]) return true;
    return false;
}

void zkmove(const char* src, int srclen, char* dst, int dstlen) {
    if (dstlen <= 0) return;
    int n = (src && srclen > 0) ? wzsxmov(src, srclen, dst, dstlen) : 0;
    if (n < 0) n = 0;
    if (n < dstlen) std::memset(dst + n, ' ', static_cast<size_t>(dstlen - n));
}

namespace {

// Drops every byte of text that is one of chars; returns the new length.
int dropchars(char* text, int len, const char* chars) {
    int at = 0;
    for (int i = 0; i < len; ++i)
        if (!std::strchr(chars, text[i]) || text[i] == '\0') text[at++] = text[i];
    return at;
}

}  // namespace

int32_t zifmcma(infreq* r) {
    if (r->check) {
        if (r->width < 1) return INF_WIDTHLOW;
        if (r->width > 32) return INF_WIDTHHIGH;
        if (r->decimals < 0) return INF_DECLOW;
        if (r->decimals > 31) return INF_DECHIGH;
    }
    r->value = hostmissing();
    r->reswidth = 8;
    char t[32];
    int len = r->width < 32 ? r->width : 32;
    if (len < 0 || !r->text) len = 0;
    std::memcpy(t, r->text, static_cast<size_t>(len));
    len = dropchars(t, len, ",$%) ");
    if (len == 0) return 0;
    bool negative = t[0] == '(';
    int from = negative ? 1 : 0;
    if (std::memchr(t + from, '(', static_cast<size_t>(len - from))) return INF_PAREN;
    int k = from;
    while (k < len && t[k] == '-') ++k;
    if (k == len) return INF_SIGNSONLY;
    double v;
    int32_t rc = wzsxinf(t + from, len - from, r->decimals, &v);
    if (rc != 0) {
        char u[32];
        int ulen = len;
        std::memcpy(u, t, static_cast<size_t>(len));
        ulen = dropchars(u, ulen, "-(");
        rc = wzsxinf(u, ulen, r->decimals, &v);
        if (rc != 0) return rc;
    }
    if (negative && v == v) v = -v;
    r->value = v;
    return 0;
}

int32_t zifmpct(infreq* r) {
    int32_t rc = zifmcma(r);
    if (rc != 0) return rc;
    int len = r->width < 32 ? r->width : 32;
    if (r->text && len > 0 && std::memchr(r->text, '%', static_cast<size_t>(len)) && r->value == r->value)
        r->value /= 100.0;
    return 0;
}
