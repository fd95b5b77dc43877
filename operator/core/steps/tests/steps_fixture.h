// SPDX-License-Identifier: MIT
// The operator's steps with a scripted view and toolkit, the real library
// and virtual readers on pseudo-terminals; the test's thread plays the
// user-interface thread, running what the steps post to it.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "kestlink.h"
#include "kestrix_controller.h"
#include "kestsim/sample_records.h"
#include "kestsim/simulator.h"
#include "kestsim/virtual_reader.h"
#include "kestrix_testing/scripted_toolkit.h"
#include "scripted_view.h"

namespace kestrix::test {

class StepsTest : public ::testing::Test {
protected:
    using Step = void (KestrixController::*)();

    void SetUp() override
    {
        KX_Close();
        ::setenv("KESTLINK_PORT_DIR", sim.portDirectory().c_str(), 1);
        steps = std::make_unique<KestrixController>(view, toolkit, table);
        view.list = &steps->records();
    }
    void TearDown() override
    {
        steps.reset();
        KX_Close();
        ::unsetenv("KESTLINK_PORT_DIR");
    }

    kestsim::VirtualReader &addReader(std::size_t records, int com = 3)
    {
        kestsim::ReaderOptions options;
        options.records = kestsim::sampleRecords(records);
        options.baud = 0; // the wire's pace is not what these tests are about
        return sim.addReader(com, std::move(options));
    }

    // The operator presses the button of the step, and it runs to its end.
    void press(Step step)
    {
        (steps.get()->*step)();
        settle();
    }
    // Runs what the steps post until they are idle again.
    void settle()
    {
        ASSERT_TRUE(toolkit.runUntil([this] { return !steps->busy(); })) << "the steps hang";
    }

    // A reader on COM3, connected by pressing "连接设备".
    kestsim::VirtualReader &connectedReader(std::size_t records)
    {
        auto &reader = addReader(records);
        toolkit.forget();
        press(&KestrixController::connect);
        EXPECT_EQ(said(), std::vector<std::string>{"连接成功！"});
        toolkit.forget();
        reader.clearRequests();
        return reader;
    }

    void type(Field field, const std::string &text) { view.fields[field] = text; }
    std::vector<std::string> said() const { return toolkit.texts(); }
    const RecordList &rows() const { return steps->records(); }

    kestsim::Simulator sim;
    ScriptedView view;
    ScriptedToolkit toolkit;
    CompareTable table;
    std::unique_ptr<KestrixController> steps;
};

} // namespace kestrix::test
