# SPDX-License-Identifier: MIT
# The program's icon, and the files that make hueloft an installable desktop application.

hueloft_add_qtest(icon SOURCES tst_icon.cpp LIBRARIES hueloft_resources Qt6::Gui)
get_target_property(icon_dir hueloft_resources HUELOFT_ICON_DIR)
target_compile_definitions(tst_icon PRIVATE HUELOFT_ICON_DIR="${icon_dir}")

# The desktop integration files and the installable program, checked with the tools that
# distributions check them with. A missing tool skips its test with a message saying so.
include(GNUInstallDirs)
get_target_property(packaging_desktop_file hueloft_resources HUELOFT_DESKTOP_FILE)
get_target_property(packaging_metainfo_file hueloft_resources HUELOFT_METAINFO_FILE)
get_target_property(packaging_rc_file hueloft_resources HUELOFT_RC_FILE)

function(hueloft_add_packaging_test name script)
    add_test(NAME ${name}
        COMMAND sh "${CMAKE_CURRENT_SOURCE_DIR}/${script}" ${ARGN})
    set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300 LABELS packaging)
endfunction()

hueloft_add_packaging_test(packaging_desktop packaging_desktop.sh "${packaging_desktop_file}")
hueloft_add_packaging_test(packaging_metainfo packaging_metainfo.sh
    "${packaging_metainfo_file}" "${PROJECT_VERSION}" "${PROJECT_SOURCE_DIR}")
hueloft_add_packaging_test(packaging_windres packaging_windres.sh
    "${packaging_rc_file}" "${PROJECT_VERSION}")
# These need the whole program built, and must not run while another is installing.
hueloft_add_packaging_test(packaging_install packaging_install.sh
    "${PROJECT_BINARY_DIR}" "${CMAKE_INSTALL_LIBDIR}" "${PROJECT_VERSION}")
hueloft_add_packaging_test(packaging_deb packaging_deb.sh
    "${PROJECT_BINARY_DIR}" "${CMAKE_INSTALL_LIBDIR}" "${PROJECT_VERSION}")
# lintian on the package made with a maintainer, and on the unconfigured one.
hueloft_add_packaging_test(packaging_lintian packaging_lintian.sh "${PROJECT_BINARY_DIR}")
set_tests_properties(packaging_install packaging_deb packaging_lintian PROPERTIES RUN_SERIAL TRUE)
