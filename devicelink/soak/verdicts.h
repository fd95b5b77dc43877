// What the library must answer for a reply rule and a fault, when the
// reader would otherwise have accepted the command.
#pragma once

#include "commands.h"
#include "faults.h"

namespace soak {

bool expectedVerdict(Rule rule, Fault fault);

} // namespace soak
