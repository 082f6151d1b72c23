# SPDX-License-Identifier: MIT
# The colour logic, the settings location, and the main window driven as a person uses it.

hueloft_add_qtest(colortext
    SOURCES tst_colortext.cpp
    LIBRARIES hueloft_core)

hueloft_add_qtest(settingspath
    SOURCES tst_settingspath.cpp
    LIBRARIES hueloft_core)

# A test of the whole window: the library swatchy comes from the build's program folder.
function(hueloft_add_window_test name)
    hueloft_add_qtest(${name}
        SOURCES tst_${name}.cpp windowfixture.h
        LIBRARIES hueloft_qt)
    target_compile_definitions(tst_${name} PRIVATE HUELOFT_BIN_DIR="${HUELOFT_OUTPUT_DIR}")
    add_dependencies(tst_${name} swatchy)
endfunction()

hueloft_add_window_test(mainwindow)
hueloft_add_window_test(lifecycle)
hueloft_add_window_test(clipboard)
hueloft_add_window_test(windowsystem)

# The copy commands once more on a 2x screen, where the copied sample must still have exactly
# the chosen number of pixels.
add_test(NAME clipboard_scaled COMMAND tst_clipboard sample)
set_tests_properties(clipboard_scaled PROPERTIES
    TIMEOUT 120
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_SCALE_FACTOR=2;HOME=${CMAKE_CURRENT_BINARY_DIR}/home-clipboard")

# The texts of a row on one baseline at one and a half and twice the screen's scale as well.
foreach(scale 1.5 2)
    add_test(NAME mainwindow_baselines_${scale} COMMAND tst_mainwindow textsOfARowOnOneBaseline)
    set_tests_properties(mainwindow_baselines_${scale} PROPERTIES
        TIMEOUT 120 ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_SCALE_FACTOR=${scale}")
endforeach()

# The window's behaviour without a toolkit: the core's handlers on controls held in memory.
hueloft_add_qtest(mainform SOURCES tst_mainform.cpp memoryview.h memoryview.cpp LIBRARIES hueloft_core)
