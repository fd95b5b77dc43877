// SPDX-License-Identifier: MIT
#include "read_timing.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace kestbench {

namespace {
using Clock = std::chrono::steady_clock;

double msBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}
} // namespace

ReadTimes timeReads(kestlink::test::LinkUnderTest &link, const std::vector<kestsim::Record> &expected)
{
    static_assert(sizeof(TagRecord) == kestsim::kRecordSize);
    ReadTimes result;
    std::vector<double> perCall;
    perCall.reserve(expected.size());

    const auto start = Clock::now();
    for (std::size_t i = 0; i < expected.size(); ++i) {
        TagRecord record{};
        const int32_t ok = link.readData(static_cast<std::uint16_t>(i), &record);
        perCall.push_back(link.lastCallMs());
        if (!ok)
            ++result.failed;
        else if (std::memcmp(&record, expected[i].data(), sizeof record) != 0)
            ++result.wrong;
    }
    result.totalMs = msBetween(start, Clock::now());
    result.reads = perCall.size();
    if (perCall.empty())
        return result;

    double sum = 0;
    for (double ms : perCall)
        sum += ms;
    result.meanMs = sum / static_cast<double>(perCall.size());
    result.maxMs = *std::max_element(perCall.begin(), perCall.end());
    auto middle = perCall.begin() + static_cast<std::ptrdiff_t>(perCall.size() / 2);
    std::nth_element(perCall.begin(), middle, perCall.end());
    result.medianMs = *middle;
    return result;
}

} // namespace kestbench
