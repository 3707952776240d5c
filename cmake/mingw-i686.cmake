# Cross toolchain: 32-bit Windows (the release), tests under 32-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(QUILLON_TRIPLE i686-w64-mingw32)
set(QUILLON_WINE_EMULATOR wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
