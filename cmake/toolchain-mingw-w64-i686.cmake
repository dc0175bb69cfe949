# Cross build for 32-bit Windows with Debian's MinGW-w64 (package g++-mingw-w64-i686); the settings
# both widths share are in mingw-w64-common.cmake.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(orvane_mingw_prefix i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
