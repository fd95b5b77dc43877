# The Windows builds of the library, made as part of this build: mingw-w64
# cross builds for x86-64 and 32-bit x86 in windows-x64/ and windows-x86/ of
# the build folder, each with kestlink.dll, its import library, the C example
# and the probe the tests drive under Wine.
#
# On by default where the cross compilers and Wine are found (see
# scripts/install-deps.sh); -DKESTRIX_WINDOWS=OFF leaves them out.
find_program(KESTRIX_MINGW_X64 x86_64-w64-mingw32-g++-posix)
find_program(KESTRIX_MINGW_X86 i686-w64-mingw32-g++-posix)
find_program(KESTRIX_WINE wine)
if(KESTRIX_MINGW_X64 AND KESTRIX_MINGW_X86 AND KESTRIX_WINE)
  set(windows_default ON)
else()
  set(windows_default OFF)
endif()
option(KESTRIX_WINDOWS "Cross-build the Windows DLLs and test them under Wine" ${windows_default})

if(KESTRIX_WINDOWS)
  if(NOT (KESTRIX_MINGW_X64 AND KESTRIX_MINGW_X86 AND KESTRIX_WINE))
    message(FATAL_ERROR "KESTRIX_WINDOWS needs the mingw-w64 -posix compilers for x86-64 and i686 and Wine "
                        "(scripts/install-deps.sh installs them)")
  endif()
  include(ExternalProject)
  foreach(arch IN ITEMS x64 x86)
    if(arch STREQUAL "x64")
      set(toolchain ${PROJECT_SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake)
    else()
      set(toolchain ${PROJECT_SOURCE_DIR}/cmake/mingw-w64-i686.cmake)
    endif()
    ExternalProject_Add(kestlink_windows_${arch}
      SOURCE_DIR ${PROJECT_SOURCE_DIR}
      BINARY_DIR ${CMAKE_BINARY_DIR}/windows-${arch}
      CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${toolchain} -DCMAKE_BUILD_TYPE=Release
                 -DKESTRIX_LIBRARY_ONLY=ON -DKESTRIX_TESTS=OFF
      INSTALL_COMMAND ""
      BUILD_ALWAYS ON
      USES_TERMINAL_BUILD ON)
    set(KESTRIX_WINDOWS_${arch}_DIR ${CMAKE_BINARY_DIR}/windows-${arch}/devicelink)
  endforeach()
  # One Wine prefix for every test of this build folder.
  set(KESTRIX_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
else()
  message(STATUS "Windows builds off: no mingw-w64 -posix compilers or no Wine")
endif()
