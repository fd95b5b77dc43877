# SPDX-License-Identifier: MIT
# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (packages
# g++-mingw-w64-x86-64-posix and binutils-mingw-w64-x86-64).
#
#   cmake -S . -B build-win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DKESTRIX_LIBRARY_ONLY=ON
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KESTRIX_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
