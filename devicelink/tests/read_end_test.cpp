// SPDX-License-Identifier: MIT
// Ending a read as soon as one whole reply has arrived must not change any
// verdict against the plain read that waits for the line to fall silent: not
// for any fault the virtual reader can put on a reply, nor for a reply that
// comes late in the host's wait with bytes trailing it.
#include <gtest/gtest.h>

#include <cstdlib>

#include "discovery.h"
#include "kestsim/command.h"
#include "kestsim/sample_records.h"
#include "kestsim/simulator.h"
#include "kestsim/virtual_reader.h"
#include "link.h"
#include "transaction.h"

using kestlink::ReadEnd;
using kestlink::protocol::Command;
using kestsim::FaultKind;

namespace {

struct Request {
    Command command;
    std::vector<std::uint8_t> payload;
};

} // namespace

TEST(ReadEnd, VerdictsMatchThePlainTimeoutRead)
{
    kestsim::Simulator sim;
    kestsim::ReaderOptions options;
    options.records = kestsim::sampleRecords(10);
    auto &reader = sim.addReader(3, std::move(options));
    ::setenv("KESTLINK_PORT_DIR", sim.portDirectory().c_str(), 1);
    ASSERT_TRUE(kestlink::connectToReader());

    const Request requests[] = {
        {Command::ReadRecord, {0x02, 0x00}},
        {Command::ReadRecord, {0x20, 0x00}}, // past the last record
        {Command::DeleteAll, {}},
        {Command::QueryCount, {}},
        {Command::SetTime, {0x20, 0x24, 0x12, 0x31, 0x23, 0x59, 0x58}},
        {Command::GetKey, {}},
    };
    const std::optional<FaultKind> faults[] = {
        std::nullopt,         FaultKind::ShortReply,   FaultKind::WrongLength, FaultKind::BadChecksum,
        FaultKind::BadStatus, FaultKind::TrailingByte, FaultKind::SplitReply,  FaultKind::NoReply,
        FaultKind::LateReply, FaultKind::Delay,        FaultKind::StrayBytes,  FaultKind::Noise,
    };

    int compared = 0;
    for (const auto &request : requests) {
        for (const auto &fault : faults) {
            bool verdicts[2];
            for (ReadEnd mode : {ReadEnd::WholeReply, ReadEnd::TimeoutsOnly}) {
                reader.setRecords(kestsim::sampleRecords(10));
                reader.clearFaults();
                const auto code = static_cast<std::uint8_t>(request.command);
                // A reply complete 3 ms before the host reads: what trails it
                // comes in the plain read, or after the read that ended early.
                const auto justBeforeTheRead = kestsim::hostWaitFor(code) - std::chrono::milliseconds(6);
                if (fault == FaultKind::Delay || fault == FaultKind::StrayBytes)
                    reader.addFault(kestsim::FaultRule{FaultKind::Delay, code, 1, 1u, justBeforeTheRead});
                if (fault && fault != FaultKind::Delay)
                    reader.addFault(kestsim::FaultRule{*fault, code, 1, 1u});
                kestlink::setReadEnd(mode);
                kestlink::Reply reply;
                verdicts[mode == ReadEnd::WholeReply ? 0 : 1] =
                    kestlink::transact(request.command, request.payload, reply);
            }
            EXPECT_EQ(verdicts[0], verdicts[1])
                << "command " << int(request.command) << " fault " << (fault ? int(*fault) : -1);
            ++compared;
        }
    }
    kestlink::setReadEnd(ReadEnd::WholeReply);
    EXPECT_EQ(compared, 72);
    kestlink::channel().close();
    ::unsetenv("KESTLINK_PORT_DIR");
}
