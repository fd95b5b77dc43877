# SPDX-License-Identifier: MIT
# The Windows builds of the library, made as part of this build: mingw-w64
# cross builds for x86-64 and 32-bit x86 in windows-x64/ and windows-x86/ of
# the build folder, each with kestlink.dll, its import library, the C example
# and the probe the tests drive under Wine; and the Windows package of both,
# a zip in windows-package/, with an installer (MSI) for each width beside
# it.
#
# On by default where the cross compilers, Wine and msitools are found (see
# scripts/install-deps.sh); -DKESTRIX_WINDOWS=OFF leaves them out.
find_program(KESTRIX_MINGW_X64 x86_64-w64-mingw32-g++-posix)
find_program(KESTRIX_MINGW_X86 i686-w64-mingw32-g++-posix)
find_program(KESTRIX_WINE wine)
# The installers' builder and the tool that reads them (msitools).
find_program(KESTRIX_WIXL wixl)
find_program(KESTRIX_MSIINFO msiinfo)
# Kestrix.exe takes the icon the Qt build draws, so they need KESTRIX_GUI.
if(KESTRIX_GUI AND KESTRIX_MINGW_X64 AND KESTRIX_MINGW_X86 AND KESTRIX_WINE AND KESTRIX_WIXL AND KESTRIX_MSIINFO)
  set(windows_default ON)
else()
  set(windows_default OFF)
endif()
option(KESTRIX_WINDOWS "Cross-build the Windows DLLs and test them under Wine" ${windows_default})

if(KESTRIX_WINDOWS)
  if(NOT (KESTRIX_MINGW_X64 AND KESTRIX_MINGW_X86 AND KESTRIX_WINE AND KESTRIX_WIXL AND KESTRIX_MSIINFO))
    message(FATAL_ERROR "KESTRIX_WINDOWS needs the mingw-w64 -posix compilers for x86-64 and i686, Wine, "
                        "and wixl and msiinfo for the installers (scripts/install-deps.sh installs them)")
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
                 # The icon of Kestrix.exe, drawn by the Linux build.
                 -DKESTRIX_ICON_DIR=${CMAKE_BINARY_DIR}/operator/icons
                 # Its dialog template, written from the dialog table.
                 -DKESTRIX_DIALOG_RC_DIR=${CMAKE_BINARY_DIR}/operator/win32/dialog_rc
      INSTALL_COMMAND ""
      BUILD_ALWAYS ON
      USES_TERMINAL_BUILD ON)
    set(KESTRIX_WINDOWS_${arch}_DIR ${CMAKE_BINARY_DIR}/windows-${arch}/devicelink)
  endforeach()
  # What the tests call each build: Win64 for x64, Win32 for x86.
  set(KESTRIX_TEST_BUILD_x64 Win64)
  set(KESTRIX_TEST_BUILD_x86 Win32)
  # One Wine prefix for each width's tests in this build folder:
  # wine-prefix-Win64 and wine-prefix-Win32, so that the two widths' tests
  # run side by side.
  set(KESTRIX_WINE_PREFIX_BASE ${CMAKE_BINARY_DIR}/wine-prefix)

  # kestrix_wine_test(NAME BUILD Win64|Win32 TIMEOUT SECONDS COMMAND ...
  #                   [PREFIX FOLDER] [ENVIRONMENT NAME=VALUE ...]
  #                   [LABELS LABEL ...] [COST SECONDS]): a test
  # that runs a Windows build under Wine, in its width's prefix unless
  # another is named. The tests of one prefix take turns (each starts the
  # prefix's one server); tests of different prefixes run side by side, the
  # costlier first. A Win32 test where 32-bit programs are not run here is
  # reported skipped, saying why (run_wine_test.sh). Labelled wine, and with
  # the labels given.
  function(kestrix_wine_test)
    cmake_parse_arguments(PARSE_ARGV 0 test "" "NAME;BUILD;TIMEOUT;PREFIX;COST" "COMMAND;ENVIRONMENT;LABELS")
    if(NOT test_PREFIX)
      set(test_PREFIX ${KESTRIX_WINE_PREFIX_BASE}-${test_BUILD})
    endif()
    if(NOT test_COST)
      set(test_COST 10)
    endif()
    if(test_BUILD STREQUAL "Win32")
      set(width 32)
    else()
      set(width 64)
    endif()
    add_test(NAME ${test_NAME}
      COMMAND ${PROJECT_SOURCE_DIR}/devicelink/tests/wine/run_wine_test.sh ${width} ${test_COMMAND})
    get_filename_component(lock ${test_PREFIX} NAME)
    set_tests_properties(${test_NAME} PROPERTIES
      ENVIRONMENT "KESTLINK_WINE_PREFIX=${test_PREFIX};${test_ENVIRONMENT}"
      RESOURCE_LOCK ${lock} TIMEOUT ${test_TIMEOUT} SKIP_RETURN_CODE 77 LABELS "wine;${test_LABELS}"
      COST ${test_COST})
  endfunction()

  # The Windows package, a zip of both builds made by CPack in a project of
  # its own (packaging/windows/), so that its CPack settings stay apart from
  # the Linux build's install; and the installers, made there too.
  set(KESTRIX_WINDOWS_PACKAGE
      ${CMAKE_BINARY_DIR}/windows-package/Kestrix-${PROJECT_VERSION}-windows.zip)
  foreach(arch IN ITEMS x64 x86)
    set(KESTRIX_WINDOWS_INSTALLER_${arch}
        ${CMAKE_BINARY_DIR}/windows-package/Kestrix-${PROJECT_VERSION}-${arch}.msi)
  endforeach()
  ExternalProject_Add(kestrix_windows_package
    SOURCE_DIR ${PROJECT_SOURCE_DIR}/packaging/windows
    BINARY_DIR ${CMAKE_BINARY_DIR}/windows-package
    CMAKE_ARGS -DKESTRIX_VERSION=${PROJECT_VERSION}
               -DKESTRIX_SOURCE_DIR=${PROJECT_SOURCE_DIR}
               -DKESTRIX_WINDOWS_X64_BUILD=${CMAKE_BINARY_DIR}/windows-x64
               -DKESTRIX_WINDOWS_X86_BUILD=${CMAKE_BINARY_DIR}/windows-x86
               # The icon of the Start-menu entry and of installed programs,
               # drawn by the Linux build before the cross builds use it.
               -DKESTRIX_ICON_FILE=${CMAKE_BINARY_DIR}/operator/icons/kestrix.ico
               "-DKESTRIX_MAINTAINER_NAME=${KESTRIX_MAINTAINER_NAME}"
               -DKESTRIX_WIXL=${KESTRIX_WIXL}
    BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target package installers
    BUILD_BYPRODUCTS ${KESTRIX_WINDOWS_PACKAGE} ${KESTRIX_WINDOWS_INSTALLER_x64} ${KESTRIX_WINDOWS_INSTALLER_x86}
    INSTALL_COMMAND ""
    # The cross builds are always rebuilt, so the zip is made anew after them
    # (and the installers, when anything in them changed).
    BUILD_ALWAYS ON
    DEPENDS kestlink_windows_x64 kestlink_windows_x86)
  include(${PROJECT_SOURCE_DIR}/packaging/windows/tests.cmake)
else()
  message(STATUS "Windows builds off: no mingw-w64 -posix compilers or no Wine")
endif()
