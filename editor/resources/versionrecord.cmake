# SPDX-License-Identifier: MIT
# The Windows resource script (icon, manifest, version record), shared by the Linux build, which
# checks it, and the Windows build, which links it.
#
# hueloft_version_record(<icon file> <output folder>) writes <output folder>/hueloft.rc and
# hueloft.manifest. The owner's texts (HUELOFT_COMPANY, HUELOFT_COPYRIGHT) are cache variables
# of cmake/ProjectOptions.cmake, shared with the About box.

set(HUELOFT_RESOURCES_SOURCE_DIR "${CMAKE_CURRENT_LIST_DIR}")

function(hueloft_rc_escape out text)
    string(REPLACE "\\" "\\\\" text "${text}")
    string(REPLACE "\"" "\"\"" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The values both version records share: the version in four numbers and the owner's texts.
macro(hueloft_version_record_values)
    # Windows shows the version as four numbers: 1.01 is 1,0,1,0.
    if(NOT PROJECT_VERSION MATCHES "^([0-9]+)\\.([0-9])([0-9])$")
        message(FATAL_ERROR "hueloft.rc: the version ${PROJECT_VERSION} is not of the form N.NN")
    endif()
    set(HUELOFT_RC_VERSION "${CMAKE_MATCH_1},${CMAKE_MATCH_2},${CMAKE_MATCH_3},0")
    hueloft_rc_escape(HUELOFT_RC_COMPANY "${HUELOFT_COMPANY}")
    hueloft_rc_escape(HUELOFT_RC_COPYRIGHT "${HUELOFT_COPYRIGHT}")
endmacro()

# hueloft_library_version_record(<template> <output file>): the version record of swatchy.dll.
function(hueloft_library_version_record template output)
    hueloft_version_record_values()
    configure_file("${template}" "${output}" @ONLY)
endfunction()

function(hueloft_version_record icon_file output_dir)
    hueloft_version_record_values()
    hueloft_rc_escape(HUELOFT_RC_DESCRIPTION "${PROJECT_DESCRIPTION}")
    set(HUELOFT_RC_COMMENTS "Mixes a color from red, green and blue with scroll bars or number \
boxes and copies it to the clipboard as program code, an HTML color or a bitmap.")
    hueloft_rc_escape(HUELOFT_RC_ICON "${icon_file}")
    string(REPLACE "," "." HUELOFT_MANIFEST_VERSION "${HUELOFT_RC_VERSION}")
    configure_file("${HUELOFT_RESOURCES_SOURCE_DIR}/hueloft.manifest.in"
        "${output_dir}/hueloft.manifest" @ONLY)
    hueloft_rc_escape(HUELOFT_RC_MANIFEST "${output_dir}/hueloft.manifest")
    configure_file("${HUELOFT_RESOURCES_SOURCE_DIR}/hueloft.rc.in" "${output_dir}/hueloft.rc"
        @ONLY)
endfunction()
