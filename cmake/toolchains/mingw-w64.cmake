# Cross-building for 64-bit Windows with MinGW-w64 (Debian's
# g++-mingw-w64-x86-64-posix: GCC with POSIX threads, so std::thread works).
#   cmake -S . -B build-win --toolchain cmake/toolchains/mingw-w64.cmake -DORDERDESK_WITH_QT=OFF
# Programs link the compiler's runtime statically and import only Windows'
# own DLLs. Build-time generators and the tests run under wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${_mingw}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# wine runs what the build itself runs (the window template generator) and
# the tests. wine64 8 has no `wine` command; its loader is used directly.
find_program(ORDERDESK_WINE NAMES wine wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(NOT ORDERDESK_WINE)
  find_program(ORDERDESK_WINE NAMES wine wine64)
endif()
if(ORDERDESK_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ORDERDESK_WINE})
endif()
