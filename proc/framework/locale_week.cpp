// Week texts of the locale formats: a date as year, week and day by the three week
// conventions, and such a text read back (locale_fmt.h).
#include <cmath>
#include <cstring>

#include "proc/framework/hostsvc_util.h"
#include "proc/framework/locale_fmt.h"

int i2s(long value, char* buf, int width, int pad) {
    char digits[24];
    int n = 0;
    unsigned long u = value < 0 ? 0ul - static_cast<unsigned long>(value) : static_cast<unsigned long>(value);
    do {
        digits[n++] = static_cast<char>('0' + u % 10);
        u /= 10;
    } while (u);
    const bool neg = value < 0;
    int at = 0;
    if (pad == 0 || n + (neg ? 1 : 0) >= width) {
        if (neg) buf[at++] = '-';
        while (n) buf[at++] = digits[--n];
        return at;
    }
    int fill = width - n - (neg ? 1 : 0);
    if (pad == '0') {
        if (neg) buf[at++] = '-';
        while (fill-- > 0) buf[at++] = '0';
    } else {
        while (fill-- > 0) buf[at++] = static_cast<char>(pad);
        if (neg) buf[at++] = '-';
    }
    while (n) buf[at++] = digits[--n];
    return at;
}

int s2i_fixlen(const char* two) {
    const uint16_t* cc = wzsxctt();
    auto digit = [cc](char c) { return (cc[static_cast<unsigned char>(c)] & CC_DIGIT) != 0; };
    if (!digit(two[1])) return -1;
    if (!digit(two[0])) return two[1] - '0';
    return 10 * (two[0] - '0') + (two[1] - '0');
}

void construct_week(char* out, int* len, const yywwdd& w) {
    const int width = *len;
    char yyyy[8], ww[4], dd[4], yy[4];
    i2s(w.year, yyyy, 4, '0');
    i2s(w.year % 100, yy, 2, '0');
    i2s(static_cast<long>(w.week), ww, 2, '0');
    i2s(w.day, dd, 2, '0');
    char text[16];
    int n = 0;
    auto put = [&](const char* s, int k) {
        std::memcpy(text + n, s, static_cast<size_t>(k));
        n += k;
    };
    if (width < 3) {
        if (width > 0) std::memset(out, '*', static_cast<size_t>(width));
        return;
    }
    if (width >= 11) {
        put(yyyy, 4), put("-W", 2), put(ww, 2), put("-", 1), put(dd, 2);
    } else if (width >= 9) {
        put(yyyy, 4), put("W", 1), put(ww, 2), put(dd, 2);
    } else if (width >= 7) {
        put(yy, 2), put("W", 1), put(ww, 2), put(dd, 2);
    } else if (width >= 5) {
        put(yy, 2), put("W", 1), put(ww, 2);
    } else {
        put("W", 1), put(ww, 2);
    }
    std::memcpy(out, text, static_cast<size_t>(n));
    *len = n;
}

int zkfweek(char* out, int* len, int kind, double date) {
    if (date != date || date < DATE_MIN || date >= DATE_END) return LOC_RANGE;
    yywwdd w;
    if (get_yywwdd(date, kind, &w) != 0) return LOC_RANGE;
    construct_week(out, len, w);
    return 0;
}

namespace {

int currentyear() {
    int y, m, d;
    double today = std::floor(wzdttme() / 86400.0);
    return wzdtymd(today, &y, &m, &d) == 0 ? y : 1960;
}

// The first day of week 1 of year y by kind.
double weekone(int y, int kind) {
    double jan1 = wzdtmdy(1, 1, y);
    int w = wzdtwkd(jan1);   // 1 Sunday .. 7 Saturday
    switch (kind) {
        case 'U': case 'u': return jan1 + (8 - w) % 7;          // first Sunday
        case 'W': case 'w': return jan1 + (9 - w) % 7;          // first Monday
        default: {
            int iso4 = (w + 3 - 1) % 7;                          // weekday of 4 January, 0 Sunday
            int fromMonday = (iso4 + 6) % 7;                     // days since Monday
            return jan1 + 3 - fromMonday;                        // Monday of the week of 4 January
        }
    }
}

}  // namespace

int zkifweek(const char* text, int len, int kind, int refyear, double* date) {
    char t[64];
    int n = 0;
    for (int i = 0; i < len && n < 63; ++i)
        if (text[i] != ' ' && text[i] != '-') t[n++] = text[i];
    int wpos = -1;
    for (int i = 0; i < n; ++i)
        if (t[i] == 'W' || t[i] == 'w') {
            wpos = i;
            break;
        }
    if (wpos < 0) return WEEK_NOW;
    for (int i = 0; i < n; ++i)
        if (i != wpos && (t[i] < '0' || t[i] > '9')) return -1;
    int year;
    if (wpos == 0) {
        year = currentyear();
    } else if (wpos == 2) {
        const int r = refyear ? refyear : 1900;
        int yy = s2i_fixlen(t);
        year = yy + r - r % 100 + (yy < r % 100 ? 100 : 0);
    } else if (wpos == 4) {
        year = 100 * s2i_fixlen(t) + s2i_fixlen(t + 2);
    } else {
        return -1;
    }
    if (wpos + 3 > n) return -1;
    int week = s2i_fixlen(t + wpos + 1);
    if (week < 0) return -1;
    int day = 1;
    if (wpos + 3 < n) {
        day = 0;
        for (int i = wpos + 3; i < n; ++i) day = 10 * day + (t[i] - '0');
    }
    *date = weekone(year, kind) + 7.0 * (week - 1) + (day - 1);
    return 0;
}
