# The Windows dialog under Wine, driven from Linux: one test program, run
# once against each cross build's kestrix_dialog_probe.exe, on a virtual X
# server (Wine's windows need a display), with the Wine prefix of this build.
if(KESTRIX_WINDOWS AND TARGET kestlink_test_links)
  find_program(KESTRIX_XVFB_RUN xvfb-run REQUIRED)
  add_executable(kestrix_windows_dialog_tests ${CMAKE_CURRENT_LIST_DIR}/dialog_under_wine_test.cpp)
  target_link_libraries(kestrix_windows_dialog_tests PRIVATE kestlink_test_links kestrix_core GTest::gtest_main)
  foreach(arch IN ITEMS x64 x86)
    if(arch STREQUAL "x64")
      set(build Win64)
    else()
      set(build Win32)
    endif()
    add_dependencies(kestrix_windows_dialog_tests kestlink_windows_${arch})
    add_test(NAME kestrix_windows_dialog_${build}_under_wine
      COMMAND ${KESTRIX_XVFB_RUN} -a -s "-screen 0 1280x1024x24" $<TARGET_FILE:kestrix_windows_dialog_tests>)
    set_tests_properties(kestrix_windows_dialog_${build}_under_wine PROPERTIES
      ENVIRONMENT "KESTLINK_WINE_PREFIX=${KESTRIX_WINE_PREFIX};KESTRIX_DIALOG_PROBE=${CMAKE_BINARY_DIR}/windows-${arch}/operator/win32/kestrix_dialog_probe.exe"
      RESOURCE_LOCK wine TIMEOUT 900)
  endforeach()
endif()
