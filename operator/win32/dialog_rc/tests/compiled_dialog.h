// SPDX-License-Identifier: MIT
// A dialog template as the resource compiler wrote it: read from the .res
// file that windres makes, so that the tests see what Windows will load.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrix::test {

struct CompiledControl {
    std::uint32_t style = 0;
    int id = 0;
    int x = 0, y = 0, width = 0, height = 0;
    std::string windowClass; // "Button", "Edit", "Static" for the atoms, else the name
    std::string title;       // UTF-8
};

struct CompiledDialog {
    std::uint32_t style = 0;
    int width = 0, height = 0;
    std::string title, fontName; // UTF-8
    int fontPoints = 0;
    int charset = 0;
    std::vector<CompiledControl> controls;
};

// The extended dialog template (DIALOGEX) named by number `id` in the
// resource file's bytes; none when it is not there. Throws
// std::runtime_error on bytes that are no resource file.
std::optional<CompiledDialog> compiledDialog(const std::string &resBytes, int id);

} // namespace kestrix::test
