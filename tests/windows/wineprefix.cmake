# Makes the private wine prefix of the Windows tests (once: wineboot), then gives it, afresh on
# every run, the drives the tests expect. Run by CTest before them, as
#   cmake -DPREFIX=<wine prefix> -DDRIVES=<folder for the drives> -P wineprefix.cmake
# with WINEPREFIX, WINEDEBUG and WINEDLLOVERRIDES set.
#
#   A:  a floppy drive whose volume has a label (never read): the rules' root "a:\"
#   D:  a CD drive whose volume has a label (never read): the rules' root "d:\"
#   E:  a fixed drive labelled "Données"
#   G:  a fixed drive whose folder is gone: listed, but it cannot be read
# C: is the prefix's own drive; the rules' tests also use its root. The drives and the texts the
# drive list must show for them are written to C:\quervelle-test-drives.txt.

find_program(WINE wine REQUIRED)
find_program(WINEBOOT wineboot REQUIRED)
find_program(WINESERVER wineserver REQUIRED)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "failed (${result}): ${ARGN}")
  endif()
endfunction()

if(NOT EXISTS ${PREFIX}/system.reg)
  message(STATUS "Making the wine prefix ${PREFIX}")
  run(${WINEBOOT} -i)
endif()

# Windows keeps its fonts in C:\windows\Fonts: "MS Sans Serif" (the raster font drawn at 96 dots
# per inch) and Tahoma, the dialogs' face. Wine has its own (package fonts-wine), but Debian's
# wine does not find them in its data folder, so they are linked where Windows keeps them.
foreach(font sserife.fon tahoma.ttf tahomabd.ttf)
  if(NOT EXISTS /usr/share/wine/fonts/${font})
    message(FATAL_ERROR "/usr/share/wine/fonts/${font} is missing (package fonts-wine)")
  endif()
  file(CREATE_LINK /usr/share/wine/fonts/${font} ${PREFIX}/drive_c/windows/Fonts/${font} SYMBOLIC)
endforeach()

file(REMOVE_RECURSE ${DRIVES})
file(MAKE_DIRECTORY ${DRIVES}/a ${DRIVES}/d ${DRIVES}/e)
# Wine reads the label of a folder-backed drive from this file at its root.
file(WRITE ${DRIVES}/a/.windows-label "Disquette")
file(WRITE ${DRIVES}/d/.windows-label "Disque")
file(WRITE ${DRIVES}/e/.windows-label "Données")

file(WRITE ${DRIVES}/drives.reg "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Drives]\n"
     "\"a:\"=\"floppy\"\n\"d:\"=\"cdrom\"\n\"e:\"=\"hd\"\n\"g:\"=\"hd\"\n")
string(REPLACE "/" "\\" registry "Z:${DRIVES}/drives.reg")
run(${WINE} regedit /S ${registry})
# The drives are read when wine starts: let this session end before they change.
run(${WINESERVER} -w)

foreach(letter a d e g)
  file(REMOVE ${PREFIX}/dosdevices/${letter}:)
endforeach()
file(CREATE_LINK ${DRIVES}/a ${PREFIX}/dosdevices/a: SYMBOLIC)
file(CREATE_LINK ${DRIVES}/d ${PREFIX}/dosdevices/d: SYMBOLIC)
file(CREATE_LINK ${DRIVES}/e ${PREFIX}/dosdevices/e: SYMBOLIC)
file(CREATE_LINK ${DRIVES}/gone ${PREFIX}/dosdevices/g: SYMBOLIC)

file(WRITE ${PREFIX}/drive_c/quervelle-test-drives.txt
     "A:\\\ta:\nC:\\\tc:\nD:\\\td:\nE:\\\te: [Données]\nG:\\\tg:\n")
