# Cross build for 32-bit Windows, the program's real target. Running it needs
# wine32, which is not always installable; building it proves it compiles.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(PALVEX_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
