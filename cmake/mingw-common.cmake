# Shared part of the MinGW-w64 toolchains. The including file sets
# PALVEX_MINGW_TRIPLE and CMAKE_SYSTEM_PROCESSOR first.
set(CMAKE_SYSTEM_NAME Windows)

# The -posix variants: the plain names use the win32 thread model, which has no
# std::mutex, and GoogleTest does not build with them.
set(CMAKE_C_COMPILER ${PALVEX_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PALVEX_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${PALVEX_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${PALVEX_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static runtime: the exe must run on a bare Windows with no MinGW DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

# CTest runs the test executables through Wine, each build folder with a prefix
# of its own so that parallel builds and registry changes do not meet.
get_filename_component(PALVEX_WINE_RUN "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run" ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR "${PALVEX_WINE_RUN};--build-dir;${CMAKE_BINARY_DIR}")
