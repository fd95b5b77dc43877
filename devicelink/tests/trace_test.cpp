// SPDX-License-Identifier: MIT
// With KESTLINK_TRACE set, the library says why each port failed and what
// each transaction carried; without it, nothing.
#include <filesystem>
#include <fstream>

#include "reader_fixture.h"

namespace {
std::string tracedConnect()
{
    ::testing::internal::CaptureStderr();
    KX_Connect();
    std::uint16_t count = 0;
    KX_QueryNumber(&count);
    return ::testing::internal::GetCapturedStderr();
}
} // namespace

TEST_F(ReaderTest, TraceTellsWhyEachPortFailed)
{
    {
        std::ofstream(sim.portDirectory() + "/COM3") << "notes\n";
    }
    sim.addSilentTerminal(4);
    auto &wrong = addReader(5);
    wrong.addFault(kestsim::FaultRule{kestsim::FaultKind::BadStatus, 0x00, 1, std::nullopt});
    addReader(7, 1000);

    ::setenv("KESTLINK_TRACE", "1", 1);
    const auto trace = tracedConnect();
    ::unsetenv("KESTLINK_TRACE");

    const std::string dir = sim.portDirectory();
    const char *expected[] = {
        "COM3 (",
        "/COM3): not a terminal",
        "COM4 (",
        "/COM4): no handshake reply",
        "/COM5): wrong handshake reply a5 00 01 01 02\n", // the handshake reads five bytes
        "COM6 (",
        "/COM6): no such port",
        "/COM7): reader answered a5 00 00 00 5a, connected",
        "query-count: sent aa 04 00 04 55; received a5 04 02 e8 03 f1 5a (7 bytes): ok",
    };
    for (const char *text : expected)
        EXPECT_NE(trace.find(text), std::string::npos) << text << "\n" << trace;
    EXPECT_NE(trace.find(dir), std::string::npos);
    std::filesystem::remove(dir + "/COM3");
}

TEST_F(ReaderTest, SilentWithoutTrace)
{
    addReader(3);
    ::unsetenv("KESTLINK_TRACE");
    EXPECT_EQ(tracedConnect(), "");
}
