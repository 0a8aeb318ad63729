// Locale-aware formats (value to text) and informats (text to value) for dates, times,
// date-times, week texts, numbers, money and percentages, with their calendar routines.
// Dates are days from 1 January 1960; times are seconds; date-times seconds from 1960.
#pragma once
#include <cstdint>

// Results of the formats and informats.
enum : int { LOC_OK = 0, LOC_NOITEM = -1, LOC_RANGE = -3 };
constexpr double DATE_MIN = -138061.0;        // 1 January 1582
constexpr double DATE_END = 6589336.0;        // first day past the valid range
constexpr double DTTM_MIN = -11928470400.0;
constexpr double DTTM_END = 569318630400.0;

// ---- locale items
int zkgetloc(int item, char* out, int* len, const char* dflt, int dflt_len);
int zksetloc(int a, int b, int c);

// ---- calendar
bool isLeapYear(int y);
int lastDay(int y, int m);
long dateOffset(int m, int d, int y);
long diff_actual(int m1, int d1, int y1, int m2, int d2, int y2);
// Actual/actual: total days; the days falling in common and in leap years and the year
// fraction common/365 + leap/366 go to the pointers that are given.
long diff_actact(int m1, int d1, int y1, int m2, int d2, int y2, long* common, long* leap, double* frac);
long diff_30_360(int m1, int d1, int y1, int m2, int d2, int y2);

// ---- weeks: kind 'U' (weeks from Sunday), 'W' (from Monday), 'V' (ISO 8601)
struct yywwdd {
    int year;
    double week;
    int day;        // 'U': 1 Sunday .. 7 Saturday; 'W' and 'V': 1 Monday .. 7 Sunday
};
int get_yywwdd(double date, int kind, yywwdd* out);
// Year, week and day of a date; LOC_RANGE for a missing or invalid date.
int zkweek(double date, int kind, int* year, int* week, int* day);
// The week text for the width *len (the width used goes back in *len); a width that no
// layout meets fills the field with '*'.
void construct_week(char* out, int* len, const yywwdd& w);
int zkfweek(char* out, int* len, int kind, double date);
enum : int32_t { WEEK_NOW = static_cast<int32_t>(0x80000000u) };
// Week informat: 0, WEEK_NOW (no "W" in the text) or -1 (a character that is not a digit).
int zkifweek(const char* text, int len, int kind, int refyear, double* date);

// ---- fields
int i2s(long value, char* buf, int width, int pad);
int s2i_fixlen(const char* two);

// ---- date, time and date-time formats: (out, in/out width, pattern or null, locale item, value)
// The pattern of a format or informat call: the one given, else the locale item's text;
// false when neither is there (no pattern and an item that is not set).
bool choosepattern(const char* pattern, int item, const char** pat, int* patlen);
struct dtfields {
    bool hasdate;
    int year, month, day;
    double date;
    bool hastime;
    long hours;
    int minutes;
    double seconds;
};
// Expands pattern (patlen bytes) for the fields; a date pattern reads M as N (the month).
int expand(char* out, int* len, const char* pattern, int patlen, bool datepattern, const dtfields& f);
int zkfdate(char* out, int* len, const char* pattern, int item, double date);
int zkfdttm(char* out, int* len, const char* pattern, int item, double dt);
// As zkfdttm, with the value rounded to the nearest second first.
int zkrfdttm(char* out, int* len, const char* pattern, int item, double dt);
int zkftime(char* out, int* len, const char* pattern, int item, double t);

// ---- date, time and date-time informats: (text, length, pattern or null, locale item, result)
// Reads the fields of text by pattern: 0, 1 (a field out of range, a date the host refuses,
// a text that does not follow the pattern) or 2 (a directive it does not know).
int getdate_fixlen(const char* text, int len, const char* pattern, int patlen, bool datepattern, dtfields* f);
int zkpdate(const char* text, int len, const char* pattern, int item, double* date);
int zkpdttm(const char* text, int len, const char* pattern, int item, double* dt);
int zkptime(const char* text, int len, const char* pattern, int item, double* t);

// ---- number, money and percent informats: the status of the COMMA or percent core
int zkifnum(const char* text, int len, int decimals, double* value);
int zkifmny(const char* text, int len, int decimals, double* value);
int zkifpct(const char* text, int len, int decimals, double* value);
