# SPDX-License-Identifier: MIT
# The checks of the Windows package (scripts/check-windows-package.sh) and
# of its installers, included from cmake/windows_builds.cmake once the
# package target exists.
if(KESTRIX_TESTS)
  add_test(NAME kestrix_windows_package_contents
    COMMAND ${PROJECT_SOURCE_DIR}/scripts/check-windows-package.sh ${KESTRIX_WINDOWS_PACKAGE})
  set_tests_properties(kestrix_windows_package_contents PROPERTIES LABELS package)

  include(${CMAKE_CURRENT_LIST_DIR}/installer/identity.cmake)
  find_program(KESTRIX_XVFB Xvfb REQUIRED)

  # The program that drives the installed Kestrix.exe's window: 64-bit,
  # which drives the 32-bit program as well.
  set(installer_probe ${CMAKE_BINARY_DIR}/windows-installer-probe/kestrix_window_probe.exe)
  ExternalProject_Add(kestrix_installer_probe
    SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR}/tests/window_probe
    BINARY_DIR ${CMAKE_BINARY_DIR}/windows-installer-probe
    CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake
               -DCMAKE_BUILD_TYPE=Release -DKESTRIX_SOURCE_DIR=${PROJECT_SOURCE_DIR}
    BUILD_BYPRODUCTS ${installer_probe}
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON)

  # Each installer's tests use the installers' own Wine prefix, so that what
  # they install never meets the other Windows tests; they take turns in it.
  set(installer_prefix ${CMAKE_BINARY_DIR}/wine-installer-prefix)
  foreach(arch IN ITEMS x64 x86)
    set(build ${KESTRIX_TEST_BUILD_${arch}})
    set(what_it_is
        --arch ${arch} --version ${PROJECT_VERSION}
        --manufacturer ${KESTRIX_MSI_MANUFACTURER} --product-name ${KESTRIX_MSI_PRODUCT_NAME_${arch}}
        --programmer-feature ${KESTRIX_MSI_PROGRAMMER_FEATURE}
        --build ${CMAKE_BINARY_DIR}/windows-${arch} --source ${PROJECT_SOURCE_DIR}
        --icon ${CMAKE_BINARY_DIR}/operator/icons/kestrix.ico)

    # Its tables, read without installing it.
    add_test(NAME kestrix_windows_installer_${arch}_tables
      COMMAND ${PROJECT_SOURCE_DIR}/scripts/check-windows-installer.py ${what_it_is}
              --upgrade-code ${KESTRIX_MSI_UPGRADE_CODE_${arch}} ${KESTRIX_WINDOWS_INSTALLER_${arch}})
    set_tests_properties(kestrix_windows_installer_${arch}_tables PROPERTIES LABELS package)

    # Installed, upgraded and removed by the 64-bit msiexec, for either
    # width: runs wherever 64-bit Wine does.
    kestrix_wine_test(NAME kestrix_windows_installer_${arch}_under_wine BUILD Win64 TIMEOUT 900
      PREFIX ${installer_prefix} LABELS package
      COMMAND ${CMAKE_CURRENT_LIST_DIR}/tests/installer_under_wine.sh install ${what_it_is}
              --msi ${KESTRIX_WINDOWS_INSTALLER_${arch}}
              --wxs ${CMAKE_BINARY_DIR}/windows-package/installer-${arch}/kestrix.wxs --wixl ${KESTRIX_WIXL})

    # The installed program against the virtual reader, on a virtual screen:
    # the 32-bit one only where 32-bit programs run.
    kestrix_wine_test(NAME kestrix_windows_installed_program_${arch}_under_wine BUILD ${build} TIMEOUT 900
      PREFIX ${installer_prefix} LABELS package
      COMMAND ${PROJECT_SOURCE_DIR}/scripts/with-xvfb.sh
              ${CMAKE_CURRENT_LIST_DIR}/tests/installer_under_wine.sh program ${what_it_is}
              --msi ${KESTRIX_WINDOWS_INSTALLER_${arch}}
              --kestsim $<TARGET_FILE:kestsim_cli> --probe ${installer_probe})
  endforeach()
endif()
