// SPDX-License-Identifier: MIT
#include "kestsim/sample_records.h"

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "calendar.h"

namespace kestsim {
namespace {

// Multiplying by a number prime to 10 shuffles 12-digit numbers without
// collisions, so the cards look random yet never clash by accident.
constexpr std::uint64_t kCardSpace = 1'000'000'000'000ULL;
constexpr std::uint64_t kCardStride = 735'979ULL;
constexpr std::uint64_t kCardOffset = 12'345'678'901ULL;

std::string sampleCard(std::size_t index)
{
    const char *code = index % 7 == 3 ? "900" : "999";
    const std::uint64_t digits = (index * kCardStride + kCardOffset) % kCardSpace;
    char text[32];
    std::snprintf(text, sizeof text, "%s %012llu", code, static_cast<unsigned long long>(digits));
    return text;
}

} // namespace

std::vector<Record> sampleRecords(std::size_t count)
{
    if (count > kMaxRecords) {
        throw std::invalid_argument("a reader holds at most 65535 records, not " + std::to_string(count));
    }
    std::vector<Record> records;
    records.reserve(count);
    RecordTime time{2024, 1, 1, 8, 0, 0};
    std::string card;
    for (std::size_t i = 0; i < count; ++i) {
        // Every ninth read is the same tag read again.
        if (i % 9 != 8 || card.empty())
            card = sampleCard(i);
        records.push_back(makeRecord(card, time, static_cast<std::uint8_t>(i % 4)));
        calendar::advance(time, 17 + static_cast<int>((i * 31) % 240));
    }
    return records;
}

} // namespace kestsim
