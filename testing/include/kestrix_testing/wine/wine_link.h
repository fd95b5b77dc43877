// SPDX-License-Identifier: MIT
// A Windows build of the library under Wine, as a LinkUnderTest: each call
// goes to kestlink_probe.exe, which makes it with the caller's buffers as
// they are and sends them back as the call left them.
#pragma once

#include <memory>
#include <string>

#include "kestrix_testing/link_under_test.h"

namespace kestlink::test {

// The probe of a Windows build, from KESTLINK_PROBE_WIN64 or
// KESTLINK_PROBE_WIN32 (set by the build); empty when that build is not
// configured.
std::string probeOf(Build build);

// Starts the probe (and the Wine session on first use). Throws
// std::runtime_error when Wine or the probe cannot be run.
std::unique_ptr<LinkUnderTest> wineLink(const std::string &probe);

} // namespace kestlink::test
