# Cross build of the 64-bit Windows program with MinGW-w64 (Debian's
# g++-mingw-w64-x86-64). The POSIX thread model gives the C++ library its
# complete <thread> and <mutex>; with static linking it adds no DLL.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs of the build run under Wine (its 64-bit loader) where it is
# installed; the tests need it.
find_program(RAIZES_WINE wine)
if(RAIZES_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${RAIZES_WINE})
endif()
