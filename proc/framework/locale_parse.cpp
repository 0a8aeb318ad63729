// Locale informats of dates, times and date-times: a text read field by field against the
// locale item's pattern, month and day names matched in any case (locale_fmt.h).
#include <cctype>
#include <cstring>

#include "proc/framework/hostsvc_util.h"
#include "proc/framework/locale_fmt.h"

namespace {

constexpr int kBadField = 1;
constexpr int kBadDirective = 2;
constexpr int kCutoff = 1920;   // two-digit years: 20 .. 99 are 1920 .. 1999, 00 .. 19 are 2000 .. 2019

bool samefold(const char* a, const char* b, int n) {
    for (int i = 0; i < n; ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) return false;
    return true;
}

// Matches one of the ";"-separated names of a locale item at text; returns its index and
// its length, or -1.
int matchname(int item, const char* text, int room, int* matched) {
    const locitem* li = wzsxglc(item);
    if (!li) return -1;
    int start = 0, idx = 0, best = -1;
    for (int i = 0; i <= li->len; ++i) {
        if (i == li->len || li->text[i] == ';') {
            int n = i - start;
            if (n > 0 && n <= room && samefold(li->text + start, text, n) && (best < 0 || n > *matched)) {
                best = idx;
                *matched = n;
            }
            ++idx;
            start = i + 1;
        }
    }
    return best;
}

bool isdigitc(char c) { return (wzsxctt()[static_cast<unsigned char>(c)] & CC_DIGIT) != 0; }

}  // namespace

int getdate_fixlen(const char* text, int len, const char* pattern, int patlen, bool datepattern, dtfields* f) {
    *f = dtfields{};
    int ti = 0;
    int year = -1, month = -1, day = -1, hours = -1, minutes = -1, seconds = -1;
    int ampm = 0;   // 1 AM, 2 PM
    for (int pi = 0; pi < patlen; ++pi) {
        char c = pattern[pi];
        if (c == ' ') {
            if (ti < len && text[ti] == ' ') ++ti;
            continue;
        }
        if (c != '%') {
            if (ti < len && text[ti] == c) {
                ++ti;
                continue;
            }
            return kBadField;
        }
        if (++pi >= patlen) return kBadDirective;
        bool optional = false;
        if (pattern[pi] == '?') {
            optional = true;
            if (++pi >= patlen) return kBadDirective;
        }
        char d = static_cast<char>(std::toupper(static_cast<unsigned char>(pattern[pi])));
        if (datepattern && d == 'M') d = 'N';
        int* target = nullptr;
        switch (d) {
            case 'D': case 'E': target = &day; break;
            case 'N': case 'O': target = &month; break;
            case 'H': case 'G': case 'I': target = &hours; break;
            case 'M': target = &minutes; break;
            case 'S': target = &seconds; break;
            case 'Z': target = &year; break;
            case 'Y': {
                if (ti + 4 <= len && isdigitc(text[ti + 2]) && isdigitc(text[ti + 3]) && s2i_fixlen(text + ti) >= 0) {
                    year = 100 * s2i_fixlen(text + ti) + s2i_fixlen(text + ti + 2);
                    ti += 4;
                } else {
                    target = &year;
                }
                break;
            }
            case 'B': case 'C': case 'A': case 'F': case 'P': {
                int item = d == 'B' ? LOC_MONTHS : d == 'C' ? LOC_MONABBR : d == 'A' ? LOC_DAYS : d == 'F' ? LOC_DAYABBR : LOC_AMPM;
                int n = 0;
                int k = matchname(item, text + ti, len - ti, &n);
                if (k < 0) {
                    if (optional) break;
                    return kBadField;
                }
                if (d == 'B' || d == 'C') month = k + 1;
                if (d == 'P') ampm = k + 1;
                ti += n;
                break;
            }
            default:
                return kBadDirective;
        }
        if (target) {
            int v = ti + 2 <= len ? s2i_fixlen(text + ti) : -1;
            if (v < 0) {
                if (optional) continue;
                return kBadField;
            }
            *target = v;
            ti += 2;
        }
    }
    const bool anydate = year >= 0 || month >= 0 || day >= 0;
    if (datepattern || anydate) {
        if (year < 0 || month < 0 || day < 0) return kBadField;
        if (year < 1582) {
            if (year >= 100) return kBadField;
            year += kCutoff - kCutoff % 100 + (year < kCutoff % 100 ? 100 : 0);
        }
        if (year > 20000 || month < 1 || month > 12 || day < 1 || day > 31) return kBadField;
        double date = wzdtmdy(month, day, year);
        if (date != date) return kBadField;
        f->hasdate = true;
        f->year = year;
        f->month = month;
        f->day = day;
        f->date = date;
    }
    if (hours >= 0 || minutes >= 0 || seconds >= 0) {
        double t = ((hours > 0 ? hours : 0) * 60.0 + (minutes > 0 ? minutes : 0)) * 60.0 + (seconds > 0 ? seconds : 0);
        if (ampm == 2 && t < 43200) t += 43200;
        if (ampm == 1 && t >= 43200 && t < 46800) t -= 43200;
        f->hastime = true;
        f->hours = hours > 0 ? hours : 0;
        f->minutes = minutes > 0 ? minutes : 0;
        f->seconds = t;
    }
    return 0;
}

namespace {

// The fields of text read by the pattern given, else by the locale item's: 0, LOC_NOITEM,
// or getdate_fixlen's code.
int readfields(const char* text, int len, const char* pattern, int item, bool datepattern, dtfields* f) {
    const char* pat;
    int patlen;
    if (!choosepattern(pattern, item, &pat, &patlen)) return LOC_NOITEM;
    return getdate_fixlen(text, len, pat, patlen, datepattern, f);
}

}  // namespace

int zkpdate(const char* text, int len, const char* pattern, int item, double* date) {
    dtfields f;
    int rc = readfields(text, len, pattern, item, true, &f);
    if (rc) return rc;
    if (!f.hasdate || f.date < DATE_MIN || f.date >= DATE_END) return LOC_RANGE;
    *date = f.date;
    return 0;
}

int zkptime(const char* text, int len, const char* pattern, int item, double* t) {
    dtfields f;
    int rc = readfields(text, len, pattern, item, false, &f);
    if (rc) return rc;
    if (!f.hastime || f.seconds < 0) return LOC_RANGE;
    *t = f.seconds;
    return 0;
}

int zkpdttm(const char* text, int len, const char* pattern, int item, double* dt) {
    dtfields f;
    int rc = readfields(text, len, pattern, item, false, &f);
    if (rc) return rc;
    if (!f.hasdate || f.date < DATE_MIN || f.date >= DATE_END) return LOC_RANGE;
    double t = f.hastime ? f.seconds : 0.0;
    if (t < 0 || t >= 86400) return LOC_RANGE;
    *dt = f.date * 86400.0 + t;
    return 0;
}
