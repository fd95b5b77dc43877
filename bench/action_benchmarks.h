// SPDX-License-Identifier: MIT
// The list actions as Google Benchmark benchmarks, one per action, named as
// in action_names.h. Each iteration times the action alone: preparing its
// input and discarding its result are left out of the clock.
#pragma once

#include "action_inputs.h"

namespace kestbench {

// The files must stay in place until the benchmarks have run; the comparison
// file must already exist.
void registerActionBenchmarks(const ScratchFiles &files);

} // namespace kestbench
