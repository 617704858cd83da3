# The Windows program as it ships, made by the MinGW builds: quervelle-windows-x64.zip holds one
# folder, quervelle/, with the program, the Qt and runtime libraries it loads, the Windows
# platform plugin, the licence (LICENSE.txt) and the notices of what others wrote
# (THIRD-PARTY-NOTICES.txt); nothing else. CMake finds the libraries the program and the plugin
# import (file(GET_RUNTIME_DEPENDENCIES)), so that the bundle follows what Qt needs; Windows' own
# libraries are left to Windows. Each program file is stripped. The folder is made in bundle/ of
# the build folder, where the tests under wine also run the program from.
#
# quervelle-<version>-x64.msi installs the same files for every user of the machine, in
# "Program Files\Quervelle de fichiers", with a Start-menu entry; it is made by wixl (package
# wixl) when wixl is there (windows_msi).
#
# The runtime libraries stay libraries: the Qt libraries import libstdc++, libgcc and
# winpthread themselves, so a program linked with them statically would need no fewer files,
# and would carry a second C++ runtime beside the one Qt uses.
if(NOT MINGW)
  return()
endif()
include(${CMAKE_CURRENT_LIST_DIR}/mingw-runtime.cmake)
# The notices are made from the licence texts of the Debian packages below: the bundle is made
# by the cross build from Debian, not by a build on Windows itself.
if(CMAKE_HOST_WIN32)
  message(STATUS "Built on Windows: no zip or installer (they are made by the cross build)")
  return()
endif()

set(QUERVELLE_WINDOWS_ZIP ${CMAKE_BINARY_DIR}/quervelle-windows-x64.zip)
set(QUERVELLE_WXS ${CMAKE_BINARY_DIR}/quervelle.wxs)
string(REPLACE ";" "|" search "$<TARGET_FILE_DIR:Qt6::Core>;${QUERVELLE_RUNTIME_FOLDERS}")

# The notices: what the bundle ships of others, then the texts of their licences, from the
# Debian packages the Qt source, the compiler and its runtime come from.
configure_file(packaging/windows/THIRD-PARTY-NOTICES.txt.in
               ${CMAKE_BINARY_DIR}/packaging/THIRD-PARTY-NOTICES.head @ONLY)
set(licence_texts /usr/share/common-licenses/CC0-1.0 /usr/share/common-licenses/LGPL-3
    /usr/share/doc/libqt6core6/copyright /usr/share/doc/gcc-mingw-w64-base/copyright
    /usr/share/doc/mingw-w64-common/copyright)
foreach(text ${licence_texts})
  if(NOT EXISTS ${text})
    message(FATAL_ERROR "${text} is missing: the notices of the Windows bundle need it "
                        "(packages qt6-base-dev, g++-mingw-w64-x86-64-posix)")
  endif()
endforeach()
string(REPLACE ";" "|" licence_texts "${licence_texts}")

add_custom_command(OUTPUT ${QUERVELLE_WINDOWS_ZIP} ${QUERVELLE_WXS}
  COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:quervelle>
          -DPLUGIN=$<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> "-DSEARCH=${search}"
          -DOBJDUMP=${CMAKE_OBJDUMP} -DSTRIP=${CMAKE_STRIP} -DBUNDLE=${CMAKE_BINARY_DIR}/bundle
          -DLICENSE=${CMAKE_SOURCE_DIR}/LICENSE
          -DNOTICES=${CMAKE_BINARY_DIR}/packaging/THIRD-PARTY-NOTICES.head
          "-DLICENCE_TEXTS=${licence_texts}" -DICON=${CMAKE_SOURCE_DIR}/assets/quervelle.ico
          -DWXS_TEMPLATE=${CMAKE_SOURCE_DIR}/packaging/windows/quervelle.wxs.in
          -DWXS=${QUERVELLE_WXS} -DZIP=${QUERVELLE_WINDOWS_ZIP}
          -P ${CMAKE_SOURCE_DIR}/cmake/windows-bundle-make.cmake
  DEPENDS quervelle ${CMAKE_SOURCE_DIR}/cmake/windows-bundle-make.cmake
          ${CMAKE_SOURCE_DIR}/LICENSE ${CMAKE_BINARY_DIR}/packaging/THIRD-PARTY-NOTICES.head
          ${CMAKE_SOURCE_DIR}/packaging/windows/quervelle.wxs.in
  COMMENT "Making quervelle-windows-x64.zip" VERBATIM)
add_custom_target(windows_zip ALL DEPENDS ${QUERVELLE_WINDOWS_ZIP})

# The installer's version has three numbers, as Windows Installer compares them.
set(QUERVELLE_MSI_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0)
set(QUERVELLE_MSI ${CMAKE_BINARY_DIR}/quervelle-${PROJECT_VERSION}-x64.msi)
find_program(QUERVELLE_WIXL wixl)
if(QUERVELLE_WIXL)
  add_custom_command(OUTPUT ${QUERVELLE_MSI}
    COMMAND ${QUERVELLE_WIXL} -a x64 -D Version=${QUERVELLE_MSI_VERSION} -o ${QUERVELLE_MSI}
            ${QUERVELLE_WXS}
    DEPENDS ${QUERVELLE_WINDOWS_ZIP} ${QUERVELLE_WXS} WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    COMMENT "Making quervelle-${PROJECT_VERSION}-x64.msi" VERBATIM)
  add_custom_target(windows_msi ALL DEPENDS ${QUERVELLE_MSI})
else()
  message(STATUS "wixl not found (package wixl): no Windows installer")
endif()
