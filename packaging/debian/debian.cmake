# SPDX-License-Identifier: MIT
# Debian packages, made by CPack from this build (scripts/package.sh makes
# them from a build of its own with CMAKE_INSTALL_PREFIX=/usr):
#
#   package          component    what it holds
#   libkestlink1     Runtime      libkestlink.so.1 (shlibs file, ldconfig trigger)
#   libkestlink-dev  Development  kestlink.h, libkestlink.so, kestlink.pc, the CMake package
#   kestrix          Kestrix      the program, its desktop entry, icons, AppStream
#                                 metainfo and kestrix(1)
#   kestlink-tools   Tools        kestlink and kestsim with kestlink(1) and kestsim(1)
#
# Each holds /usr/share/doc/<package>/copyright and changelog.Debian.gz.
# dpkg-shlibdeps finds what the binaries need from the system; the packages'
# dependencies on libkestlink1 are named here. scripts/check-debian-packages.sh
# runs lintian on them and tries what they install.

set(KESTRIX_DEBIAN_RELEASE 1)
set(KESTRIX_DEBIAN_VERSION ${PROJECT_VERSION}-${KESTRIX_DEBIAN_RELEASE})

# The virtual reader goes with the command-line tool (whose own directory
# installs it in the same component).
install(TARGETS kestsim_cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT Tools)

# Installed into the system's own folders the library is found without a
# search path, and Debian forbids one there.
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  foreach(program IN ITEMS kestrix kestlink_cli)
    if(TARGET ${program})
      set_target_properties(${program} PROPERTIES INSTALL_RPATH "")
    endif()
  endforeach()
endif()

# The copyright file and the changelog, in every package's doc folder.
set(kestrix_debian_dir ${PROJECT_SOURCE_DIR}/packaging/debian)
configure_file(${kestrix_debian_dir}/changelog.in ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog.Debian @ONLY)
find_program(KESTRIX_GZIP gzip REQUIRED)
add_custom_command(
  OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog.Debian.gz
  COMMAND sh -c "\"$0\" -9 -n -c \"$1\" > \"$2\"" ${KESTRIX_GZIP}
          ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog.Debian
          ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog.Debian.gz
  DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog.Debian
  COMMENT "Compressing the Debian changelog"
  VERBATIM)
add_custom_target(kestrix_debian_changelog ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog.Debian.gz)

set(kestrix_debian_packages
  Runtime libkestlink1
  Development libkestlink-dev
  Kestrix kestrix
  Tools kestlink-tools)
set(kestrix_debian_components)
while(kestrix_debian_packages)
  list(POP_FRONT kestrix_debian_packages component package)
  list(APPEND kestrix_debian_components ${component})
  string(TOUPPER ${component} COMPONENT)
  set(CPACK_DEBIAN_${COMPONENT}_PACKAGE_NAME ${package})
  install(FILES ${kestrix_debian_dir}/copyright ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog.Debian.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
endwhile()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrix)
set(CPACK_PACKAGE_VENDOR "${KESTRIX_MAINTAINER_NAME}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${KESTRIX_MAINTAINER}")
# Each package's description below starts with its own synopsis line. CPack
# would put the project's summary in front of it unless the summary is
# CPack's default, so it is set to that.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${CMAKE_PROJECT_NAME} built using CMake")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ${kestrix_debian_components})
set(CPACK_COMPONENTS_GROUPING IGNORE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${KESTRIX_DEBIAN_RELEASE})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KESTRIX_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SOURCE kestrix)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The library is in no installed package yet: dpkg-shlibdeps finds it in the
# build and leaves it to the dependencies named below.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR}/devicelink)

set(kestrix_needs_library "libkestlink1 (>= ${KESTRIX_DEBIAN_VERSION})")

set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
# Only the library package has a shared object to write a shlibs line for.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${kestrix_debian_dir}/triggers)
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION "link library for the handheld RFID tag reader
Kestlink owns the serial port and the binary protocol of the handheld RFID
tag reader: it finds the reader on COM3 to COM9 or a USB serial adapter,
reads its records, sets its clock and manages its comparison list, through
a small C API.
.
This package holds the shared library.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "libkestlink1 (= ${KESTRIX_DEBIAN_VERSION})")
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION "link library for the handheld RFID tag reader (development files)
Kestlink owns the serial port and the binary protocol of the handheld RFID
tag reader, through a small C API.
.
This package holds the C header kestlink.h, the development link, the
pkg-config file kestlink.pc and the CMake package Kestlink.")

set(CPACK_DEBIAN_KESTRIX_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_KESTRIX_PACKAGE_DEPENDS "${kestrix_needs_library}")
set(CPACK_DEBIAN_KESTRIX_DESCRIPTION "operator's program for the handheld RFID tag reader
Kestrix is one dialog from which the operator pulls the records (card
number, date and time, flag) off the handheld RFID tag reader, keeps them in
a list, saves them to CSV, sets the reader's clock and gives it a comparison
list of card numbers. Its texts are in Chinese.")

set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION electronics)
# kestlink links the library statically and kestsim does not use it: the
# tools need only what dpkg-shlibdeps finds.
set(CPACK_DEBIAN_TOOLS_DESCRIPTION "command-line tool and virtual reader for the RFID tag reader
kestlink reads the handheld RFID tag reader's records to the terminal, CSV or
JSON, sets its clock, erases it and manages its comparison list, domain
block and key from the shell.
.
kestsim plays the reader on pseudo-terminals, with faults to order, so that
programs built on the Kestlink library can be tried without hardware.")

include(CPack)

# The proof: the packages are made from a build of their own and checked.
# It builds everything a second time, so it runs alone; the sanitizer build
# leaves it to the normal one.
if(KESTRIX_TESTS AND NOT KESTRIX_SANITIZE)
  set(kestrix_package_build ${PROJECT_BINARY_DIR}/debian-packages)
  set(kestrix_check_args)
  if(TARGET kestlink_cli)
    list(APPEND kestrix_check_args --with-kestlink $<TARGET_FILE:kestlink_cli>)
  endif()
  add_test(NAME debian_packages
    COMMAND sh -c "\"$0\" \"$1\" && shift && exec \"$@\""
            ${PROJECT_SOURCE_DIR}/scripts/package.sh ${kestrix_package_build}
            ${PROJECT_SOURCE_DIR}/scripts/check-debian-packages.sh ${kestrix_check_args}
            ${kestrix_package_build}/debs)
  set_tests_properties(debian_packages PROPERTIES RUN_SERIAL ON TIMEOUT 1500 LABELS package)
endif()
