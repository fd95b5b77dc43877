# SPDX-License-Identifier: MIT
# kestrix_write_program_paths(): writes programs.txt into the build folder,
# one "TARGET=FILE" line for each program and shared library this project
# defines, as the build places it. Scripts that start a built program look
# it up there (scripts/programs.sh) instead of spelling its path, so a
# target that moves takes its scripts along. Called once every target is
# defined; the Windows builds made inside the Linux one write their own.
function(kestrix_write_program_paths)
  set(lines "# Written by the build: each program's target and where it is.\n")
  set(folders ${PROJECT_SOURCE_DIR})
  while(folders)
    list(POP_FRONT folders folder)
    get_property(subfolders DIRECTORY ${folder} PROPERTY SUBDIRECTORIES)
    list(APPEND folders ${subfolders})
    get_property(targets DIRECTORY ${folder} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS targets)
      get_target_property(type ${target} TYPE)
      if(type STREQUAL "EXECUTABLE" OR type STREQUAL "SHARED_LIBRARY")
        string(APPEND lines "${target}=$<TARGET_FILE:${target}>\n")
      endif()
    endforeach()
  endwhile()
  file(GENERATE OUTPUT ${PROJECT_BINARY_DIR}/programs.txt CONTENT "${lines}")
endfunction()
