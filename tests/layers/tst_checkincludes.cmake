# The include check's own cases: each row copies src/ into WORK, adds one line to one file (a
# new file when it is not there), runs the check on the copy and compares its verdict, and for a
# refusal the fault it names, with the row's.
#   cmake -DSOURCE_DIR=<src> -DCHECK=<checkincludes.cmake> -DWORK=<folder> -P tst_checkincludes.cmake
cmake_minimum_required(VERSION 3.25)

# name | file | line added | verdict | what the check says (refusals)
set(rows
  "files_header_includes_controls|platform/files/pathtext.h|#include \"platform/controls/nameorder.h\"|refused|platform/files/pathtext.h (files) includes \"platform/controls/nameorder.h\" (controls)"
  "files_header_includes_platform|platform/files/fileoperations.h|#include \"platform/qtplatform.h\"|refused|platform/files/fileoperations.h (files) includes \"platform/qtplatform.h\" (platform)"
  "core_includes_files_beside_it|platform/files/errors.h|#include \"pathtext.h\"|refused|platform/files/errors.h (core) includes \"pathtext.h\" (files)"
  "logic_includes_files|logic/rules.cpp|#include \"platform/files/pattern.h\"|refused|logic/rules.cpp (logic) includes \"platform/files/pattern.h\" (files): logic may include only logic, core"
  "logic_includes_platform_in_angles|logic/rules.cpp|#include <platform/qtplatform.h>|refused|logic/rules.cpp (logic) includes \"platform/qtplatform.h\" (platform)"
  "controls_includes_window|platform/controls/filelistbox.cpp|#include \"window/quervelle.h\"|refused|platform/controls/filelistbox.cpp (controls) includes \"window/quervelle.h\" (window)"
  "windows_part_includes_dialogs|platform/files/windows/drives.cpp|#include \"platform/dialogs.h\"|refused|platform/files/windows/drives.cpp (files) includes \"platform/dialogs.h\" (platform)"
  "climbing_out_of_its_folder|platform/files/pattern.cpp|#include \"../../window/wiring.h\"|refused|platform/files/pattern.cpp (files) includes \"../../window/wiring.h\" (window)"
  "source_in_no_layer|logic/stray.cpp|// a source of its own|refused|logic/stray.cpp: in no layer of layers.cmake"
  "layer_lists_a_missing_file|layers.cmake|list(APPEND QUERVELLE_logic_SOURCES logic/gone.cpp)|refused|logic/gone.cpp: listed in logic, but not found"
  "window_includes_files_two_layers_down|window/wiring.cpp|#include \"platform/files/pathtext.h\"|accepted|"
  "files_includes_core|platform/files/pathtext.cpp|#include \"platform/platform.h\"|accepted|"
  "unchanged|main.cpp||accepted|")

set(failures 0)
foreach(row ${rows})
  string(REPLACE "|" ";" fields "${row}")
  list(GET fields 0 name)
  list(GET fields 1 file)
  list(GET fields 2 added)
  list(GET fields 3 expected)
  list(GET fields 4 says)
  set(copy ${WORK}/${name})
  file(REMOVE_RECURSE ${copy})
  file(COPY ${SOURCE_DIR}/ DESTINATION ${copy})
  file(APPEND ${copy}/${file} "\n${added}\n")
  execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${copy} -P ${CHECK}
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(status EQUAL 0)
    set(verdict accepted)
  else()
    set(verdict refused)
  endif()
  set(fault "")
  if(NOT verdict STREQUAL expected)
    set(fault "${expected} expected, ${verdict}")
  elseif(says)
    string(FIND "${out}" "${says}" at)
    if(at EQUAL -1)
      set(fault "the check did not say: ${says}")
    endif()
  endif()
  if(fault)
    math(EXPR failures "${failures} + 1")
    message("FAIL ${name}: ${fault}\n${out}")
  else()
    message("PASS ${name}: ${verdict}")
    file(REMOVE_RECURSE ${copy})
  endif()
endforeach()
list(LENGTH rows count)
if(failures)
  message(FATAL_ERROR "${failures} of ${count} cases failed")
endif()
message("${count} cases passed")
