// Every command against the virtual reader: what goes on the wire, what the
// caller gets, and what a failure leaves behind.
#include <algorithm>
#include <array>
#include <cstring>
#include <thread>

#include "fault_verdicts.h"
#include "reader_fixture.h"

using kestsim::FaultKind;
using kestsim::FaultRule;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes lastFrame(const kestsim::VirtualReader &reader)
{
    const auto frames = reader.requests();
    return frames.empty() ? Bytes{} : frames.back().bytes;
}

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

TEST_F(ReaderTest, QueryNumberGivesTheCount)
{
    auto &reader = connected(1000);
    std::uint16_t count = 0;
    EXPECT_EQ(KX_QueryNumber(&count), 1);
    EXPECT_EQ(count, 1000);
    EXPECT_EQ(lastFrame(reader), (Bytes{0xAA, 0x04, 0x00, 0x04, 0x55}));

    reader.setRecords({});
    EXPECT_EQ(KX_QueryNumber(&count), 1);
    EXPECT_EQ(count, 0);
}

TEST_F(ReaderTest, ReadDataCopiesTheRecordAndNothingOnFailure)
{
    auto &reader = connected(301);
    const auto records = reader.records();
    for (std::uint16_t n : {0, 1, 300}) {
        TagRecord record;
        ASSERT_EQ(KX_ReadData(n, &record), 1) << n;
        EXPECT_EQ(std::memcmp(&record, records[n].data(), sizeof record), 0) << n;
    }
    EXPECT_EQ(lastFrame(reader), (Bytes{0xAA, 0x01, 0x02, 0x2C, 0x01, 0x30, 0x55}));

    TagRecord untouched;
    std::memset(&untouched, 0xEE, sizeof untouched);
    EXPECT_EQ(KX_ReadData(301, &untouched), 0) << "past the last record the reader refuses";
    EXPECT_EQ(untouched.flag, 0xEE);
    EXPECT_EQ(untouched.cardNumber[0], static_cast<char>(0xEE));
}

TEST_F(ReaderTest, DeleteAllDataEmptiesTheReader)
{
    auto &reader = connected(50);
    EXPECT_EQ(KX_DeleteAllData(), 1);
    EXPECT_TRUE(reader.records().empty());
    EXPECT_EQ(lastFrame(reader), (Bytes{0xAA, 0x02, 0x00, 0x02, 0x55}));
}

TEST_F(ReaderTest, SetTimeSendsBcdAndLeavesTheCallersBlock)
{
    auto &reader = connected();
    const DeviceTime time = {0x20, 24, 12, 31, 23, 59, 58};
    DeviceTime copy = time;
    EXPECT_EQ(KX_SetTime(&copy), 1);
    EXPECT_EQ(std::memcmp(&copy, &time, sizeof time), 0);
    EXPECT_EQ(lastFrame(reader),
              (Bytes{0xAA, 0x05, 0x07, 0x20, 0x24, 0x12, 0x31, 0x23, 0x59, 0x58, 0x67, 0x55}));
    const auto clock = reader.clock();
    EXPECT_EQ(clock.century, 0x20);
    EXPECT_EQ(clock.year, 24);
    EXPECT_EQ(clock.month, 12);
    EXPECT_EQ(clock.day, 31);
    EXPECT_EQ(clock.hour, 23);
    EXPECT_EQ(clock.minute, 59);
    EXPECT_EQ(clock.second, 58);

    const DeviceTime in2031 = {0x20, 31, 1, 2, 3, 4, 5};
    EXPECT_EQ(KX_SetTime(&in2031), 1);
    EXPECT_EQ(lastFrame(reader)[4], 0x31);
    EXPECT_EQ(reader.clock().year, 31);
}

TEST_F(ReaderTest, ComparisonListLoadReadBackAndDelete)
{
    auto &reader = connected();
    const auto card = entryOf("999 012345678901");
    EXPECT_EQ(KX_LoadCmpData(0, &card), 1);
    const auto frame = lastFrame(reader);
    ASSERT_EQ(frame.size(), 23u);
    EXPECT_EQ(frame[3], 0x00);
    EXPECT_EQ(frame[4], 0x00);
    EXPECT_EQ(frame[21], 0x51);

    const auto shortCard = entryOf("12345");
    EXPECT_EQ(KX_LoadCmpData(1000, &shortCard), 1);
    const auto list = reader.compareList();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(std::memcmp(list.at(0).data(), card.cardNumber, 16), 0);
    EXPECT_EQ(std::memcmp(list.at(1000).data(), "12345\0\0\0\0\0\0\0\0\0\0\0", 16), 0);

    std::array<std::uint8_t, KX_COMPARE_READBACK_SIZE> back = filled<KX_COMPARE_READBACK_SIZE>(0xEE);
    EXPECT_EQ(KX_ReadCmpData(1000, back.data()), 1);
    EXPECT_EQ(std::memcmp(back.data(), shortCard.cardNumber, 16), 0);
    EXPECT_EQ(lastFrame(reader), (Bytes{0xAA, 0x08, 0x02, 0xE8, 0x03, 0xF5, 0x55}));

    auto untouched = filled<KX_COMPARE_READBACK_SIZE>(0xEE);
    EXPECT_EQ(KX_ReadCmpData(5, untouched.data()), 0) << "entry 5 was never loaded";
    EXPECT_EQ(untouched, filled<KX_COMPARE_READBACK_SIZE>(0xEE));

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(KX_DeleteCmpData(), 1);
    EXPECT_GE(msSince(start), 1000) << "the reader is given a full second to erase";
    EXPECT_TRUE(reader.compareList().empty());
    EXPECT_EQ(lastFrame(reader), (Bytes{0xAA, 0x07, 0x00, 0x07, 0x55}));
}

TEST_F(ReaderTest, DomainRoundTripWhateverTheSecondArgument)
{
    auto &reader = connected();
    for (std::int32_t unused : {0, -1, 0x7FFFFFFF}) {
        std::array<std::uint8_t, KX_DOMAIN_SIZE> domain;
        for (std::size_t i = 0; i < domain.size(); ++i)
            domain[i] = static_cast<std::uint8_t>(i * 13 + unused);
        EXPECT_EQ(KX_SetDomain(domain.data(), unused), 1);
        EXPECT_EQ(reader.domain(), domain);
        EXPECT_EQ(lastFrame(reader).size(), 25u);

        auto back = filled<KX_DOMAIN_READBACK_SIZE>(0xEE);
        std::uint16_t length = 0;
        EXPECT_EQ(KX_GetDomain(back.data(), &length), 1);
        EXPECT_EQ(length, KX_DOMAIN_SIZE);
        EXPECT_TRUE(std::equal(domain.begin(), domain.end(), back.begin()));
    }
}

TEST_F(ReaderTest, KeyRoundTrip)
{
    auto &reader = connected();
    const std::array<std::uint8_t, KX_KEY_SIZE> key = {'s', 'e', 'c', 'r', 'e', 't', 0, 1, 2, 0xAA, 0x55, 0xA5, 0x5A, 0xFF, 0x7F};
    EXPECT_EQ(KX_SetKey(key.data()), 1);
    EXPECT_EQ(reader.key(), key);
    EXPECT_EQ(lastFrame(reader).size(), 20u);
    auto back = filled<KX_KEY_SIZE>(0);
    EXPECT_EQ(KX_GetKey(back.data()), 1);
    EXPECT_EQ(back, key);
}

TEST_F(ReaderTest, EveryByteValueCrossesBothWays)
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
        ASSERT_EQ(KX_ReadData(n, &record), 1);
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
        ASSERT_EQ(KX_LoadCmpData(numbers[e], &entry), 1) << e;
        const auto list = reader.compareList();
        ASSERT_EQ(list.count(numbers[e]), 1u) << e;
        EXPECT_EQ(std::memcmp(list.at(numbers[e]).data(), entry.cardNumber, 16), 0) << e;
    }
}

TEST_F(ReaderTest, NullBuffersAreRefusedBeforeAnythingIsSent)
{
    auto &reader = connected();
    std::uint8_t buffer[32];
    std::uint16_t length;
    EXPECT_EQ(KX_ReadData(0, nullptr), 0);
    EXPECT_EQ(KX_QueryNumber(nullptr), 0);
    EXPECT_EQ(KX_SetTime(nullptr), 0);
    EXPECT_EQ(KX_LoadCmpData(0, nullptr), 0);
    EXPECT_EQ(KX_ReadCmpData(0, nullptr), 0);
    EXPECT_EQ(KX_SetDomain(nullptr, 0), 0);
    EXPECT_EQ(KX_GetDomain(nullptr, &length), 0);
    EXPECT_EQ(KX_GetDomain(buffer, nullptr), 0);
    EXPECT_EQ(KX_SetKey(nullptr), 0);
    EXPECT_EQ(KX_GetKey(nullptr), 0);
    EXPECT_EQ(reader.requestCount(), 0u);
}

// One command per reply rule, against every fault the reader can show.
TEST_F(ReaderTest, VerdictsFollowTheRuleOfEachCommand)
{
    using kestlink::test::ReplyRule;
    auto &reader = connected(10);
    const DeviceTime time = {0x20, 25, 6, 7, 8, 9, 10};
    for (const auto &row : kestlink::test::kFaultVerdicts) {
        for (ReplyRule rule : {ReplyRule::Data, ReplyRule::Any, ReplyRule::Status, ReplyRule::Count}) {
            const std::uint8_t code = rule == ReplyRule::Data     ? 0x01
                                      : rule == ReplyRule::Any    ? 0x02
                                      : rule == ReplyRule::Status ? 0x05
                                                                  : 0x04;
            reader.clearFaults();
            if (row.fault)
                reader.addFault(FaultRule{*row.fault, code, 1, 1u});
            int result = -1;
            TagRecord record;
            std::uint16_t count = 0xBEEF;
            switch (rule) {
            case ReplyRule::Data: result = KX_ReadData(3, &record); break;
            case ReplyRule::Any: result = KX_DeleteAllData(); break;
            case ReplyRule::Status: result = KX_SetTime(&time); break;
            case ReplyRule::Count: result = KX_QueryNumber(&count); break;
            }
            const bool expected = kestlink::test::verdictOf(row, rule);
            EXPECT_EQ(result, expected ? 1 : 0)
                << "fault " << (row.fault ? static_cast<int>(*row.fault) : -1) << " on command " << int(code);
            if (rule == ReplyRule::Count && !expected) {
                EXPECT_EQ(count, 0xBEEF) << "a failed count leaves the caller's value";
            }
            if (row.fault == FaultKind::HangUp) {
                // The reader is away for a moment before its line comes back.
                std::this_thread::sleep_for(std::chrono::milliseconds(150));
                EXPECT_EQ(KX_Connect(), 1) << "the reader comes back after a hang-up";
            }
            reader.setRecords(kestsim::sampleRecords(10));
        }
    }
}

TEST_F(ReaderTest, HangUpMidTransactionThenConnectAgain)
{
    auto &reader = connected(20);
    reader.addFault(FaultRule{FaultKind::HangUp, 0x01, 1, 1u});
    TagRecord record;
    EXPECT_EQ(KX_ReadData(0, &record), 0);
    std::uint16_t count = 0;
    EXPECT_EQ(KX_QueryNumber(&count), 0) << "the line is gone until the next connect";
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(KX_Connect(), 1);
    EXPECT_EQ(KX_QueryNumber(&count), 1);
    EXPECT_EQ(count, 20);
    EXPECT_EQ(KX_ReadData(0, &record), 1);
}

TEST_F(ReaderTest, CallsFromSeveralThreadsNeverInterleave)
{
    auto &reader = connected(100);
    const auto records = reader.records();
    std::atomic<int> failures{0};
    auto worker = [&](int offset) {
        for (int i = 0; i < 15; ++i) {
            TagRecord record;
            const auto n = static_cast<std::uint16_t>((offset + i * 3) % 100);
            if (KX_ReadData(n, &record) != 1 || std::memcmp(&record, records[n].data(), 31) != 0)
                ++failures;
        }
    };
    std::thread a(worker, 0), b(worker, 1), c(worker, 2);
    a.join();
    b.join();
    c.join();
    EXPECT_EQ(failures.load(), 0);
    for (const auto &frame : reader.requests())
        EXPECT_TRUE(frame.wellFormed) << kestsim::hexBytes(frame.bytes);
}
