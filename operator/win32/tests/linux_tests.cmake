# SPDX-License-Identifier: MIT
# Tests of the Windows front end that need neither Wine nor a cross build:
# they run with the Linux tests.

# The main dialog of the resource script against the dialog table in
# operator/core/model, control for control. Reads both files when it runs.
add_executable(kestrix_resource_script_tests ${CMAKE_CURRENT_LIST_DIR}/resource_script_test.cpp)
target_link_libraries(kestrix_resource_script_tests PRIVATE kestrix_core GTest::gtest_main)
# No Qt here, whatever the including directory sets.
set_target_properties(kestrix_resource_script_tests PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
target_compile_definitions(kestrix_resource_script_tests PRIVATE
  KESTRIX_RESOURCE_SCRIPT="${PROJECT_SOURCE_DIR}/operator/win32/kestrix.rc"
  KESTRIX_CONTROL_IDS="${PROJECT_SOURCE_DIR}/operator/core/model/control_ids.h")
gtest_discover_tests(kestrix_resource_script_tests DISCOVERY_TIMEOUT 30 PROPERTIES LABELS unit)
