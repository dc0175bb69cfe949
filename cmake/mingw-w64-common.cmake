# Cross build for Windows with Debian's MinGW-w64, posix threads flavour: the win32 flavour of this
# GCC has no std::mutex, which the Value pool uses. The including toolchain file sets
# CMAKE_SYSTEM_PROCESSOR and orvane_mingw_prefix.
#
# The C++ and GCC runtimes are linked statically, so the module and the programs run on a bare
# Windows (or Wine) without the toolchain's own DLLs beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${orvane_mingw_prefix}-gcc-posix)
set(CMAKE_CXX_COMPILER ${orvane_mingw_prefix}-g++-posix)
set(CMAKE_RC_COMPILER ${orvane_mingw_prefix}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${orvane_mingw_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static everything (winpthread included), so nothing but system DLLs is imported.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
# ctest runs the Windows programs through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
