// SPDX-License-Identifier: MIT
#include "link_fixture.h"

#include "kestrix_testing/wine/wine_link.h"
#include "kestrix_testing/wine/wine_session.h"

using kestlink::test::Build;

void LinkTest::SetUp()
{
    const Build build = GetParam();
    if (build == Build::Native) {
        link_ = kestlink::test::inProcessLink();
    } else {
        const auto probe = kestlink::test::probeOf(build);
        if (probe.empty())
            GTEST_SKIP() << "the " << kestlink::test::nameOf(build)
                         << " build is not configured (the build sets KESTLINK_PROBE_" << kestlink::test::nameOf(build)
                         << ")";
        if (const auto why = kestlink::test::WineSession::whyNotRunnable(probe); !why.empty())
            GTEST_SKIP() << why;
        link_ = kestlink::test::wineLink(probe);
    }
    link_->close();
    link_->usePortsOf(sim);
}

void LinkTest::TearDown()
{
    if (link_)
        link_->close();
    link_.reset();
}

kestsim::VirtualReader &LinkTest::addReader(int com, std::size_t records)
{
    kestsim::ReaderOptions options;
    options.records = kestsim::sampleRecords(records);
    return sim.addReader(com, std::move(options));
}

kestsim::VirtualReader &LinkTest::connected(std::size_t records)
{
    auto &reader = addReader(3, records);
    EXPECT_EQ(link().connect(), 1);
    reader.clearRequests();
    return reader;
}

std::vector<std::uint8_t> codesOf(const kestsim::VirtualReader &reader) { return reader.requestCodes(); }

std::vector<std::uint8_t> lastFrame(const kestsim::VirtualReader &reader)
{
    const auto frames = reader.requests();
    return frames.empty() ? std::vector<std::uint8_t>{} : frames.back().bytes;
}

INSTANTIATE_TEST_SUITE_P(Native, LinkTest, ::testing::Values(Build::Native));
INSTANTIATE_TEST_SUITE_P(Win64, LinkTest, ::testing::Values(Build::Win64));
INSTANTIATE_TEST_SUITE_P(Win32, LinkTest, ::testing::Values(Build::Win32));
