// SPDX-License-Identifier: MIT
#include "confirm.h"

#include <unistd.h>

#include <cstdio>
#include <iostream>

namespace kestlink_cli {

Consent askConsent(const std::string &question, bool yes)
{
    if (yes)
        return Consent::Given;
    if (::isatty(STDIN_FILENO) != 1)
        return Consent::Refused;
    std::fprintf(stderr, "%s [y/N] ", question.c_str());
    std::fflush(stderr);
    std::string answer;
    if (!std::getline(std::cin, answer))
        return Consent::Declined;
    return answer == "y" || answer == "Y" || answer == "yes" ? Consent::Given : Consent::Declined;
}

} // namespace kestlink_cli
