// SPDX-License-Identifier: MIT
// The command line of kestlink: its subcommands and options, parsed with
// CLI11, and the run of the subcommand given.
#pragma once

namespace kestlink_cli {

// The exit status: that of the subcommand, 2 for wrong usage, 0 after
// --help and --version.
int runCommandLine(int argc, char **argv);

} // namespace kestlink_cli
