# Makes the Windows bundle, its zip and the description of its installer (see
# windows-bundle.cmake):
#   cmake -DPROGRAM=<quervelle.exe> -DPLUGIN=<qwindows.dll> -DSEARCH=<folder|folder...>
#         -DOBJDUMP=<objdump> -DSTRIP=<strip> -DBUNDLE=<folder> -DLICENSE=<file>
#         -DNOTICES=<file> -DLICENCE_TEXTS=<file|file...> -DICON=<quervelle.ico>
#         -DWXS_TEMPLATE=<quervelle.wxs.in> -DWXS=<quervelle.wxs> -DZIP=<zip>
#         -P windows-bundle-make.cmake
cmake_minimum_required(VERSION 3.25)
string(REPLACE "|" ";" SEARCH "${SEARCH}")
string(REPLACE "|" ";" LICENCE_TEXTS "${LICENCE_TEXTS}")

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "failed (${result}): ${ARGN}")
  endif()
endfunction()

# What the program and the plugin import, and what that imports in turn: a library found in one
# of the SEARCH folders is shipped; any other is Windows' own. CMake looks Windows' names up in
# lower case, which a case-sensitive file system would not find (Qt6Core.dll), so it searches a
# folder of lower-case links to them; the files shipped are those the links lead to.
set(CMAKE_GET_RUNTIME_DEPENDENCIES_PLATFORM "windows+pe")
set(CMAKE_GET_RUNTIME_DEPENDENCIES_TOOL "objdump")
set(CMAKE_GET_RUNTIME_DEPENDENCIES_COMMAND "${OBJDUMP}")
set(names ${BUNDLE}-names)
file(REMOVE_RECURSE ${names})
file(MAKE_DIRECTORY ${names})
foreach(folder ${SEARCH})
  file(GLOB found ${folder}/*.dll)
  foreach(library ${found})
    get_filename_component(name ${library} NAME)
    string(TOLOWER ${name} name)
    if(NOT EXISTS ${names}/${name}) # the first folder holding a name is the one searched
      file(CREATE_LINK ${library} ${names}/${name} SYMBOLIC)
    endif()
  endforeach()
endforeach()
file(GET_RUNTIME_DEPENDENCIES
  EXECUTABLES ${PROGRAM} MODULES ${PLUGIN} DIRECTORIES ${names}
  PRE_EXCLUDE_REGEXES "^api-ms-" "^ext-ms-"
  RESOLVED_DEPENDENCIES_VAR linked UNRESOLVED_DEPENDENCIES_VAR from_windows
  CONFLICTING_DEPENDENCIES_PREFIX conflicting)
set(libraries)
foreach(link ${linked})
  file(REAL_PATH ${link} library)
  list(APPEND libraries ${library})
endforeach()
file(REMOVE_RECURSE ${names})
if(NOT libraries)
  message(FATAL_ERROR "no Qt or runtime library found for ${PROGRAM} in ${SEARCH}")
endif()

set(folder ${BUNDLE}/quervelle)
file(REMOVE_RECURSE ${BUNDLE})
file(MAKE_DIRECTORY ${folder}/platforms)
file(COPY ${PROGRAM} ${libraries} DESTINATION ${folder})
file(COPY ${PLUGIN} DESTINATION ${folder}/platforms)
file(GLOB_RECURSE shipped ${folder}/*)
foreach(file ${shipped})
  run(${STRIP} --strip-unneeded ${file})
endforeach()

# The licence, and the notices followed by the licence texts, with Windows' line ends.
function(write_windows_text target text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${target} "${text}")
endfunction()
file(READ ${LICENSE} licence)
write_windows_text(${folder}/LICENSE.txt "${licence}")
file(READ ${NOTICES} notices)
set(rule "================================================================================")
foreach(text ${LICENCE_TEXTS})
  file(READ ${text} content)
  get_filename_component(name ${text} NAME)
  if(name STREQUAL "copyright") # /usr/share/doc/<package>/copyright
    get_filename_component(package ${text} DIRECTORY)
    get_filename_component(package ${package} NAME)
    set(name "Fichier de copyright Debian du paquet ${package}")
  endif()
  string(APPEND notices "\n${rule}\n${name}\n${rule}\n\n${content}")
endforeach()
write_windows_text(${folder}/THIRD-PARTY-NOTICES.txt "${notices}")

file(REMOVE ${ZIP})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${ZIP} --format=zip quervelle
                WORKING_DIRECTORY ${BUNDLE} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cannot make ${ZIP}")
endif()

# The installer's description: one component for each file, each in its folder; the program's
# component also makes the Start-menu entry. wixl takes only paths relative to the folder of the
# description, where the icon is copied.
get_filename_component(wxs_folder ${WXS} DIRECTORY)
file(COPY ${ICON} DESTINATION ${wxs_folder})
get_filename_component(ICON ${ICON} NAME)
set(FILES)
set(COMPONENTS)
set(index 0)
function(add_files indent subfolder)
  file(GLOB entries LIST_DIRECTORIES true ${folder}/${subfolder}*)
  list(SORT entries)
  foreach(entry ${entries})
    get_filename_component(name ${entry} NAME)
    if(IS_DIRECTORY ${entry})
      string(APPEND FILES "${indent}<Directory Id=\"dossier_${name}\" Name=\"${name}\">\n")
      add_files("${indent}  " "${subfolder}${name}/")
      string(APPEND FILES "${indent}</Directory>\n")
      continue()
    endif()
    math(EXPR index "${index} + 1")
    set(id "fichier_${index}")
    file(RELATIVE_PATH source ${wxs_folder} ${entry})
    string(APPEND FILES "${indent}<Component Id=\"${id}\" Guid=\"*\" Win64=\"yes\">\n"
                        "${indent}  <File Id=\"${id}\" Name=\"${name}\" Source=\"${source}\" KeyPath=\"yes\"/>\n")
    if(name STREQUAL "quervelle.exe")
      string(APPEND FILES "${indent}  <Shortcut Id=\"menu\" Directory=\"ProgramMenuFolder\" "
                          "Name=\"Quervelle de fichiers\" Target=\"[#${id}]\" "
                          "WorkingDirectory=\"INSTALLDIR\" Icon=\"quervelle.ico\"/>\n")
    endif()
    string(APPEND FILES "${indent}</Component>\n")
    string(APPEND COMPONENTS "      <ComponentRef Id=\"${id}\"/>\n")
  endforeach()
  set(FILES "${FILES}" PARENT_SCOPE)
  set(COMPONENTS "${COMPONENTS}" PARENT_SCOPE)
  set(index ${index} PARENT_SCOPE)
endfunction()
add_files("          " "")
string(REGEX REPLACE "\n$" "" FILES "${FILES}")
string(REGEX REPLACE "\n$" "" COMPONENTS "${COMPONENTS}")
configure_file(${WXS_TEMPLATE} ${WXS} @ONLY)

list(SORT from_windows CASE INSENSITIVE)
list(JOIN from_windows " " from_windows)
message(STATUS "${ZIP}: from Windows itself: ${from_windows}")
