// SPDX-License-Identifier: MIT
#include "calendar.h"

namespace kestsim::calendar {

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

bool isValid(const RecordTime &t)
{
    return t.year >= 0 && t.year <= 9999 && t.day >= 1 && t.day <= daysInMonth(t.year, t.month) && t.hour >= 0 &&
           t.hour < 24 && t.minute >= 0 && t.minute < 60 && t.second >= 0 && t.second < 60;
}

void advance(RecordTime &t, int seconds)
{
    t.second += seconds;
    t.minute += t.second / 60;
    t.second %= 60;
    t.hour += t.minute / 60;
    t.minute %= 60;
    t.day += t.hour / 24;
    t.hour %= 24;
    while (t.day > daysInMonth(t.year, t.month)) {
        t.day -= daysInMonth(t.year, t.month);
        if (++t.month > 12) {
            t.month = 1;
            ++t.year;
        }
    }
}

} // namespace kestsim::calendar
