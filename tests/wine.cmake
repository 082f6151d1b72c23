# SPDX-License-Identifier: MIT
# The Windows builds (scripts/build-windows.sh, which the test command runs first): the
# x86_64 one under Wine, the i686 one by its export table (32-bit programs cannot run here).

set(HUELOFT_WINDOWS_I686_BIN "${PROJECT_SOURCE_DIR}/build-windows-i686/bin" CACHE PATH
    "bin folder of the i686 Windows build")

add_test(NAME wine_windows COMMAND sh "${CMAKE_CURRENT_SOURCE_DIR}/wine/run.sh"
                                      "${HUELOFT_WINDOWS_BIN}")
# Wine's first start of a prefix takes seconds and a dialog is driven on a real X server.
set_tests_properties(wine_windows PROPERTIES TIMEOUT 300 LABELS "wine;e2e" RUN_SERIAL TRUE)

foreach(build IN ITEMS x86_64 i686)
    if(build STREQUAL "i686")
        set(bin "${HUELOFT_WINDOWS_I686_BIN}")
    else()
        set(bin "${HUELOFT_WINDOWS_BIN}")
    endif()
    add_test(NAME windows_exports_${build}
             COMMAND sh "${CMAKE_CURRENT_SOURCE_DIR}/wine/exports.sh"
                        "${build}-w64-mingw32-objdump" "${bin}")
    set_tests_properties(windows_exports_${build} PROPERTIES TIMEOUT 60 LABELS wine)
    add_test(NAME packaging_windows_sizes_${build}
             COMMAND sh "${CMAKE_CURRENT_SOURCE_DIR}/wine/sizes.sh" "${bin}")
    set_tests_properties(packaging_windows_sizes_${build} PROPERTIES TIMEOUT 60
                         LABELS "packaging;wine")
endforeach()
