# SPDX-License-Identifier: MIT
# Windows, i686, with Debian's MinGW-w64: cmake -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-i686.cmake
set(HUELOFT_MINGW_PROCESSOR i686)
include("${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake")
