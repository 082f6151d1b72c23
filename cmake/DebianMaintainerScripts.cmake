# SPDX-License-Identifier: MIT
# Run by cpack (CPACK_POST_BUILD_SCRIPTS) once the package is made. CPack's DEB generator adds
# a postinst and a postrm that run ldconfig for any shared library one folder below /usr/lib,
# so also for the private folder /usr/lib/hueloft, which the dynamic linker never searches:
# the calls do nothing but slow the installation down. The package is made again without
# those two scripts, as long as they are exactly CPack's ldconfig calls.

foreach(package IN LISTS CPACK_PACKAGE_FILES)
    if(NOT package MATCHES "\\.deb$")
        continue()
    endif()
    find_program(DPKG_DEB dpkg-deb)
    if(NOT DPKG_DEB)
        message(WARNING "dpkg-deb is not installed: ${package} keeps CPack's ldconfig calls")
        continue()
    endif()
    get_filename_component(folder "${package}" DIRECTORY)
    set(tree "${folder}/without-ldconfig")
    file(REMOVE_RECURSE "${tree}")
    execute_process(COMMAND "${DPKG_DEB}" --raw-extract "${package}" "${tree}"
        RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "dpkg-deb could not unpack ${package} (${status})")
    endif()
    set(removed FALSE)
    foreach(script postinst postrm)
        set(path "${tree}/DEBIAN/${script}")
        if(EXISTS "${path}")
            file(READ "${path}" text)
            string(REGEX REPLACE "[ \t\n]+" " " text "${text}")
            if(text MATCHES "^#!/bin/sh set -e if \\[ \"\\$1\" = \"(configure|remove)\" \\]; then ldconfig fi ?$")
                file(REMOVE "${path}")
                set(removed TRUE)
            endif()
        endif()
    endforeach()
    if(removed)
        execute_process(COMMAND "${DPKG_DEB}" --root-owner-group -Zxz --build "${tree}" "${package}"
            OUTPUT_QUIET RESULT_VARIABLE status)
        if(NOT status EQUAL 0)
            message(FATAL_ERROR "dpkg-deb could not make ${package} again (${status})")
        endif()
    endif()
    file(REMOVE_RECURSE "${tree}")
endforeach()
