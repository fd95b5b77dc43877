// SPDX-License-Identifier: MIT
// Every command against the virtual reader: what goes on the wire, what the
// caller gets, and what a failure leaves behind.
#include <algorithm>
#include <array>
#include <cstring>
#include <thread>

#include "link_fixture.h"

using kestsim::FaultKind;
using kestsim::FaultRule;
using Bytes = std::vector<std::uint8_t>;

namespace {

template <std::size_t N> std::array<std::uint8_t, N> filled(std::uint8_t value)
{
    std::array<std::uint8_t, N> a;
    a.fill(value);
    return a;
}

CompareEntry entryOf(const char *text)
{
    CompareEntry entry{};
    std::memcpy(entry.cardNumber, text, std::min<std::size_t>(std::strlen(text), 16));
    return entry;
}

} // namespace

TEST_P(LinkTest, QueryNumberGivesTheCount)
{
    auto &reader = connected(1000);
    std::uint16_t count = 0;
    EXPECT_EQ(link().queryNumber(&count), 1);
    EXPECT_EQ(count, 1000);
    EXPECT_EQ(lastFrame(reader), (Bytes{0xAA, 0x04, 0x00, 0x04, 0x55}));

    reader.setRecords({});
    EXPECT_EQ(link().queryNumber(&count), 1);
    EXPECT_EQ(count, 0);
}

TEST_P(LinkTest, ReadDataCopiesTheRecordAndNothingOnFailure)
{
    auto &reader = connected(301);
    const auto records = reader.records();
    for (std::uint16_t n : {0, 1, 300}) {
        TagRecord record;
        ASSERT_EQ(link().readData(n, &record), 1) << n;
        EXPECT_EQ(std::memcmp(&record, records[n].data(), sizeof record), 0) << n;
    }
    EXPECT_EQ(lastFrame(reader), (Bytes{0xAA, 0x01, 0x02, 0x2C, 0x01, 0x30, 0x55}));

    TagRecord untouched;
    std::memset(&untouched, 0xEE, sizeof untouched);
    EXPECT_EQ(link().readData(301, &untouched), 0) << "past the last record the reader refuses";
    EXPECT_EQ(untouched.flag, 0xEE);
    EXPECT_EQ(untouched.cardNumber[0], static_cast<char>(0xEE));
}

TEST_P(LinkTest, DeleteAllDataEmptiesTheReader)
{
    auto &reader = connected(50);
    EXPECT_EQ(link().deleteAllData(), 1);
    EXPECT_TRUE(reader.records().empty());
    EXPECT_EQ(lastFrame(reader), (Bytes{0xAA, 0x02, 0x00, 0x02, 0x55}));
}

TEST_P(LinkTest, SetTimeSendsBcdAndLeavesTheCallersBlock)
{
    auto &reader = connected();
    const DeviceTime time = {0x20, 24, 12, 31, 23, 59, 58};
    DeviceTime copy = time;
    EXPECT_EQ(link().setTime(&copy), 1);
    EXPECT_EQ(std::memcmp(&copy, &time, sizeof time), 0);
    EXPECT_EQ(lastFrame(reader), (Bytes{0xAA, 0x05, 0x07, 0x20, 0x24, 0x12, 0x31, 0x23, 0x59, 0x58, 0x67, 0x55}));
    const auto clock = reader.clock();
    EXPECT_EQ(clock.century, 0x20);
    EXPECT_EQ(clock.year, 24);
    EXPECT_EQ(clock.month, 12);
    EXPECT_EQ(clock.day, 31);
    EXPECT_EQ(clock.hour, 23);
    EXPECT_EQ(clock.minute, 59);
    EXPECT_EQ(clock.second, 58);

    const DeviceTime in2031 = {0x20, 31, 1, 2, 3, 4, 5};
    EXPECT_EQ(link().setTime(&in2031), 1);
    EXPECT_EQ(lastFrame(reader)[4], 0x31);
    EXPECT_EQ(reader.clock().year, 31);
}

TEST_P(LinkTest, ComparisonListLoadReadBackAndDelete)
{
    auto &reader = connected();
    const auto card = entryOf("999 012345678901");
    EXPECT_EQ(link().loadCmpData(0, &card), 1);
    const auto frame = lastFrame(reader);
    ASSERT_EQ(frame.size(), 23u);
    EXPECT_EQ(frame[3], 0x00);
    EXPECT_EQ(frame[4], 0x00);
    EXPECT_EQ(frame[21], 0x51);

    const auto shortCard = entryOf("12345");
    EXPECT_EQ(link().loadCmpData(1000, &shortCard), 1);
    const auto list = reader.compareList();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(std::memcmp(list.at(0).data(), card.cardNumber, 16), 0);
    EXPECT_EQ(std::memcmp(list.at(1000).data(), "12345\0\0\0\0\0\0\0\0\0\0\0", 16), 0);

    std::array<std::uint8_t, KX_COMPARE_READBACK_SIZE> back = filled<KX_COMPARE_READBACK_SIZE>(0xEE);
    EXPECT_EQ(link().readCmpData(1000, back.data()), 1);
    EXPECT_EQ(std::memcmp(back.data(), shortCard.cardNumber, 16), 0);
    EXPECT_EQ(lastFrame(reader), (Bytes{0xAA, 0x08, 0x02, 0xE8, 0x03, 0xF5, 0x55}));

    auto untouched = filled<KX_COMPARE_READBACK_SIZE>(0xEE);
    EXPECT_EQ(link().readCmpData(5, untouched.data()), 0) << "entry 5 was never loaded";
    EXPECT_EQ(untouched, filled<KX_COMPARE_READBACK_SIZE>(0xEE));

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(link().deleteCmpData(), 1);
    EXPECT_GE(msSince(start), 1000) << "the reader is given a full second to erase";
    EXPECT_TRUE(reader.compareList().empty());
    EXPECT_EQ(lastFrame(reader), (Bytes{0xAA, 0x07, 0x00, 0x07, 0x55}));
}

TEST_P(LinkTest, DomainRoundTripWhateverTheSecondArgument)
{
    auto &reader = connected();
    for (std::int32_t unused : {0, -1, 0x7FFFFFFF}) {
        std::array<std::uint8_t, KX_DOMAIN_SIZE> domain;
        for (std::size_t i = 0; i < domain.size(); ++i)
            domain[i] = static_cast<std::uint8_t>(i * 13 + unused);
        EXPECT_EQ(link().setDomain(domain.data(), unused), 1);
        EXPECT_EQ(reader.domain(), domain);
        EXPECT_EQ(lastFrame(reader).size(), 25u);

        auto back = filled<KX_DOMAIN_READBACK_SIZE>(0xEE);
        std::uint16_t length = 0;
        EXPECT_EQ(link().getDomain(back.data(), &length), 1);
        EXPECT_EQ(length, KX_DOMAIN_SIZE);
        EXPECT_TRUE(std::equal(domain.begin(), domain.end(), back.begin()));
    }
}

TEST_P(LinkTest, KeyRoundTrip)
{
    auto &reader = connected();
    const std::array<std::uint8_t, KX_KEY_SIZE> key = {'s', 'e',  'c',  'r',  'e',  't',  0,   1,
                                                       2,   0xAA, 0x55, 0xA5, 0x5A, 0xFF, 0x7F};
    EXPECT_EQ(link().setKey(key.data()), 1);
    EXPECT_EQ(reader.key(), key);
    EXPECT_EQ(lastFrame(reader).size(), 20u);
    auto back = filled<KX_KEY_SIZE>(0);
    EXPECT_EQ(link().getKey(back.data()), 1);
    EXPECT_EQ(back, key);
}

TEST_P(LinkTest, EveryByteValueCrossesBothWays)
{
    auto &reader = connected(0);
    // Reader to host: records carry any byte.
    std::vector<kestsim::Record> records(9);
    for (std::size_t i = 0; i < records.size(); ++i)
        for (std::size_t j = 0; j < kestsim::kRecordSize; ++j)
            records[i][j] = static_cast<std::uint8_t>((i * kestsim::kRecordSize + j) & 0xFF);
    reader.setRecords(records);
    for (std::uint16_t n = 0; n < records.size(); ++n) {
        TagRecord record;
        ASSERT_EQ(link().readData(n, &record), 1);
        EXPECT_EQ(std::memcmp(&record, records[n].data(), sizeof record), 0) << n;
    }
    // Host to reader: comparison entries carry any byte, and so do entry
    // numbers such as XON/XOFF, CR/LF and the frame markers.
    const std::uint16_t numbers[] = {0x1113, 0x0D0A, 0x55AA, 0x5AA5, 0x0300, 0x7F1A, 0xFFFF, 0x0004,
                                     0x0000, 0x8080, 0x1C1D, 0x0A0A, 0x1B5B, 0xFE01, 0x2020, 0x0903};
    for (std::size_t e = 0; e < 16; ++e) {
        CompareEntry entry;
        for (std::size_t j = 0; j < 16; ++j)
            entry.cardNumber[j] = static_cast<char>(e * 16 + j);
        ASSERT_EQ(link().loadCmpData(numbers[e], &entry), 1) << e;
        const auto list = reader.compareList();
        ASSERT_EQ(list.count(numbers[e]), 1u) << e;
        EXPECT_EQ(std::memcmp(list.at(numbers[e]).data(), entry.cardNumber, 16), 0) << e;
    }
}

TEST_P(LinkTest, NullBuffersAreRefusedBeforeAnythingIsSent)
{
    auto &reader = connected();
    std::uint8_t buffer[32];
    std::uint16_t length;
    EXPECT_EQ(link().readData(0, nullptr), 0);
    EXPECT_EQ(link().queryNumber(nullptr), 0);
    EXPECT_EQ(link().setTime(nullptr), 0);
    EXPECT_EQ(link().loadCmpData(0, nullptr), 0);
    EXPECT_EQ(link().readCmpData(0, nullptr), 0);
    EXPECT_EQ(link().setDomain(nullptr, 0), 0);
    EXPECT_EQ(link().getDomain(nullptr, &length), 0);
    EXPECT_EQ(link().getDomain(buffer, nullptr), 0);
    EXPECT_EQ(link().setKey(nullptr), 0);
    EXPECT_EQ(link().getKey(nullptr), 0);
    EXPECT_EQ(reader.requestCount(), 0u);
}

// A reader that goes away mid-transaction (a cable pulled): the call fails,
// the connection is closed and says it was lost, later calls fail without
// sending, and the next connect finds the reader on its new terminal.
TEST_P(LinkTest, HangUpMidTransactionThenConnectAgain)
{
    EXPECT_EQ(link().linkState(), KX_LINK_CLOSED);
    auto &reader = connected(20);
    EXPECT_EQ(link().linkState(), KX_LINK_OPEN);
    reader.addFault(FaultRule{FaultKind::HangUp, 0x01, 1, 1u});
    TagRecord record;
    EXPECT_EQ(link().readData(0, &record), 0);
    EXPECT_EQ(link().linkState(), KX_LINK_LOST);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    const auto sent = reader.requestCount();
    std::uint16_t count = 0;
    EXPECT_EQ(link().queryNumber(&count), 0) << "the line is gone until the next connect";
    EXPECT_EQ(reader.requestCount(), sent) << "nothing is sent on a lost line, even once the reader is back";
    EXPECT_EQ(link().linkState(), KX_LINK_LOST) << "a failed call leaves the loss said";
    EXPECT_EQ(link().connect(), 1);
    EXPECT_EQ(link().linkState(), KX_LINK_OPEN);
    EXPECT_EQ(link().queryNumber(&count), 1);
    EXPECT_EQ(count, 20);
    EXPECT_EQ(link().readData(0, &record), 1);
    EXPECT_EQ(link().close(), 1);
    EXPECT_EQ(link().linkState(), KX_LINK_CLOSED);
}

// A reader that does not answer, on a line that stays, is no loss.
TEST_P(LinkTest, ASilentReaderIsNoLostLine)
{
    auto &reader = connected(20);
    reader.addFault(FaultRule{FaultKind::NoReply, 0x01, 1, 1u});
    TagRecord record;
    EXPECT_EQ(link().readData(0, &record), 0);
    EXPECT_EQ(link().linkState(), KX_LINK_OPEN);
    EXPECT_EQ(link().readData(0, &record), 1);
}
