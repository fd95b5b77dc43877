// SPDX-License-Identifier: MIT
// The peak memory and the first-run time of one list action, each action in
// a process of its own (see peak_memory.h for why).
#pragma once

#include <optional>
#include <string>

#include "action_inputs.h"
#include "action_names.h"
#include "peak_memory.h"

namespace kestbench {

struct ActionMemory {
    bool measured = false; // false: the system would not reset the peak
    std::string why;       // then why not
    MemoryGrowth growth;
    double firstRunMs = 0; // one run in a fresh process: every page new
};

// The child's side: prepares the action's input, runs the action once
// between the memory readings, prints the figures on one line and returns
// the exit status.
int measureHere(Action action, const ScratchFiles &files);

// The parent's side: starts this program as the child for the action and
// reads its line back. Nothing when the child failed.
std::optional<ActionMemory> measureInFreshProcess(Action action, const ScratchFiles &files);

// The arguments that make this program the child.
inline constexpr const char *kMemoryOfOption = "--memory-of";
inline constexpr const char *kFolderOption = "--dir";

} // namespace kestbench
