// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "kestsim/record.h"
#include "kestsim/sample_records.h"

namespace kestsim {
namespace {

std::string text(const Record &record, std::size_t from, std::size_t count)
{
    return {reinterpret_cast<const char *>(record.data()) + from, count};
}

int number(const Record &record, std::size_t from, std::size_t count) { return std::stoi(text(record, from, count)); }

bool isCardShaped(std::string_view card)
{
    if (card.size() != 16 || card[3] != ' ')
        return false;
    for (std::size_t i = 0; i < card.size(); ++i) {
        if (i != 3 && (card[i] < '0' || card[i] > '9'))
            return false;
    }
    return true;
}

// "20240506070809" compares in time order as text.
std::string timeText(const Record &record) { return text(record, 16, 14); }

TEST(MakeRecord, LaysOutCardTimeAndFlag)
{
    const auto record = makeRecord("999 012345678901", {2024, 5, 6, 7, 8, 9}, 2);
    EXPECT_EQ(text(record, 0, 30), "999 01234567890120240506070809");
    EXPECT_EQ(record[30], 2);
    EXPECT_EQ(recordCardNumber(record), "999 012345678901");
    EXPECT_EQ(recordFlag(record), 2);
}

TEST(MakeRecord, RefusesWhatDoesNotFit)
{
    EXPECT_THROW(makeRecord("999 01234567890", {}, 0), std::invalid_argument);
    EXPECT_THROW(makeRecord("999 012345678901", {}, 4), std::invalid_argument);
    EXPECT_THROW(makeRecord("999 012345678901", {10000, 1, 1, 0, 0, 0}, 0), std::invalid_argument);
}

TEST(SampleRecords, AreShapedLikeTheReaderStoresThem)
{
    const auto records = sampleRecords(kMaxRecords);
    ASSERT_EQ(records.size(), kMaxRecords);
    std::set<std::string> cards;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const auto &r = records[i];
        ASSERT_TRUE(isCardShaped(recordCardNumber(r))) << i << ": " << recordCardNumber(r);
        cards.insert(std::string(recordCardNumber(r)));
        const int month = number(r, 20, 2);
        const int day = number(r, 22, 2);
        ASSERT_GE(number(r, 16, 4), 2024) << i;
        ASSERT_TRUE(month >= 1 && month <= 12) << i;
        ASSERT_TRUE(day >= 1 && day <= (month == 2 ? 29 : 31)) << i;
        ASSERT_LT(number(r, 24, 2), 24) << i;
        ASSERT_LT(number(r, 26, 2), 60) << i;
        ASSERT_LT(number(r, 28, 2), 60) << i;
        ASSERT_EQ(r[30], i % 4) << i;
        if (i > 0) {
            ASSERT_LT(timeText(records[i - 1]), timeText(r)) << i;
        }
    }
    EXPECT_GT(cards.size(), kMaxRecords * 8 / 10); // most distinct
    EXPECT_LT(cards.size(), kMaxRecords);          // some read twice
}

TEST(SampleRecords, AreTheSameEveryTimeAndPrefixesOfEachOther)
{
    const auto few = sampleRecords(50);
    const auto many = sampleRecords(300);
    EXPECT_EQ(few, sampleRecords(50));
    EXPECT_TRUE(std::equal(few.begin(), few.end(), many.begin()));
    EXPECT_TRUE(sampleRecords(0).empty());
}

TEST(SampleRecords, StopAtTheReaderCapacity) { EXPECT_THROW(sampleRecords(kMaxRecords + 1), std::invalid_argument); }

} // namespace
} // namespace kestsim
