# The layers of the program, lowest first, written once: each lists its sources (relative to
# src/), those that only one system builds (_linux, _windows), and the layers it builds on. A
# layer may include its own headers and those of the layers it builds on, directly or through
# another, and nothing else. CMakeLists.txt makes a library of each layer that shows only its own
# headers; the test layers_includes (tests/layers/) checks every #include in src/ against this
# file, and that no source in src/ is left out of it. Add a new source to its layer here.

set(QUERVELLE_LAYERS core files logic controls platform window program)

# What every layer shares: the Platform interface the logic is written against, the file date,
# and the two kinds of error.
set(QUERVELLE_core_USES)
set(QUERVELLE_core_SOURCES
  platform/filedate.h
  platform/platform.h
  platform/files/errors.cpp
  platform/files/errors.h)

# No Qt: path texts, patterns, folder reading, file operations, drives.
set(QUERVELLE_files_USES core)
set(QUERVELLE_files_SOURCES
  platform/files/directoryreader.cpp
  platform/files/directoryreader.h
  platform/files/drives.cpp
  platform/files/drives.h
  platform/files/fileoperations.h
  platform/files/namelist.cpp
  platform/files/namelist.h
  platform/files/pathtext.cpp
  platform/files/pathtext.h
  platform/files/pattern.cpp
  platform/files/pattern.h)
set(QUERVELLE_files_linux_SOURCES
  platform/files/linux/directoryreader.cpp
  platform/files/linux/fileoperations.cpp
  platform/files/linux/mountinfo.cpp
  platform/files/linux/mountinfo.h
  platform/files/linux/nativepath.cpp)
set(QUERVELLE_files_windows_SOURCES
  platform/files/windows/directoryreader.cpp
  platform/files/windows/drives.cpp
  platform/files/windows/fileoperations.cpp
  platform/files/windows/nativepath.cpp
  platform/files/windows/ownedhandle.h
  platform/files/windows/systemerror.cpp
  platform/files/windows/systemerror.h
  platform/files/windows/systempath.cpp
  platform/files/windows/systempath.h
  platform/files/windows/widetext.cpp
  platform/files/windows/widetext.h)

# No Qt: the rules and the event handlers, written against Platform only.
set(QUERVELLE_logic_USES core)
set(QUERVELLE_logic_SOURCES
  logic/commands.cpp
  logic/details.cpp
  logic/handlers.h
  logic/navigation.cpp
  logic/rules.cpp
  logic/rules.h
  logic/windowvariables.h)

# The three lists and the name order (Qt widgets).
set(QUERVELLE_controls_USES files)
set(QUERVELLE_controls_SOURCES
  platform/controls/dirlistbox.cpp
  platform/controls/dirlistbox.h
  platform/controls/dirlistmodel.cpp
  platform/controls/dirlistmodel.h
  platform/controls/drivelistbox.cpp
  platform/controls/drivelistbox.h
  platform/controls/filelistbox.cpp
  platform/controls/filelistbox.h
  platform/controls/filelistmodel.cpp
  platform/controls/filelistmodel.h
  platform/controls/folderwait.cpp
  platform/controls/folderwait.h
  platform/controls/nameorder.cpp
  platform/controls/nameorder.h
  platform/controls/namesort.h
  platform/controls/sorthalves.h
  platform/controls/startlisting.cpp
  platform/controls/startlisting.h
  platform/controls/twothreads.h)
# Linux sorts names with ICU's keys directly (icu/); Windows with the collator's key objects.
set(QUERVELLE_controls_linux_SOURCES
  platform/controls/icu/keywriter.cpp
  platform/controls/icu/keywriter.h
  platform/controls/icu/latinkeys.cpp
  platform/controls/icu/latinkeys.h
  platform/controls/icu/namesort.cpp)
set(QUERVELLE_controls_windows_SOURCES
  platform/controls/windows/namesort.cpp)

# Platform over Qt: the lists, the dialogs, the date text.
set(QUERVELLE_platform_USES controls)
set(QUERVELLE_platform_SOURCES
  platform/datetext.cpp
  platform/datetext.h
  platform/dialogs.cpp
  platform/dialogs.h
  platform/qtplatform.cpp
  platform/qtplatform.h)

# The window: controls at their design places, event wiring, accessibility, the design font.
set(QUERVELLE_window_USES platform logic)
set(QUERVELLE_window_SOURCES
  window/accessibility.cpp
  window/accessibility.h
  window/accessibleinterfaces.cpp
  window/accessibleinterfaces.h
  window/application.cpp
  window/application.h
  window/design.h
  window/fonts.cpp
  window/fonts.h
  window/quervelle.cpp
  window/quervelle.h
  window/wiring.cpp
  window/wiring.h)
set(QUERVELLE_window_linux_SOURCES window/linux/fonts.cpp)
set(QUERVELLE_window_windows_SOURCES
  window/windows/fonts.cpp
  window/windows/qtfontregistry.cpp
  window/windows/qtfontregistry.h)

# The executable.
set(QUERVELLE_program_USES window)
set(QUERVELLE_program_SOURCES main.cpp)
