# The folders that hold the MinGW compiler's runtime libraries (libstdc++, libgcc, winpthread),
# which the Windows program and the Qt libraries load: QUERVELLE_RUNTIME_FOLDERS. The bundle
# ships them from there; the tests under wine find them there.
if(NOT MINGW OR DEFINED QUERVELLE_RUNTIME_FOLDERS)
  return()
endif()
set(QUERVELLE_RUNTIME_FOLDERS)
foreach(library libstdc++-6.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${library}
                  OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
  get_filename_component(found ${found} DIRECTORY)
  list(APPEND QUERVELLE_RUNTIME_FOLDERS ${found})
endforeach()
list(REMOVE_DUPLICATES QUERVELLE_RUNTIME_FOLDERS)
