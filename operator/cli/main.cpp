// SPDX-License-Identifier: MIT
// kestlink: the reader on the command line.
#include <signal.h>

#include "cli_app.h"

int main(int argc, char **argv)
{
    // A closed pipe on standard output is a write that fails, said and
    // answered with exit status 3, not a silent death.
    ::signal(SIGPIPE, SIG_IGN);
    return kestlink_cli::runCommandLine(argc, argv);
}
