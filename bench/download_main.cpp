// How close a download comes to the reader's fixed wait: KX_ReadData for N
// records (default 1000) against the virtual reader paced at its default
// baud rate, first with reads that end on the whole reply, then with reads
// that wait for the line to fall silent. Prints figures; never fails on them.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "kestlink.h"
#include "kestsim/sample_records.h"
#include "kestsim/simulator.h"
#include "kestsim/wire_pace.h"
#include "frame.h"
#include "link.h"
#include "read_timing.h"
#include "transaction.h"

namespace {

constexpr double kGoalRatio = 1.05;

bool parseRecords(int argc, char **argv, std::size_t &records)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--records") == 0 && i + 1 < argc) {
            char *end = nullptr;
            const unsigned long n = std::strtoul(argv[++i], &end, 10);
            if (*end != '\0' || n == 0 || n > kestsim::kMaxRecords)
                return false;
            records = n;
        } else {
            return false;
        }
    }
    return true;
}

void printMode(const char *name, const kestbench::ReadTimes &t, double floorMs)
{
    std::printf("%-15s %8.3f %8.3f %8.3f %9.1f %8.3fx %6zu %6zu\n", name, t.meanMs, t.medianMs, t.maxMs,
                t.totalMs / 1000.0, t.meanMs / floorMs, t.failed, t.wrong);
}

} // namespace

int main(int argc, char **argv)
{
    std::size_t records = 1000;
    if (!parseRecords(argc, argv, records)) {
        std::fprintf(stderr, "usage: %s [--records N]   (1 to 65535, default 1000)\n", argv[0]);
        return 2;
    }

    kestsim::Simulator sim;
    kestsim::ReaderOptions options;
    options.records = kestsim::sampleRecords(records);
    const unsigned baud = options.baud;
    const auto expected = options.records;
    sim.addReader(3, std::move(options));
    ::setenv("KESTLINK_PORT_DIR", sim.portDirectory().c_str(), 1);
    if (KX_Connect() != 1) {
        std::fprintf(stderr, "could not connect to the virtual reader in %s\n", sim.portDirectory().c_str());
        return 1;
    }

    // The figures the floor is made of, taken from the library and the
    // virtual reader rather than written down a second time.
    using kestlink::protocol::Command;
    const auto &info = kestlink::protocol::commandInfo(Command::ReadRecord);
    const double floorMs = static_cast<double>(info.wait.count());
    const std::size_t requestBytes =
        kestlink::protocol::buildRequest(Command::ReadRecord, kestlink::protocol::numberPayload(0)).size;
    const std::size_t replyBytes = kestlink::protocol::kFrameOverhead + info.dataLength;
    const double wireMs =
        std::chrono::duration<double, std::milli>(kestsim::WirePace(baud).durationOf(requestBytes + replyBytes))
            .count();
    kestlink::Timeouts timeouts;
    kestlink::channel().getTimeouts(timeouts);

    std::printf("Download: KX_ReadData for %zu records from the virtual reader at %u baud\n", records, baud);
    std::printf("floor: the %.0f ms fixed wait per record; the %zu-byte request and %zu-byte reply take "
                "%.2f ms on the wire, inside the wait\n",
                floorMs, requestBytes, replyBytes, wireMs);
    std::printf("the plain read also waits out the %u ms silence after the last byte\n\n",
                static_cast<unsigned>(timeouts.readIntervalMs));

    kestlink::setReadEnd(kestlink::ReadEnd::WholeReply);
    const auto whole = kestbench::timeReads(expected);
    kestlink::setReadEnd(kestlink::ReadEnd::TimeoutsOnly);
    const auto plain = kestbench::timeReads(expected);
    kestlink::setReadEnd(kestlink::ReadEnd::WholeReply);
    KX_Close();

    std::printf("%-15s %8s %8s %8s %9s %9s %6s %6s\n", "read ends on", "mean ms", "median", "max", "total s",
                "/floor", "failed", "wrong");
    printMode("whole reply", whole, floorMs);
    printMode("silence only", plain, floorMs);
    const double speedUp = plain.meanMs / whole.meanMs;
    std::printf("speed-up of ending on the whole reply: %.2fx\n\n", speedUp);

    // The rows scripts/bench.sh gathers into its summary: measure | figure | goal | met.
    const bool clean = whole.failed + whole.wrong + plain.failed + plain.wrong == 0;
    const double ratio = whole.meanMs / floorMs;
    std::printf("| download of %zu records, read ends on the whole reply | %.2f ms per record, %.3fx the "
                "%.0f ms floor | at most %.2fx the floor | %s |\n",
                records, whole.meanMs, ratio, floorMs, kGoalRatio,
                !clean ? "no: reads failed" : ratio <= kGoalRatio ? "met" : "missed");
    std::printf("| download of %zu records, read waits out the %u ms silence | %.2f ms per record, %.3fx the "
                "floor; ending on the whole reply is %.2fx faster | for comparison | %s |\n",
                records, static_cast<unsigned>(timeouts.readIntervalMs), plain.meanMs, plain.meanMs / floorMs,
                speedUp, clean ? "-" : "no: reads failed");
    return clean ? 0 : 1;
}
