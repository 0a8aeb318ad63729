// Locale formats of dates, times and date-times: a locale item's pattern filled with the
// value's fields (locale_fmt.h).
#include <cctype>
#include <cmath>
#include <cstring>

#include "proc/framework/hostsvc_util.h"
#include "proc/framework/locale_fmt.h"

namespace {

// Part n (0-based) of a locale item whose parts are separated by ";".
bool itempart(int item, int n, const char** text, int* len) {
    const locitem* li = wzsxglc(item);
    if (!li) return false;
    int start = 0, part = 0;
    for (int i = 0; i <= li->len; ++i) {
        if (i == li->len || li->text[i] == ';') {
            if (part == n) {
                *text = li->text + start;
                *len = i - start;
                return true;
            }
            ++part;
            start = i + 1;
        }
    }
    return false;
}

struct writer {
    char* out;
    int width;
    int at = 0;
    void put(const char* s, int n) {
        for (int i = 0; i < n && at < width; ++i) out[at++] = s[i];
    }
    void num(long v, int digits, int pad) {
        char b[24];
        put(b, i2s(v, b, digits, pad));
    }
};

bool datefields(double date, dtfields* f) {
    f->hasdate = wzdtymd(date, &f->year, &f->month, &f->day) == 0;
    f->date = date;
    return f->hasdate;
}

}  // namespace

int expand(char* out, int* len, const char* pattern, int patlen, bool datepattern, const dtfields& f) {
    writer w{out, *len};
    for (int i = 0; i < patlen; ++i) {
        char c = pattern[i];
        if (c != '%' || i + 1 >= patlen) {
            w.put(&c, 1);
            continue;
        }
        char d = static_cast<char>(std::toupper(static_cast<unsigned char>(pattern[++i])));
        if (datepattern && d == 'M') d = 'N';
        const char* name;
        int nlen;
        yywwdd yw{};
        switch (d) {
            case 'A': case 'F':   // weekday name, full or abbreviated
                if (!itempart(d == 'A' ? LOC_DAYS : LOC_DAYABBR, wzdtwkd(f.date) - 1, &name, &nlen)) return LOC_NOITEM;
                w.put(name, nlen);
                break;
            case 'B': case 'C':   // month name, full or abbreviated
                if (!itempart(d == 'B' ? LOC_MONTHS : LOC_MONABBR, f.month - 1, &name, &nlen)) return LOC_NOITEM;
                w.put(name, nlen);
                break;
            case 'D': w.num(f.day, 2, '0'); break;
            case 'E': w.num(f.day, 0, 0); break;
            case 'G': w.num(f.hours, 0, 0); break;
            case 'H': w.num(f.hours, 2, '0'); break;
            case 'I': w.num(f.hours % 12 == 0 ? 12 : f.hours % 12, 2, '0'); break;
            case 'M': w.num(f.minutes, 2, '0'); break;
            case 'S': w.num(static_cast<long>(std::floor(f.seconds)), 2, '0'); break;
            case 'P':
                if (!itempart(LOC_AMPM, f.hours % 24 >= 12 ? 1 : 0, &name, &nlen)) return LOC_NOITEM;
                w.put(name, nlen);
                break;
            case 'J': w.num(diff_actual(1, 1, f.year, f.month, f.day, f.year) + 1, 3, '0'); break;
            case 'N': w.num(f.month, 2, '0'); break;
            case 'O': w.num(f.month, 0, 0); break;
            case 'Q': w.num((f.month + 2) / 3, 0, 0); break;
            case 'U': case 'V': case 'W':
                if (get_yywwdd(f.date, d, &yw) != 0) return LOC_RANGE;
                w.num(static_cast<long>(yw.week), 2, '0');
                break;
            case 'Y': w.num(f.year, 4, '0'); break;
            case 'Z': w.num(f.year % 100, 2, '0'); break;
            case '%': w.put("%", 1); break;
            default: w.put(pattern + i - 1, 2); break;
        }
    }
    *len = w.at;
    return 0;
}

int zkfdate(char* out, int* len, const char* pattern, int item, double date) {
    const char* pat;
    int patlen;
    if (!choosepattern(pattern, item, &pat, &patlen)) return LOC_NOITEM;
    if (date != date || date < DATE_MIN || date >= DATE_END) return LOC_RANGE;
    dtfields f{};
    if (!datefields(std::floor(date), &f)) return LOC_RANGE;
    return expand(out, len, pat, patlen, true, f);
}

int zkfdttm(char* out, int* len, const char* pattern, int item, double dt) {
    const char* pat;
    int patlen;
    if (!choosepattern(pattern, item, &pat, &patlen)) return LOC_NOITEM;
    if (dt != dt || dt < DTTM_MIN || dt >= DTTM_END) return LOC_RANGE;
    dtfields f{};
    f.hastime = true;
    f.hours = wzdthour(dt);
    f.minutes = wzdtmin(dt);
    f.seconds = wzdtsec(dt);
    if (!datefields(wzdtdpt(dt), &f)) return LOC_RANGE;
    return expand(out, len, pat, patlen, false, f);
}

int zkrfdttm(char* out, int* len, const char* pattern, int item, double dt) {
    return zkfdttm(out, len, pattern, item, dt == dt ? std::floor(dt + 0.5) : dt);
}

int zkftime(char* out, int* len, const char* pattern, int item, double t) {
    const char* pat;
    int patlen;
    if (!choosepattern(pattern, item, &pat, &patlen)) return LOC_NOITEM;
    if (t != t || t < 0) return LOC_RANGE;
    dtfields f{};
    f.hastime = true;
    f.hours = static_cast<long>(std::floor(t / 3600.0));
    f.minutes = wzdtmin(t);
    f.seconds = wzdtsec(t);
    return expand(out, len, pat, patlen, false, f);
}
