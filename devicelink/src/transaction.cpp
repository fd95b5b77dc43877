#include "transaction.h"

#include <atomic>
#include <thread>

#include "link.h"
#include "trace.h"

namespace kestlink {

namespace {
std::atomic<ReadEnd> theReadEnd{ReadEnd::WholeReply};
} // namespace

void setReadEnd(ReadEnd mode) { theReadEnd = mode; }
ReadEnd readEnd() { return theReadEnd; }

bool transact(protocol::Command command, std::span<const std::uint8_t> payload, Reply &reply)
{
    const auto &info = protocol::commandInfo(command);
    const auto request = protocol::buildRequest(command, payload);

    auto lock = lockLink();
    auto &port = channel();
    if (port.isClosed()) {
        trace::message(std::string(info.name) + ": not connected, nothing sent");
        return false;
    }

    port.purge();
    port.write(request.bytes.data(), request.size);
    // The reader is given its fixed time whether or not it answers sooner.
    std::this_thread::sleep_for(info.wait);

    const bool endEarly = readEnd() == ReadEnd::WholeReply && protocol::mayEndEarly(info.rule);
    std::size_t received = 0;
    if (!port.read(reply.bytes.data(), reply.bytes.size(), &received,
                   endEarly ? protocol::isWholeReply : nullptr))
        received = 0; // a line that failed (hung up) gave nothing to judge
    reply.size = received;

    const bool verdict = protocol::judgeReply(info, reply.received());
    trace::transaction(info, request.view(), reply.received(), verdict);
    return verdict;
}

} // namespace kestlink
