// SPDX-License-Identifier: MIT
#include "clock_text.h"

#include <ctime>

namespace kestlink_cli {

namespace {

std::optional<int> digitsAt(std::string_view text, std::size_t at, std::size_t count)
{
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

int daysInMonth(int year, int month)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

} // namespace

std::optional<kestrix::LocalTime> parseClockText(std::string_view text)
{
    // YYYY-MM-DD HH:MM:SS
    static constexpr std::string_view shape = "0000-00-00 00:00:00";
    if (text.size() != shape.size())
        return std::nullopt;
    for (std::size_t i = 0; i < shape.size(); ++i)
        if (shape[i] != '0' && text[i] != shape[i])
            return std::nullopt;
    const auto year = digitsAt(text, 0, 4), month = digitsAt(text, 5, 2), day = digitsAt(text, 8, 2);
    const auto hour = digitsAt(text, 11, 2), minute = digitsAt(text, 14, 2), second = digitsAt(text, 17, 2);
    if (!year || !month || !day || !hour || !minute || !second)
        return std::nullopt;
    if (*year < 2000 || *year > 2099 || *month < 1 || *month > 12 || *day < 1 || *day > daysInMonth(*year, *month) ||
        *hour > 23 || *minute > 59 || *second > 59)
        return std::nullopt;
    return kestrix::LocalTime{*year, *month, *day, *hour, *minute, *second};
}

kestrix::LocalTime localTimeNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

} // namespace kestlink_cli
