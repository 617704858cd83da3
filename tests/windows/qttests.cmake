# The Qt tests that make sense on Windows, cross-built with the Qt for Windows kit and run under
# wine: the logic with its scripted platform, the wait for a folder read, the dialogs and the Qt
# platform, the window's layout and pictures, and the dialogs' language (on a French system). The others use what only
# the Linux build has (names as raw bytes, mount namespaces, Xvfb, ICU's collation for the name
# order); tests/wine/ drives the whole program's real window from outside.
# Included by tests/CMakeLists.txt; the wine prefix comes from windows.cmake (fixture "wine").
set(portable_support dialogscript scriptedplatform windowboxes)
set(portable_tests logic/tst_rules logic/tst_commands logic/tst_details logic/tst_navigation
    platform/controls/tst_folderwait platform/tst_dialogs platform/tst_qtplatform window/tst_layout
    window/tst_assets window/tst_application window/tst_fonts)

set(support_sources support/placeholder.cpp)
foreach(name ${portable_support})
  list(APPEND support_sources support/${name}.cpp support/${name}.h)
endforeach()
add_library(quervelle_test_support STATIC ${support_sources})
target_include_directories(quervelle_test_support PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(quervelle_test_support PUBLIC quervelle_window Qt6::Test)

foreach(test ${portable_tests})
  get_filename_component(folder ${test} DIRECTORY)
  get_filename_component(layer ${folder} NAME)
  get_filename_component(stem ${test} NAME)
  string(REGEX REPLACE "^tst_" "" name ${stem})
  set(target tst_${layer}_${name})
  add_executable(${target} ${test}.cpp)
  target_link_libraries(${target} PRIVATE quervelle_test_support)
  list(APPEND targets ${target})
  list(APPEND names ${layer}_${name})
endforeach()

if(NOT CMAKE_CROSSCOMPILING)
  foreach(target name IN ZIP_LISTS targets names)
    add_test(NAME ${name} COMMAND ${target})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT
      "QT_QPA_PLATFORM=offscreen;QUERVELLE_SOURCE_DIR=${CMAKE_SOURCE_DIR};QUERVELLE_BINARY_DIR=${CMAKE_BINARY_DIR}")
  endforeach()
  return()
endif()

# Under wine, on the Windows platform plugin (runqttest.cmake gives each its X server). Wine
# finds the Qt and runtime libraries through its PATH and the plugins (the platform, the icon
# reader) through Qt's own variable, every path given as wine sees it, on Z:.
function(quervelle_wine_path out)
  set(paths)
  foreach(path ${ARGN})
    string(REPLACE "/" "\\" path "Z:${path}")
    list(APPEND paths "${path}")
  endforeach()
  string(REPLACE ";" "\\;" paths "${paths}")
  set(${out} "${paths}" PARENT_SCOPE)
endfunction()

get_target_property(qt_core Qt6::Core IMPORTED_LOCATION_RELEASE)
get_target_property(platform Qt6::QWindowsIntegrationPlugin IMPORTED_LOCATION_RELEASE)
get_filename_component(qt_bin ${qt_core} DIRECTORY)
get_filename_component(qt_plugins ${platform} DIRECTORY)
get_filename_component(qt_plugins ${qt_plugins} DIRECTORY)
include(${CMAKE_SOURCE_DIR}/cmake/mingw-runtime.cmake)
quervelle_wine_path(wine_path ${qt_bin} ${QUERVELLE_RUNTIME_FOLDERS})
quervelle_wine_path(wine_plugins ${qt_plugins})
quervelle_wine_path(wine_source ${CMAKE_SOURCE_DIR})
quervelle_wine_path(wine_binary ${CMAKE_BINARY_DIR})

foreach(target name IN ZIP_LISTS targets names)
  add_test(NAME ${name}
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${target}>
            -DREPORT=${CMAKE_CURRENT_BINARY_DIR}/${target}.txt
            -P ${CMAKE_CURRENT_SOURCE_DIR}/windows/runqttest.cmake)
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine
    ENVIRONMENT "WINEPREFIX=${QUERVELLE_WINEPREFIX};WINEDEBUG=-all;WINEDLLOVERRIDES=mscoree,mshtml=;LANG=C.UTF-8;QT_QPA_PLATFORM=windows;WINEPATH=${wine_path};QT_PLUGIN_PATH=${wine_plugins};QUERVELLE_SOURCE_DIR=${wine_source};QUERVELLE_BINARY_DIR=${wine_binary}"
    TIMEOUT 300)
endforeach()
# Wine takes the system's language from LANG: French, whose buttons Qt translates.
set_property(TEST window_application APPEND PROPERTY ENVIRONMENT_MODIFICATION LANG=set:fr_FR.UTF-8)
