// SPDX-License-Identifier: MIT
// The tool against virtual readers: a simulator in the test process, its
// port directory in the environment the tool inherits.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "kestsim/record.h"
#include "kestsim/sample_records.h"
#include "kestsim/simulator.h"
#include "kestsim/virtual_reader.h"
#include "kestrix_testing/test_files.h"
#include "tool_process.h"

namespace kestlink_cli::test {

class ToolTest : public ::testing::Test {
protected:
    void SetUp() override { ::setenv("KESTLINK_PORT_DIR", sim.portDirectory().c_str(), 1); }
    void TearDown() override { ::unsetenv("KESTLINK_PORT_DIR"); }

    kestsim::VirtualReader &addReader(std::vector<kestsim::Record> records, int com = 3)
    {
        kestsim::ReaderOptions options;
        options.records = std::move(records);
        options.baud = 0; // the wire's pace is not what these tests are about
        return sim.addReader(com, std::move(options));
    }
    kestsim::VirtualReader &addReader(std::size_t count, int com = 3)
    {
        return addReader(kestsim::sampleRecords(count), com);
    }

    // Standard output split into lines.
    static std::vector<std::string> lines(const std::string &out)
    {
        std::vector<std::string> result;
        std::size_t start = 0;
        for (std::size_t end; (end = out.find('\n', start)) != std::string::npos; start = end + 1)
            result.push_back(out.substr(start, end - start));
        return result;
    }

    kestsim::Simulator sim;
    kestrix::test::TempDir dir;
};

} // namespace kestlink_cli::test
