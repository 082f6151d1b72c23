# SPDX-License-Identifier: MIT
# Compiler settings shared by every target of the tree.

set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
# The static libraries are linked into the shared swatchy library as well.
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)

# A build with the tests keeps debug information for them; one without (the README's release
# build) makes only what is installed, which is stripped: it is built as what it is.
if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
    if(DEFINED BUILD_TESTING AND NOT BUILD_TESTING)
        set(CMAKE_BUILD_TYPE Release CACHE STRING "Build type" FORCE)
    else()
        set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "Build type" FORCE)
    endif()
endif()
if(CMAKE_BUILD_TYPE)
    message(STATUS "Build type: ${CMAKE_BUILD_TYPE}")
endif()

find_program(CCACHE_PROGRAM ccache)
if(CCACHE_PROGRAM)
    set(CMAKE_CXX_COMPILER_LAUNCHER "${CCACHE_PROGRAM}")
endif()

option(HUELOFT_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(HUELOFT_BUILD_BENCH "Build the benchmarks in bench/" OFF)
option(HUELOFT_FUZZ "Build the INI fuzzer in fuzz/ (needs clang++)" OFF)

# Everything the program needs at run time lands in one folder, so that a plain build runs
# and finds libswatchy beside the program.
set(HUELOFT_OUTPUT_DIR "${PROJECT_BINARY_DIR}/bin")
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY "${HUELOFT_OUTPUT_DIR}")
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY "${HUELOFT_OUTPUT_DIR}")

# The loader reads an empty or relative run path entry as the current folder, so a program
# started from a folder holding a libQt6Widgets.so.6 would run that file's code. Every entry
# of every run path is therefore anchored at the binary's own folder ($ORIGIN); the padding
# that CMake adds to make room for the install run path (a row of empty entries) is avoided by
# giving each installed binary a build run path at least as long as its install one.
if(UNIX AND NOT APPLE)
    set(CMAKE_BUILD_RPATH_USE_ORIGIN ON)
endif()

if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    add_compile_options(-Wall -Wextra -Wpedantic)
    # No folder of the build machine in any file (source names, debug information): one
    # commit built in two places gives the same files (scripts/reproducible.sh checks it).
    add_compile_options("-ffile-prefix-map=${PROJECT_BINARY_DIR}/=build/"
                        "-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=")
    if(HUELOFT_SANITIZE)
        add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                            -fno-sanitize-recover=undefined)
        add_link_options(-fsanitize=address,undefined)
    endif()
elseif(MSVC)
    add_compile_options(/W4 /permissive-)
endif()


# The owner's texts: the About box and the version record take them from here.
set(HUELOFT_COPYRIGHT "(c) 2026 The hueloft developers" CACHE STRING
    "Rights notice shown in the About box and the version record")
set(HUELOFT_CONTACT "" CACHE STRING
    "The owner's contact for the About box: an e-mail or web address (empty: none given)")
# The About box's contact line. Without the owner's contact it names who can answer for a copy
# of a free program: whoever passed it on. A build tree configured before keeps the old
# placeholder in its cache, which named a contact the README never had.
# The Linux box shows a contact only when the owner gave one.
if(HUELOFT_CONTACT STREQUAL "" OR HUELOFT_CONTACT STREQUAL "Contact: see the project's README")
    set(HUELOFT_CONTACT_LINE "Contact: whoever gave you this copy")
    set(HUELOFT_OWNER_CONTACT_LINE "")
else()
    set(HUELOFT_CONTACT_LINE "Contact: ${HUELOFT_CONTACT}")
    set(HUELOFT_OWNER_CONTACT_LINE "${HUELOFT_CONTACT_LINE}")
endif()
foreach(line HUELOFT_CONTACT_LINE HUELOFT_OWNER_CONTACT_LINE)
    string(REPLACE "\\" "\\\\" ${line} "${${line}}")
    string(REPLACE "\"" "\\\"" ${line} "${${line}}")
endforeach()
set(HUELOFT_COMPANY "The hueloft developers" CACHE STRING
    "Company entry of the version record")
set(HUELOFT_DISTRIBUTION_NOTICE
    "This program is free software under the MIT licence: you may use, copy, change and pass it on, provided the licence notice is kept. It comes with no warranty."
    CACHE STRING "Distribution notice of the About box")
