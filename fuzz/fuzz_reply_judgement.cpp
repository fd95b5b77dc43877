// SPDX-License-Identifier: MIT
// Any bytes as a reply, judged under every rule: the verdicts must follow the
// rules as protocol.h states them, and no verdict may look past the bytes. Every
// prefix of the input is judged too, each in a buffer of exactly its length,
// since a read delivers a reply a piece at a time.
#include <cstddef>
#include <cstdint>

#include "exact_buffer.h"
#include "protocol.h"
#include "reply_locate.h"
#include "require.h"

namespace {

using kestlink::protocol::judgeReply;
using kestlink::protocol::ReplyRule;

// The data lengths of the commands that have data replies.
constexpr std::uint8_t kDataLengthsInUse[] = {15, 23, 30, 31};

bool dataPasses(std::span<const std::uint8_t> r, std::uint8_t k)
{
    const bool verdict = judgeReply(ReplyRule::Data, k, r);
    // A data reply carries its length in byte 2 and all its data after it.
    FUZZ_REQUIRE(verdict == (r.size() >= 3u + k && r[2] == k));
    return verdict;
}

void checkReply(std::span<const std::uint8_t> r, std::uint8_t otherLength)
{
    const std::size_t n = r.size();

    const bool handshake = judgeReply(ReplyRule::Handshake, 0, r);
    FUZZ_REQUIRE(handshake == (n >= 5 && r[0] == 0xA5 && r[4] == 0x5A));
    FUZZ_REQUIRE(judgeReply(ReplyRule::Any, 0, r) == (n > 0));
    FUZZ_REQUIRE(judgeReply(ReplyRule::Status, 0, r) == (n >= 4 && r[3] == 0x00));

    const bool count = judgeReply(ReplyRule::Count, 0, r);
    if (count) {
        FUZZ_REQUIRE(n == 7);
        FUZZ_REQUIRE(r[5] == static_cast<std::uint8_t>(r[1] + r[2] + r[3] + r[4]));
        FUZZ_REQUIRE(kestlink::protocol::countFromReply(r) == r[3] + 256u * r[4]);
    } else {
        FUZZ_REQUIRE(n != 7 || r[5] != static_cast<std::uint8_t>(r[1] + r[2] + r[3] + r[4]));
    }

    // The data length matters to the data rule alone.
    for (const ReplyRule rule : {ReplyRule::Handshake, ReplyRule::Any, ReplyRule::Status, ReplyRule::Count})
        FUZZ_REQUIRE(judgeReply(rule, otherLength, r) == judgeReply(rule, 0, r));

    for (const std::uint8_t k : kDataLengthsInUse)
        dataPasses(r, k);
    dataPasses(r, otherLength);
    if (n >= 3)
        dataPasses(r, r[2]);

    // The reply is a tail of what arrived; nothing in front of a whole frame
    // at the first byte is ever skipped.
    const std::size_t start = kestlink::protocol::replyStart(r);
    FUZZ_REQUIRE(start <= n);
    if (kestlink::protocol::wholeFrameAt(r))
        FUZZ_REQUIRE(start == 0);
    const auto reply = kestlink::protocol::locateReply(r);
    FUZZ_REQUIRE(reply.size() == n - start && reply.data() == r.data() + start);

    const bool whole = kestlink::protocol::isWholeReply(r);
    FUZZ_REQUIRE(whole == (reply.size() >= 5 && reply[0] == 0xA5 && reply.size() == 5u + reply[2] &&
                           reply[reply.size() - 1] == 0x5A));
    if (whole) {
        // A whole reply holds all the data its length byte announces, and an
        // empty one is a handshake reply.
        FUZZ_REQUIRE(judgeReply(ReplyRule::Data, reply[2], reply));
        FUZZ_REQUIRE(reply[2] != 0 || judgeReply(ReplyRule::Handshake, 0, reply));
    }
    // A read waits for bytes exactly as long as the reply is not whole, and
    // never asks for more than a whole expected reply.
    for (const std::size_t expected : {std::size_t{6}, std::size_t{36}}) {
        const std::size_t needed = kestlink::protocol::bytesToWholeReply(r, expected);
        FUZZ_REQUIRE((needed == 0) == whole);
        FUZZ_REQUIRE(needed <= expected);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // The length the reply is judged against besides those in use: any byte
    // value, taken from the input so that the fuzzer steers it.
    const std::uint8_t otherLength = size > 0 ? data[size - 1] : 0;

    std::size_t wholePrefixes = 0;
    for (std::size_t n = 0; n <= size; ++n) {
        const kestrix_fuzz::ExactBuffer prefix(data, n);
        checkReply(prefix.view(), otherLength);
        wholePrefixes += kestlink::protocol::wholeFrameAt(prefix.view()) && n == 5u + data[2] ? 1 : 0;
    }
    // The length byte fixes the one length a whole frame at the start can have.
    FUZZ_REQUIRE(wholePrefixes <= 1);

    // At most one data length, the one in byte 2, lets the whole input pass.
    const kestrix_fuzz::ExactBuffer reply(data, size);
    std::size_t passing = 0;
    for (unsigned k = 0; k <= 0xFF; ++k)
        passing += dataPasses(reply.view(), static_cast<std::uint8_t>(k)) ? 1 : 0;
    FUZZ_REQUIRE(passing <= 1);
    return 0;
}
