// SPDX-License-Identifier: MIT
// kestrix_dialog_rc_writer FILE: writes the main dialog's template, as
// resource-script text, to FILE for kestrix.rc to include.
#include <cstdio>
#include <fstream>

#include "dialog_rc.h"

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    try {
        const std::string script = kestrix::dialogScriptOf(kestrix::mainDialogTemplate());
        std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
        out << script;
        out.close();
        if (!out) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
            std::remove(argv[1]);
            return 1;
        }
    } catch (const kestrix::DialogScriptError &e) {
        std::fprintf(stderr, "%s: the dialog table cannot be written as a template: %s\n", argv[0], e.what());
        return 1;
    }
    return 0;
}
