// SPDX-License-Identifier: MIT
// What a Windows program sees of each DLL under Wine: the exported functions
// bound by ordinal are those of the same names, and a C program linked with
// the import library and kestlink.h reads records (for the 32-bit DLL this is
// what proves the decorated __stdcall names of the import library).
#include <gtest/gtest.h>

#include <filesystem>

#include "kestsim/sample_records.h"
#include "kestsim/simulator.h"
#include "kestrix_testing/wine/probe_process.h"
#include "kestrix_testing/wine/wine_link.h"
#include "kestrix_testing/wine/wine_session.h"

using kestlink::test::Build;

namespace {

void bindsEveryFunctionByOrdinal(Build build)
{
    const auto probe = kestlink::test::probeOf(build);
    if (probe.empty())
        GTEST_SKIP() << kestlink::test::nameOf(build) << " build not configured";
    if (const auto why = kestlink::test::WineSession::whyNotRunnable(probe); !why.empty())
        GTEST_SKIP() << why;
    kestlink::test::ProbeProcess process(probe);
    EXPECT_EQ(process.greeting(), build == Build::Win64 ? "ready 64-bit" : "ready 32-bit");
    EXPECT_EQ(process.call("exports"), "ok 14 functions by ordinal and by name");
}

void aCallerLinkedWithTheImportLibraryReadsRecords(Build build)
{
    const auto probe = kestlink::test::probeOf(build);
    if (probe.empty())
        GTEST_SKIP() << kestlink::test::nameOf(build) << " build not configured";
    if (const auto why = kestlink::test::WineSession::whyNotRunnable(probe); !why.empty())
        GTEST_SKIP() << why;
    kestsim::Simulator sim;
    kestsim::ReaderOptions options;
    options.records = kestsim::sampleRecords(7);
    sim.addReader(3, std::move(options));
    auto &wine = kestlink::test::WineSession::instance();
    wine.linkPorts(sim.portDirectory());

    const auto example = (std::filesystem::path(probe).parent_path() / "kestlink_read_records.exe").string();
    const auto [status, output] = wine.runProgram(example, {"2"});
    EXPECT_EQ(status, 0) << output;
    EXPECT_EQ(output, "7 records\r\n"
                      "00001 999 012345678901 2024/01/01 08:00:00 flag 0\r\n"
                      "00002 999 012346414880 2024/01/01 08:00:17 flag 1\r\n");
}

} // namespace

TEST(WineProbe, Win64BindsEveryFunctionByOrdinal) { bindsEveryFunctionByOrdinal(Build::Win64); }
TEST(WineProbe, Win32BindsEveryFunctionByOrdinal) { bindsEveryFunctionByOrdinal(Build::Win32); }
TEST(WineProbe, Win64CallerLinkedWithTheImportLibraryReadsRecords)
{
    aCallerLinkedWithTheImportLibraryReadsRecords(Build::Win64);
}
TEST(WineProbe, Win32CallerLinkedWithTheImportLibraryReadsRecords)
{
    aCallerLinkedWithTheImportLibraryReadsRecords(Build::Win32);
}
