# SPDX-License-Identifier: MIT
# The Windows installers, one MSI for each width, made by wixl (msitools)
# from kestrix.wxs.in: Kestrix-<version>-x64.msi and Kestrix-<version>-x86.msi
# beside the zip. Included from packaging/windows/CMakeLists.txt.
#
# Each installs, in the folder Kestrix of Program Files (the 32-bit one to
# Program Files (x86) on 64-bit Windows):
#
#   Kestrix.exe, kestlink.dll, README.txt,
#   LICENSE.txt                                the feature Kestrix (default)
#   include\kestlink.h                        the feature Programmer, only
#   lib\libkestlink.dll.a                     when ADDLOCAL names it
#   lib\kestlink.def | lib\kestlink-x86.def
#
# and a Start-menu entry; Windows lists it under installed programs with its
# icon, publisher and version, and removes it from there.
#
# wixl rather than NSIS: the NSIS installer is itself a 32-bit program, which
# cannot run under Wine where the kernel runs no 32-bit programs; an MSI is
# data that the 64-bit msiexec installs, so both installers are tested on
# every machine (packaging/windows/tests.cmake).
include(${CMAKE_CURRENT_LIST_DIR}/identity.cmake)

set(kestrix_installers)
foreach(arch IN ITEMS x64 x86)
  string(TOUPPER ${arch} ARCH)
  set(msi_build ${KESTRIX_WINDOWS_${ARCH}_BUILD})
  set(msi_product_name ${KESTRIX_MSI_PRODUCT_NAME_${arch}})
  set(msi_upgrade_code ${KESTRIX_MSI_UPGRADE_CODE_${arch}})
  set(msi_file_name Kestrix-${PROJECT_VERSION}-${arch}.msi)
  if(arch STREQUAL "x64")
    set(msi_width 64)
    set(msi_program_files ProgramFiles64Folder)
    # wixl marks no component 64-bit by itself, whatever its --arch.
    set(msi_win64 yes)
    set(msi_def_name kestlink.def)
    set(msi_mingw_gcc x86_64-w64-mingw32-gcc)
    set(msi_folder "C:\\Program Files\\Kestrix")
  else()
    set(msi_width 32)
    set(msi_program_files ProgramFilesFolder)
    set(msi_win64 no)
    set(msi_def_name kestlink-x86.def)
    set(msi_mingw_gcc i686-w64-mingw32-gcc)
    set(msi_folder "C:\\Program Files (x86)\\Kestrix")
  endif()
  # Fixed for ever, and the widths' apart: wixl's own GUIDs for Guid="*"
  # come out the same for both widths.
  foreach(component IN ITEMS KestrixExe KestlinkDll Readme Licence Header ImportLibrary ModuleDefinition
                    ProgrammerInstallFolder)
    string(UUID msi_guid_${component} NAMESPACE ${msi_upgrade_code} NAME ${component} TYPE SHA1 UPPER)
  endforeach()

  set(msi_dir ${CMAKE_CURRENT_BINARY_DIR}/installer-${arch})
  set(msi_readme ${msi_dir}/README.txt)
  set(msi_sources
    exe ${msi_build}/operator/win32/Kestrix.exe
    dll ${msi_build}/devicelink/kestlink.dll
    import_library ${msi_build}/devicelink/libkestlink.dll.a
    header ${KESTRIX_SOURCE_DIR}/devicelink/include/kestlink.h
    def ${KESTRIX_SOURCE_DIR}/devicelink/${msi_def_name}
    icon ${KESTRIX_ICON_FILE})
  set(msi_inputs)
  while(msi_sources)
    list(POP_FRONT msi_sources name path)
    # wixl finds no file by an absolute name, only relative to the .wxs.
    file(RELATIVE_PATH msi_source_${name} ${msi_dir} ${path})
    list(APPEND msi_inputs ${path})
  endwhile()
  # Windows' Notepad and most Windows tools expect CRLF.
  configure_file(${CMAKE_CURRENT_LIST_DIR}/README.txt.in ${msi_readme} @ONLY NEWLINE_STYLE CRLF)
  configure_file(${KESTRIX_SOURCE_DIR}/LICENSE ${msi_dir}/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/kestrix.wxs.in ${msi_dir}/kestrix.wxs @ONLY)

  set(msi ${CMAKE_CURRENT_BINARY_DIR}/${msi_file_name})
  add_custom_command(OUTPUT ${msi}
    COMMAND ${KESTRIX_WIXL} --arch ${arch} --output ${msi} ${msi_dir}/kestrix.wxs
    DEPENDS ${msi_dir}/kestrix.wxs ${msi_readme} ${msi_inputs}
    COMMENT "Making the ${msi_width}-bit Windows installer ${msi_file_name}"
    VERBATIM)
  list(APPEND kestrix_installers ${msi})
endforeach()
add_custom_target(installers ALL DEPENDS ${kestrix_installers})
