// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <vector>

#include "kestsim/record.h"

namespace kestsim {

using CompareEntry = std::array<std::uint8_t, 16>;
using Domain = std::array<std::uint8_t, 20>;
using Key = std::array<std::uint8_t, 15>;

// The reader's clock as decoded from the set-clock command. The century byte
// is kept exactly as sent (0x20); the rest are plain numbers.
struct ReaderClock {
    std::uint8_t century = 0x20;
    std::uint8_t year = 24; // within the century
    std::uint8_t month = 1;
    std::uint8_t day = 1;
    std::uint8_t hour = 0;
    std::uint8_t minute = 0;
    std::uint8_t second = 0;

    friend bool operator==(const ReaderClock &, const ReaderClock &) = default;
};

// Everything the reader remembers between commands.
struct ReaderState {
    std::vector<Record> records;
    ReaderClock clock;
    std::map<std::uint16_t, CompareEntry> compareList;
    Domain domain{};
    Key key{};
};

} // namespace kestsim
