// SPDX-License-Identifier: MIT
#include "transaction.h"

#include <atomic>
#include <thread>

#include "link.h"
#include "reply_locate.h"
#include "trace.h"

namespace kestlink {

namespace {

std::atomic<ReadEnd> theReadEnd{ReadEnd::WholeReply};

// What a transaction's read waits for: the command's reply, bytes in front of
// it or not. It ends on the whole reply where the command's rule lets it, and
// otherwise when the line falls silent after the reply has begun.
class ReplyCompletion final : public ReadCompletion {
public:
    ReplyCompletion(std::size_t expectedSize, bool endEarly) : expectedSize_(expectedSize), endEarly_(endEarly) {}
    std::size_t bytesStillNeeded(std::span<const std::uint8_t> received) const override
    {
        if (!endEarly_)
            return protocol::kReplyBufferSize; // as many as may come
        return protocol::bytesToWholeReply(received, expectedSize_);
    }
    bool begun(std::span<const std::uint8_t> received) const override { return protocol::replyBegun(received); }

private:
    std::size_t expectedSize_;
    bool endEarly_;
};

} // namespace

void setReadEnd(ReadEnd mode) { theReadEnd = mode; }
ReadEnd readEnd() { return theReadEnd; }

RecordExchange recordExchange()
{
    const auto &info = protocol::commandInfo(protocol::Command::ReadRecord);
    return {info.wait, protocol::buildRequest(protocol::Command::ReadRecord, protocol::numberPayload(0)).size,
            protocol::kFrameOverhead + info.dataLength};
}

bool transact(protocol::Command command, std::span<const std::uint8_t> payload, Reply &reply)
{
    const auto &info = protocol::commandInfo(command);
    const auto request = protocol::buildRequest(command, payload);

    trace::Lines traceLines; // written once the lock below is released
    auto lock = lockLink();
    auto &port = channel();
    if (port.isClosed()) {
        traceLines.message(std::string(info.name) + ": not connected, nothing sent");
        return false;
    }

    lineSettle().waitBeforeRequest();
    port.purge();
    port.write(request.bytes.data(), request.size);
    // The reader is given its fixed time whether or not it answers sooner.
    std::this_thread::sleep_for(info.wait);

    const bool endEarly = readEnd() == ReadEnd::WholeReply && protocol::mayEndEarly(info.rule);
    const ReplyCompletion completion(protocol::expectedReplySize(info), endEarly);
    std::size_t received = 0;
    if (!port.read(reply.bytes.data(), reply.bytes.size(), &received, &completion))
        received = 0; // a line that failed (hung up) gave nothing to judge
    reply.size = received;
    reply.start = protocol::replyStart(reply.received());
    lineSettle().readEnded(protocol::wholeFrameAt(reply.frame()), std::chrono::steady_clock::now());

    const bool verdict = protocol::judgeReply(info, reply.frame());
    traceLines.transaction(info, request.view(), reply.received(), verdict);
    if (!verdict && port.lineLost()) {
        // Nothing will pass on this handle again. Closed, every later call
        // fails at once instead of waiting out its time, and the device is
        // free for the system to give back (under the same name or a new
        // one) when the reader returns; the next connect finds it.
        port.close();
        linkLost() = true;
        traceLines.message(std::string(info.name) + ": the port went away; the connection is closed");
    }
    return verdict;
}

} // namespace kestlink
