// The locale's items: reading one (with a default), setting the locale, and choosing the
// pattern of a format from its item (locale_fmt.h).
#include <cctype>
#include <cstring>

#include "proc/framework/hostsvc_util.h"
#include "proc/framework/locale_fmt.h"
#include "proc/framework/textpad.h"

namespace {

bool gstyleon() {
    double v = 0;
    if (xoptngt("GSTYLE", &v) == 0) return v != 0;
    char buf[16];
    int n = xoptcgt("GSTYLE", buf, sizeof buf);
    if (n <= 0 || n >= static_cast<int>(sizeof buf)) return false;
    wztxxlt(2, buf, buf, n);   // upper case
    return !std::strcmp(buf, "1") || !std::strcmp(buf, "YES") || !std::strcmp(buf, "ON") || !std::strcmp(buf, "TRUE") ||
           !std::strcmp(buf, "GSTYLE");
}

bool twoparts(int item) { return (item >= 8 && item <= 10) || (item >= 18 && item <= 22); }

void copyclipped(char* out, int* len, const char* text, int n) {
    if (n < 0) n = 0;
    if (*len > n) *len = n;
    if (*len < 0) *len = 0;
    std::memcpy(out, text, static_cast<size_t>(*len));
}

}  // namespace

int zkgetloc(int item, char* out, int* len, const char* dflt, int dflt_len) {
    if (item < 0) {
        *len = 0;
        return LOC_NOITEM;
    }
    const locitem* li = wzsxglc(item);
    if (!li) {
        if (!dflt)
            *len = 0;
        else
            copyclipped(out, len, dflt, dflt_len);
        return 0;
    }
    const char* semi = twoparts(item) ? static_cast<const char*>(std::memchr(li->text, ';', static_cast<size_t>(li->len))) : nullptr;
    if (semi) {
        int before = static_cast<int>(semi - li->text);
        if (gstyleon())
            copyclipped(out, len, semi + 1, li->len - before - 1);
        else if (before == 0)
            copyclipped(out, len, li->text, li->len);
        else
            copyclipped(out, len, li->text, before);
        return 0;
    }
    copyclipped(out, len, li->text, li->len);
    return 0;
}

int zksetloc(int a, int b, int c) { return wzsxplc(0, a, b, c); }

bool choosepattern(const char* pattern, int item, const char** pat, int* patlen) {
    if (pattern) {
        *pat = pattern;
        *patlen = static_cast<int>(std::strlen(pattern));
        return true;
    }
    if (item <= 0) return false;
    const locitem* li = wzsxglc(item);
    if (!li) return false;
    *pat = li->text;
    *patlen = li->len;
    return true;
}
