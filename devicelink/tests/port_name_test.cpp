// SPDX-License-Identifier: MIT
// Where "COMn" is looked for.
#include <gtest/gtest.h>

#include <cstdlib>

#include "port_name.h"

using kestlink::portPath;

TEST(PortName, SerialDevicesWithoutPortDirectory)
{
    ::unsetenv("KESTLINK_PORT_DIR");
    EXPECT_EQ(portPath("COM1"), "/dev/ttyS0");
    EXPECT_EQ(portPath("COM3"), "/dev/ttyS2");
    EXPECT_EQ(portPath("COM9"), "/dev/ttyS8");
    EXPECT_EQ(portPath("COM10"), "/dev/ttyS9");
}

TEST(PortName, PortDirectoryIsReadAtEveryCall)
{
    ::setenv("KESTLINK_PORT_DIR", "/tmp/ports", 1);
    EXPECT_EQ(portPath("COM3"), "/tmp/ports/COM3");
    ::setenv("KESTLINK_PORT_DIR", "/run/kest/", 1);
    EXPECT_EQ(portPath("COM7"), "/run/kest/COM7");
    ::setenv("KESTLINK_PORT_DIR", "", 1);
    EXPECT_EQ(portPath("COM4"), "/dev/ttyS3");
    ::unsetenv("KESTLINK_PORT_DIR");
}

TEST(PortName, OtherNamesAreUsedAsPaths)
{
    ::setenv("KESTLINK_PORT_DIR", "/tmp/ports", 1);
    EXPECT_EQ(portPath("/dev/ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_EQ(portPath("COM"), "COM");
    EXPECT_EQ(portPath("COMx"), "COMx");
    EXPECT_EQ(portPath("COM0"), "COM0");
    ::unsetenv("KESTLINK_PORT_DIR");
}
