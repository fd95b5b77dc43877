# SPDX-License-Identifier: MIT
# cmake --install: the library, its header, a pkg-config file and a CMake
# package, so that C and C++ programs find it either way.
include(CMakePackageConfigHelpers)

# Components: Runtime is the shared library alone, Development the rest
# (the Debian packages libkestlink1 and libkestlink-dev).
install(TARGETS kestlink EXPORT KestlinkTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT Runtime
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Runtime NAMELINK_COMPONENT Development
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Development
  PUBLIC_HEADER DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT Development)

set(KESTLINK_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Kestlink)
install(EXPORT KestlinkTargets NAMESPACE Kestlink:: DESTINATION ${KESTLINK_CMAKE_DIR} COMPONENT Development)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/KestlinkConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/KestlinkConfig.cmake
  INSTALL_DESTINATION ${KESTLINK_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/KestlinkConfigVersion.cmake
  VERSION 1.0.0 COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/KestlinkConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/KestlinkConfigVersion.cmake DESTINATION ${KESTLINK_CMAKE_DIR}
  COMPONENT Development)

# The .pc file finds its prefix from where it lies: one "../" per component
# of <libdir>/pkgconfig, so that a package installed elsewhere still works.
string(REGEX REPLACE "[^/]+" ".." KESTLINK_PC_TO_PREFIX "${CMAKE_INSTALL_LIBDIR}/pkgconfig")
configure_file(${PROJECT_SOURCE_DIR}/cmake/kestlink.pc.in ${CMAKE_CURRENT_BINARY_DIR}/kestlink.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/kestlink.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
  COMPONENT Development)
