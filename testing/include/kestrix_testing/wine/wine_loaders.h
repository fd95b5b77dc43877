// SPDX-License-Identifier: MIT
// Which Wine programs start a Windows build here, as scripts/wine-loaders.sh
// decides it (by trying the 32-bit loader once; KESTRIX_WINE_32=off refuses
// 32-bit programs as a kernel without 32-bit support would).
#pragma once

#include <string>

namespace kestlink::test {

struct WineLoaders {
    std::string wine64;     // 64-bit programs and wineboot
    std::string wineserver; // the server
    std::string wine32;     // 32-bit programs; empty when not installed
    std::string skip32;     // empty when 32-bit programs run here; else why not
};

// Asked of the script once per process. Throws std::runtime_error when the
// script cannot be run or names no 64-bit loader.
const WineLoaders &wineLoaders();

// 32 or 64 for a Windows program (from its PE header), 0 when the file is
// not one.
int windowsWidthOf(const std::string &executable);

} // namespace kestlink::test
