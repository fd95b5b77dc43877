# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (packages
# g++-mingw-w64-x86-64-posix and binutils-mingw-w64-x86-64).
#
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#
# The -posix compilers are the ones with std::thread and std::mutex; the
# -win32 flavour lacks them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KESTRIX_MINGW_TRIPLET x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${KESTRIX_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KESTRIX_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KESTRIX_MINGW_TRIPLET}-windres)
set(CMAKE_AR ${KESTRIX_MINGW_TRIPLET}-ar CACHE FILEPATH "Archiver")
set(CMAKE_RANLIB ${KESTRIX_MINGW_TRIPLET}-ranlib CACHE FILEPATH "Archive indexer")

# Libraries and headers come from the cross sysroot only; programs run during
# the build come from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${KESTRIX_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
