// Locale informats of numbers, money and percentages: the locale's group and decimal marks and
// currency text taken out, then the number read (locale_fmt.h).
#include <cstring>

#include "proc/framework/hostsvc_util.h"
#include "proc/framework/locale_fmt.h"
#include "proc/framework/memnum.h"

namespace {

// The first character of a locale item, or 0 when it is missing or empty.
bool itemchar(int item, char* c) {
    const locitem* li = wzsxglc(item);
    if (!li) return false;
    *c = li->len > 0 ? li->text[0] : '\0';
    return true;
}

int removeall(char* t, int n, const char* what, int wlen) {
    if (wlen <= 0) return n;
    int at = 0;
    for (int i = 0; i < n;) {
        if (i + wlen <= n && std::memcmp(t + i, what, static_cast<size_t>(wlen)) == 0) {
            i += wlen;
            continue;
        }
        t[at++] = t[i++];
    }
    return at;
}

int removechar(char* t, int n, char c, bool* found) {
    int at = 0;
    for (int i = 0; i < n; ++i) {
        if (t[i] == c) {
            if (found) *found = true;
            continue;
        }
        t[at++] = t[i];
    }
    return at;
}

// The locale number forms into the COMMA core's; `percent` ends in the percent core.
int readnumber(char* t, int n, int decimals, bool percent, double* value) {
    char group, dec, negfmt, negsign, possign;
    if (!itemchar(LOC_GROUPCHAR, &group) || !itemchar(LOC_DECCHAR, &dec) || !itemchar(LOC_NEGFORMAT, &negfmt) ||
        !itemchar(LOC_NEGSIGN, &negsign) || !itemchar(LOC_POSSIGN, &possign))
        return LOC_NOITEM;
    if (group != ',') {
        for (int i = 0; i < n; ++i) {
            if (t[i] == group)
                t[i] = ',';
            else if (t[i] == dec)
                t[i] = '.';
        }
    }
    bool negative = false;
    if (negfmt == '0') {
        n = removechar(t, n, '(', &negative);
        n = removechar(t, n, ')', &negative);
    } else {
        if (negsign) n = removechar(t, n, negsign, &negative);
        n = removechar(t, n, '(', nullptr);
        n = removechar(t, n, ')', nullptr);
    }
    if (possign) n = removechar(t, n, possign, nullptr);
    for (int i = 0; i < n; ++i)
        if (t[i] == '\'') t[i] = ' ';
    char u[40];
    int m = 0;
    if (negative) u[m++] = '-';
    std::memcpy(u + m, t, static_cast<size_t>(n));
    m += n;
    infreq r{};
    r.text = u;
    r.width = m;
    r.decimals = std::memchr(u, '.', static_cast<size_t>(m)) ? decimals : 0;
    int rc = percent ? zifmpct(&r) : zifmcma(&r);
    *value = r.value;
    return rc;
}

int take(const char* text, int len, char* t) {
    int n = len < 32 ? len : 32;
    if (n < 0 || !text) n = 0;
    std::memcpy(t, text, static_cast<size_t>(n));
    return n;
}

}  // namespace

int zkifnum(const char* text, int len, int decimals, double* value) {
    char t[40];
    int n = take(text, len, t);
    return readnumber(t, n, decimals, false, value);
}

int zkifmny(const char* text, int len, int decimals, double* value) {
    char t[40];
    int n = take(text, len, t);
    const locitem* local = wzsxglc(LOC_CURRENCY);
    const locitem* intl = wzsxglc(LOC_INTLCURRENCY);
    if (!local || !intl) return LOC_NOITEM;
    n = removeall(t, n, intl->text, intl->len);
    n = removeall(t, n, local->text, local->len);
    return readnumber(t, n, decimals, false, value);
}

int zkifpct(const char* text, int len, int decimals, double* value) {
    char t[40];
    int n = take(text, len, t);
    return readnumber(t, n, decimals, true, value);
}
