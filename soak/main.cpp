// SPDX-License-Identifier: MIT
// kestlink_soak: thousands of calls through the shared library against a
// virtual reader that spoils replies at random; exits non-zero when a verdict,
// a buffer, a call's length or a resource count is wrong.
#include <exception>
#include <iostream>

#include "options.h"
#include "soak.h"

int main(int argc, char **argv)
{
    const auto options = soak::parseOptions(argc, argv, std::cout, std::cerr);
    if (!options)
        return 2;
    if (options->helpOnly)
        return 0;
    try {
        soak::Soak soak(*options);
        return soak.run();
    } catch (const std::exception &error) {
        std::cerr << "kestlink_soak: " << error.what() << '\n';
        return 1;
    }
}
