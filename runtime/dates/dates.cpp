// Vector 155 of the runtime: dates and times of the proleptic Gregorian calendar, day 0
// being 1 January 1960.
#include "runtime/dates/dates.h"

#include <cmath>
#include <ctime>

#include "host/hostdefs.h"

namespace rt::dates {
namespace {

// Days from 1 January 1970 of a civil date (H. Hinnant's algorithm).
constexpr long long fromcivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void tocivil(long long z, int* y, int* m, int* d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    *d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    *m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    *y = static_cast<int>(static_cast<long long>(yoe) + era * 400 + (*m <= 2));
}

constexpr long long kEpoch = fromcivil(1960, 1, 1);   // -3653

bool leap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

double mdy(int m, int d, int y) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 1582 || y > 20000 || m < 1 || m > 12 || d < 1) return hostmissing();
    if (d > days[m - 1] + (m == 2 && leap(y) ? 1 : 0)) return hostmissing();
    return static_cast<double>(fromcivil(y, static_cast<unsigned>(m), static_cast<unsigned>(d)) - kEpoch);
}

int ymd(double date, int* y, int* m, int* d) {
    if (date != date || std::fabs(date) > 1e9) return 1;
    tocivil(static_cast<long long>(std::floor(date)) + kEpoch, y, m, d);
    return 0;
}

int wkd(double date) {
    if (date != date || std::fabs(date) > 1e9) return 0;
    long long z = static_cast<long long>(std::floor(date));
    long long r = ((z + 5) % 7 + 7) % 7;   // 1 January 1960 was a Friday
    return static_cast<int>(r) + 1;
}

double posmod(double a, double b) {
    double r = std::fmod(a, b);
    return r < 0 ? r + b : r;
}

int hour(double t) { return t != t ? 0 : static_cast<int>(std::floor(posmod(t, 86400.0) / 3600.0)); }
int minute(double t) { return t != t ? 0 : static_cast<int>(std::floor(posmod(t, 3600.0) / 60.0)); }
double second(double t) { return t != t ? t : posmod(t, 60.0); }
double datepart(double dt) { return dt != dt ? dt : std::floor(dt / 86400.0); }

double now() {
    std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    double days = static_cast<double>(fromcivil(local.tm_year + 1900, static_cast<unsigned>(local.tm_mon + 1),
                                                static_cast<unsigned>(local.tm_mday)) - kEpoch);
    return days * 86400.0 + local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec;
}

const vec155 table = {mdy, ymd, wkd, hour, minute, second, datepart, now};

}  // namespace

const vec155* services() { return &table; }

}  // namespace rt::dates
