# SPDX-License-Identifier: MIT
# Windows, x86_64, with Debian's MinGW-w64: cmake -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-x86_64.cmake
set(HUELOFT_MINGW_PROCESSOR x86_64)
include("${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake")
