// SPDX-License-Identifier: MIT
#pragma once

#include "kestsim/record.h"

namespace kestsim::calendar {

bool isLeapYear(int year);
// 0 for a month outside 1..12.
int daysInMonth(int year, int month);
// A real date and time of day (year 0..9999).
bool isValid(const RecordTime &time);
// Moves the time forward, carrying into minutes, hours, days, months, years.
void advance(RecordTime &time, int seconds);

} // namespace kestsim::calendar
