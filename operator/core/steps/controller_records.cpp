// SPDX-License-Identifier: MIT
// Reading records into the list: the count, all records, one record, a range.
#include "kestlink.h"
#include "kestrix_controller.h"
#include "messages.h"
#include "reader_plans.h"

namespace kestrix {

void KestrixController::askCount(std::function<void(bool counted, std::uint16_t count)> then)
{
    work([this, then = std::move(then)]() -> Step {
        std::uint16_t count = 0;
        const bool counted = KX_QueryNumber(&count) == 1;
        return [then, counted, count] { then(counted, count); };
    });
}

void KestrixController::queryCount()
{
    if (busy_)
        return;
    askCount([this](bool counted, std::uint16_t count) {
        if (!counted)
            return say(text::kCountFailed);
        fields_.recordCount = count;
        showFields(view_, fields_); // every edit is rewritten from the fields
    });
}

bool KestrixController::countAllows(bool counted, std::uint16_t count)
{
    if (!counted) {
        say(text::kCountFailedRead);
        return false;
    }
    if (count == 0) {
        say(text::kCountIsZero);
        return false;
    }
    return true;
}

void KestrixController::readAll()
{
    if (busy_)
        return;
    askCount([this](bool counted, std::uint16_t count) {
        if (!countAllows(counted, count))
            return;
        // Read all numbers the rows on from those already in the list.
        runDownload(readAllPlan(count, static_cast<std::int32_t>(records_.size()) + 1));
    });
}

void KestrixController::readOne()
{
    if (busy_)
        return;
    fetch(); // a field that fails its check has said so; the check below stops bad values
    const std::int32_t number = fields_.singleNumber;
    if (number <= 0)
        return say(text::kNumberIsZero);
    work([this, number]() -> Step {
        const auto item = readRecordItem(static_cast<std::uint16_t>(number - 1), number);
        return [this, item] {
            if (!item.ok)
                return say(text::kReadOneFailed);
            appendRow(*item.row);
        };
    });
}

void KestrixController::readRange()
{
    if (busy_)
        return;
    askCount([this](bool counted, std::uint16_t count) {
        if (countAllows(counted, count))
            startRange(count);
    });
}

void KestrixController::startRange(std::uint16_t count)
{
    fetch();
    const std::int32_t first = fields_.rangeStart;
    const std::int32_t last = fields_.rangeEnd;
    if (const char *refusal = rangeRefusal(first, last, count))
        return say(refusal);
    runDownload(readRangePlan(count, first, last));
}

} // namespace kestrix
