# SPDX-License-Identifier: MIT
# Cross-compiles for 32-bit x86 Windows with Debian's mingw-w64 (packages
# g++-mingw-w64-i686-posix and binutils-mingw-w64-i686).
#
#   cmake -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake -DKESTRIX_LIBRARY_ONLY=ON
set(CMAKE_SYSTEM_PROCESSOR x86)
set(KESTRIX_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
