// Calendar arithmetic of the locale formats: leap years, month lengths, day offsets and the
// day counts between dates by the usual conventions (locale_fmt.h).
#include <cmath>
#include <utility>

#include "proc/framework/hostsvc_util.h"
#include "proc/framework/locale_fmt.h"

bool isLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int lastDay(int y, int m) {
    switch (m) {
        case 4: case 6: case 9: case 11: return 30;
        case 2: return isLeapYear(y) ? 29 : 28;
        default: return 31;
    }
}

long dateOffset(int m, int d, int y) {
    long k = 0, yy = y - 1;
    if (m > 2) {
        k = static_cast<long>(0.4 * m + 2.3);
        yy = y;
    }
    return 365L * y + 31L * m + d - 31 - k + yy / 4 - yy / 100 + yy / 400;
}

long diff_actual(int m1, int d1, int y1, int m2, int d2, int y2) { return dateOffset(m2, d2, y2) - dateOffset(m1, d1, y1); }

long diff_actact(int m1, int d1, int y1, int m2, int d2, int y2, long* common, long* leap, double* frac) {
    long sign = 1;
    if (dateOffset(m2, d2, y2) < dateOffset(m1, d1, y1)) {
        std::swap(m1, m2);
        std::swap(d1, d2);
        std::swap(y1, y2);
        sign = -1;
    }
    long c = 0, l = 0;
    auto add = [&](int year, long days) { (isLeapYear(year) ? l : c) += days; };
    if (y1 == y2) {
        add(y1, diff_actual(m1, d1, y1, m2, d2, y2));
    } else {
        add(y1, diff_actual(m1, d1, y1, 1, 1, y1 + 1));
        for (int y = y1 + 1; y < y2; ++y) add(y, isLeapYear(y) ? 366 : 365);
        add(y2, diff_actual(1, 1, y2, m2, d2, y2));
    }
    if (common) *common = sign * c;
    if (leap) *leap = sign * l;
    if (frac) *frac = sign * (c / 365.0 + l / 366.0);
    return sign * (c + l);
}

long diff_30_360(int m1, int d1, int y1, int m2, int d2, int y2) {
    bool feb1 = m1 == 2 && d1 == lastDay(y1, 2);
    bool feb2 = m2 == 2 && d2 == lastDay(y2, 2);
    if (feb1 && feb2) d2 = 30;
    if (feb1) d1 = 30;
    if (d2 == 31 && (d1 == 30 || d1 == 31)) d2 = 30;
    if (d1 == 31) d1 = 30;
    return 360L * (y2 - y1) + 30L * (m2 - m1) + (d2 - d1);
}

namespace {

// ISO weeks in a year: 53 when 1 January is a Thursday, or a Wednesday in a leap year.
int isoweeks(int y) {
    double jan1 = wzdtmdy(1, 1, y);
    int w = wzdtwkd(jan1);   // 1 Sunday .. 7 Saturday
    return (w == 5 || (w == 4 && isLeapYear(y))) ? 53 : 52;
}

}  // namespace

int get_yywwdd(double date, int kind, yywwdd* out) {
    int y, m, d;
    if (date != date || wzdtymd(date, &y, &m, &d) != 0) return LOC_RANGE;
    const long doy = diff_actact(1, 1, y, m, d, y, nullptr, nullptr, nullptr);
    const int w = wzdtwkd(date);
    out->year = y;
    switch (kind) {
        case 'U': case 'u':
            out->week = (doy - w + 8) / 7.0;
            out->day = w;
            return 0;
        case 'W': case 'w':
            out->week = (doy - (w + 5) % 7 + 7) / 7.0;
            out->day = w == 1 ? 7 : w - 1;
            return 0;
        default: {
            const int iso = w == 1 ? 7 : w - 1;   // 1 Monday .. 7 Sunday
            long week = (doy + 1 - iso + 10) / 7;
            if (week < 1) {
                out->year = y - 1;
                week = isoweeks(y - 1);
            } else if (week > isoweeks(y)) {
                out->year = y + 1;
                week = 1;
            }
            out->week = static_cast<double>(week);
            out->day = iso;
            return 0;
        }
    }
}

int zkweek(double date, int kind, int* year, int* week, int* day) {
    if (date != date || date < DATE_MIN || date >= DATE_END) return LOC_RANGE;
    yywwdd w;
    if (get_yywwdd(date, kind, &w) != 0) return LOC_RANGE;
    if (year) *year = w.year;
    if (week) *week = static_cast<int>(w.week);
    if (day) *day = w.day;
    return 0;
}
