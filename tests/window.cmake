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
