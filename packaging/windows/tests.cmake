# The check of the Windows package (scripts/check-windows-package.sh),
# included from cmake/windows_builds.cmake once the package target exists.
if(KESTRIX_TESTS)
  add_test(NAME kestrix_windows_package_contents
    COMMAND ${PROJECT_SOURCE_DIR}/scripts/check-windows-package.sh ${KESTRIX_WINDOWS_PACKAGE})
endif()
