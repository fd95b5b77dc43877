// SPDX-License-Identifier: MIT
// Asking before the reader's data is erased.
#pragma once

#include <string>

namespace kestlink_cli {

enum class Consent { Given, Declined, Refused };

// Given at once with --yes. Otherwise the question is put on standard error
// and a "y" or "yes" on standard input gives consent; when standard input
// is no terminal there is nobody to ask, and the answer is Refused (the
// caller says so: wrong usage).
Consent askConsent(const std::string &question, bool yes);

} // namespace kestlink_cli
