// SPDX-License-Identifier: MIT
#include "report.h"

#include <iomanip>
#include <ostream>
#include <string>

#include "limits.h"

namespace soak {

namespace {

void printMatrix(std::ostream &out, const Tally &tally)
{
    out << "calls by command and fault:\n" << std::setw(15) << "";
    for (const auto &f : allFaults())
        out << std::setw(14) << faultName(f);
    out << std::setw(8) << "all" << '\n';
    for (const auto &c : commands()) {
        out << std::setw(15) << std::left << c.name << std::right;
        for (const auto &f : allFaults())
            out << std::setw(14) << tally.calls[indexOf(c.command)][indexOf(f)];
        out << std::setw(8) << tally.byCommand(c.command) << '\n';
    }
    out << std::setw(15) << std::left << "all" << std::right;
    for (const auto &f : allFaults())
        out << std::setw(14) << tally.byFault(f);
    out << std::setw(8) << tally.totalCalls() << '\n';
}

void line(std::ostream &out, const char *label, long long value, const std::string &note = {})
{
    out << std::setw(22) << std::left << label << std::right << std::setw(10) << value;
    if (!note.empty())
        out << "  " << note;
    out << '\n';
}

} // namespace

bool Leaks::clean() const { return fdGrowth <= 0 && heapGrowth <= static_cast<long long>(kHeapTolerance); }

Leaks leaksBetween(const Resources &before, const Resources &after)
{
    Leaks l;
    l.fdGrowth = after.openFds - before.openFds;
    l.heapGrowth = static_cast<long long>(after.heapInUse) - static_cast<long long>(before.heapInUse);
    l.residentGrowth = static_cast<long long>(after.residentBytes) - static_cast<long long>(before.residentBytes);
    return l;
}

bool printReport(std::ostream &out, const Tally &tally, const Resources &before, const Resources &after, double seconds)
{
    const Leaks leaks = leaksBetween(before, after);
    out << "\n== results\n";
    printMatrix(out, tally);
    out << '\n';
    line(out, "calls", static_cast<long long>(tally.totalCalls()),
         "(the first ones: every command with every fault once)");
    line(out, "  of them swept", static_cast<long long>(tally.sweepCalls));
    line(out, "  succeeded", static_cast<long long>(tally.successes));
    line(out, "wrong verdicts", static_cast<long long>(tally.wrongVerdicts), "must be 0");
    line(out, "wrong data", static_cast<long long>(tally.wrongData), "must be 0 (success, but not the reader's bytes)");
    line(out, "buffers touched", static_cast<long long>(tally.buffersTouched),
         "must be 0 (a failed call wrote to the caller's buffer)");
    line(out, "writes out of bounds", static_cast<long long>(tally.outOfBounds), "must be 0");
    line(out, "wire mismatches", static_cast<long long>(tally.wireMismatches),
         "must be 0 (not exactly one request per call)");
    line(out, "state mismatches", static_cast<long long>(tally.stateMismatches),
         "must be 0 (the reader's memory after a command)");
    line(out, "over-long calls", static_cast<long long>(tally.overLong),
         "must be 0 (limit: wait + 138 ms + " + std::to_string(kCallMargin.count()) + " ms margin)");
    out << std::setw(22) << std::left << "  longest call" << std::right << std::setw(10) << std::fixed
        << std::setprecision(1) << tally.worstExcessMs << "  ms over its wait + 138 ms (" << tally.worstCall << ")\n";
    line(out, "hang-ups", static_cast<long long>(tally.hangUps));
    line(out, "recoveries", static_cast<long long>(tally.recoveries),
         "must equal hang-ups (KX_Connect gave 1 after 150 ms)");
    line(out, "failed reconnects", static_cast<long long>(tally.failedReconnects), "must be 0");
    line(out, "losses unsaid", static_cast<long long>(tally.lossesUnsaid),
         "must be 0 (KX_GetLinkState after a hang-up)");
    line(out, "records re-seeded", static_cast<long long>(tally.reseeds), "(after a delete-all took effect)");
    line(out, "open fds", before.openFds, "after the sweep");
    line(out, "  at the end", after.openFds);
    line(out, "  leaked", leaks.fdGrowth, "must be 0 or less");
    line(out, "heap in use", static_cast<long long>(before.heapInUse), "bytes, after the sweep");
    line(out, "  at the end", static_cast<long long>(after.heapInUse));
    line(out, "  growth", leaks.heapGrowth,
         "bytes; a leak when above " + std::to_string(kHeapTolerance) + " (allocator noise)");
    line(out, "resident memory", static_cast<long long>(before.residentBytes), "bytes, after the sweep");
    line(out, "  growth", leaks.residentGrowth, "bytes (shown only: freed pages stay with the process)");
    out << std::setw(22) << std::left << "total time" << std::right << std::setw(10) << std::fixed
        << std::setprecision(1) << seconds << "  s\n";

    const bool clean = tally.clean() && leaks.clean();
    out << (clean ? "clean\n" : "NOT CLEAN\n");
    return clean;
}

} // namespace soak
