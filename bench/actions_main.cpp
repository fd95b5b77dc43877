// SPDX-License-Identifier: MIT
// The program's list actions through its model, with no reader and no waits:
// 65,535 rows appended to the list, duplicates removed from them (half the
// rows repeat a card), the list exported to a CSV file synced to the disk, a
// 64 KiB comparison file loaded. Times come from Google Benchmark, peak memory
// and a first run from a fresh child process per action. Prints figures;
// never fails on them.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <linux/magic.h>
#include <optional>
#include <string>
#include <sys/vfs.h>
#include <unistd.h>

#include "action_benchmarks.h"
#include "action_inputs.h"
#include "action_names.h"
#include "memory_child.h"
#include "timing_capture.h"

namespace {

using namespace kestbench;

constexpr double kTimeGoalMs = 100;
constexpr double kListGoalMiB = 64;

struct Options {
    std::string folder;          // where the scratch folder goes, or the child's scratch folder
    std::optional<Action> child; // set: this process is the child measuring one action
};

bool parse(int argc, char **argv, Options &options)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], kFolderOption) == 0 && i + 1 < argc) {
            options.folder = argv[++i];
        } else if (std::strcmp(argv[i], kMemoryOfOption) == 0 && i + 1 < argc) {
            options.child = actionFromName(argv[++i]);
            if (!options.child)
                return false;
        } else {
            return false;
        }
    }
    return !options.child || !options.folder.empty();
}

std::string defaultFolder()
{
    const char *tmp = std::getenv("TMPDIR");
    return tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
}

// The export's fsync means nothing on a file system in memory: say where it went.
std::string fileSystemNote(const std::string &folder)
{
    struct statfs fs {};
    if (::statfs(folder.c_str(), &fs) != 0)
        return "file system unknown";
    if (fs.f_type == TMPFS_MAGIC)
        return "tmpfs: the export's fsync reaches no disk, pass --dir on a disk";
    return "not tmpfs, so the export's fsync waits for the disk";
}

double mib(long kib) { return static_cast<double>(kib) / 1024.0; }

struct Figures {
    double medianMs = -1;
    std::optional<ActionMemory> memory;
    double worstMs() const { return std::max(medianMs, memory ? memory->firstRunMs : -1.0); }
};

std::string timeText(const Figures &f)
{
    char text[96];
    std::snprintf(text, sizeof text, "%.2f ms (first run in a fresh process %.2f ms)", f.medianMs,
                  f.memory ? f.memory->firstRunMs : -1.0);
    return text;
}

std::string peakText(const Figures &f)
{
    if (!f.memory)
        return "peak memory not measured: the child failed";
    if (!f.memory->measured)
        return "peak memory not measured: " + f.memory->why;
    char text[64];
    std::snprintf(text, sizeof text, "peak memory +%.1f MiB", mib(f.memory->growth.peakKiB));
    return text;
}

const char *timeVerdict(const Figures &f)
{
    if (f.medianMs < 0 || !f.memory)
        return "not measured";
    return f.worstMs() < kTimeGoalMs ? "met" : "missed";
}

void printSummary(const Figures (&f)[4])
{
    const Figures &append = f[0];
    std::printf("| append 65,535 rows to the list | %s; %s, %.1f MiB still held after | list under %.0f MiB | %s |\n",
                timeText(append).c_str(), peakText(append).c_str(),
                append.memory ? mib(append.memory->growth.residentKiB) : -1.0, kListGoalMiB,
                !append.memory || !append.memory->measured          ? "not measured"
                : mib(append.memory->growth.peakKiB) < kListGoalMiB ? "met"
                                                                    : "missed");
    std::printf("| remove duplicates from 65,535 rows, half repeated | %s; %s | under %.0f ms | %s |\n",
                timeText(f[1]).c_str(), peakText(f[1]).c_str(), kTimeGoalMs, timeVerdict(f[1]));
    std::printf("| export 65,535 rows to CSV, synced to the disk | %s; %s | under %.0f ms | %s |\n",
                timeText(f[2]).c_str(), peakText(f[2]).c_str(), kTimeGoalMs, timeVerdict(f[2]));
    std::printf("| load a 64 KiB comparison file | %s; %s | none set | - |\n", timeText(f[3]).c_str(),
                peakText(f[3]).c_str());
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    Options options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr, "usage: %s [--dir FOLDER] [Google Benchmark options]\n", argv[0]);
        return 2;
    }
    // The list is a Qt model: it gets the application object the program has.
    QCoreApplication app(argc, argv);
    if (options.child)
        return measureHere(*options.child, ScratchFiles{options.folder});

    const std::string base = options.folder.empty() ? defaultFolder() : options.folder;
    std::string pattern = base + "/kestrix-bench.XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror(("cannot make a scratch folder in " + base).c_str());
        return 1;
    }
    const ScratchFiles files{pattern};
    if (!writeCompareFile(files.comparePath(), kCompareFileBytes)) {
        std::fprintf(stderr, "cannot write %s\n", files.comparePath().c_str());
        return 1;
    }
    std::printf("List actions on %zu rows; scratch folder %s (%s)\n\n", kListRows, files.folder.c_str(),
                fileSystemNote(files.folder).c_str());
    std::fflush(stdout);

    registerActionBenchmarks(files);
    TimingCapture capture;
    benchmark::RunSpecifiedBenchmarks(&capture);
    benchmark::Shutdown();

    Figures figures[4];
    for (std::size_t i = 0; i < kActions.size(); ++i) {
        figures[i].medianMs = capture.milliseconds(std::string(actionName(kActions[i])));
        figures[i].memory = measureInFreshProcess(kActions[i], files);
    }
    ::unlink(files.comparePath().c_str());
    ::rmdir(files.folder.c_str());

    std::printf("\n%-18s %10s %14s %12s %12s\n", "action", "median ms", "first run ms", "peak MiB", "held MiB");
    for (std::size_t i = 0; i < kActions.size(); ++i) {
        const Figures &f = figures[i];
        const bool measured = f.memory && f.memory->measured;
        std::printf("%-18s %10.3f %14.3f %12.2f %12.2f\n", std::string(actionName(kActions[i])).c_str(), f.medianMs,
                    f.memory ? f.memory->firstRunMs : -1.0, measured ? mib(f.memory->growth.peakKiB) : -1.0,
                    measured ? mib(f.memory->growth.residentKiB) : -1.0);
    }
    std::printf("(peak: the most resident memory the action added at once; held: what it still adds when "
                "done; -1: not measured)\n\n");
    printSummary(figures);
    return 0;
}
