# SPDX-License-Identifier: MIT
# Cross-building for Windows with Debian's MinGW-w64 (the posix thread model). Not used on its
# own: toolchain-mingw-x86_64.cmake and toolchain-mingw-i686.cmake name the processor first.

if(NOT HUELOFT_MINGW_PROCESSOR)
    message(FATAL_ERROR "Use cmake/toolchain-mingw-x86_64.cmake or cmake/toolchain-mingw-i686.cmake")
endif()

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${HUELOFT_MINGW_PROCESSOR})
set(triple ${HUELOFT_MINGW_PROCESSOR}-w64-mingw32)

# The posix variants: std::thread and friends work, and everything links statically.
find_program(CMAKE_C_COMPILER NAMES ${triple}-gcc-posix ${triple}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${triple}-g++-posix ${triple}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${triple}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
