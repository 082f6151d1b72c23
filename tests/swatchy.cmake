# SPDX-License-Identifier: MIT
# The library swatchy, loaded by path from where the build puts it (as the editor loads it),
# and the editor's table of late-bound functions that loads it.

hueloft_add_qtest(swatchystore SOURCES tst_swatchystore.cpp LIBRARIES Qt6::Core hueloft_profile)
hueloft_add_qtest(swatchydialog SOURCES tst_swatchydialog.cpp LIBRARIES Qt6::Widgets hueloft_profile)
foreach(test IN ITEMS tst_swatchystore tst_swatchydialog)
    target_include_directories(${test} PRIVATE "${PROJECT_SOURCE_DIR}")
    target_compile_definitions(${test} PRIVATE SWATCHY_LIBRARY="$<TARGET_FILE:swatchy>")
    add_dependencies(${test} swatchy)
endforeach()

# A swatchy without ShowColorDialog, in a folder of its own, under the real library's name.
add_library(fake_swatchy_partial MODULE fake_swatchy_partial.cpp)
target_include_directories(fake_swatchy_partial PRIVATE "${PROJECT_SOURCE_DIR}")
set_target_properties(fake_swatchy_partial PROPERTIES
    OUTPUT_NAME swatchy
    LIBRARY_OUTPUT_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}/fake-partial"
)

# LD_LIBRARY_PATH holds the real library: the editor must never find swatchy through it.
hueloft_add_qtest(externals
    SOURCES tst_externals.cpp
    LIBRARIES hueloft_core hueloft_profile Qt6::Widgets
    ENVIRONMENT "LD_LIBRARY_PATH=${HUELOFT_OUTPUT_DIR}")
target_compile_definitions(tst_externals PRIVATE
    PROFILE_LIBRARY="$<TARGET_FILE:hueloft_profile>"
    SWATCHY_LIBRARY="$<TARGET_FILE:swatchy>"
    SWATCHY_FOLDER="$<TARGET_FILE_DIR:swatchy>"
    FAKE_PARTIAL_LIBRARY="$<TARGET_FILE:fake_swatchy_partial>"
    FAKE_PARTIAL_FOLDER="$<TARGET_FILE_DIR:fake_swatchy_partial>"
)
target_link_libraries(tst_externals PRIVATE hueloft_resources ${CMAKE_DL_LIBS})
add_dependencies(tst_externals swatchy fake_swatchy_partial)
