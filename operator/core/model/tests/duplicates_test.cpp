// SPDX-License-Identifier: MIT
#include "duplicates.h"

#include <gtest/gtest.h>
#include <random>

namespace kestrix {
namespace {

RowTexts row(int s, std::string card, std::string time = "2024/01/27 13:12:07", std::string flag = " ")
{
    return RowTexts{sequenceText(s), std::move(card), std::move(time), std::move(flag)};
}

// The list's original rule, pair by pair: a row goes when any later row has
// the same card number; the rest keep their order and are numbered afresh.
std::vector<RowTexts> referenceWithoutDuplicates(const std::vector<RowTexts> &rows)
{
    std::vector<RowTexts> kept;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        bool later = false;
        for (std::size_t j = i + 1; j < rows.size(); ++j)
            later = later || rows[j].cardNumber == rows[i].cardNumber;
        if (!later)
            kept.push_back(rows[i]);
    }
    for (std::size_t i = 0; i < kept.size(); ++i)
        kept[i].sequence = sequenceText(static_cast<std::int32_t>(i + 1));
    return kept;
}

TEST(WithoutDuplicateCards, KeepsTheLastRowOfEachCard)
{
    const std::vector<RowTexts> rows = {
        row(1, "A", "2024/01/01 00:00:01", "1"), row(2, "B", "2024/01/01 00:00:02", "2"),
        row(3, "A", "2024/01/01 00:00:03", "3"), row(4, "C", "2024/01/01 00:00:04", " "),
        row(5, "B", "2024/01/01 00:00:05", "5"),
    };
    const std::vector<RowTexts> expected = {
        row(1, "A", "2024/01/01 00:00:03", "3"),
        row(2, "C", "2024/01/01 00:00:04", " "),
        row(3, "B", "2024/01/01 00:00:05", "5"),
    };
    EXPECT_EQ(withoutDuplicateCards(rows), expected);
}

TEST(WithoutDuplicateCards, SmallListsAsTheOriginalRuleHasThem)
{
    const std::vector<std::vector<std::string>> cardLists = {
        {},
        {"A"},
        {"A", "A", "A"},
        {"A", "B", "C"},
        // Compared byte for byte: case, spaces and empty texts all count.
        {"abc", "ABC", "abc ", "", "abc", ""},
        {"\xBF\xA8", "\xBF\xA8", "\xBF"},
    };
    for (const auto &cards : cardLists) {
        std::vector<RowTexts> rows;
        // Numbers out of order: the result numbers afresh either way.
        for (std::size_t i = 0; i < cards.size(); ++i)
            rows.push_back(row(static_cast<int>(40 - i), cards[i], std::string("t").append(std::to_string(i))));
        EXPECT_EQ(withoutDuplicateCards(rows), referenceWithoutDuplicates(rows)) << cards.size();
    }
}

TEST(WithoutDuplicateCards, RandomListsAsTheOriginalRuleHasThem)
{
    std::mt19937 random(20240127);
    for (int round = 0; round < 200; ++round) {
        const int length = std::uniform_int_distribution<int>(0, 120)(random);
        // Few distinct cards in some rounds, many in others.
        const int distinct = std::uniform_int_distribution<int>(1, 150)(random);
        std::uniform_int_distribution<int> card(0, distinct - 1);
        std::vector<RowTexts> rows;
        for (int i = 0; i < length; ++i)
            rows.push_back(
                row(i + 1, "999 " + std::to_string(card(random)), std::to_string(i), std::to_string(i % 10)));
        ASSERT_EQ(withoutDuplicateCards(rows), referenceWithoutDuplicates(rows)) << "round " << round;
    }
}

TEST(WithoutDuplicateCards, FullReaderOfRepeatedCards)
{
    // 65,535 records over 1000 cards in turn: the last 1000 rows remain.
    std::vector<RowTexts> rows;
    for (int i = 0; i < 65535; ++i)
        rows.push_back(row(i + 1, "card " + std::to_string(i % 1000), std::to_string(i)));
    const std::vector<RowTexts> kept = withoutDuplicateCards(rows);
    ASSERT_EQ(kept.size(), 1000u);
    for (int k = 0; k < 1000; ++k) {
        const int original = 65535 - 1000 + k;
        EXPECT_EQ(kept[k], row(k + 1, "card " + std::to_string(original % 1000), std::to_string(original)));
    }
}

} // namespace
} // namespace kestrix
