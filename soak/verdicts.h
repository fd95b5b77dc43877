// SPDX-License-Identifier: MIT
// What the library must answer for a reply rule and a fault, when the reader
// would otherwise have accepted the command: the table the device tests use.
#pragma once

#include "kestrix_testing/fault_verdicts.h"

namespace soak {

using kestlink::test::expectedVerdict;

} // namespace soak
