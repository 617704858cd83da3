# The Windows program as it ships, made by the MinGW builds: quervelle-windows-x64.zip holds one
# folder, quervelle/, with the program, the Qt and runtime libraries it loads, and the Windows
# platform plugin; nothing else. The libraries are those the program and the plugin import,
# found by reading their import tables (objdump), so that the bundle follows what Qt
# needs; Windows' own libraries are left to Windows. Each file is stripped. The folder is made
# in bundle/ of the build folder, where the tests under wine also run the program from.
#
# The runtime libraries stay libraries: the Qt libraries import libstdc++, libgcc and
# winpthread themselves, so a program linked with them statically would need no fewer files,
# and would carry a second C++ runtime beside the one Qt uses.
if(NOT MINGW)
  return()
endif()

set(QUERVELLE_WINDOWS_ZIP ${CMAKE_BINARY_DIR}/quervelle-windows-x64.zip)
set(runtime_folders)
foreach(library libstdc++-6.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${library}
                  OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
  get_filename_component(found ${found} DIRECTORY)
  list(APPEND runtime_folders ${found})
endforeach()
string(REPLACE ";" "|" search "$<TARGET_FILE_DIR:Qt6::Core>;${runtime_folders}")

add_custom_command(OUTPUT ${QUERVELLE_WINDOWS_ZIP}
  COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:quervelle>
          -DPLUGIN=$<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> "-DSEARCH=${search}"
          -DOBJDUMP=${CMAKE_OBJDUMP} -DSTRIP=${CMAKE_STRIP} -DBUNDLE=${CMAKE_BINARY_DIR}/bundle
          -DZIP=${QUERVELLE_WINDOWS_ZIP} -P ${CMAKE_SOURCE_DIR}/cmake/windows-bundle-make.cmake
  DEPENDS quervelle ${CMAKE_SOURCE_DIR}/cmake/windows-bundle-make.cmake
  COMMENT "Making quervelle-windows-x64.zip" VERBATIM)
add_custom_target(windows_zip ALL DEPENDS ${QUERVELLE_WINDOWS_ZIP})
