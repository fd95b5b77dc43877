// SPDX-License-Identifier: MIT
// The device tests: virtual readers on pseudo-terminals, found by one build of
// the library as a real reader would be. Each case runs against the library
// of this process and, under Wine, against the 64-bit and the 32-bit Windows
// DLL (see link_under_test.h).
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <vector>

#include "kestsim/sample_records.h"
#include "kestsim/simulator.h"
#include "kestsim/virtual_reader.h"
#include "kestrix_testing/link_under_test.h"

class LinkTest : public ::testing::TestWithParam<kestlink::test::Build> {
protected:
    void SetUp() override;
    void TearDown() override;

    kestlink::test::LinkUnderTest &link() { return *link_; }

    kestsim::VirtualReader &addReader(int com, std::size_t records = 300);
    // The reader on COM3, connected, its request log cleared.
    kestsim::VirtualReader &connected(std::size_t records = 300);

    kestsim::Simulator sim;

private:
    std::unique_ptr<kestlink::test::LinkUnderTest> link_;
};

// What the reader received, and the last frame of it.
std::vector<std::uint8_t> codesOf(const kestsim::VirtualReader &reader);
std::vector<std::uint8_t> lastFrame(const kestsim::VirtualReader &reader);

inline long long msSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}
