# Cross-compiling for 64-bit Windows with Debian's mingw-w64, posix thread model (the -posix
# compilers: std::thread and std::mutex work, as the Qt kit built with them expects).
#
# Used alone for the Qt-free build (preset windows-cross), or chain-loaded by a Qt for Windows
# kit's own toolchain file (QT_CHAINLOAD_TOOLCHAIN_FILE), which adds the kit to the search paths.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUERVELLE_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QUERVELLE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUERVELLE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QUERVELLE_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${QUERVELLE_MINGW_TRIPLE}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${QUERVELLE_MINGW_TRIPLE}-gcc-ranlib-posix CACHE FILEPATH "")

# Libraries and headers come from the Windows tree only; programs (moc, rcc) from the host.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${QUERVELLE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
