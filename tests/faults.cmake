# SPDX-License-Identifier: MIT
# Faults and bad input: the settings file unwritable, a full disk, the exit killed, two editors
# at once, odd and huge files, a missing or incomplete swatchy, anything pasted into the boxes.

# The editor closed through its standard input, for the tests that need the exit sequence in a
# process of its own.
add_executable(faults_editor faults/exit_editor.cpp)
target_link_libraries(faults_editor PRIVATE hueloft_qt Qt6::Widgets)

# Copies of swatchy that lack one entry point each, under the real library's name, each in a
# folder of its own.
foreach(missing IN ITEMS LOAD SAVE)
    string(TOLOWER "${missing}" folder)
    set(target fake_swatchy_without_${folder})
    add_library(${target} MODULE faults/swatchy_without.cpp)
    target_compile_definitions(${target} PRIVATE SWATCHY_WITHOUT_${missing})
    # The real store and dialog, as the library builds them.
    target_link_libraries(${target} PRIVATE swatchy_core)
    set_target_properties(${target} PROPERTIES
        OUTPUT_NAME swatchy
        CXX_VISIBILITY_PRESET hidden
        VISIBILITY_INLINES_HIDDEN ON
        LIBRARY_OUTPUT_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}/fake-without-${folder}")
endforeach()

hueloft_add_qtest(faults
    SOURCES tst_faults.cpp windowfixture.h
    LIBRARIES hueloft_qt hueloft_profile
    TIMEOUT 120)
target_compile_definitions(tst_faults PRIVATE
    HUELOFT_BIN_DIR="${HUELOFT_OUTPUT_DIR}"
    FAULTS_EDITOR="$<TARGET_FILE:faults_editor>"
    FAKE_PARTIAL_FOLDER="$<TARGET_FILE_DIR:fake_swatchy_partial>"
    FAKE_WITHOUT_LOAD_FOLDER="$<TARGET_FILE_DIR:fake_swatchy_without_load>"
    FAKE_WITHOUT_SAVE_FOLDER="$<TARGET_FILE_DIR:fake_swatchy_without_save>")
add_dependencies(tst_faults faults_editor fake_swatchy_partial fake_swatchy_without_load
                 fake_swatchy_without_save)
if(TARGET swatchy)
    add_dependencies(tst_faults swatchy)
endif()

# The real program under Xvfb, killed during its exit.
add_test(NAME faults_killed_exit
         COMMAND sh "${CMAKE_CURRENT_SOURCE_DIR}/faults/killed_exit.sh" "${HUELOFT_OUTPUT_DIR}")
set_tests_properties(faults_killed_exit PROPERTIES TIMEOUT 120 LABELS e2e RUN_SERIAL TRUE)

# Run paths: nothing is ever loaded from the current folder.
add_test(NAME faults_runpath
         COMMAND sh "${CMAKE_CURRENT_SOURCE_DIR}/faults/runpath.sh" "${HUELOFT_OUTPUT_DIR}")
set_tests_properties(faults_runpath PROPERTIES TIMEOUT 60 SKIP_RETURN_CODE 77)

# The program in a folder whose name is not UTF-8, and a broken swatchy beside it.
# Qt plug-ins that another user could plant beside a portable copy: an image format, and a
# platform.
foreach(kind IN ITEMS imageformats platforms)
    add_library(planted_${kind} MODULE faults/planted_qtplugin.cpp)
    target_link_libraries(planted_${kind} PRIVATE Qt6::Core)
    set_target_properties(planted_${kind} PROPERTIES AUTOMOC ON
        LIBRARY_OUTPUT_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}/planted-qt/${kind}")
endforeach()
target_compile_definitions(planted_platforms PRIVATE PLANTED_PLATFORM)
add_test(NAME faults_programfolder
         COMMAND sh "${CMAKE_CURRENT_SOURCE_DIR}/faults/programfolder.sh" "${HUELOFT_OUTPUT_DIR}"
                 "${CMAKE_CURRENT_BINARY_DIR}/planted-qt")
set_tests_properties(faults_programfolder PROPERTIES TIMEOUT 60)
