# SPDX-License-Identifier: MIT
# The colour logic, and the main window driven as a person uses it.

hueloft_add_qtest(colortext
    SOURCES tst_colortext.cpp
    LIBRARIES hueloft_color)

hueloft_add_qtest(mainwindow
    SOURCES tst_mainwindow.cpp windowfixture.h
    LIBRARIES hueloft_windows)
target_compile_definitions(tst_mainwindow PRIVATE HUELOFT_BIN_DIR="${HUELOFT_OUTPUT_DIR}")
if(TARGET swatchy)
    add_dependencies(tst_mainwindow swatchy)
endif()

# The copy commands, once at the normal scale and once on a 2x screen, where the copied sample
# must still have exactly the chosen number of pixels.
hueloft_add_qtest(clipboard
    SOURCES tst_clipboard.cpp windowfixture.h
    LIBRARIES hueloft_windows)
target_compile_definitions(tst_clipboard PRIVATE HUELOFT_BIN_DIR="${HUELOFT_OUTPUT_DIR}")
add_test(NAME clipboard_scaled COMMAND tst_clipboard sample)
set_tests_properties(clipboard_scaled PROPERTIES
    TIMEOUT 120
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_SCALE_FACTOR=2;HOME=${CMAKE_CURRENT_BINARY_DIR}/home-clipboard")
if(TARGET swatchy)
    add_dependencies(tst_clipboard swatchy)
endif()

hueloft_add_qtest(lifecycle
    SOURCES tst_lifecycle.cpp windowfixture.h
    LIBRARIES hueloft_windows)
target_compile_definitions(tst_lifecycle PRIVATE HUELOFT_BIN_DIR="${HUELOFT_OUTPUT_DIR}")
if(TARGET swatchy)
    add_dependencies(tst_lifecycle swatchy)
endif()

hueloft_add_qtest(settingspath
    SOURCES tst_settingspath.cpp
    LIBRARIES hueloft_settings)
