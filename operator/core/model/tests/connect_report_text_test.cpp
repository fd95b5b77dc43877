// SPDX-License-Identifier: MIT
// The operator's line for each way a port can fail, and the message that
// gathers them under "连接失败！".
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "connect_report_text.h"

namespace kestrix {
namespace {

KX_PortReport port(const char *name, int32_t outcome, int32_t pid = 0, const char *holder = "")
{
    KX_PortReport report{};
    std::strncpy(report.name, name, sizeof report.name - 1);
    report.outcome = outcome;
    report.holderPid = pid;
    std::strncpy(report.holder, holder, sizeof report.holder - 1);
    return report;
}

TEST(ConnectReportTextTest, OneLinePerOutcome)
{
    const struct {
        KX_PortReport port;
        const char *line;
    } cases[] = {
        {port("COM3", KX_PORT_NOT_FOUND), "COM3：没有此端口"},
        {port("COM4", KX_PORT_NO_PERMISSION), "COM4：没有权限。请运行 sudo usermod -aG dialout $USER，然后重新登录"},
        {port("COM5", KX_PORT_NOT_A_PORT), "COM5：不是串口"},
        {port("COM6", KX_PORT_NO_ANSWER), "COM6：没有应答"},
        {port("COM7", KX_PORT_WRONG_ANSWER), "COM7：应答不正确（不是读卡器）"},
        {port("COM8", KX_PORT_FAILED), "COM8：无法打开"},
        {port("COM9", 99), "COM9：无法打开"},
        {port("usb-Maker_Reader_R1-if00-port0", KX_PORT_ANSWERED), "usb-Maker_Reader_R1-if00-port0：读卡器已应答"},
        {port("/dev/ttyUSB0", KX_PORT_BUSY, 4242, "minicom"), "/dev/ttyUSB0：已被程序 minicom（PID 4242）占用"},
        {port("/dev/ttyUSB1", KX_PORT_BUSY), "/dev/ttyUSB1：已被其他程序占用"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(portReasonLine(c.port), c.line);
}

TEST(ConnectReportTextTest, FieldsWithoutTheirZeroAreReadToTheirEnd)
{
    KX_PortReport report = port("", KX_PORT_BUSY, 7);
    std::memset(report.name, 'n', sizeof report.name);
    std::memset(report.holder, 'h', sizeof report.holder);
    EXPECT_EQ(portReasonLine(report), std::string(KX_PORT_NAME_SIZE, 'n') + "：已被程序 " +
                                          std::string(KX_PORT_HOLDER_SIZE, 'h') + "（PID 7）占用");
}

TEST(ConnectReportTextTest, TheFailureComesFirstThenEachPort)
{
    const std::vector<KX_PortReport> ports = {port("COM3", KX_PORT_NOT_FOUND), port("COM4", KX_PORT_NO_ANSWER)};
    EXPECT_EQ(connectFailureText(ports), "连接失败！\nCOM3：没有此端口\nCOM4：没有应答");
    EXPECT_EQ(connectFailureText({}), "连接失败！");
}

} // namespace
} // namespace kestrix
