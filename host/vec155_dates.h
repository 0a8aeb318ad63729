// Vector 155: date and time services. Dates are days from 1 January 1960 (day 0), times
// are seconds, date-times are seconds from the same origin.
#pragma once
#include <cstdint>

struct vec155 {
    // The date of a calendar day; the host's missing value for an invalid day.
    double (*wzdtmdy)(int month, int day, int year);
    // Year, month and day of a date; 0, or non-zero for a missing or invalid date.
    int (*wzdtymd)(double date, int* year, int* month, int* day);
    // Weekday of a date: 1 Sunday .. 7 Saturday; 0 for a missing date.
    int (*wzdtwkd)(double date);
    // Hour (0-23), minute (0-59) and second (with its fraction) of a time or date-time.
    int (*wzdthour)(double t);
    int (*wzdtmin)(double t);
    double (*wzdtsec)(double t);
    // The date of a date-time.
    double (*wzdtdpt)(double dt);
    // The current local date-time.
    double (*wzdttme)();
};
