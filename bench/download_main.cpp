// SPDX-License-Identifier: MIT
// How close a download comes to the reader's fixed wait, and what a reader
// that trails its replies with stray bytes costs it. KX_ReadData for N
// records (default 1000) against the virtual reader paced at its default baud
// rate: through this library, once with reads that end on the whole reply and
// once with reads that wait for the line to fall silent, and through the
// 64-bit and 32-bit Windows DLLs under Wine. Then a reader that answers each
// record after 24 ms and sends a stray byte 4 ms after each reply, through
// each of them. Prints figures; never fails on them.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "kestlink/host.h"
#include "kestsim/command.h"
#include "kestsim/sample_records.h"
#include "kestsim/simulator.h"
#include "kestsim/virtual_reader.h"
#include "kestsim/wire_pace.h"
#include "read_timing.h"
#include "kestrix_testing/wine/wine_link.h"
#include "kestrix_testing/wine/wine_session.h"

namespace {

using kestlink::test::Build;
using namespace std::chrono_literals;

constexpr double kGoalRatio = 1.05;

struct Options {
    std::size_t records = 1000;
    std::size_t strayCalls = 100;
};

bool parseCount(const char *text, std::size_t max, std::size_t &out)
{
    char *end = nullptr;
    const unsigned long n = std::strtoul(text, &end, 10);
    if (*end != '\0' || n == 0 || n > max)
        return false;
    out = n;
    return true;
}

bool parseOptions(int argc, char **argv, Options &options)
{
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--records") == 0 && hasValue) {
            if (!parseCount(argv[++i], kestsim::kMaxRecords, options.records))
                return false;
        } else if (std::strcmp(argv[i], "--stray-calls") == 0 && hasValue) {
            if (!parseCount(argv[++i], kestsim::kMaxRecords, options.strayCalls))
                return false;
        } else {
            return false;
        }
    }
    return true;
}

// The Windows builds this benchmark was built with, unless the environment
// names others.
void defaultToTheBuiltWindowsDlls()
{
#if defined(KESTLINK_BENCH_PROBE_WIN64)
    ::setenv("KESTLINK_PROBE_WIN64", KESTLINK_BENCH_PROBE_WIN64, 0);
    ::setenv("KESTLINK_PROBE_WIN32", KESTLINK_BENCH_PROBE_WIN32, 0);
    ::setenv("KESTLINK_WINE_PREFIX", KESTLINK_BENCH_WINE_PREFIX, 0);
#endif
}

// One build of the library and the way its reads end.
struct Subject {
    std::string name;
    Build build;
    kestlink::ReadEnd readEnd; // this library's only; a DLL ends on the whole reply
};

std::unique_ptr<kestlink::test::LinkUnderTest> open(const Subject &s, const kestsim::Simulator &sim)
{
    std::unique_ptr<kestlink::test::LinkUnderTest> link;
    if (s.build == Build::Native) {
        link = kestlink::test::inProcessLink();
        kestlink::setReadEnd(s.readEnd);
    } else {
        const auto probe = kestlink::test::probeOf(s.build);
        if (probe.empty())
            return nullptr;
        link = kestlink::test::wineLink(probe);
    }
    link->usePortsOf(sim);
    if (link->connect() != 1) {
        std::fprintf(stderr, "%s: could not connect to the virtual reader in %s\n", s.name.c_str(),
                     sim.portDirectory().c_str());
        return nullptr;
    }
    return link;
}

void printTimes(const char *name, const kestbench::ReadTimes &t, double floorMs)
{
    std::printf("%-22s %8.3f %8.3f %8.3f %9.1f %8.3fx %6zu %6zu\n", name, t.meanMs, t.medianMs, t.maxMs,
                t.totalMs / 1000.0, t.meanMs / floorMs, t.failed, t.wrong);
}

struct Measured {
    Subject subject;
    bool ran = false;
    std::string notRun; // why, when it did not run
    kestbench::ReadTimes prompt;
    kestbench::ReadTimes trailing;
};

} // namespace

int main(int argc, char **argv)
{
    Options options;
    if (!parseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: %s [--records N] [--stray-calls M]   (1 to 65535; defaults 1000, 100)\n", argv[0]);
        return 2;
    }
    defaultToTheBuiltWindowsDlls();

    kestsim::Simulator sim;
    kestsim::ReaderOptions readerOptions;
    readerOptions.records = kestsim::sampleRecords(std::max(options.records, options.strayCalls));
    const unsigned baud = readerOptions.baud;
    const auto all = readerOptions.records;
    auto &reader = sim.addReader(3, std::move(readerOptions));
    const std::vector<kestsim::Record> prompt(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(options.records));
    const std::vector<kestsim::Record> trailed(all.begin(),
                                               all.begin() + static_cast<std::ptrdiff_t>(options.strayCalls));

    // The figures the floor is made of, taken from the library and the
    // virtual reader rather than written down a second time.
    const kestlink::RecordExchange exchange = kestlink::recordExchange();
    const double floorMs = static_cast<double>(exchange.wait.count());
    const std::size_t requestBytes = exchange.requestBytes;
    const std::size_t replyBytes = exchange.replyBytes;
    const double wireMs =
        std::chrono::duration<double, std::milli>(kestsim::WirePace(baud).durationOf(requestBytes + replyBytes))
            .count();

    std::printf("Download: KX_ReadData for %zu records from the virtual reader at %u baud\n", options.records, baud);
    std::printf("floor: the %.0f ms fixed wait per record; the %zu-byte request and %zu-byte reply take "
                "%.2f ms on the wire, inside the wait\n",
                floorMs, requestBytes, replyBytes, wireMs);
    std::printf("the plain read also waits out the 20 ms silence after the last byte; under Wine each call is "
                "timed inside the Windows process\n\n");

    std::vector<Measured> runs = {
        {{"Linux, whole reply", Build::Native, kestlink::ReadEnd::WholeReply}, false, {}, {}, {}},
        {{"Linux, silence only", Build::Native, kestlink::ReadEnd::TimeoutsOnly}, false, {}, {}, {}},
        {{"Win64 DLL under Wine", Build::Win64, kestlink::ReadEnd::WholeReply}, false, {}, {}, {}},
        {{"Win32 DLL under Wine", Build::Win32, kestlink::ReadEnd::WholeReply}, false, {}, {}, {}},
    };
    const auto straying = [&] {
        reader.addFault({kestsim::FaultKind::Delay, kestsim::command::kReadRecord, 1, std::nullopt, 24ms});
        reader.addFault({kestsim::FaultKind::StrayBytes, kestsim::command::kReadRecord, 1, std::nullopt, 4ms});
    };
    for (auto &run : runs) {
        std::fprintf(stderr, "-- %s\n", run.subject.name.c_str());
        if (run.subject.build != Build::Native) {
            const auto probe = kestlink::test::probeOf(run.subject.build);
            if (const auto why = kestlink::test::WineSession::whyNotRunnable(probe); !probe.empty() && !why.empty()) {
                std::fprintf(stderr, "%s: not run: %s\n", run.subject.name.c_str(), why.c_str());
                run.notRun = why;
                continue;
            }
        }
        auto link = open(run.subject, sim);
        if (!link)
            continue;
        reader.clearFaults();
        run.prompt = kestbench::timeReads(*link, prompt);
        straying();
        run.trailing = kestbench::timeReads(*link, trailed);
        reader.clearFaults();
        link->close();
        run.ran = true;
    }
    kestlink::setReadEnd(kestlink::ReadEnd::WholeReply);

    std::printf("%-22s %8s %8s %8s %9s %9s %6s %6s\n", "prompt reader", "mean ms", "median", "max", "total s", "/floor",
                "failed", "wrong");
    for (const auto &run : runs)
        if (run.ran)
            printTimes(run.subject.name.c_str(), run.prompt, floorMs);
    std::printf("\n%-22s %8s %8s %8s %9s %9s %6s %6s\n", "24 ms + stray at 4 ms", "mean ms", "median", "max", "total s",
                "/floor", "failed", "wrong");
    for (const auto &run : runs)
        if (run.ran)
            printTimes(run.subject.name.c_str(), run.trailing, floorMs);
    std::printf("\n");

    // The rows scripts/bench.sh gathers into its summary: measure | figure | goal | met.
    bool clean = true;
    const auto &plain = runs[1];
    for (const auto &run : runs) {
        if (!run.ran) {
            std::printf("| download of %zu records, %s | not run (%s) | at most %.1f ms per record | no |\n",
                        options.records, run.subject.name.c_str(),
                        run.notRun.empty() ? "no such build or no Wine" : run.notRun.c_str(), floorMs * kGoalRatio);
            continue;
        }
        const bool ok = run.prompt.failed + run.prompt.wrong == 0;
        clean = clean && ok;
        const double ratio = run.prompt.meanMs / floorMs;
        const bool forComparison = run.subject.readEnd == kestlink::ReadEnd::TimeoutsOnly;
        std::printf("| download of %zu records, %s | %.2f ms per record, %.3fx the %.0f ms floor | %s | %s |\n",
                    options.records, run.subject.name.c_str(), run.prompt.meanMs, ratio, floorMs,
                    forComparison ? "for comparison" : "at most 1.05x the floor (31.5 ms)",
                    !ok                   ? "no: reads failed"
                    : forComparison       ? "-"
                    : ratio <= kGoalRatio ? "met"
                                          : "missed");
    }
    if (runs[0].ran && plain.ran)
        std::printf("| ending on the whole reply instead of the silence | %.2fx faster | for comparison | - |\n",
                    plain.prompt.meanMs / runs[0].prompt.meanMs);
    for (const auto &run : runs) {
        if (!run.ran)
            continue;
        const std::size_t lost = run.trailing.failed + run.trailing.wrong;
        std::printf("| reader answering after 24 ms with a stray byte 4 ms later, %s | %zu of %zu calls failed "
                    "or wrong | none | %s |\n",
                    run.subject.name.c_str(), lost, run.trailing.reads, lost == 0 ? "met" : "missed");
    }
    return clean ? 0 : 1;
}
