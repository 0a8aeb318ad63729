// Locale items, calendar routines, week numbers and texts, date and time formats and
// informats, number informats. Dates are checked against values worked out by hand:
// 1 January 2000 is day 14610 (forty years of 365 days and ten leap days after 1960).
#include <cmath>
#include <string>

#include "tests/support/hostfixture.h"
#include "proc/framework/hostsvc_util.h"
#include "proc/framework/locale_fmt.h"

namespace {

constexpr double kJan1st2000 = 14610;
constexpr double kJan1st2005 = kJan1st2000 + 2 * 366 + 3 * 365;   // 16437, a Saturday
constexpr double kMar7th2024 = kJan1st2000 + 24 * 365 + 6 + 31 + 29 + 6;

class Locale : public HostTest {
protected:
    std::string fmt(int (*f)(char*, int*, const char*, int, double), const char* pat, int item, double v, int width = 40,
                    int* rc = nullptr) {
        char buf[64];
        int len = width;
        int r = f(buf, &len, pat, item, v);
        if (rc) *rc = r;
        return r == 0 ? std::string(buf, static_cast<size_t>(len)) : std::string("rc=") + std::to_string(r);
    }
    std::string week(int width, int kind, double date) {
        char buf[32];
        int len = width;
        zkfweek(buf, &len, kind, date);
        return std::string(buf, static_cast<size_t>(len));
    }
    void TearDown() override {
        zksetloc(0, 0, 0);
        HostTest::TearDown();
    }
};

}  // namespace

TEST_F(Locale, ItemsAndTheirAlternatives) {
    char out[32];
    int len = 32;
    EXPECT_EQ(zkgetloc(-1, out, &len, nullptr, 0), LOC_NOITEM);
    EXPECT_EQ(len, 0);
    len = 32;
    EXPECT_EQ(zkgetloc(999, out, &len, nullptr, 0), 0);
    EXPECT_EQ(len, 0);
    len = 32;
    EXPECT_EQ(zkgetloc(999, out, &len, "SIMPLEX ", 8), 0);
    EXPECT_EQ(std::string(out, len), "SIMPLEX ");
    len = 4;
    EXPECT_EQ(zkgetloc(999, out, &len, "SIMPLEX ", 8), 0);
    EXPECT_EQ(std::string(out, len), "SIMP");

    len = 32;
    EXPECT_EQ(zkgetloc(LOC_FONT, out, &len, "SIMPLEX ", 8), 0);
    EXPECT_EQ(std::string(out, len), "SIMPLEX") << "GSTYLE off: the part before the semicolon";
    len = 32;
    zkgetloc(20, out, &len, nullptr, 0);
    EXPECT_EQ(std::string(out, len), ";Albany AMT") << "a leading semicolon: the whole text";
    len = 32;
    zkgetloc(LOC_DECCHAR, out, &len, nullptr, 0);
    EXPECT_EQ(std::string(out, len), ".");

    session.opts.gstyle = true;
    len = 32;
    zkgetloc(LOC_FONT, out, &len, nullptr, 0);
    EXPECT_EQ(std::string(out, len), "Albany AMT") << "GSTYLE on: the part after it";
    len = 6;
    zkgetloc(20, out, &len, nullptr, 0);
    EXPECT_EQ(std::string(out, len), "Albany");
}

TEST_F(Locale, CalendarRoutines) {
    EXPECT_TRUE(isLeapYear(2000));
    EXPECT_FALSE(isLeapYear(1900));
    EXPECT_TRUE(isLeapYear(2004));
    EXPECT_EQ(lastDay(2004, 2), 29);
    EXPECT_EQ(lastDay(2003, 2), 28);
    EXPECT_EQ(lastDay(2003, 9), 30);
    EXPECT_EQ(lastDay(2003, 12), 31);
    EXPECT_EQ(dateOffset(3, 1, 2000) - dateOffset(2, 28, 2000), 2);
    EXPECT_EQ(diff_actual(1, 1, 1960, 1, 1, 2000), 14610);
    EXPECT_EQ(diff_30_360(2, 28, 2003, 3, 31, 2003), 30);
    EXPECT_EQ(diff_30_360(2, 29, 2004, 2, 28, 2005), 360);
    EXPECT_EQ(diff_30_360(1, 31, 2003, 3, 31, 2003), 60);
    long common = 0, leap = 0;
    double frac = 0;
    EXPECT_EQ(diff_actact(7, 1, 2003, 7, 1, 2004, &common, &leap, &frac), 366);
    EXPECT_EQ(common, 184);
    EXPECT_EQ(leap, 182);
    EXPECT_DOUBLE_EQ(frac, 184.0 / 365 + 182.0 / 366);
    EXPECT_EQ(diff_actact(7, 1, 2004, 7, 1, 2003, &common, &leap, nullptr), -366);
    EXPECT_EQ(diff_actact(1, 1, 2001, 1, 1, 2004, &common, &leap, &frac), 3 * 365);
    EXPECT_DOUBLE_EQ(frac, 3.0);
}

TEST_F(Locale, WeekNumbers) {
    int y, w, d;
    ASSERT_EQ(zkweek(kJan1st2005, 'V', &y, &w, &d), 0);
    EXPECT_EQ(y, 2004);
    EXPECT_EQ(w, 53);
    EXPECT_EQ(d, 6);
    ASSERT_EQ(zkweek(kJan1st2005, 'U', &y, &w, &d), 0);
    EXPECT_EQ(y, 2005);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(d, 7);
    // 2 January 2005 is a Sunday: week 1 for U; still week 0 for W.
    ASSERT_EQ(zkweek(kJan1st2005 + 1, 'U', &y, &w, &d), 0);
    EXPECT_EQ(w, 1);
    ASSERT_EQ(zkweek(kJan1st2005 + 1, 'W', &y, &w, &d), 0);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(d, 7);
    // 3 January 2005, a Monday: ISO week 1 of 2005.
    ASSERT_EQ(zkweek(kJan1st2005 + 2, 'V', &y, &w, &d), 0);
    EXPECT_EQ(y, 2005);
    EXPECT_EQ(w, 1);
    EXPECT_EQ(d, 1);
    // 31 December 2007 (a Monday) is ISO week 1 of 2008.
    ASSERT_EQ(zkweek(kJan1st2005 + 2 * 365 + 364, 'V', &y, &w, &d), 0);
    EXPECT_EQ(y, 2008);
    EXPECT_EQ(w, 1);
    EXPECT_EQ(zkweek(hostmissing(), 'V', &y, &w, &d), LOC_RANGE);
}

TEST_F(Locale, WeekTextsByWidth) {
    EXPECT_EQ(week(2, 'V', kJan1st2005), "**");
    EXPECT_EQ(week(3, 'V', kJan1st2005), "W53");
    EXPECT_EQ(week(4, 'V', kJan1st2005), "W53");
    EXPECT_EQ(week(5, 'V', kJan1st2005), "04W53");
    EXPECT_EQ(week(7, 'V', kJan1st2005), "04W5306");
    EXPECT_EQ(week(9, 'V', kJan1st2005), "2004W5306");
    EXPECT_EQ(week(11, 'V', kJan1st2005), "2004-W53-06");
    EXPECT_EQ(week(20, 'U', kJan1st2005), "2005-W00-07");
}

TEST_F(Locale, WeekInformat) {
    double d = 0;
    ASSERT_EQ(zkifweek("2004-W53-06", 11, 'V', 0, &d), 0);
    EXPECT_EQ(d, kJan1st2005);
    ASSERT_EQ(zkifweek("04W5306", 7, 'V', 1950, &d), 0);
    EXPECT_EQ(d, kJan1st2005);
    ASSERT_EQ(zkifweek("2005W01", 7, 'V', 0, &d), 0);
    EXPECT_EQ(d, kJan1st2005 + 2) << "no day: day 1, Monday 3 January";
    ASSERT_EQ(zkifweek("2005W0107", 9, 'U', 0, &d), 0);
    EXPECT_EQ(d, kJan1st2005 + 7) << "week 1 from Sunday 2 January, its Saturday";
    ASSERT_EQ(zkifweek("05W00", 5, 'W', 2000, &d), 0);
    EXPECT_EQ(d, kJan1st2005 - 5) << "week 0 from Monday: Monday 27 December 2004";
    // Reference year 1950: 50 is 1950 (1 January 1950 a Sunday, ISO week 1 from Monday 2
    // January, day -3651), and 49 is 2049.
    ASSERT_EQ(zkifweek("50W01", 5, 'V', 1950, &d), 0);
    EXPECT_EQ(d, -3651);
    EXPECT_EQ(zkifweek("2005 01", 7, 'V', 0, &d), WEEK_NOW);
    EXPECT_EQ(zkifweek("20x5W01", 7, 'V', 0, &d), -1);
    ASSERT_EQ(zkifweek("W10", 3, 'V', 0, &d), 0) << "no year: the current year";
}

TEST_F(Locale, DateTimeAndDateTimeFormats) {
    EXPECT_EQ(fmt(zkfdate, nullptr, LOC_DATEPAT, 0), "01/01/1960");
    EXPECT_EQ(fmt(zkfdate, nullptr, LOC_DATEPAT, kMar7th2024), "03/07/2024");
    EXPECT_EQ(fmt(zkfdate, "%A, %B %E, %Y", 0, kJan1st2000), "Saturday, January 1, 2000");
    EXPECT_EQ(fmt(zkfdate, "%F %C %D %Z", 0, kJan1st2000), "Sat Jan 01 00");
    EXPECT_EQ(fmt(zkfdate, "%J %Q %U %W %V %%", 0, kJan1st2005), "001 1 00 00 53 %");
    EXPECT_EQ(fmt(zkfdate, "%J", 0, kJan1st2005 - 1), "366");
    EXPECT_EQ(fmt(zkfdate, "%Y-%m", 0, kMar7th2024, 4), "2024") << "clipped to the width";
    EXPECT_EQ(fmt(zkfdate, nullptr, 0, 0), "rc=-1");
    EXPECT_EQ(fmt(zkfdate, nullptr, 999, 0), "rc=-1");
    EXPECT_EQ(fmt(zkfdate, "%Y", 0, DATE_MIN), "1582");
    EXPECT_EQ(fmt(zkfdate, "%Y", 0, DATE_MIN - 1), "rc=-3");
    EXPECT_EQ(fmt(zkfdate, "%Y", 0, hostmissing()), "rc=-3");

    const double dt = kJan1st2000 * 86400 + 13 * 3600 + 5 * 60 + 9;
    EXPECT_EQ(fmt(zkfdttm, nullptr, LOC_DTTMPAT, dt), "2000-01-01 13:05:09");
    EXPECT_EQ(fmt(zkfdttm, "%I:%M %P", 0, dt), "01:05 PM");
    EXPECT_EQ(fmt(zkfdttm, "%G", 0, kJan1st2000 * 86400 + 3600), "1");
    EXPECT_EQ(fmt(zkrfdttm, "%S", 0, dt + 0.6), "10");
    EXPECT_EQ(fmt(zkfdttm, "%Y", 0, DTTM_END), "rc=-3");

    EXPECT_EQ(fmt(zkftime, nullptr, LOC_TIMEPAT, 3723), "01:02:03");
    EXPECT_EQ(fmt(zkftime, "%H:%M", 0, 90000), "25:00");
    EXPECT_EQ(fmt(zkftime, "%H", 0, -1), "rc=-3");
}

TEST_F(Locale, DateTimeAndDateTimeInformats) {
    double v = 0;
    ASSERT_EQ(zkpdate("03/07/2024", 10, nullptr, LOC_DATEPAT, &v), 0);
    EXPECT_EQ(v, kMar7th2024);
    // Two-digit years from the cut-off 1920: 24 is 1924 (36 years and 9 leap days before
    // 1960, then 31 + 29 + 6 days), 19 is 2019.
    ASSERT_EQ(zkpdate("03/07/24", 8, nullptr, LOC_DATEPAT, &v), 0);
    EXPECT_EQ(v, -(36 * 365 + 9) + 31 + 29 + 6);
    ASSERT_EQ(zkpdate("01/01/19", 8, nullptr, LOC_DATEPAT, &v), 0);
    EXPECT_EQ(v, kJan1st2000 + 19 * 365 + 5);
    ASSERT_EQ(zkpdate(" 3/ 7/2024", 10, nullptr, LOC_DATEPAT, &v), 0);
    EXPECT_EQ(v, kMar7th2024);
    ASSERT_EQ(zkpdate("01 Jan 2000", 11, "%D %C %Y", 0, &v), 0);
    EXPECT_EQ(v, kJan1st2000);
    EXPECT_EQ(zkpdate("13/07/2024", 10, nullptr, LOC_DATEPAT, &v), 1) << "month 13";
    EXPECT_EQ(zkpdate("02/30/2024", 10, nullptr, LOC_DATEPAT, &v), 1) << "a day the host refuses";
    EXPECT_EQ(zkpdate("03/07/2024", 10, "%m/%K/%Y", 0, &v), 2);
    EXPECT_EQ(zkpdate("03/07/2024", 10, nullptr, 999, &v), LOC_NOITEM);
    EXPECT_EQ(zkpdate("03/07/1500", 10, nullptr, LOC_DATEPAT, &v), 1);

    ASSERT_EQ(zkptime("13:05:09", 8, nullptr, LOC_TIMEPAT, &v), 0);
    EXPECT_EQ(v, 47109);
    ASSERT_EQ(zkptime("01:05 PM", 8, "%I:%M %P", 0, &v), 0);
    EXPECT_EQ(v, 47100);
    ASSERT_EQ(zkptime("12:30 AM", 8, "%I:%M %P", 0, &v), 0);
    EXPECT_EQ(v, 1800);
    ASSERT_EQ(zkptime("12:30 PM", 8, "%I:%M %P", 0, &v), 0);
    EXPECT_EQ(v, 45000);
    ASSERT_EQ(zkptime("10:?", 4, "%H:%?S", 0, &v), 0) << "an optional field may be absent";
    EXPECT_EQ(v, 36000);

    ASSERT_EQ(zkpdttm("2000-01-01 13:05:09", 19, nullptr, LOC_DTTMPAT, &v), 0);
    EXPECT_EQ(v, kJan1st2000 * 86400 + 47109);
    EXPECT_EQ(zkpdttm("2000-01-01 24:00:00", 19, nullptr, LOC_DTTMPAT, &v), LOC_RANGE);
}

TEST_F(Locale, NumberInformats) {
    double v = 0;
    ASSERT_EQ(zkifnum("1,234.5", 7, 0, &v), 0);
    EXPECT_EQ(v, 1234.5);
    ASSERT_EQ(zkifnum("-12", 3, 0, &v), 0);
    EXPECT_EQ(v, -12);
    ASSERT_EQ(zkifnum("+7", 2, 0, &v), 0);
    EXPECT_EQ(v, 7);
    ASSERT_EQ(zkifnum("1'000", 5, 0, &v), 0);
    EXPECT_EQ(v, 1000);
    ASSERT_EQ(zkifmny("$1,234", 6, 0, &v), 0);
    EXPECT_EQ(v, 1234);
    ASSERT_EQ(zkifmny("USD 99.5", 8, 0, &v), 0);
    EXPECT_EQ(v, 99.5);
    ASSERT_EQ(zkifpct("12.5%", 5, 0, &v), 0);
    EXPECT_EQ(v, 0.125);

    ASSERT_EQ(zksetloc(1, 0, 0), 0);   // grouping ".", decimals ","
    ASSERT_EQ(zkifnum("1.234,5", 7, 0, &v), 0);
    EXPECT_EQ(v, 1234.5);
    ASSERT_EQ(zkifmny("EUR 2.000,25", 12, 0, &v), 0);
    EXPECT_EQ(v, 2000.25);
    ASSERT_EQ(zkpdate("07.03.2024", 10, nullptr, LOC_DATEPAT, &v), 0);
    EXPECT_EQ(v, kMar7th2024);
}

TEST_F(Locale, FieldHelpers) {
    char b[16];
    EXPECT_EQ(std::string(b, i2s(5, b, 3, ' ')), "  5");
    EXPECT_EQ(std::string(b, i2s(5, b, 3, '0')), "005");
    EXPECT_EQ(std::string(b, i2s(5, b, 3, 0)), "5");
    EXPECT_EQ(std::string(b, i2s(0, b, 2, ' ')), " 0");
    EXPECT_EQ(std::string(b, i2s(-5, b, 3, '0')), "-05");
    EXPECT_EQ(std::string(b, i2s(12345, b, 3, '0')), "12345");
    EXPECT_EQ(s2i_fixlen("07"), 7);
    EXPECT_EQ(s2i_fixlen(" 7"), 7);
    EXPECT_EQ(s2i_fixlen("7/"), -1);
    EXPECT_EQ(s2i_fixlen("12"), 12);
}
