# SPDX-License-Identifier: MIT
# The Windows build and its installer (scripts/package-windows.sh) under the 64-bit Wine,
# driven as a person uses it. One Wine prefix per test run, made first and removed last: a
# new prefix costs about ten seconds, so the scenarios share it and run one after another.

set(wine_prefix "${CMAKE_CURRENT_BINARY_DIR}/wineprefix")

add_test(NAME wine_prefix_create
         COMMAND sh "${CMAKE_CURRENT_SOURCE_DIR}/e2e/wineprefix.sh" create "${wine_prefix}")
add_test(NAME wine_prefix_remove
         COMMAND sh "${CMAKE_CURRENT_SOURCE_DIR}/e2e/wineprefix.sh" remove "${wine_prefix}")
set_tests_properties(wine_prefix_create PROPERTIES FIXTURES_SETUP wine SKIP_RETURN_CODE 77
                     TIMEOUT 120 LABELS wine)
set_tests_properties(wine_prefix_remove PROPERTIES FIXTURES_CLEANUP wine LABELS wine)

# hueloft_add_wine_test(<script> [arguments...]): tests/e2e/<script>.sh with the Windows build.
function(hueloft_add_wine_test script)
    add_test(NAME ${script}
             COMMAND sh "${CMAKE_CURRENT_SOURCE_DIR}/e2e/${script}.sh"
                     "${HUELOFT_WINDOWS_BIN}" ${ARGN})
    set_tests_properties(${script} PROPERTIES
        FIXTURES_REQUIRED wine
        ENVIRONMENT "HUELOFT_WINEPREFIX=${wine_prefix}"
        SKIP_RETURN_CODE 77 TIMEOUT 240 LABELS "e2e;wine" RUN_SERIAL TRUE)
endfunction()

hueloft_add_wine_test(wine_session)
# It makes a second Wine prefix, for the user nobody, and sweeps kills across 12 exits.
set_tests_properties(wine_session PROPERTIES TIMEOUT 600)
hueloft_add_wine_test(wine_dpi)
hueloft_add_wine_test(wine_install
    "${HUELOFT_WINDOWS_BIN}/../package/hueloft-${PROJECT_VERSION}-setup-x86_64.exe")

# The same session through both builds: the two settings files left behind must match.
add_test(NAME wine_same_file
         COMMAND sh "${CMAKE_CURRENT_SOURCE_DIR}/e2e/same_file.sh"
                 "${HUELOFT_OUTPUT_DIR}" "${HUELOFT_WINDOWS_BIN}")
set_tests_properties(wine_same_file PROPERTIES
    FIXTURES_REQUIRED wine
    ENVIRONMENT "HUELOFT_WINEPREFIX=${wine_prefix}"
    SKIP_RETURN_CODE 77 TIMEOUT 240 LABELS "e2e;wine" RUN_SERIAL TRUE)
