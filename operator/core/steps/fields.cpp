// SPDX-License-Identifier: MIT
#include "fields.h"

#include <cerrno>
#include <cstdlib>
#include <utility>

#include "messages.h"

namespace kestrix {

namespace {

constexpr int kMaxKeyLength = 15;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

// Replaces %1, %2 in order.
std::string withNumbers(const char *format, std::initializer_list<int> numbers)
{
    std::string text = format;
    int index = 1;
    for (int n : numbers) {
        // Appended, not "%" + ...: GCC 12 at -O3 misreads that as an overlapping copy (-Wrestrict).
        std::string mark = "%";
        mark += std::to_string(index++);
        if (const auto at = text.find(mark); at != std::string::npos)
            text.replace(at, mark.size(), std::to_string(n));
    }
    return text;
}

// Characters, not bytes: the continuation bytes of UTF-8 do not count.
std::size_t characterCount(const std::string &text)
{
    std::size_t count = 0;
    for (unsigned char c : text)
        count += (c & 0xC0) != 0x80;
    return count;
}

} // namespace

std::optional<std::int32_t> parseIntegerField(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    if (text.empty() || text.size() > 20)
        return std::nullopt;
    const std::string digits(text);
    char *end = nullptr;
    errno = 0;
    const long long value = std::strtoll(digits.c_str(), &end, 10);
    if (errno != 0 || end != digits.c_str() + digits.size() || value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::string integerMessage() { return text::kEnterInteger; }

std::string rangeMessage(int minimum, int maximum)
{
    return withNumbers(text::kEnterIntegerBetween, {minimum, maximum});
}

std::string lengthMessage(int maximum) { return withNumbers(text::kEnterAtMostChars, {maximum}); }

bool fetchFields(View &view, Toolkit &toolkit, DialogFields &fields)
{
    const auto refuse = [&](Field field, const std::string &why) {
        toolkit.message(why, MessageIcon::Warning);
        view.selectField(field);
        return false;
    };
    const auto integer = [&](Field field, std::int32_t &value, std::optional<std::pair<int, int>> range) {
        const auto parsed = parseIntegerField(view.fieldText(field));
        if (!parsed)
            return refuse(field, integerMessage());
        value = *parsed; // an out-of-range number is kept as typed
        if (range && (*parsed < range->first || *parsed > range->second))
            return refuse(field, rangeMessage(range->first, range->second));
        return true;
    };
    const auto textField = [&](Field field, std::string &value, int maxLength) {
        value = view.fieldText(field);
        if (maxLength >= 0 && characterCount(value) > static_cast<std::size_t>(maxLength))
            return refuse(field, lengthMessage(maxLength));
        return true;
    };
    const std::pair<int, int> recordNumbers{1, kMaxRecordNumber};
    return integer(Field::RecordCount, fields.recordCount, std::nullopt) &&
           integer(Field::SingleNumber, fields.singleNumber, recordNumbers) &&
           textField(Field::KeyText, fields.keyText, kMaxKeyLength) &&
           textField(Field::KeyReadBack, fields.keyReadBack, -1) &&
           integer(Field::RangeStart, fields.rangeStart, recordNumbers) &&
           integer(Field::RangeEnd, fields.rangeEnd, recordNumbers);
}

void showFields(View &view, const DialogFields &fields)
{
    view.setFieldText(Field::RecordCount, std::to_string(fields.recordCount));
    view.setFieldText(Field::SingleNumber, std::to_string(fields.singleNumber));
    view.setFieldText(Field::KeyText, fields.keyText);
    view.setFieldText(Field::KeyReadBack, fields.keyReadBack);
    view.setFieldText(Field::RangeStart, std::to_string(fields.rangeStart));
    view.setFieldText(Field::RangeEnd, std::to_string(fields.rangeEnd));
}

} // namespace kestrix
