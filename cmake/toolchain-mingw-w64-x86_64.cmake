# Cross build for 64-bit Windows with Debian's MinGW-w64; the settings both widths share are in
# mingw-w64-common.cmake.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(orvane_mingw_prefix x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
