// SPDX-License-Identifier: MIT
// Readers that do not behave as the virtual reader does by default: late,
// slow, split, noisy, with bytes that trail their replies. Each spoilt reply
// gets the verdict of its command's rule, and the call after it, whose own
// reply is healthy, always succeeds with the right data: what the line
// carries after one reply never fails the next call.
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "kestrix_testing/fault_verdicts.h"
#include "kestsim/command.h"
#include "kestsim/fault_text.h"
#include "link_fixture.h"

using kestlink::test::ReplyRule;
using kestsim::FaultKind;
using kestsim::FaultRule;
using std::chrono::milliseconds;
using namespace std::chrono_literals;

namespace {

constexpr std::size_t kRecords = 10;
constexpr std::uint16_t kProbeRecord = 3; // what the call after a fault reads

std::uint8_t codeFor(ReplyRule rule)
{
    switch (rule) {
    case ReplyRule::Data: return kestsim::command::kReadRecord;
    case ReplyRule::Any: return kestsim::command::kDeleteAllRecords;
    case ReplyRule::Status: return kestsim::command::kSetClock;
    case ReplyRule::Count: return kestsim::command::kQueryCount;
    }
    return 0;
}

FaultRule once(FaultKind kind, std::uint8_t code, std::optional<milliseconds> time = std::nullopt,
               std::vector<std::uint8_t> bytes = {})
{
    return FaultRule{kind, code, 1, 1u, time, std::move(bytes)};
}

// One way of spoiling a reply: the rules to give the reader for a command
// whose host waits `wait` before it reads, and the row of the verdict table
// that judges it.
struct Spoiling {
    const char *what;
    std::optional<FaultKind> verdictRow;
    std::function<std::vector<FaultRule>(std::uint8_t code, milliseconds wait)> rules;
};

// A reply that is complete 3 ms before the host reads, so that what trails
// it by more than that comes after the read has ended on the whole reply.
milliseconds justBeforeTheRead(milliseconds wait) { return wait - 6ms; }

const std::vector<Spoiling> &spoilings()
{
    static const std::vector<Spoiling> all = [] {
        std::vector<Spoiling> list = {
            {"a healthy reply", std::nullopt, [](std::uint8_t, milliseconds) { return std::vector<FaultRule>{}; }}};
        // Every kind as the reader plays it by default.
        for (const auto &row : kestlink::test::kFaultVerdicts) {
            if (!row.fault || *row.fault == FaultKind::Delay)
                continue;
            list.push_back({nullptr, row.fault, [kind = *row.fault](std::uint8_t code, milliseconds) {
                                return std::vector<FaultRule>{once(kind, code)};
                            }});
        }
        const auto add = [&](const char *what, std::optional<FaultKind> row, auto make) {
            list.push_back({what, row, make});
        };
        add("a reply complete just before the read", FaultKind::Delay, [](std::uint8_t code, milliseconds wait) {
            return std::vector<FaultRule>{once(FaultKind::Delay, code, justBeforeTheRead(wait))};
        });
        add("a reply that starts 60 ms into the read", FaultKind::Delay, [](std::uint8_t code, milliseconds wait) {
            return std::vector<FaultRule>{once(FaultKind::Delay, code, wait + 60ms)};
        });
        add("a reply 150 ms after the read gave up", FaultKind::LateReply, [](std::uint8_t code, milliseconds) {
            return std::vector<FaultRule>{once(FaultKind::LateReply, code, 150ms)};
        });
        add("a stray zero 4 ms after the reply", FaultKind::StrayBytes, [](std::uint8_t code, milliseconds wait) {
            return std::vector<FaultRule>{once(FaultKind::Delay, code, justBeforeTheRead(wait)),
                                          once(FaultKind::StrayBytes, code, 4ms)};
        });
        add("a line end 15 ms after the reply", FaultKind::StrayBytes, [](std::uint8_t code, milliseconds wait) {
            return std::vector<FaultRule>{once(FaultKind::Delay, code, justBeforeTheRead(wait)),
                                          once(FaultKind::StrayBytes, code, 15ms, {0x0D, 0x0A})};
        });
        add("a stray start byte 8 ms after the reply", FaultKind::StrayBytes, [](std::uint8_t code, milliseconds wait) {
            return std::vector<FaultRule>{once(FaultKind::Delay, code, justBeforeTheRead(wait)),
                                          once(FaultKind::StrayBytes, code, 8ms, {0xA5})};
        });
        add("both frame markers and a pad as noise", FaultKind::Noise, [](std::uint8_t code, milliseconds) {
            return std::vector<FaultRule>{once(FaultKind::Noise, code, 10ms, {0xA5, 0x5A, 0xFF, 0x00})};
        });
        return list;
    }();
    return all;
}

std::string describe(const Spoiling &s, const std::vector<FaultRule> &rules)
{
    std::string text = s.what ? s.what : "";
    for (const auto &rule : rules)
        text += " [" + kestsim::formatFaultRule(rule) + "]";
    return text;
}

} // namespace

class SpoiltReplyTest : public LinkTest {
protected:
    // Calls the command of the rule once, as the reader is told to spoil it,
    // and then reads a record: the first call gets the verdict of its rule,
    // the second succeeds with the reader's record.
    void checkEverySpoiling(ReplyRule rule)
    {
        auto &reader = connected(kRecords);
        const auto code = codeFor(rule);
        const auto wait = kestsim::hostWaitFor(code);
        for (const auto &spoiling : spoilings()) {
            const auto rules = spoiling.rules(code, wait);
            SCOPED_TRACE(describe(spoiling, rules));
            reader.setRecords(kestsim::sampleRecords(kRecords));
            reader.clearFaults();
            for (const auto &r : rules)
                reader.addFault(r);

            std::uint16_t count = 0xBEEF;
            EXPECT_EQ(callOnce(rule, count), kestlink::test::expectedVerdict(rule, spoiling.verdictRow) ? 1 : 0);
            if (rule == ReplyRule::Count && !kestlink::test::expectedVerdict(rule, spoiling.verdictRow)) {
                EXPECT_EQ(count, 0xBEEF) << "a failed count leaves the caller's value";
            }
            if (spoiling.verdictRow == FaultKind::HangUp) {
                // The reader is away for a moment before its line comes back.
                std::this_thread::sleep_for(150ms);
                ASSERT_EQ(link().connect(), 1) << "the reader comes back after a hang-up";
            }

            reader.setRecords(kestsim::sampleRecords(kRecords));
            TagRecord record;
            std::memset(&record, 0xEE, sizeof record);
            EXPECT_EQ(link().readData(kProbeRecord, &record), 1) << "the call after it";
            EXPECT_EQ(std::memcmp(&record, reader.records()[kProbeRecord].data(), sizeof record), 0)
                << "the call after it got another reply's bytes";
        }
    }

private:
    int32_t callOnce(ReplyRule rule, std::uint16_t &count)
    {
        static const DeviceTime time = {0x20, 25, 6, 7, 8, 9, 10};
        TagRecord record;
        switch (rule) {
        case ReplyRule::Data: return link().readData(kProbeRecord, &record);
        case ReplyRule::Any: return link().deleteAllData();
        case ReplyRule::Status: return link().setTime(&time);
        case ReplyRule::Count: return link().queryNumber(&count);
        }
        return -1;
    }
};

TEST_P(SpoiltReplyTest, DataReplies) { checkEverySpoiling(ReplyRule::Data); }
TEST_P(SpoiltReplyTest, StatusReplies) { checkEverySpoiling(ReplyRule::Status); }
TEST_P(SpoiltReplyTest, AnyReply) { checkEverySpoiling(ReplyRule::Any); }
TEST_P(SpoiltReplyTest, CountReplies) { checkEverySpoiling(ReplyRule::Count); }

// The reader that showed it first: each record after about 24 ms, and one
// stray byte 4 ms after each reply. The read ends on the whole reply, so every
// stray byte lands in front of the next reply.
TEST_P(LinkTest, ADownloadFromAReaderThatTrailsEveryReplyLosesNothing)
{
    auto &reader = connected(24);
    reader.addFault(FaultRule{FaultKind::Delay, kestsim::command::kReadRecord, 1, std::nullopt, 24ms});
    reader.addFault(FaultRule{FaultKind::StrayBytes, kestsim::command::kReadRecord, 1, std::nullopt, 4ms});
    const auto records = reader.records();
    int failed = 0, wrong = 0;
    for (std::uint16_t n = 0; n < records.size(); ++n) {
        TagRecord record;
        if (link().readData(n, &record) != 1)
            ++failed;
        else if (std::memcmp(&record, records[n].data(), sizeof record) != 0)
            ++wrong;
    }
    EXPECT_EQ(failed, 0) << "of " << records.size() << " calls";
    EXPECT_EQ(wrong, 0);
}

// A stray byte that trails one reply lands at the start of the next read; a
// reply that comes 60 ms into that read is still taken: the silence after a
// byte that is no reply does not end the read.
TEST_P(LinkTest, AReplyLateInTheReadAfterAStrayByteStillCounts)
{
    auto &reader = connected(kRecords);
    for (const std::uint8_t code : {kestsim::command::kReadRecord, kestsim::command::kQueryCount}) {
        SCOPED_TRACE(int(code));
        const auto wait = kestsim::hostWaitFor(kestsim::command::kReadRecord);
        reader.clearFaults();
        reader.addFault(once(FaultKind::Delay, kestsim::command::kReadRecord, justBeforeTheRead(wait)));
        reader.addFault(once(FaultKind::StrayBytes, kestsim::command::kReadRecord, 8ms, {0x0D}));
        reader.addFault(once(FaultKind::Delay, code, kestsim::hostWaitFor(code) + 60ms));
        TagRecord record;
        EXPECT_EQ(link().readData(kProbeRecord, &record), 1);
        if (code == kestsim::command::kReadRecord) {
            EXPECT_EQ(link().readData(kProbeRecord + 1, &record), 1);
            EXPECT_EQ(std::memcmp(&record, reader.records()[kProbeRecord + 1].data(), sizeof record), 0);
        } else {
            std::uint16_t count = 0;
            EXPECT_EQ(link().queryNumber(&count), 1);
            EXPECT_EQ(count, kRecords);
        }
    }
}

// A connect right after a reply that a line end trails by 15 ms: the line
// end does not come in front of the handshake reply.
TEST_P(LinkTest, AConnectRightAfterATrailedReplyFindsTheReader)
{
    auto &reader = connected(kRecords);
    const auto wait = kestsim::hostWaitFor(kestsim::command::kReadRecord);
    reader.addFault(once(FaultKind::Delay, kestsim::command::kReadRecord, justBeforeTheRead(wait)));
    reader.addFault(once(FaultKind::StrayBytes, kestsim::command::kReadRecord, 15ms, {0x0D, 0x0A}));
    TagRecord record;
    EXPECT_EQ(link().readData(kProbeRecord, &record), 1);
    EXPECT_EQ(link().close(), 1);
    EXPECT_EQ(link().connect(), 1);
    std::uint16_t count = 0;
    EXPECT_EQ(link().queryNumber(&count), 1);
    EXPECT_EQ(count, kRecords);
}

// A reply that comes so late that the line had fallen quiet long before the
// next call: the purge at the start of that call clears it away.
TEST_P(LinkTest, ThePurgeClearsAReplyThatCameBetweenCalls)
{
    auto &reader = connected(kRecords);
    reader.addFault(once(FaultKind::LateReply, kestsim::command::kSetClock, 100ms));
    const DeviceTime time = {0x20, 25, 6, 7, 8, 9, 10};
    EXPECT_EQ(link().setTime(&time), 0);
    std::this_thread::sleep_for(500ms); // the status reply is in long before
    TagRecord record;
    EXPECT_EQ(link().readData(kProbeRecord, &record), 1);
    EXPECT_EQ(std::memcmp(&record, reader.records()[kProbeRecord].data(), sizeof record), 0);
}

INSTANTIATE_TEST_SUITE_P(Native, SpoiltReplyTest, ::testing::Values(kestlink::test::Build::Native));
INSTANTIATE_TEST_SUITE_P(Win64, SpoiltReplyTest, ::testing::Values(kestlink::test::Build::Win64));
INSTANTIATE_TEST_SUITE_P(Win32, SpoiltReplyTest, ::testing::Values(kestlink::test::Build::Win32));
