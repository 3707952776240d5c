# Cross toolchain: 64-bit Windows, tests under 64-bit Wine. The 64-bit loader is called
# directly: the wine wrapper prefers the 32-bit one whenever it is installed.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QUILLON_TRIPLE x86_64-w64-mingw32)
set(QUILLON_WINE_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine64/wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
