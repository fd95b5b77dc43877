# SPDX-License-Identifier: MIT
# The Windows front end's tests that run here: a Linux test program drives a
# probe of each cross build under Wine, on a virtual X server (Wine's windows
# need a display), with the Wine prefix of this build.
if(KESTRIX_WINDOWS AND TARGET kestrix_testing_links)
  find_program(KESTRIX_XVFB Xvfb REQUIRED)

  # kestrix_front_end_wine_test(NAME SOURCE PROBE_VARIABLE PROBE TIMEOUT COST): the
  # test program kestrix_windows_NAME_tests, run once for each build with
  # PROBE_VARIABLE naming that build's PROBE.exe.
  function(kestrix_front_end_wine_test name source probe_variable probe timeout cost)
    set(target kestrix_windows_${name}_tests)
    add_executable(${target} ${CMAKE_CURRENT_LIST_DIR}/${source})
    target_link_libraries(${target} PRIVATE kestrix_testing_links kestrix_core GTest::gtest_main)
    foreach(arch IN ITEMS x64 x86)
      set(build ${KESTRIX_TEST_BUILD_${arch}})
      add_dependencies(${target} kestlink_windows_${arch})
      kestrix_wine_test(NAME kestrix_windows_${name}_${build}_under_wine BUILD ${build} TIMEOUT ${timeout} COST ${cost}
        COMMAND ${PROJECT_SOURCE_DIR}/scripts/with-xvfb.sh $<TARGET_FILE:${target}>
        ENVIRONMENT ${probe_variable}=${CMAKE_BINARY_DIR}/windows-${arch}/operator/win32/${probe}.exe)
    endforeach()
  endfunction()

  # The dialog from the resources with a scripted toolkit, against the
  # virtual reader.
  kestrix_front_end_wine_test(dialog dialog_under_wine_test.cpp KESTRIX_DIALOG_PROBE kestrix_dialog_probe 900 30)
  # The toolkit's real message boxes and file dialogs.
  kestrix_front_end_wine_test(toolkit toolkit_under_wine_test.cpp KESTRIX_TOOLKIT_PROBE kestrix_toolkit_probe 600 75)
endif()
