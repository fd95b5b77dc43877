# SPDX-License-Identifier: MIT
# What both Windows cross builds share; included by mingw-w64-x86_64.cmake and
# mingw-w64-i686.cmake once they have set KESTRIX_MINGW_TRIPLET and
# CMAKE_SYSTEM_PROCESSOR.
#
# The -posix compilers are the ones with std::thread and std::mutex; the
# -win32 flavour lacks them.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${KESTRIX_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KESTRIX_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KESTRIX_MINGW_TRIPLET}-windres)
set(CMAKE_AR ${KESTRIX_MINGW_TRIPLET}-ar CACHE FILEPATH "Archiver")
set(CMAKE_RANLIB ${KESTRIX_MINGW_TRIPLET}-ranlib CACHE FILEPATH "Archive indexer")
set(CMAKE_DLLTOOL ${KESTRIX_MINGW_TRIPLET}-dlltool CACHE FILEPATH "Import library tool")

# Libraries and headers come from the cross sysroot only; programs run during
# the build come from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${KESTRIX_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
