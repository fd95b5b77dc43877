// SPDX-License-Identifier: MIT
#include "memory_child.h"

#include <chrono>
#include <cstdio>
#include <malloc.h>
#include <sstream>
#include <unistd.h>

#include "list_actions.h"
#include "self_child.h"

namespace kestbench {

namespace {

struct Prepared {
    std::vector<TagRecord> records;
    ShownList list;
    kestrix::CompareTable table;
};

void prepare(Action action, const ScratchFiles &files, Prepared &input)
{
    input.records = recordsWithRepeats(kListRows);
    if (action == Action::RemoveDuplicates || action == Action::ExportCsv)
        appendRecords(input.list, input.records);
    if (action == Action::ExportCsv)
        ::unlink(files.exportPath().c_str());
}

bool run(Action action, const ScratchFiles &files, Prepared &input)
{
    switch (action) {
    case Action::AppendRows: appendRecords(input.list, input.records); return true;
    case Action::RemoveDuplicates: removeDuplicates(input.list); return true;
    case Action::ExportCsv: return exportList(input.list, files.exportPath());
    case Action::LoadComparison: return loadComparison(files.comparePath(), input.table);
    }
    return false;
}

} // namespace

int measureHere(Action action, const ScratchFiles &files)
{
    Prepared input;
    prepare(action, files, input);
    // Memory the preparation freed goes back to the system first: kept by the
    // allocator, it would be handed to the action without the resident size
    // growing, and the action would look smaller than it is.
    ::malloc_trim(0);

    PeakMemoryWatch watch;
    std::string why;
    const bool watching = watch.start(why);
    const auto start = std::chrono::steady_clock::now();
    const bool done = run(action, files, input);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const MemoryGrowth growth = watching ? watch.growth() : MemoryGrowth{};
    if (action == Action::ExportCsv)
        ::unlink(files.exportPath().c_str());
    if (!done) {
        std::fprintf(stderr, "%s failed\n", std::string(actionName(action)).c_str());
        return 1;
    }
    if (watching)
        std::printf("ok %ld %ld %.3f\n", growth.peakKiB, growth.residentKiB, ms);
    else
        std::printf("unavailable %.3f %s\n", ms, why.c_str());
    return 0;
}

std::optional<ActionMemory> measureInFreshProcess(Action action, const ScratchFiles &files)
{
    const auto text = runSelf({kMemoryOfOption, std::string(actionName(action)), kFolderOption, files.folder});
    if (!text)
        return std::nullopt;
    std::istringstream line(*text);
    std::string verdict;
    ActionMemory result;
    line >> verdict;
    if (verdict == "ok") {
        line >> result.growth.peakKiB >> result.growth.residentKiB >> result.firstRunMs;
        if (line.fail())
            return std::nullopt;
        result.measured = true;
    } else if (verdict == "unavailable") {
        line >> result.firstRunMs;
        if (line.fail())
            return std::nullopt;
        std::getline(line, result.why);
    } else {
        return std::nullopt;
    }
    return result;
}

} // namespace kestbench
