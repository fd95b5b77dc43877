// Ending a read as soon as one whole reply has arrived must not change any
// verdict against the plain read that waits for the line to fall silent.
#include <gtest/gtest.h>

#include <cstdlib>

#include "discovery.h"
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
        std::nullopt,          FaultKind::ShortReply, FaultKind::WrongLength,  FaultKind::BadChecksum,
        FaultKind::BadStatus,  FaultKind::TrailingByte, FaultKind::SplitReply, FaultKind::NoReply,
    };

    int compared = 0;
    for (const auto &request : requests) {
        for (const auto &fault : faults) {
            bool verdicts[2];
            for (ReadEnd mode : {ReadEnd::WholeReply, ReadEnd::TimeoutsOnly}) {
                reader.setRecords(kestsim::sampleRecords(10));
                reader.clearFaults();
                if (fault)
                    reader.addFault(kestsim::FaultRule{*fault, static_cast<std::uint8_t>(request.command), 1, 1u});
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
    EXPECT_EQ(compared, 48);
    kestlink::channel().close();
    ::unsetenv("KESTLINK_PORT_DIR");
}
