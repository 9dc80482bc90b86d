# Cross build for 64-bit Windows; the result runs under wine64 and is tested there.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(PALVEX_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
