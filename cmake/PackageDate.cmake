# SPDX-License-Identifier: MIT
# Read by cpack before it makes the package (CPACK_PROJECT_CONFIG_FILE). Every time in the
# package (its members, the changelog's date) is SOURCE_DATE_EPOCH, which cpack, the changelog
# script and dpkg-deb all take from the environment. Unless the caller gives one, it is the time
# of the commit the sources are checked out at, so that one commit gives the same package
# wherever and whenever it is made; sources without their git history (an unpacked archive)
# take the time of the top CMakeLists.txt, which git archive sets to the commit's time.

if("$ENV{SOURCE_DATE_EPOCH}" MATCHES "^[0-9]+$")
    return()
endif()

set(hueloft_epoch "")
if(CPACK_HUELOFT_GIT)
    # Only the sources' own history: a tree unpacked inside another repository has none.
    execute_process(COMMAND "${CPACK_HUELOFT_GIT}" -C "${CPACK_HUELOFT_SOURCE_DIR}"
            rev-parse --show-toplevel
        OUTPUT_VARIABLE hueloft_top OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET
        RESULT_VARIABLE hueloft_status)
    if(hueloft_status EQUAL 0)
        file(REAL_PATH "${hueloft_top}" hueloft_top)
        file(REAL_PATH "${CPACK_HUELOFT_SOURCE_DIR}" hueloft_source)
        if(hueloft_top STREQUAL hueloft_source)
            execute_process(COMMAND "${CPACK_HUELOFT_GIT}" -C "${CPACK_HUELOFT_SOURCE_DIR}"
                    log -1 --format=%ct
                OUTPUT_VARIABLE hueloft_epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
        endif()
    endif()
endif()
if(NOT hueloft_epoch MATCHES "^[0-9]+$")
    file(TIMESTAMP "${CPACK_HUELOFT_SOURCE_DIR}/CMakeLists.txt" hueloft_epoch "%s" UTC)
endif()
set(ENV{SOURCE_DATE_EPOCH} "${hueloft_epoch}")
