// SPDX-License-Identifier: MIT
// Virtual readers on pseudo-terminals, found by the library through the port
// directory, as a real reader would be.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <vector>

#include "kestlink.h"
#include "kestsim/sample_records.h"
#include "kestsim/simulator.h"
#include "kestsim/virtual_reader.h"

class ReaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        KX_Close();
        ::setenv("KESTLINK_PORT_DIR", sim.portDirectory().c_str(), 1);
    }
    void TearDown() override
    {
        KX_Close();
        ::unsetenv("KESTLINK_PORT_DIR");
    }

    kestsim::VirtualReader &addReader(int com, std::size_t records = 300)
    {
        kestsim::ReaderOptions options;
        options.records = kestsim::sampleRecords(records);
        return sim.addReader(com, std::move(options));
    }

    // The reader on COM3, connected.
    kestsim::VirtualReader &connected(std::size_t records = 300)
    {
        auto &reader = addReader(3, records);
        EXPECT_EQ(KX_Connect(), 1);
        reader.clearRequests();
        return reader;
    }

    kestsim::Simulator sim;
};

inline std::vector<std::uint8_t> codesOf(const kestsim::VirtualReader &reader) { return reader.requestCodes(); }

inline long long msSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}
