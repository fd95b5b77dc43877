// SPDX-License-Identifier: MIT
// The Windows front end's dialog template as resource-script text, written
// from the dialog table that the Qt dialog builds itself from: the build
// writes it into a file that kestrix.rc includes, so the controls are said
// in one place.
#pragma once

#include <stdexcept>
#include <string>

#include "main_dialog.h"

namespace kestrix {

// A table the script cannot say as the table means it: a caption with a
// control character, text on an edit control, a flag that does not apply to
// the control's kind.
struct DialogScriptError : std::invalid_argument {
    using std::invalid_argument::invalid_argument;
};

// The DIALOGEX statement of `dialog`, its controls in table order (the tab
// order), preceded by the UTF-8 code page the captions need. Throws
// DialogScriptError.
std::string dialogScriptOf(const DialogTemplate &dialog);

} // namespace kestrix
